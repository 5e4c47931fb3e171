#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "logic/board.h"
#include "view/layout.h"

namespace {

void Client(int w, int h)
{
    ClientRect = {0, 0, w, h};
    ComputeMetrics();
}

void ExpectRect(BoardRect r, int left, int top, int right, int bottom)
{
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right, right);
    EXPECT_EQ(r.bottom, bottom);
}

void ExpectPoint(BoardPoint p, int x, int y)
{
    EXPECT_EQ(p.x, x);
    EXPECT_EQ(p.y, y);
}

TEST(Layout, WorkedExample640x288)
{
    Client(640, 288);
    EXPECT_EQ(LabelHeight, 24);
    EXPECT_EQ(ColumnWidth, 213);
    EXPECT_EQ(FirstColumnCenter, 106);
    EXPECT_EQ(BaseOffset, 63);
    EXPECT_EQ(FootLine(), 225);
    EXPECT_EQ(DiscUnit(), 20);
    EXPECT_EQ(FontWidth(), 16);
    EXPECT_EQ(FontHeight(), 24);
    ExpectPoint(TowerLabelPos(0), 106, 258);
    ExpectPoint(TowerLabelPos(1), 319, 258);
    ExpectPoint(TowerLabelPos(2), 532, 258);
    ExpectPoint(CaptionPos(), 426, 12);
    ExpectPoint(CounterPos(), 532, 12);
    ExpectRect(BaseRect(0), 6, 243, 206, 252);
    ExpectRect(BaseRect(1), 219, 243, 419, 252);
    ExpectRect(BaseRect(2), 432, 243, 632, 252);
    ExpectPoint(BaseCorner(), 17, 8);
    ExpectRect(DiscRect(1, 0, 9), 219, 241, 419, 226);
    ExpectRect(DiscRect(1, 1, 8), 229, 225, 409, 210);
    ExpectRect(DiscRect(1, 8, 1), 299, 113, 339, 98);
    ExpectPoint(DiscCorner(), 26, 12);
}

TEST(Layout, SmallAndZeroClient)
{
    Client(640, 36);
    EXPECT_EQ(LabelHeight, 3);
    EXPECT_EQ(BaseOffset, 10);
    EXPECT_EQ(BaseRect(0).top, 30);
    EXPECT_EQ(BaseRect(0).bottom, 31);

    Client(0, 0);
    EXPECT_EQ(LabelHeight, 0);
    EXPECT_EQ(ColumnWidth, 0);
    EXPECT_EQ(FirstColumnCenter, 0);
    EXPECT_EQ(BaseOffset, 3);
    BoardRect disc = DiscRect(1, 0, 9);
    EXPECT_EQ(disc.left, disc.right);
    BoardRect base = BaseRect(2);
    EXPECT_EQ(base.left, base.right);
}

// The integer forms must agree with the single-precision factors, computed in double.
TEST(Layout, IntegerFormsMatchTheFloatingPointOnes)
{
    const double twelfth = static_cast<double>(1.0f / 12.0f);
    const double thirtyFifthOf36 = static_cast<double>(35.0f / 36.0f);
    for (int h = 0; h <= 4000; ++h) {
        Client(640, h);
        ASSERT_EQ(BaseOffset, static_cast<int>(h * twelfth + LabelHeight * 1.5 + 3.0)) << h;
        BoardRect base = BaseRect(0);
        ASSERT_EQ(base.top, static_cast<int>(LabelHeight * -1.5 + h * thirtyFifthOf36)) << h;
        ASSERT_EQ(base.bottom, static_cast<int>(h - LabelHeight * 1.5)) << h;
        ASSERT_EQ(TowerLabelPos(0).y, h - static_cast<int>(LabelHeight * 1.25)) << h;
    }
}

TEST(Layout, DiscsOfEverySizeAndSlot)
{
    Client(640, 288);
    for (int slot = 0; slot < 9; ++slot) {
        BoardRect r = DiscRect(0, slot, 5);
        // Handed over bottom first; the filled rows stop one short of the lower edge.
        EXPECT_GT(r.top, r.bottom);
        if (slot > 0) {  // one blank row between neighbours
            EXPECT_EQ(DiscRect(0, slot - 1, 6).bottom - 1, r.top);
        }
    }
    for (int d = 1; d <= 9; ++d) {
        BoardRect r = DiscRect(2, 0, d);
        EXPECT_EQ(r.right - ColumnCenter(2), ((d + 1) * DiscUnit()) / 2);
        EXPECT_EQ(ColumnCenter(2) - r.left, ((d + 1) * DiscUnit()) / 2);
    }
    BoardRect nine = DiscRect(0, 0, 9);
    EXPECT_EQ(nine.right - nine.left, 10 * DiscUnit());
    EXPECT_EQ(nine.left, BaseRect(0).left);
    EXPECT_EQ(nine.right, BaseRect(0).right);
}

TEST(Layout, FloatingDiscHasOneHeightForEverySize)
{
    Client(640, 288);
    for (int d = 1; d <= 9; ++d) {
        BoardRect r = FloatingDiscRect(300, 100, d);
        EXPECT_EQ(r.top, 100 - 8);
        EXPECT_EQ(r.bottom, 100 + 8);
        BoardRect onTower = DiscRect(1, 0, d);
        EXPECT_EQ(r.right - r.left, onTower.right - onTower.left);
        EXPECT_EQ(r.left, 300 - ((d + 1) * 20) / 2);
    }
    // Near the window's corner the rectangle may start outside it.
    BoardRect corner = FloatingDiscRect(-5, -3, 3);
    ExpectRect(corner, -45, -11, 35, 5);
}

TEST(Layout, TowerAtColumnBoundaries)
{
    Client(640, 288);
    const int c = ColumnWidth;
    const struct {
        int x, tower;
    } cases[] = {{-100, 0}, {0, 0}, {c - 1, 0}, {c, 1}, {2 * c - 1, 1},
                 {2 * c, 2}, {639, 2}, {5000, 2}};
    for (const auto& e : cases)
        EXPECT_EQ(TowerAtX(e.x), e.tower) << "x " << e.x;
}

TEST(Layout, CounterText)
{
    const struct {
        int moves;
        const char* shown;
    } cases[] = {{0, "00000"}, {123, "00123"}, {99999, "99999"}, {100000, "10000"}};
    for (const auto& c : cases) {
        char text[16];
        FormatMoveCounter(text, c.moves);
        EXPECT_EQ(std::string(text, CounterDigits), c.shown);
    }
}

TEST(Layout, DrawingHeightStopsAtTheFirstGap)
{
    ClearBoard();
    FillStartTower(9);
    EXPECT_EQ(StackHeightForDrawing(1), 9);
    EXPECT_EQ(StackHeightForDrawing(0), 0);
}

}  // namespace
