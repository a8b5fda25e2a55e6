#!/usr/bin/python3
"""The import check on a program built for it (fixtures/fixture.cpp) and
made-up export lists (fixtures/lists/), and on lists it must refuse.

Usage: check_imports_test.py FIXTURE.EXE OBJDUMP
"""

import contextlib
import io
import os
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import check_imports  # noqa: E402

LISTS = os.path.join(HERE, "fixtures", "lists")
FIXTURE_EXE = OBJDUMP = None


def run(*args):
    out, err = io.StringIO(), io.StringIO()
    with contextlib.redirect_stdout(out), contextlib.redirect_stderr(err):
        status = check_imports.main(list(args))
    return status, out.getvalue(), err.getvalue()


class FixtureProgram(unittest.TestCase):
    def test_reads_names_and_ordinals_with_lower_case_dlls(self):
        self.assertEqual(check_imports.read_imports(OBJDUMP, FIXTURE_EXE), {
            ("kernel32.dll", "ExitProcess"), ("kernel32.dll", "GetTickCount"),
            ("kernel32.dll", "GetTickCount64"), ("fixture.dll", "Named"), ("fixture.dll", "@7")})

    def test_each_version_misses_what_its_list_lacks(self):
        status, out, _ = run("--lists", LISTS, "--objdump", OBJDUMP, FIXTURE_EXE)
        self.assertEqual(status, 1)
        self.assertEqual(out, (
            "fixture.exe does not load on windows-95: 2 of its imports are missing there\n"
            "  fixture.dll!Named\n"
            "  kernel32.dll!GetTickCount64\n"
            # the include brings 95's entries
            "fixture.exe does not load on windows-98: 1 of its imports are missing there\n"
            "  kernel32.dll!GetTickCount64\n"
            # "-" drops one of the included entries
            "fixture.exe does not load on windows-me: 1 of its imports are missing there\n"
            "  fixture.dll!@7\n"
            # function names and ordinals compare exactly; a name is no ordinal
            "fixture.exe does not load on windows-nt4: 2 of its imports are missing there\n"
            "  fixture.dll!@7\n"
            "  kernel32.dll!GetTickCount64\n"))

    def test_passes_where_every_import_is_listed(self):
        status, out, _ = run("--lists", LISTS, "--objdump", OBJDUMP, "--version", "windows-2000",
                             "--version", "windows-xp", FIXTURE_EXE)
        self.assertEqual((status, out), (0, "fixture.exe: every one of its 5 imports is in "
                                            "windows-2000, windows-xp\n"))

    def test_a_missing_lists_folder_is_no_pass(self):
        status, out, err = run("--lists", os.path.join(HERE, "no-such-folder"), "--objdump",
                               OBJDUMP, FIXTURE_EXE)
        self.assertEqual((status, out), (2, ""))
        self.assertIn("no export lists: the folder", err)
        self.assertIn("no-such-folder is missing", err)

    def test_a_program_without_import_table_is_no_pass(self):
        # A plain text file: objdump refuses it.
        status, _, err = run("--lists", LISTS, "--objdump", OBJDUMP, __file__)
        self.assertEqual(status, 2)
        self.assertIn("failed", err)


class ObjdumpOutput(unittest.TestCase):
    DUMP = (
        "The Import Tables (interpreted .idata section contents)\n"
        " vma:            Hint    Time      Forward  DLL       First\n"
        "                 Table   Stamp     Chain    Name      Thunk\n"
        " 00007000\t00007050 00000000 00000000 00007448 00007104\n"
        "\n"
        "\tDLL Name: COMCTL32.dll\n"
        "\tvma:  Hint/Ord Member-Name Bound-To\n"
        "\t8000000000000011\t   17  <none>\n"
        "\t71d0\t  310  InitCommonControlsEx\n"
        "\n"
        " 00007014\t00007094 00000000 00000000 000074b8 00007148\n"
        "\n"
        "\tDLL Name: msvcrt.dll\n"
        "\tvma:  Hint/Ord Member-Name Bound-To\n"
        "\t72e8\t   58  _fstat64\n"
        "\n"
        " 00007028\t00000000 00000000 00000000 00000000 00000000\n"
        "\n"
        "PE File Base Relocations (interpreted .reloc section contents)\n"
        "\tvma:  Hint/Ord Member-Name Bound-To\n"
        "\t7400\t    3  NotAnImport\n")

    def test_only_the_import_table_counts_and_64_bit_ordinals_are_read(self):
        self.assertEqual(check_imports.parse_imports(self.DUMP), {
            ("comctl32.dll", "@17"), ("comctl32.dll", "InitCommonControlsEx"),
            ("msvcrt.dll", "_fstat64")})

    def test_output_without_import_table_is_refused(self):
        with self.assertRaises(check_imports.CheckError):
            check_imports.parse_imports("f.exe:     file format pei-i386\n")

    def test_an_entry_line_it_cannot_read_is_refused(self):
        with self.assertRaises(check_imports.CheckError):
            check_imports.parse_imports(self.DUMP.replace("   58  _fstat64", "?? _fstat64"))


class BadLists(unittest.TestCase):
    def check(self, files, message):
        with tempfile.TemporaryDirectory() as folder:
            for name, text in files.items():
                with open(os.path.join(folder, name), "w", encoding="utf-8") as f:
                    f.write(text)
            with self.assertRaises(check_imports.CheckError) as raised:
                check_imports.read_list(folder, "windows-95.txt")
            self.assertIn(message, str(raised.exception))

    def test_refusals_name_the_file_and_line(self):
        self.check({}, "cannot read the export list")
        self.check({"windows-95.txt": "kernel32.dll!A\nGetTickCount\n"}, "windows-95.txt:2: not an entry")
        self.check({"windows-95.txt": "kernel32!GetTickCount\n"}, "not an entry")
        self.check({"windows-95.txt": "kernel32.dll!A B\n"}, "not an entry")
        self.check({"windows-95.txt": "include ../windows-98.txt\n"}, "a list of this folder")
        self.check({"windows-95.txt": "include other.txt\n"}, "other.txt")
        self.check({"windows-95.txt": "kernel32.dll!A\n-kernel32.dll!B\n"},
                   "removes kernel32.dll!B, which nothing before it lists")

    def test_an_include_cycle_is_refused(self):
        self.check({"windows-95.txt": "include a.txt\n", "a.txt": "include windows-95.txt\n"},
                   "included again")

    def test_a_file_included_twice_is_no_cycle(self):
        with tempfile.TemporaryDirectory() as folder:
            for name, text in {"windows-95.txt": "include a.txt\ninclude b.txt\n",
                               "a.txt": "include c.txt\n", "b.txt": "include c.txt\n",
                               "c.txt": "user32.dll!@17 # by ordinal\n"}.items():
                with open(os.path.join(folder, name), "w", encoding="utf-8") as f:
                    f.write(text)
            self.assertEqual(check_imports.read_list(folder, "windows-95.txt"),
                             {("user32.dll", "@17")})


if __name__ == "__main__":
    FIXTURE_EXE, OBJDUMP = sys.argv[1], sys.argv[2]
    unittest.main(argv=sys.argv[:1], verbosity=2)
