"""Measures chaptersort against the floor and the usual alternatives and prints figures.

Each figure is a ratio of runs made side by side in this one run (interleaved, the median
of several), with the absolute times beside it. Nothing here fails on a slow machine: it
reports, and the targets are printed next to the figures.
"""

import os
import platform
import re
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import time

PROGRAM, FLOOR = sys.argv[1], sys.argv[2]
RUNS = int(os.environ.get("BENCH_RUNS", "7"))
work = tempfile.mkdtemp(prefix="chaptersort-bench-")


def card_folders(root, folders):
    """Makes the folders DCIM/100GOPRO, DCIM/101GOPRO, ... of a card, one after the other."""
    for f in range(folders):
        folder = os.path.join(root, "DCIM", "%03dGOPRO" % (100 + f))
        os.makedirs(folder, exist_ok=True)
        yield folder


def make_card(root, entries, folders):
    """entries files in folders folders under DCIM/1xxGOPRO: half camera chapter files,
    half the sidecar files a camera writes beside them (.LRV, .THM)."""
    per_folder = entries // folders
    for folder in card_folders(root, folders):
        for k in range(per_folder // 2):
            recording, chapter = k // 2 + 1, k % 2 + 1
            letter = "X" if recording % 3 else "H"
            open(os.path.join(folder, "G%s%02d%04d.MP4" % (letter, chapter, recording)), "w").close()
            side = "GL%02d%04d.LRV" if k % 2 else "G%s%02d%04d.THM"
            name = side % (chapter, recording) if k % 2 else side % (letter, chapter, recording)
            open(os.path.join(folder, name), "w").close()


def make_sidecar_card(root, chapters, folders):
    """chapters chapter files in folders folders, each with its proxy (GL...LRV) and its
    thumbnail (.THM): three entries per chapter."""
    per_folder = chapters // folders
    for folder in card_folders(root, folders):
        for k in range(per_folder):
            recording, chapter = k // 3 + 1, k % 3 + 1
            letter = "X" if recording % 3 else "H"
            for name in ("G%s%02d%04d.MP4" % (letter, chapter, recording), "GL%02d%04d.LRV" % (chapter, recording),
                         "G%s%02d%04d.THM" % (letter, chapter, recording)):
                open(os.path.join(folder, name), "w").close()


def make_all_card(root, entries, folders):
    """entries files in folders folders: a third chapter files and their sidecars as make_card
    makes them, a third 360 videos (GS...360), a third camera names with a prefix."""
    per_folder = entries // folders
    for folder in card_folders(root, folders):
        for k in range(per_folder):
            recording, chapter = k // 6 + 1, k // 3 % 2 + 1
            name = ("GX%02d%04d.MP4" % (chapter, recording), "GS%02d%04d.360" % (chapter, recording),
                    "CamA-GH%02d%04d.MP4" % (chapter, recording))[k % 3]
            open(os.path.join(folder, name), "w").close()


def make_chapters(folder, count):
    os.makedirs(folder, exist_ok=True)
    for k in range(count):
        recording, chapter = k // 2 + 1, k % 2 + 1
        open(os.path.join(folder, "GX%02d%04d.MP4" % (chapter, recording)), "w").close()


def write_video(path, started, gap=0):
    """A camera MP4 as a HERO12 writes it: ftyp, mdat (gap bytes of video, left sparse, with
    a 64-bit size), then moov with mvhd, udta (FIRM, other settings, GPMF with its TZON among
    other entries) and two traks."""
    def box(kind, payload):
        return struct.pack(">I", 8 + len(payload)) + kind + payload
    stamp = started + 2082844800
    settings = b"".join(struct.pack(">4sBBH", key, ord("L"), 4, 1) + bytes(4) for key in (b"DVID", b"VERS", b"MUID"))
    settings += struct.pack(">4sBBHh2x", b"TZON", ord("s"), 2, 1, 120)
    gpmf = box(b"GPMF", struct.pack(">4sBBH", b"DEVC", 0, 1, len(settings)) + settings)
    udta = box(b"udta", box(b"FIRM", b"H23.01.01.10.00") + box(b"LENS", b"LAJ8052313302169") + box(b"CAME", bytes(16))
               + box(b"SETT", bytes(12)) + gpmf)
    moov = box(b"moov", box(b"mvhd", bytes(4) + struct.pack(">II", stamp, stamp) + bytes(88)) + udta
               + box(b"trak", bytes(2000)) + box(b"trak", bytes(500)))
    with open(path, "wb") as handle:
        handle.write(box(b"ftyp", b"mp41\0\0\0\0mp41") + struct.pack(">I4sQ", 1, b"mdat", 16 + gap))
        handle.seek(gap, 1)
        handle.write(moov)


def make_video_card(root, chapters, folders):
    """chapters chapter files in folders folders, three chapters a recording; every chapter
    01 of every fourth recording is 4 GiB (sparse), its moov at the end."""
    per_folder = chapters // folders
    for folder in card_folders(root, folders):
        for k in range(per_folder):
            recording, chapter = k // 3 + 1, k % 3 + 1
            gap = 2 ** 32 if chapter == 1 and recording % 4 == 0 else 0
            write_video(os.path.join(folder, "GX%02d%04d.MP4" % (chapter, recording)), 1492457277 + k * 600, gap)


def timed(shell_command, prepare=None):
    if prepare:
        prepare()
    start = time.perf_counter()
    subprocess.run(shell_command, shell=True, check=True, stdout=subprocess.DEVNULL)
    return time.perf_counter() - start


def side_by_side(commands, prepare=None):
    """Runs each command RUNS times, interleaved; returns the median time of each."""
    times = {name: [] for name in commands}
    for name, command in commands.items():  # one warm-up each
        timed(command, prepare)
    for _ in range(RUNS):
        for name, command in commands.items():
            times[name].append(timed(command, prepare))
    return {name: statistics.median(values) for name, values in times.items()}


def q(path):
    return "'" + path.replace("'", "'\\''") + "'"


def machine():
    model = "unknown processor"
    try:
        for line in open("/proc/cpuinfo"):
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    except OSError:
        pass
    return "%s, %d cores, Linux %s, %s" % (model, os.cpu_count(), platform.release(), time.strftime("%Y-%m-%d"))


rows = []


def report(figure, value, target, detail):
    rows.append((figure, value, target, detail))
    print("%-34s %-12s %-16s %s" % (figure, value, target, detail), flush=True)


def against_find(figure, switches, card, target="<= 1.5x"):
    """Scan and preview of card with the switches, to a pipe, against find listing the
    same tree with every entry's time."""
    scan = side_by_side({
        "chaptersort": "%s %s %s | cat >/dev/null" % (q(PROGRAM), q(card), switches),
        "find": "find %s -printf '%%f %%T@\\n' | cat >/dev/null" % q(card),
    })
    report(figure, "%.2fx" % (scan["chaptersort"] / scan["find"]), target,
           "%.0f ms vs %.0f ms" % (scan["chaptersort"] * 1000, scan["find"] * 1000))


print("machine:", machine())
print("%-34s %-12s %-16s %s" % ("figure", "measured", "target", "absolute"))

# 1. Scan and preview of 100,000 entries in 100 folders, to a pipe, against find.
card = os.path.join(work, "card")
make_card(card, 100000, 100)
against_find("scan+preview 100k vs find", "-s -r", card)
# With -d every file's last-write time is read: one stat per entry, as find does.
against_find("scan+preview -d 100k vs find", "-s -r -d", card)

# 3. Peak memory of that scan.
with open(os.devnull, "wb") as sink:
    child = subprocess.Popen([PROGRAM, card, "-s", "-r"], stdout=sink)
    _, _, usage = os.wait4(child.pid, 0)
report("peak memory per entry", "%.0f B" % (usage.ru_maxrss * 1024 / 100000), "<= 1024 B",
       "%.1f MiB peak RSS for 100,000 entries" % (usage.ru_maxrss / 1024))

# 6. Write calls per preview line.
if shutil.which("strace"):
    trace = os.path.join(work, "strace.txt")
    subprocess.run("strace -f -c -e trace=write -o %s %s %s -s -r | cat >/dev/null" % (q(trace), q(PROGRAM), q(card)),
                   shell=True, check=True)
    calls = 0
    for line in open(trace):
        fields = line.split()
        if fields and fields[-1] == "write":
            calls = int(fields[3]) if len(fields) >= 5 else int(fields[2])
    lines = 50000 + 1  # the heading and one line per eligible file
    report("write calls per preview line", "%.3f" % (calls / lines), "1 per line",
           "%d write calls for %d preview lines (banner included)" % (calls, lines))

# 5. Growth: time per entry at 1,000, 10,000 and 100,000 entries, less the time of a run
#    on a card without any entry (start-up, banner, the abort message).
empty = os.path.join(work, "empty")
os.makedirs(empty)
start_up = side_by_side({"c": "%s %s -s -r | cat >/dev/null" % (q(PROGRAM), q(empty))})["c"]
per_entry = []
for entries in (1000, 10000, 100000):
    tree = os.path.join(work, "growth-%d" % entries)
    make_card(tree, entries, max(1, entries // 1000))
    seconds = side_by_side({"c": "%s %s -s -r | cat >/dev/null" % (q(PROGRAM), q(tree))})["c"]
    per_entry.append((seconds - start_up) / entries * 1e6)
    shutil.rmtree(tree)
report("time per entry 1k/10k/100k", "%.2f/%.2f/%.2f us" % tuple(per_entry), "flat",
       "largest/smallest %.2f; start-up %.1f ms taken off" % (max(per_entry) / min(per_entry), start_up * 1000))
shutil.rmtree(card)

# -a: 100,000 entries, a third of them 360 videos and a third prefixed camera names. -a
#    takes them all; a plain run, which leaves them alone, must stay as fast as it was.
card = os.path.join(work, "all")
make_all_card(card, 100000, 100)
against_find("-s -r -a 100k vs find", "-s -r -a", card, "<= 1x")
against_find("-s -r on that card vs find", "-s -r", card, "<= 0.5x")
shutil.rmtree(card)

# 7. Sidecars (-l): 33,300 chapters in 100 folders, each with its LRV and THM (99,900
#    entries), paired in one pass; and time per entry from 10,000 to 100,000 entries.
card = os.path.join(work, "sidecars")
make_sidecar_card(card, 33300, 100)
against_find("-s -r -l 99.9k vs find", "-s -r -l", card, "<= 1x")
shutil.rmtree(card)
per_entry = []
for chapters in (3330, 33300):
    tree = os.path.join(work, "sidecars-%d" % chapters)
    make_sidecar_card(tree, chapters, max(1, chapters // 333))
    seconds = side_by_side({"c": "%s %s -s -r -l | cat >/dev/null" % (q(PROGRAM), q(tree))})["c"]
    per_entry.append((seconds - start_up) / (chapters * 3) * 1e6)
    shutil.rmtree(tree)
report("-l time per entry 10k/100k", "%.2f/%.2f us" % tuple(per_entry), "flat",
       "largest/smallest %.2f" % (max(per_entry) / min(per_entry)))

# 8. -t: 5,000 chapter files in 20 folders, each header read from the video, against -d;
#    and one folder of 250 files against exiftool reading each file's CreateDate.
card = os.path.join(work, "videos")
make_video_card(card, 5000, 20)
dates = side_by_side({"t": "%s %s -s -r -t | cat >/dev/null" % (q(PROGRAM), q(card)),
                      "d": "%s %s -s -r -d | cat >/dev/null" % (q(PROGRAM), q(card))})
report("-s -r -t vs -s -r -d, 5,000 files", "%.2fx" % (dates["t"] / dates["d"]), "<= 1.5x",
       "%.0f ms vs %.0f ms" % (dates["t"] * 1000, dates["d"] * 1000))
folder = os.path.join(card, "DCIM", "100GOPRO")
if shutil.which("exiftool"):
    versus = side_by_side({"t": "%s %s -s -t | cat >/dev/null" % (q(PROGRAM), q(folder)),
                           "exiftool": "exiftool -q -api LargeFileSupport=1 -p '$CreateDate' %s >/dev/null 2>&1" % q(folder)})
    report("-t vs exiftool, 250 files", "%.0fx faster" % (versus["exiftool"] / versus["t"]), ">= 100x",
           "%.1f ms vs %.0f ms" % (versus["t"] * 1000, versus["exiftool"] * 1000))
if shutil.which("strace"):
    trace = os.path.join(work, "reads.txt")
    subprocess.run("strace -f -e trace=openat,pread64 -o %s %s %s -s -r -t >/dev/null" % (q(trace), q(PROGRAM), q(card)),
                   shell=True, check=True)
    opened = read = calls = 0
    for line in open(trace):
        if "openat(" in line and ".MP4" in line and "= -1" not in line:
            opened += 1
        elif "pread64(" in line:
            read += max(0, int(line.rsplit("=", 1)[1]))
            calls += 1
    report("reads per video opened", "%.2f" % (calls / opened), "a few",
           "%d reads of %d files opened (one chapter a recording, of 5,000)" % (calls, opened))
    report("bytes read per video opened", "%.0f B" % (read / opened), "<= 64 KiB",
           "blocks of at least 4 KiB, cut at the end of the file; %d bytes" % read)
shutil.rmtree(card)

# 2. Renaming 20,000 chapter files in one folder, through a pipe: chaptersort -u (which
#    checks each name before its move), the floor program (two renames and a line each),
#    and Debian's perl rename doing the final renaming with one expression.
folder = os.path.join(work, "rename")


def fresh():
    shutil.rmtree(folder, ignore_errors=True)
    make_chapters(folder, 20000)


expression = r's/^G(.)(\d\d)(\d{4})\.MP4$/"G-".($1 eq "X" ? "HEVC" : "AVC")."-$3-$2.mp4"/e'
commands = {
    "chaptersort": "%s %s -u | cat >/dev/null" % (q(PROGRAM), q(folder)),
    "floor": "%s %s | cat >/dev/null" % (q(FLOOR), q(folder)),
}
perl_rename = shutil.which("file-rename") or shutil.which("rename")
if perl_rename:
    commands["rename"] = "cd %s && %s %s G*.MP4" % (q(folder), perl_rename, q(expression))
renames = side_by_side(commands, fresh)
report("rename 20k vs floor", "%.2fx" % (renames["chaptersort"] / renames["floor"]), "<= 1.02x",
       "%.0f ms vs %.0f ms" % (renames["chaptersort"] * 1000, renames["floor"] * 1000))
if "rename" in renames:
    report("rename 20k vs perl rename", "%.2fx" % (renames["chaptersort"] / renames["rename"]), "< 1x",
           "%.0f ms vs %.0f ms" % (renames["chaptersort"] * 1000, renames["rename"] * 1000))
    # perl rename moves each file once; the floor, like chaptersort, twice.
    report("floor vs perl rename", "%.2fx" % (renames["floor"] / renames["rename"]), "(bound)",
           "%.0f ms vs %.0f ms" % (renames["floor"] * 1000, renames["rename"] * 1000))

# -c: 20,000 files under final names back to their camera names, against the floor
#    renaming 20,000 camera names: two no-replace renames a file either way.
back = os.path.join(work, "back")


def fresh_both():
    fresh()
    shutil.rmtree(back, ignore_errors=True)
    os.makedirs(back)
    for k in range(20000):
        open(os.path.join(back, "G-HEVC-%04d-%02d.mp4" % (k // 2 + 1, k % 2 + 1)), "w").close()


way_back = side_by_side({"c": "%s %s -c -u | cat >/dev/null" % (q(PROGRAM), q(back)),
                         "c_null": "%s %s -c -u >/dev/null" % (q(PROGRAM), q(back)),
                         "floor": "%s %s | cat >/dev/null" % (q(FLOOR), q(folder))}, fresh_both)
report("-c -u 20k vs floor", "%.2fx" % (way_back["c"] / way_back["floor"]), "<= 1.15x",
       "%.0f ms vs %.0f ms" % (way_back["c"] * 1000, way_back["floor"] * 1000))
# Both write each line at once; into /dev/null those writes cost little, so this shows
# what the pipe itself adds.
report("the same, output to /dev/null", "%.2fx" % (way_back["c_null"] / way_back["floor"]), "<= 1.15x",
       "%.0f ms vs %.0f ms" % (way_back["c_null"] * 1000, way_back["floor"] * 1000))

# 4. CPU used while the prompt waits 5 s in a terminal.
if shutil.which("tmux"):
    small = os.path.join(work, "small")
    make_chapters(small, 4)
    socket = "chaptersort-bench-%d" % os.getpid()
    subprocess.run(["tmux", "-L", socket, "new-session", "-d", "-x", "120", "-y", "40", PROGRAM, small], check=True)
    try:
        deadline = time.time() + 20
        while time.time() < deadline:
            screen = subprocess.run(["tmux", "-L", socket, "capture-pane", "-p"], capture_output=True, text=True).stdout
            if "Press any key" in screen:
                break
            time.sleep(0.1)
        pid = subprocess.run(["tmux", "-L", socket, "list-panes", "-F", "#{pane_pid}"], capture_output=True,
                             text=True).stdout.split()[0]

        def ticks():
            fields = open("/proc/%s/stat" % pid).read().rsplit(")", 1)[1].split()
            return int(fields[11]) + int(fields[12])

        before, start = ticks(), time.time()
        time.sleep(5)
        used, elapsed = ticks() - before, time.time() - start
        share = used / os.sysconf("SC_CLK_TCK") / elapsed * 100
        report("CPU while the prompt waits", "%.2f %%" % share, "< 1 %", "%d ticks in %.1f s" % (used, elapsed))
        subprocess.run(["tmux", "-L", socket, "send-keys", "Escape"])
    finally:
        subprocess.run(["tmux", "-L", socket, "kill-server"], stderr=subprocess.DEVNULL)

shutil.rmtree(work, ignore_errors=True)
print()
print("| figure | measured | target | absolute |")
print("|---|---|---|---|")
for figure, value, target, detail in rows:
    print("| %s | %s | %s | %s |" % (figure, value, target, detail))
