#include "keys.h"

#include "../logic/board.h"
#include "../logic/game.h"

uint8_t KeyAwaitSource = 1;
uint8_t KeySource;
uint8_t KeyTarget;

bool IsAcceptedDigit(unsigned ch, uint8_t playMode, int8_t sourceTower, bool solved)
{
    return playMode == ManualPlay && sourceTower == NoTower && ch >= '1' && ch <= '3' &&
           !solved;
}

bool TakeTowerDigit(unsigned ch)
{
    uint8_t value = static_cast<uint8_t>(ch - '0');
    if (KeyAwaitSource) {
        KeySource = value;
        KeyAwaitSource = 0;
        return false;
    }
    KeyAwaitSource = 1;
    KeyTarget = value;
    return true;
}
