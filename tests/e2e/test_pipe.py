#!/usr/bin/env python3
"""chaptersort end to end with its standard output going to a pipe.

Every test runs the real program in a fresh temporary folder, passes the folder names
relative to it (so the joined paths read "card" + SEP + name on both builds), compares the
output byte for byte and, where files may move, reads back every file with its content.

    python3 tests/e2e/test_pipe.py --program build/release/chaptersort
    python3 tests/e2e/test_pipe.py --program build/windows/chaptersort.exe --wine
"""

import calendar
import os
import re
import shutil
import struct
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

BANNER = harness.banner_bytes()
enc, line, joined = harness.enc, harness.line, harness.joined
NO_FILES = "\n\r  No GoPro files found at specified path. Aborting"
PROMPT = "\n\r  Press any key to continue renaming or [Esc] to abort..."
NOTHING_CHANGED = "\n\r  No file was changed"


def version():
    top = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "CMakeLists.txt")
    with open(top, encoding="utf-8") as handle:
        return re.search(r"project\(\s*chaptersort\s+VERSION\s+([0-9.]+)", handle.read()).group(1)


def name_of(program):
    """The name the program calls itself by: its file name without the extension."""
    return os.path.splitext(os.path.basename(program))[0]


def utc(*fields):
    return calendar.timegm(fields + (0,) * (6 - len(fields)))


def write_video(path, started=None, firmware=b"HD9.01.01.72.00", version=0, gap=0, zone=None):
    """A camera MP4 of a few hundred bytes: ftyp, an mdat header with a 64-bit size (gap bytes
    of video, left sparse), then moov with mvhd (creation_time: started, UTC fields, in
    version 0 or 1), a trak and udta/FIRM, with udta/GPMF's TZON (minutes) when zone is given."""
    def box(kind, payload):
        return struct.pack(">I", 8 + len(payload)) + kind + payload
    stamp = utc(*started) + 2082844800 if started else 0
    times = struct.pack(">QQ" if version else ">II", stamp, stamp)
    settings = b"" if zone is None else box(b"GPMF", b"DEVC\0\1\0\x0c" + b"TZONs\2\0\1" + struct.pack(">hxx", zone))
    moov = box(b"moov", box(b"mvhd", bytes([version, 0, 0, 0]) + times + bytes(80)) + box(b"trak", bytes(64))
               + (box(b"udta", box(b"FIRM", firmware) + settings) if firmware else b""))
    with open(path, "wb") as handle:
        handle.write(box(b"ftyp", b"mp41\0\0\0\0mp41") + struct.pack(">I4sQ", 1, b"mdat", 16 + gap))
        handle.seek(gap, 1)
        handle.write(moov)


def help_screen(program_name):
    return BANNER + b"".join(line(text) for text in [
        "",
        " chaptersort %s - sorts action-camera chapter files by recording" % version(),
        " Renames GoPro video files with chapters to sort alphabetically",
        "",
        " Usage:",
        "   %s \"[path]\" [argument(s)]" % program_name,
        "",
        " Arguments  (* = optional, \u00b0 = off by default)",
        " " + "-" * 118,
        "(none)     prints this help ",
        "  -v   *\u00b0  prints verbose logs during the process     ",
        "  -s   *\u00b0  only simulates a renaming operation        ",
        "  -r   *\u00b0  searches directory recursively             ",
        "  -u   *\u00b0  unattended. Won't prompt for confirmations ",
        "  -d   *\u00b0  prefixes filename with date and time (e.g. 2023-05-06_15-59-02)",
        "  -o   *\u00b0  makes DOS compatible 8.3 filenames (ignores -d)",
        "  -l   *\u00b0  also renames each chapter's LRV and THM files",
        "  -f   *\u00b0  finishes a renaming that was cut short (temporary names)",
        "  -t   *\u00b0  prefixes the recording's start time, read from the video",
        "  -c   *\u00b0  gives renamed files their camera names back",
        "  -a   *\u00b0  also renames 360 videos and prefixed camera names",
        "  -j   *\u00b0  writes the plan and the outcome as JSON lines for scripts",
        "",
    ])


def path_message(path):
    return (line() + line("  No valid path specified, could not find \"%s\"." % path)
            + line("  Should your path contain spaces, please enclose it between quotes.")
            + line("  For example:") + line("     \"C:\\Users\\Me\\Desktop\\My Folder\""))


def preview(jobs):
    """jobs: (old name, final name) pairs in the order the files were found."""
    return line("\n\r  Renaming Preview:") + b"".join(
        line("    %s  -->  %s" % (old, final)) for old, final in jobs)


def processing(shown, recursive=False):
    """The -v line the scan prints for a folder it lists."""
    return line() + enc("Processing files in " + shown + (" recursively" if recursive else "")) + line("...")


def examining(path, match=None):
    """The -v lines of the eligibility pass for one file; match: the name its Match line shows."""
    return line("  > Examining " + path) + (line("    > Match " + match) if match else b"")


def found(files, eligible, examined):
    """The -v lines of the eligibility pass: the counts around the lines of every file."""
    return (line("  Found %d files.\n\r" % files) + examined + line()
            + line("  %d files examined, %d eligible files found" % (files, eligible)))


def camera_file(folder, old, final):
    """The piece of a camera file: no scan line, its Examining and Match lines, its job."""
    return b"", examining(joined(folder, old), old), [(old, final)]


def other_file(folder, name):
    return b"", examining(joined(folder, name)), []


def arranged(folder, pieces):
    """The pieces {entry name: (scan lines, eligibility lines, jobs)} of a folder's entries,
    the lines and the jobs each joined in the order the platform lists the folder; an entry
    the scan passes by (a folder without -r) has no piece."""
    scan, examine, jobs = zip((b"", b"", []), *(pieces[name] for name in harness.listing_order(folder)
                                                if name in pieces))
    return b"".join(scan), b"".join(examine), sum(jobs, [])


def listed(folder, finals):
    """(old name, final name) of finals {old: final} in the order the platform lists the folder."""
    return [(name, finals[name]) for name in harness.listing_order(folder) if name in finals]


