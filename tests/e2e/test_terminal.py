"""chaptersort in a real terminal: a tmux pane running a shell, in which the program is
started as a user would start it, keys are typed with send-keys and the screen is read
back with capture-pane (with -e for colours).

    python3 tests/e2e/test_terminal.py --program build/release/chaptersort
    python3 tests/e2e/test_terminal.py --program build/windows/chaptersort.exe --wine

Every test gets its own tmux server on a private socket, killed afterwards.
"""

import fcntl
import os
import pty
import re
import select
import shlex
import shutil
import signal
import struct
import subprocess
import tempfile
import termios
import time

import harness
from harness import poll_until, process_state

PROMPT = "  Press any key to continue renaming or [Esc] to abort..."
CLOSING = "  Press any key to close this window..."
CARD = ["GX010123.MP4", "GX020123.MP4"]
CARD_BEFORE = {name: name.encode() for name in CARD}
CARD_AFTER = {"G-HEVC-0123-01.mp4": b"GX010123.MP4", "G-HEVC-0123-02.mp4": b"GX020123.MP4"}
SGR = re.compile(r"\x1b\[([0-9;:]*)m")


def styled(captured):
    """Turns `capture-pane -p -e` output into rows of (character, foreground, background),
    None standing for the terminal's default colour. tmux only writes the changes from
    one cell to the next, so the state runs on across rows."""
    fg = bg = None
    rows = []
    for line in captured.split("\n"):
        cells = []
        pos = 0
        for match in SGR.finditer(line):
            cells += [(ch, fg, bg) for ch in line[pos:match.start()]]
            pos = match.end()
            codes = [int(c) if c else 0 for c in re.split("[;:]", match.group(1))]
            i = 0
            while i < len(codes):
                code = codes[i]
                if code == 0:
                    fg = bg = None
                elif 30 <= code <= 37 or 90 <= code <= 97:
                    fg = code
                elif 40 <= code <= 47 or 100 <= code <= 107:
                    bg = code
                elif code == 39:
                    fg = None
                elif code == 49:
                    bg = None
                elif code in (38, 48) and i + 2 < len(codes) and codes[i + 1] == 5:
                    n = codes[i + 2]  # a palette index: the 16 console colours are its first 16
                    value = (30 + n if n < 8 else 82 + n) if n < 16 else 1000 + n
                    if code == 38:
                        fg = value
                    else:
                        bg = value + 10
                    i += 2
                elif code in (38, 48):
                    i += 4  # a direct RGB colour; the program never sends one
                i += 1
        cells += [(ch, fg, bg) for ch in line[pos:]]
        rows.append(cells)
    return rows


def text_of(cells):
    return "".join(ch for ch, _, _ in cells)


def setUpModule():
    if harness.WINE:
        # Wine's first start on a machine sets up its prefix, which takes far longer than
        # any wait below; a run of the help screen gets that done first.
        folder = tempfile.mkdtemp(prefix="chaptersort-tty-")
        try:
            harness.run([], cwd=folder, timeout=600)
        finally:
            shutil.rmtree(folder, ignore_errors=True)


