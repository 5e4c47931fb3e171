#include "board.h"

int8_t Towers[TowerCount][SlotCount];
int8_t DiscCount = 3;

static bool IsTower(int8_t t)
{
    return t >= 0 && t < TowerCount;
}

// Counts the slots from the bottom that hold a disc (a positive size).
static int StackHeight(int8_t t)
{
    int h = 0;
    while (h < SlotCount && Towers[t][h] > 0)
        ++h;
    return h;
}

void ClearBoard()
{
    for (auto& tower : Towers)
        for (auto& slot : tower)
            // cppcheck-suppress useStlAlgorithm ; style, not a fault: the loop says what it clears
            slot = 0;
}

void FillStartTower(int8_t n)
{
    // A count above nine would write past the last slot.
    if (n >= SlotCount)
        return;
    for (int s = n; s >= 0; --s)
        Towers[1][s] = static_cast<int8_t>(n - s);
}

int8_t TopDiscOf(int8_t tower)
{
    if (!IsTower(tower))
        return 0;
    int h = StackHeight(tower);
    return h == 0 ? 0 : Towers[tower][h - 1];
}

bool IsMoveAllowed(int8_t from, int8_t to)
{
    if (!IsTower(from) || Towers[from][0] == 0)
        return false;
    if (from == to)
        return false;
    if (!IsTower(to))
        return false;
    if (Towers[to][0] == 0)
        return true;
    return TopDiscOf(to) >= TopDiscOf(from);
}

void FindMoveSlots(int8_t from, int8_t to, uint8_t* fromSlot, uint8_t* toSlot)
{
    int h = StackHeight(from);
    *fromSlot = static_cast<uint8_t>(h == 0 ? 0 : h - 1);
    *toSlot = static_cast<uint8_t>(StackHeight(to));
}

bool MoveDisc(int8_t from, int8_t to)
{
    if (!IsMoveAllowed(from, to)) {
        ShowInvalidMove();
        return false;
    }
    uint8_t s, f;
    FindMoveSlots(from, to, &s, &f);
    Towers[to][f] = Towers[from][s];
    Towers[from][s] = 0;
    return true;
}

bool IsSolved()
{
    if (Towers[1][0] != 0)
        return false;
    return (Towers[0][0] == DiscCount && Towers[2][0] == 0) ||
           (Towers[2][0] == DiscCount && Towers[0][0] == 0);
}

int32_t MinimalMoves(int8_t n)
{
    int32_t m = 1;
    for (int i = 0; i < n; ++i)
        m *= 2;
    return m - 1;
}
