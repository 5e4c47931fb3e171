// The native build's formatter, for the unit tests of the pure rules.
#include "format.h"

#include <cstdarg>
#include <cstdio>

int FormatText(char* out, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(out, 1025, format, args);
    va_end(args);
    return n;
}