class TerminalCase(harness.TempDirTest):
    """A temporary card folder and a tmux pane running a plain bash."""

    def setUp(self):
        super().setUp()
        self.addCleanup(shutil.rmtree, self.root, True)  # tearDown is skipped when setUp fails
        self.state = tempfile.mkdtemp(prefix="chaptersort-tty-")
        self.addCleanup(shutil.rmtree, self.state, True)
        self.socket = "chaptersort-e2e-%d-%s" % (os.getpid(), os.path.basename(self.state))
        socket_path = os.path.join(os.environ.get("TMUX_TMPDIR", "/tmp"), "tmux-%d" % os.getuid(), self.socket)
        self.addCleanup(lambda: os.path.exists(socket_path) and os.remove(socket_path))
        self.timeout = 120 if harness.WINE else 30  # only a hang ever waits this long
        self.env = harness.environment()
        self.env.pop("TMUX", None)
        self.tmux("new-session", "-d", "-x", "120", "-y", "50", "-s", "t",
                  "env PS1='$ ' HISTFILE=/dev/null bash --norc --noprofile +o history")
        self.addCleanup(self.tmux, "kill-server", check=False)
        self.shell = int(self.tmux("display", "-p", "-t", "t", "#{pane_pid}"))
        self.tty = self.tmux("display", "-p", "-t", "t", "#{pane_tty}")
        self.wait_for(lambda lines: "$" in lines, "the shell prompt")

    # --- tmux ------------------------------------------------------------------------

    def tmux(self, *args, check=True):
        done = subprocess.run(["tmux", "-L", self.socket, "-f", "/dev/null"] + list(args),
                              env=self.env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=check)
        return done.stdout.decode("utf-8", "replace").strip("\n")

    def keys(self, *keys):
        self.tmux("send-keys", "-t", "t", *keys)

    def type_line(self, line):
        self.tmux("send-keys", "-t", "t", "-l", line)
        self.keys("Enter")

    def screen(self):
        return self.tmux("capture-pane", "-p", "-t", "t").split("\n")

    def coloured_screen(self):
        return styled(self.tmux("capture-pane", "-p", "-e", "-t", "t"))

    def title(self):
        return self.tmux("display", "-p", "-t", "t", "#{pane_title}")

    def wait_until(self, condition, what):
        deadline = time.monotonic() + self.timeout
        while not condition():
            if time.monotonic() > deadline:
                self.fail("gave up waiting for %s; the screen shows:\n%s" % (what, "\n".join(self.screen())))
            time.sleep(0.1)

    def wait_for(self, wanted, what=None):
        """Polls the screen until `wanted` (a text, or a test on the list of rows) holds."""
        test = wanted if callable(wanted) else (lambda lines: any(wanted in line for line in lines))
        seen = {}

        def check():
            seen["lines"] = self.screen()
            return test(seen["lines"])

        self.wait_until(check, what or repr(wanted))
        return seen["lines"]

    # --- the program in the pane -------------------------------------------------------

    def start(self, *args, delay=0, env="", explorer=False):
        """Starts the program from the shell, with the terminal settings noted right before
        and right after it. The settings are read by a small sh around the program, since
        an interactive bash itself puts the terminal back after a job that a signal ended;
        its trap lets it go on after a Ctrl+C, which the program still gets as it should.
        With explorer, the program is started by the explorer.exe stand-in."""
        program = env + " ".join(shlex.quote(part) for part in harness.command(list(args), explorer=explorer))
        before, after = (shlex.quote(os.path.join(self.state, name)) for name in ("before", "after"))
        pause = "sleep %s; " % delay if delay else ""
        script = 'trap true INT QUIT; %sstty -g >%s; %s; s=$?; stty -g >%s; echo "ST""ATUS=$s"' % (
            pause, before, program, after)
        self.type_line("sh -c " + shlex.quote(script))

    def finish(self):
        """Waits for the program to end; returns its exit status as the shell saw it."""
        lines = self.wait_for(lambda rows: any(re.fullmatch(r"STATUS=\d+", row) for row in rows), "the program to end")
        return int([row for row in lines if row.startswith("STATUS=")][-1][7:])

    def assert_terminal_restored(self):
        # Under wine the terminal's modes are never the program's: wine's console host sets
        # the terminal raw for its whole life and puts it back itself as it ends, at a time
        # of its own. The colours the program leaves behind are the program's on both.
        if not harness.WINE:
            with open(os.path.join(self.state, "before")) as before, open(os.path.join(self.state, "after")) as after:
                settings = before.read()
                self.assertTrue(settings.strip())
                self.assertEqual(after.read(), settings, "stty -g differs after the program")
        status = [row for row in self.coloured_screen() if text_of(row).startswith("STATUS=")][-1]
        self.assertEqual({cell[1:] for cell in status}, {(None, None)},
                         "text after the program is not in the terminal's default colours")

    def children(self, parent):
        found = []
        for entry in os.listdir("/proc"):
            try:
                with open("/proc/%s/stat" % entry) as handle:
                    fields = handle.read().rsplit(")", 1)[1].split()
            except (OSError, IndexError):
                continue
            if int(fields[1]) == parent:
                found.append(int(entry))
        return found

    def program_pid(self):
        """The program's process: the one child of the sh that the shell started."""
        found = []

        def one_program():
            found[:] = [pid for sh in self.children(self.shell) for pid in self.children(sh)]
            return len(found) == 1

        self.wait_until(one_program, "the program's process")
        return found[0]

    def terminal_mode(self):
        """(local mode flags, bytes typed and not yet read) of the pane's terminal."""
        fd = os.open(self.tty, os.O_RDONLY | os.O_NOCTTY | os.O_NONBLOCK)
        try:
            lflag = termios.tcgetattr(fd)[3]
            waiting = struct.unpack("i", fcntl.ioctl(fd, termios.FIONREAD, b"\0\0\0\0"))[0]
        finally:
            os.close(fd)
        return lflag, waiting

    def wait_for_prompt(self):
        self.wait_for(PROMPT)
        if not harness.WINE:
            # The prompt is printed just before the terminal is switched to single keys;
            # typing before that would meet the line editor and its echo.
            self.wait_until(lambda: not self.terminal_mode()[0] & termios.ICANON, "single-key mode")

    def press_esc(self):
        self.keys("Escape")

    def settle_after_ignored_key(self):
        """Lets a key that must change nothing be read, so that "nothing changed" means it."""
        self.wait_until(lambda: self.terminal_mode()[1] == 0, "the key to be read")
        time.sleep(3 if harness.WINE else 0.5)

    def make_card(self):
        harness.make_files(self.root, CARD)

    def assert_waiting(self):
        lines = [row for row in self.screen() if row.strip()]
        self.assertEqual(lines[-1], PROMPT, "the prompt no longer waits:\n" + "\n".join(self.screen()))
        self.assertEqual(harness.files_on_disk(self.root), CARD_BEFORE)