def renamed(folder, jobs, temp_names=None):
    """The report of a run in which every rename succeeds; with temp_names (the -v case)
    the pass-1 heading and [OK] lines come first."""
    total = len(jobs)
    out = b""
    if temp_names is not None:
        out += line("\n\r  Renaming %d files with temp names..." % total)
        out += b"".join(line("    [OK] %s  -->  %s" % (old, temp)) for (old, _), temp in zip(jobs, temp_names))
    out += line("\n\r  Successfully renamed %d of %d temp files." % (total, total))
    out += line("\n\r  Renaming %d files to final names..." % total)
    out += b"".join(line("    [OK] %s  -->  %s" % (old, joined(folder, final))) for old, final in jobs)
    return out + line("\n\r  Successfully renamed %d of %d files." % (total, total)) + line("\n\r")


class PipeTest(harness.TempDirTest):

    def run_program(self, *args, cwd=None, stdin=b"", tz="UTC0", program=None):
        """Runs the program and checks what holds for every run: exit code 0, nothing on
        the standard error, and no colour (no ESC byte) in the pipe."""
        result = harness.run(list(args), cwd or self.root, stdin=stdin, tz=tz, program=program)
        self.assertEqual(result.returncode, 0, args)
        self.assertEqual(result.stderr, b"", args)
        self.assertNotIn(b"\x1b", result.stdout, args)
        return result.stdout

    def card(self, names, folder="card", content=None):
        os.makedirs(self.path(folder), exist_ok=True)
        harness.make_files(self.path(folder), names, content)
        return folder

    def on_disk(self, folder="card"):
        return harness.files_on_disk(self.path(folder))

    def assertBytes(self, got, expected):
        if got != expected:  # line by line, so that the failure shows where they part
            self.assertEqual(got.split(b"\n"), expected.split(b"\n"))
        self.assertEqual(got, expected)

    def temp_names(self, out, jobs):
        """The temporary names a -v run printed in its pass-1 [OK] lines: four random digits
        from 1000 to 9999, "_" and the final name."""
        names = []
        for old, final in jobs:
            found = re.search(rb"\r\n    \[OK\] " + re.escape(enc(old)) + rb"  -->  ([1-9][0-9]{3})_"
                              + re.escape(enc(final)) + rb"\r\n", out)
            self.assertIsNotNone(found, "no pass-1 line for " + old)
            names.append(found.group(1).decode() + "_" + final)
        return names

    def entered(self, shown, pieces):
        """The piece of a folder -r enters: its scan line, then its entries' pieces."""
        scan, examine, jobs = arranged(self.path(*shown.split(harness.SEP)), pieces)
        return processing(shown, True) + scan, examine, jobs


class StartUp(PipeTest):

    def test_help_screen_without_parameters(self):
        out = self.run_program()
        self.assertBytes(out, help_screen(name_of(harness.PROGRAM)))
        self.assertIn(b"optional, \xc2\xb0 = off", out)

    def test_usage_line_shows_the_name_the_program_was_copied_to(self):
        copy = self.path("mover" + os.path.splitext(harness.PROGRAM)[1])
        shutil.copy2(harness.PROGRAM, copy)
        self.assertBytes(self.run_program(program=copy), help_screen("mover"))

    def test_path_that_cannot_be_listed(self):
        self.card(["notes.txt"], folder=".")
        for args, path in [(["missing"], "missing"),
                           (["notes.txt", "-v"], "notes.txt"),
                           (["missing", "-x"], "missing"),  # the path is tested before the switches
                           (["-r"], "-r"),                  # a switch alone is the path
                           (["", "-u"], "")]:               # an unset variable: never "."
            with self.subTest(args=args):
                self.assertBytes(self.run_program(*args), path_message(path))

    def test_unknown_switch_stops_before_the_banner(self):
        self.card(["GX010123.MP4"])
        hint = "\n\r  For help, run \"%s\" without parameters" % name_of(harness.PROGRAM)
        for args, shown in [(["card", "-X"], "-x"),
                            (["card", "-s", "-S", "-x", "-y"], "-x"),  # a switch again is no unknown one
                            (["card", "-u", "  -ABC\t "], "-abc\t")]:  # only spaces are trimmed
            with self.subTest(args=args):
                out = self.run_program(*args)
                self.assertBytes(out, line("\n\r  Unknown paramenter encountered: " + shown + "." + hint))
                self.assertEqual(self.on_disk(), {"GX010123.MP4": b"GX010123.MP4"})


