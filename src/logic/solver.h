// The computer's choice of move: the iterative solution, one step at a time. Pure.
#pragma once

#include <cstdint>

extern int8_t SmallDiscTower;  // where the solver believes disc 1 lies
extern uint8_t SolverStarting; // 1 until the first step of a game
extern uint8_t SmallDiscTurn;  // 1: the next step moves the smallest disc

void ResetSolver();

// Advances the solver's flags by one step and gives that step's move. The solver
// trusts its own bookkeeping: it never looks for disc 1 on the board.
void PlanSolverStep(int8_t* from, int8_t* to);
