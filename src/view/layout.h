// Board geometry from the client size: metrics, rectangles, text positions and the
// tower under the mouse. Pure integer arithmetic, no platform headers.
#pragma once

#include <cstdint>

struct BoardRect {
    int32_t left, top, right, bottom;
};

struct BoardPoint {
    int32_t x, y;
};

// The client area (left = top = 0), captured at every resize.
extern BoardRect ClientRect;
// Metrics of the last full repaint; drawing between repaints and hit-testing use them.
extern int32_t LabelHeight;
extern int32_t ColumnWidth;
extern int32_t FirstColumnCenter;
extern int32_t BaseOffset;

void ComputeMetrics();

int32_t FootLine();
int32_t DiscUnit();
int32_t ColumnCenter(int t);
int StackHeightForDrawing(int t);

BoardRect BaseRect(int t);
BoardPoint BaseCorner();
BoardRect DiscRect(int t, int slot, int size);
BoardPoint DiscCorner();
BoardRect FloatingDiscRect(int32_t x, int32_t y, int size);

BoardPoint TowerLabelPos(int t);
BoardPoint CaptionPos();
BoardPoint CounterPos();
int32_t FontHeight();
int32_t FontWidth();

// Five digits with leading zeros; from 100000 on, the first five of six. `out` holds
// at least 12 characters.
constexpr int CounterDigits = 5;
void FormatMoveCounter(char* out, int32_t moves);

int8_t TowerAtX(int32_t x);
