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
// pressed. Each one is logged in `seen`.
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
