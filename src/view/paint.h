// Painting the board with GDI: the full repaint and the three small operations that
// every move uses instead of one.
#pragma once

#include <windows.h>

#include <cstdint>

#include "layout.h"

extern HBRUSH BrushBrown;
extern HBRUSH BrushRed;
extern HBRUSH BrushGreen;
extern HBRUSH BrushWhite;

constexpr COLORREF DiscOutline = RGB(0, 128, 0);

void CreateBrushes();
void HandleSize(HWND hwnd);
void HandlePaint(HWND hwnd);
void PaintBoard(HDC dc);
void DrawMoveCounter(HDC dc);
void DrawTopDisc(HDC dc, int8_t tower);
void EraseTopDisc(HDC dc, int8_t tower);

// One rounded rectangle with a fresh 1-pixel pen of the given colour and a brush;
// the previous pen and brush are selected back and the pen is deleted.
void DrawRoundedFigure(HDC dc, COLORREF outline, HBRUSH fill, BoardRect r, BoardPoint corner);
