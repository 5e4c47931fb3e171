"""Runs the benchmarks of Tolmar.exe under Wine and writes docs/BENCHMARKS.md.

Started by scripts/bench, inside a Wine session on a private Xvfb (DISPLAY, WINEPREFIX
and the build directory in TOLMAR_BUILD_DIR). Each benchmark prints its table and
replaces its own section of docs/BENCHMARKS.md; sections of benchmarks not run are kept.

    run.py [size] [start] [drag] [cpu] [memory]      (none named: all of them)
"""

import datetime
import glob
import os
import platform
import re
import signal
import subprocess
import sys
import time
from pathlib import Path

import pefile

sys.path.insert(0, str(Path(__file__).resolve().parent))
import xdisplay  # noqa: E402

ROOT = Path(__file__).resolve().parent.parent
BUILD = Path(os.environ.get("TOLMAR_BUILD_DIR", ROOT / "build" / "windows"))
if not BUILD.is_absolute():
    BUILD = ROOT / BUILD
EXE = BUILD / "Tolmar.exe"
DRAG_VS_PAINT = BUILD / "bench" / "tolmar_drag_vs_paint.exe"
DOC = ROOT / "docs" / "BENCHMARKS.md"

TITLE = "Die T\u00fcrme von Tolmar"
GREEN = (0, 128, 0)
BROWN = (128, 64, 0)
BLACK = (0, 0, 0)
TICK = os.sysconf("SC_CLK_TCK")
MEASURE_SECONDS = 10.0


def command_for(name):
    return "scripts/bench " + name


# ---- processes -------------------------------------------------------------------

started = []


