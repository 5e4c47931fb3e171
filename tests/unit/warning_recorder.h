// The unit tests' stand-in for the platform warning: it counts instead of beeping.
#pragma once

extern int InvalidMoveWarnings;
