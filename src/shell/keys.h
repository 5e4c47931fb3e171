// The two-digit cycle of keyboard play: source digit, then target digit. Pure.
#pragma once

#include <cstdint>

extern uint8_t KeyAwaitSource; // 1: the next accepted digit names the source tower
extern uint8_t KeySource;      // 1..3 as typed
extern uint8_t KeyTarget;

// Whether a typed character may act as a tower digit now.
bool IsAcceptedDigit(unsigned ch, uint8_t playMode, int8_t sourceTower, bool solved);

// Feeds an accepted digit ('1'..'3') into the cycle; true when it completes a pair,
// whose towers are then KeySource - 1 and KeyTarget - 1.
bool TakeTowerDigit(unsigned ch);
