"""Setup as an administrator and a person meet it, in a fresh Wine prefix of its own:
silent installs, what Windows is told, the game started from the Start menu, installing
twice, uninstalling (twice), a place that cannot be written, the German pages driven with
keys under the Japanese and Russian code pages, and the Setup for Windows 95, 98 and ME
under a Wine that reports Windows 98, tracing its calls for wide functions that it lacks."""

import io
import math
import os
import shutil
import struct
import subprocess
import time
from pathlib import Path

import pefile
from PIL import Image

from driver import Journey, calls_from, check, parse_dialogs, xdotool
from journey_keyboard import WIDE_ON_9X

GAME = "Die Türme von Tolmar"
UNINSTALL = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
KEY = UNINSTALL + r"\Tolmar"
DRIVE = Path(os.environ["WINEPREFIX"]) / "drive_c"
# The Start menu of all users, where Setup puts its folder on every Windows.
MENU = DRIVE / "ProgramData/Microsoft/Windows/Start Menu/Programs" / GAME
DEFAULT = r"C:\Program Files\Tolmar"
GERMAN = "de_DE.UTF-8"


def unix(path):
    check(path[:3] == "C:\\", "not on drive C: %r" % path)
    return DRIVE / path[3:].replace("\\", "/")


def run(program, *args, locale=GERMAN, trace=None, timeout=120):
    """Runs a Windows program to its end; its exit code. A box left open times out."""
    env = dict(os.environ, LC_ALL=locale)
    if trace:
        env["WINEDEBUG"] = "+pid,+relay"
    with open(trace or os.devnull, "wb") as err:
        return subprocess.run(["wine", str(program)] + list(args), env=env, timeout=timeout,
                              stdout=subprocess.DEVNULL, stderr=err).returncode


def registry(key):
    """The values under key and its subkeys, as {subkey: {name: value}}, from the
    32-bit view; {} when there is no such key."""
    out = DRIVE / "export.reg"
    status = run("reg", "export", key, r"C:\export.reg", "/y", "/reg:32")
    if status != 0:
        return {}
    keys, current = {}, None
    for line in out.read_bytes().decode("utf-16").splitlines():
        if line.startswith("["):
            current = keys.setdefault(line[1:-1], {})
        elif line.startswith('"'):
            name, value = line[1:].split('"=', 1)
            if value.startswith("dword:"):
                current[name] = int(value[6:], 16)
            else:
                current[name] = value[1:-1].replace('\\"', '"').replace("\\\\", "\\")
    out.unlink()
    return keys


def shortcut_target(lnk):
    """The path a .lnk file starts: its link information's local base path."""
    data = lnk.read_bytes()
    flags, pos = struct.unpack_from("<I", data, 0x14)[0], 0x4C
    if flags & 1:  # a list of item ids comes first
        pos += 2 + struct.unpack_from("<H", data, pos)[0]
    check(flags & 2, "%s holds no target path" % lnk.name)
    base, suffix = (struct.unpack_from("<I", data, pos + at)[0] for at in (16, 24))

    def text(offset):
        return data[pos + offset:data.index(b"\0", pos + offset)].decode("cp1252")
    return text(base) + text(suffix)


def screen():
    png = subprocess.run(["import", "-window", "root", "png:-"], capture_output=True,
                         check=True, timeout=30).stdout
    return Image.open(io.BytesIO(png))


def icons_of(exe):
    """The images of an executable's icons, as an icon file holds them."""
    pe = pefile.PE(exe)
    kinds = {t.id: t for t in pe.DIRECTORY_ENTRY_RESOURCE.entries}
    return {pe.get_data(lang.data.struct.OffsetToData, lang.data.struct.Size)
            for entry in kinds[3].directory.entries for lang in entry.directory.entries}


def game_icons():
    ico = (Path(__file__).parents[2] / "res/Tolmar.ico").read_bytes()
    return {ico[at:at + size] for size, at in
            (struct.unpack_from("<II", ico, 14 + 16 * i)
             for i in range(struct.unpack_from("<H", ico, 4)[0]))}


def version_of(exe):
    pe = pefile.PE(exe)
    strings = {}
    for info in pe.FileInfo[0]:
        for table in getattr(info, "StringTable", []):
            strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
    return strings["ProductName"], strings["ProductVersion"]