class Look(TerminalCase):
    def test_banner_shows_light_red_and_yellow(self):
        self.make_card()
        self.start(self.root, "-s")
        self.wait_for("G-HEVC-0123-02.mp4")
        rows = self.coloured_screen()
        expected = re.split(r"\r\n|\n\r", harness.banner_bytes().decode())[:22]
        texts = [text_of(row) for row in rows]
        top = texts.index(expected[1].rstrip()) - 1
        self.assertEqual([t.rstrip() for t in texts[top:top + 22]], [e.rstrip() for e in expected])
        light = rows[top + 1]
        at = texts[top + 1].index("(||||)")
        self.assertEqual(light[at][1], 91, "'(' is not light red")
        self.assertEqual({cell[1:] for cell in light[at + 1:at + 5]}, {(30, 101)}, "'||||' is not black on light red")
        self.assertEqual(light[at + 5][1], 91, "')' is not light red")
        self.assertNotIn(91, {fg for _, fg, _ in light[at + 6:]})
        for row in rows[top + 3:top + 15]:  # rows 4 to 15: a yellow piece from column 12 to 35
            with self.subTest(row=text_of(row)):
                self.assertEqual({fg for ch, fg, _ in row[12:36] if ch != " "}, {93})
                self.assertNotIn(93, {fg for ch, fg, _ in row[:12] + row[36:] if ch != " "})
        self.assertEqual(self.finish(), 0)

    def test_terminal_left_as_found(self):
        self.make_card()
        self.start(self.root, "-s")
        self.wait_for("G-HEVC-0123-02.mp4")
        self.assertEqual(self.finish(), 0)
        self.assert_terminal_restored()


