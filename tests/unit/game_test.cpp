#include <gtest/gtest.h>

#include <string>

#include "logic/board.h"
#include "logic/game.h"
#include "logic/solver.h"

namespace {

TEST(Game, StartupResetKeepsTheCurrentSettings)
{
    DiscCount = 3;
    OptDiscCount = 7;
    OptPlayMode = AutomaticPlay;
    MoveCount = 42;
    SolverStarting = 0;
    SmallDiscTurn = 0;
    StartupReset();
    EXPECT_EQ(MoveCount, 0);
    EXPECT_EQ(TopDiscOf(1), 1);
    EXPECT_EQ(Towers[1][0], 3);
    EXPECT_EQ(Towers[1][3], 0);
    EXPECT_EQ(SolverStarting, 1);
    EXPECT_EQ(SmallDiscTurn, 1);
    EXPECT_EQ(PlayMode, ManualPlay);
    OptDiscCount = 3;
    OptPlayMode = ManualPlay;
}

TEST(Game, SurplusPercent)
{
    const struct {
        int moves, minimal, percent;
    } cases[] = {{8, 7, 14}, {9, 7, 28}, {4, 3, 33}, {2, 1, 100},
                 {512, 511, 0}, {1022, 511, 100}, {7, 7, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(SurplusPercent(c.moves, c.minimal), c.percent)
            << c.moves << " / " << c.minimal;
}

// The texts are Windows-1252 bytes: ü is 0xFC, ö is 0xF6.
TEST(Game, ResultTextsByteForByte)
{
    const struct {
        bool computer;
        int moves, minimal;
        const char* text;
    } cases[] = {
        {false, 7, 7,
         "Fertig !!!, Sie sind wirklich gut, kein Zug zuviel !!!\x0a"
         "Warum nehmen Sie nicht mehr Platten ?"},
        {false, 9, 7,
         "Wie schade !!! Sie brauchten 9 Z\xfcge, notwendig waren 7. Sie haben 2 Z\xfcge, "
         "das sind 28 Prozent\x0azuviel gemacht. Versuchen Sie es nochmal !!!"},
        {false, 512, 511,
         "Wie schade !!! Sie brauchten 512 Z\xfcge, notwendig waren 511. Sie haben 1 Z\xfcge, "
         "das sind 0 Prozent\x0azuviel gemacht. Versuchen Sie es nochmal !!!"},
        {true, 15, 15,
         "Der Computer ben\xf6tigte 15 Z\xfcge, notwendig\x0a"
         "waren 15. Nun, das ist nicht schlecht, oder ?"},
    };
    for (const auto& c : cases) {
        if (c.computer)
            ComposeComputerResult(c.moves, c.minimal);
        else
            ComposeManualResult(c.moves, c.minimal);
        EXPECT_EQ(std::string(ResultText), std::string(c.text));
    }
}

TEST(Game, LongestResultFitsTheBuffer)
{
    ComposeManualResult(-2147483647 - 1, 1);
    EXPECT_LT(std::string(ResultText).size(), 180u);
    ComposeManualResult(2147483647, 511);
    EXPECT_NE(std::string(ResultText).find("2147483647"), std::string::npos);
}

}  // namespace
