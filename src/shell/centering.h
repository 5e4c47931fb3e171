// Where a dialog goes to be centred over a reference rectangle and kept on the
// primary screen. Pure.
#pragma once

#include "../view/layout.h"

BoardPoint CenteredDialogPos(BoardRect reference, BoardRect dialog, int32_t screenWidth,
                             int32_t screenHeight);
