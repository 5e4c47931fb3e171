// Soak: a long seeded stream of random user events against the real main window, also
// while up to two boxes stay open over it. After every event the board, the move count,
// the save-under, the timer of an automatic game and the GDI object count must still be
// sound. Usage: tolmar_soak [--events N] [--seed S]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "logic/board.h"
#include "logic/game.h"
#include "shell/keys.h"
#include "support.h"
#include "view/drag.h"
#include "view/layout.h"

namespace {

std::mt19937 Rng;
HWND Main;
HWND Answerer;     // a message-only window that answers boxes from inside modal loops
HHOOK CbtHook;
std::map<std::string, long> Boxes;  // by caption
long HeldBoxes;
long Events, EventsDone;
unsigned Seed;
std::vector<HWND> Held;  // boxes kept open while events go on, the newest last
bool TimerRunning;       // the game's timer, as SetTimer and KillTimer left it
int StepsUnderway;       // ticks and spaces whose step has not returned yet
bool SizeChangedInDrag;  // the window changed size since the drag last drew
bool WarmingUp;          // each kind of box shown once, painted, before counting starts

// The game's timer is only recorded: the stream sends each tick itself, and only while
// the timer runs, as the system would.
UINT_PTR WINAPI RecordSetTimer(HWND, UINT_PTR id, UINT, TIMERPROC)
{
    TimerRunning = true;
    return id;
}

BOOL WINAPI RecordKillTimer(HWND, UINT_PTR)
{
    TimerRunning = false;
    return TRUE;
}

int Random(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(Rng); }

// Random choices in the Options dialog, then OK or Cancel. Few discs and automatic
// play more often than not, so that games end, also behind open boxes.
void PlayWithOptions(HWND dlg)
{
    for (int i = Random(0, 3); i > 0; --i)
        SendMessageA(dlg, WM_COMMAND, 1000 + Random(0, Random(0, 8)), 0);
    if (Random(0, 1))
        SendMessageA(dlg, WM_COMMAND, 1020 + !Random(0, 2), 0);
    for (int i = Random(0, 4); i > 0; --i)
        SendMessageA(dlg, WM_HSCROLL, MAKEWPARAM(Random(0, 8), Random(100, 1000)), 0);
    PostMessageA(dlg, WM_COMMAND, Random(0, 3) ? IDOK : IDCANCEL, 0);
}

std::set<HWND> Answered;  // boxes answered: ended, though maybe not yet gone

void Answer(HWND box)
{
    Answered.insert(box);
    if (TextOf(box) == "Optionen")
        PlayWithOptions(box);
    else
        PostMessageA(box, WM_COMMAND, IDOK, 0);
}

// A dialog shows itself only once its loop first idles: a box not yet answered is open.
bool IsOpen(HWND box) { return IsWindow(box) && !Answered.count(box); }

void RunEvent();

// Runs inside the modal loop of a box that just opened: answers it at once, or keeps it
// open and lets the stream go on until an event closes it, this box or one beneath.
std::string StackFault;  // a box that opened over another than the innermost

void Meet(HWND box)
{
    Answered.erase(box);  // a new box may have the handle of one gone before
    ++Boxes[TextOf(box)];
    // The program keeps its boxes as a stack: a dialog opens over the newest one still
    // open, else over the main window; only the warning has no owner.
    HWND innermost = Main;
    for (HWND held : Held)
        innermost = IsWindow(held) ? held : innermost;
    HWND owner = GetWindow(box, GW_OWNER);
    if (owner && owner != innermost)
        StackFault = TextOf(box) + " opened over another window than the innermost box";
    if (WarmingUp)
        Pump(100);
    if (WarmingUp || Held.size() >= 2 || Random(0, 1)) {
        Answer(box);
        return;
    }
    ++HeldBoxes;
    Held.push_back(box);
    while (IsOpen(box) && EventsDone < Events)
        RunEvent();
    if (IsOpen(box))
        Answer(box);
    Held.erase(std::find(Held.begin(), Held.end(), box));
}

LRESULT CALLBACK AnswererProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_APP)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    Meet(reinterpret_cast<HWND>(wParam));
    return 0;
}

std::set<HWND> Fresh;  // windows created and not yet activated

LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam)
{
    // A box is activated again when one above it closes: only its first activation counts.
    if (code == HCBT_CREATEWND)
        Fresh.insert(reinterpret_cast<HWND>(wParam));
    if (code == HCBT_ACTIVATE && Fresh.erase(reinterpret_cast<HWND>(wParam))) {
        char cls[32] = {};
        GetClassNameA(reinterpret_cast<HWND>(wParam), cls, sizeof cls);
        if (std::strcmp(cls, "#32770") == 0)
            PostMessageA(Answerer, WM_APP, wParam, 0);
    }
    return CallNextHookEx(CbtHook, code, wParam, lParam);
}

int32_t ExpectedMoves;

// A tick or the space bar. A step that waits in a box it opened holds back every step
// after it until it returns, and then counts nothing more.
const char* Step(bool tick)
{
    if (PlayMode == AutomaticPlay && !IsSolved() && StepsUnderway == 0)
        ++ExpectedMoves;
    ++StepsUnderway;
    SendMessageA(Main, tick ? WM_TIMER : WM_CHAR, tick ? 0 : ' ', 0);
    --StepsUnderway;
    return tick ? "tick" : "space";
}

// One random event; returns its name. Keeps ExpectedMoves as an independent tally of
// the attempts that the event should count.
const char* RandomEvent()
{
    std::vector<HWND> open;
    for (HWND box : Held)
        if (IsOpen(box) && IsWindowEnabled(box))
            open.push_back(box);
    // Any box kept open may be closed, not only the newest: a person may click the
    // buttons of a box beneath another, unless a task-modal box disabled it.
    if (!open.empty() && Random(0, 5) == 0) {
        Answer(open[Random(0, static_cast<int>(open.size()) - 1)]);
        return "close a box";
    }
    // While a box is open the board takes no mouse, keys or menu; ticks reach it always.
    if (!Held.empty())
        return TimerRunning ? Step(true) : "wait";
    int w = ClientRect.right, h = ClientRect.bottom;
    int x = Random(0, 3) ? ColumnCenter(Random(0, 2)) + Random(-30, 30) : Random(-200, w + 200);
    int y = Random(-100, h + 100);
    POINT at = {x, y};
    bool solved = IsSolved();
    int kind = Random(0, 99);
    if (kind < 15) {
        Press(Main, at);
        return "press";
    }
    if (kind < 40) {
        SizeChangedInDrag = false;
        Move(Main, at);
        return "move";
    }
    if (kind < 55) {
        if (Dragging)
            ++ExpectedMoves;
        Release(Main, at);
        return "release";
    }
    if (kind < 75) {
        unsigned ch = Random(0, 5) ? '1' + Random(0, 2) : "0459a\r"[Random(0, 5)];
        bool counts = IsAcceptedDigit(ch, PlayMode, SourceTower, solved) && !KeyAwaitSource;
        // A refused pair counts once its warning has been closed.
        bool refused = counts && !IsMoveAllowed(static_cast<int8_t>(KeySource - 1),
                                                static_cast<int8_t>(ch - '1'));
        ExpectedMoves += counts && !refused;
        SendMessageA(Main, WM_CHAR, ch, 1);
        ExpectedMoves += refused;
        return "char";
    }
    if (kind < 87)
        return Step(TimerRunning && Random(0, 1));
    if (kind < 95) {
        static const WPARAM dialogs[] = {100, 102, 104, 105};  // About, Rules, Options, Register
        if (Random(0, 1))
            SendMessageA(Main, WM_COMMAND, dialogs[Random(0, 3)], 0);
        if (!Random(0, 2))
            return "dialog";
        SendMessageA(Main, WM_COMMAND, 101, 0);
        ExpectedMoves = 0;
        return "new game";
    }
    if (kind < 98) {
        static const int sizes[][2] = {{0, 0}, {1, 1}, {640, 316}, {200, 90}, {3000, 2000}};
        const int* s = sizes[Random(0, 4)];
        int cw = Random(0, 2) ? s[0] : Random(0, 1600), ch = Random(0, 2) ? s[1] : Random(0, 1200);
        SizeChangedInDrag = SizeChangedInDrag || Dragging;
        SetWindowPos(Main, nullptr, 0, 0, cw, ch, SWP_NOZORDER | SWP_NOACTIVATE);
        return "resize";
    }
    int id = Random(0, 1) ? Random(106, 0xFFFF) : Random(0, 99);
    SendMessageA(Main, WM_COMMAND, id, 0);
    return "unknown command";
}

