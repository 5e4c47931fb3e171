// New Game and the end of a move, where the game state meets the window.
#pragma once

#include <windows.h>

#include <cstdint>

extern UINT_PTR TimerId;
// What the timer of the automatic game under way was set to: Options may since have
// chosen another speed for the next game.
extern uint32_t GameInterval;

void NewGame(HWND hwnd);
void ConcludeManualMove(HWND hwnd, HDC dc);
// The modal result dialog, showing ResultText.
void ShowFinishDialog(HWND hwnd);
