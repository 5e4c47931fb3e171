// Boards written as digit strings, and what must hold of the board after any event:
// shared by the unit tests, the Win32 tests and the soak.
#pragma once

#include <string>

#include "logic/board.h"

// Discs on a tower, counted here rather than by the code under test.
inline int Height(int tower)
{
    int h = 0;
    while (h < SlotCount && Towers[tower][h] != 0)
        ++h;
    return h;
}

// A tower's discs from the bottom up: "321".
inline std::string StackOf(int tower)
{
    std::string s;
    for (int h = 0; h < Height(tower); ++h)
        s += static_cast<char>('0' + Towers[tower][h]);
    return s;
}

// The board as "left|middle|right": "|321|".
inline std::string BoardText()
{
    return StackOf(0) + '|' + StackOf(1) + '|' + StackOf(2);
}

// Lays out the board from digit strings, bottom disc first ("941"), and counts its discs.
inline void SetBoard(const char* left, const char* middle, const char* right)
{
    ClearBoard();
    const char* stacks[TowerCount] = {left, middle, right};
    int discs = 0;
    for (int t = 0; t < TowerCount; ++t)
        for (int j = 0; stacks[t][j]; ++j, ++discs)
            Towers[t][j] = static_cast<int8_t>(stacks[t][j] - '0');
    DiscCount = static_cast<int8_t>(discs);
}

// Empty while discs 1..DiscCount stand once each, every stack strictly decreasing and
// ended by 0 with nothing above, slot 9 empty; else what is wrong.
inline std::string BoardFault()
{
    int seen[MaxDiscs + 1] = {};
    for (int t = 0; t < TowerCount; ++t) {
        const std::string where = " on tower " + std::to_string(t);
        if (Towers[t][SlotCount - 1] != 0)
            return "slot 9 occupied" + where;
        int h = 0;
        for (; h < SlotCount && Towers[t][h] != 0; ++h) {
            int d = Towers[t][h];
            if (d < 1 || d > DiscCount)
                return "disc " + std::to_string(d) + " out of range" + where;
            if (h > 0 && d >= Towers[t][h - 1])
                return "stack not decreasing" + where;
            ++seen[d];
        }
        for (int s = h; s < SlotCount; ++s)
            if (Towers[t][s] != 0)
                return "disc above the end of the stack" + where;
    }
    for (int d = 1; d <= DiscCount; ++d)
        if (seen[d] != 1)
            return "disc " + std::to_string(d) + " seen " + std::to_string(seen[d]) + " times";
    return "";
}
