#include "solver.h"

#include "board.h"

int8_t SmallDiscTower;
uint8_t SolverStarting;
uint8_t SmallDiscTurn;

void ResetSolver()
{
    SolverStarting = 1;
    SmallDiscTurn = 1;
}

// Disc 1 travels middle -> right -> left -> middle.
static int8_t NextInCycle(int8_t t)
{
    switch (t) {
    case 0: return 1;
    case 1: return 2;
    default: return 0;
    }
}

void PlanSolverStep(int8_t* from, int8_t* to)
{
    if (SolverStarting) {
        SolverStarting = 0;
        SmallDiscTower = 1;
    }
    if (SmallDiscTurn) {
        SmallDiscTurn = 0;
        *from = SmallDiscTower;
        *to = NextInCycle(SmallDiscTower);
        SmallDiscTower = *to;
        return;
    }
    SmallDiscTurn = 1;
    int8_t lower, higher;
    switch (SmallDiscTower) {
    case 2: lower = 0; higher = 1; break;
    case 0: lower = 1; higher = 2; break;
    default: lower = 0; higher = 2; break;
    }
    if (IsMoveAllowed(lower, higher)) {
        *from = lower;
        *to = higher;
    } else {
        *from = higher;
        *to = lower;
    }
}
