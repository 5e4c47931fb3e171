#include "layout.h"

#include "../logic/board.h"
#include "../logic/format.h"

BoardRect ClientRect;
int32_t LabelHeight;
int32_t ColumnWidth;
int32_t FirstColumnCenter;
int32_t BaseOffset;

static int32_t Width() { return ClientRect.right; }
static int32_t Height() { return ClientRect.bottom; }

void ComputeMetrics()
{
    LabelHeight = Height() / 12;
    ColumnWidth = Width() / 3;
    FirstColumnCenter = Width() / 6;
    // H/12 + 1.5 label heights + 3, in integers; the float factor of 1/12 lies just
    // above it, which never changes the truncated result.
    BaseOffset = (Height() + 18 * LabelHeight + 36) / 12;
}

int32_t FootLine() { return Height() - BaseOffset; }
int32_t DiscUnit() { return Width() / 32; }
int32_t ColumnCenter(int t) { return t * ColumnWidth + ColumnWidth / 2; }

int StackHeightForDrawing(int t)
{
    int h = 0;
    while (h < SlotCount && Towers[t][h] != 0)
        ++h;
    return h;
}

BoardRect BaseRect(int t)
{
    int32_t u = DiscUnit();
    int32_t h = Height();
    return {t * ColumnWidth - 5 * u + ColumnWidth / 2,
            // 35/36 as a float lies just below it: hence the -1.
            (35 * h - 54 * LabelHeight - 1) / 36,
            t * ColumnWidth + 5 * u + ColumnWidth / 2,
            h - (3 * LabelHeight + 1) / 2};
}

BoardPoint BaseCorner() { return {Width() / 36, Height() / 36}; }

BoardRect DiscRect(int t, int slot, int size)
{
    int32_t u = DiscUnit();
    int32_t m = ColumnCenter(t);
    int32_t f = FootLine();
    int32_t h = Height();
    // Top and bottom are handed over swapped; the rounded rectangle orders them.
    return {m + ((-1 - size) * u) / 2, f + ((1 - slot) * h) / 18,
            m + ((size + 1) * u) / 2, f - (slot * h) / 18 + 1};
}

BoardPoint DiscCorner() { return {Width() / 24, Height() / 24}; }

BoardRect FloatingDiscRect(int32_t x, int32_t y, int size)
{
    int32_t u = DiscUnit();
    return {x + ((-1 - size) * u) / 2, y - Height() / 36, x + ((size + 1) * u) / 2,
            y + Height() / 36};
}

BoardPoint TowerLabelPos(int t)
{
    return {FirstColumnCenter + t * ColumnWidth, Height() - (5 * LabelHeight) / 4};
}

BoardPoint CaptionPos() { return {2 * ColumnWidth, ClientRect.top + LabelHeight / 2}; }

BoardPoint CounterPos()
{
    return {FirstColumnCenter + 2 * ColumnWidth, ClientRect.top + LabelHeight / 2};
}

int32_t FontHeight() { return Height() / 12; }
int32_t FontWidth() { return Width() / 40; }

void FormatMoveCounter(char* out, int32_t moves)
{
    FormatText(out, "%.5d", static_cast<int>(moves));
}

int8_t TowerAtX(int32_t x)
{
    if (x < ColumnWidth)
        return 0;
    if (x < 2 * ColumnWidth)
        return 1;
    return 2;
}
