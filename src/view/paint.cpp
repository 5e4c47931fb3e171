#include "paint.h"

#include "../logic/board.h"
#include "../logic/game.h"
#include "../view/drag.h"
#include "layout.h"

HBRUSH BrushBrown;
HBRUSH BrushRed;
HBRUSH BrushGreen;
HBRUSH BrushWhite;

static const COLORREF BaseOutline = RGB(0, 64, 128);
static const COLORREF White = RGB(255, 255, 255);

void CreateBrushes()
{
    BrushBrown = CreateSolidBrush(RGB(128, 64, 0));
    BrushRed = CreateSolidBrush(RGB(255, 0, 0));
    BrushGreen = CreateSolidBrush(DiscOutline);
    BrushWhite = CreateSolidBrush(White);
}

void HandleSize(HWND hwnd)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    ClientRect = {rc.left, rc.top, rc.right, rc.bottom};
    InvalidateRect(hwnd, nullptr, TRUE);
}

void HandlePaint(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    SetCapture(hwnd);
    HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    PaintBoard(dc);
    SetCursor(previous);
    ReleaseCapture();
    EndPaint(hwnd, &ps);
}

static HFONT CreateBoardFont()
{
    return CreateFontA(FontHeight(), FontWidth(), 0, 0, FW_SEMIBOLD, 0, 0, 0, ANSI_CHARSET,
                       OUT_CHARACTER_PRECIS, CLIP_CHARACTER_PRECIS, PROOF_QUALITY, FF_SWISS,
                       "Arial");
}

static void TextAt(HDC dc, BoardPoint at, const char* text, int length)
{
    TextOutA(dc, at.x, at.y, text, length);
}

void DrawRoundedFigure(HDC dc, COLORREF outline, HBRUSH fill, int left, int top, int right,
                       int bottom, int cornerWidth, int cornerHeight)
{
    HPEN pen = CreatePen(PS_SOLID, 1, outline);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, fill);
    RoundRect(dc, left, top, right, bottom, cornerWidth, cornerHeight);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

static void DrawDisc(HDC dc, COLORREF outline, HBRUSH fill, int t, int slot, int size)
{
    BoardRect r = DiscRect(t, slot, size);
    BoardPoint corner = DiscCorner();
    DrawRoundedFigure(dc, outline, fill, r.left, r.top, r.right, r.bottom, corner.x, corner.y);
}

static void PaintTexts(HDC dc)
{
    HFONT font = CreateBoardFont();
    HGDIOBJ oldFont = SelectObject(dc, font);
    TextAt(dc, TowerLabelPos(0), "1", 1);
    TextAt(dc, TowerLabelPos(1), "2", 1);
    TextAt(dc, TowerLabelPos(2), "3", 1);
    TextAt(dc, CaptionPos(), " Zug :", 6);
    DrawMoveCounter(dc);
    SelectObject(dc, oldFont);
    DeleteObject(font);
}

static void PaintBases(HDC dc)
{
    HPEN pen = CreatePen(PS_SOLID, 1, BaseOutline);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, BrushBrown);
    BoardPoint corner = BaseCorner();
    for (int t = 0; t < TowerCount; ++t) {
        BoardRect r = BaseRect(t);
        RoundRect(dc, r.left, r.top, r.right, r.bottom, corner.x, corner.y);
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

// The top disc of the tower being dragged floats under the cursor instead.
static bool IsLiftedDisc(int t, int slot)
{
    return t == SourceTower && Towers[t][slot + 1] == 0;
}

static void PaintDiscs(HDC dc)
{
    HPEN pen = CreatePen(PS_SOLID, 1, DiscOutline);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, BrushGreen);
    BoardPoint corner = DiscCorner();
    for (int t = 0; t < TowerCount; ++t) {
        for (int slot = 0; slot < SlotCount - 1; ++slot) {
            int d = Towers[t][slot];
            if (d <= 0 || IsLiftedDisc(t, slot))
                continue;
            BoardRect r = DiscRect(t, slot, d);
            RoundRect(dc, r.left, r.top, r.right, r.bottom, corner.x, corner.y);
        }
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

void PaintBoard(HDC dc)
{
    ComputeMetrics();
    PaintTexts(dc);
    PaintBases(dc);
    PaintDiscs(dc);
}

void DrawMoveCounter(HDC dc)
{
    HFONT font = CreateBoardFont();
    HGDIOBJ oldFont = SelectObject(dc, font);
    char text[16];
    FormatMoveCounter(text, sizeof text, MoveCount);
    TextAt(dc, CounterPos(), text, CounterDigits);
    SelectObject(dc, oldFont);
    DeleteObject(font);
}

static void DrawTopDiscWith(HDC dc, int8_t tower, COLORREF outline, HBRUSH fill)
{
    if (tower < 0 || tower >= TowerCount)
        return;
    int count = StackHeightForDrawing(tower);
    if (count == 0)
        return;
    DrawDisc(dc, outline, fill, tower, count - 1, Towers[tower][count - 1]);
}

void DrawTopDisc(HDC dc, int8_t tower)
{
    DrawTopDiscWith(dc, tower, DiscOutline, BrushGreen);
}

void EraseTopDisc(HDC dc, int8_t tower)
{
    DrawTopDiscWith(dc, tower, White, BrushWhite);
}
