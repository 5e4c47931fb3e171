#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "boards.h"
#include "logic/board.h"
#include "warning_recorder.h"

namespace {

void StartWith(int n)
{
    DiscCount = static_cast<int8_t>(n);
    ClearBoard();
    FillStartTower(static_cast<int8_t>(n));
    InvalidMoveWarnings = 0;
}

TEST(Board, FillStartTowerWritesOnlyItsSlots)
{
    std::memset(Towers, 7, sizeof Towers);
    FillStartTower(2);
    EXPECT_EQ(Towers[1][0], 2);
    EXPECT_EQ(Towers[1][1], 1);
    EXPECT_EQ(Towers[1][2], 0);
    EXPECT_EQ(Towers[1][3], 7);
    EXPECT_EQ(Towers[0][0], 7);

    std::memset(Towers, 7, sizeof Towers);
    FillStartTower(-1);
    FillStartTower(10);  // would run past the last slot
    for (auto& tower : Towers)
        for (int8_t slot : tower)
            EXPECT_EQ(slot, 7);
}

TEST(Board, TopDiscOf)
{
    SetBoard("32", "", "1");
    EXPECT_EQ(TopDiscOf(0), 2);
    EXPECT_EQ(TopDiscOf(1), 0);
    EXPECT_EQ(TopDiscOf(2), 1);
    EXPECT_EQ(TopDiscOf(NoTower), 0);
    EXPECT_EQ(TopDiscOf(3), 0);
    EXPECT_EQ(TopDiscOf(-128), 0);
}

TEST(Board, IsMoveAllowed)
{
    const struct {
        const char* towers[TowerCount];
        int from, to;
        bool allowed;
    } cases[] = {
        {{"", "321", ""}, 1, 0, true},
        {{"", "321", ""}, 1, 2, true},
        {{"", "321", ""}, 1, 1, false},  // same tower, not empty
        {{"", "321", ""}, 0, 2, false},  // empty source
        {{"", "321", ""}, 0, 0, false},
        {{"", "32", "1"}, 1, 2, false},  // larger onto smaller
        {{"", "32", "1"}, 2, 1, true},
        {{"", "32", "1"}, 2, 0, true},   // onto an empty tower
        {{"", "321", ""}, 1, NoTower, false},
        {{"", "321", ""}, 1, 3, false},
        {{"", "321", ""}, NoTower, 1, false},
        {{"", "321", ""}, 5, 0, false},
    };
    for (const auto& c : cases) {
        SetBoard(c.towers[0], c.towers[1], c.towers[2]);
        EXPECT_EQ(IsMoveAllowed(static_cast<int8_t>(c.from), static_cast<int8_t>(c.to)),
                  c.allowed)
            << c.from << " -> " << c.to;
    }
}

TEST(Board, MinimalMoves)
{
    const int expected[] = {0, 1, 3, 7, 15, 31, 63, 127, 255, 511};
    for (int n = 0; n <= 9; ++n)
        EXPECT_EQ(MinimalMoves(static_cast<int8_t>(n)), expected[n]);
    EXPECT_EQ(MinimalMoves(-3), 0);
}

// Also the refusals: a refused move, out-of-range towers included, warns once and changes
// nothing.
TEST(Board, RandomMovesKeepTheInvariant)
{
    std::mt19937 rng(20261208);
    std::uniform_int_distribution<int> tower(-1, 3);  // includes values that name no tower
    for (int n = 1; n <= 9; ++n) {
        StartWith(n);
        int moved = 0;
        for (int i = 0; i < 20000; ++i) {
            int8_t from = static_cast<int8_t>(tower(rng));
            int8_t to = static_cast<int8_t>(tower(rng));
            int8_t before[TowerCount][SlotCount];
            std::memcpy(before, Towers, sizeof Towers);
            int warnings = InvalidMoveWarnings;
            bool allowed = IsMoveAllowed(from, to);
            bool result = MoveDisc(from, to);
            ASSERT_EQ(result, allowed);
            if (result) {
                ++moved;
                ASSERT_EQ(InvalidMoveWarnings, warnings);
            } else {
                ASSERT_EQ(InvalidMoveWarnings, warnings + 1);
                ASSERT_EQ(std::memcmp(before, Towers, sizeof Towers), 0);
            }
            ASSERT_EQ(BoardFault(), "") << "n " << n << " step " << i;
        }
        EXPECT_GT(moved, 1000) << "the run should make many real moves";
    }
}

}  // namespace
