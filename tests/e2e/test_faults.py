#!/usr/bin/env python3
"""chaptersort when things go wrong: killed in the middle of a run, paths at the system's
limits, link loops, a tree changed by someone else while the prompt waits, a huge folder,
odd ways of naming the folder, and a reader that stops reading.

Every file a test makes holds its own name, and every test reads back every file with its
content afterwards: each file must be there exactly once, under its old name, its temporary
name (four digits, "_", the final name) or its final name, and no other file replaced.

    python3 tests/e2e/test_faults.py --program build/release/chaptersort
    python3 tests/e2e/test_faults.py --program build/windows/chaptersort.exe --wine
"""

import os
import shutil
import re
import resource
import select
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

enc, line, joined = harness.enc, harness.line, harness.joined

PROMPT = b"\n\r  Press any key to continue renaming or [Esc] to abort...\r\n"
DIGITS = "####"  # stands for the four random digits of a temporary name in expected output


def temporary(final):
    """The temporary names of the file with the given final name: four digits from 1000, "_", the final name."""
    return re.compile(r"[1-9][0-9]{3}_" + re.escape(final))


def in_order(folder, pieces):
    """The jobs of a folder's entries, pieces {entry name: [jobs]}, in the order the platform
    lists the folder; an entry the scan passes by (a folder reached through a link) has no piece."""
    return sum((pieces[name] for name in harness.listing_order(folder) if name in pieces), [])


def listed(folder, shown, finals):
    """The jobs of the files finals {old name: final name} of one folder, in its listing order."""
    return in_order(folder, {old: [(shown, old, final)] for old, final in finals.items()})


def preview(jobs):
    """jobs: (shown folder, old name, final name) in the order found."""
    return line("\n\r  Renaming Preview:") + b"".join(line("    %s  -->  %s" % (old, final)) for _, old, final in jobs)


def report(jobs, outcomes=None):
    """The two passes of a run without -v. outcomes[i] is where job i ends: "final" (both
    renames succeed), "temp" (the final name is taken) or "old" (pass 1 fails)."""
    outcomes = outcomes or ["final"] * len(jobs)
    total = len(jobs)
    out = b""
    for (folder, old, final), outcome in zip(jobs, outcomes):
        if outcome == "old":
            out += line("    [!!] Could not rename %s, to %s. Skipping..."
                        % (joined(folder, old), joined(folder, DIGITS + "_" + final)))
    out += line("\n\r  Successfully renamed %d of %d temp files." % (total - outcomes.count("old"), total))
    out += line("\n\r  Renaming %d files to final names..." % total)
    for (folder, old, final), outcome in zip(jobs, outcomes):
        if outcome == "final":
            out += line("    [OK] %s  -->  %s" % (old, joined(folder, final)))
        else:
            out += line("    [!!] Could not rename %s, to %s. Skipping..."
                        % (joined(folder, DIGITS + "_" + final), joined(folder, final)))
    return out + line("\n\r  Successfully renamed %d of %d files." % (outcomes.count("final"), total)) + line("\n\r")


def files_below(root):
    """{relative path: content} of every file below root, and {relative path: target text}
    of every symbolic link, never followed. Walks through folder descriptors without
    recursion, so trees deeper than Python's recursion limit and paths longer than the
    system takes read back too."""
    found = {}
    stack = [(os.open(root, os.O_RDONLY | os.O_DIRECTORY), "")]
    while stack:
        fd, prefix = stack.pop()
        try:
            for entry in os.scandir(fd):
                relative = prefix + entry.name
                if entry.is_symlink():
                    found[relative] = os.readlink(entry.name, dir_fd=fd)
                elif entry.is_dir(follow_symlinks=False):
                    stack.append((os.open(entry.name, os.O_RDONLY | os.O_DIRECTORY, dir_fd=fd), relative + "/"))
                else:
                    with open(os.open(entry.name, os.O_RDONLY, dir_fd=fd), "rb") as handle:
                        found[relative] = handle.read()
        finally:
            os.close(fd)
    return found


def make_deep(base, folders, files):
    """Makes base/folders[0]/folders[1]/... one step at a time through folder descriptors,
    since the absolute path may be longer than the system takes; files maps a depth (1 is
    folders[0]) to the names made there, each holding its own name."""
    fd = os.open(base, os.O_RDONLY | os.O_DIRECTORY)
    try:
        for depth, folder in enumerate(folders, 1):
            os.mkdir(folder, dir_fd=fd)
            inner = os.open(folder, os.O_RDONLY | os.O_DIRECTORY, dir_fd=fd)
            os.close(fd)
            fd = inner
            for name in files.get(depth, []):
                with open(os.open(name, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o644, dir_fd=fd), "wb") as handle:
                    handle.write(name.encode())
    finally:
        os.close(fd)


