"""Drives the real Tolmar.exe under Wine as a person would: X mouse and keyboard input
through xdotool, screenshots of the X display, and the probe for what the dialogs say.

The board checks compute the geometry from the real client size with the same integer
rules the game draws by, and look at the pixels that those rules fix: disc widths and
slot rows, the blank row between discs, the bases, and the counter.
"""

import argparse
import io
import os
import re
import shutil
import subprocess
import sys
import time
from pathlib import Path

from PIL import Image

GREEN = (0, 128, 0)
RED = (255, 0, 0)
WHITE = (255, 255, 255)
BROWN = (128, 64, 0)
BLUE = (0, 64, 128)

# What the result dialog says, as the Windows-1252 bytes that the probe reports.
EXACT_TEXT = ("Fertig !!!, Sie sind wirklich gut, kein Zug zuviel !!!\n"
              "Warum nehmen Sie nicht mehr Platten ?").encode("cp1252")


def computer_text(moves, minimal):
    return ("Der Computer benötigte %d Züge, notwendig\nwaren %d. Nun, das ist nicht "
            "schlecht, oder ?" % (moves, minimal)).encode("cp1252")


class JourneyFailed(Exception):
    pass


def check(condition, message):
    if not condition:
        raise JourneyFailed(message)


def tdiv(a, b):
    """Integer division truncating toward zero, as the game divides."""
    q = abs(a) // abs(b)
    return q if (a >= 0) == (b >= 0) else -q