def launch(args):
    proc = subprocess.Popen(["wine"] + args, cwd=ROOT, stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    started.append(proc)
    return proc


def stop(proc):
    """Ends a program started here, by its process id."""
    if proc.poll() is None:
        proc.send_signal(signal.SIGTERM)
        try:
            proc.wait(timeout=5)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
    if proc in started:
        started.remove(proc)


def stop_all():
    for proc in list(started):
        stop(proc)


def cpu_ticks(pid):
    """utime + stime of a process, all its threads, in clock ticks."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])


def wineserver_pid():
    """The wineserver of this prefix: its working directory is the server directory
    named after the prefix's device and inode."""
    st = os.stat(os.environ["WINEPREFIX"])
    wanted = "server-%x-%x" % (st.st_dev, st.st_ino)
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/comm") as f:
                if not f.read().startswith("wineserver"):
                    continue
            if os.path.basename(os.readlink(f"/proc/{entry}/cwd")) == wanted:
                return int(entry)
        except OSError:
            continue
    return None


def xvfb_pid():
    pid = os.environ.get("BENCH_XVFB_PID", "")
    return int(pid) if pid.isdigit() else None


def memory_kib(pid):
    values = {}
    with open(f"/proc/{pid}/smaps_rollup") as f:
        for line in f:
            m = re.match(r"(\w+):\s+(\d+) kB", line)
            if m:
                values[m.group(1)] = int(m.group(2))
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                values["VmRSS"] = int(line.split()[1])
    return {"private": values["Private_Clean"] + values["Private_Dirty"],
            "private_dirty": values["Private_Dirty"], "rss": values["VmRSS"]}


def xdotool(*args):
    subprocess.run(["xdotool"] + [str(a) for a in args], check=True,
                   stdout=subprocess.DEVNULL)


# ---- the game window as a person sees it -----------------------------------------

class StartWatch:
    """Polls the screen from the launch of a program until its window has kept the same
    picture for `settle` seconds. Times are seconds from the launch."""

    def __init__(self, display, args, title, settle=1.5, limit=60.0):
        # A window of an earlier run can outlive its process for a moment, and X may
        # give the new window the same id: wait until the title is free.
        for _ in range(100):
            if not display.find(title):
                break
            time.sleep(0.05)
        else:
            raise RuntimeError(f"{title}: a window of that name is already on the screen")
        t0 = time.perf_counter()
        self.proc = launch(args)
        self.window = None
        self.mapped = None
        frames = []  # (time, fingerprint), one per change of the picture
        polls = 0
        while True:
            now = time.perf_counter() - t0
            if now > limit:
                state = ("never mapped" if self.window is None else
                         f"its picture changed {len(frames)} times")
                raise RuntimeError(f"{title}: no settled window after {limit:.0f} s, {state}")
            if self.window is None:
                for window in display.mapped_windows():
                    if display.name(window) == title:
                        self.window, self.mapped = window, now
                        break
            if self.window is not None:
                rect = display.window_rect(self.window)
                if rect is None:
                    raise RuntimeError(f"{title}: the window went away")
                fp = display.fingerprint(rect)
                polls += 1
                if not frames or frames[-1][1] != fp:
                    frames.append((now, fp))
                if now - frames[-1][0] >= settle and now - self.mapped >= 2 * settle:
                    break
            time.sleep(0.002)
        final = frames[-1][1]
        self.first_picture = next(t for t, fp in frames if fp == final)
        self.changes = len(frames)
        self.rect = final[0]
        self.poll_ms = (now - self.mapped) / polls * 1000


class Board:
    """Screen positions of the board, read from the picture of a fresh game."""

    def __init__(self, display, rect):
        grabbed = display.grab(rect)
        x0, y0 = rect[0], rect[1]
        brown = xdisplay.find_colour(grabbed, BROWN)
        if not brown:
            raise RuntimeError("no tower base in the picture")
        xs = sorted({x for x, _ in brown})
        bases, first = [], xs[0]
        for a, b in zip(xs, xs[1:] + [None]):
            if b is None or b - a > 3:
                bases.append((first + a) // 2)
                first = b
        if len(bases) != 3:
            raise RuntimeError(f"expected three tower bases, found {len(bases)}")
        self.base_top = y0 + min(y for _, y in brown)
        self.centres = [x0 + x for x in bases]
        middle = [(x, y) for x, y in xdisplay.find_colour(grabbed, GREEN)
                  if abs(x0 + x - self.centres[1]) < (self.centres[1] - self.centres[0]) // 2]
        if not middle:
            raise RuntimeError("no disc on the middle tower")
        self.top_disc = (self.centres[1], y0 + min(y for _, y in middle) + 3)
        # High above the empty left tower: a press there starts nothing.
        self.empty_spot = (self.centres[0], (y0 + self.base_top) // 2)
        # The move counter and its caption: in the right half above the discs, the
        # lowest band of rows with black in it (the caption bar's buttons are higher).
        black = [(x, y) for x, y in xdisplay.find_colour(grabbed, BLACK)
                 if x > rect[2] // 2 and y0 + y < self.top_disc[1] - 30]
        if not black:
            raise RuntimeError("no move counter in the picture")
        rows = sorted({y for _, y in black})
        band_top = rows[-1]
        while band_top - 1 in rows:
            band_top -= 1
        text = [(x, y) for x, y in black if y >= band_top]
        left = min(x for x, _ in text)
        top = min(y for _, y in text)
        self.counter = (x0 + left, y0 + top, max(x for x, _ in text) - left + 1,
                        max(y for _, y in text) - top + 1)


def start_game(display):
    watch = StartWatch(display, [str(EXE)], TITLE)
    return watch.proc, watch.rect, Board(display, watch.rect)


def counter_changes(display, board, seconds, interval=0.02):
    """How often the move counter's picture changes within `seconds`."""
    changes, last = 0, display.fingerprint(board.counter)
    end = time.perf_counter() + seconds
    while time.perf_counter() < end:
        time.sleep(interval)
        fp = display.fingerprint(board.counter)
        if fp != last:
            changes, last = changes + 1, fp
    return changes


def glyph_runs(grabbed):
    """Runs of pixel columns with black in them: the letters and digits, left to right."""
    width, height, _ = grabbed
    inked = [any(xdisplay.pixel(grabbed, x, y) == BLACK for y in range(height))
             for x in range(width)]
    runs, start = [], None
    for x, ink in enumerate(inked + [False]):
        if ink and start is None:
            start = x
        elif not ink and start is not None:
            runs.append((start, x - 1))
            start = None
    return runs


def shows_ten_thousand(before, after):
    """Whether the counter, "00000" in `before`, changed in its first digit only."""
    runs = glyph_runs(before)
    if len(runs) < 6 or before[:2] != after[:2]:
        return False
    first_digit_left = runs[-6][1] + 1
    second_digit_left = runs[-4][0]
    width, height, _ = before
    changed = [x for x in range(width) for y in range(height)
               if xdisplay.pixel(before, x, y) != xdisplay.pixel(after, x, y)]
    return bool(changed) and all(first_digit_left <= x < second_digit_left for x in changed)


def wait_until_counter_settles(display, board, quiet=1.0, limit=300.0):
    last, since = display.fingerprint(board.counter), time.perf_counter()
    start = since
    while time.perf_counter() - since < quiet:
        if time.perf_counter() - start > limit:
            raise RuntimeError("the move counter does not settle")
        time.sleep(0.05)
        fp = display.fingerprint(board.counter)
        if fp != last:
            last, since = fp, time.perf_counter()


# ---- 1. sizes --------------------------------------------------------------------

def wine_dll_dir():
    for d in glob.glob("/usr/lib/*/wine/i386-windows") + glob.glob("/usr/lib/wine/i386-windows"):
        if os.path.isdir(d):
            return d
    return None


def section_name(s):
    return s.Name.rstrip(b"\0").decode()


def bench_size():
    pe = pefile.PE(str(EXE))
    size = EXE.stat().st_size
    symbols = pe.FILE_HEADER.NumberOfSymbols
    debug = [section_name(s) for s in pe.sections if section_name(s).startswith(".debug")]
    dlls = [(e.dll.decode(), len(e.imports)) for e in pe.DIRECTORY_ENTRY_IMPORT]
    wine_dir = wine_dll_dir()
    stripped = symbols == 0 and not debug
    rows = [f"| `Tolmar.exe` | {size:,} | {size / 1024:.1f} | "
            f"{'stripped' if stripped else 'NOT stripped'}: {symbols} symbols, "
            f"{len(debug)} debug sections |"]
    for dll, count in dlls:
        builtin = os.path.join(wine_dir, dll.lower()) if wine_dir else None
        if builtin and os.path.exists(builtin):
            b = os.path.getsize(builtin)
            sizes = f"{b:,} | {b / 1024:.1f}"
        else:
            sizes = "– | –"
        rows.append(f"| {dll} (Wine's built-in) | {sizes} | {count} functions imported |")
    sections = " · ".join(f"`{section_name(s)}` {s.SizeOfRawData:,}" for s in pe.sections)
    system = ("kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll")
    runtime = [d for d, _ in dlls if d.lower() not in system]
    table = "\n".join(["| file | bytes | KiB | notes |", "|---|--:|--:|---|"] + rows)
    notes = [
        f"Sections of `Tolmar.exe` (bytes in the file): {sections}.",
        "Static: it imports only DLLs of the system, no compiler runtime DLL."
        if not runtime else f"NOT static: it also imports {', '.join(runtime)}.",
        "The DLL sizes are those of Wine's PE builds in "
        f"`{wine_dir}`, for scale only: they are part of the system, not of the program.",
    ]
    return table, notes


# ---- 2. start to first paint -----------------------------------------------------

def bench_start():
    display = xdisplay.Display()
    results = []
    try:
        programs = [("`wine winemine`", ["winemine"], "WineMine"),
                    ("`wine Tolmar.exe`", [str(EXE)], TITLE)]
        # One untimed start of each first, so neither pays alone for loading Wine's DLLs.
        for _, args, title in programs:
            stop(StartWatch(display, args, title, settle=0.5).proc)
        for label, args, title in programs:
            watch = StartWatch(display, args, title)
            stop(watch.proc)
            results.append((label, watch))
    finally:
        display.close()
    mine, tolmar = results[0][1], results[1][1]
    rows = [f"| {label} | {w.rect[2]} × {w.rect[3]} | {w.mapped * 1000:.0f} | "
            f"{w.first_picture * 1000:.0f} | {w.changes} | {w.poll_ms:.1f} |"
            for label, w in results]
    table = "\n".join([
        "| started with | window | mapped, ms | first complete picture, ms | "
        "pictures seen | poll interval, ms |",
        "|---|---|--:|--:|--:|--:|"] + rows)
    ratio = tolmar.first_picture / mine.first_picture
    notes = [
        f"**Ratio Tolmar.exe ÷ winemine, start to first complete picture: {ratio:.2f}** "
        f"(mapped: {tolmar.mapped / mine.mapped:.2f}).",
    ]
    return table, notes


# ---- 3. drag against repaint -----------------------------------------------------

def bench_drag():
    out = subprocess.run(["wine", str(DRAG_VS_PAINT)], cwd=ROOT, check=True,
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=300)
    # The program prints Windows-1252, like every 8-bit text of the game.
    text = out.stdout.decode("cp1252").replace("\r\n", "\n").strip()
    table, _, breakdown = text.partition("\n\n")
    return table, [breakdown]


# ---- 4. CPU ----------------------------------------------------------------------

def cpu_sample(pids):
    return {name: cpu_ticks(pid) for name, pid in pids.items() if pid}


def cpu_percent(before, after, seconds):
    return {name: (after[name] - before[name]) * 100.0 / TICK / seconds for name in before}


def measure_cpu(pids, work):
    """Per cent of one core used by each process while work() runs."""
    before, t0 = cpu_sample(pids), time.perf_counter()
    work()
    after, t1 = cpu_sample(pids), time.perf_counter()
    return cpu_percent(before, after, t1 - t0), t1 - t0


def open_options(display):
    xdotool("key", "alt+s")
    time.sleep(0.3)
    xdotool("key", "o")
    for _ in range(100):
        rect = display.find("Optionen")
        if rect:
            return rect
        time.sleep(0.05)
    raise RuntimeError("the Options dialog did not open")


def choose_fast_automatic_nine(display):
    """Options: automatic, fastest speed, 9 discs; then a new game."""
    x, y, w, h = open_options(display)
    time.sleep(0.3)
    # The dialog is 162 × 138 dialog units inside a 3-pixel frame, under its caption.
    # The speed scroll bar spans 36..121 × 65..73 with its left arrow at the start.
    # Held down on the trough left of the thumb, the bar pages left (100 ms a page)
    # until the thumb reaches the pointer; held on the arrow, it steps the rest of the
    # way (5 ms a step) to the fastest speed, 100 ms.
    scale = (w - 6) / 162
    client_top = y + h - 3 - round(138 * scale)
    bar_y = client_top + round(69 * scale)
    for units, seconds in ((52, 1.5), (39, 2.5)):
        xdotool("mousemove", x + 3 + round(units * scale), bar_y, "mousedown", "1")
        time.sleep(seconds)
        xdotool("mouseup", "1")
    xdotool("key", "alt+a")
    xdotool("key", "alt+9")
    xdotool("key", "Return")
    for _ in range(100):
        if not display.find("Optionen"):
            break
        time.sleep(0.05)
    time.sleep(0.2)
    xdotool("key", "alt+s")
    time.sleep(0.3)
    xdotool("key", "n")


def drag_back_and_forth(board, seconds, step=6, pause=0.01):
    """One xdotool run that sweeps the cursor between the outer towers."""
    y = board.base_top - (board.base_top - board.top_disc[1]) * 2
    xs = list(range(board.centres[0], board.centres[2], step))
    path = xs + xs[::-1]
    moves = int(seconds / pause)
    args = []
    for i in range(moves):
        args += ["mousemove", path[i % len(path)], y, "sleep", pause]
    t0 = time.perf_counter()
    xdotool(*args)
    return moves, time.perf_counter() - t0


def bench_cpu():
    display = xdisplay.Display()
    game = None
    try:
        game, _, board = start_game(display)
        pids = {"Tolmar.exe": game.pid, "wineserver": wineserver_pid(), "Xvfb": xvfb_pid()}
        rows = []

        time.sleep(1.0)
        usage, secs = measure_cpu(pids, lambda: time.sleep(MEASURE_SECONDS))
        rows.append(("idle, fresh game", usage, secs, "no input"))

        xdotool("mousemove", *board.empty_spot, "click", "1")
        xdotool("mousemove", *board.top_disc, "mousedown", "1")
        time.sleep(0.2)
        grabbed = display.grab((*board.top_disc, 1, 1))
        if xdisplay.pixel(grabbed, 0, 0) == GREEN:
            raise RuntimeError("the press did not lift the middle tower's top disc")
        sent = {}

        def drag():
            sent["moves"], sent["secs"] = drag_back_and_forth(board, MEASURE_SECONDS)

        usage, secs = measure_cpu(pids, drag)
        xdotool("mousemove", *board.top_disc, "mouseup", "1")
        rows.append(("dragging a disc back and forth", usage, secs,
                     f"{sent['moves']} pointer moves, {sent['moves'] / sent['secs']:.0f}/s"))

        time.sleep(0.5)
        choose_fast_automatic_nine(display)
        time.sleep(0.5)
        seen = counter_changes(display, board, 2.0)
        if seen < 15:
            raise RuntimeError(f"automatic play made {seen} moves in 2 s, not about 20")
        usage, secs = measure_cpu(pids, lambda: time.sleep(MEASURE_SECONDS))
        rows.append(("automatic play, 9 discs, 100 ms", usage, secs,
                     f"{seen / 2.0:.1f} moves/s seen just before"))
    finally:
        if game:
            stop(game)
        display.close()

    names = [n for n, pid in pids.items() if pid]
    table = "\n".join(
        ["| while | " + " | ".join(f"{n}, % of a core" for n in names) + " | over, s | input |",
         "|---|" + "--:|" * len(names) + "--:|---|"] +
        [f"| {what} | " + " | ".join(f"{u[n]:.1f}" for n in names) + f" | {secs:.1f} | {note} |"
         for what, u, secs, note in rows])
    return table, []


# ---- 5. memory -------------------------------------------------------------------

def bench_memory():
    moves = 10000  # the check of the counter at the end knows only "10000"
    display = xdisplay.Display()
    game = None
    try:
        game, _, board = start_game(display)
        time.sleep(2.0)
        at_start = memory_kib(game.pid)
        counter_at_start = display.grab(board.counter)

        xdotool("mousemove", *board.empty_spot, "click", "1")
        time.sleep(0.3)
        t0 = time.perf_counter()
        # "21" then "12": disc 1 to the left tower and back; each pair is one move.
        xdotool("type", "--delay", "1", "2112" * (moves // 2))
        wait_until_counter_settles(display, board)
        took = time.perf_counter() - t0
        if display.find("Invalid Move"):
            raise RuntimeError("a typed move was refused: keys were lost")
        if not shows_ten_thousand(counter_at_start, display.grab(board.counter)):
            raise RuntimeError(f"the move counter does not show {moves}")
        after = memory_kib(game.pid)
    finally:
        if game:
            stop(game)
        display.close()

    def row(what, m):
        return f"| {what} | {m['private']:,} | {m['private_dirty']:,} | {m['rss']:,} |"

    table = "\n".join([
        "| Tolmar.exe | private, KiB | of it dirty, KiB | VmRSS, KiB |",
        "|---|--:|--:|--:|",
        row("2 s after the first picture", at_start),
        row(f"after {moves:,} keyboard moves", after)])
    growth = after["private"] - at_start["private"]
    notes = [f"Growth of private memory over {moves:,} moves: {growth:+,} KiB. "
             f"Typing and playing the moves took {took:.1f} s."]
    return table, notes


# ---- the document ----------------------------------------------------------------

BENCHMARKS = {
    "size": ("1. Size of Tolmar.exe and the DLLs it imports", bench_size, """\
Read from the PE headers of the release build with `pefile`. The release build is
linked statically (no compiler runtime DLL) and stripped."""),
    "start": ("2. Start to first paint, against winemine", bench_start, """\
Both programs are started the same way, `wine <program>`, in the same prefix, under the
same running wineserver, on the same display. A poller outside Wine (libX11 through
ctypes) lists the mapped top-level X windows and reads the window's pixels from the
screen, about every few milliseconds, from the launch until the picture has not changed
for 1.5 s. *Mapped* is the first poll that sees the window; *first complete picture* is
the first poll at which the window shows the picture it then keeps: frame, caption,
menu bar and the whole client area (for Tolmar the three bases, the three discs, the
tower numbers and " Zug : 00000"; for winemine the counters, the face and the field).
Each program has been started and ended once, untimed, before its timed start, and each
is timed from one run; the resolution is the poll interval. A single start of either
program is easily delayed by other work on the same cores: rerun to see the spread."""),
    "drag": ("3. One mouse move during a drag against one full repaint", bench_drag, """\
`bench/drag_vs_paint.cpp`, linked with the program's own code, creates the real main
window, sets its client area to each size and lays out nine discs. *Mouse move* is one
`TrackDrag` (as for one WM_MOUSEMOVE) of the lifted disc, over a sweep from the left to
the right tower and back. *PaintBoard* is `GetDC`, `PaintBoard`, `ReleaseDC`;
*WM_PAINT* is `InvalidateRect(…, TRUE)` and `UpdateWindow`, so it includes the erase of
the background inside Wine. Each operation is followed by what the program does next,
a turn of its message loop: the `PeekMessage` that finds the queue empty is where Wine
copies the changed pixels of the window to the X server. Times come from
`QueryPerformanceCounter` around batches of at least 10 ms; every operation runs 20
batches in each of three passes over all operations, and both the fastest and the
median batch are shown: on cores shared with other work, the slower batches mostly
measure how long the wineserver and the X server wait to be scheduled, so the fastest
batch is the better estimate of the cost and the ratio is taken from it. Calls are
counted by pointing the program's import-address-table entries of every gdi32/user32
function that the drawing code uses at counting stubs; calls that Wine makes internally
(such as the erase) are not counted."""),
    "cpu": ("4. CPU while idle, while dragging and during automatic play", bench_cpu, """\
From `/proc/<pid>/stat` (utime + stime of all threads, clock ticks of 10 ms), over 10 s
for each state, as per cent of one core; Tolmar.exe as started by `wine Tolmar.exe`,
with the wineserver of the prefix and the Xvfb of the session beside it (Xvfb also
handles the synthetic input; the CPU of xdotool itself is not counted). *Dragging*:
xdotool presses the button on the middle tower's top disc (the benchmark checks that
it was lifted) and sweeps the pointer between the outer towers in steps of 6 pixels,
with a 10 ms pause after each move (the rate reached is shown). *Automatic play*: with
the keyboard and mouse, Options (Alt+S, O), automatic, the button held on the speed
scroll bar's trough and then on its left arrow until the thumb is at its left end
(100 ms), 9 discs, OK, then New Game (Alt+S, N); the move counter is watched for 2 s
before the measurement to show the speed reached."""),
    "memory": ("5. Private memory after start and after 10,000 moves", bench_memory, """\
From `/proc/<pid>/smaps_rollup` (Private_Clean + Private_Dirty) and `VmRSS` of
`/proc/<pid>/status` of the Tolmar.exe process. The moves are typed with xdotool into
the game window after a click on an empty part of the board: "21" and "12"
alternately, each pair moving disc 1 to the left tower and back; memory is read once the
move counter has stopped changing. A lost key would make a pair name an empty or the
same tower and open the "Invalid Move" box, which the benchmark checks for; it also
checks that the counter's picture changed from "00000" in its first digit only."""),
}


def machine():
    cpu = "unknown CPU"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    wine = subprocess.run(["wine", "--version"], stdout=subprocess.PIPE,
                          text=True).stdout.strip()
    display = xdisplay.Display()
    screen = f"{display.width} × {display.height}"
    display.close()
    return (f"{os.cpu_count()} cores ({cpu}), {platform.system()} {platform.release()}, "
            f"{wine}, Xvfb {screen} × 24 bit")


def load():
    with open("/proc/loadavg") as f:
        return f.read().split()[0]


def section(name, title, method, table, notes, when):
    body = [f"<!-- bench:{name} -->", f"## {title}", "",
            f"Command: `{command_for(name)}` · measured {when}", "",
            method, "", table, ""]
    for note in notes:
        body += [note, ""]
    body.append(f"<!-- /bench:{name} -->")
    return "\n".join(body)


def existing_sections():
    if not DOC.exists():
        return {}
    text = DOC.read_text(encoding="utf-8")
    return {m.group(1): m.group(0) for m in
            re.finditer(r"<!-- bench:(\w+) -->.*?<!-- /bench:\1 -->", text, re.S)}


def write_doc(sections):
    head = f"""\
# Benchmarks

Every table below is made by `scripts/bench`, which builds what it needs and runs all
benchmarks (in about two minutes) on a private Xvfb screen of 2560 × 1600 pixels, in
the project's Wine prefix (`build/wineprefix`, or the one `TOLMAR_WINEPREFIX` names);
`scripts/bench NAME` reruns one of them (size, start, drag, cpu, memory) and replaces
only its section. Each section says when it was measured and the load average
of the machine at that moment: numbers taken while other work runs on the same cores
are noisy, so rerun on a quiet machine before drawing fine conclusions.
"""
    parts = [head] + [sections[n] for n in BENCHMARKS if n in sections]
    DOC.write_text("\n".join(parts).rstrip() + "\n", encoding="utf-8")


def main(argv):
    names = argv or list(BENCHMARKS)
    unknown = [n for n in names if n not in BENCHMARKS]
    if unknown:
        print("unknown benchmark: " + ", ".join(unknown) + "; choose from "
              + ", ".join(BENCHMARKS), file=sys.stderr)
        return 2
    where = machine()
    sections = existing_sections()
    failed = False
    try:
        for name in names:
            title, run, method = BENCHMARKS[name]
            when = (f"{datetime.date.today().isoformat()} on {where}, "
                    f"load average {load()}")
            print(f"\n## {title}\n", flush=True)
            try:
                table, notes = run()
            except (RuntimeError, subprocess.SubprocessError, OSError) as e:
                print(f"FAILED: {e}", file=sys.stderr)
                failed = True
                continue
            print(table)
            for note in notes:
                print("\n" + note)
            sections[name] = section(name, title, method, table, notes, when)
            write_doc(sections)
    finally:
        stop_all()
    print(f"\nwritten: {DOC.relative_to(ROOT)}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
