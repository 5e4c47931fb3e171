// Dragging discs through the real main window: mouse messages go in, the game state and
// the window's own pixels come out.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "logic/board.h"
#include "logic/game.h"
#include "res/resource.h"
#include "shell/keys.h"
#include "support.h"
#include "view/drag.h"
#include "view/layout.h"

namespace {

constexpr COLORREF Marker = RGB(0, 0, 255);

POINT SlotCenter(int t, int slot, int size)
{
    BoardRect r = DiscRect(t, slot, size);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void DragDisc(HWND hwnd, int from, int to)
{
    Press(hwnd, Air(from));
    Move(hwnd, Air(to));
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

void LayOut(HWND hwnd, const char* const stacks[TowerCount])
{
    SetBoard(stacks[0], stacks[1], stacks[2]);
    Repaint(hwnd);
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

// The whole client area as the window shows it, as 0x00RRGGBB values.
std::vector<uint32_t> Snapshot(HWND hwnd)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    Dib dib(rc.right, rc.bottom);
    HDC dc = GetDC(hwnd);
    BitBlt(dib.dc, 0, 0, dib.width, dib.height, dc, 0, 0, SRCCOPY);
    ReleaseDC(hwnd, dc);
    return dib.Pixels();
}

int DifferingPixels(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b)
{
    if (a.size() != b.size())
        return -1;
    int n = 0;
    for (size_t i = 0; i < a.size(); ++i)
        n += ((a[i] ^ b[i]) & 0xFFFFFF) != 0;
    return n;
}

// The pixels that a full repaint changes: none, when the small drawings of a drag left
// exactly what it draws.
int PixelsARepaintChanges(HWND hwnd)
{
    std::vector<uint32_t> shown = Snapshot(hwnd);
    Repaint(hwnd);
    return DifferingPixels(shown, Snapshot(hwnd));
}

// Everything a press may change, to show that an ignored one changed nothing.
std::string DragState()
{
    char text[300];
    std::snprintf(text, sizeof text,
                  "dragging %d source %d target %d lifted %d rect %d,%d,%d,%d save %p %p "
                  "await %d moves %d board ",
                  Dragging, SourceTower, TargetTower, LiftedDisc, DragRect.left, DragRect.top,
                  DragRect.right, DragRect.bottom, static_cast<void*>(SaveUnderDC),
                  static_cast<void*>(SaveBitmap), KeyAwaitSource, MoveCount);
    return text + BoardText();
}

void ExpectIdle()
{
    EXPECT_EQ(Dragging, 0);
    EXPECT_EQ(SourceTower, NoTower);
    EXPECT_EQ(TargetTower, NoTower);
    EXPECT_EQ(SaveUnderDC, nullptr);
    EXPECT_EQ(SaveBitmap, nullptr);
}

class DiscDrag : public GameWindowTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(GameWindowTest::SetUp());
        // Ticks are sent by hand.
        TimerInterval = NoRealTicks;
        ASSERT_GT(ColumnWidth, 0) << "no first paint";
    }
};

TEST_F(DiscDrag, FloatingDiscIsRedAtPressGreenOverAnAcceptingTowerRedOverItsSource)
{
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

    Move(hwnd, Air(0));
    Pump();
    EXPECT_EQ(Pixel(hwnd, Air(0)), Green) << "over the empty left tower";
    EXPECT_EQ(Pixel(hwnd, press), White) << "old place not restored";

    POINT overSource = {ColumnCenter(1) + ColumnWidth / 4, Air(1).y};
    Move(hwnd, overSource);
    Pump();
    EXPECT_EQ(Pixel(hwnd, overSource), Red);
    EXPECT_EQ(Pixel(hwnd, Air(0)), White);

    Move(hwnd, Air(2));
    Pump();
    EXPECT_EQ(Pixel(hwnd, Air(2)), Green);
    Release(hwnd, Air(2));
    Pump();

    // No trace of the floating disc: what a full repaint draws.
    EXPECT_EQ(PixelsARepaintChanges(hwnd), 0);
    EXPECT_EQ(Pixel(hwnd, SlotCenter(2, 0, 1)), Green) << "not drawn on the target";
    EXPECT_EQ(Pixel(hwnd, SlotCenter(1, 2, 1)), White);
    EXPECT_EQ(BoardText(), "|32|1");
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

class DiscDragDrop : public DiscDrag, public ::testing::WithParamInterface<DropCase> {};

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

    Press(hwnd, c.pressOnDisc ? SlotCenter(c.from, fromSlot, size) : Air(c.from));
    Move(hwnd, Air(c.hover));
    Release(hwnd, Air(c.to));
    Pump();

    for (int t = 0; t < TowerCount; ++t) {
        EXPECT_EQ(StackOf(t), expected[t]) << "tower " << t;
        EXPECT_TRUE(SlotsAboveAreEmpty(t)) << "tower " << t;
    }
    EXPECT_EQ(MoveCount, 1);
    EXPECT_TRUE(answers.seen.empty()) << "a drop shows no message";
    ExpectIdle();
    int home = c.moves ? c.to : c.from;
    EXPECT_EQ(Pixel(hwnd, SlotCenter(home, Height(home) - 1, size)), Green);
    if (c.moves) {
        EXPECT_EQ(Pixel(hwnd, SlotCenter(c.from, fromSlot, size)), White);
    }
    EXPECT_EQ(PixelsARepaintChanges(hwnd), 0);
}

INSTANTIATE_TEST_SUITE_P(Table, DiscDragDrop, ::testing::ValuesIn(DropCases),
                         [](const ::testing::TestParamInfo<DropCase>& info) {
                             return std::string(info.param.name);
                         });

// A drag repaints nothing of the board: a marker where the board draws nothing stays, and
// one that the floating disc passes over comes back from the save-under, which is one
// memory DC and one bitmap of the disc's size, freed at the release.
TEST_F(DiscDrag, RepaintsNothingAndLivesOnOneSaveUnderBitmap)
{
    ASSERT_EQ(GdiCountFault(), "");
    // One drag first, so that whatever the system creates once on first use exists.
    DragDisc(hwnd, 1, 1);
    int idle = LiveGdiObjects();
    POINT corner = {4, 4};  // nothing of the board is drawn there
    POINT onPath = Air(0);
    PaintMarker(hwnd, corner);
    PaintMarker(hwnd, onPath);
    Press(hwnd, Air(1));
    const POINT path[] = {Air(0), {Air(0).x + 7, Air(0).y + 3}, Air(1), Air(2), Air(0), Air(2)};
    for (POINT p : path) {
        Move(hwnd, p);
        Pump();
        EXPECT_FALSE(GetUpdateRect(hwnd, nullptr, FALSE)) << "part of the window invalidated";
        EXPECT_EQ(Pixel(hwnd, corner), Marker);
        ASSERT_NE(SaveUnderDC, nullptr);
        EXPECT_EQ(GetObjectType(SaveUnderDC), static_cast<DWORD>(OBJ_MEMDC));
        EXPECT_EQ(GetObjectType(SaveBitmap), static_cast<DWORD>(OBJ_BITMAP));
        EXPECT_EQ(GetCurrentObject(SaveUnderDC, OBJ_BITMAP), SaveBitmap);
        BITMAP bm = {};
        GetObjectA(SaveBitmap, sizeof bm, &bm);
        EXPECT_EQ(bm.bmWidth, DragRect.right - DragRect.left);
        EXPECT_EQ(bm.bmHeight, DragRect.bottom - DragRect.top);
        EXPECT_EQ(LiveGdiObjects(), idle + 2) << "one memory DC and one bitmap";
    }
    EXPECT_EQ(Pixel(hwnd, onPath), Marker) << "not brought back from the save-under";
    Release(hwnd, Air(2));
    Pump();
    EXPECT_EQ(Pixel(hwnd, corner), Marker);
    EXPECT_EQ(Pixel(hwnd, onPath), Marker);
    EXPECT_EQ(BoardText(), "|32|1");
    ExpectIdle();
    EXPECT_EQ(SaveOldBitmap, nullptr);
    EXPECT_EQ(LiveGdiObjects(), idle);
    // A drop back on the source tower frees them too.
    DragDisc(hwnd, 2, 2);
    EXPECT_EQ(LiveGdiObjects(), idle);
    ExpectIdle();
}

// A press that lifts nothing: on an empty tower, on a solved board, in an automatic game,
// and during a drag that a release outside the window left under way.
struct IgnoredPressCase {
    const char* name;
    const char* stacks[TowerCount];
    bool automatic, dragging;
    int tower;
};

const IgnoredPressCase IgnoredPresses[] = {
    {"OnEmptyTower", {"", "321", ""}, false, false, 0},
    {"OnSolvedBoard", {"", "", "321"}, false, false, 2},
    {"InAutomaticGame", {"", "321", ""}, true, false, 1},
    {"DuringADrag", {"", "321", ""}, false, true, 1},
};

void PrintTo(const IgnoredPressCase& c, std::ostream* os)
{
    *os << c.name;
}

class DiscDragIgnoredPress : public DiscDrag,
                             public ::testing::WithParamInterface<IgnoredPressCase> {};

TEST_P(DiscDragIgnoredPress, ChangesNothingAndDrawsNothing)
{
    const IgnoredPressCase& c = GetParam();
    StartNewGame(hwnd, 3, c.automatic, NoRealTicks);
    LayOut(hwnd, c.stacks);
    if (c.dragging) {
        Press(hwnd, Air(1));
        Move(hwnd, Air(0));
        Pump();
    }
    ASSERT_EQ(PlayMode, c.automatic ? AutomaticPlay : ManualPlay);
    ASSERT_EQ(Dragging, c.dragging);
    ASSERT_EQ(GdiCountFault(), "");
    KeyAwaitSource = 0;  // a started drag would set it back to 1
    std::string before = DragState();
    int objects = LiveGdiObjects();
    std::vector<uint32_t> picture = Snapshot(hwnd);

    Press(hwnd, Air(c.tower));
    Pump();

    EXPECT_EQ(DragState(), before);
    EXPECT_EQ(LiveGdiObjects(), objects);
    EXPECT_EQ(DifferingPixels(picture, Snapshot(hwnd)), 0);
    EXPECT_TRUE(answers.seen.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, DiscDragIgnoredPress, ::testing::ValuesIn(IgnoredPresses),
                         [](const ::testing::TestParamInfo<IgnoredPressCase>& info) {
                             return std::string(info.param.name);
                         });

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
    EXPECT_EQ(BoardText(), "|32|1");
    EXPECT_EQ(MoveCount, 1);
    ExpectIdle();

    // The window changes size while the disc, released outside, floats over a base: the
    // pixels saved under it belong to the old picture and must not come back, also when
    // a movement comes before the repaint that the size change owes. The marker stands
    // for what the window shows until that repaint.
    struct Resized {
        int width, height, from, to;
    } const resized[] = {{900, 500, 1, 0}, {520, 270, 2, 0}};
    for (const Resized& r : resized) {
        SCOPED_TRACE(testing::Message() << r.width << " x " << r.height);
        CursorTo(hwnd, Air(r.from));
        ButtonInput(MOUSEEVENTF_LEFTDOWN);
        BoardRect base = BaseRect(r.to);
        CursorTo(hwnd, {(base.left + base.right) / 2, base.top});
        ASSERT_TRUE(PumpUntil([&] { return FloatsAt(CursorInClient(hwnd)); }));
        SetCursorPos(window.right + 40, window.bottom + 40);
        ButtonInput(MOUSEEVENTF_LEFTUP);
        SetWindowPos(hwnd, nullptr, 0, 0, r.width, r.height, SWP_NOMOVE | SWP_NOZORDER);
        PaintMarker(hwnd, Air(r.to));
        Move(hwnd, Air(r.to));
        UpdateWindow(hwnd);
        CursorTo(hwnd, Air(r.to));
        ASSERT_TRUE(PumpUntil([&] { return FloatsAt(CursorInClient(hwnd)); }));
        ButtonInput(MOUSEEVENTF_LEFTDOWN);
        ButtonInput(MOUSEEVENTF_LEFTUP);
        ASSERT_TRUE(PumpUntil([] { return Dragging == 0; }));
        EXPECT_EQ(PixelsARepaintChanges(hwnd), 0);
        GetWindowRect(hwnd, &window);
    }
    EXPECT_EQ(BoardText(), "21|3|");
}

TEST_F(DiscDrag, LastDropOfAnExactGameShowsTheResultWhileTheDragStillHolds)
{
    answers.inspect = [&](HWND dlg) {
        EXPECT_EQ(Dragging, 1);
        EXPECT_EQ(SourceTower, NoTower);
        EXPECT_EQ(TargetTower, NoTower);
        EXPECT_EQ(MoveCount, 7);
        EXPECT_EQ(ItemText(dlg, IDC_RESULT_TEXT), ExactText);
        // Out of the board's way, so that the board's pixels can be read.
        RECT main;
        GetWindowRect(hwnd, &main);
        SetWindowPos(dlg, nullptr, main.left, main.bottom + 10, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        POINT corner = {4, 4};
        PaintMarker(hwnd, corner);
        Repaint(hwnd);
        EXPECT_EQ(Pixel(hwnd, corner), White) << "no repaint under the result";
        for (int j = 0; j < 3; ++j)
            EXPECT_EQ(Pixel(hwnd, SlotCenter(2, j, 3 - j)), Green) << "slot " << j;
    };
    const int moves[][2] = {{1, 2}, {1, 0}, {2, 0}, {1, 2}, {0, 1}, {0, 2}, {1, 2}};
    for (const auto& m : moves) {
        ASSERT_TRUE(answers.seen.empty()) << "after move " << MoveCount;
        DragDisc(hwnd, m[0], m[1]);
    }
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].caption, "Geschafft !!!");
    EXPECT_EQ(answers.seen[0].owner, hwnd);
    EXPECT_FALSE(answers.seen[0].mainWindowEnabled);
    EXPECT_STREQ(ResultText, ExactText);
    EXPECT_EQ(MoveCount, 7);
    EXPECT_EQ(StackOf(2), "321");
    ExpectIdle();
}

