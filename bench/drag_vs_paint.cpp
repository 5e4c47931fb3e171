// What one mouse move during a drag costs against one full repaint of the board, in
// time and in calls into GDI and USER, at the start size of the window and at a large
// one. Drives the real main window through the program's own handlers and prints two
// Markdown tables.
//
// Times: QueryPerformanceCounter around batches of at least 10 ms. One operation is
// the call and what follows when the program goes back to its message loop: a
// PeekMessage that finds the queue empty, where Wine hands the changed pixels to the X
// server (without it Wine would still flush, from within later calls). Every operation
// runs 20 batches in each of three passes over all operations; the fastest and the
// median batch are shown, because on cores shared with other work many batches mostly
// measure waits for the wineserver and the X server.
//
// Calls: every gdi32 and user32 function that the drawing code uses is counted through
// this program's own import table, so the program's code, linked in unchanged, calls a
// counting stub that forwards to the real function.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "logic/board.h"
#include "shell/mainwnd.h"
#include "tests/win32/support.h"
#include "view/drag.h"
#include "view/layout.h"
#include "view/paint.h"

namespace {

// ---- counting calls through the import table -------------------------------------

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

bool StartCounting()
{
    for (int i = 0; i < TableSize; ++i) {
        Table[i].calls = 0;
        Table[i].original = PatchImport(Table[i].dll, Table[i].name, Table[i].stub);
        if (!Table[i].original) {
            std::fprintf(stderr, "no import of %s from %s\n", Table[i].name, Table[i].dll);
            return false;
        }
    }
    return true;
}

void StopCounting()
{
    for (int i = 0; i < TableSize; ++i)
        PatchImport(Table[i].dll, Table[i].name, Table[i].original);
}

// Calls per operation, by function, over `repetitions` operations.
std::vector<double> CountCalls(const std::function<void(int)>& op, int repetitions)
{
    std::vector<double> perOp(TableSize, 0.0);
    if (!StartCounting())
        return perOp;
    for (int i = 0; i < repetitions; ++i)
        op(i);
    StopCounting();
    for (int i = 0; i < TableSize; ++i)
        perOp[i] = static_cast<double>(Table[i].calls) / repetitions;
    return perOp;
}

// ---- timing ----------------------------------------------------------------------

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Dispatches what is waiting; the last, empty PeekMessage lets Wine flush the window.
void BackToMessageLoop()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

const double BatchSeconds = 0.01;
const int Batches = 20;
const int Passes = 3;

// Microseconds per operation of each batch.
std::vector<double> TimeBatches(const std::function<void(int)>& op)
{
    int n = 0;
    double start = Now();
    while (Now() - start < BatchSeconds) {
        op(n++);
        BackToMessageLoop();
    }
    std::vector<double> perOp;
    int counter = 0;
    for (int b = 0; b < Batches; ++b) {
        double t0 = Now();
        for (int i = 0; i < n; ++i) {
            op(counter++);
            BackToMessageLoop();
        }
        perOp.push_back((Now() - t0) * 1e6 / n);
    }
    return perOp;
}

// ---- the window ------------------------------------------------------------------

HWND Main;

bool SetClientSize(int width, int height)
{
    LONG style = GetWindowLongA(Main, GWL_STYLE);
    for (int attempt = 0; attempt < 3; ++attempt) {
        RECT want = {0, 0, width, height};
        AdjustWindowRect(&want, style, TRUE);
        RECT have;
        GetClientRect(Main, &have);
        RECT window;
        GetWindowRect(Main, &window);
        // The menu bar can wrap: correct by what is still missing.
        int w = (window.right - window.left) + (width - have.right);
        int h = (window.bottom - window.top) + (height - have.bottom);
        if (attempt == 0) {
            w = want.right - want.left;
            h = want.bottom - want.top;
        }
        SetWindowPos(Main, nullptr, 0, 0, w, h, SWP_NOZORDER);
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

// Cursor positions of a sweep from the left tower to the right one and back, at the
// height of the middle of the stacks.
std::vector<POINT> Sweep()
{
    int step = std::max(1, static_cast<int>(ClientRect.right / 160));
    int y = FootLine() - 5 * (ClientRect.bottom / 18);
    std::vector<POINT> path;
    for (int x = ColumnCenter(0); x <= ColumnCenter(2); x += step)
        path.push_back({x, y});
    for (int x = ColumnCenter(2); x >= ColumnCenter(0); x -= step)
        path.push_back({x, y});
    return path;
}

struct Result {
    std::string what;
    std::vector<double> calls;
    std::vector<double> batches;  // microseconds per operation
};

double Fastest(const Result& r)
{
    return *std::min_element(r.batches.begin(), r.batches.end());
}

double Median(const Result& r)
{
    std::vector<double> sorted = r.batches;
    std::sort(sorted.begin(), sorted.end());
    return sorted[sorted.size() / 2];
}

double Total(const std::vector<double>& calls)
{
    double sum = 0;
    for (double c : calls)
        sum += c;
    return sum;
}

Result MeasureDrag(const char* what, bool largestOnTop)
{
    LayOutNineDiscs(largestOnTop);
    std::vector<POINT> path = Sweep();
    int middle = ColumnCenter(1);
    StartDrag(Main, middle, path[0].y);
    auto move = [&](int i) {
        const POINT& p = path[static_cast<size_t>(i) % path.size()];
        TrackDrag(Main, p.x, p.y);
    };
    Result r{what, CountCalls(move, static_cast<int>(path.size())), TimeBatches(move)};
    // Back on its own tower: the board is as before, one attempt counted.
    EndDrag(Main, middle, path[0].y);
    BackToMessageLoop();
    return r;
}

Result MeasurePaintBoard(const char* what)
{
    LayOutNineDiscs(false);
    auto paint = [](int) {
        HDC dc = GetDC(Main);
        PaintBoard(dc);
        ReleaseDC(Main, dc);
    };
    return {what, CountCalls(paint, 10), TimeBatches(paint)};
}

Result MeasureWmPaint(const char* what)
{
    LayOutNineDiscs(false);
    auto paint = [](int) {
        InvalidateRect(Main, nullptr, TRUE);
        UpdateWindow(Main);
    };
    return {what, CountCalls(paint, 10), TimeBatches(paint)};
}

Result MeasureEmptyLoop(const char* what)
{
    auto nothing = [](int) {};
    return {what, std::vector<double>(TableSize, 0.0), TimeBatches(nothing)};
}

std::vector<Result> MeasureAll()
{
    return {MeasureDrag("mouse move in a drag (TrackDrag), disc 1", false),
            MeasureDrag("mouse move in a drag (TrackDrag), disc 9", true),
            MeasurePaintBoard("full repaint: PaintBoard on the window DC, 9 discs"),
            MeasureWmPaint("full repaint: InvalidateRect + WM_PAINT, 9 discs"),
            MeasureEmptyLoop("empty turn of the message loop (reference)")};
}

std::string Fixed(double value, int decimals)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    return buf;
}

// A count as a whole number when it is one.
std::string Calls(double count)
{
    return count == static_cast<int>(count) ? Fixed(count, 0) : Fixed(count, 2);
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
    const SIZE sizes[] = {{640, 316}, {1920, 1080}};
    std::vector<std::vector<Result>> all;

    std::printf("| client area | operation | GDI/USER calls | µs, fastest batch | "
                "µs, median batch | relative to a mouse move, disc 1 (fastest) |\n");
    std::printf("|---|---|--:|--:|--:|--:|\n");
    for (const SIZE& size : sizes) {
        if (!SetClientSize(size.cx, size.cy)) {
            RECT have;
            GetClientRect(Main, &have);
            std::fprintf(stderr, "client area is %ldx%ld, not %ldx%ld: is the screen large "
                         "enough?\n", have.right, have.bottom, size.cx, size.cy);
            return 1;
        }
        std::vector<Result> rows = MeasureAll();
        for (int pass = 1; pass < Passes; ++pass) {
            std::vector<Result> again = MeasureAll();
            for (size_t i = 0; i < rows.size(); ++i)
                rows[i].batches.insert(rows[i].batches.end(), again[i].batches.begin(),
                                       again[i].batches.end());
        }
        double unit = Fastest(rows[0]);
        for (const Result& r : rows) {
            bool reference = Total(r.calls) == 0;
            std::printf("| %ld × %ld | %s | %s | %s | %s | %s |\n", size.cx, size.cy,
                        r.what.c_str(), reference ? "–" : Calls(Total(r.calls)).c_str(),
                        Fixed(Fastest(r), 1).c_str(), Fixed(Median(r), 1).c_str(),
                        reference ? "–" : Fixed(Fastest(r) / unit, 1).c_str());
        }
        std::fflush(stdout);
        rows.pop_back();
        all.push_back(rows);
    }

    bool sameCounts = true;
    for (size_t i = 0; i < all[0].size(); ++i)
        sameCounts = sameCounts && all[0][i].calls == all[1][i].calls;
    std::printf("\nCalls per operation by function%s:\n\n",
                sameCounts ? " (the same at both sizes)" : " at the first size");
    const std::vector<Result>& breakdown = all[0];
    std::printf("| function |");
    for (const Result& r : breakdown)
        std::printf(" %s |", r.what.c_str());
    std::printf("\n|---|");
    for (size_t i = 0; i < breakdown.size(); ++i)
        std::printf("--:|");
    std::printf("\n");
    for (int f = 0; f < TableSize; ++f) {
        bool any = false;
        for (const Result& r : breakdown)
            any = any || r.calls[f] != 0;
        if (!any)
            continue;
        std::printf("| %s |", Table[f].name);
        for (const Result& r : breakdown)
            std::printf(" %s |", r.calls[f] ? Calls(r.calls[f]).c_str() : "");
        std::printf("\n");
    }
    DestroyWindow(Main);
    return 0;
}
