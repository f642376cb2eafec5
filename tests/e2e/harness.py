"""Runs the real chaptersort binary (natively or under wine) on real temporary folders.

Every end-to-end test goes through here, so that the same cases run against the native
program and the Windows build: `run` gives the exact output bytes, and the helpers below
make camera cards and read back what is on disk afterwards.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

PROGRAM = None       # path of the program under test
WINE = False         # run it under wine (the Windows build)
SEP = "/"            # the separator the program joins paths with
EXPLORER = None      # the explorer.exe stand-in of the Windows build, when given
HOLDER = None        # the Windows build's helper that holds a file open without sharing
EMULATOR = []        # what runs a program built for another machine (qemu-aarch64 -L ...)
WINE_PREFIX = os.environ.get("WINEPREFIX") or os.path.expanduser("~/.wine")


def configure(argv=None):
    """Reads --program, --wine, --explorer and --holder, leaves the rest for unittest."""
    global PROGRAM, WINE, SEP, EXPLORER, HOLDER, EMULATOR
    parser = argparse.ArgumentParser(add_help=False)
    parser.add_argument("--program", required=True)
    parser.add_argument("--wine", action="store_true")
    parser.add_argument("--explorer")
    parser.add_argument("--holder")
    parser.add_argument("--emulator", default="")
    known, rest = parser.parse_known_args(argv if argv is not None else sys.argv[1:])
    PROGRAM = os.path.abspath(known.program)
    EXPLORER = os.path.abspath(known.explorer) if known.explorer else None
    HOLDER = os.path.abspath(known.holder) if known.holder else None
    EMULATOR = known.emulator.split()
    WINE = known.wine or PROGRAM.lower().endswith(".exe")
    SEP = "\\" if WINE else "/"
    return [sys.argv[0]] + rest


def command(args, program=None, explorer=False):
    """The command line that runs the program; with explorer, as a child of the stand-in."""
    program = program or PROGRAM
    prefix = ["wine"] if WINE else list(EMULATOR)
    if explorer:
        prefix.append(EXPLORER)
    return prefix + [program] + list(args)


def environment(tz="UTC0", extra=None):
    env = dict(os.environ)
    env["TZ"] = tz
    env["WINEDEBUG"] = "-all"
    env.setdefault("LANG", "C.UTF-8")
    if extra:
        env.update(extra)
    return env


def poll_until(condition):
    """Polls what the system shows until the condition holds, for at most a minute."""
    deadline = time.monotonic() + 60
    while not condition() and time.monotonic() < deadline:
        time.sleep(0.01)
    return condition()


def process_state(pid):
    """The state /proc shows (S asleep, T stopped), with "+" while a signal is pending."""
    with open("/proc/%d/status" % pid) as handle:
        status = dict(row.split(":", 1) for row in handle.read().splitlines())
    pending = int(status["SigPnd"], 16) or int(status["ShdPnd"], 16)
    return status["State"].split()[0] + ("+" if pending else "")


def run(args, cwd, stdin=b"", tz="UTC0", program=None, timeout=None):
    """Runs the program in cwd with the given arguments; stdin is bytes (a pipe) or None
    (no standard input at all). Returns the CompletedProcess with raw stdout bytes."""
    kwargs = {}
    if timeout is None:  # only a hang waits this long: wine on a busy machine is slow to start
        timeout = int(os.environ.get("CHAPTERSORT_TEST_HANG", 300 if WINE else 120))
    if stdin is None:
        kwargs["stdin"] = subprocess.DEVNULL
    else:
        kwargs["input"] = stdin
    return subprocess.run(command(args, program), cwd=cwd, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, env=environment(tz), timeout=timeout, **kwargs)


def enc(text):
    """Text as the program writes it to a pipe: UTF-8, and a name that is not UTF-8 on
    disk (held as surrogate escapes) as its raw bytes."""
    return text if isinstance(text, bytes) else text.encode("utf-8", "surrogateescape")


def line(text=""):
    """What one print_line of the text puts into a pipe."""
    return enc(text) + b"\r\n"


def joined(folder, name):
    """A folder and a name as the program joins them: the bare name for the current
    folder given as an empty parameter."""
    return folder + SEP + name if folder else name


def make_files(root, names, content=None):
    """Creates each file (relative names, '/' between folders). The content of each file
    is its own name unless given, so that a test can tell afterwards which file is which."""
    for name in names:
        path = os.path.join(root, *name.split("/"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        data = name if content is None else content
        with open(path, "wb") as handle:
            handle.write(data if isinstance(data, bytes) else data.encode())


def set_mtime(path, utc_seconds):
    os.utime(path, (utc_seconds, utc_seconds))


def files_on_disk(root):
    """{relative path: content bytes} of every file below root."""
    found = {}
    for folder, _, files in os.walk(root):
        for name in files:
            full = os.path.join(folder, name)
            with open(full, "rb") as handle:
                found[os.path.relpath(full, root).replace(os.sep, "/")] = handle.read()
    return found


def listing_order(folder):
    """The names of a folder in the order the program under test gets them, "." and ".."
    left out: natively what readdir gives; under wine what FindNextFileW gives, which is
    not readdir's order, since wine (8.0) sorts every directory it lists by the names
    upper-cased character by character, equal ones by their code units."""
    names = [entry.name for entry in os.scandir(folder)]
    if WINE:
        names.sort(key=lambda name: ("".join(c.upper() if len(c.upper()) == 1 else c for c in name), name))
    return names


def banner_bytes():
    """The 22 banner rows exactly as they reach a pipe (no colours): rows written whole end
    in CR LF, rows written in coloured pieces end in LF CR."""
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "expected", "banner.bin")
    with open(path, "rb") as handle:
        return handle.read()


class TempDirTest(unittest.TestCase):
    """A fresh temporary folder per test, removed afterwards."""

    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="chaptersort-test-")

    def tearDown(self):
        shutil.rmtree(self.root, ignore_errors=True)

    def path(self, *parts):
        return os.path.join(self.root, *parts)


def main():
    rest = configure()
    unittest.main(argv=rest, verbosity=2)