class Preview(PipeTest):
    """Simulated runs (-s): the scan, which files are the camera's, their new names."""

    def test_new_names(self):
        cases = [("GX010123.MP4", [], "G-HEVC-0123-01.mp4"),
                 ("GH021234.MP4", [], "G-AVC-1234-02.mp4"),
                 ("gx010123.mp4", [], "G-HEVC-0123-01.mp4"),
                 ("GOPR0123.MP4", [], "G-AVC-0123-PR.mp4"),
                 ("GP010045.MP4", [], "G-AVC-0045-01.mp4"),
                 ("GX01\u00e9123.MP4", [], "G-HEVC-\u00e9123-01.mp4"),  # 12 characters, 13 bytes
                 ("GX010123.MP4", ["-o"], "GX012301.mp4"),
                 ("GH021234.MP4", ["-O"], "GH123402.mp4"),
                 ("GX010123.MP4", ["-o", "-d"], "GX012301.mp4")]
        for number, (name, switches, final) in enumerate(cases):
            with self.subTest(name=name, switches=switches):
                folder = self.card([name], folder="case%d" % number)
                out = self.run_program(folder, "-s", *switches)
                self.assertBytes(out, BANNER + preview([(name, final)]))

    def test_names_that_are_not_the_cameras(self):
        for number, name in enumerate(["GX010123.MOV", "GX0101234.MP4", "AX010123.MP4"]):
            with self.subTest(name=name):
                folder = self.card([name], folder="case%d" % number)
                self.assertBytes(self.run_program(folder, "-s"), BANNER + line(NO_FILES))
        with self.subTest(name="pieces that would cut a character in two"):
            folder = self.card(["GX0\U0001F480123.MP4"], folder="cut")
            self.assertBytes(self.run_program(folder, "-s", "-v"), BANNER + processing(folder) + found(1, 0, examining(
                joined(folder, "GX0\U0001F480123.MP4")) + line("    > No match GX0\U0001F480123.MP4: its pieces would cut a "
                                                            "character in two")) + line(NO_FILES))
        with self.subTest(name="a folder named GX010123.MP4"):
            os.makedirs(self.path("dirs", "GX010123.MP4"))
            self.assertBytes(self.run_program("dirs", "-s", "-r"), BANNER + line(NO_FILES))

    def test_date_prefix(self):
        self.card(["GX010123.MP4", "GX020123.MP4", "GX030123.MP4", "GX040123.MP4"])
        harness.set_mtime(self.path("card", "GX010123.MP4"), utc(2023, 5, 6, 15, 59, 2))
        harness.set_mtime(self.path("card", "GX020123.MP4"), utc(2023, 12, 31, 20, 45, 10))
        harness.set_mtime(self.path("card", "GX030123.MP4"), utc(2040, 6, 1, 12))  # past 2038
        harness.set_mtime(self.path("card", "GX040123.MP4"), utc(1960, 1, 1))  # before 1970: the "_" alone
        for tz, finals in [("UTC0", {"GX010123.MP4": "2023-05-06_15-59-02_G-HEVC-0123-01.mp4",
                                     "GX020123.MP4": "2023-12-31_20-45-10_G-HEVC-0123-02.mp4",
                                     "GX030123.MP4": "2040-06-01_12-00-00_G-HEVC-0123-03.mp4",
                                     "GX040123.MP4": "_G-HEVC-0123-04.mp4"}),
                           # local time is UTC+5:30, which carries the second file into 2024
                           ("IST-5:30", {"GX010123.MP4": "2023-05-06_21-29-02_G-HEVC-0123-01.mp4",
                                         "GX020123.MP4": "2024-01-01_02-15-10_G-HEVC-0123-02.mp4",
                                         "GX030123.MP4": "2040-06-01_17-30-00_G-HEVC-0123-03.mp4",
                                         "GX040123.MP4": "_G-HEVC-0123-04.mp4"})]:
            with self.subTest(tz=tz):
                out = self.run_program("card", "-s", "-d", tz=tz)
                self.assertBytes(out, BANNER + preview(listed(self.path("card"), finals)))

    def test_verbose_without_recursion_leaves_subfolders_alone(self):
        self.card(["GX010123.MP4", "notes.txt", "sub/GX020123.MP4"])
        out = self.run_program("card", "-s", "-v")
        _, examined, jobs = arranged(self.path("card"), {  # sub is no file
            "GX010123.MP4": camera_file("card", "GX010123.MP4", "G-HEVC-0123-01.mp4"),
            "notes.txt": other_file("card", "notes.txt")})
        self.assertBytes(out, BANNER + processing("card") + found(2, 1, examined) + preview(jobs))

    def test_verbose_recursion_is_depth_first_in_listing_order(self):
        self.card(["GX010123.MP4", "notes.txt", "a/GX020123.MP4", "a/b/GH010456.MP4",
                   "c/readme.txt", "GX030123.MP4"])
        os.makedirs(self.path("card", "z"))
        # switches in capitals and with spaces around them are accepted
        out = self.run_program("card", " -R ", "-V", "-s")
        a, b, c = joined("card", "a"), joined(joined("card", "a"), "b"), joined("card", "c")
        in_b = self.entered(b, {"GH010456.MP4": camera_file(b, "GH010456.MP4", "G-AVC-0456-01.mp4")})
        in_a = self.entered(a, {"GX020123.MP4": camera_file(a, "GX020123.MP4", "G-HEVC-0123-02.mp4"), "b": in_b})
        scanned, examined, jobs = self.entered("card", {  # a folder's files come where the folder is listed
            "GX010123.MP4": camera_file("card", "GX010123.MP4", "G-HEVC-0123-01.mp4"),
            "notes.txt": other_file("card", "notes.txt"), "a": in_a,
            "c": self.entered(c, {"readme.txt": other_file(c, "readme.txt")}),
            "z": self.entered(joined("card", "z"), {}),
            "GX030123.MP4": camera_file("card", "GX030123.MP4", "G-HEVC-0123-03.mp4")})
        self.assertBytes(out, BANNER + scanned + found(6, 4, examined) + preview(jobs))

    def test_nothing_to_rename(self):
        os.makedirs(self.path("empty"))
        self.card(["notes.txt"], folder="other")
        for folder, examined in [("empty", b""), ("other", found(1, 0, examining(joined("other", "notes.txt"))))]:
            with self.subTest(folder=folder):
                expected = BANNER + processing(folder) + examined + line(NO_FILES)
                self.assertBytes(self.run_program(folder, "-s", "-v"), expected)

    def test_trailing_separator_doubles_it_in_every_joined_path(self):
        self.card(["GX010123.MP4"])
        folder = "card" + harness.SEP
        out = self.run_program(folder, "-u", "-v")
        jobs = [("GX010123.MP4", "G-HEVC-0123-01.mp4")]
        self.assertBytes(out, BANNER + processing(folder)
                         + found(1, 1, examining(joined(folder, "GX010123.MP4"), "GX010123.MP4"))
                         + preview(jobs) + renamed(folder, jobs, self.temp_names(out, jobs)))
        self.assertIn(enc("card" + harness.SEP * 2 + "G-HEVC-0123-01.mp4\r\n"), out)
        self.assertEqual(self.on_disk(), {"G-HEVC-0123-01.mp4": b"GX010123.MP4"})

    def test_link_loop_ends(self):
        self.card(["GX010123.MP4", "sub/GX020123.MP4"])
        try:
            os.symlink("..", self.path("card", "sub", "loop"))
        except OSError as error:
            self.skipTest("no symbolic links here: %s" % error)
        out = self.run_program("card", "-s", "-r")
        # each file once, the one in sub at the place sub is listed; loop is never entered
        found = {"GX010123.MP4": ("GX010123.MP4", "G-HEVC-0123-01.mp4"),
                 "sub": ("GX020123.MP4", "G-HEVC-0123-02.mp4")}
        order = harness.listing_order(self.path("card"))
        self.assertBytes(out, BANNER + preview([found[name] for name in order]))

    def test_simulation_touches_nothing(self):
        self.card(["GX010123.MP4", "GX020123.MP4"])
        for name in ["GX010123.MP4", "GX020123.MP4"]:
            harness.set_mtime(self.path("card", name), utc(2023, 5, 6, 15, 59, 2))
        before = {name: os.stat(self.path("card", name)).st_mtime_ns for name in self.on_disk()}
        out = self.run_program("card", "-s", "-u")  # -s wins over -u
        finals = {"GX010123.MP4": "G-HEVC-0123-01.mp4", "GX020123.MP4": "G-HEVC-0123-02.mp4"}
        self.assertBytes(out, BANNER + preview(listed(self.path("card"), finals)))
        self.assertEqual(self.on_disk(), {"GX010123.MP4": b"GX010123.MP4", "GX020123.MP4": b"GX020123.MP4"})
        self.assertEqual({name: os.stat(self.path("card", name)).st_mtime_ns for name in before}, before)

    def test_name_that_is_not_utf8(self):
        if harness.WINE:
            self.skipTest("file names are bytes on POSIX only; wine decodes them its own way")
        old = os.fsdecode(b"G\xff010123.MP4")
        self.card([old], content=b"camera")
        out = self.run_program("card", "-s")
        self.assertBytes(out, BANNER + line(b"\n\r  Renaming Preview:")
                         + line(b"    G\xff010123.MP4  -->  G-AVC-0123-01.mp4"))
        out = self.run_program("card", "-u", "-o")
        final = os.fsdecode(b"G\xff012301.mp4")
        self.assertBytes(out, BANNER + preview([(old, final)]) + renamed("card", [(old, final)]))
        self.assertIn(b"card/G\xff012301.mp4\r\n", out)
        self.assertEqual(os.listdir(os.fsencode(self.path("card"))), [b"G\xff012301.mp4"])
        self.assertEqual(self.on_disk(), {final: b"camera"})