class Setup:
    def __init__(self, j, folder):
        self.j, self.folder = j, Path(folder)
        self.nt = self.folder / "Tolmar-1.0-Setup.exe"
        self.ansi = self.folder / "Tolmar-1.0-Setup-Win9x.exe"
        self.game = (self.folder / "files/Tolmar.exe").read_bytes()
        self.readme = (self.folder / "files/LIESMICH.txt").read_bytes()

    def window(self, text, caption="Tolmar installieren"):
        """Waits for Setup's window or box that shows `text`; its controls' texts."""
        deadline = time.monotonic() + 30
        while True:
            lines, _ = self.j.probe("windows", caption, 10000, allow_fail=True)
            windows = parse_dialogs(lines)
            for w in windows:
                texts = [w["caption"]] + [c["text"] for c in w["controls"].values()]
                if any(text.encode("cp1252") in t for t in texts):
                    return texts
            check(time.monotonic() < deadline, "no window says %r: %s" % (text, windows))
            time.sleep(0.3)

    def finish(self, person, timeout):
        """Return on the folder page, as shown, and on the last page; Setup's exit code."""
        xdotool("key", "Return")
        self.window("Die Installation wurde erfolgreich abgeschlossen.")
        xdotool("key", "Return")
        return person.wait(timeout=timeout)

    def installed_faults(self, folder):
        """What differs from one installation of the game in folder."""
        faults = []
        files = {name: unix(folder + "\\" + name) for name in
                 ("Tolmar.exe", "LIESMICH.txt", "Deinstallieren.exe")}
        if not all(f.is_file() for f in files.values()):
            return ["files missing in %s: %s" % (folder, os.listdir(unix(folder)))]
        if files["Tolmar.exe"].read_bytes() != self.game:
            faults.append("the installed Tolmar.exe is not the one built")
        if files["LIESMICH.txt"].read_bytes() != self.readme:
            faults.append("the installed LIESMICH.txt is not the one built")
        for lnk, target in ((GAME + ".lnk", "Tolmar.exe"), ("Liesmich.lnk", "LIESMICH.txt")):
            if not (MENU / lnk).is_file():
                faults.append("no shortcut %s in %s" % (lnk, MENU))
            elif shortcut_target(MENU / lnk) != folder + "\\" + target:
                faults.append("%s starts %r" % (lnk, shortcut_target(MENU / lnk)))
        size = sum(f.stat().st_size for f in files.values())
        uninstaller = '"%s\\Deinstallieren.exe"' % folder
        expected = {"DisplayName": GAME, "UninstallString": uninstaller,
                    "QuietUninstallString": uninstaller + " /S",
                    "DisplayIcon": folder + "\\Tolmar.exe,0", "DisplayVersion": "1.0",
                    "Publisher": "Kelvatrix", "InstallLocation": folder,
                    "EstimatedSize": math.ceil(size / 1024), "NoModify": 1, "NoRepair": 1}
        values = registry(KEY).get(KEY.replace("HKLM", "HKEY_LOCAL_MACHINE"))
        if values != expected:
            faults.append("the uninstall key holds %s, expected %s" % (values, expected))
        games = [k for k, v in registry(UNINSTALL).items() if v.get("DisplayName") == GAME]
        if len(games) != 1:
            faults.append("%d entries of the game in the list of programs" % len(games))
        return faults

    def check_gone(self, folder, kept=()):
        """Nothing of the game left: no file, shortcut, Start-menu folder or key; the
        person's files in `kept` are still there."""
        left = sorted(os.listdir(unix(folder))) if unix(folder).exists() else []
        check(left == sorted(kept), "left in %s: %s" % (folder, left))
        check(not MENU.exists(), "the Start-menu folder is left")
        check(registry(KEY) == {}, "the uninstall key is left")

    def uninstall(self, folder, *args, wait=True, source=None, **kwargs):
        """Runs a copy of the uninstaller of `source` (folder) on folder (_?=), so that
        its end is waited for; its exit code, or its process. _?= comes last and unquoted:
        a folder with spaces goes through a batch file, which Wine passes on as written."""
        copy = DRIVE / "Deinstallieren-Kopie.exe"
        source = (source or folder) + "\\Deinstallieren.exe"
        if unix(source).exists():
            shutil.copyfile(unix(source), copy)
        command = [copy, *args, "_?=" + folder]
        if " " in folder:
            (DRIVE / "deinstallieren.bat").write_bytes(
                ('@"C:\\%s" %s\r\n@exit %%ERRORLEVEL%%\r\n'
                 % (copy.name, " ".join(command[1:]))).encode("ascii"))
            command = ["cmd", "/c", r"C:\deinstallieren.bat"]
        if not wait:
            return subprocess.Popen(["wine"] + command)
        return run(*command, **kwargs)


