#include "keyboard.h"

#include "../logic/board.h"
#include "../logic/game.h"
#include "../view/drag.h"
#include "../view/paint.h"
#include "autoplay.h"
#include "gameflow.h"
#include "keys.h"

static void MoveByKeys(HWND hwnd, HDC dc)
{
    int8_t from = static_cast<int8_t>(KeySource - 1);
    int8_t to = static_cast<int8_t>(KeyTarget - 1);
    bool sourceHasDisc = TopDiscOf(from) != 0;
    if (sourceHasDisc)
        EraseTopDisc(dc, from);
    // A refused move shows its box here, with the source disc still painted out.
    if (MoveDisc(from, to))
        DrawTopDisc(dc, to);
    else if (sourceHasDisc)
        DrawTopDisc(dc, from);
    ConcludeManualMove(hwnd, dc);
}

void HandleChar(HWND hwnd, WPARAM ch)
{
    HDC dc = GetDC(hwnd);
    if (IsAcceptedDigit(static_cast<unsigned>(ch), PlayMode, SourceTower, IsSolved())) {
        if (TakeTowerDigit(static_cast<unsigned>(ch)))
            MoveByKeys(hwnd, dc);
    } else if (PlayMode == AutomaticPlay && ch == ' ') {
        AutoStep(hwnd);
    }
    ReleaseDC(hwnd, dc);
}