def start_on_pseudo_terminal(args, env, bytes_as_written=False, **popen):
    """The program with a new pseudo-terminal as its input and output: (process, master
    side). With bytes_as_written, the terminal adds no CR to the output's line ends."""
    master, slave = pty.openpty()
    if bytes_as_written:
        mode = termios.tcgetattr(slave)
        mode[1] &= ~termios.OPOST
        termios.tcsetattr(slave, termios.TCSANOW, mode)
    program = subprocess.Popen(harness.command(args), stdin=slave, stdout=slave, stderr=subprocess.DEVNULL, env=env,
                               **popen)
    os.close(slave)
    return program, master


# The terminal's own job in front of it, as one started from its shell: a session of its
# own, with the terminal as its controlling terminal.
IN_FRONT = dict(start_new_session=True, preexec_fn=lambda: fcntl.ioctl(0, termios.TIOCSCTTY, 0))


def read_past(master, text):
    """What the program writes to a pseudo-terminal until the text has come."""
    out = b""
    while text.encode() not in out:
        out += os.read(master, 65536)
    return out


def read_to_end(master):
    """Everything the program writes to a pseudo-terminal until it ends."""
    out = b""
    while True:
        try:
            chunk = os.read(master, 65536)
        except OSError:  # the program has ended and closed its side
            return out
        if not chunk:
            return out
        out += chunk


class ColoursOnATerminal(harness.TempDirTest):
    def test_banner_and_help_byte_for_byte(self):
        """Every colour the help screen sets, as the terminal receives it (the version aside)."""
        if harness.WINE:
            self.skipTest("wine's console sends a terminal sequences of its own")
        env = harness.environment()
        env.pop("NO_COLOR", None)
        program, master = start_on_pseudo_terminal([], env, bytes_as_written=True)
        out = read_to_end(master)
        os.close(master)
        self.assertEqual(program.wait(timeout=60), 0)
        with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "expected", "help_terminal.bin"), "rb") as handle:
            expected = handle.read()
        self.assertEqual(re.sub(rb" chaptersort [0-9.]+ - ", b" chaptersort VERSION - ", out), expected)


class StoppedWhileWriting(harness.TempDirTest):
    def test_ctrl_z_and_fg_in_a_long_preview_lose_no_line(self):
        """A terminal that is not read fast enough takes part of a write when a signal comes;
        the rest must follow, and a stop outside the prompt must leave the line mode alone."""
        if harness.WINE:
            self.skipTest("job control (SIGTSTP, SIGCONT) is POSIX")
        harness.make_files(self.root, ["GX01%04d.MP4" % n for n in range(1, 2001)])
        env = harness.environment(extra={"NO_COLOR": "1"})
        in_a_pipe = subprocess.run(harness.command([self.root, "-s"]), stdout=subprocess.PIPE, env=env).stdout
        # Nothing is read until the preview fills the terminal and the program waits in its write.
        self.assertGreater(len(in_a_pipe), 65536)
        # In front: the terminal's own job. Behind: a job the terminal does not have in front,
        # as after bg, which really stops and must go on writing once continued.
        for in_front in (True, False):
            with self.subTest(in_front=in_front):
                program, master = start_on_pseudo_terminal([self.root, "-s"], env, bytes_as_written=True,
                                                           **(IN_FRONT if in_front else dict(preexec_fn=os.setpgrp)))
                self.addCleanup(program.kill)
                mode = termios.tcgetattr(master)
                # Each signal interrupts a write: the first one part-way through a line, the next
                # one the write of the rest before it could take a byte. Behind, the stop is real.
                # Asleep (S) with no signal pending, a -s run waits nowhere but in its write.
                for sent in (None, signal.SIGTSTP, signal.SIGCONT):
                    if sent:
                        program.send_signal(sent)
                    wanted = "T" if sent == signal.SIGTSTP and not in_front else "S"
                    self.assertTrue(poll_until(lambda: process_state(program.pid) == wanted and
                                               select.select([master], [], [], 0)[0]),
                                    "the program is %s, not %s" % (process_state(program.pid), wanted))
                out = read_to_end(master)
                self.assertEqual(program.wait(timeout=60), 0)
                self.assertEqual(termios.tcgetattr(master)[3], mode[3], "the terminal was left in another mode")
                os.close(master)
                self.assertEqual(out, in_a_pipe)

    def test_ctrl_z_and_fg_in_a_long_report_leave_the_line_mode(self):
        """Once the prompt has its answer, a stop and a continue while the report waits in its
        write must not take single keys again: the shell gets its line mode back."""
        if harness.WINE:
            self.skipTest("job control (SIGTSTP, SIGCONT) is POSIX")
        harness.make_files(self.root, ["GX01%04d.MP4" % n for n in range(1, 2001)])
        program, master = start_on_pseudo_terminal([self.root], harness.environment(extra={"NO_COLOR": "1"}),
                                                   **IN_FRONT)
        self.addCleanup(program.kill)
        mode = termios.tcgetattr(master)
        read_past(master, PROMPT)
        poll_until(lambda: not termios.tcgetattr(master)[3] & termios.ICANON)
        os.write(master, b"y")
        for sent in (None, signal.SIGTSTP, signal.SIGCONT):
            if sent:
                program.send_signal(sent)
            self.assertTrue(poll_until(lambda: process_state(program.pid) == "S" and
                                       termios.tcgetattr(master)[3] & termios.ICANON and
                                       select.select([master], [], [], 0)[0]), "the report did not wait in its write")
        read_to_end(master)
        self.assertEqual(program.wait(timeout=60), 0)
        self.assertEqual(termios.tcgetattr(master)[3], mode[3], "the terminal was left in another mode")
        os.close(master)


