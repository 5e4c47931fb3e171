#include "warning_recorder.h"

#include "logic/board.h"

int InvalidMoveWarnings;

void ShowInvalidMove()
{
    ++InvalidMoveWarnings;
}