class Renaming(PipeTest):

    def test_worked_example(self):
        for switches in [[], ["-v"]]:
            with self.subTest(switches=switches):
                folder = self.card(["GX010123.MP4", "GX020123.MP4"], folder="card%d" % len(switches))
                _, examined, jobs = arranged(self.path(folder), {
                    "GX010123.MP4": camera_file(folder, "GX010123.MP4", "G-HEVC-0123-01.mp4"),
                    "GX020123.MP4": camera_file(folder, "GX020123.MP4", "G-HEVC-0123-02.mp4")})
                out = self.run_program(folder, "-u", *switches)
                if switches:
                    head = processing(folder) + found(2, 2, examined)
                    report = renamed(folder, jobs, self.temp_names(out, jobs))
                else:
                    head, report = b"", renamed(folder, jobs)
                self.assertBytes(out, BANNER + head + preview(jobs) + report)
                self.assertEqual(self.on_disk(folder), {"G-HEVC-0123-01.mp4": b"GX010123.MP4",
                                                        "G-HEVC-0123-02.mp4": b"GX020123.MP4"})

    def test_two_files_with_the_same_final_name(self):
        # GX010124 and gx010124 as well: two names in a case-sensitive folder, which Windows
        # would take for one another if a rename were checked by name
        for pair, final in [(["GH010123.MP4", "GL010123.MP4"], "G-AVC-0123-01.mp4"),
                            (["GX010124.MP4", "gx010124.mp4"], "G-HEVC-0124-01.mp4")]:
            with self.subTest(pair=pair):
                card = self.card(pair, folder=final)
                if len(os.listdir(self.path(card))) < 2:
                    self.skipTest("this file system folds the letter case of names")
                first, second = harness.listing_order(self.path(card))
                out = self.run_program(card, "-u")
                disk = self.on_disk(card)
                temp = [name for name in disk if re.fullmatch(r"[1-9][0-9]{3}_" + re.escape(final), name)]
                self.assertEqual(len(temp), 1, sorted(disk))
                self.assertEqual(disk, {final: enc(first), temp[0]: enc(second)})
                self.assertBytes(out, BANNER + preview([(first, final), (second, final)])
                                 + line("\n\r  Successfully renamed 2 of 2 temp files.")
                                 + line("\n\r  Renaming 2 files to final names...")
                                 + line("    [OK] %s  -->  %s" % (first, joined(card, final)))
                                 + line("    [!!] Could not rename %s, to %s. Skipping..."
                                        % (joined(card, temp[0]), joined(card, final)))
                                 + line("\n\r  Successfully renamed 1 of 2 files.") + line("\n\r"))

    def test_users_file_with_the_final_name_is_never_replaced(self):
        self.card(["GX010123.MP4"])
        self.card(["G-HEVC-0123-01.mp4"], content="mine")
        out = self.run_program("card", "-u")
        disk = self.on_disk()
        temp = [name for name in disk if re.fullmatch(r"[1-9][0-9]{3}_G-HEVC-0123-01\.mp4", name)]
        self.assertEqual(len(temp), 1, sorted(disk))
        self.assertEqual(disk, {"G-HEVC-0123-01.mp4": b"mine", temp[0]: b"GX010123.MP4"})
        self.assertBytes(out, BANNER + preview([("GX010123.MP4", "G-HEVC-0123-01.mp4")])
                         + line("\n\r  Successfully renamed 1 of 1 temp files.")
                         + line("\n\r  Renaming 1 files to final names...")
                         + line("    [!!] Could not rename %s, to %s. Skipping..."
                                % (joined("card", temp[0]), joined("card", "G-HEVC-0123-01.mp4")))
                         + line("\n\r  Successfully renamed 0 of 1 files.") + line("\n\r"))
        self.card(["GX010123.MP4", "G-HEVC-0123-01.mp4"], folder="verbose")  # -v says why
        self.assertIn(b"G-HEVC-0123-01.mp4. Skipping...\r\n" + line("    > Why: the name is taken"),
                      self.run_program("verbose", "-u", "-v"))

    def test_folder_names_ending_in_a_dot_or_a_space(self):
        # Written by another system; Windows cuts such an end off a path it does not take whole.
        folders = {"103GOPRO.": "GX010001.MP4", "103GOPRO": "GX010002.MP4", "104GOPRO ": "GX010003.MP4"}
        self.card([folder + "/" + name for folder, name in folders.items()], folder="card/DCIM")
        out = self.run_program("card", "-r", "-u")
        shown = [(joined(joined("card", "DCIM"), folder), folders[folder])
                 for folder in harness.listing_order(self.path("card", "DCIM"))]
        finals = {name: "G-HEVC-000%s-01.mp4" % name[7] for name in folders.values()}
        self.assertBytes(out, BANNER + preview([(name, finals[name]) for _, name in shown])
                         + line("\n\r  Successfully renamed 3 of 3 temp files.") + line("\n\r  Renaming 3 files to final names...")
                         + b"".join(line("    [OK] %s  -->  %s" % (name, joined(folder, finals[name]))) for folder, name in shown)
                         + line("\n\r  Successfully renamed 3 of 3 files.") + line("\n\r"))
        self.assertEqual(self.on_disk("card"), {"DCIM/%s/%s" % (folder, finals[name]): enc("%s/%s" % (folder, name))
                                                for folder, name in folders.items()})

    def test_short_name_that_is_another_files_old_name(self):
        self.card(["GX010123.MP4", "GX012301.MP4"])
        finals = {"GX010123.MP4": "GX012301.mp4", "GX012301.MP4": "GX230101.mp4"}
        jobs = listed(self.path("card"), finals)
        out = self.run_program("card", "-u", "-o")
        self.assertBytes(out, BANNER + preview(jobs) + renamed("card", jobs))
        self.assertEqual(self.on_disk(), {"GX012301.mp4": b"GX010123.MP4", "GX230101.mp4": b"GX012301.MP4"})

    def test_prompt_answered_from_standard_input(self):
        jobs = [("GX010123.MP4", "G-HEVC-0123-01.mp4")]
        for number, (stdin, goes_on) in enumerate([(b"y\n", True), (b"\n", True), (b"\x1c", True),
                                                   (b"\x1b", False), (b"", False), (None, False)]):
            with self.subTest(stdin=stdin):
                folder = self.card(["GX010123.MP4"], folder="card%d" % number)
                out = self.run_program(folder, stdin=stdin)
                answer = renamed(folder, jobs) if goes_on else line(NOTHING_CHANGED)
                self.assertBytes(out, BANNER + preview(jobs) + line(PROMPT) + answer)
                self.assertEqual(self.on_disk(folder),
                                 {"G-HEVC-0123-01.mp4" if goes_on else "GX010123.MP4": b"GX010123.MP4"})



