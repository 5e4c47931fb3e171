#include "centering.h"

// Pulls one coordinate back on screen. The far edge is tested only when the near one
// was not, so a dialog larger than the screen keeps its far edge flush and may start
// off screen.
static int32_t ClampToScreen(int32_t pos, int32_t extent, int32_t screen)
{
    if (pos < 0)
        return 0;
    if (pos + extent > screen)
        return screen - extent;
    return pos;
}

BoardPoint CenteredDialogPos(BoardRect reference, BoardRect dialog, int32_t screenWidth,
                             int32_t screenHeight)
{
    int32_t cx = (reference.left + reference.right) / 2;
    int32_t cy = (reference.top + reference.bottom) / 2;
    int32_t w = dialog.right - dialog.left;
    int32_t h = dialog.bottom - dialog.top;
    int32_t x = cx + (dialog.left - dialog.right) / 2;
    int32_t y = cy + (dialog.top - dialog.bottom) / 2;
    return {ClampToScreen(x, w, screenWidth), ClampToScreen(y, h, screenHeight)};
}
