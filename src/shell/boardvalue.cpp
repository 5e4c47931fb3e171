#include "boardvalue.h"

#include "../logic/board.h"
#include "../logic/format.h"
#include "../logic/game.h"

static char* Append(char* out, const char* text)
{
    while (*text)
        *out++ = *text++;
    *out = 0;
    return out;
}

void ComposeBoardValue(char* text)
{
    char* out = text;
    for (int t = 0; t < TowerCount; ++t) {
        out += FormatText(out, "Turm %d: ", t + 1);
        if (Towers[t][0] == 0)
            out = Append(out, "leer");
        for (int slot = 0; slot < SlotCount && Towers[t][slot]; ++slot)
            out += slot ? FormatText(out, ", %d", Towers[t][slot])
                        : FormatText(out, "%d", Towers[t][slot]);
        out = Append(out, ". ");
    }
    // No leading zeros: the counter's five digits are for the eye.
    out += FormatText(out, "Z\xFC" "ge: %d.", static_cast<int>(MoveCount));
    if (IsSolved())
        Append(out, " Gel\xF6st.");
}
