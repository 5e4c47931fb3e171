// Dragging discs through the real main window: mouse messages go in, the game state and
// the window's own pixels come out.
#include <gtest/gtest.h>

#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "logic/board.h"
#include "logic/game.h"
#include "res/resource.h"
#include "shell/gameflow.h"
#include "shell/keys.h"
#include "support.h"
#include "view/drag.h"
#include "view/layout.h"

namespace {

constexpr COLORREF Red = RGB(255, 0, 0);
constexpr COLORREF Green = RGB(0, 128, 0);
constexpr COLORREF White = RGB(255, 255, 255);
constexpr COLORREF Marker = RGB(0, 0, 255);
// Long enough that no real tick arrives while a test runs; ticks are sent by hand.
constexpr uint32_t LongInterval = 1000000;

const char ExactText[] =
    "Fertig !!!, Sie sind wirklich gut, kein Zug zuviel !!!\nWarum nehmen Sie nicht mehr "
    "Platten ?";
const char ComputerTextFor3[] =
    "Der Computer ben\xf6tigte 7 Z\xfcge, notwendig\nwaren 7. Nun, das ist nicht schlecht, "
    "oder ?";

void Press(HWND hwnd, POINT p)
{
    SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(p.x, p.y));
}

void MoveTo(HWND hwnd, POINT p)
{
    SendMessageA(hwnd, WM_MOUSEMOVE, MK_LBUTTON, PointParam(p.x, p.y));
}

void Release(HWND hwnd, POINT p)
{
    SendMessageA(hwnd, WM_LBUTTONUP, 0, PointParam(p.x, p.y));
}

// A point in tower t's column, in the air above any stack of up to five discs.
POINT Air(int t)
{
    return {ColumnCenter(t), FootLine() - (6 * ClientRect.bottom) / 18};
}

POINT SlotCenter(int t, int slot, int size)
{
    BoardRect r = DiscRect(t, slot, size);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

int Height(int t)
{
    return StackHeightForDrawing(t);
}

POINT TopDiscCenter(int t)
{
    return SlotCenter(t, Height(t) - 1, Towers[t][Height(t) - 1]);
}

void DragDisc(HWND hwnd, int from, int to)
{
    Press(hwnd, Air(from));
    MoveTo(hwnd, Air(to));
    Release(hwnd, Air(to));
}

COLORREF Pixel(HWND hwnd, POINT p)
{
    return PixelAt(hwnd, p.x, p.y);
}

void Repaint(HWND hwnd)
{
    InvalidateRect(hwnd, nullptr, TRUE);
    UpdateWindow(hwnd);
}

// Stacks as digit strings, bottom disc first: {"3", "21", ""}.
void LayOut(HWND hwnd, const char* const stacks[TowerCount])
{
    ClearBoard();
    for (int t = 0; t < TowerCount; ++t)
        for (int j = 0; stacks[t][j]; ++j)
            Towers[t][j] = static_cast<int8_t>(stacks[t][j] - '0');
    Repaint(hwnd);
}

std::string StackOf(int t)
{
    std::string s;
    for (int j = 0; j < SlotCount && Towers[t][j]; ++j)
        s += static_cast<char>('0' + Towers[t][j]);
    return s;
}

// Every slot above a stack must hold 0, not just the one that ends it.
bool SlotsAboveAreEmpty(int t)
{
    for (int j = Height(t); j < SlotCount; ++j)
        if (Towers[t][j])
            return false;
    return true;
}

void PaintMarker(HWND hwnd, POINT p)
{
    HDC dc = GetDC(hwnd);
    HBRUSH brush = CreateSolidBrush(Marker);
    RECT r = {p.x - 2, p.y - 2, p.x + 3, p.y + 3};
    FillRect(dc, &r, brush);
    DeleteObject(brush);
    ReleaseDC(hwnd, dc);
}

// The whole client area, read through a 32-bpp DIB section, as 0x00RRGGBB values.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    COLORREF At(int x, int y) const
    {
        uint32_t v = pixels[static_cast<size_t>(y) * width + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
};

Picture Snapshot(HWND hwnd)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    Picture pic;
    pic.width = rc.right;
    pic.height = rc.bottom;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = pic.width;
    info.bmiHeader.biHeight = -pic.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC dc = GetDC(hwnd);
    HDC mem = CreateCompatibleDC(dc);
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, pic.width, pic.height, dc, 0, 0, SRCCOPY);
    GdiFlush();
    const auto* first = static_cast<const uint32_t*>(bits);
    pic.pixels.assign(first, first + static_cast<size_t>(pic.width) * pic.height);
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(hwnd, dc);
    return pic;
}

