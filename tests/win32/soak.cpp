// Soak: a long seeded stream of random user events against the real main window.
// After every event the board, the move count, the save-under and the GDI object
// count must still be sound. Usage: tolmar_soak [--events N] [--seed S]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <string>

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
long FinishBoxes, WarningBoxes, OptionsDialogs, OtherBoxes;

int Random(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(Rng); }

// Random choices in the Options dialog, then OK or Cancel.
void PlayWithOptions(HWND dlg)
{
    for (int i = Random(0, 3); i > 0; --i)
        SendMessageA(dlg, WM_COMMAND, 1000 + Random(0, 8), 0);
    if (Random(0, 1))
        SendMessageA(dlg, WM_COMMAND, 1020 + Random(0, 1), 0);
    for (int i = Random(0, 4); i > 0; --i)
        SendMessageA(dlg, WM_HSCROLL, MAKEWPARAM(Random(0, 8), Random(100, 1000)), 0);
    PostMessageA(dlg, WM_COMMAND, Random(0, 3) ? IDOK : IDCANCEL, 0);
}

LRESULT CALLBACK AnswererProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_APP)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    HWND box = reinterpret_cast<HWND>(wParam);
    std::string caption = TextOf(box);
    if (caption == "Optionen") {
        ++OptionsDialogs;
        PlayWithOptions(box);
        return 0;
    }
    if (caption == "Geschafft !!!")
        ++FinishBoxes;
    else if (caption == "Invalid Move")
        ++WarningBoxes;
    else
        ++OtherBoxes;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return 0;
}

LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        char cls[32] = {};
        GetClassNameA(reinterpret_cast<HWND>(wParam), cls, sizeof cls);
        if (std::strcmp(cls, "#32770") == 0)
            PostMessageA(Answerer, WM_APP, wParam, 0);
    }
    return CallNextHookEx(CbtHook, code, wParam, lParam);
}

std::string Fail(const char* what) { return what; }

// The board invariant: discs 1..DiscCount once each, strictly decreasing, terminated.
std::string CheckBoard()
{
    int seen[MaxDiscs + 1] = {};
    for (int t = 0; t < TowerCount; ++t) {
        if (Towers[t][SlotCount - 1] != 0)
            return Fail("slot 9 occupied");
        int h = 0;
        for (; h < SlotCount && Towers[t][h] != 0; ++h) {
            int d = Towers[t][h];
            if (d < 1 || d > DiscCount)
                return Fail("disc out of range");
            if (h > 0 && d >= Towers[t][h - 1])
                return Fail("stack not decreasing");
            ++seen[d];
        }
        for (int s = h; s < SlotCount; ++s)
            if (Towers[t][s] != 0)
                return Fail("disc above the end of a stack");
    }
    for (int d = 1; d <= DiscCount; ++d)
        if (seen[d] != 1)
            return Fail("a disc is missing or doubled");
    return "";
}

int32_t ExpectedMoves;

// One random event; returns its name. Keeps ExpectedMoves as an independent tally of
// the attempts that the event should count.
const char* RandomEvent()
{
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
        if (IsAcceptedDigit(ch, PlayMode, SourceTower, solved) && !KeyAwaitSource)
            ++ExpectedMoves;
        SendMessageA(Main, WM_CHAR, ch, 1);
        return "char";
    }
    if (kind < 90) {
        if (PlayMode == AutomaticPlay && !solved)
            ++ExpectedMoves;
        bool tick = Random(0, 1);
        SendMessageA(Main, tick ? WM_TIMER : WM_CHAR, tick ? 0 : ' ', 0);
        return "tick or space";
    }
    if (kind < 94) {
        if (Random(0, 1))
            SendMessageA(Main, WM_COMMAND, 104, 0);
        SendMessageA(Main, WM_COMMAND, 101, 0);
        // Only the stream's own ticks drive the solver, so that each one is tallied.
        KillTimer(Main, 0);
        ExpectedMoves = 0;
        return "new game";
    }
    if (kind < 97) {
        static const int sizes[][2] = {{0, 0}, {1, 1}, {640, 316}, {200, 90}, {3000, 2000}};
        const int* s = sizes[Random(0, 4)];
        int cw = Random(0, 2) ? s[0] : Random(0, 1600), ch = Random(0, 2) ? s[1] : Random(0, 1200);
        SetWindowPos(Main, nullptr, 0, 0, cw, ch, SWP_NOZORDER | SWP_NOACTIVATE);
        return "resize";
    }
    int id = Random(0, 1) ? Random(106, 0xFFFF) : Random(0, 99);
    SendMessageA(Main, WM_COMMAND, id, 0);
    return "unknown command";
}

