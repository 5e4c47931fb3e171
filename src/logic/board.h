// The board of the puzzle and its move rules. Pure: no platform headers.
#pragma once

#include <cstdint>

constexpr int TowerCount = 3;
constexpr int SlotCount = 10;  // one more than the largest stack: slot 9 always ends it
constexpr int8_t MaxDiscs = 9;
constexpr int8_t NoTower = -1;  // 0xFF as a byte

// Towers[t][s]: disc size in slot s of tower t, slot 0 at the bottom; 0 ends the stack.
extern int8_t Towers[TowerCount][SlotCount];
extern int8_t DiscCount;

void ClearBoard();
void FillStartTower(int8_t n);
int8_t TopDiscOf(int8_t tower);
bool IsMoveAllowed(int8_t from, int8_t to);
void FindMoveSlots(int8_t from, int8_t to, uint8_t* fromSlot, uint8_t* toSlot);
bool MoveDisc(int8_t from, int8_t to);
bool IsSolved();
int32_t MinimalMoves(int8_t n);

// The warning for a refused move. The board code only calls it; the Win32 build
// links the real beep and message box, the unit tests link a recorder.
void ShowInvalidMove();
