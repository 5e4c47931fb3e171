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
    // The whole board is painted anew at the new size, the floating disc's
    // surroundings too; only at the same size would the old pixels still fit.
    if (rc.right != ClientRect.right || rc.bottom != ClientRect.bottom)
        DropSaveUnder();
    ClientRect = {rc.left, rc.top, rc.right, rc.bottom};
    InvalidateRect(hwnd, nullptr, TRUE);
}

void HandlePaint(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    // The mouse is left alone: while the border or caption is dragged the system's
    // move loop holds the capture, and taking it away stops the window following.
    HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    PaintBoard(dc);
    SetCursor(previous);
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

// The pen and brush of a run of rounded rectangles. The pen lives for one drawing call;
// the previous pen and brush go back into the surface afterwards.
struct FigureTools {
    HPEN pen;
    HGDIOBJ oldPen, oldBrush;
};

static FigureTools SelectFigureTools(HDC dc, COLORREF outline, HBRUSH fill)
{
    HPEN pen = CreatePen(PS_SOLID, 1, outline);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, fill);
    return {pen, oldPen, oldBrush};
}

static void ReleaseFigureTools(HDC dc, FigureTools tools)
{
    SelectObject(dc, tools.oldBrush);
    SelectObject(dc, tools.oldPen);
    DeleteObject(tools.pen);
}

static void Figure(HDC dc, BoardRect r, BoardPoint corner)
{
    RoundRect(dc, r.left, r.top, r.right, r.bottom, corner.x, corner.y);
}

void DrawRoundedFigure(HDC dc, COLORREF outline, HBRUSH fill, BoardRect r, BoardPoint corner)
{
    FigureTools tools = SelectFigureTools(dc, outline, fill);
    Figure(dc, r, corner);
    ReleaseFigureTools(dc, tools);
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
    FigureTools tools = SelectFigureTools(dc, BaseOutline, BrushBrown);
    for (int t = 0; t < TowerCount; ++t)
        Figure(dc, BaseRect(t), BaseCorner());
    ReleaseFigureTools(dc, tools);
}

// The top disc of the tower being dragged floats under the cursor instead.
static bool IsLiftedDisc(int t, int slot)
{
    return t == SourceTower && Towers[t][slot + 1] == 0;
}

static void PaintDiscs(HDC dc)
{
    FigureTools tools = SelectFigureTools(dc, DiscOutline, BrushGreen);
    for (int t = 0; t < TowerCount; ++t) {
        for (int slot = 0; slot < SlotCount - 1; ++slot) {
            int d = Towers[t][slot];
            if (d > 0 && !IsLiftedDisc(t, slot))
                Figure(dc, DiscRect(t, slot, d), DiscCorner());
        }
    }
    ReleaseFigureTools(dc, tools);
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
    FormatMoveCounter(text, MoveCount);
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
    int slot = count - 1;
    DrawRoundedFigure(dc, outline, fill, DiscRect(tower, slot, Towers[tower][slot]), DiscCorner());
}

void DrawTopDisc(HDC dc, int8_t tower)
{
    DrawTopDiscWith(dc, tower, DiscOutline, BrushGreen);
}

void EraseTopDisc(HDC dc, int8_t tower)
{
    DrawTopDiscWith(dc, tower, White, BrushWhite);
}
