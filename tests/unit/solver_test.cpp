#include <gtest/gtest.h>

#include "logic/board.h"
#include "logic/game.h"
#include "logic/solver.h"
#include "warning_recorder.h"

namespace {

void StartGame(int n)
{
    OptDiscCount = static_cast<int8_t>(n);
    OptPlayMode = AutomaticPlay;
    BeginNextGame();
    InvalidMoveWarnings = 0;
}

// Replays the solver's plan through the move rules, as each step does. Legal moves, the
// minimum count and the goal tower leave one possible sequence for each height.
TEST(Solver, SolvesEveryHeightInTheMinimumThroughLegalMoves)
{
    for (int n = 1; n <= 9; ++n) {
        StartGame(n);
        int steps = 0;
        while (!IsSolved() && steps < 2000) {
            int8_t from, to;
            PlanSolverStep(&from, &to);
            ASSERT_TRUE(IsMoveAllowed(from, to)) << "n " << n << " step " << steps + 1;
            ASSERT_TRUE(MoveDisc(from, to));
            ++steps;
        }
        EXPECT_EQ(steps, MinimalMoves(static_cast<int8_t>(n))) << "n " << n;
        EXPECT_EQ(InvalidMoveWarnings, 0);
        int goal = n % 2 == 1 ? 2 : 0;  // slot n - 1 taken: all n discs stand there
        EXPECT_EQ(Towers[goal][n - 1], 1) << "n " << n;
    }
}

}  // namespace
