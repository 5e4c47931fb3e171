// The platform's half of the text composition: the system's formatter, so that the
// program carries no formatter of its own.
#include <windows.h>

#include <cstdarg>

#include "../logic/format.h"

int FormatText(char* out, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int n = wvsprintfA(out, format, args);
    va_end(args);
    return n;
}
