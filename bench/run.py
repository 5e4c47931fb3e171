"""Runs the benchmarks of Tolmar.exe under Wine and writes docs/BENCHMARKS.md.

Started by scripts/bench, inside a Wine session on a private Xvfb, with the build
directories in the environment: TOLMAR_BUILD_DIR (what is run), TOLMAR_BUILD_DIR_O3
(the same at -O3), TOLMAR_RELEASE_DIR (the i686 Tolmar.exe that ships) and
TOLMAR_LINKMAP (its link map). Each benchmark prints its table and replaces its own
section of docs/BENCHMARKS.md; sections of benchmarks not run are kept.

    run.py [size] [start] [drag] [cpu] [memory]      (none named: all of them)
"""

import datetime
import hashlib
import os
import platform
import re
import signal
import statistics
import subprocess
import sys
import time
from pathlib import Path

import pefile
from PIL import Image, ImageChops
from Xlib import X, display as xdisplay, error as xerror

ROOT = Path(__file__).resolve().parent.parent


def build_path(variable):
    return ROOT / os.environ[variable]


BUILD = build_path("TOLMAR_BUILD_DIR")
EXE = BUILD / "Tolmar.exe"
RELEASE_EXE = build_path("TOLMAR_RELEASE_DIR") / "Tolmar.exe"
DOC = ROOT / "docs" / "BENCHMARKS.md"
WINE_BITS = os.environ.get("TOLMAR_WINE_BITS", "32")
RUNS_AS = (f"{'an x86-64' if WINE_BITS == '64' else 'the i686'} build, "
           f"`{os.path.relpath(BUILD, ROOT)}`, under {WINE_BITS}-bit Wine")

TITLE = "Die T\u00fcrme von Tolmar"
GREEN = (0, 128, 0)
BROWN = (128, 64, 0)
BLACK = (0, 0, 0)
TICK = os.sysconf("SC_CLK_TCK")
MEASURE_SECONDS = 10.0
STARTS = 7       # of each program, alternating
DRAG_RUNS = 7    # of each build, alternating


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
    started.remove(proc)


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
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/comm") as f:
                if (f.read().startswith("wineserver")
                        and os.path.basename(os.readlink(f"/proc/{pid}/cwd")) == wanted):
                    return int(pid)
        except OSError:
            continue
    return None


def memory_kib(pid):
    values = {}
    for name in (f"/proc/{pid}/smaps_rollup", f"/proc/{pid}/status"):
        with open(name) as f:
            values.update((m.group(1), int(m.group(2))) for m in
                          re.finditer(r"^(\w+):\s+(\d+) kB", f.read(), re.M))
    return {"private": values["Private_Clean"] + values["Private_Dirty"],
            "private_dirty": values["Private_Dirty"], "rss": values["VmRSS"]}


def xdotool(*args):
    subprocess.run(["xdotool"] + [str(a) for a in args], check=True,
                   stdout=subprocess.DEVNULL)


# ---- the screen as a person sees it ----------------------------------------------

class Screen:
    """The X display seen from outside Wine: its mapped top-level windows, through
    python-xlib, and their pixels as Pillow images."""

    def __init__(self):
        self.x = xdisplay.Display()
        self.root = self.x.screen().root
        self.width = self.x.screen().width_in_pixels
        self.height = self.x.screen().height_in_pixels

    def close(self):
        self.x.close()

    def window(self, title):
        for window in self.root.query_tree().children:
            try:
                if (window.get_attributes().map_state == X.IsViewable
                        and window.get_wm_name() == title):
                    return window
            except xerror.XError:  # gone between the listing and the question
                pass
        return None

    def rect(self, window):
        """(x, y, width, height) of a mapped top-level window, or None."""
        try:
            if window.get_attributes().map_state != X.IsViewable:
                return None
            g = window.get_geometry()
            return g.x, g.y, g.width, g.height
        except xerror.XError:
            return None

    def find(self, title):
        window = self.window(title)
        return window and self.rect(window)

    def _bytes(self, rect):
        x, y, w, h = rect
        x0, y0 = max(x, 0), max(y, 0)
        w, h = min(x + w, self.width) - x0, min(y + h, self.height) - y0
        data = self.root.get_image(x0, y0, w, h, X.ZPixmap, 0xFFFFFFFF).data
        return (w, h), data

    def grab(self, rect):
        size, data = self._bytes(rect)
        return Image.frombytes("RGB", size, data, "raw", "BGRX")

    def fingerprint(self, rect):
        return rect, hashlib.blake2b(self._bytes(rect)[1], digest_size=16).digest()