int DifferingPixels(const Picture& a, const Picture& b)
{
    if (a.width != b.width || a.height != b.height)
        return -1;
    int n = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i)
        n += (a.pixels[i] & 0xFFFFFF) != (b.pixels[i] & 0xFFFFFF);
    return n;
}

int PixelsOfColour(const Picture& pic, const BoardRect& r, COLORREF colour)
{
    int n = 0;
    for (int y = std::max(r.top, 0); y < std::min(r.bottom, pic.height); ++y)
        for (int x = std::max(r.left, 0); x < std::min(r.right, pic.width); ++x)
            n += pic.At(x, y) == colour;
    return n;
}

// Live GDI objects of this process. Wine's GetGuiResources is a stub that answers 0 with
// ERROR_CALL_NOT_IMPLEMENTED; there we count the used entries of the handle table that
// Wine keeps, as Windows does, at PEB->GdiSharedHandleTable (offset 0x94 in a 32-bit
// PEB): 65536 entries of 24 bytes each, whose type byte is 0 while the entry is free.
int LiveGdiObjects()
{
    DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported)
        return static_cast<int>(reported);
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    if (!GetProcAddress(ntdll, "wine_get_version"))
        return -1;
    using QueryProcess = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, void*, ULONG, ULONG*);
    auto query = reinterpret_cast<QueryProcess>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic = {};
    if (!query || query(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic,
                        nullptr) != 0)
        return -1;
    struct WineGdiHandleEntry {
        uint64_t object;
        uint32_t owner;
        uint16_t unique;
        uint8_t type;
        uint8_t flags;
        uint64_t userPointer;
    };
    static_assert(sizeof(WineGdiHandleEntry) == 24, "Wine's handle table entry");
    const char* peb = reinterpret_cast<const char*>(basic.PebBaseAddress);
    const auto* table = *reinterpret_cast<const WineGdiHandleEntry* const*>(peb + 0x94);
    if (!table)
        return -1;
    int n = 0;
    for (int i = 0; i < 0x10000; ++i)
        n += table[i].type != 0;
    return n;
}

// Everything a press may change, to show that an ignored one changed nothing.
struct DragState {
    uint8_t dragging;
    int8_t source, target, lifted;
    BoardRect rect;
    HDC saveDC;
    HBITMAP saveBitmap;
    uint8_t keyAwaitSource;
    int32_t moves;
    std::string stacks[TowerCount];

    static DragState Now()
    {
        return {Dragging,  SourceTower, TargetTower,    LiftedDisc, DragRect,
                SaveUnderDC, SaveBitmap,  KeyAwaitSource, MoveCount,
                {StackOf(0), StackOf(1), StackOf(2)}};
    }
};

void ExpectSameState(const DragState& a, const DragState& b)
{
    EXPECT_EQ(a.dragging, b.dragging);
    EXPECT_EQ(a.source, b.source);
    EXPECT_EQ(a.target, b.target);
    EXPECT_EQ(a.lifted, b.lifted);
    EXPECT_EQ(a.rect.left, b.rect.left);
    EXPECT_EQ(a.rect.top, b.rect.top);
    EXPECT_EQ(a.rect.right, b.rect.right);
    EXPECT_EQ(a.rect.bottom, b.rect.bottom);
    EXPECT_EQ(a.saveDC, b.saveDC);
    EXPECT_EQ(a.saveBitmap, b.saveBitmap);
    EXPECT_EQ(a.keyAwaitSource, b.keyAwaitSource);
    EXPECT_EQ(a.moves, b.moves);
    for (int t = 0; t < TowerCount; ++t)
        EXPECT_EQ(a.stacks[t], b.stacks[t]) << "tower " << t;
}