class Sidecars(PipeTest):
    """-l: each chapter's LRV and THM files follow it."""

    CARD = ["GX010123.MP4", "GX020123.MP4", "GL010123.LRV", "GL020123.LRV", "GX010123.THM", "GX020123.THM",
            "GOPR0007.MP4", "GOPR0007.LRV", "GOPR0007.THM", "notes.txt"]
    VIDEOS = {"GX010123.MP4": "G-HEVC-0123-01.mp4", "GX020123.MP4": "G-HEVC-0123-02.mp4",
              "GOPR0007.MP4": "G-AVC-0007-PR.mp4"}
    SIDECARS = {"GX010123.MP4": {"GL010123.LRV": "G-HEVC-0123-01.lrv", "GX010123.THM": "G-HEVC-0123-01.thm"},
                "GX020123.MP4": {"GL020123.LRV": "G-HEVC-0123-02.lrv", "GX020123.THM": "G-HEVC-0123-02.thm"},
                "GOPR0007.MP4": {"GOPR0007.LRV": "G-AVC-0007-PR.lrv", "GOPR0007.THM": "G-AVC-0007-PR.thm"}}

    def test_sidecars_follow_their_video(self):
        self.card(self.CARD)
        card = self.path("card")  # each video as listed, then its own sidecars as listed
        jobs = [job for video, final in listed(card, self.VIDEOS)
                for job in [(video, final)] + listed(card, self.SIDECARS[video])]
        out = self.run_program("card", "-u", "-l")
        self.assertBytes(out, BANNER + preview(jobs) + renamed("card", jobs))
        expected = {final: enc(old) for old, final in jobs}
        expected["notes.txt"] = b"notes.txt"
        self.assertEqual(self.on_disk(), expected)

    def test_without_l_no_sidecar_moves(self):
        self.card(self.CARD)
        jobs = listed(self.path("card"), self.VIDEOS)
        self.assertBytes(self.run_program("card", "-u"), BANNER + preview(jobs) + renamed("card", jobs))
        self.assertEqual(sorted(self.on_disk()), sorted([final for _, final in jobs]
                                                        + [n for n in self.CARD if n not in self.VIDEOS]))

    def test_date_and_short_names_are_the_videos(self):
        self.card(["GX010123.MP4", "GL010123.LRV", "GX010123.THM"])
        harness.set_mtime(self.path("card", "GX010123.MP4"), utc(2023, 5, 6, 15, 59, 2))
        harness.set_mtime(self.path("card", "GL010123.LRV"), utc(2024, 1, 1))  # the sidecar's own time is not used
        for switches, final, sidecars in [
                (["-d"], "2023-05-06_15-59-02_G-HEVC-0123-01.mp4",
                 {"GL010123.LRV": "2023-05-06_15-59-02_G-HEVC-0123-01.lrv",
                  "GX010123.THM": "2023-05-06_15-59-02_G-HEVC-0123-01.thm"}),
                (["-o", "-d"], "GX012301.mp4", {"GL010123.LRV": "GX012301.lrv", "GX010123.THM": "GX012301.thm"})]:
            with self.subTest(switches=switches):
                out = self.run_program("card", "-s", "-l", *switches)
                jobs = [("GX010123.MP4", final)] + listed(self.path("card"), sidecars)
                self.assertBytes(out, BANNER + preview(jobs))

    def test_sidecars_stay_with_a_video_whose_final_name_is_taken(self):
        self.card(["GX010123.MP4", "GX010123.THM", "GL010123.LRV"])
        self.card(["G-HEVC-0123-01.mp4"], content="an older video of mine")
        sidecars = listed(self.path("card"), {"GX010123.THM": "G-HEVC-0123-01.thm", "GL010123.LRV": "G-HEVC-0123-01.lrv"})
        jobs = [("GX010123.MP4", "G-HEVC-0123-01.mp4")] + sidecars
        out = self.run_program("card", "-u", "-l")
        disk = self.on_disk()
        temp = {content.decode(): name for name, content in disk.items() if re.fullmatch(r"[1-9][0-9]{3}_.*", name)}
        self.assertEqual(disk, {"G-HEVC-0123-01.mp4": b"an older video of mine", temp["GX010123.MP4"]: b"GX010123.MP4",
                                temp["GX010123.THM"]: b"GX010123.THM", temp["GL010123.LRV"]: b"GL010123.LRV"})
        self.assertBytes(out, BANNER + preview(jobs) + line("\n\r  Successfully renamed 3 of 3 temp files.")
                         + line("\n\r  Renaming 3 files to final names...")
                         + b"".join(line("    [!!] Could not rename %s, to %s. Skipping..."
                                         % (joined("card", temp[old]), joined("card", final))) for old, final in jobs)
                         + line("\n\r  Successfully renamed 0 of 3 files.") + line("\n\r"))

    def test_the_count_agrees_with_the_preview_and_notes_come_without_a_job(self):
        self.card(["GX010777.THM", "G-HEVC-0777-01.mp4", "GL010999.LRV"])
        _, examined, jobs = arranged(self.path("card"), {  # a thumbnail joins its video under the final name
            "GX010777.THM": camera_file("card", "GX010777.THM", "G-HEVC-0777-01.thm"),
            "G-HEVC-0777-01.mp4": other_file("card", "G-HEVC-0777-01.mp4"), "GL010999.LRV": other_file("card", "GL010999.LRV")})
        note = "    > Sidecar %s left alone: no video of its own"
        self.assertBytes(self.run_program("card", "-s", "-l", "-v"), BANNER + processing("card") + found(3, 1, examined)
                         + line(note % joined("card", "GL010999.LRV")) + preview(jobs))
        os.remove(self.path("card", "G-HEVC-0777-01.mp4"))
        _, examined, _ = arranged(self.path("card"), {name: other_file("card", name) for name in ["GX010777.THM", "GL010999.LRV"]})
        self.assertBytes(self.run_program("card", "-s", "-l", "-v"), BANNER + processing("card") + found(2, 0, examined)
                         + b"".join(line(note % joined("card", name)) for name in harness.listing_order(self.path("card")))
                         + line(NO_FILES))

    def test_ambiguous_and_orphan_sidecars_stay(self):
        self.card(["GH010555.MP4", "GX010555.MP4", "GL010555.LRV", "GL010999.LRV"])
        _, examined, jobs = arranged(self.path("card"), {
            "GH010555.MP4": camera_file("card", "GH010555.MP4", "G-AVC-0555-01.mp4"),
            "GX010555.MP4": camera_file("card", "GX010555.MP4", "G-HEVC-0555-01.mp4"),
            "GL010555.LRV": other_file("card", "GL010555.LRV"), "GL010999.LRV": other_file("card", "GL010999.LRV")})
        out = self.run_program("card", "-u", "-l", "-v")
        sidecar_lines = {"GL010555.LRV": "it would belong to more than one video", "GL010999.LRV": "no video of its own"}
        said = b"".join(line("    > Sidecar %s left alone: %s" % (joined("card", name), text))
                        for name, text in listed(self.path("card"), sidecar_lines))
        self.assertBytes(out, BANNER + processing("card") + found(4, 2, examined) + said + preview(jobs)
                         + renamed("card", jobs, self.temp_names(out, jobs)))
        self.assertEqual(self.on_disk(), {"G-AVC-0555-01.mp4": b"GH010555.MP4", "G-HEVC-0555-01.mp4": b"GX010555.MP4",
                                          "GL010555.LRV": b"GL010555.LRV", "GL010999.LRV": b"GL010999.LRV"})


