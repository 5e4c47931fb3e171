// How the Options dialog's speed scroll bar steps. Pure.
#pragma once

#include <cstdint>

constexpr int32_t FastestSpeed = 100;
constexpr int32_t SlowestSpeed = 1000;

// The new speed for a horizontal scroll code; thumb is the position a thumb drag carries.
int32_t StepSpeed(int32_t speed, int code, int32_t thumb);