void ExpectIdle()
{
    EXPECT_EQ(Dragging, 0);
    EXPECT_EQ(SourceTower, NoTower);
    EXPECT_EQ(TargetTower, NoTower);
    EXPECT_EQ(SaveUnderDC, nullptr);
    EXPECT_EQ(SaveBitmap, nullptr);
}

class DragFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The real cursor stays off the window: the messages sent here are its only
        // mouse input.
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
        DiscCount = 3;
        PlayMode = ManualPlay;
        OptDiscCount = 3;
        OptPlayMode = ManualPlay;
        TimerInterval = LongInterval;
        hwnd = CreateGameWindow();
        ASSERT_NE(hwnd, nullptr);
        POINT cursor;
        GetCursorPos(&cursor);
        ASSERT_NE(WindowFromPoint(cursor), hwnd);
        ASSERT_GT(ColumnWidth, 0) << "no first paint";
        StartAnswering(&answerer);
    }

    void TearDown() override
    {
        StopAnswering();
        KillTimer(hwnd, TimerId);
        AbandonDrag();
        DestroyWindow(hwnd);
        Pump();
    }

    HWND hwnd = nullptr;
    DialogAnswerer answerer;
};

using DiscDrag = DragFixture;

TEST_F(DiscDrag, FloatingDiscIsRedAtPressGreenOverAnAcceptingTowerRedOverItsSource)
{
    Picture before = Snapshot(hwnd);
    POINT press = Air(1);
    Press(hwnd, press);
    Pump();
    // The press can only be over the source tower; even so no colour is judged yet.
    EXPECT_EQ(Pixel(hwnd, press), Red);
    EXPECT_EQ(Pixel(hwnd, SlotCenter(1, 2, 1)), White) << "lifted disc left in its slot";
    EXPECT_EQ(Pixel(hwnd, SlotCenter(1, 1, 2)), Green);
    EXPECT_EQ(Towers[1][2], 1) << "the board changes only at the release";
    BoardRect r = DragRect;
    int midY = (r.top + r.bottom) / 2;
    // The figure fills exactly the saved rectangle: outline on its edges, nothing beyond.
    EXPECT_EQ(PixelAt(hwnd, r.left, midY), Green);
    EXPECT_EQ(PixelAt(hwnd, r.right - 1, midY), Green);
    EXPECT_EQ(PixelAt(hwnd, press.x, r.top), Green);
    EXPECT_EQ(PixelAt(hwnd, press.x, r.bottom - 1), Green);
    EXPECT_EQ(PixelAt(hwnd, r.left - 1, midY), White);
    EXPECT_EQ(PixelAt(hwnd, r.right, midY), White);
    EXPECT_EQ(PixelAt(hwnd, press.x, r.top - 1), White);
    EXPECT_EQ(PixelAt(hwnd, press.x, r.bottom), White);

    MoveTo(hwnd, Air(0));
    Pump();
    EXPECT_EQ(Pixel(hwnd, Air(0)), Green) << "over the empty left tower";
    EXPECT_EQ(Pixel(hwnd, press), White) << "old place not restored";

    POINT overSource = {ColumnCenter(1) + ColumnWidth / 4, Air(1).y};
    MoveTo(hwnd, overSource);
    Pump();
    EXPECT_EQ(Pixel(hwnd, overSource), Red);
    EXPECT_EQ(Pixel(hwnd, Air(0)), White);

    MoveTo(hwnd, Air(2));
    Pump();
    EXPECT_EQ(Pixel(hwnd, Air(2)), Green);
    BoardRect last = DragRect;
    Release(hwnd, Air(2));
    Pump();

    Picture after = Snapshot(hwnd);
    EXPECT_EQ(PixelsOfColour(after, last, Red), 0);
    EXPECT_EQ(PixelsOfColour(after, last, Green), 0);
    EXPECT_EQ(PixelsOfColour(after, last, White), PixelsOfColour(before, last, White));
    EXPECT_EQ(Pixel(hwnd, SlotCenter(2, 0, 1)), Green) << "not drawn on the target";
    EXPECT_EQ(Pixel(hwnd, SlotCenter(1, 2, 1)), White);
    EXPECT_EQ(StackOf(1), "32");
    EXPECT_EQ(StackOf(2), "1");
    EXPECT_EQ(MoveCount, 1);
    ExpectIdle();
}

