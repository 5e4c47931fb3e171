// What must hold of the board after any event, shared by the unit tests of the moves and
// the soak of the real window.
#pragma once

#include <string>

#include "logic/board.h"

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