class StartTime(PipeTest):
    """-t: each recording dated by its start, read from its videos."""

    def test_camera_clock_and_utc_in_two_zones_one_date_per_recording(self):
        card = self.card([])
        write_video(self.path(card, "GX010123.MP4"), (2017, 4, 17, 19, 27, 57))  # HERO9: its own clock
        write_video(self.path(card, "GX020123.MP4"), (2017, 4, 17, 19, 39, 0))
        # HERO12 writes UTC; chapter 01 is missing, 02 (4 GiB, the header at its end) counts
        write_video(self.path(card, "GH020124.MP4"), (2024, 6, 1, 12, 41), b"H23.01.01.10.00", 1, 2 ** 32)
        write_video(self.path(card, "GH030124.MP4"), (2024, 6, 1, 13, 0), b"H23.01.01.10.00", 1)
        write_video(self.path(card, "GX010125.MP4"), (2024, 6, 1, 12, 41), b"H22.01.01.10.00")  # HERO11: UTC
        # set to UTC+02:00: the clock the camera showed, on any computer
        write_video(self.path(card, "GX010126.MP4"), (2024, 6, 1, 12, 41), b"H23.01.01.10.00", zone=120)
        os.utime(self.path(card, "GX010123.MP4"), (0, os.stat(self.path(card, "GX010123.MP4")).st_mtime))
        for tz, hour in [("Europe/Berlin", "14"), ("America/New_York", "08")]:
            with self.subTest(tz=tz):
                out = self.run_program(card, "-s", "-t", "-d", tz=tz)  # -d changes nothing
                self.assertBytes(out, BANNER + preview(listed(self.path(card), {
                    "GX010123.MP4": "2017-04-17_19-27-57_G-HEVC-0123-01.mp4",
                    "GX020123.MP4": "2017-04-17_19-27-57_G-HEVC-0123-02.mp4",
                    "GH020124.MP4": "2024-06-01_%s-41-00_G-AVC-0124-02.mp4" % hour,
                    "GH030124.MP4": "2024-06-01_%s-41-00_G-AVC-0124-03.mp4" % hour,
                    "GX010125.MP4": "2024-06-01_%s-41-00_G-HEVC-0125-01.mp4" % hour,
                    "GX010126.MP4": "2024-06-01_14-41-00_G-HEVC-0126-01.mp4"})))
        self.assertIn(line("    > Recording of %s started 2024-06-01_14-41-00, UTC+02:00, as the camera was set"
                           % joined(card, "GX010126.MP4")), self.run_program(card, "-s", "-t", "-v"))
        if not harness.WINE:  # reading left the access time as it was
            self.assertEqual(os.stat(self.path(card, "GX010123.MP4")).st_atime, 0)

    def test_without_a_usable_time_the_last_change(self):
        card = self.card({"GX010125.MP4": "not a video", "GX010126.MP4": "GX010126"})
        write_video(self.path(card, "GX010127.MP4"), None)  # a creation time of 0
        with open(self.path(card, "GX010126.MP4"), "ab") as handle:  # a box reaching past the end
            handle.write(struct.pack(">I4s", 4096, b"moov"))
        write_video(self.path(card, "GX020125.MP4"), (2019, 1, 2, 3, 4, 5))  # the chapter that can be read
        for name in ["GX010125.MP4", "GX010126.MP4", "GX010127.MP4"]:
            harness.set_mtime(self.path(card, name), utc(2023, 5, 6, 15, 59, 2))
        self.assertBytes(self.run_program(card, "-s", "-t"), BANNER + preview(listed(self.path(card), {
            "GX010125.MP4": "2019-01-02_03-04-05_G-HEVC-0125-01.mp4", "GX020125.MP4": "2019-01-02_03-04-05_G-HEVC-0125-02.mp4",
            "GX010126.MP4": "2023-05-06_15-59-02_G-HEVC-0126-01.mp4",
            "GX010127.MP4": "2023-05-06_15-59-02_G-HEVC-0127-01.mp4"})))
        out = self.run_program(card, "-s", "-t", "-v")  # -v says where each recording's time came from
        for said in ["    > Recording of %s started 2019-01-02_03-04-05, by the camera's clock" % joined(card, "GX020125.MP4"),
                     "    > Recording of %s: no start time in its videos, each chapter dated by its last change"
                     % joined(card, "GX010126.MP4")]:
            self.assertIn(line(said), out)

    def test_a_fifo_holds_no_time(self):
        # That it is never opened is asked of the listing in process (its log of opens).
        if harness.WINE:
            self.skipTest("FIFOs are POSIX")
        fifo = self.path(self.card([]), "GX010128.MP4")
        os.mkfifo(fifo)
        harness.set_mtime(fifo, utc(2023, 5, 6, 15, 59, 2))
        self.assertBytes(self.run_program("card", "-s", "-t"),
                         BANNER + preview([("GX010128.MP4", "2023-05-06_15-59-02_G-HEVC-0128-01.mp4")]))

    def test_sidecars_take_the_prefix_and_short_names_none(self):
        card = self.card(["GL010123.LRV", "GX010123.THM"])
        write_video(self.path(card, "GX010123.MP4"), (2017, 4, 17, 19, 27, 57))
        for switches, stem in [(["-l"], "2017-04-17_19-27-57_G-HEVC-0123-01"), (["-l", "-o"], "GX012301")]:
            with self.subTest(switches=switches):
                sidecars = listed(self.path(card), {"GL010123.LRV": stem + ".lrv", "GX010123.THM": stem + ".thm"})
                out = self.run_program(card, "-s", "-t", *switches)
                self.assertBytes(out, BANNER + preview([("GX010123.MP4", stem + ".mp4")] + sidecars))


