// Composes a text into a fixed buffer, as wsprintfA does: %d, %s and %.5d, nothing
// else, and at most 1024 characters. Pure code calls it; the Windows build links the
// system's formatter, the native build a standard one.
#pragma once

int FormatText(char* out, const char* format, ...);
