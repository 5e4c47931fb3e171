// Keyboard play: two tower digits make a move; the space bar makes a solver step.
#pragma once

#include <windows.h>

void HandleChar(HWND hwnd, WPARAM ch);
