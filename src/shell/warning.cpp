// The platform's half of the board rules: the warning for a refused move.
#include <windows.h>

#include "../logic/board.h"
#include "boxes.h"

void ShowInvalidMove()
{
    MessageBeep(MB_ICONHAND);
    OpenWarningBox("That move is not allowed !!!", "Invalid Move");
}
