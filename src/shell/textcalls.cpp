#include "textcalls.h"

#include "../logic/game.h"
#include "mainwnd.h"

bool UnicodeTexts;

void ChooseTextCalls()
{
    // The high bit marks the 9x family.
    UnicodeTexts = (GetVersion() & 0x80000000) == 0;
}

// The longest text a window is given is the result text.
void Widen1252(const char* text, wchar_t* wide)
{
    MultiByteToWideChar(1252, 0, text, -1, wide, ResultTextSize);
}

void SetText1252(HWND hwnd, const char* text)
{
    if (!UnicodeTexts) {
        SetWindowTextA(hwnd, text);
        return;
    }
    wchar_t wide[ResultTextSize];
    Widen1252(text, wide);
    SetWindowTextW(hwnd, wide);
}

// A dialog created through the wide call gets the templates' UTF-16 texts unchanged;
// through the ANSI call they pass the system's code page.
void RunDialog(HWND owner, const char* name, DLGPROC proc)
{
    if (!UnicodeTexts) {
        DialogBoxParamA(AppInstance, name, owner, proc, 0);
        return;
    }
    wchar_t wide[ResultTextSize];
    Widen1252(name, wide);
    DialogBoxParamW(AppInstance, wide, owner, proc, 0);
}