class CameraNames(PipeTest):
    """-c: the camera's names back."""

    def test_a_run_and_then_c_give_the_names_back(self):
        names = ["GX010123.MP4", "gx020123.mp4", "GOPR0007.MP4", "GP010007.MP4", "GL010123.LRV", "GX010123.THM"]
        self.card(names)
        self.run_program("card", "-u", "-l")
        videos = {"G-HEVC-0123-01.mp4": "GX010123.MP4", "G-HEVC-0123-02.mp4": "GX020123.MP4",
                  "G-AVC-0007-PR.mp4": "GOPR0007.MP4", "G-AVC-0007-01.mp4": "GP010007.MP4"}
        sidecars = {"G-HEVC-0123-01.lrv": "GL010123.LRV", "G-HEVC-0123-01.thm": "GX010123.THM"}
        jobs = [job for video, back in listed(self.path("card"), videos)
                for job in [(video, back)] + (listed(self.path("card"), sidecars) if video == "G-HEVC-0123-01.mp4" else [])]
        self.assertBytes(self.run_program("card", "-u", "-l", "-c"), BANNER + preview(jobs) + renamed("card", jobs))
        self.assertEqual(self.on_disk(), {name.upper(): enc(name) for name in names})

    def test_a_chapter_that_cannot_be_read_leaves_its_recording_as_it_is(self):
        if not harness.HOLDER:
            self.skipTest("a file held without sharing: the Windows build (--holder); the seam tests cover the rest")
        card = self.card([])
        for name, minute in [("GX010123.MP4", 0), ("GX020123.MP4", 17), ("GX010124.MP4", 40)]:
            write_video(self.path(card, name), (2017, 4, 17, 19, minute, 0))
        held = "Z:" + self.path(card, "GX010123.MP4").replace("/", "\\")
        holder = subprocess.Popen(harness.command([held], program=harness.HOLDER), stdin=subprocess.PIPE,
                                  stdout=subprocess.PIPE, env=harness.environment())
        try:
            self.assertEqual(holder.stdout.readline().strip(), b"held")
            out = self.run_program(card, "-u", "-t")
        finally:
            holder.stdin.close()
            holder.wait(timeout=300)
        jobs = [("GX010124.MP4", "2017-04-17_19-40-00_G-HEVC-0124-01.mp4")]
        self.assertBytes(out, BANNER + line("    [!!] Could not read %s: the file is in use. Its recording stays as it is..."
                                            % joined(card, "GX010123.MP4")) + preview(jobs) + renamed(card, jobs))
        self.assertEqual(sorted(self.on_disk(card)), ["2017-04-17_19-40-00_G-HEVC-0124-01.mp4", "GX010123.MP4", "GX020123.MP4"])