class PromptOnAPseudoTerminal(harness.TempDirTest):
    """The prompt on a pseudo-terminal the test writes and closes itself, byte by byte."""

    def start_at_prompt(self, **popen):
        if harness.WINE:
            self.skipTest("wine's console is not the pseudo-terminal itself")
        harness.make_files(self.root, CARD)
        program, master = start_on_pseudo_terminal([self.root], harness.environment(), **popen)
        self.addCleanup(program.kill)
        read_past(master, PROMPT)
        return program, master

    def test_terminal_closed_at_the_prompt_renames_nothing(self):
        """A terminal that goes away without a hang-up signal (it is not the program's
        controlling terminal) answers as Esc: no consent, and no wait without end."""
        program, master = self.start_at_prompt()
        os.close(master)
        self.assertEqual(program.wait(timeout=60), 0)
        self.assertEqual(harness.files_on_disk(self.root), CARD_BEFORE)

    def test_arrow_key_and_a_letter_read_at_once(self):
        program, master = self.start_at_prompt()
        poll_until(lambda: not termios.tcgetattr(master)[3] & termios.ICANON)
        os.write(master, b"\x1b[Ay")  # the arrow does not answer; the letter behind it does
        self.assertEqual(program.wait(timeout=60), 0)  # its few lines fit in the terminal unread
        os.close(master)
        self.assertEqual(harness.files_on_disk(self.root), CARD_AFTER)

    def test_prompt_continued_behind_the_terminal_stops_again(self):
        """A job the terminal does not have in front (after bg) cannot take single keys: at
        the prompt it stops again, as a job that reads its terminal from behind is stopped."""
        program, master = self.start_at_prompt(preexec_fn=os.setpgrp)
        poll_until(lambda: not termios.tcgetattr(master)[3] & termios.ICANON)  # waiting for a key
        for sent in (signal.SIGTSTP, signal.SIGCONT):
            program.send_signal(sent)
            self.assertTrue(poll_until(lambda: process_state(program.pid) == "T"), "it went on after %s" % sent.name)
            self.assertTrue(termios.tcgetattr(master)[3] & termios.ICANON, "the terminal is not in line mode")
        os.close(master)


