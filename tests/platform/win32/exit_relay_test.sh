#!/usr/bin/env bash
# The privilege step and the exit request of Win32Power as Wine's relay trace
# shows them. ExitWindowsEx ends every process of its prefix, so the probe runs
# in a throwaway prefix: copies of the test prefix's registry over its drive.
# Usage: exit_relay_test.sh WINE PROBE.exe THROWAWAY_PREFIX
set -euo pipefail
wine=$1 probe=$2 prefix=$3
base=${WINEPREFIX:-}
if [ -z "$base" ] || [ ! -f "$base/system.reg" ]; then
  echo "WINEPREFIX must name the test prefix (scripts/test-windows.sh sets it up)" >&2
  exit 1
fi

rm -rf "$prefix"
mkdir -p "$prefix/dosdevices"
cp "$base/system.reg" "$base/user.reg" "$base/userdef.reg" "$base/.update-timestamp" "$prefix/"
ln -s "$base/drive_c" "$prefix/drive_c"
ln -s ../drive_c "$prefix/dosdevices/c:"
ln -s / "$prefix/dosdevices/z:"
export WINEPREFIX=$prefix WINEDEBUG=-all
unset DISPLAY WAYLAND_DISPLAY
trap 'wineserver -k 2>/dev/null || true; rm -rf "$prefix"' EXIT

"$wine" reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /f \
  /d 'OpenProcessToken;LookupPrivilegeValueA;AdjustTokenPrivileges;CloseHandle;ExitWindowsEx' \
  >/dev/null

failures=0
for flags in 12 2; do
  trace=$prefix/relay-$flags.log
  WINEDEBUG=+relay timeout 60 "$wine" "$probe" exit "$flags" 2>"$trace" || true
  wineserver -w
  hex=$(printf '%x' "$flags")
  # The probe's own thread: the one that opened the token for the privilege step.
  tid=$(grep -a -m1 -E '^[0-9a-f]+:Call advapi32\.OpenProcessToken\(f+,00000028,' "$trace" |
    cut -d: -f1 || true)
  calls=$(grep -a -E "^${tid:-none}:Call " "$trace" | sed 's/^[0-9a-f]*:Call //' || true)
  token_line=$(grep -m1 -E '^advapi32\.OpenProcessToken\(f+,00000028,' <<<"$calls" || true)
  lookup=$(grep -m1 -E '^advapi32\.LookupPrivilegeValueA\(0+,[0-9a-f]+ "SeShutdownPrivilege",' \
    <<<"$calls" || true)
  adjust=$(grep -m1 -E '^advapi32\.AdjustTokenPrivileges\([0-9a-f]+,0+,' <<<"$calls" || true)
  token=$(sed -E 's/^advapi32\.AdjustTokenPrivileges\(([0-9a-f]+),.*/\1/' <<<"$adjust")
  # In order: open, look up, adjust, close that token, then exit with the flags.
  order=$(grep -E "^advapi32\.(OpenProcessToken|LookupPrivilegeValueA|AdjustTokenPrivileges)\(|^(KERNEL32|kernel32|kernelbase)\.CloseHandle\(0*${token:-none}\)|^user32\.ExitWindowsEx\(" <<<"$calls" |
    sed -E 's/^([A-Za-z0-9]+)\.([A-Za-z]+)\(.*/\2/' | tr '\n' ' ' || true)
  exit_call=$(grep -m1 -E "^user32\.ExitWindowsEx\(0*${hex},0+\)" <<<"$calls" || true)
  expected_order="OpenProcessToken LookupPrivilegeValueA AdjustTokenPrivileges CloseHandle ExitWindowsEx "
  if [ -z "$token_line" ] || [ -z "$lookup" ] || [ -z "$adjust" ] || [ -z "$exit_call" ] ||
     [ "$order" != "$expected_order" ]; then
    echo "flags $flags: unexpected calls:" >&2
    grep -a -E 'OpenProcessToken|LookupPrivilegeValueA|AdjustTokenPrivileges|CloseHandle|ExitWindowsEx' \
      "$trace" | head -20 >&2
    echo "order seen: $order" >&2
    failures=$((failures + 1))
  else
    echo "flags $flags: $exit_call after the privilege step, token $token closed"
  fi
done
[ "$failures" -eq 0 ]