struct DropCase {
    const char* name;
    const char* stacks[TowerCount];
    int from;
    bool pressOnDisc;  // else in the air above the stack
    int hover;         // where the disc floats before the release
    int to;
    bool moves;
};

const DropCase DropCases[] = {
    {"OntoEmptyTower", {"", "321", ""}, 1, false, 0, 0, true},
    {"OntoEmptyTowerPressedOnTheDisc", {"", "321", ""}, 1, true, 2, 2, true},
    {"OntoLargerTopDisc", {"3", "21", ""}, 1, false, 0, 0, true},
    {"OntoLargerTopDiscLeftToRight", {"21", "", "3"}, 0, true, 2, 2, true},
    {"BackOntoSourceTower", {"", "321", ""}, 1, false, 1, 1, false},
    {"BackOntoSourceTowerPressedOnTheDisc", {"", "321", ""}, 1, true, 0, 1, false},
    {"OntoSmallerTopDisc", {"1", "32", ""}, 1, false, 0, 0, false},
    // The release decides, not the tower the disc last floated over.
    {"ReleasedOverSmallerAfterHoveringOverEmpty", {"1", "32", ""}, 1, false, 2, 0, false},
};

void PrintTo(const DropCase& c, std::ostream* os)
{
    *os << c.name;
}

class DiscDragDrop : public DragFixture, public ::testing::WithParamInterface<DropCase> {};

TEST_P(DiscDragDrop, MovesOrGoesBackAndCountsEitherWay)
{
    const DropCase& c = GetParam();
    LayOut(hwnd, c.stacks);
    std::string expected[TowerCount] = {c.stacks[0], c.stacks[1], c.stacks[2]};
    char disc = expected[c.from].back();
    int fromSlot = Height(c.from) - 1;
    if (c.moves) {
        expected[c.from].pop_back();
        expected[c.to] += disc;
    }
    int size = disc - '0';

    Press(hwnd, c.pressOnDisc ? TopDiscCenter(c.from) : Air(c.from));
    MoveTo(hwnd, Air(c.hover));
    Release(hwnd, Air(c.to));
    Pump();

    for (int t = 0; t < TowerCount; ++t) {
        EXPECT_EQ(StackOf(t), expected[t]) << "tower " << t;
        EXPECT_TRUE(SlotsAboveAreEmpty(t)) << "tower " << t;
    }
    EXPECT_EQ(MoveCount, 1);
    EXPECT_TRUE(answerer.seen.empty()) << "a drop shows no message";
    ExpectIdle();
    int home = c.moves ? c.to : c.from;
    EXPECT_EQ(Pixel(hwnd, SlotCenter(home, Height(home) - 1, size)), Green);
    if (c.moves) {
        EXPECT_EQ(Pixel(hwnd, SlotCenter(c.from, fromSlot, size)), White);
    }
    // The small drawings of the drag leave exactly what a full repaint would draw.
    Picture incremental = Snapshot(hwnd);
    Repaint(hwnd);
    EXPECT_EQ(DifferingPixels(incremental, Snapshot(hwnd)), 0);
}

