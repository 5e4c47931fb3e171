// What one mouse move during a drag costs against one full repaint of the board, in
// time and in calls into GDI and USER, at the start size of the window and at a large
// one. Drives the real main window through the program's own handlers. scripts/bench
// runs it several times and makes the tables; it prints tab-separated lines:
//   batch  <client area>  <operation>  <microseconds per operation in one batch>
//   calls  <client area>  <operation>  <function>  <calls per operation>
//
// Times: QueryPerformanceCounter around batches of at least 10 ms. One operation is
// the call and what follows when the program goes back to its message loop: a
// PeekMessage that finds the queue empty, where Wine hands the changed pixels to the X
// server (without it Wine would still flush, from within later calls).
//
// Calls: every gdi32 and user32 function that the drawing code uses is counted through
// this program's own import table, so the program's code, linked in unchanged, calls a
// counting stub that forwards to the real function.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "logic/board.h"
#include "shell/mainwnd.h"
#include "tests/win32/support.h"
#include "view/drag.h"
#include "view/layout.h"
#include "view/paint.h"

namespace {

struct Counted {
    const char* dll;
    const char* name;
    void* stub;
    void* original;
    long calls;
};

const int MaxCounted = 32;
Counted Table[MaxCounted];
int TableSize;

template <int Id, typename R, typename... A>
R WINAPI CountingStub(A... args)
{
    ++Table[Id].calls;
    return reinterpret_cast<R(WINAPI*)(A...)>(Table[Id].original)(args...);
}

template <int Id, typename R, typename... A>
void Register(const char* dll, const char* name, R(WINAPI*)(A...))
{
    static_assert(Id < MaxCounted, "table too small");
    Table[Id] = {dll, name, reinterpret_cast<void*>(&CountingStub<Id, R, A...>), nullptr, 0};
    TableSize = std::max(TableSize, Id + 1);
}

#define COUNT(id, dll, fn) Register<id>(dll, #fn, &fn)

void RegisterCountedFunctions()
{
    COUNT(0, "gdi32.dll", BitBlt);
    COUNT(1, "gdi32.dll", CreateCompatibleBitmap);
    COUNT(2, "gdi32.dll", CreateCompatibleDC);
    COUNT(3, "gdi32.dll", CreateFontA);
    COUNT(4, "gdi32.dll", CreatePen);
    COUNT(5, "gdi32.dll", CreateSolidBrush);
    COUNT(6, "gdi32.dll", DeleteDC);
    COUNT(7, "gdi32.dll", DeleteObject);
    COUNT(8, "gdi32.dll", GetStockObject);
    COUNT(9, "gdi32.dll", RoundRect);
    COUNT(10, "gdi32.dll", SelectObject);
    COUNT(11, "gdi32.dll", TextOutA);
    COUNT(12, "user32.dll", GetDC);
    COUNT(13, "user32.dll", ReleaseDC);
    COUNT(14, "user32.dll", BeginPaint);
    COUNT(15, "user32.dll", EndPaint);
    COUNT(16, "user32.dll", SetCapture);
    COUNT(17, "user32.dll", ReleaseCapture);
    COUNT(18, "user32.dll", SetCursor);
    COUNT(19, "user32.dll", LoadCursorA);
    COUNT(20, "user32.dll", InvalidateRect);
    COUNT(21, "user32.dll", UpdateWindow);
    COUNT(22, "user32.dll", GetClientRect);
}

double Now()
{
    LARGE_INTEGER t, frequency;
    QueryPerformanceCounter(&t);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Dispatches what is waiting; the last, empty PeekMessage lets Wine flush the window.
void BackToMessageLoop()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

HWND Main;
SIZE Client;

// Prints the calls per operation of each counted function, then the time per
// operation of 20 batches.
void Measure(const char* what, const std::function<void(int)>& op, int repetitions)
{
    for (int i = 0; i < TableSize; ++i) {
        Table[i].calls = 0;
        Table[i].original = PatchImport(Table[i].dll, Table[i].name, Table[i].stub);
        if (!Table[i].original) {
            std::fprintf(stderr, "no import of %s from %s\n", Table[i].name, Table[i].dll);
            std::exit(1);
        }
    }
    for (int i = 0; i < repetitions; ++i)
        op(i);
    for (int i = 0; i < TableSize; ++i) {
        PatchImport(Table[i].dll, Table[i].name, Table[i].original);
        if (Table[i].calls)
            std::printf("calls\t%ldx%ld\t%s\t%s\t%g\n", Client.cx, Client.cy, what,
                        Table[i].name, static_cast<double>(Table[i].calls) / repetitions);
    }

    int n = 0;
    for (double start = Now(); Now() - start < 0.01; ++n) {
        op(n);
        BackToMessageLoop();
    }
    int counter = 0;
    for (int b = 0; b < 20; ++b) {
        double t0 = Now();
        for (int i = 0; i < n; ++i) {
            op(counter++);
            BackToMessageLoop();
        }
        std::printf("batch\t%ldx%ld\t%s\t%.2f\n", Client.cx, Client.cy, what,
                    (Now() - t0) * 1e6 / n);
    }
    std::fflush(stdout);
}

bool SetClientSize(int width, int height)
{
    // Grows the window by what the client area still lacks: the menu bar can wrap.
    for (int attempt = 0; attempt < 3; ++attempt) {
        RECT have, window;
        GetClientRect(Main, &have);
        GetWindowRect(Main, &window);
        SetWindowPos(Main, nullptr, 0, 0, window.right - window.left + width - have.right,
                     window.bottom - window.top + height - have.bottom, SWP_NOZORDER);
        Pump(50);
        GetClientRect(Main, &have);
        if (have.right == width && have.bottom == height)
            return true;
    }
    return false;
}

// The board with all nine discs, either as New Game lays it out (disc 1 on top of the
// middle tower) or with disc 9 alone on the middle tower and 8..1 on the left one.
void LayOutNineDiscs(bool largestOnTop)
{
    StartNewGame(Main, 9, false, 550);
    if (largestOnTop) {
        ClearBoard();
        Towers[1][0] = 9;
        for (int s = 0; s < 8; ++s)
            Towers[0][s] = static_cast<int8_t>(8 - s);
    }
    InvalidateRect(Main, nullptr, TRUE);
    UpdateWindow(Main);
    BackToMessageLoop();
}

// The lifted top disc of the middle tower swept from the left tower to the right one
// and back, at the height of the middle of the stacks.
void MeasureDrag(const char* what, bool largestOnTop)
{
    LayOutNineDiscs(largestOnTop);
    int step = std::max(1, static_cast<int>(ClientRect.right / 160));
    int y = FootLine() - 5 * (ClientRect.bottom / 18);
    std::vector<int> path;
    for (int x = ColumnCenter(0); x <= ColumnCenter(2); x += step)
        path.push_back(x);
    for (int x = ColumnCenter(2); x >= ColumnCenter(0); x -= step)
        path.push_back(x);
    StartDrag(Main, ColumnCenter(1), y);
    Measure(what, [&](int i) { TrackDrag(Main, path[static_cast<size_t>(i) % path.size()], y); },
            static_cast<int>(path.size()));
    // Back on its own tower: the board is as before, one attempt counted.
    EndDrag(Main, ColumnCenter(1), y);
    BackToMessageLoop();
}

}  // namespace

int main()
{
    RegisterCountedFunctions();
    Main = CreateGameWindow();
    if (!Main) {
        std::fprintf(stderr, "the main window was not created\n");
        return 1;
    }
    for (SIZE size : {SIZE{640, 316}, SIZE{1920, 1080}}) {
        Client = size;
        if (!SetClientSize(size.cx, size.cy)) {
            std::fprintf(stderr, "no client area of %ldx%ld: is the screen large enough?\n",
                         size.cx, size.cy);
            return 1;
        }
        MeasureDrag("mouse move in a drag (TrackDrag), disc 1", false);
        MeasureDrag("mouse move in a drag (TrackDrag), disc 9", true);
        LayOutNineDiscs(false);
        Measure("full repaint: PaintBoard on the window DC, 9 discs", [](int) {
            HDC dc = GetDC(Main);
            PaintBoard(dc);
            ReleaseDC(Main, dc);
        }, 10);
        Measure("full repaint: InvalidateRect + WM_PAINT, 9 discs", [](int) {
            InvalidateRect(Main, nullptr, TRUE);
            UpdateWindow(Main);
        }, 10);
        Measure("empty turn of the message loop (reference)", [](int) {}, 10);
    }
    DestroyWindow(Main);
    return 0;
}
