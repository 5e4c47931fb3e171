// The board as a screen reader speaks it: each tower's discs from the bottom up, named by
// size, then the counter as a plain number, and whether the game is solved. Pure.
#pragma once

constexpr int BoardValueSize = 128;

// "Turm 1: leer. Turm 2: 3, 2, 1. Turm 3: leer. Züge: 0." in Windows-1252 bytes.
void ComposeBoardValue(char* text);