INSTANTIATE_TEST_SUITE_P(Table, DiscDragDrop, ::testing::ValuesIn(DropCases),
                         [](const ::testing::TestParamInfo<DropCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(DiscDrag, BoardIsNotRepaintedDuringADrag)
{
    POINT corner = {4, 4};  // nothing of the board is drawn there
    POINT onPath = Air(0);
    PaintMarker(hwnd, corner);
    PaintMarker(hwnd, onPath);
    const POINT path[] = {Air(0), {Air(0).x + 7, Air(0).y + 3}, Air(1), Air(2), Air(0)};
    Press(hwnd, Air(1));
    for (POINT p : path) {
        MoveTo(hwnd, p);
        Pump();
        RECT update;
        EXPECT_FALSE(GetUpdateRect(hwnd, &update, FALSE)) << "part of the window invalidated";
        EXPECT_EQ(Pixel(hwnd, corner), Marker);
    }
    MoveTo(hwnd, Air(2));
    Pump();
    // The floating disc went over the second marker; the save-under brought it back.
    EXPECT_EQ(Pixel(hwnd, onPath), Marker);
    Release(hwnd, Air(2));
    Pump();
    EXPECT_EQ(Pixel(hwnd, corner), Marker);
    EXPECT_EQ(Pixel(hwnd, onPath), Marker);
    EXPECT_EQ(StackOf(2), "1");
}

TEST_F(DiscDrag, OneSaveUnderBitmapLivesDuringADragAndNoneAfter)
{
    int idle = LiveGdiObjects();
    ASSERT_GT(idle, 0) << "no way to count this process's GDI objects";
    HPEN probe = CreatePen(PS_SOLID, 1, Red);
    ASSERT_EQ(LiveGdiObjects(), idle + 1) << "the count does not see a single new pen";
    DeleteObject(probe);
    ASSERT_EQ(LiveGdiObjects(), idle);

    // One drag first, so that whatever the system creates once on first use exists.
    DragDisc(hwnd, 1, 1);
    idle = LiveGdiObjects();

    Press(hwnd, Air(1));
    const POINT path[] = {Air(0), Air(2), Air(1)};
    for (POINT p : path) {
        ASSERT_NE(SaveUnderDC, nullptr);
        EXPECT_EQ(GetObjectType(SaveUnderDC), static_cast<DWORD>(OBJ_MEMDC));
        EXPECT_EQ(GetObjectType(SaveBitmap), static_cast<DWORD>(OBJ_BITMAP));
        EXPECT_EQ(GetCurrentObject(SaveUnderDC, OBJ_BITMAP), SaveBitmap);
        BITMAP bm = {};
        GetObjectA(SaveBitmap, sizeof bm, &bm);
        EXPECT_EQ(bm.bmWidth, DragRect.right - DragRect.left);
        EXPECT_EQ(bm.bmHeight, DragRect.bottom - DragRect.top);
        EXPECT_EQ(LiveGdiObjects(), idle + 2) << "one memory DC and one bitmap";
        MoveTo(hwnd, p);
    }
    Release(hwnd, Air(0));
    ExpectIdle();
    EXPECT_EQ(SaveOldBitmap, nullptr);
    EXPECT_EQ(LiveGdiObjects(), idle);

    DragDisc(hwnd, 0, 1);
    idle = LiveGdiObjects();
    for (int i = 0; i < 1000; ++i) {
        Press(hwnd, Air(1));
        MoveTo(hwnd, Air(0));
        MoveTo(hwnd, Air(2));
        Release(hwnd, Air(1));
    }
    EXPECT_EQ(LiveGdiObjects(), idle);
    EXPECT_EQ(MoveCount, 1003);
    EXPECT_EQ(StackOf(1), "321");
    ExpectIdle();
}

struct IgnoredPressCase {
    const char* name;
    void (*prepare)(HWND);
    int tower;
};

void EmptyBoardLeft(HWND) {}

void SolvedBoard(HWND hwnd)
{
    const char* const solved[TowerCount] = {"", "", "321"};
    LayOut(hwnd, solved);
    ASSERT_TRUE(IsSolved());
}

void AutomaticGame(HWND hwnd)
{
    OptPlayMode = AutomaticPlay;
    SendMessageA(hwnd, WM_COMMAND, IDM_NEWGAME, 0);
    Pump();
    ASSERT_EQ(PlayMode, AutomaticPlay);
}

void DragUnderWay(HWND hwnd)
{
    Press(hwnd, Air(1));
    MoveTo(hwnd, Air(0));
    Pump();
    ASSERT_EQ(Dragging, 1);
}

const IgnoredPressCase IgnoredPresses[] = {
    {"OnEmptyTower", EmptyBoardLeft, 0},
    {"OnSolvedBoard", SolvedBoard, 2},
    {"InAutomaticGame", AutomaticGame, 1},
    {"DuringADrag", DragUnderWay, 1},
};

void PrintTo(const IgnoredPressCase& c, std::ostream* os)
{
    *os << c.name;
}

class DiscDragIgnoredPress : public DragFixture,
                             public ::testing::WithParamInterface<IgnoredPressCase> {};

TEST_P(DiscDragIgnoredPress, ChangesNothingAndDrawsNothing)
{
    const IgnoredPressCase& c = GetParam();
    c.prepare(hwnd);
    if (HasFatalFailure())
        return;
    KeyAwaitSource = 0;  // a started drag would set it back to 1
    DragState before = DragState::Now();
    int objects = LiveGdiObjects();
    Picture picture = Snapshot(hwnd);

    Press(hwnd, Air(c.tower));
    Pump();

    ExpectSameState(before, DragState::Now());
    EXPECT_EQ(LiveGdiObjects(), objects);
    EXPECT_EQ(DifferingPixels(picture, Snapshot(hwnd)), 0);
    EXPECT_TRUE(answerer.seen.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, DiscDragIgnoredPress, ::testing::ValuesIn(IgnoredPresses),
                         [](const ::testing::TestParamInfo<IgnoredPressCase>& info) {
                             return std::string(info.param.name);
                         });

void CursorTo(HWND hwnd, POINT client)
{
    ClientToScreen(hwnd, &client);
    SetCursorPos(client.x, client.y);
}

void ButtonInput(DWORD flags)
{
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    SendInput(1, &in, sizeof in);
}

template <typename Done>
bool PumpUntil(Done done)
{
    for (int i = 0; i < 2000 && !done(); ++i)
        Pump(1);
    return done();
}

POINT CursorInClient(HWND hwnd)
{
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(hwnd, &p);
    return p;
}

bool FloatsAt(POINT p)
{
    BoardRect r = FloatingDiscRect(p.x, p.y, LiftedDisc);
    return DragRect.left == r.left && DragRect.top == r.top && DragRect.right == r.right &&
           DragRect.bottom == r.bottom;
}

// Real input this time: the window does not capture the mouse, so a release outside it
// goes elsewhere and the drag goes on.
TEST_F(DiscDrag, ReleaseOutsideTheWindowIsNotSeenAndTheDragGoesOn)
{
    CursorTo(hwnd, Air(1));
    ButtonInput(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(PumpUntil([] { return Dragging == 1; }));
    EXPECT_EQ(SourceTower, 1);

    CursorTo(hwnd, Air(0));
    ASSERT_TRUE(PumpUntil([&] { return FloatsAt(CursorInClient(hwnd)); }));
    BoardRect shown = DragRect;

    RECT window;
    GetWindowRect(hwnd, &window);
    SetCursorPos(window.right + 40, window.bottom + 40);
    ButtonInput(MOUSEEVENTF_LEFTUP);
    Pump(100);
    EXPECT_EQ(Dragging, 1);
    EXPECT_EQ(SourceTower, 1);
    EXPECT_EQ(MoveCount, 0);
    EXPECT_EQ(DragRect.left, shown.left) << "the floating disc stays where it was";
    EXPECT_EQ(Pixel(hwnd, Air(0)), Green);

    // Back over the window with the button up: the disc follows the cursor again.
    CursorTo(hwnd, Air(2));
    ASSERT_TRUE(PumpUntil([&] { return FloatsAt(CursorInClient(hwnd)); }));
    EXPECT_EQ(Pixel(hwnd, CursorInClient(hwnd)), Green);
    EXPECT_EQ(Pixel(hwnd, Air(0)), White);

    // A press is ignored while the drag goes on; the next release ends it there.
    ButtonInput(MOUSEEVENTF_LEFTDOWN);
    ButtonInput(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(PumpUntil([] { return Dragging == 0; }));
    EXPECT_EQ(StackOf(1), "32");
    EXPECT_EQ(StackOf(2), "1");
    EXPECT_EQ(MoveCount, 1);
    ExpectIdle();
}

TEST_F(DiscDrag, PressDropsAPendingSourceDigit)
{
    SendMessageA(hwnd, WM_CHAR, '1', 0);
    ASSERT_EQ(KeyAwaitSource, 0);
    Press(hwnd, Air(1));
    EXPECT_EQ(KeyAwaitSource, 1);
    Release(hwnd, Air(0));
    ASSERT_EQ(StackOf(0), "1");
    // "3" now names a source again instead of completing "1" "3".
    SendMessageA(hwnd, WM_CHAR, '3', 0);
    EXPECT_EQ(KeyAwaitSource, 0);
    EXPECT_EQ(KeySource, 3);
    EXPECT_EQ(StackOf(2), "");
    EXPECT_EQ(MoveCount, 1);
    EXPECT_TRUE(answerer.seen.empty());
}

TEST_F(DiscDrag, LastDropOfAnExactGameShowsTheResultWhileTheDragStillHolds)
{
    struct During {
        int dragging = -1;
        int source = 0, target = 0;
        int moves = 0;
        std::string text;
        bool repainted = false;
        COLORREF discs[3] = {};
    } during;
    answerer.inspect = [&](HWND dlg) {
        during.dragging = Dragging;
        during.source = SourceTower;
        during.target = TargetTower;
        during.moves = MoveCount;
        char text[ResultTextSize] = {};
        GetDlgItemTextA(dlg, IDC_RESULT_TEXT, text, sizeof text);
        during.text = text;
        // Out of the board's way, so that the board's pixels can be read.
        RECT main;
        GetWindowRect(hwnd, &main);
        SetWindowPos(dlg, nullptr, main.left, main.bottom + 10, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        POINT corner = {4, 4};
        PaintMarker(hwnd, corner);
        Repaint(hwnd);
        during.repainted = Pixel(hwnd, corner) == White;
        for (int j = 0; j < 3; ++j)
            during.discs[j] = Pixel(hwnd, SlotCenter(2, j, 3 - j));
    };
    const int moves[][2] = {{1, 2}, {1, 0}, {2, 0}, {1, 2}, {0, 1}, {0, 2}, {1, 2}};
    int n = 0;
    for (const auto& m : moves) {
        DragDisc(hwnd, m[0], m[1]);
        ++n;
        ASSERT_EQ(MoveCount, n);
        if (n < 7) {
            ASSERT_TRUE(answerer.seen.empty()) << "after move " << n;
        }
    }
    ASSERT_EQ(answerer.seen.size(), 1u);
    EXPECT_EQ(answerer.seen[0].caption, "Geschafft !!!");
    EXPECT_EQ(answerer.seen[0].owner, hwnd);
    EXPECT_FALSE(answerer.seen[0].mainWindowEnabled);
    EXPECT_EQ(during.dragging, 1);
    EXPECT_EQ(during.source, NoTower);
    EXPECT_EQ(during.target, NoTower);
    EXPECT_EQ(during.moves, 7);
    EXPECT_EQ(during.text, ExactText);
    EXPECT_STREQ(ResultText, ExactText);
    EXPECT_TRUE(during.repainted);
    for (int j = 0; j < 3; ++j)
        EXPECT_EQ(during.discs[j], Green) << "slot " << j;
    EXPECT_EQ(Dragging, 0);
    EXPECT_EQ(StackOf(2), "321");
    ExpectIdle();
}

TEST_F(DiscDrag, NewGameDuringADragEndsItWithoutDroppingTheDisc)
{
    DragDisc(hwnd, 1, 1);  // what the system creates on first use, before counting
    int idle = LiveGdiObjects();
    Press(hwnd, Air(1));
    MoveTo(hwnd, Air(0));
    ASSERT_EQ(Dragging, 1);
    HDC saveDC = SaveUnderDC;
    HBITMAP saveBitmap = SaveBitmap;
    ASSERT_EQ(LiveGdiObjects(), idle + 2);

    OptDiscCount = 4;
    SendMessageA(hwnd, WM_COMMAND, IDM_NEWGAME, 0);
    ExpectIdle();
    EXPECT_EQ(SaveOldBitmap, nullptr);
    EXPECT_EQ(GetObjectType(saveDC), 0u);
    EXPECT_EQ(GetObjectType(saveBitmap), 0u);
    EXPECT_EQ(LiveGdiObjects(), idle);
    EXPECT_EQ(MoveCount, 0);
    EXPECT_EQ(StackOf(0), "");
    EXPECT_EQ(StackOf(1), "4321");
    EXPECT_EQ(StackOf(2), "");
    for (int t = 0; t < TowerCount; ++t)
        EXPECT_TRUE(SlotsAboveAreEmpty(t)) << "tower " << t;

    Pump();
    EXPECT_EQ(Pixel(hwnd, SlotCenter(1, 3, 1)), Green) << "the new top disc is not hidden";
    EXPECT_EQ(Pixel(hwnd, Air(0)), White);

    // The release that would have dropped the old game's disc into this one.
    Picture picture = Snapshot(hwnd);
    Release(hwnd, Air(0));
    EXPECT_EQ(StackOf(0), "");
    EXPECT_EQ(StackOf(1), "4321");
    EXPECT_EQ(MoveCount, 0);
    EXPECT_EQ(DifferingPixels(picture, Snapshot(hwnd)), 0);

    DragDisc(hwnd, 1, 0);
    EXPECT_EQ(StackOf(0), "1");
    EXPECT_EQ(StackOf(1), "432");
    EXPECT_EQ(MoveCount, 1);
    EXPECT_EQ(Pixel(hwnd, SlotCenter(0, 0, 1)), Green);
    ExpectIdle();
    EXPECT_TRUE(answerer.seen.empty());
}

TEST_F(DiscDrag, NewAutomaticGameDuringADragLeavesTheSolverItsBoard)
{
    Press(hwnd, Air(1));
    MoveTo(hwnd, Air(2));
    OptPlayMode = AutomaticPlay;
    SendMessageA(hwnd, WM_COMMAND, IDM_NEWGAME, 0);
    Pump();
    Release(hwnd, Air(2));
    EXPECT_EQ(MoveCount, 0);
    EXPECT_EQ(StackOf(1), "321");

    for (int tick = 1; tick <= 7; ++tick) {
        SendMessageA(hwnd, WM_TIMER, TimerId, 0);
        ASSERT_EQ(MoveCount, tick);
        if (tick < 7) {
            ASSERT_TRUE(answerer.seen.empty()) << "tick " << tick << " refused";
        }
    }
    EXPECT_TRUE(IsSolved());
    ASSERT_EQ(answerer.seen.size(), 1u);
    EXPECT_EQ(answerer.seen[0].caption, "Geschafft !!!");
    EXPECT_STREQ(ResultText, ComputerTextFor3);
}

}  // namespace
