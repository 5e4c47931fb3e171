#include "gameflow.h"

#include "../logic/board.h"
#include "../logic/game.h"
#include "../view/drag.h"
#include "../view/paint.h"
#include "accessible.h"
#include "boxes.h"
#include "dialogs.h"
#include "keys.h"

UINT_PTR TimerId;
uint32_t GameInterval;

void NewGame(HWND hwnd)
{
    // A drag that outlived a release outside the window must not carry its disc
    // into the new board.
    AbandonDrag();
    // Nor may half a typed move: "2", New Game, "1" would move a disc of the new board.
    KeyAwaitSource = 1;
    BeginNextGame();
    // A running timer is replaced, never stopped here: a manual game ignores ticks.
    if (PlayMode == AutomaticPlay) {
        GameInterval = TimerInterval;
        SetTimer(hwnd, TimerId, GameInterval, nullptr);
    }
    InvalidateRect(hwnd, nullptr, TRUE);
    AnnounceBoard(hwnd);
}

void ConcludeManualMove(HWND hwnd, HDC dc)
{
    ++MoveCount;
    DrawMoveCounter(dc);
    AnnounceBoard(hwnd);
    if (!IsSolved())
        return;
    ComposeManualResult(MoveCount, MinimalMoves(DiscCount));
    ShowFinishDialog(hwnd);
}

void ShowFinishDialog(HWND hwnd)
{
    OpenDialog(hwnd, "FINISH", FinishDlgProc);
}
