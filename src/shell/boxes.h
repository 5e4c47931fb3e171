// Every dialog and message box of the program opens here, whatever opens it (menu,
// timer, key, drag), so that the order of boxes is one rule in one place.
#pragma once

#include <windows.h>

// Posted to the main window when a box that could not open inside one of the system's
// own loops (a menu, moving or sizing a window, a captured mouse) may open now.
constexpr UINT WM_OPENOWEDBOX = WM_APP;

// Watches the thread's boxes and the system's loops, for the main window just created.
void InstallBoxHooks(HWND mainWindow);
// While a box is open the main window takes no keys, presses or menu commands, also
// none that were already waiting in its queue.
bool IsBoxOpen();
// Runs a modal dialog from the templates over the innermost box open, else over the main
// window; closing it gives the input back to the box or window beneath. Inside a loop
// of the system it opens once that loop has ended.
void OpenDialog(HWND mainWindow, const char* name, DLGPROC proc);
// The dialog owed since a loop of the system kept it from opening, if it may open now.
void OpenOwedBox(HWND mainWindow);
// The task-modal warning: it has no owner and disables every window of the thread.
void OpenWarningBox(const char* text, const char* caption);
