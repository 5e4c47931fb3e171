// Manual play with the mouse: lift a tower's top disc, let it float under the cursor
// over a save-under of the pixels it covers, drop it or send it back.
#pragma once

#include <windows.h>

#include <cstdint>

#include "layout.h"

extern uint8_t Dragging;
extern int8_t SourceTower;  // NoTower unless a drag is in progress
extern int8_t TargetTower;
extern int8_t LiftedDisc;
extern BoardRect DragRect;
extern HDC SaveUnderDC;
extern HBITMAP SaveBitmap;
extern HBITMAP SaveOldBitmap;

void StartDrag(HWND hwnd, int x, int y);
void TrackDrag(HWND hwnd, int x, int y);
void EndDrag(HWND hwnd, int x, int y);
void SaveUnder(HWND hwnd, int left, int top, int right, int bottom);
void RestoreUnder(HWND hwnd, int left, int top, int right, int bottom);

// Forgets the pixels saved under the floating disc: after a size change they belong
// to no picture. The floating disc is drawn again at the next mouse movement.
void DropSaveUnder();
// Ends a drag without dropping its disc: used when a new game replaces the board.
void AbandonDrag();