def private_locales(folder):
    """Wine names files through the Unix locale, which a machine may not have generated:
    German, Japanese and Russian in UTF-8, compiled from Debian's locale sources into a
    folder of the tests' own, where glibc finds them through LOCPATH."""
    folder.mkdir(parents=True, exist_ok=True)
    for name in ("de_DE", "ja_JP", "ru_RU"):
        if not (folder / (name + ".UTF-8")).is_dir():
            subprocess.run(["localedef", "-i", name, "-f", "UTF-8",
                            folder / (name + ".UTF-8")], check=True)
    os.environ["LOCPATH"] = str(folder)


def journey(j):
    private_locales(j.shots.parent.parent / "locales")
    setup = Setup(j, j.setup)

    j.step("both Setups carry the game's icon, and the name and version of its version block")
    for exe in (setup.nt, setup.ansi):
        check(version_of(exe) == version_of(setup.folder / "files/Tolmar.exe"),
              "%s: version %s" % (exe.name, version_of(exe)))
        check(icons_of(exe) == game_icons(), "%s: not the game's icon" % exe.name)

    j.step("a silent install: the files, the shortcuts and every value Windows is told")
    check(run(setup.nt, "/S") == 0, "silent Setup failed")
    faults = setup.installed_faults(DEFAULT)
    check(not faults, "; ".join(faults))

    j.step("the game starts from the Start-menu shortcut's target and shows its window")
    target = shortcut_target(MENU / (GAME + ".lnk"))
    game = subprocess.Popen(["wine", target], stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    lines, status = j.probe("main", 15000, allow_fail=True)
    check(status == 0 and lines[0].split()[12] == GAME.encode("cp1252").hex(),
          "no game window from %s: %s" % (target, lines))
    j.step("while it runs, installing again or uninstalling fails and changes nothing")
    check(run(setup.nt, "/S") == 2, "Setup over the running game: exit code")
    check(setup.uninstall(DEFAULT, "/S") == 2, "uninstall of the running game: exit code")
    faults = setup.installed_faults(DEFAULT)
    check(not faults, "; ".join(faults))
    game.kill()
    game.wait(timeout=30)

    j.step("its uninstaller, like Setup, has the game's icon and needs no processor newer "
           "than the Pentium Pro")
    check(icons_of(unix(DEFAULT + r"\Deinstallieren.exe")) == game_icons(),
          "the uninstaller has not the game's icon")
    check(subprocess.run(["bash", Path(__file__).parents[1] / "processor-instructions",
                          "--pentium-pro", unix(DEFAULT + r"\Deinstallieren.exe")]).returncode
          == 0, "the uninstaller holds instructions newer than the Pentium Pro's")

    j.step("a copy of the uninstaller in another folder removes nothing")
    (DRIVE / "Kopie").mkdir()
    check(setup.uninstall(r"C:\Kopie", "/S", source=DEFAULT) == 0, "the copy's exit code")
    faults = setup.installed_faults(DEFAULT)
    check(not faults, "; ".join(faults))

    j.step("installing again over it, silently, replaces the files and leaves one entry")
    unix(DEFAULT + r"\Tolmar.exe").write_bytes(b"damaged")
    (unix(DEFAULT) / "Spielstand.txt").write_text("meins")
    check(run(setup.nt, "/S") == 0, "the second silent Setup failed")
    faults = setup.installed_faults(DEFAULT)
    check(not faults, "; ".join(faults))

    j.step("a silent uninstall removes all that Setup added; the person's file stays")
    check(setup.uninstall(DEFAULT, "/S") == 0, "silent uninstall failed")
    setup.check_gone(DEFAULT, kept=["Spielstand.txt"])
    j.step("a second one ends cleanly: silently with no box, else with a German message")
    check(setup.uninstall(DEFAULT, "/S") == 0, "the second silent uninstall failed")
    second = setup.uninstall(DEFAULT, wait=False)
    setup.window(GAME + " ist nicht installiert: Es gibt nichts zu entfernen.",
                 "Tolmar entfernen")
    xdotool("key", "Return")
    check(second.wait(timeout=30) == 0, "the second uninstall's exit code")
    setup.check_gone(DEFAULT, kept=["Spielstand.txt"])

    j.step("places that cannot be written: silently a failure and nothing installed")
    (DRIVE / "belegt").write_text("a file, not a folder")
    for bad in (r"C:\belegt\Tolmar", r"Q:\Spiele\Tolmar", r"Z:\proc\Tolmar"):
        check(run(setup.nt, "/S", "/D=" + bad) == 2, "Setup into %s: exit code" % bad)
        setup.check_gone(DEFAULT, kept=["Spielstand.txt"])
    j.step("... and in Russian Windows a German box says so")
    bad = r"Q:\Spiele\Tolmar"
    person = subprocess.Popen(["wine", setup.nt, "/D=" + bad],
                              env=dict(os.environ, LC_ALL="ru_RU.UTF-8"))
    setup.window('In den Ordner "%s" kann Setup nicht schreiben: Der Ort ist '
                 "schreibgeschützt, eine Datei steht im Weg, oder das Spiel läuft dort noch. "
                 "Bitte wählen Sie einen anderen Ordner." % bad)
    xdotool("key", "Return")
    check(person.wait(timeout=30) == 2, "the refused Setup's exit code")
    setup.check_gone(DEFAULT, kept=["Spielstand.txt"])

    j.step("in Japanese Windows, the German pages with keys, into a folder with spaces")
    folder = r"C:\Meine Spiele\Tolmar"
    person = subprocess.Popen(["wine", setup.nt], env=dict(os.environ, LC_ALL="ja_JP.UTF-8"))
    texts = setup.window("Zielverzeichnis auswählen")
    check(texts[0].rstrip() == GAME.encode("cp1252") + b" installieren", "caption: %s" % texts)
    j.save("directory-page", screen())
    xdotool("type", "--delay", 50, folder)
    check(setup.finish(person, 30) == 0, "the interactive Setup's exit code")
    faults = setup.installed_faults(folder)
    check(not faults, "; ".join(faults))
    j.step("the game's files deleted by hand: the uninstall removes the rest")
    for name in ("Tolmar.exe", "LIESMICH.txt"):
        unix(folder + "\\" + name).unlink()
    check(setup.uninstall(folder, "/S") == 0, "uninstall from %s" % folder)
    setup.check_gone(folder)

    j.step("Windows 98: the Setup for 95, 98 and ME, through its pages, and its silent "
           "uninstall, in a folder with an umlaut, call no wide function that those lack")
    folder = r"C:\Spiele\Türme"
    for name in ("Setup98.exe", "Deinstallieren-Kopie.exe"):
        run("reg", "add", r"HKCU\Software\Wine\AppDefaults" + "\\" + name, "/v", "Version",
            "/d", "win98", "/f")
    shutil.copyfile(setup.ansi, DRIVE / "Setup98.exe")
    trace = j.shots / "setup98-relay.log"
    env = dict(os.environ, LC_ALL=GERMAN, WINEDEBUG="+pid,+relay")
    with open(trace, "wb") as err:
        person = subprocess.Popen(["wine", DRIVE / "Setup98.exe", "/D=" + folder], env=env,
                                  stderr=err)
        setup.window("Zielverzeichnis auswählen")
        check(setup.finish(person, 60) == 0, "Setup for 9x failed")
    faults = setup.installed_faults(folder)
    check(not faults, "; ".join(faults))
    calls = calls_from(setup.ansi, trace)
    check(setup.uninstall(folder, "/S", trace=trace) == 0, "uninstall for 9x failed")
    setup.check_gone(folder)
    calls |= calls_from(DRIVE / "Deinstallieren-Kopie.exe", trace)
    check({"GetVersionExA", "CreateDialogParamA", "CreateFileA", "RemoveDirectoryA"} <= calls,
          "the trace misses Setup's ANSI calls: %s" % sorted(calls))
    stubbed = sorted(c for c in calls if c.endswith("W") and c not in WIDE_ON_9X)
    check(not stubbed, "calls that fail on Windows 98: %s" % stubbed)


if __name__ == "__main__":
    if os.environ.get("TOLMAR_WINE_BITS") == "64":
        print("skipped: Setup is a 32-bit program, and this kernel runs no 32-bit code")
    else:
        Journey("setup").run(journey)
