#include "speed.h"

// The scroll codes are the platform's SB_* values, spelled out to keep this file pure.
enum { LineLeft = 0, LineRight = 1, PageLeft = 2, PageRight = 3, ThumbTrack = 5 };

int32_t StepSpeed(int32_t speed, int code, int32_t thumb)
{
    switch (code) {
    case LineLeft:
        return speed <= FastestSpeed + 5 ? FastestSpeed : speed - 5;
    case LineRight:
        return speed >= SlowestSpeed - 5 ? SlowestSpeed : speed + 5;
    case PageLeft:
        return speed - 100 < FastestSpeed ? FastestSpeed : speed - 100;
    case PageRight:
        return speed + 100 > SlowestSpeed ? SlowestSpeed : speed + 100;
    case ThumbTrack:
        // Any program may send the message: keep the speed on the bar's scale.
        return thumb < FastestSpeed ? FastestSpeed : thumb > SlowestSpeed ? SlowestSpeed : thumb;
    default:
        return speed;
    }
}