def folder_names(letter, length):
    """Folder names of at most 255 bytes (the longest name the file system takes), which,
    each with a separator in front, add up to exactly length characters."""
    names = []
    while length > 0:
        size = 254 if length == 257 else min(255, length - 1)  # never leave a lone separator
        names.append(letter * size)
        length -= size + 1
    return names


class FaultTest(harness.TempDirTest):

    def tearDown(self):
        # shutil.rmtree recurses once per level and gives up on the 1,000-deep tree
        subprocess.run(["rm", "-rf", "--", self.root], check=False)
        super().tearDown()

    def run_program(self, *args, cwd=None):
        result = harness.run(list(args), cwd or self.root)
        self.assertEqual(result.returncode, 0, args)
        self.assertEqual(result.stderr, b"", args)
        return result.stdout

    def card(self, names, folder="card", content=None):
        os.makedirs(self.path(folder), exist_ok=True)
        harness.make_files(self.path(folder), names, content)
        return folder

    def assertOutput(self, got, expected):
        """Byte for byte; DIGITS in expected matches four random digits. On a difference
        shows the first line that differs, which stays readable for 200,000 lines."""
        def same(got, expected):
            parts = expected.split(DIGITS.encode())
            return got == expected if len(parts) == 1 else bool(
                re.fullmatch(rb"[1-9][0-9]{3}".join(re.escape(part) for part in parts), got, re.DOTALL))
        if same(got, expected):
            return
        got_lines, expected_lines = got.split(b"\r\n"), expected.split(b"\r\n")
        for number, (a, b) in enumerate(zip(got_lines, expected_lines)):
            if not same(a, b):
                self.fail("output line %d is %r, expected %r" % (number, a[:300], b[:300]))
        self.fail("output has %d lines, expected %d; ends %r" % (len(got_lines), len(expected_lines), got[-300:]))

    def assertEachFileOnce(self, card, cameras, others):
        """cameras: {path below card: final name} of the files the program may move, each
        holding its path; others: {path: content} of files and links that must stay as
        they are. Each camera file must be found once, in its own folder, under its old,
        temporary or final name; nothing else may be there."""
        disk = files_below(self.path(card))
        where = {}
        for path, content in disk.items():
            if path in others:
                self.assertEqual(content, others[path], path + " was replaced")
                continue
            self.assertIsInstance(content, bytes, "a link appeared: " + path)
            old = content.decode("utf-8", "surrogateescape")
            self.assertIn(old, cameras, "a file that should not be there: %s holding %r" % (path, content))
            self.assertNotIn(old, where, "%s is there twice: %s and %s" % (old, where.get(old), path))
            where[old] = path
        self.assertEqual(sorted(set(cameras) - set(where)), [], "files lost")
        self.assertEqual(sorted(set(others) - set(disk)), [], "files the program must not touch are gone")
        for old, path in where.items():
            folder, name = os.path.split(path)
            self.assertEqual(folder, os.path.dirname(old), old + " left its folder")
            self.assertTrue(name in (os.path.basename(old), cameras[old]) or temporary(cameras[old]).fullmatch(name),
                            "%s is under the name %s" % (old, name))
        return where


class Recovery(FaultTest):
    """A run cut at a rename, then -f, then the same run again: every file ends under its
    final name, exactly once."""

    def test_cut_at_every_rename_with_sidecars(self):
        if harness.WINE or not shutil.which("strace"):
            self.skipTest("native, with strace to cut the run at a chosen rename")
        card = {"GX010123.MP4": "G-HEVC-0123-01.mp4", "GX010123.THM": "G-HEVC-0123-01.thm",
                "GL010123.LRV": "G-HEVC-0123-01.lrv", "GH010124.MP4": "G-AVC-0124-01.mp4",
                "GH010124.THM": "G-AVC-0124-01.thm"}
        for cut in range(1, 2 * len(card) + 1):  # each rename of both passes, one trial each
            with self.subTest(cut=cut):
                folder = self.card(card, "cut%d" % cut)
                inject = "inject=renameat2:signal=SIGKILL:when=%d" % cut
                subprocess.run(["strace", "-f", "-o", "/dev/null", "-e", inject] + harness.command([folder, "-u", "-l"]),
                               cwd=self.root, stdout=subprocess.DEVNULL, env=harness.environment(), timeout=60)
                self.assertEachFileOnce(folder, card, {})
                for args in (["-f", "-u"], ["-u", "-l"]):  # the recovery: -f, then the same run again
                    self.run_program(folder, *args)
                self.assertEqual(files_below(self.path(folder)), {final: old.encode() for old, final in card.items()})

    def test_one_file_under_two_names(self):
        # What a cut between the link and the unlink of a rename leaves: -f removes the
        # temporary name, a name and not the file.
        self.card(["4821_G-HEVC-0123-01.mp4"])
        try:
            os.link(self.path("card", "4821_G-HEVC-0123-01.mp4"), self.path("card", "G-HEVC-0123-01.mp4"))
        except OSError as error:
            self.skipTest("no hard links here: %s" % error)
        out = self.run_program("card", "-f", "-u")
        self.assertOutput(out, harness.banner_bytes() + preview([])
                          + line("    4821_G-HEVC-0123-01.mp4  -->  removed, a second name of G-HEVC-0123-01.mp4")
                          + line("    [OK] Removed %s, a second name of G-HEVC-0123-01.mp4"
                                 % joined("card", "4821_G-HEVC-0123-01.mp4")) + line("\n\r"))
        self.assertEqual(files_below(self.path("card")), {"G-HEVC-0123-01.mp4": b"4821_G-HEVC-0123-01.mp4"})


