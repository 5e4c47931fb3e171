#include <gtest/gtest.h>

#include <string>

#include "logic/board.h"
#include "tests/unit/geometry_table.h"
#include "view/layout.h"

namespace {

void Client(int w, int h)
{
    ClientRect = {0, 0, w, h};
    ComputeMetrics();
}

void ExpectRect(BoardRect r, BoardRect want)
{
    EXPECT_EQ(r.left, want.left);
    EXPECT_EQ(r.top, want.top);
    EXPECT_EQ(r.right, want.right);
    EXPECT_EQ(r.bottom, want.bottom);
}

void ExpectPoint(BoardPoint p, BoardPoint want)
{
    EXPECT_EQ(p.x, want.x);
    EXPECT_EQ(p.y, want.y);
}

TEST(Layout, GeometryAtEvenAndUnevenSizes)
{
    const int disc[4][3] = {{1, 0, 9}, {1, 4, 5}, {1, 8, 1}, {0, 3, 5}};  // tower, slot, size
    for (const ExpectedGeometry& g : Geometries) {
        SCOPED_TRACE(testing::Message() << g.w << " x " << g.h);
        Client(g.w, g.h);
        EXPECT_EQ(LabelHeight, g.label);
        EXPECT_EQ(ColumnWidth, g.column);
        EXPECT_EQ(FirstColumnCenter, g.firstCentre);
        EXPECT_EQ(BaseOffset, g.baseOffset);
        EXPECT_EQ(FootLine(), g.foot);
        EXPECT_EQ(DiscUnit(), g.unit);
        EXPECT_EQ(FontHeight(), g.label);
        EXPECT_EQ(FontWidth(), g.fontWidth);
        for (int t = 0; t < 3; ++t) {
            ExpectPoint(TowerLabelPos(t), g.towerLabels[t]);
            ExpectRect(BaseRect(t), g.bases[t]);
        }
        ExpectPoint(CaptionPos(), g.caption);
        ExpectPoint(CounterPos(), g.counter);
        ExpectPoint(BaseCorner(), g.baseCorner);
        for (int i = 0; i < 4; ++i)
            ExpectRect(DiscRect(disc[i][0], disc[i][1], disc[i][2]), g.discs[i]);
        ExpectPoint(DiscCorner(), g.discCorner);
        ExpectRect(FloatingDiscRect(300, 100, 4), g.floating);
        for (int j = 0; j < 9; ++j) {  // filled rows: from the upper edge to one above the lower
            BoardRect r = DiscRect(1, j, 3);
            EXPECT_EQ(r.bottom, g.slotRows[j][0]) << "slot " << j;
            EXPECT_EQ(r.top - 1, g.slotRows[j][1]) << "slot " << j;
        }
    }
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
    ExpectRect(FloatingDiscRect(-5, -3, 3), {-45, -11, 35, 5});
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

}  // namespace