class All(PipeTest):
    """-a: 360 videos and camera names with a prefix, there and back."""

    def test_a_run_and_then_c_give_the_names_back(self):
        videos = {"GS010135.360": "G-360-0135-01.360", "CamA-GH010206.MP4": "CamA-G-AVC-0206-01.mp4",
                  "GX010123.MP4": "G-HEVC-0123-01.mp4"}
        sidecars = {"GS010135.360": {"GS010135.THM": "G-360-0135-01.thm", "GL010135.LRV": "G-360-0135-01.lrv"},
                    "CamA-GH010206.MP4": {"CamA-GL010206.LRV": "CamA-G-AVC-0206-01.lrv"}}
        names = list(videos) + [name for group in sidecars.values() for name in group]
        self.card(names)
        card = self.path("card")
        self.assertBytes(self.run_program("card", "-s", "-l"),  # without -a, only the MP4
                         BANNER + preview([("GX010123.MP4", "G-HEVC-0123-01.mp4")]))
        jobs = [job for video, final in listed(card, videos)
                for job in [(video, final)] + listed(card, sidecars.get(video, {}))]
        self.assertBytes(self.run_program("card", "-u", "-l", "-a"), BANNER + preview(jobs) + renamed("card", jobs))
        back_videos = {final: video for video, final in videos.items()}
        back_sidecars = {videos[video]: {final: old for old, final in group.items()}
                         for video, group in sidecars.items()}
        back = [job for final, video in listed(card, back_videos)
                for job in [(final, video)] + listed(card, back_sidecars.get(final, {}))]
        self.assertBytes(self.run_program("card", "-u", "-l", "-a", "-c"), BANNER + preview(back) + renamed("card", back))
        self.assertEqual(self.on_disk(), {name: enc(name) for name in names})


class JsonLines(PipeTest):
    """-j: one JSON object a line, for scripts; read here by Python's own json."""

    def test_plan_and_outcome_as_json(self):
        import json
        odd = "G\"\\\t0123.MP4" if not harness.WINE else "G\u00e9\u00e8\u00ea0123.MP4"  # quote, backslash, tab
        names = ["GX010123.MP4", odd, "GL019999.LRV"]
        self.card(names)
        path = lambda name: joined("card", name)
        odd_final = "G-AVC-0123-%s.mp4" % odd[2:4]
        plan = [{"type": "rename", "from": path(old), "to": path(final)}
                for old, final in listed(self.path("card"), {"GX010123.MP4": "G-HEVC-0123-01.mp4", odd: odd_final})]
        note = [{"type": "note", "file": path("GL019999.LRV"), "reason": "no_video"}]
        out = self.run_program("card", "-s", "-j", "-l")
        self.assertNotIn(b"\r", out)
        self.assertEqual([json.loads(line) for line in out.decode("utf-8").splitlines()],
                         plan + note + [{"type": "summary", "planned": 2, "renamed": 0, "failed": 0}])
        out = self.run_program("card", "-u", "-j", "-l")
        done = [{"type": "renamed", "from": job["from"], "to": job["to"]} for job in plan]
        self.assertEqual([json.loads(line) for line in out.decode("utf-8").splitlines()],
                         plan + note + done + [{"type": "summary", "planned": 2, "renamed": 2, "failed": 0}])
        self.assertEqual(sorted(self.on_disk()), sorted(["G-HEVC-0123-01.mp4", odd_final, "GL019999.LRV"]))


class Finish(PipeTest):
    """-f: the temporary names of a run cut short go to their final names."""

    TEMPORARY = {"4821_G-HEVC-0123-01.mp4": "G-HEVC-0123-01.mp4", "5555_G-HEVC-0123-01.lrv": "G-HEVC-0123-01.lrv",
                 "1000_2023-05-06_15-59-02_G-AVC-0007-PR.mp4": "2023-05-06_15-59-02_G-AVC-0007-PR.mp4",
                 "9999_GX012301.mp4": "GX012301.mp4", "7777_G-AVC-0124-09.thm": "G-AVC-0124-09.thm"}
    OTHERS = ["2019_Paris.mp4", "2019_Greece01.mp4", "0123_G-HEVC-0123-02.mp4", "GX010124.MP4", "G-AVC-0124-09.mp4",
              "6666_G-AVC-0999-01.thm"]  # the last: a thumbnail whose video is nowhere

    def test_only_temporary_names_move_and_a_taken_name_stays(self):
        self.card(list(self.TEMPORARY) + self.OTHERS)
        self.card(["G-AVC-0124-09.thm"], content="mine")
        groups = {name: [(name, final)] for name, final in self.TEMPORARY.items()}
        groups["4821_G-HEVC-0123-01.mp4"] += groups.pop("5555_G-HEVC-0123-01.lrv")  # the proxy after its video
        jobs = [job for name in harness.listing_order(self.path("card")) for job in groups.get(name, [])]
        out = self.run_program("card", "-f", "-u", "-d", "-o", "-l")  # -d, -o and -l change nothing
        report = [("    [!!] Could not rename %s, to %s. Skipping..." % (joined("card", old), joined("card", final))
                   if old == "7777_G-AVC-0124-09.thm" else "    [OK] %s  -->  %s" % (old, joined("card", final)))
                  for old, final in jobs]
        self.assertBytes(out, BANNER + preview(jobs) + line("\n\r  Renaming 5 files to final names...")
                         + b"".join(map(line, report)) + line("\n\r  Successfully renamed 4 of 5 files.") + line("\n\r"))
        expected = {name: enc(name) for name in self.OTHERS + ["7777_G-AVC-0124-09.thm"]}
        expected.update({final: enc(name) for name, final in self.TEMPORARY.items()})
        expected["G-AVC-0124-09.thm"] = b"mine"
        self.assertEqual(self.on_disk(), expected)

    def test_nothing_to_finish(self):
        self.card(self.OTHERS[:-1])
        self.assertBytes(self.run_program("card", "-f", "-u"), BANNER + line(NO_FILES))


if __name__ == "__main__":
    harness.main()