void PumpPaints()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_TIMER && msg.hwnd == Main)
            continue;  // only the stream's own ticks
        DispatchMessageA(&msg);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    long events = 3000;
    unsigned seed = static_cast<unsigned>(std::time(nullptr));
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--events"))
            events = std::atol(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--seed"))
            seed = static_cast<unsigned>(std::strtoul(argv[i + 1], nullptr, 10));
    }
    std::printf("soak: seed %u, %ld events (replay with --seed %u --events %ld)\n", seed,
                events, seed, events);
    std::fflush(stdout);
    Rng.seed(seed);

    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = AnswererProc;
    wc.hInstance = instance;
    wc.lpszClassName = "SoakAnswerer";
    RegisterClassA(&wc);
    Answerer = CreateWindowExA(0, "SoakAnswerer", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               instance, nullptr);
    CbtHook = SetWindowsHookExA(WH_CBT, CbtProc, nullptr, GetCurrentThreadId());
    Main = CreateGameWindow();

    // The measure must see a single new object, or its verdict means nothing.
    std::string gdiFault = GdiCountFault();
    if (!gdiFault.empty()) {
        std::printf("soak: cannot count GDI objects: %s\n", gdiFault.c_str());
        return 1;
    }

    long gdiAtStart = -1;
    long worstGdiGrowth = 0;
    for (long i = 1; i <= events; ++i) {
        const char* what = RandomEvent();
        PumpPaints();
        std::string fault = CheckBoard();
        if (fault.empty() && MoveCount != ExpectedMoves)
            fault = "move count " + std::to_string(MoveCount) + ", expected " +
                    std::to_string(ExpectedMoves);
        if (fault.empty() && (SaveBitmap != nullptr || SaveUnderDC != nullptr) != (Dragging == 1))
            fault = "save-under alive without a drag, or missing during one";
        if (fault.empty() && (i % 500 == 0 || i == events)) {
            // Measured between drags, so that no save-under bitmap is counted.
            if (!Dragging) {
                long gdi = LiveGdiObjects();
                if (gdiAtStart < 0)
                    gdiAtStart = gdi;
                else if (gdi - gdiAtStart > worstGdiGrowth)
                    worstGdiGrowth = gdi - gdiAtStart;
            }
            if (worstGdiGrowth > 4)
                fault = "GDI objects grew by " + std::to_string(worstGdiGrowth);
        }
        if (!fault.empty()) {
            std::printf("soak: FAILED at event %ld (%s): %s\n", i, what, fault.c_str());
            std::printf("soak: replay with --seed %u --events %ld\n", seed, i);
            return 1;
        }
    }
    std::printf("soak: passed %ld events; boxes: %ld result, %ld invalid move, %ld options, "
                "%ld other; GDI objects at start %ld, largest growth %ld\n",
                events, FinishBoxes, WarningBoxes, OptionsDialogs, OtherBoxes, gdiAtStart,
                worstGdiGrowth);
    std::printf("1 passed, 0 failed\n");
    DestroyWindow(Main);
    return OtherBoxes == 0 ? 0 : 1;
}
