// Every dialog and message box of the program opens here, whatever opens it (menu,
// timer, key, drag), so that the order of boxes is one rule in one place.
#pragma once

#include <windows.h>

// While a box is open the main window takes no keys, presses or menu commands, also
// none that were already waiting in its queue.
bool IsBoxOpen();
// Runs a modal dialog from the templates over whatever box is open, else over the main
// window; closing it gives the input back to the box or window beneath.
void OpenDialog(HWND mainWindow, const char* name, DLGPROC proc);
// The task-modal warning: it has no owner and disables every window of the thread.
void OpenWarningBox(const char* text, const char* caption);
