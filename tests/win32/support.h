// Helpers for driving the real main window and answering its modal boxes.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Creates the game's main window as WinMain does, shown, and lets it paint.
HWND CreateGameWindow();
// Dispatches whatever is waiting, for at least the given time.
void Pump(DWORD milliseconds = 0);

struct SeenDialog {
    std::string caption;
    std::string className;
    std::vector<std::string> texts;  // the children's texts in z order
    HWND owner;
    bool mainWindowEnabled;
    RECT rect;
};

// Answers every dialog or message box that opens while the returned guard lives:
// inspect() runs first (it may press buttons or send messages), then `button` is
// pressed; a button of 0 presses nothing (inspect() closes the box itself). Each one is
// logged in `seen`.
struct DialogAnswerer {
    std::vector<SeenDialog> seen;
    std::function<void(HWND)> inspect;
    int button = IDOK;
};
void StartAnswering(DialogAnswerer* answerer);
void StopAnswering();

// The window DC's pixel at client coordinates, as (r, g, b).
COLORREF PixelAt(HWND hwnd, int x, int y);

LPARAM PointParam(int x, int y);

// Points the test program's own import of `function` from `dll` at `replacement`:
// the code under test, linked into this program, then calls the replacement. Returns
// the address that was imported before, or nullptr when there is no such import.
// Undo by patching the returned address back in.
void* PatchImport(const char* dll, const char* function, void* replacement);

// Dispatches messages until done() holds or limitMs have passed; whether it held.
bool PumpUntil(const std::function<bool()>& done, DWORD limitMs = 5000);

// From now on counts, by message code, every message that reaches the window's
// procedure, sent or dispatched, by subclassing the window. Counts start at zero.
void CountMessages(HWND hwnd);
int MessagesCounted(UINT msg);

// The pixel in the middle of a slot of a tower, inside any disc that lies there
// (metrics of the last full repaint).
COLORREF SlotPixel(HWND hwnd, int tower, int slot);

// The board as "left|middle|right", each tower's discs from the bottom up: "|321|".
std::string BoardText();
// Stores the settings for the next game as a confirmed Options dialog does, then
// chooses "&Neues Spiel" from the menu and lets the new board paint.
void StartNewGame(HWND hwnd, int discs, bool automatic, int speed);
// The text of a dialog's control.
std::string ItemText(HWND dlg, int id);