TEST_F(DiscDrag, NewGameDuringADragEndsItWithoutDroppingTheDisc)
{
    ASSERT_EQ(GdiCountFault(), "");
    DragDisc(hwnd, 1, 1);  // what the system creates on first use, before counting
    int idle = LiveGdiObjects();
    Press(hwnd, Air(1));
    Move(hwnd, Air(0));
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
    EXPECT_EQ(BoardText(), "|4321|");
    for (int t = 0; t < TowerCount; ++t)
        EXPECT_TRUE(SlotsAboveAreEmpty(t)) << "tower " << t;

    Pump();
    EXPECT_EQ(Pixel(hwnd, SlotCenter(1, 3, 1)), Green) << "the new top disc is not hidden";
    EXPECT_EQ(Pixel(hwnd, Air(0)), White);

    // The release that would have dropped the old game's disc into this one.
    std::vector<uint32_t> picture = Snapshot(hwnd);
    Release(hwnd, Air(0));
    EXPECT_EQ(BoardText(), "|4321|");
    EXPECT_EQ(MoveCount, 0);
    EXPECT_EQ(DifferingPixels(picture, Snapshot(hwnd)), 0);

    DragDisc(hwnd, 1, 0);
    EXPECT_EQ(BoardText(), "1|432|");
    EXPECT_EQ(MoveCount, 1);
    EXPECT_EQ(Pixel(hwnd, SlotCenter(0, 0, 1)), Green);
    ExpectIdle();
    EXPECT_TRUE(answers.seen.empty());
}

}  // namespace