class Limits(FaultTest):

    def test_rename_past_the_path_limit_fails_and_keeps_the_file(self):
        if harness.WINE:
            self.skipTest("wine keeps no path limit of its own (a 300-character path renames fine) and "
                          "turns every path into an absolute Linux one, so it cannot even list this folder")
        # The program gets paths relative to its folder, so the limit applies to those. In
        # "a..." the old path is exactly as long as a path may be, and the temporary one
        # longer; in "b..." the temporary path is exactly as long as a path may be.
        longest = os.pathconf(self.root, "PC_PATH_MAX") - 1
        os.makedirs(self.path("card"))
        kept = folder_names("a", longest - len("card/GX010001.MP4"))
        fits = folder_names("b", longest - len("card/1234_G-HEVC-0002-01.mp4"))
        make_deep(self.path("card"), kept, {len(kept): ["GX010001.MP4"]})
        make_deep(self.path("card"), fits, {len(fits): ["GX010002.MP4"]})
        self.assertEqual(max(len(name) for name in kept + fits), 255)
        kept_shown, fits_shown = "/".join(["card"] + kept), "/".join(["card"] + fits)
        self.assertEqual(len(kept_shown + "/GX010001.MP4"), longest)
        jobs = in_order(self.path("card"), {kept[0]: [(kept_shown, "GX010001.MP4", "G-HEVC-0001-01.mp4")],
                                            fits[0]: [(fits_shown, "GX010002.MP4", "G-HEVC-0002-01.mp4")]})
        out = self.run_program("card", "-r", "-u")
        outcomes = ["old" if folder == kept_shown else "final" for folder, _, _ in jobs]
        self.assertOutput(out, harness.banner_bytes() + preview(jobs) + report(jobs, outcomes))
        self.assertEqual(files_below(self.path("card")),
                         {kept_shown[5:] + "/GX010001.MP4": b"GX010001.MP4",
                          fits_shown[5:] + "/G-HEVC-0002-01.mp4": b"GX010002.MP4"})

    def test_folder_that_cannot_be_listed_is_named(self):
        if harness.WINE:
            self.skipTest("wine keeps no path limit of its own")
        # The folder "x" lies one step past the longest path the system takes.
        longest = os.pathconf(self.root, "PC_PATH_MAX") - 1
        self.card(["GX010001.MP4"])
        names = folder_names("a", longest - 1 - len("card"))
        make_deep(self.path("card"), names + ["x"], {len(names) + 1: ["GX010002.MP4"]})
        shown = "/".join(["card"] + names + ["x"])
        self.assertEqual(len(shown), longest + 1)
        self.assertOutput(self.run_program("card", "-r", "-s"),
                          harness.banner_bytes() + line("    [!!] Could not list %s. Skipping..." % shown)
                          + preview([("card", "GX010001.MP4", "G-HEVC-0001-01.mp4")]))

    def test_tree_1000_folders_deep(self):
        # Folder names as long as keeps the deepest temporary path, absolute as wine
        # makes it, within the limit: natively the relative paths come near it as well.
        longest = os.pathconf(self.root, "PC_PATH_MAX") - 1
        # Wine reaches a file through its prefix: $WINEPREFIX/dosdevices/z:/tmp/...
        card = len(self.path("card")) + (len(os.path.join(harness.WINE_PREFIX, "dosdevices", "z:")) if harness.WINE else 0)
        d = "d" * max(1, min(3, (longest - card - len("/1234_G-HEVC-0000-01.mp4")) // 1000 - 1))
        if not harness.WINE:  # macOS's limit of open files: the walk keeps no folder open while it goes deeper
            soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
            resource.setrlimit(resource.RLIMIT_NOFILE, (256, hard))
            self.addCleanup(resource.setrlimit, resource.RLIMIT_NOFILE, (soft, hard))
        os.makedirs(self.path("card"))
        make_deep(self.path("card"), [d] * 1000,
                  {1: ["GX010001.MP4"], 500: ["GH010500.MP4", "notes.txt"], 1000: ["GX011000.MP4"]})
        chapters = {1: ("GX010001.MP4", "G-HEVC-0001-01.mp4"), 500: ("GH010500.MP4", "G-AVC-0500-01.mp4"),
                    1000: ("GX011000.MP4", "G-HEVC-1000-01.mp4")}
        job = {depth: [("card" + (harness.SEP + d) * depth, old, final)] for depth, (old, final) in chapters.items()}
        # at depths 1 and 500 the chapter and the next folder as they are listed
        below_500 = in_order(os.path.join(self.path("card"), *[d] * 500), {"GH010500.MP4": job[500], d: job[1000]})
        jobs = in_order(self.path("card", d), {"GX010001.MP4": job[1], d: below_500})
        before = files_below(self.path("card"))
        self.assertOutput(self.run_program("card", "-r", "-s"), harness.banner_bytes() + preview(jobs))
        self.assertEqual(files_below(self.path("card")), before)

        self.assertOutput(self.run_program("card", "-r", "-u"), harness.banner_bytes() + preview(jobs) + report(jobs))
        after = dict(before)
        for depth, (old, final) in chapters.items():
            after["/".join([d] * depth + [final])] = after.pop("/".join([d] * depth + [old]))
        self.assertEqual(files_below(self.path("card")), after)

    def test_folder_of_100000_entries(self):
        if harness.WINE:
            self.skipTest("wine needs over half a minute to list 100,000 entries; the listing "
                          "code is the same one the smaller cases run")
        os.makedirs(self.path("big"))
        videos = {}
        fd = os.open(self.path("big"), os.O_RDONLY | os.O_DIRECTORY)
        try:
            for n in range(50000):  # half the camera's videos, half thumbnails of the same shape
                stem = "GX%02d%04d" % (1 + n // 10000, n % 10000)
                videos[stem + ".MP4"] = "G-HEVC-%04d-%02d.mp4" % (n % 10000, 1 + n // 10000)
                for name in (stem + ".MP4", stem + ".THM"):
                    os.close(os.open(name, os.O_WRONLY | os.O_CREAT, 0o644, dir_fd=fd))
        finally:
            os.close(fd)
        order = harness.listing_order(self.path("big"))
        self.assertEqual(len(order), 100000)
        out = self.run_program("big", "-s", "-v")
        expected = [line(), line("Processing files in big..."), line("  Found 100000 files.\n\r")]
        for name in order:
            expected.append(line("  > Examining big" + harness.SEP + name))
            if name in videos:
                expected.append(line("    > Match " + name))
        expected += [line(), line("  100000 files examined, 50000 eligible files found")]
        jobs = [("big", name, videos[name]) for name in order if name in videos]
        self.assertOutput(out, harness.banner_bytes() + b"".join(expected) + preview(jobs))
        self.assertEqual(out.split(b"Renaming Preview:\r\n")[1].count(b"\r\n"), 50000)
        self.assertEqual(sorted(os.listdir(self.path("big"))), sorted(order))

    def test_preview_reads_the_status_of_no_file_the_listing_typed(self):
        # ext4, tmpfs and FAT in the kernel tell each entry's type as they list it: a card of
        # 100,000 files then needs no call per file, and with -d one, for its time.
        if harness.WINE or not shutil.which("strace"):
            self.skipTest("native, with strace to see the calls")
        names = ["GX01%04d.MP4" % n for n in range(1, 101)]
        harness.make_files(self.path("card"), names)
        os.mkfifo(self.path("card", "GX010101.MP4"))  # neither a file nor a folder
        trace = self.path("calls")
        env = harness.environment(extra={"ASAN_OPTIONS": "detect_leaks=0"})  # LeakSanitizer cannot run under strace
        for args, stated in ((["-s"], []), (["-s", "-d"], names + ["GX010101.MP4"])):
            subprocess.run(["strace", "-f", "-o", trace, "-e", "trace=%stat,%lstat,%fstat"] +
                           harness.command([self.path("card")] + args), stdout=subprocess.DEVNULL, env=env, check=True)
            with open(trace) as handle:
                calls = handle.readlines()
            self.assertEqual(sorted(re.findall(r"GX01\d{4}\.MP4", "".join(calls))), stated, args)
            self.assertLess(len(calls), 100 + len(stated), "a call for each file")  # the folder's own are few


class Links(FaultTest):
    """-r never follows a link to a folder and lists no folder twice: the walk stays inside
    the folder the user named, and ends."""

    def test_links_lead_nowhere_and_each_file_is_renamed_once(self):
        outside = ["GX010009.MP4"]  # beside the card: a link to it must not reach it
        cameras = {"GX010001.MP4": "G-HEVC-0001-01.mp4", "sub/GX010002.MP4": "sub/G-HEVC-0002-01.mp4",
                   "a/GX010003.MP4": "a/G-HEVC-0003-01.mp4", "b/GX010004.MP4": "b/G-HEVC-0004-01.mp4"}
        for mode in ["-s", "-u"]:
            with self.subTest(mode=mode):
                parent = "parent" + mode
                card = self.card(cameras, parent + "/card")
                self.card(outside, parent)
                links = {"sub/loop": "..", "self": "self", "here": ".", "a/to_b": "../b", "b/to_a": "../a",
                         "up": "..", "absolute": self.path(parent), "root": "/"}
                for path, target in links.items():
                    os.symlink(target, self.path(card, path))
                before = files_below(self.path(card))
                jobs = in_order(self.path(card), {  # no link is entered
                    "GX010001.MP4": [(card, "GX010001.MP4", "G-HEVC-0001-01.mp4")],
                    "sub": [(joined(card, "sub"), "GX010002.MP4", "G-HEVC-0002-01.mp4")],
                    "a": [(joined(card, "a"), "GX010003.MP4", "G-HEVC-0003-01.mp4")],
                    "b": [(joined(card, "b"), "GX010004.MP4", "G-HEVC-0004-01.mp4")]})
                out = self.run_program(card, "-r", mode)
                if mode == "-s":
                    self.assertOutput(out, harness.banner_bytes() + preview(jobs))
                    self.assertEqual(files_below(self.path(card)), before)
                    continue
                self.assertOutput(out, harness.banner_bytes() + preview(jobs) + report(jobs))
                after = dict(links)
                after.update({final: old.encode() for old, final in cameras.items()})
                self.assertEqual(files_below(self.path(card)), after)
                with open(self.path(parent, "GX010009.MP4"), "rb") as handle:
                    self.assertEqual(handle.read(), b"GX010009.MP4")

    def test_link_that_leads_nowhere_is_dated_by_itself(self):
        if harness.WINE:
            self.skipTest("wine lists no link that leads nowhere")
        os.makedirs(self.path("card"))
        os.symlink("nowhere", self.path("card", "GX010123.MP4"))
        os.utime(self.path("card", "GX010123.MP4"), (1683388742, 1683388742), follow_symlinks=False)
        self.assertOutput(self.run_program("card", "-s", "-d"), harness.banner_bytes() + preview(
            [("card", "GX010123.MP4", "2023-05-06_15-59-02_G-HEVC-0123-01.mp4")]))

    def test_branching_links_and_a_linked_card(self):
        # 30 levels, each with two links to the next: followed, 2^30 folders.
        card = self.card(["d%02d/GX01%04d.MP4" % (n, n) for n in range(30)])
        for n in range(29):
            for link in ("a", "b"):
                os.symlink("../d%02d" % (n + 1), self.path(card, "d%02d" % n, link))
        os.symlink(card, self.path("linked"))  # the folder named may itself be a link
        jobs = in_order(self.path(card), {"d%02d" % n: [(joined("linked", "d%02d" % n), "GX01%04d.MP4" % n,
                                                         "G-HEVC-%04d-01.mp4" % n)] for n in range(30)})
        self.assertOutput(self.run_program("linked", "-r", "-s"), harness.banner_bytes() + preview(jobs))

    def test_bind_mount_adds_nothing(self):
        if harness.WINE or os.geteuid() != 0:
            self.skipTest("bind mounts: native, as root")
        card = self.card(["GX010001.MP4", "a/GX010002.MP4"])
        os.makedirs(self.path(card, "z_again"))
        if subprocess.run(["mount", "--bind", self.path(card, "a"), self.path(card, "z_again")],
                          capture_output=True).returncode != 0:
            self.skipTest("this machine cannot bind-mount")
        try:
            order = harness.listing_order(self.path(card))
            first = min(["a", "z_again"], key=order.index)  # the same folder, entered where first listed
            jobs = in_order(self.path(card), {"GX010001.MP4": [(card, "GX010001.MP4", "G-HEVC-0001-01.mp4")],
                                              first: [(joined(card, first), "GX010002.MP4", "G-HEVC-0002-01.mp4")]})
            out = self.run_program(card, "-r", "-u")
        finally:
            subprocess.run(["umount", self.path(card, "z_again")], check=True)
        self.assertOutput(out, harness.banner_bytes() + preview(jobs) + report(jobs))
        self.assertEqual(files_below(self.path(card)), {"G-HEVC-0001-01.mp4": b"GX010001.MP4",
                                                        "a/G-HEVC-0002-01.mp4": b"a/GX010002.MP4"})

    def test_system_tree_ends(self):
        if harness.WINE or not os.path.isdir("/sys/devices"):
            self.skipTest("a Linux /sys")
        self.assertOutput(self.run_program("/sys", "-r", "-s"),
                          harness.banner_bytes() + line("\n\r  No GoPro files found at specified path. Aborting"))


class ChangedAtThePrompt(FaultTest):
    """The tree changes between the scan and the rename: the program holds at its prompt
    with a pipe on its standard input while another process changes the card."""

    def at_prompt(self, *args):
        process = subprocess.Popen(harness.command(args), cwd=self.root, stdin=subprocess.PIPE,
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=harness.environment())
        out = b""
        deadline = time.monotonic() + (300 if harness.WINE else 60)
        while not out.endswith(PROMPT):
            ready, _, _ = select.select([process.stdout], [], [], max(0, deadline - time.monotonic()))
            chunk = os.read(process.stdout.fileno(), 65536) if ready else b""
            if not chunk:
                process.kill()
                self.fail("no prompt; the output was %r" % out[-300:])
            out += chunk
        return process, out

    def answer(self, process, out):
        rest, errors = process.communicate(b"y", timeout=300 if harness.WINE else 60)
        self.assertEqual((process.returncode, errors), (0, b""))
        return out + rest

    def test_folder_gone(self):
        self.card(["GX010001.MP4", "sub/GX010002.MP4", "sub/GX020002.MP4", "GX020001.MP4"])
        jobs = in_order(self.path("card"), {
            "GX010001.MP4": [("card", "GX010001.MP4", "G-HEVC-0001-01.mp4")],
            "sub": listed(self.path("card", "sub"), joined("card", "sub"),
                          {"GX010002.MP4": "G-HEVC-0002-01.mp4", "GX020002.MP4": "G-HEVC-0002-02.mp4"}),
            "GX020001.MP4": [("card", "GX020001.MP4", "G-HEVC-0001-02.mp4")]})
        process, out = self.at_prompt("card", "-r")
        os.rename(self.path("card", "sub"), self.path("away"))
        out = self.answer(process, out)
        outcomes = ["old" if folder != "card" else "final" for folder, _, _ in jobs]
        self.assertOutput(out, harness.banner_bytes() + preview(jobs) + PROMPT + report(jobs, outcomes))
        self.assertEqual(files_below(self.path("card")), {"G-HEVC-0001-01.mp4": b"GX010001.MP4",
                                                          "G-HEVC-0001-02.mp4": b"GX020001.MP4"})
        self.assertEqual(files_below(self.path("away")), {"GX010002.MP4": b"sub/GX010002.MP4",
                                                          "GX020002.MP4": b"sub/GX020002.MP4"})

    def test_file_renamed_away_and_final_name_taken(self):
        finals = {"GX010001.MP4": "G-HEVC-0001-01.mp4", "GX020001.MP4": "G-HEVC-0001-02.mp4",
                  "GX010003.MP4": "G-HEVC-0003-01.mp4"}
        self.card(finals)
        jobs = listed(self.path("card"), "card", finals)
        process, out = self.at_prompt("card")
        os.rename(self.path("card", "GX020001.MP4"), self.path("card", "moved.MP4"))
        self.card(["G-HEVC-0003-01.mp4"], content="arrived")
        out = self.answer(process, out)
        outcome = {"GX010001.MP4": "final", "GX020001.MP4": "old", "GX010003.MP4": "temp"}
        self.assertOutput(out, harness.banner_bytes() + preview(jobs) + PROMPT
                          + report(jobs, [outcome[name] for _, name, _ in jobs]))
        disk = files_below(self.path("card"))
        temp = [name for name in disk if temporary("G-HEVC-0003-01.mp4").fullmatch(name)]
        self.assertEqual(disk, {"G-HEVC-0001-01.mp4": b"GX010001.MP4", "moved.MP4": b"GX020001.MP4",
                                "G-HEVC-0003-01.mp4": b"arrived", (temp or ["no temporary name"])[0]: b"GX010003.MP4"})

    def test_signal_while_the_prompt_waits(self):
        # A signal the program handles (SIGCONT, as after a stop) interrupts the read of the
        # answer, which is still to come: a key, or the end of the input (Esc).
        if harness.WINE:
            self.skipTest("the signals of POSIX")
        for answer, after in ((b"y", "G-HEVC-0001-01.mp4"), (b"", "GX010001.MP4")):
            with self.subTest(answer=answer):
                self.card(["GX010001.MP4"], folder="card%d" % len(answer))
                process, out = self.at_prompt("card%d" % len(answer))
                for sent in (None, signal.SIGCONT):  # asleep with nothing pending: in the read
                    if sent:
                        process.send_signal(sent)
                    self.assertTrue(harness.poll_until(lambda: harness.process_state(process.pid) in ("S", "Z")))
                process.communicate(answer, timeout=60)
                self.assertEqual(files_below(self.path("card%d" % len(answer))), {after: b"GX010001.MP4"})


class TemporaryNameTaken(FaultTest):

    def test_file_whose_temporary_name_is_taken_stays_and_nothing_else_moves(self):
        # Every temporary name the job could draw belongs to another file (a leftover of an
        # earlier run): pass 1 fails, and pass 2 must not move that other file instead.
        self.card(["GX010123.MP4"])
        leftovers = ["%d_G-HEVC-0123-01.mp4" % n for n in range(1000, 10000)]
        self.card(leftovers)
        jobs = [("card", "GX010123.MP4", "G-HEVC-0123-01.mp4")]
        out = self.run_program("card", "-u")
        self.assertOutput(out, harness.banner_bytes() + preview(jobs) + report(jobs, ["old"]))
        self.assertEqual(files_below(self.path("card")),
                         {name: name.encode() for name in leftovers + ["GX010123.MP4"]})


class FarFutureTime(FaultTest):

    def test_time_outside_any_calendar_is_no_date(self):
        if harness.WINE or not os.path.isdir("/dev/shm"):
            self.skipTest("a tmpfs at /dev/shm, which keeps any 64-bit time")
        for seconds in (100000000000000, -100000000000000):  # 3 million years either way
            with self.subTest(seconds=seconds):
                folder = tempfile.mkdtemp(dir="/dev/shm", prefix="chaptersort-")
                try:
                    harness.make_files(folder, ["GX010123.MP4"])
                    harness.set_mtime(os.path.join(folder, "GX010123.MP4"), seconds)
                    out = self.run_program(folder, "-s", "-d")
                finally:
                    subprocess.run(["rm", "-rf", "--", folder], check=False)
                self.assertOutput(out, harness.banner_bytes() + preview([(folder, "GX010123.MP4", "_G-HEVC-0123-01.mp4")]))


class Refused(FaultTest):

    def test_file_the_system_will_not_rename(self):
        # An immutable file cannot be renamed even by root: its pass-1 rename fails, and
        # so, from its temporary path, does its pass-2 rename.
        self.card(["GX010001.MP4", "GX020001.MP4", "GX030001.MP4"])
        held = self.path("card", "GX020001.MP4")
        if subprocess.run(["chattr", "+i", held], capture_output=True).returncode != 0:
            self.skipTest("this file system or user cannot make a file immutable")
        try:
            jobs = listed(self.path("card"), "card", {"GX010001.MP4": "G-HEVC-0001-01.mp4",
                                                      "GX020001.MP4": "G-HEVC-0001-02.mp4",
                                                      "GX030001.MP4": "G-HEVC-0001-03.mp4"})
            out = self.run_program("card", "-u")
        finally:
            subprocess.run(["chattr", "-i", held], check=True)
        outcomes = ["old" if name == "GX020001.MP4" else "final" for _, name, _ in jobs]
        self.assertOutput(out, harness.banner_bytes() + preview(jobs) + report(jobs, outcomes))
        self.assertEqual(files_below(self.path("card")), {"G-HEVC-0001-01.mp4": b"GX010001.MP4",
                                                          "GX020001.MP4": b"GX020001.MP4",
                                                          "G-HEVC-0001-03.mp4": b"GX030001.MP4"})

    def test_system_without_a_rename_that_cannot_replace(self):
        # A file system that refuses renameat2's flag (NFS, some FUSE), or a kernel before
        # 3.15: each file is linked under its new name instead, and its old name removed.
        if harness.WINE or not shutil.which("strace"):
            self.skipTest("native, with strace to refuse the call")
        self.card(["GX010001.MP4", "GX020001.MP4"])
        subprocess.run(["strace", "-f", "-o", "/dev/null", "-e", "inject=renameat2:error=EINVAL"] +
                       harness.command(["card", "-u"]), cwd=self.root, stdout=subprocess.DEVNULL,
                       env=harness.environment(extra={"ASAN_OPTIONS": "detect_leaks=0"}), check=True)
        self.assertEqual(files_below(self.path("card")), {"G-HEVC-0001-01.mp4": b"GX010001.MP4",
                                                          "G-HEVC-0001-02.mp4": b"GX020001.MP4"})


class FolderParameter(FaultTest):

    def test_dot_and_relative_folder(self):
        sep = harness.SEP
        for number, (parameter, inside) in enumerate([(".", True), ("card", False), ("." + sep + "card", False),
                                                      ("card" + sep + "sub" + sep + "..", False)]):
            with self.subTest(parameter=parameter):
                case = "case%d" % number
                self.card(["GX010001.MP4", "GH020002.MP4", "notes.txt"], case + "/card")
                os.makedirs(self.path(case, "card", "sub"))
                jobs = listed(self.path(case, "card"), parameter,  # sub is no file
                              {"GX010001.MP4": "G-HEVC-0001-01.mp4", "GH020002.MP4": "G-AVC-0002-02.mp4"})
                cwd = self.path(case, "card") if inside else self.path(case)
                out = self.run_program(parameter, "-u", cwd=cwd)
                # the printed targets are the folder as given, the separator and the name
                self.assertOutput(out, harness.banner_bytes() + preview(jobs) + report(jobs))
                self.assertEqual(files_below(self.path(case, "card")),
                                 {"G-HEVC-0001-01.mp4": b"GX010001.MP4", "G-AVC-0002-02.mp4": b"GH020002.MP4",
                                  "notes.txt": b"notes.txt"})


    def test_verbatim_path_and_a_drive_named_bare(self):
        if not harness.WINE:
            self.skipTest("Windows paths")
        self.card(["GX010001.MP4", "DCIM/GX010002.MP4"])
        # A \\?\ path keeps its trailing backslash single when a name is joined to it.
        verbatim = "\\\\?\\Z:" + self.path("card").replace("/", "\\") + "\\"
        jobs = [(verbatim[:-1], "GX010001.MP4", "G-HEVC-0001-01.mp4")]
        self.assertOutput(self.run_program(verbatim, "-u"), harness.banner_bytes() + preview(jobs) + report(jobs))
        # "Y:" is the root of drive Y, also when its current folder is Y:\DCIM, listed once.
        letter = next(letter for letter in "yxwvu" if not os.path.lexists(
            os.path.join(harness.WINE_PREFIX, "dosdevices", letter + ":")))
        drive = os.path.join(harness.WINE_PREFIX, "dosdevices", letter + ":")
        os.symlink(self.path("card"), drive)
        self.addCleanup(os.remove, drive)
        program = "Z:" + harness.PROGRAM.replace("/", "\\")
        command = "%s: & cd \\DCIM & %s %s: -r -s" % (letter, program, letter.upper())
        out = subprocess.run(["wine", "cmd", "/c", command], cwd=self.root,
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, env=harness.environment(), timeout=300)
        jobs = [(letter.upper() + ":\\DCIM", "GX010002.MP4", "G-HEVC-0002-01.mp4")]  # GX010001 is renamed
        self.assertOutput(out.stdout, harness.banner_bytes() + preview(jobs))


class ReaderGoesAway(FaultTest):
    """A closed pipe must not stop the program between its two passes."""

    CARD = {"GX01%04d.MP4" % n: "G-HEVC-%04d-01.mp4" % n for n in range(60)}

    def assertAllRenamed(self):
        self.assertEqual(files_below(self.path("card")), {final: name.encode() for name, final in self.CARD.items()})

    def test_reader_stops_after_100_bytes(self):
        self.card(self.CARD)
        program = subprocess.Popen(harness.command(["card", "-u"]), cwd=self.root, stdout=subprocess.PIPE,
                                   stderr=subprocess.PIPE, env=harness.environment())
        head = subprocess.Popen(["head", "-c", "100"], stdin=program.stdout, stdout=subprocess.PIPE)
        program.stdout.close()
        shown = head.communicate(timeout=300)[0]
        errors = program.communicate(timeout=300)[1]
        self.assertEqual(shown, harness.banner_bytes()[:100])
        self.assertEqual((program.returncode, errors), (0, b""))  # not ended by SIGPIPE
        self.assertAllRenamed()

    def test_pipe_closed_before_the_first_byte(self):
        self.card(self.CARD)
        reader, writer = os.pipe()
        os.close(reader)
        try:
            program = subprocess.Popen(harness.command(["card", "-u"]), cwd=self.root, stdout=writer,
                                       stderr=subprocess.PIPE, env=harness.environment())
        finally:
            os.close(writer)
        errors = program.communicate(timeout=300)[1]
        self.assertEqual((program.returncode, errors), (0, b""))
        self.assertAllRenamed()


if __name__ == "__main__":
    harness.main()
