#!/usr/bin/env bash
# Starts or stops the X server the Win32 host tests draw on.
#   xvfb.sh start DISPLAY PIDFILE [WINE]   stop DISPLAY PIDFILE
# Only a server this script started is ever stopped. With WINE, the prefix's
# windows are made unmanaged: without a window manager Wine would otherwise
# wait two seconds for every hidden or destroyed window to be withdrawn.
set -u
action=$1 display=$2 pidfile=$3 wine=${4:-}
number=${display#:}

case "$action" in
  start)
    if ! command -v Xvfb >/dev/null; then
      echo "xvfb.sh: falta Xvfb (apt-get install xvfb)" >&2
      exit 1
    fi
    if [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; then
      echo "xvfb.sh: el display $display ya está en uso" >&2
      exit 1
    fi
    Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    echo $! >"$pidfile"
    for _ in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$number" ] && break
      sleep 0.1
    done
    if [ ! -e "/tmp/.X11-unix/X$number" ]; then
      echo "xvfb.sh: Xvfb no arrancó en $display" >&2
      exit 1
    fi
    if [ -n "$wine" ]; then
      DISPLAY=$display "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    fi
    exit 0
    ;;
  stop)
    [ -f "$pidfile" ] || exit 0
    kill "$(cat "$pidfile")" 2>/dev/null || true
    rm -f "$pidfile"
    ;;
  *)
    echo "uso: xvfb.sh start|stop DISPLAY PIDFILE" >&2
    exit 2
    ;;
esac