// Measured as LiveGdiObjects(true), checked before it is used.
long GdiAtStart = -1, WorstGdiGrowth;

std::string Fault()
{
    std::string fault = BoardFault();
    if (!fault.empty() || !StackFault.empty())
        return fault + StackFault;
    if (MoveCount != ExpectedMoves)
        return "move count " + std::to_string(MoveCount) + ", expected " +
               std::to_string(ExpectedMoves);
    bool saved = SaveBitmap != nullptr || SaveUnderDC != nullptr;
    // The disc floats from the press to the release; a size change drops the pixels
    // saved under it until it is drawn again.
    bool floating = Dragging && SourceTower != NoTower && !SizeChangedInDrag;
    if ((saved && !Dragging) || (floating && !saved))
        return "save-under alive without a drag, or missing during one";
    if (PlayMode == AutomaticPlay && !IsSolved() && !TimerRunning)
        return "an automatic game stands still: its timer is not running";
    if (Held.empty() && !Dragging && (EventsDone % 500 == 0 || EventsDone == Events)) {
        // Measured between drags and boxes, so that no save-under or dialog is counted.
        long gdi = LiveGdiObjects(true);
        if (GdiAtStart < 0)
            GdiAtStart = gdi;
        else if (gdi - GdiAtStart > WorstGdiGrowth)
            WorstGdiGrowth = gdi - GdiAtStart;
        if (WorstGdiGrowth > 4)
            return "GDI objects grew by " + std::to_string(WorstGdiGrowth);
    }
    return "";
}

void RunEvent()
{
    ++EventsDone;
    const char* what = RandomEvent();
    Pump();
    std::string fault = Fault();
    if (fault.empty())
        return;
    std::printf("soak: FAILED at event %ld (%s, %zu boxes kept open): %s\n", EventsDone, what,
                Held.size(), fault.c_str());
    std::printf("soak: replay with --seed %u --events %ld\n", Seed, EventsDone);
    std::fflush(stdout);
    ExitProcess(1);
}

}  // namespace

int main(int argc, char** argv)
{
    Events = 3000;
    Seed = static_cast<unsigned>(std::time(nullptr));
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--events"))
            Events = std::atol(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--seed"))
            Seed = static_cast<unsigned>(std::strtoul(argv[i + 1], nullptr, 10));
    }
    std::printf("soak: seed %u, %ld events (replay with --seed %u --events %ld)\n", Seed,
                Events, Seed, Events);
    std::fflush(stdout);
    Rng.seed(Seed);

    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = AnswererProc;
    wc.hInstance = instance;
    wc.lpszClassName = "SoakAnswerer";
    RegisterClassA(&wc);
    Answerer = CreateWindowExA(0, "SoakAnswerer", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               instance, nullptr);
    CbtHook = SetWindowsHookExA(WH_CBT, CbtProc, nullptr, GetCurrentThreadId());
    if (!PatchImport("user32.dll", "SetTimer", reinterpret_cast<void*>(RecordSetTimer)) ||
        !PatchImport("user32.dll", "KillTimer", reinterpret_cast<void*>(RecordKillTimer))) {
        std::printf("soak: cannot watch the timer\n");
        return 1;
    }
    Main = CreateGameWindow();

    // The system keeps some GDI objects from the first painting of each kind of box.
    WarmingUp = true;
    for (WPARAM command : {100, 102, 104, 105})
        SendMessageA(Main, WM_COMMAND, command, 0);
    SendMessageA(Main, WM_CHAR, '2', 0);
    SendMessageA(Main, WM_CHAR, '2', 0);
    SendMessageA(Main, WM_COMMAND, 101, 0);
    WarmingUp = false;

    if (std::string fault = GdiCountFault(true); !fault.empty()) {
        std::printf("soak: cannot count GDI objects: %s\n", fault.c_str());
        return 1;
    }
    while (EventsDone < Events)
        RunEvent();
    std::printf("soak: passed %ld events; GDI objects at start %ld, largest growth %ld; "
                "%ld boxes kept open; boxes seen:", Events, GdiAtStart, WorstGdiGrowth, HeldBoxes);
    for (const auto& [caption, n] : Boxes)
        std::printf(" %ld \"%s\"", n, caption.c_str());
    std::printf("\n");
    std::printf("1 passed, 0 failed\n");
    DestroyWindow(Main);
    return 0;
}