class NoColor(TerminalCase):
    def test_no_colour_at_all(self):
        self.make_card()
        self.start(self.root, "-s", env="NO_COLOR=1 ")
        self.wait_for("G-HEVC-0123-02.mp4")
        self.assertEqual(self.finish(), 0)
        rows = self.coloured_screen()
        banner = [row for row in rows if "(||||)" in text_of(row)]
        self.assertEqual(len(banner), 1)
        self.assertEqual({cell[1:] for row in rows for cell in row}, {(None, None)}, "a colour was set")


class TypedAhead(TerminalCase):
    def test_key_typed_before_the_prompt_does_not_answer_it(self):
        self.make_card()
        # An Enter too many while starting the program: it waits in the terminal, and
        # must not answer a prompt the user has not seen yet.
        self.start(self.root, delay=2)
        self.keys("y")
        self.wait_for_prompt()
        time.sleep(3 if harness.WINE else 1)
        self.assert_waiting()
        self.press_esc()
        self.wait_for("  No file was changed")
        self.assertEqual(self.finish(), 0)
        self.assertEqual(harness.files_on_disk(self.root), CARD_BEFORE)
        self.assert_terminal_restored()


class Prompt(TerminalCase):
    def setUp(self):
        super().setUp()
        self.make_card()
        self.start(self.root)
        self.wait_for_prompt()

    def test_esc_aborts_and_touches_nothing(self):
        if not harness.WINE:
            lflag, _ = self.terminal_mode()
            self.assertFalse(lflag & termios.ECHO, "keys are echoed while the prompt waits")
        self.press_esc()
        lines = self.wait_for("  No file was changed")
        self.assertEqual(self.finish(), 0)
        self.assertNotIn("Successfully", "\n".join(lines))
        self.assertEqual(harness.files_on_disk(self.root), CARD_BEFORE)
        self.assert_terminal_restored()

    def test_enter_renames_both_chapters(self):
        self.keys("Enter")
        lines = self.wait_for("  Successfully renamed 2 of 2 files.")
        self.assertEqual(self.finish(), 0)
        for old, new in (("GX010123.MP4", "G-HEVC-0123-01.mp4"), ("GX020123.MP4", "G-HEVC-0123-02.mp4")):
            self.assertIn("    [OK] %s  -->  %s%s%s" % (old, self.root, harness.SEP, new), lines)
        self.assertIn("  Successfully renamed 2 of 2 temp files.", lines)
        self.assertEqual(harness.files_on_disk(self.root), CARD_AFTER)
        self.assert_terminal_restored()

    def test_letter_answers_and_is_not_echoed(self):
        self.keys("q")
        lines = self.wait_for("  Successfully renamed 2 of 2 files.")
        at = lines.index(PROMPT)
        self.assertEqual(lines[at + 1:at + 3], ["", "  Successfully renamed 2 of 2 temp files."])
        self.assertEqual(self.finish(), 0)
        self.assertEqual(harness.files_on_disk(self.root), CARD_AFTER)
        self.assert_terminal_restored()

    def test_arrow_key_does_not_answer_but_enter_then_does(self):
        self.keys("Up")
        self.settle_after_ignored_key()
        self.assert_waiting()
        self.assertFalse(any("[A" in row or "OA" in row for row in self.screen()), "the arrow key was echoed")
        self.keys("Enter")
        self.wait_for("  Successfully renamed 2 of 2 files.")
        self.assertEqual(self.finish(), 0)
        self.assertEqual(harness.files_on_disk(self.root), CARD_AFTER)
        self.assert_terminal_restored()

    def test_ctrl_c_ends_with_nothing_renamed(self):
        self.keys("C-c")
        status = self.finish()
        if not harness.WINE:
            self.assertEqual(status, 128 + signal.SIGINT, "the program did not end by the interrupt")
        shown = "\n".join(self.screen())
        self.assertNotIn("No file was changed", shown)
        self.assertNotIn("Successfully", shown)
        self.assertEqual(harness.files_on_disk(self.root), CARD_BEFORE)
        self.assert_terminal_restored()

    def test_ctrl_backslash_leaves_the_terminal_as_found(self):
        if harness.WINE:
            self.skipTest("SIGQUIT is a POSIX signal")
        self.keys("C-\\")
        status = self.finish()
        self.assertEqual(status, 128 + signal.SIGQUIT, "the program did not end by the quit signal")
        self.assertEqual(harness.files_on_disk(self.root), CARD_BEFORE)
        self.assert_terminal_restored()

    def test_ctrl_z_and_fg_give_back_the_prompt_as_it_was(self):
        if harness.WINE:
            self.skipTest("job control (SIGTSTP, SIGCONT) is POSIX")
        self.keys("C-z")
        self.wait_for("Stopped")
        self.type_line("bg")
        self.wait_for(lambda rows: any(row.rstrip().endswith("' &") for row in rows), "the job in the background")
        self.type_line("fg")
        self.wait_until(lambda: not self.terminal_mode()[0] & termios.ICANON, "single-key mode again")
        self.press_esc()  # one Esc, no Enter: the prompt takes single keys again
        self.wait_for("  No file was changed")
        answer = [row for row in self.coloured_screen() if text_of(row).startswith("  No file was changed")][-1]
        self.assertEqual({cell[1:] for cell in answer}, {(37, 40)}, "the program's colours were not set again")
        self.assertEqual(self.finish(), 0)
        self.assertEqual(harness.files_on_disk(self.root), CARD_BEFORE)
        self.assert_terminal_restored()

    def test_waiting_prompt_uses_no_cpu(self):
        pid = self.program_pid()

        def cpu_ticks():
            with open("/proc/%d/stat" % pid) as handle:
                fields = handle.read().rsplit(")", 1)[1].split()
            return int(fields[11]) + int(fields[12])  # utime + stime, all threads

        before = cpu_ticks()
        time.sleep(2)
        used = cpu_ticks() - before
        # A busy wait burns about 200 ticks in 2 s; a wait that sleeps on the input, none.
        self.assertLess(used, 10, "the waiting prompt used %d clock ticks in 2 s" % used)
        self.assert_waiting()
        self.press_esc()
        self.wait_for("  No file was changed")
        self.assertEqual(self.finish(), 0)


