// New Game and the end of a move, where the game state meets the window.
#pragma once

#include <windows.h>

extern UINT_PTR TimerId;

void NewGame(HWND hwnd);
void ConcludeManualMove(HWND hwnd, HDC dc);
// The modal result dialog, showing ResultText.
void ShowFinishDialog(HWND hwnd);
