#include "autoplay.h"

#include "../logic/board.h"
#include "../logic/game.h"
#include "../logic/solver.h"
#include "../view/paint.h"
#include "accessible.h"
#include "gameflow.h"

// Set for the length of a step. A step may wait in a modal box whose loop keeps
// dispatching ticks; without this, such a tick would run a step nested in the first.
static bool StepInProgress;

static void MakeSolverMove(HDC dc)
{
    int8_t from, to;
    PlanSolverStep(&from, &to);
    ++MoveCount;
    EraseTopDisc(dc, from);
    MoveDisc(from, to);
    DrawTopDisc(dc, to);
    DrawMoveCounter(dc);
}

void AutoStep(HWND hwnd)
{
    if (StepInProgress)
        return;
    StepInProgress = true;
    HDC dc = GetDC(hwnd);
    if (!IsSolved()) {
        MakeSolverMove(dc);
        AnnounceSolverStep(hwnd, GameInterval);
        if (IsSolved()) {
            uint32_t solvedGame = GamesBegun;
            ComposeComputerResult(MoveCount, MinimalMoves(DiscCount));
            ShowFinishDialog(hwnd);
            // A game begun while the result was open runs on the same timer.
            if (GamesBegun == solvedGame)
                KillTimer(hwnd, TimerId);
        }
    }
    ReleaseDC(hwnd, dc);
    StepInProgress = false;
}