class StartedByExplorer(TerminalCase):
    """A double-click or a folder dropped on the exe: Explorer starts the program in a
    window of its own, which must stay until a key is pressed."""

    def setUp(self):
        if not harness.EXPLORER:
            self.skipTest("needs the explorer.exe stand-in, built only by the Windows build (--explorer)")
        super().setUp()

    def assert_waits_to_close(self):
        self.wait_for(CLOSING)
        time.sleep(2)
        lines = [row for row in self.screen() if row.strip()]
        self.assertEqual(lines[-1], CLOSING)
        running = [pid for sh in self.children(self.shell) for pid in self.children(sh)]
        self.assertEqual(len(running), 1, "the program did not wait for a key")
        return lines

    def test_preview_stays_until_a_key(self):
        self.make_card()
        self.start(self.root, "-s", explorer=True)
        lines = self.assert_waits_to_close()
        self.assertEqual(lines[-2], "    GX020123.MP4  -->  G-HEVC-0123-02.mp4")
        self.keys("x")
        self.assertEqual(self.finish(), 0)
        self.assertEqual(harness.files_on_disk(self.root), CARD_BEFORE)
        self.assert_terminal_restored()

    def test_help_stays_until_esc(self):
        self.start(explorer=True)
        lines = self.assert_waits_to_close()
        self.assertEqual(lines[-2].rstrip(), "  -j   *°  writes the plan and the outcome as JSON lines for scripts")
        self.press_esc()
        self.assertEqual(self.finish(), 0)
        self.assert_terminal_restored()


