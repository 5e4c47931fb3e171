// One step of automatic play, from the timer or the space bar.
#pragma once

#include <windows.h>

void AutoStep(HWND hwnd);
