// The platform's half of the board rules: the warning for a refused move.
#include <windows.h>

#include "../logic/board.h"

void ShowInvalidMove()
{
    MessageBeep(MB_ICONHAND);
    MessageBoxA(nullptr, "That move is not allowed !!!", "Invalid Move", MB_TASKMODAL);
}
