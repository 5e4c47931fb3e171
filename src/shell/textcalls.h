// How the texts a person reads reach the system: as UTF-16 on the NT family, so that
// no code page stands between the Windows-1252 bytes and the screen; through the ANSI
// calls alone on the 9x family, whose wide window and dialog calls only fail.
#pragma once

#include <windows.h>

extern bool UnicodeTexts;

// Decided once at start-up, before the main window exists.
void ChooseTextCalls();
// UTF-16 from Windows-1252 bytes, into a buffer of ResultTextSize characters.
void Widen1252(const char* text, wchar_t* wide);
// Sets a window's text from Windows-1252 bytes.
void SetText1252(HWND hwnd, const char* text);
// Runs a modal dialog from the templates (an ASCII name), owned by `owner`.
void RunDialog(HWND owner, const char* name, DLGPROC proc);