class HostileNames(TerminalCase):
    def run_verbose_simulation(self, names):
        harness.make_files(self.root, names, content=b"x")
        self.type_line("printf '\\033]2;%s\\007'" % "chaptersort-title")
        self.wait_until(lambda: self.title() == "chaptersort-title", "the pane title")
        self.start(self.root, "-v", "-s")
        self.assertEqual(self.finish(), 0)
        lines = self.screen()  # all of it: the program has ended
        self.assertTrue(any(line.endswith(" files examined, %d eligible files found" % len(names)) for line in lines))
        self.assertEqual(self.title(), "chaptersort-title", "a file name changed the terminal's title")
        self.assertEqual(sorted(os.listdir(self.root)), sorted(names))
        return lines

    def test_control_characters_shown_as_question_marks(self):
        # A tab, and an OSC sequence that would set the terminal's title (12 characters,
        # so that it is a camera name and shows in the match and preview lines too).
        lines = self.run_verbose_simulation(["GX01\t123.MP4", "G\x1b]2;pw\x07.MP4"])
        prefix = "  > Examining " + self.root + harness.SEP
        for shown in ("GX01?123.MP4", "G?]2;pw?.MP4"):
            self.assertIn(prefix + shown, lines)
            self.assertIn("    > Match " + shown, lines)
        self.assertIn("    GX01?123.MP4  -->  G-HEVC-?123-01.mp4", lines)

    def test_line_breaks_and_bidirectional_controls_cannot_forge_lines(self):
        # CR LF inside a name would start a line of its own; U+202E would show the rest of
        # the line backwards.
        lines = self.run_verbose_simulation(["G\r\n01234.MP4", "G\u202e010123.MP4"])
        self.assertIn("    G??01234.MP4  -->  G-AVC-1234-?0.mp4", lines)
        self.assertIn("    > Match G?010123.MP4", lines)
        self.assertFalse(any(row.startswith("01234.MP4") for row in lines), "a name started a line")

    def test_characters_beyond_the_16_bits_show_as_themselves(self):
        os.makedirs(os.path.join(self.root, "trip \U0001F4F9"))  # its second UTF-16 half is DCF9
        harness.make_files(os.path.join(self.root, "trip \U0001F4F9"), ["GX010123.MP4"])
        self.start(os.path.join(self.root, "trip \U0001F4F9"), "-v", "-s")
        lines = self.wait_for("G-HEVC-0123-01.mp4")
        self.assertEqual(self.finish(), 0)
        # Wine's terminal console draws any character beyond U+FFFF as two U+FFFD, half by
        # half; what counts there is that neither half became "?".
        shown = "\ufffd\ufffd" if harness.WINE else "\U0001F4F9"
        self.assertIn("Processing files in %s/trip %s..." % (self.root, shown), lines)

    def test_program_name_cannot_forge_a_line(self):
        if harness.WINE:
            self.skipTest("the Windows build takes its name from its own file, not from argv[0]")
        harness.make_files(self.root, ["GX010123.MP4"])
        forged = "cs\n  [OK] GX010123.MP4  -->  fake.mp4"
        self.type_line("(exec -a %s %s %s -x); echo STATUS=$?" % (shlex.quote(forged), shlex.quote(harness.PROGRAM),
                                                                   shlex.quote(self.root)))
        lines = self.wait_for(lambda rows: "STATUS=0" in rows, "the program to end")
        self.assertIn("  For help, run \"cs?  [OK] GX010123.MP4  -->  fake\" without parameters", lines)
        self.assertFalse(any(row.startswith("  [OK]") for row in lines), "the program's name started a line")

    def test_invalid_utf8_shown_as_question_mark(self):
        if harness.WINE:
            self.skipTest("wine decodes a name's invalid UTF-8 byte to U+FFFD (a printable "
                          "character) before the program sees the name")
        lines = self.run_verbose_simulation(["G\udcff010123.MP4"])  # the byte FF
        self.assertIn("  > Examining " + self.root + harness.SEP + "G?010123.MP4", lines)
        self.assertIn("    > Match G?010123.MP4", lines)


if __name__ == "__main__":
    harness.main()
