#include <gtest/gtest.h>

#include "logic/board.h"
#include "logic/game.h"
#include "support.h"
#include "view/layout.h"

namespace {

TEST(MainWindow, StartsWithThreeDiscsAndPaints)
{
    HWND hwnd = CreateGameWindow();
    ASSERT_NE(hwnd, nullptr);
    RECT rc;
    GetWindowRect(hwnd, &rc);
    EXPECT_EQ(rc.right - rc.left, 640);
    EXPECT_EQ(rc.bottom - rc.top, 316);
    EXPECT_EQ(Towers[1][0], 3);
    EXPECT_EQ(PlayMode, ManualPlay);
    EXPECT_EQ(MoveCount, 0);
    BoardRect disc = DiscRect(1, 0, 3);
    EXPECT_EQ(PixelAt(hwnd, ColumnCenter(1), disc.bottom + 1), RGB(0, 128, 0));
    DestroyWindow(hwnd);
}

}  // namespace
