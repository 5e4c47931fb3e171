# Shared by the Wine runner, the test and play commands: a project-local 32-bit Wine
# prefix, a private Xvfb, and Wine's services. Everything started here is stopped again
# by its process id or through its own prefix. The tests draw on their own Xvfb even
# where a person's display is set, so that their windows, keys and clicks never reach
# it; only scripts/play (tolmar_play) uses that display.

TOLMAR_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

# Some hypervisors give the kernel no 32-bit mode, so 32-bit Wine cannot start there.
# Those machines run 64-bit Wine, and the tests a 64-bit build of the same sources
# (the "windows64" preset); the shipped Tolmar.exe is still the i686 one.
if [ -z "${TOLMAR_WINE_BITS:-}" ]; then
    if /usr/lib/wine/wine --version >/dev/null 2>&1; then
        TOLMAR_WINE_BITS=32
    else
        TOLMAR_WINE_BITS=64
    fi
fi
export TOLMAR_WINE_BITS
if [ "$TOLMAR_WINE_BITS" = 64 ]; then
    export WINEARCH=win64
    TOLMAR_PRESET=windows64
    # Debian's "wine" picks the 32-bit loader whenever it is installed.
    mkdir -p "$TOLMAR_ROOT/build/wine64-bin"
    for tool in wine wine-stable; do
        rm -f "$TOLMAR_ROOT/build/wine64-bin/$tool"
        printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$TOLMAR_ROOT/build/wine64-bin/$tool"
        chmod +x "$TOLMAR_ROOT/build/wine64-bin/$tool"
    done
    case ":$PATH:" in
        *":$TOLMAR_ROOT/build/wine64-bin:"*) ;;
        *) export PATH="$TOLMAR_ROOT/build/wine64-bin:$PATH" ;;
    esac
    export WINEPREFIX="${TOLMAR_WINEPREFIX:-$TOLMAR_ROOT/build/wineprefix64}"
else
    export WINEARCH=win32
    TOLMAR_PRESET=windows
    export WINEPREFIX="${TOLMAR_WINEPREFIX:-$TOLMAR_ROOT/build/wineprefix}"
fi
export WINEDEBUG=-all
# No Mono or Gecko prompts, and no menu entries or file associations on the desktop.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

tolmar_started_xvfb_pid=""
tolmar_started_wineserver=""

# Starts Xvfb on a free display and exports DISPLAY, and TOLMAR_XVFB_DISPLAY to tell the
# commands run inside that it is ours. TOLMAR_XVFB_SCREEN can ask for a larger screen
# than the default.
tolmar_start_xvfb() {
    local fdfile
    fdfile="$(mktemp)"
    Xvfb -displayfd 3 -screen 0 "${TOLMAR_XVFB_SCREEN:-1280x1024x24}" -nolisten tcp \
        3>"$fdfile" >/dev/null 2>&1 &
    tolmar_started_xvfb_pid=$!
    local i
    for i in $(seq 100); do
        [ -s "$fdfile" ] && break
        sleep 0.05
    done
    export DISPLAY=":$(head -n1 "$fdfile")" TOLMAR_XVFB_DISPLAY=":$(head -n1 "$fdfile")"
    rm -f "$fdfile"
}

tolmar_reg_add() {
    wine reg add "$1" /v "$2" /t REG_SZ /d "$3" /f >/dev/null 2>&1
}

# Creates the prefix on first use: Arial from Liberation Sans, and for the tests' Xvfb,
# which has no window manager, no waits for one (Managed N); the game a person plays is
# managed as any window.
tolmar_prepare_prefix() {
    if [ ! -f "$WINEPREFIX/.tolmar-ready" ]; then
        mkdir -p "$(dirname "$WINEPREFIX")"
        wineboot -i </dev/null >/dev/null 2>&1
        [ "${1:-}" = managed ] || tolmar_reg_add 'HKCU\Software\Wine\X11 Driver' Managed N
        tolmar_reg_add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
            Arial 'Liberation Sans'
        wineserver -w
        touch "$WINEPREFIX/.tolmar-ready"
    fi
    # Wine draws the caption buttons with Marlett; a prefix without it shows "0 1 r".
    # Copied on every start, so that prefixes made before this also get it.
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    if [ ! -f "$fonts/marlett.ttf" ]; then
        cp "$(dpkg -L fonts-wine | grep -m1 '/marlett\.ttf$')" "$fonts/"
    fi
}

# Wine tells copies of the Win32 tests that they run on Windows 95, 98 or NT 4.0, and a copy
# of the game that it runs on Windows 98. Its relay trace, when asked for, leaves out the
# calls that the system's own DLLs make, which are not the game's and would swamp its few.
tolmar_prepare_versions() {
    [ -f "$WINEPREFIX/.tolmar-versions" ] && return 0
    local version
    for version in win95 win98 nt40; do
        tolmar_reg_add "HKCU\\Software\\Wine\\AppDefaults\\tolmar_${version}_tests.exe" Version $version
    done
    tolmar_reg_add 'HKCU\Software\Wine\AppDefaults\Tolmar98.exe' Version win98
    tolmar_reg_add 'HKCU\Software\Wine\Debug' RelayFromExclude \
        'winex11.drv;user32;gdi32;advapi32;kernel32;kernelbase;ntdll;win32u;ucrtbase;msvcrt;imm32;combase;uxtheme;rpcrt4;ole32;shell32;shlwapi;comctl32;setupapi;winmm;sechost;explorer'
    touch "$WINEPREFIX/.tolmar-versions"
}

# Brings up what a Wine program needs; remembers what it started.
tolmar_wine_up() {
    # The Xvfb of the session this runs in, else a new one of our own.
    if [ -z "${DISPLAY:-}" ] || [ "$DISPLAY" != "${TOLMAR_XVFB_DISPLAY:-}" ]; then
        tolmar_start_xvfb
    fi
    tolmar_prepare_prefix
    tolmar_prepare_versions
    # A server already running for this prefix is someone else's: join it, leave it.
    if [ -z "${TOLMAR_WINE_SESSION:-}" ] && wineserver -p 2>/dev/null; then
        wineboot </dev/null >/dev/null 2>&1
        tolmar_started_wineserver=1
        export TOLMAR_WINE_SESSION=1
    fi
}

tolmar_wine_down() {
    if [ -n "$tolmar_started_wineserver" ]; then
        wineserver -k 2>/dev/null
        wineserver -w 2>/dev/null
        unset TOLMAR_WINE_SESSION
        tolmar_started_wineserver=""
    fi
    if [ -n "$tolmar_started_xvfb_pid" ]; then
        kill "$tolmar_started_xvfb_pid" 2>/dev/null
        wait "$tolmar_started_xvfb_pid" 2>/dev/null
        tolmar_started_xvfb_pid=""
    fi
}

# The game on the person's display, in a prefix of its own (build/play-wineprefix or
# TOLMAR_PLAY_PREFIX), managed by the window manager. Each game is a process of that
# prefix's Wine server, which ends by itself after the last: ending one game ends only it.
tolmar_play() {
    export WINEPREFIX="${TOLMAR_PLAY_PREFIX:-$TOLMAR_ROOT/build/play-${WINEPREFIX##*/}}"
    tolmar_prepare_prefix managed
    wine "$@"
}
