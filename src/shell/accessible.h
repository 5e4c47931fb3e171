// The board as screen readers read it (Microsoft Active Accessibility): the client area
// answers as an object with a name, a value that tells the whole board, and a
// description of the rules and keys, and every change raises an event that makes a
// screen reader speak the new value. What it needs of oleacc, ole32, oleaut32 and
// user32 is looked up at run time: where any of it is missing, the board stays silent.
#pragma once

#include <windows.h>

#include <cstdint>

// The id of IAccessible, for the clients of the object.
extern const GUID AccessibleId;

// Finds NotifyWinEvent, absent on Windows 95. Called once, before the main window exists.
void FindAccessibilityCalls();
// The answer to WM_GETOBJECT for the client area, or 0 to leave it to the system.
LRESULT AnswerBoardObject(HWND hwnd, WPARAM wParam);
// From WM_DESTROY on, the object answers that it is no longer connected, however long
// a screen reader keeps it.
void DisconnectBoardObject();

// A move, a refused move, a new game: one event each.
void AnnounceBoard(HWND hwnd);
// A step of the automatic game: at most about one a second, as a screen reader cannot
// speak faster; every step of a game whose timer runs a second or slower; the step that
// solves the board always.
void AnnounceSolverStep(HWND hwnd, uint32_t interval);
