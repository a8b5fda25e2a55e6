#!/usr/bin/python3
"""Whether a Windows program loads on every Windows version it is meant for.

Reads the import table of PROGRAM (objdump -p) and looks every imported
(DLL, function) up in the export list of each version, exports/<version>.txt.
Wine's DLLs export everything whatever version they emulate, so a missing
import never shows under Wine: this is where it shows.

Exit status: 0 when every version has every import, 1 when some lack some
(each listed per version), 2 when the check itself cannot be made (no lists,
a list that cannot be read, a program whose imports cannot be read).

Usage: check_imports.py [--lists DIR] [--objdump PROGRAM] [--version NAME]... EXE
"""

import argparse
import os
import re
import subprocess
import sys

VERSIONS = ["windows-95", "windows-98", "windows-me", "windows-nt4", "windows-2000", "windows-xp"]
HERE = os.path.dirname(os.path.abspath(__file__))


class CheckError(Exception):
    """The check cannot be made; the message says why."""


def entry_key(dll, function):
    # DLL names compare case-insensitively, function names exactly.
    dll = dll.lower()
    if not dll.endswith(".dll"):
        dll += ".dll"
    return (dll, function)


def show(key):
    return "%s!%s" % key


ENTRY = re.compile(r"^([^\s!]+)!([^\s!]+)$")


def read_list(folder, name, reading=()):
    """The set of (dll, function) of list `name` (a file of `folder`), with its includes."""
    path = os.path.join(folder, name)
    if name in reading:
        raise CheckError("%s: included again from %s" % (path, " -> ".join(reading)))
    try:
        with open(path, encoding="utf-8") as f:
            lines = f.read().splitlines()
    except OSError as e:
        raise CheckError("cannot read the export list %s: %s" % (path, e.strerror)) from e
    entries = set()
    for number, line in enumerate(lines, 1):
        text = line.split("#", 1)[0].strip()
        if not text:
            continue
        where = "%s:%d" % (path, number)
        if text.startswith("include "):
            other = text[len("include "):].strip()
            if "/" in other or "\\" in other or not other.endswith(".txt"):
                raise CheckError("%s: include names a list of this folder, not %r" % (where, other))
            entries |= read_list(folder, other, reading + (name,))
            continue
        removed = text.startswith("-")
        match = ENTRY.match(text[1:] if removed else text)
        if not match or not match.group(1).lower().endswith(".dll"):
            raise CheckError("%s: not an entry (dll.dll!Function or dll.dll!@N): %r" % (where, text))
        key = entry_key(match.group(1), match.group(2))
        if removed:
            if key not in entries:
                raise CheckError("%s: removes %s, which nothing before it lists" % (where, show(key)))
            entries.discard(key)
        else:
            entries.add(key)
    return entries


IMPORT_LINE = re.compile(r"^\s+([0-9a-fA-F]+)\s+([0-9]+)\s+(\S+)")


def parse_imports(dump):
    """The (dll, function) pairs of `objdump -p` output; ordinals as "@N"."""
    imports = set()
    in_table = False
    name = None
    dll = None  # the DLL whose entries the lines list, between its "vma:" heading and a blank line
    seen_dll = False
    for line in dump.splitlines():
        if line.startswith("The Import Tables"):
            in_table = True
            continue
        if in_table and line and not line[0].isspace():
            break  # the next part of the dump
        if not in_table:
            continue
        stripped = line.strip()
        if stripped.startswith("DLL Name:"):
            name = stripped[len("DLL Name:"):].strip()
            seen_dll = True
            continue
        if stripped.startswith("vma:") and "Hint/Ord" in stripped and name:
            dll = name
            continue
        if not stripped:
            dll = name = None
            continue
        if dll is None:
            continue
        match = IMPORT_LINE.match(line)
        if not match:
            raise CheckError("unreadable import of %s: %r" % (dll, stripped))
        thunk, hint, function = match.groups()
        # An import by ordinal has the thunk's top bit set and no name.
        if function == "<none>" and int(thunk, 16) >= 0x80000000:
            imports.add(entry_key(dll, "@%d" % int(hint)))
        else:
            imports.add(entry_key(dll, function))
    if not seen_dll:
        raise CheckError("no import table in the objdump output")
    return imports


def read_imports(objdump, program):
    try:
        run = subprocess.run([objdump, "-p", program], capture_output=True, text=True,
                             errors="replace", check=False)
    except OSError as e:
        raise CheckError("cannot run %s: %s" % (objdump, e.strerror)) from e
    if run.returncode != 0:
        raise CheckError("%s -p %s failed: %s" % (objdump, program, run.stderr.strip()))
    try:
        return parse_imports(run.stdout)
    except CheckError as e:
        raise CheckError("%s: %s" % (program, e)) from e


def missing_by_version(imports, folder, versions):
    if not os.path.isdir(folder):
        raise CheckError("no export lists: the folder %s is missing, so nothing can be checked"
                         % folder)
    return {v: sorted(imports - read_list(folder, v + ".txt")) for v in versions}


def main(argv):
    parser = argparse.ArgumentParser(description="Imports of a Windows program against the "
                                     "exports of each Windows version.")
    parser.add_argument("program")
    parser.add_argument("--lists", default=os.path.join(HERE, "exports"),
                        help="folder of the <version>.txt export lists")
    parser.add_argument("--objdump", default="i686-w64-mingw32-objdump")
    parser.add_argument("--version", action="append", dest="versions",
                        help="check only this version (repeatable)")
    args = parser.parse_args(argv)
    name = os.path.basename(args.program)
    try:
        imports = read_imports(args.objdump, args.program)
        missing = missing_by_version(imports, args.lists, args.versions or VERSIONS)
    except CheckError as e:
        print("check_imports: %s" % e, file=sys.stderr)
        return 2
    failed = {v: m for v, m in missing.items() if m}
    if not failed:
        print("%s: every one of its %d imports is in %s" % (name, len(imports), ", ".join(missing)))
        return 0
    for version, keys in failed.items():
        print("%s does not load on %s: %d of its imports are missing there" % (name, version,
                                                                              len(keys)))
        for key in keys:
            print("  " + show(key))
    return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
