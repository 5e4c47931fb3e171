#include "drag.h"

#include "../logic/board.h"
#include "../logic/game.h"
#include "../shell/gameflow.h"
#include "../shell/keys.h"
#include "paint.h"

uint8_t Dragging;
int8_t SourceTower = NoTower;
int8_t TargetTower = NoTower;
int8_t LiftedDisc;
BoardRect DragRect;
HDC SaveUnderDC;
HBITMAP SaveBitmap;
HBITMAP SaveOldBitmap;

static void DrawFloatingDisc(HDC dc, HBRUSH fill)
{
    DrawRoundedFigure(dc, DiscOutline, fill, DragRect, DiscCorner());
}

static void SaveUnderDragRect(HWND hwnd)
{
    SaveUnder(hwnd, DragRect.left, DragRect.top, DragRect.right, DragRect.bottom);
}

static void RestoreUnderDragRect(HWND hwnd)
{
    RestoreUnder(hwnd, DragRect.left, DragRect.top, DragRect.right, DragRect.bottom);
}

void StartDrag(HWND hwnd, int x, int y)
{
    if (IsSolved() || Dragging || PlayMode == AutomaticPlay)
        return;
    // A repaint still owed after a size change goes first: the metrics and the
    // pixels saved under the disc must be those of the board as it now looks.
    UpdateWindow(hwnd);
    int8_t t = TowerAtX(x);
    int8_t d = TopDiscOf(t);
    if (d == 0)
        return;
    HDC dc = GetDC(hwnd);
    SourceTower = t;
    LiftedDisc = d;
    Dragging = 1;
    EraseTopDisc(dc, t);
    KeyAwaitSource = 1;
    DragRect = FloatingDiscRect(x, y, d);
    SaveUnderDragRect(hwnd);
    // Red at first, whatever lies beneath: only a movement judges the target.
    DrawFloatingDisc(dc, BrushRed);
    ReleaseDC(hwnd, dc);
}

void TrackDrag(HWND hwnd, int x, int y)
{
    if (!Dragging)
        return;
    HDC dc = GetDC(hwnd);
    RestoreUnderDragRect(hwnd);
    // A move may come between a size change and its repaint: saved now, the old
    // picture would come back later as a stale patch on the new board.
    UpdateWindow(hwnd);
    TargetTower = TowerAtX(x);
    bool allowed = IsMoveAllowed(SourceTower, TargetTower);
    DragRect = FloatingDiscRect(x, y, LiftedDisc);
    SaveUnderDragRect(hwnd);
    DrawFloatingDisc(dc, allowed ? BrushGreen : BrushRed);
    ReleaseDC(hwnd, dc);
}

void EndDrag(HWND hwnd, int x, int)
{
    if (!Dragging)
        return;
    HDC dc = GetDC(hwnd);
    RestoreUnderDragRect(hwnd);
    TargetTower = TowerAtX(x);
    if (IsMoveAllowed(SourceTower, TargetTower)) {
        uint8_t s, f;
        FindMoveSlots(SourceTower, TargetTower, &s, &f);
        Towers[TargetTower][f] = Towers[SourceTower][s];
        Towers[SourceTower][s] = 0;
        DrawTopDisc(dc, TargetTower);
    } else {
        DrawTopDisc(dc, SourceTower);
    }
    SourceTower = NoTower;
    TargetTower = NoTower;
    ConcludeManualMove(hwnd, dc);
    ReleaseDC(hwnd, dc);
    // Only now: presses stay ignored while the result dialog is open.
    Dragging = 0;
}

void SaveUnder(HWND hwnd, int left, int top, int right, int bottom)
{
    HDC dc = GetDC(hwnd);
    SaveUnderDC = CreateCompatibleDC(dc);
    SaveBitmap = CreateCompatibleBitmap(dc, right - left, bottom - top);
    SaveOldBitmap = static_cast<HBITMAP>(SelectObject(SaveUnderDC, SaveBitmap));
    BitBlt(SaveUnderDC, 0, 0, right - left, bottom - top, dc, left, top, SRCCOPY);
    ReleaseDC(hwnd, dc);
}

static void FreeSaveUnder()
{
    SelectObject(SaveUnderDC, SaveOldBitmap);
    DeleteObject(SaveBitmap);
    DeleteDC(SaveUnderDC);
    SaveUnderDC = nullptr;
    SaveBitmap = nullptr;
    SaveOldBitmap = nullptr;
}

void RestoreUnder(HWND hwnd, int left, int top, int right, int bottom)
{
    if (!SaveUnderDC)
        return;
    HDC dc = GetDC(hwnd);
    BitBlt(dc, left, top, right - left, bottom - top, SaveUnderDC, 0, 0, SRCCOPY);
    FreeSaveUnder();
    ReleaseDC(hwnd, dc);
}

void DropSaveUnder()
{
    if (SaveUnderDC)
        FreeSaveUnder();
}

void AbandonDrag()
{
    if (!Dragging)
        return;
    DropSaveUnder();
    Dragging = 0;
    SourceTower = NoTower;
    TargetTower = NoTower;
}