class Geometry:
    """The board's geometry for a client area of w x h pixels."""

    def __init__(self, w, h):
        self.w, self.h = w, h
        self.label = h // 12
        self.column = w // 3
        self.unit = w // 32
        self.foot = h - (h + 18 * self.label + 36) // 12

    def center(self, t):
        return t * self.column + self.column // 2

    def half_width(self, d):
        return ((d + 1) * self.unit) // 2

    def slot_rows(self, j):
        """First and last row filled by slot j."""
        bottom_edge = self.foot + tdiv((1 - j) * self.h, 18)
        return self.foot - (j * self.h) // 18 + 1, bottom_edge - 1

    def slot_middle(self, j):
        first, last = self.slot_rows(j)
        return (first + last) // 2

    def base(self, t):
        """Left, top, right, bottom as the rounded rectangle gets them."""
        return (self.center(t) - 5 * self.unit, (35 * self.h - 54 * self.label - 1) // 36,
                self.center(t) + 5 * self.unit, self.h - (3 * self.label + 1) // 2)

    def counter_pos(self):
        return self.w // 6 + 2 * self.column, self.label // 2


def expect_pixel(img, x, y, colour, what, faults):
    pixel = img.getpixel((x, y))[:3]
    if any(abs(a - b) > 8 for a, b in zip(pixel, colour)):
        faults.append("%s at (%d, %d) is %s, expected %s" % (what, x, y, pixel, colour))


def pixel_faults(img, points):
    """points: (x, y, colour, what) each."""
    faults = []
    for x, y, colour, what in points:
        expect_pixel(img, x, y, colour, what, faults)
    return faults


def board_faults(img, geo, towers):
    """Differences between the picture and the board `towers` (three lists of disc
    sizes, bottom first)."""
    faults = []
    for t, stack in enumerate(towers):
        m = geo.center(t)
        left, top, right, bottom = geo.base(t)
        expect_pixel(img, m, (top + bottom) // 2, BROWN, "base %d fill" % t, faults)
        expect_pixel(img, m, top, BLUE, "base %d outline" % t, faults)
        expect_pixel(img, m, bottom - 1, BLUE, "base %d outline" % t, faults)
        expect_pixel(img, left - 2, (top + bottom) // 2, WHITE, "left of base %d" % t, faults)
        expect_pixel(img, right + 1, (top + bottom) // 2, WHITE, "right of base %d" % t,
                     faults)
        for j in range(9):
            y = geo.slot_middle(j)
            if j >= len(stack):
                expect_pixel(img, m, y, WHITE, "empty slot %d of tower %d" % (j, t), faults)
                continue
            d, half = stack[j], geo.half_width(stack[j])
            what = "disc %d in slot %d of tower %d" % (d, j, t)
            for x in (m, m - half + 1, m + half - 2):
                expect_pixel(img, x, y, GREEN, what, faults)
            expect_pixel(img, m - half - 2, y, WHITE, "left of " + what, faults)
            expect_pixel(img, m + half + 1, y, WHITE, "right of " + what, faults)
            if j > 0:
                expect_pixel(img, m, geo.slot_rows(j)[0] - 1, WHITE, "row below " + what,
                             faults)
    return faults


def dark_mask(img, x, y, w, h):
    return ["".join("#" if sum(img.getpixel((x + i, y + k))[:3]) < 3 * 128 else "."
                    for i in range(w)) for k in range(h)]


class Journey:
    """One journey: its command line, its screenshots, the probe and the game."""

    def __init__(self, name):
        parser = argparse.ArgumentParser()
        for option in ("--exe", "--probe", "--shots"):
            parser.add_argument(option, required=True)
        parser.add_argument("--setup", help="the folder of the Setups")
        args = parser.parse_args()
        self.setup = args.setup
        self.name, self.exe, self.probe_exe = name, args.exe, args.probe
        self.shots = Path(args.shots) / name
        self.shots.mkdir(parents=True, exist_ok=True)
        for old in self.shots.glob("*.png"):
            old.unlink()
        self.shot_number = 0
        self.counter_masks = {}

    def probe(self, *args, allow_fail=False):
        result = subprocess.run(["wine", self.probe_exe] + [str(a) for a in args],
                                capture_output=True, timeout=60)
        out = result.stdout.decode("ascii", "replace")
        if result.returncode != 0 and not allow_fail:
            raise JourneyFailed("probe %s failed (%d): %s" % (" ".join(map(str, args)),
                                                               result.returncode, out))
        return out.splitlines(), result.returncode

    def counter_mask(self, w, h, moves):
        key = (w, h, moves)
        if key not in self.counter_masks:
            lines, _ = self.probe("counter", w, h, moves)
            _, _, cw, ch = lines[0].split()
            self.counter_masks[key] = lines[1:1 + int(ch)]
            check(len(self.counter_masks[key][0]) == int(cw), "probe counter output")
        return self.counter_masks[key]

    def run(self, body):
        """Runs body(journey); prints the outcome and exits with 0 or 1."""
        started = time.monotonic()
        try:
            lines, status = self.probe("main", 0, allow_fail=True)
            check(status == 2, "a game window is open before the journey: %s" % lines)
            body(self)
        except (JourneyFailed, subprocess.TimeoutExpired) as failure:
            print("FAILED %s: %s" % (self.name, failure))
            print("screenshots in %s" % self.shots)
            sys.exit(1)
        print("journey %s passed in %.1f s; screenshots in %s"
              % (self.name, time.monotonic() - started, self.shots))

    def step(self, text):
        print("-", text, flush=True)

    def save(self, label, img):
        self.shot_number += 1
        path = self.shots / ("%02d-%s.png" % (self.shot_number, label))
        img.save(path)
        return path


def xdotool(*args):
    subprocess.run(["xdotool"] + [str(a) for a in args], check=True, timeout=30)


def calls_from(exe, trace):
    """The system functions that the code of `exe` called, from Wine's relay trace with
    process ids (WINEDEBUG=+pid,+relay). Only the process started, whose lines come first:
    the programs that Wine starts for it (the desktop's explorer.exe) inherit the trace,
    and their code may lie at the same addresses."""
    import pefile
    header = pefile.PE(exe, fast_load=True).OPTIONAL_HEADER
    begin, end = header.ImageBase, header.ImageBase + header.SizeOfImage
    calls, first = set(), None
    with open(trace, errors="replace") as lines:
        for line in lines:
            m = re.match(r"([0-9a-f]+):[0-9a-f]+:Call ([\w.]+)\(.*\) ret=([0-9a-f]+)$",
                         line.rstrip())
            if not m:
                continue
            first = first or m.group(1)
            if m.group(1) == first and begin <= int(m.group(3), 16) < end:
                calls.add(m.group(2).split(".")[1])
    return calls


def hex_text(field):
    return b"" if field == "-" else bytes.fromhex(field)


def parse_dialogs(lines):
    """The probe's report as a list of {caption, rect, controls: {id: ...}}."""
    dialogs = []
    for line in lines:
        fields = line.split()
        if fields[0] == "dialog":
            dialogs.append({"caption": hex_text(fields[2]), "controls": {},
                            "rect": tuple(map(int, fields[3:7]))})
        elif fields[0] == "control":
            dialogs[-1]["controls"][int(fields[1])] = {
                "class": fields[2], "checked": int(fields[3]), "text": hex_text(fields[4])}
    return dialogs


class Game:
    """A running Tolmar.exe. Used in a with block, which ends the process by its id if
    the journey leaves it running."""

    def __init__(self, journey, locale=None, windows98=False, without_oleacc=False):
        """locale: the LC_ALL the game runs under, which sets its ANSI code page.
        windows98: runs a copy that Wine tells it runs on Windows 98, with a trace of
        the calls it makes into the system's DLLs. without_oleacc: the game finds no
        accessibility library, as on a Windows 95 without it."""
        self.journey = journey
        env = dict(os.environ, LC_ALL=locale) if locale else dict(os.environ)
        if without_oleacc:
            env["WINEDLLOVERRIDES"] = env.get("WINEDLLOVERRIDES", "") + ";oleacc=d"
        exe, self.trace = journey.exe, None
        if windows98:
            exe = str(journey.shots / "Tolmar98.exe")
            shutil.copyfile(journey.exe, exe)
            self.trace = journey.shots / "relay.log"
            env["WINEDEBUG"] = "+pid,+relay"
        self.proc = subprocess.Popen(["wine", exe], stdout=subprocess.DEVNULL, env=env,
                                     stderr=open(self.trace, "wb") if self.trace
                                     else subprocess.DEVNULL)
        try:
            self.find_window()
        except BaseException:
            self.__exit__(None, None, None)
            raise

    def __enter__(self):
        return self

    def __exit__(self, failure, *rest):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait(timeout=30)
            if failure is None:
                raise JourneyFailed("Tolmar.exe was still running at the end")
        return False

    def find_window(self):
        """Reads the window's geometry and state; waits for the window to appear."""
        lines, status = self.journey.probe("main", 15000, allow_fail=True)
        check(status == 0, "no game window: %s" % lines)
        f = lines[0].split()
        self.origin = int(f[1]), int(f[2])
        self.geo = Geometry(int(f[3]), int(f[4]))
        self.window = tuple(map(int, f[5:9]))
        self.title_point = int(f[9]), int(f[10])
        self.active = f[11] == "1"
        self.title = hex_text(f[12])

    # Input, in client coordinates.
    def screen(self, x, y):
        return self.origin[0] + x, self.origin[1] + y

    def click(self, x, y):
        xdotool("mousemove", *self.screen(x, y), "click", 1)

    def press(self, x, y):
        xdotool("mousemove", *self.screen(x, y), "mousedown", 1)

    def move(self, x, y, steps=6):
        """Moves the mouse in a straight line from where it is, in a few steps."""
        out = subprocess.run(["xdotool", "getmouselocation", "--shell"],
                             capture_output=True, text=True, check=True).stdout
        pos = dict(line.split("=") for line in out.split())
        x0, y0 = int(pos["X"]), int(pos["Y"])
        x1, y1 = self.screen(x, y)
        path = []
        for i in range(1, steps + 1):
            path += ["mousemove", x0 + (x1 - x0) * i // steps, y0 + (y1 - y0) * i // steps,
                     "sleep", 0.02]
        xdotool(*path)

    def double_click_title(self):
        """Maximises or restores the window; then reads its new geometry."""
        old = self.window
        xdotool("mousemove", *self.title_point, "click", "--repeat", 2, "--delay", 80, 1)
        deadline = time.monotonic() + 10
        while self.window == old and time.monotonic() < deadline:
            time.sleep(0.1)
            self.find_window()

    def release(self):
        xdotool("mouseup", 1)

    def keys(self, *names):
        xdotool("key", "--delay", 80, *names)

    # What the screen shows.
    def screenshot(self, label=None):
        """The client area as a picture; the whole screen is kept under `label`."""
        png = subprocess.run(["import", "-window", "root", "png:-"], capture_output=True,
                             check=True, timeout=30).stdout
        screen = Image.open(io.BytesIO(png)).convert("RGB")
        if label:
            self.journey.save(label, screen)
        x, y = self.origin
        return screen.crop((x, y, x + self.geo.w, y + self.geo.h))

    def counter_faults(self, img, moves):
        mask = self.journey.counter_mask(self.geo.w, self.geo.h, moves)
        x, y = self.geo.counter_pos()
        seen = dark_mask(img, x, y, len(mask[0]), len(mask))
        if seen == mask:
            return []
        return ["counter does not read %05d:\n%s" % (moves, "\n".join(seen))]

    def wait_for(self, label, faults_of, timeout=15.0):
        """Takes screenshots until faults_of(picture) finds nothing, keeps the last."""
        deadline = time.monotonic() + timeout
        while True:
            img = self.screenshot()
            faults = faults_of(img)
            if not faults or time.monotonic() > deadline:
                break
            time.sleep(0.1)
        self.journey.save(label, img)
        check(not faults, "%s: %s" % (label, "; ".join(faults[:6])))
        return img

    def wait_board(self, label, towers, moves):
        return self.wait_for(label, lambda img: board_faults(img, self.geo, towers)
                             + self.counter_faults(img, moves))

    # Dialogs.
    def wait_dialog(self, caption, timeout_ms=10000):
        lines, status = self.journey.probe("wait-dialog", caption, timeout_ms,
                                           allow_fail=True)
        dialogs = parse_dialogs(lines)
        check(status == 0, "no dialog %r; open: %s" % (caption, dialogs))
        # A person reads a box before answering it; the game ignores keys that come
        # sooner, as meant for what came before.
        time.sleep(0.3)
        return next(d for d in dialogs if d["caption"] == caption.encode("cp1252"))

    def result_text(self, label, timeout_ms=10000):
        """Waits for the result dialog, photographs it and gives its text."""
        finish = self.wait_dialog("Geschafft !!!", timeout_ms)
        self.screenshot(label)
        return finish["controls"][1011]["text"]

    def dialogs(self):
        return parse_dialogs(self.journey.probe("dialogs")[0])

    def close_dialog(self):
        """Return, as a person closes a box, and waits until no dialog is left."""
        self.keys("Return")
        self.wait_no_dialog()

    def wait_no_dialog(self, timeout=10.0):
        deadline = time.monotonic() + timeout
        while self.dialogs():
            check(time.monotonic() < deadline, "a dialog stays open: %s" % self.dialogs())
            time.sleep(0.1)

    # The board as a screen reader has it, read by the probe from another process.
    def board(self):
        """Role, name, value and description of the client area's object."""
        f = self.journey.probe("board")[0][0].split()
        return (int(f[1]),) + tuple(hex_text(x).decode("cp1252") for x in f[2:5])

    def listen(self):
        """Starts counting the board's value-change events; heard() ends it."""
        self.listener = subprocess.Popen(["wine", self.journey.probe_exe, "listen"],
                                         stdout=subprocess.PIPE)
        check(self.listener.stdout.readline().strip() == b"listening", "probe cannot listen")

    def heard(self):
        """The events since listen(), and the value read at the last of them."""
        self.journey.probe("stop")
        out = self.listener.communicate(timeout=30)[0].split()
        return int(out[1]), hex_text(out[2].decode()).decode("cp1252")

    def calls_from_game(self):
        return calls_from(self.journey.exe, self.trace)

    def exit_code(self, timeout=15):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise JourneyFailed("Tolmar.exe did not end")
