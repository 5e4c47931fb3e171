// The main window: its class, its creation and the procedure that routes every message.
#pragma once

#include <windows.h>

#include "exports.h"

extern HINSTANCE AppInstance;

ATOM RegisterMainClass(HINSTANCE instance);
BOOL CreateMainWindow(HINSTANCE instance, int showCommand);
extern "C" EXPORTED_FUNCTION LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam,
                                                       LPARAM lParam);