def pixels(image, colour):
    """Every (x, y) of the image whose pixel is exactly colour."""
    w = image.width
    return [(i % w, i // w) for i, p in enumerate(image.getdata()) if p == colour]


class StartWatch:
    """Polls the screen from the launch of a program until its window has kept the same
    picture for `settle` seconds. Times are seconds from the launch."""

    def __init__(self, screen, args, title, settle=1.5, limit=60.0):
        # A window of an earlier run can outlive its process for a moment.
        for _ in range(100):
            if not screen.find(title):
                break
            time.sleep(0.05)
        else:
            raise RuntimeError(f"{title}: a window of that name is already on the screen")
        t0 = time.perf_counter()
        self.proc = launch(args)
        window, self.mapped = None, None
        frames = []  # (time, fingerprint), one per change of the picture
        polls = 0
        while True:
            now = time.perf_counter() - t0
            if now > limit:
                raise RuntimeError(f"{title}: no settled window after {limit:.0f} s, "
                                   f"{len(frames)} pictures seen")
            if window is None:
                window = screen.window(title)
                self.mapped = now if window else None
            if window is not None:
                rect = screen.rect(window)
                if rect is None:
                    raise RuntimeError(f"{title}: the window went away")
                fp = screen.fingerprint(rect)
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

    def __init__(self, screen, rect):
        image = screen.grab(rect)
        x0, y0 = rect[0], rect[1]
        brown = pixels(image, BROWN)
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
        middle = [(x, y) for x, y in pixels(image, GREEN)
                  if abs(x0 + x - self.centres[1]) < (self.centres[1] - self.centres[0]) // 2]
        if not middle:
            raise RuntimeError("no disc on the middle tower")
        self.top_disc = (self.centres[1], y0 + min(y for _, y in middle) + 3)
        # High above the empty left tower: a press there starts nothing.
        self.empty_spot = (self.centres[0], (y0 + self.base_top) // 2)
        # The move counter and its caption: in the right half above the discs, the
        # lowest band of rows with black in it (the caption bar's buttons are higher).
        black = [(x, y) for x, y in pixels(image, BLACK)
                 if x > rect[2] // 2 and y0 + y < self.top_disc[1] - 30]
        if not black:
            raise RuntimeError("no move counter in the picture")
        rows = {y for _, y in black}
        band_top = max(rows)
        while band_top - 1 in rows:
            band_top -= 1
        text = [(x, y) for x, y in black if y >= band_top]
        left, top = min(x for x, _ in text), band_top
        self.counter = (x0 + left, y0 + top, max(x for x, _ in text) - left + 1,
                        max(y for _, y in text) - top + 1)


def start_game(screen):
    watch = StartWatch(screen, [str(EXE)], TITLE)
    return watch.proc, Board(screen, watch.rect)


def counter_changes(screen, board, seconds, interval=0.02):
    """How often the move counter's picture changes within `seconds`."""
    changes, last = 0, screen.fingerprint(board.counter)
    end = time.perf_counter() + seconds
    while time.perf_counter() < end:
        time.sleep(interval)
        fp = screen.fingerprint(board.counter)
        if fp != last:
            changes, last = changes + 1, fp
    return changes


def wait_until_counter_settles(screen, board, quiet=1.0, limit=300.0):
    last = screen.fingerprint(board.counter)
    start = since = time.perf_counter()
    while time.perf_counter() - since < quiet:
        if time.perf_counter() - start > limit:
            raise RuntimeError("the move counter does not settle")
        time.sleep(0.05)
        fp = screen.fingerprint(board.counter)
        if fp != last:
            last, since = fp, time.perf_counter()


def shows_ten_thousand(before, after):
    """Whether the counter, "00000" in `before`, changed in its first digit only."""
    px = before.load()
    inked = [any(px[x, y] == BLACK for y in range(before.height))
             for x in range(before.width)] + [False]
    # Runs of columns with black in them: the letters and digits, left to right.
    starts = [x for x in range(len(inked)) if inked[x] and (x == 0 or not inked[x - 1])]
    ends = [x for x in range(len(inked) - 1) if inked[x] and not inked[x + 1]]
    if len(starts) < 6 or before.size != after.size:
        return False
    changed = ImageChops.difference(before, after).getbbox()
    return bool(changed) and ends[-6] < changed[0] and changed[2] <= starts[-4]


# ---- 1. size ---------------------------------------------------------------------

ORIGINS = ["the program's own code and data", "C start-up and runtime", "resources",
           "imports", "exports", "relocations", "headers", "alignment padding"]


def origins_by_section(map_file):
    """{output section: {origin: bytes}} from the linker's map of Tolmar.exe."""
    text = map_file.read_text().split("Linker script and memory map", 1)[1]
    # A long name stands on a line of its own, the address and size on the next.
    text = re.sub(r"\n( ?\.\S+)\n\s+0x", r"\n\1 0x", text)
    entries, section = [], None
    for line in text.splitlines():
        m = re.match(r"(\.\S+)\s+0x[0-9a-f]+\s+0x[0-9a-f]+", line)
        if m:
            section = m.group(1)
            continue
        m = re.match(r" (\S+)\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s*(.*)", line)
        if m and section:
            entries.append((section, m.group(1), int(m.group(2), 16), m.group(3)))
        # Words the linker script puts in: the ends of the constructor lists and of
        # the import directory.
        m = re.match(r"\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(BYTE|SHORT|LONG|QUAD)\b", line)
        if m and section:
            entries.append((section, m.group(2), int(m.group(1), 16), "linker script"))
    # Members of import libraries: each brings a piece of the import tables and, for
    # what is called without __declspec(dllimport), a jump through them.
    importers = {f for _, name, _, f in entries if name.startswith(".idata$")}
    table = {}
    for section, name, size, origin in entries:
        if name == "*fill*":
            kind = "alignment padding"
        elif section == ".rsrc":
            kind = "resources"
        elif origin == "dll stuff":  # what the linker makes itself
            kind = {".edata": "exports", ".reloc": "relocations"}[section]
        elif origin in importers or (origin == "linker script" and section == ".idata"):
            kind = "imports"
        elif "mingw-w64-crt" in origin:  # the runtime's start-up, built here for the 486
            kind = "C start-up and runtime"
        elif ".ltrans" in origin:  # the program's own code, compiled at link time
            kind = "the program's own code and data"
        elif origin.startswith("/") or origin == "linker script":
            kind = "C start-up and runtime"
        else:
            kind = "the program's own code and data"
        row = table.setdefault(section, dict.fromkeys(ORIGINS, 0))
        row[kind] += size
    return table


def section_name(s):
    return s.Name.rstrip(b"\0").decode()


def bench_size():
    pe = pefile.PE(str(RELEASE_EXE))
    size = RELEASE_EXE.stat().st_size
    linkmap = build_path("TOLMAR_LINKMAP")
    relinked = linkmap.parent / "Tolmar.exe"
    if relinked.read_bytes() != RELEASE_EXE.read_bytes():
        raise RuntimeError(f"{relinked} is not byte for byte {RELEASE_EXE}: no map of it")
    by_map = origins_by_section(linkmap)

    def cells(values):
        return " | ".join(f"{v:,}" if v else "" for v in values)

    headers = pe.OPTIONAL_HEADER.SizeOfHeaders
    totals = dict.fromkeys(ORIGINS, 0)
    totals["headers"] = headers
    rows = [f"| headers and section table | {headers:,} | "
            f"{cells(headers if k == 'headers' else 0 for k in ORIGINS)} |"]
    for s in pe.sections:
        name = section_name(s)
        # The section table keeps eight characters of a name.
        found = [v for k, v in by_map.items() if k[:8] == name]
        if s.SizeOfRawData == 0 or not found:
            continue
        row = dict(found[0])
        row["alignment padding"] += s.SizeOfRawData - sum(row.values())
        if row["alignment padding"] < 0:
            raise RuntimeError(f"the map gives {name} more bytes than the file has")
        for k in ORIGINS:
            totals[k] += row[k]
        rows.append(f"| `{name}` | {s.SizeOfRawData:,} | {cells(row[k] for k in ORIGINS)} |")
    rows.append(f"| **all of `Tolmar.exe`** | **{size:,}** | "
                f"{cells(totals[k] for k in ORIGINS)} |")
    table = "\n".join(["| section | bytes in the file | " + " | ".join(ORIGINS) + " |",
                       "|---|--:|" + "--:|" * len(ORIGINS)] + rows)

    stripped = pe.FILE_HEADER.NumberOfSymbols == 0 and not any(
        section_name(s).startswith(".debug") for s in pe.sections)
    dlls = [(e.dll.decode(), len(e.imports)) for e in pe.DIRECTORY_ENTRY_IMPORT]
    system = {"gdi32.dll", "kernel32.dll", "msvcrt.dll", "user32.dll"}
    notes = [
        f"**{size:,} bytes, {'within' if size <= 32768 else 'OVER'} the 32,768 of "
        f"32 KiB**, {'stripped' if stripped else 'NOT stripped'}. It imports "
        + ", ".join(f"{n} functions from {d}" for d, n in dlls) + ": "
        + ("only DLLs of the system, no compiler runtime DLL." if
           {d.lower() for d, _ in dlls} <= system else "NOT only DLLs of the system."),
    ]
    return table, notes


# ---- 2. start to first complete picture ------------------------------------------

def bench_start():
    programs = [("Tolmar.exe", [str(EXE)], TITLE), ("winemine", ["winemine"], "WineMine")]
    screen = Screen()
    watches = {name: [] for name, _, _ in programs}
    try:
        # One untimed start of each first, so neither pays alone for loading Wine's DLLs.
        for _, args, title in programs:
            stop(StartWatch(screen, args, title, settle=0.5).proc)
        for _ in range(STARTS):
            for name, args, title in programs:
                watch = StartWatch(screen, args, title)
                stop(watch.proc)
                watches[name].append(watch)
    finally:
        screen.close()

    rows = [f"| {i + 1} | {name} | {w.rect[2]} × {w.rect[3]} | {w.mapped * 1000:.0f} | "
            f"{w.first_picture * 1000:.0f} | {w.changes} | {w.poll_ms:.1f} |"
            for i in range(STARTS) for name, _, _ in programs
            for w in [watches[name][i]]]
    median = {name: (statistics.median(w.mapped for w in ws),
                     statistics.median(w.first_picture for w in ws))
              for name, ws in watches.items()}
    rows += [f"| median | **{name}** | | {m * 1000:.0f} | **{p * 1000:.0f}** | | |"
             for name, (m, p) in median.items()]
    table = "\n".join([
        "| start | program | window | mapped, ms | first complete picture, ms | "
        "pictures seen | poll interval, ms |",
        "|--:|---|---|--:|--:|--:|--:|"] + rows)
    pairs = [t.first_picture / m.first_picture
             for t, m in zip(watches["Tolmar.exe"], watches["winemine"])]
    notes = [
        f"**Ratio of the medians, Tolmar.exe ÷ winemine, start to first complete picture: "
        f"{median['Tolmar.exe'][1] / median['winemine'][1]:.2f}** (mapped: "
        f"{median['Tolmar.exe'][0] / median['winemine'][0]:.2f}). The ratio within each "
        f"pair of starts ranged from {min(pairs):.2f} to {max(pairs):.2f}.",
        "A picture is seen on average half a poll interval after it is complete; the "
        "median poll interval was " + " and ".join(
            f"{statistics.median(w.poll_ms for w in ws):.1f} ms for {name}"
            for name, ws in watches.items()) + " (reading a larger window takes longer).",
    ]
    return table, notes


# ---- 3. drag against repaint, -Oz against -O3 ------------------------------------

def drag_run(exe):
    """{(client area, operation): ({function: calls per operation}, [µs per operation
    of each batch])} of one run."""
    out = subprocess.run(["wine", str(exe)], cwd=ROOT, check=True, stdout=subprocess.PIPE,
                         stderr=subprocess.DEVNULL, timeout=300).stdout.decode("cp1252")
    result = {}
    for line in out.splitlines():
        if "\t" not in line:
            continue
        kind, area, what, *rest = line.rstrip("\r").split("\t")
        calls, batches = result.setdefault((area, what), ({}, []))
        if kind == "calls":
            calls[rest[0]] = float(rest[1])
        elif kind == "batch":
            batches.append(float(rest[0]))
    return result


def bench_drag():
    builds = {"-Oz": BUILD, "-O3": build_path("TOLMAR_BUILD_DIR_O3")}
    runs = {flag: [] for flag in builds}
    for _ in range(DRAG_RUNS):
        for flag, build in builds.items():
            runs[flag].append(drag_run(build / "bench" / "tolmar_drag_vs_paint.exe"))

    def fastest(flag, key):
        """The median over the runs of each run's fastest batch, and their range."""
        each = [min(run[key][1]) for run in runs[flag]]
        return statistics.median(each), min(each), max(each)

    rows, unit, by_function, ratios, overlaps = [], None, {}, [], 0
    for key, (calls, _) in runs["-Oz"][0].items():
        area, what = key
        t = {f: fastest(f, key) for f in builds}
        if what.startswith("mouse move") and what.endswith("disc 1"):
            unit = t["-Oz"][0]
        ratios.append(t["-O3"][0] / t["-Oz"][0])
        overlaps += t["-O3"][1] <= t["-Oz"][2] and t["-Oz"][1] <= t["-O3"][2]
        if calls:
            by_function.setdefault(what, set()).add(
                ", ".join(f"{n} {c:g}" for n, c in calls.items()))
        rows.append(
            f"| {area.replace('x', ' × ')} | {what} | {f'{sum(calls.values()):g}' if calls else '–'} | "
            + " | ".join("%.1f (%.0f–%.0f)" % t[f] for f in builds)
            + f" | {t['-O3'][0] / t['-Oz'][0]:.2f} | "
            + (f"{t['-Oz'][0] / unit:.1f} |" if calls else "– |"))
    table = "\n".join([
        "| client area | operation | GDI/USER calls | µs at -Oz (range over the runs) | "
        "µs at -O3 (range) | -O3 ÷ -Oz | relative to a mouse move, disc 1, at -Oz |",
        "|---|---|--:|--:|--:|--:|--:|"] + rows)
    same = all(run[k][0] == runs["-Oz"][0][k][0] for f in builds for run in runs[f]
               for k in run)
    notes = [f"-O3 ÷ -Oz from {min(ratios):.2f} to {max(ratios):.2f}; the ranges of the "
             f"two builds overlap in {overlaps} of the {len(rows)} rows.",
             f"The calls per operation were {'the same' if same else 'NOT the same'} in "
             "every run of both builds; by function, at "
             + ("both sizes" if all(len(v) == 1 for v in by_function.values())
                else "the two sizes (NOT the same)") + ":",
             "\n".join(f"- {what}: {'; '.join(sorted(v))}" for what, v in by_function.items())]
    return table, notes


# ---- 4. CPU ----------------------------------------------------------------------

def measure_cpu(pids, work):
    """Per cent of one core used by each process while work() runs, and the seconds."""
    before, t0 = {n: cpu_ticks(p) for n, p in pids.items()}, time.perf_counter()
    work()
    after, t1 = {n: cpu_ticks(p) for n, p in pids.items()}, time.perf_counter()
    return {n: (after[n] - before[n]) * 100.0 / TICK / (t1 - t0) for n in pids}, t1 - t0


def open_options(screen):
    xdotool("key", "alt+s")
    time.sleep(0.3)
    xdotool("key", "o")
    for _ in range(100):
        rect = screen.find("Optionen")
        if rect:
            return rect
        time.sleep(0.05)
    raise RuntimeError("the Options dialog did not open")


def choose_fast_automatic_nine(screen):
    """Options: automatic, fastest speed, 9 discs; then a new game."""
    x, y, w, h = open_options(screen)
    time.sleep(0.3)
    # The dialog is 162 × 138 dialog units inside a 3-pixel frame, under its caption.
    # The speed scroll bar spans 36..121 × 65..73 with its left arrow at the start.
    # Held down on the trough left of the thumb, the bar pages left (100 ms a page)
    # until the thumb reaches the pointer; held on the arrow, it steps the rest of the
    # way (5 ms a step) to the fastest speed, 100 ms.
    scale = (w - 6) / 162
    bar_y = y + h - 3 - round(138 * scale) + round(69 * scale)
    for units, seconds in ((52, 1.5), (39, 2.5)):
        xdotool("mousemove", x + 3 + round(units * scale), bar_y, "mousedown", "1")
        time.sleep(seconds)
        xdotool("mouseup", "1")
    xdotool("key", "alt+a")
    xdotool("key", "alt+9")
    xdotool("key", "Return")
    for _ in range(100):
        if not screen.find("Optionen"):
            break
        time.sleep(0.05)
    time.sleep(0.2)
    xdotool("key", "alt+s")
    time.sleep(0.3)
    xdotool("key", "n")


def bench_cpu():
    screen = Screen()
    game = None
    try:
        game, board = start_game(screen)
        pids = {"Tolmar.exe": game.pid, "wineserver": wineserver_pid(),
                "Xvfb": int(os.environ.get("BENCH_XVFB_PID") or 0)}
        pids = {n: p for n, p in pids.items() if p}
        rows = []

        time.sleep(1.0)
        usage, secs = measure_cpu(pids, lambda: time.sleep(MEASURE_SECONDS))
        rows.append(("idle, fresh game", usage, secs, "no input"))

        xdotool("mousemove", *board.empty_spot, "click", "1")
        xdotool("mousemove", *board.top_disc, "mousedown", "1")
        time.sleep(0.2)
        if screen.grab((*board.top_disc, 1, 1)).getpixel((0, 0)) == GREEN:
            raise RuntimeError("the press did not lift the middle tower's top disc")
        # One xdotool run sweeps the cursor between the outer towers.
        y = board.base_top - (board.base_top - board.top_disc[1]) * 2
        xs = list(range(board.centres[0], board.centres[2], 6))
        path, pause = xs + xs[::-1], 0.01
        moves = int(MEASURE_SECONDS / pause)
        sweep = [a for i in range(moves) for a in
                 ("mousemove", path[i % len(path)], y, "sleep", pause)]
        usage, secs = measure_cpu(pids, lambda: xdotool(*sweep))
        xdotool("mousemove", *board.top_disc, "mouseup", "1")
        rows.append(("dragging a disc back and forth", usage, secs,
                     f"{moves} pointer moves, {moves / secs:.0f}/s"))

        time.sleep(0.5)
        choose_fast_automatic_nine(screen)
        time.sleep(0.5)
        seen = counter_changes(screen, board, 2.0)
        if seen < 15:
            raise RuntimeError(f"automatic play made {seen} moves in 2 s, not about 20")
        usage, secs = measure_cpu(pids, lambda: time.sleep(MEASURE_SECONDS))
        rows.append(("automatic play, 9 discs, 100 ms", usage, secs,
                     f"{seen / 2.0:.1f} moves/s seen just before"))
    finally:
        if game:
            stop(game)
        screen.close()

    table = "\n".join(
        ["| while | " + " | ".join(f"{n}, % of a core" for n in pids) + " | over, s | input |",
         "|---|" + "--:|" * len(pids) + "--:|---|"] +
        [f"| {what} | " + " | ".join(f"{u[n]:.1f}" for n in pids) + f" | {secs:.1f} | {note} |"
         for what, u, secs, note in rows])
    return table, []


# ---- 5. memory -------------------------------------------------------------------

def bench_memory():
    moves = 10000  # the check of the counter at the end knows only "10000"
    screen = Screen()
    game = None
    try:
        game, board = start_game(screen)
        time.sleep(2.0)
        at_start = memory_kib(game.pid)
        counter_at_start = screen.grab(board.counter)

        xdotool("mousemove", *board.empty_spot, "click", "1")
        time.sleep(0.3)
        t0 = time.perf_counter()
        # "21" then "12": disc 1 to the left tower and back; each pair is one move.
        xdotool("type", "--delay", "1", "2112" * (moves // 2))
        wait_until_counter_settles(screen, board)
        took = time.perf_counter() - t0
        if screen.find("Invalid Move"):
            raise RuntimeError("a typed move was refused: keys were lost")
        if not shows_ten_thousand(counter_at_start, screen.grab(board.counter)):
            raise RuntimeError(f"the move counter does not show {moves}")
        after = memory_kib(game.pid)
    finally:
        if game:
            stop(game)
        screen.close()

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

BENCHMARKS = {"size": bench_size, "start": bench_start, "drag": bench_drag,
              "cpu": bench_cpu, "memory": bench_memory}


def machine():
    with open("/proc/cpuinfo") as f:
        cpu = next((line.split(":", 1)[1].strip() for line in f
                    if line.startswith("model name")), "unknown CPU")
    wine = subprocess.run(["wine", "--version"], stdout=subprocess.PIPE,
                          text=True).stdout.strip()
    screen = Screen()
    size = f"{screen.width} × {screen.height}"
    screen.close()
    return (f"{os.cpu_count()} cores ({cpu}), {platform.system()} {platform.release()}, "
            f"{wine}, Xvfb {size} × 24 bit")


def load():
    with open("/proc/loadavg") as f:
        return f.read().split()[0]


def replace_section(name, text):
    """Puts text between the section's markers in the document; the title and the
    description of the method around them are written by hand."""
    doc, count = re.subn(rf"(<!-- bench:{name} -->\n).*?(<!-- /bench:{name} -->)",
                         lambda m: m.group(1) + text + m.group(2),
                         DOC.read_text(encoding="utf-8"), flags=re.S)
    if count != 1:
        raise RuntimeError(f"{DOC} has no section {name}")
    DOC.write_text(doc, encoding="utf-8")


def main(argv):
    names = argv or list(BENCHMARKS)
    unknown = [n for n in names if n not in BENCHMARKS]
    if unknown:
        print("unknown benchmark: " + ", ".join(unknown) + "; choose from "
              + ", ".join(BENCHMARKS), file=sys.stderr)
        return 2
    where = machine()
    failed = False
    try:
        for name in names:
            load_before = load()
            print(f"\n## {name}\n", flush=True)
            try:
                table, notes = BENCHMARKS[name]()
            except (RuntimeError, subprocess.SubprocessError, OSError, KeyError,
                    xerror.XError) as e:
                print(f"FAILED: {e!r}", file=sys.stderr)
                failed = True
                continue
            what = (f"read `{os.path.relpath(RELEASE_EXE, ROOT)}`, the i686 build" if name == "size"
                    else f"ran {RUNS_AS}")
            text = "\n\n".join(
                [f"Command: `scripts/bench {name}` · {what} · measured "
                 f"{datetime.date.today().isoformat()} on {where}, load average "
                 f"{load_before} before and {load()} after", table] + notes)
            print(text)
            replace_section(name, text + "\n")
    finally:
        for proc in list(started):
            stop(proc)
    print("\nwritten: docs/BENCHMARKS.md")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
