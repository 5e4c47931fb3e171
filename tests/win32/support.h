// Helpers for driving the real main window and answering its modal boxes, shared by the
// Win32 tests and the soak.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "logic/board.h"
#include "logic/game.h"
#include "shell/keys.h"
#include "tests/unit/boards.h"
#include "view/drag.h"

// The board's colours as the window shows them.
constexpr COLORREF Green = RGB(0, 128, 0);      // a disc, and a floating one that may land
constexpr COLORREF White = RGB(255, 255, 255);  // the background
constexpr COLORREF Red = RGB(255, 0, 0);        // a floating disc that may not land here

// A timer interval long enough that no real tick arrives while a test sends its own.
constexpr int NoRealTicks = 100000;
// How long a person looks at a box before answering it: a key pressed sooner after a box
// appeared was meant for what came before, and the box ignores it.
constexpr DWORD ReadingTime = 300;

// The result texts: a game played by hand in the fewest moves, and the computer's game.
extern const char ExactText[];
std::string ComputerText(int moves, int minimal);

// Puts back the game's settings and start values as a new process has them: earlier
// tests in this one may have changed them.
void RestoreStartValues();
// Creates the game's main window as WinMain does, shown, and lets it paint.
HWND CreateGameWindow();
// Dispatches whatever is waiting, for at least the given time.
void Pump(DWORD milliseconds = 0);
// Dispatches messages until done() holds or limitMs have passed; whether it held.
bool PumpUntil(const std::function<bool()>& done, DWORD limitMs = 5000);

struct SeenDialog {
    std::string caption;
    std::vector<std::string> texts;    // the children's texts in z order
    std::vector<std::string> buttons;  // its visible buttons as "id text"
    int icons;                         // its visible icon statics that hold an icon
    HWND owner;
    bool mainWindowEnabled;
    bool unicode;  // a UTF-16 window, as the NT family's dialogs are
    RECT rect;
};

// Answers every dialog or message box that opens while answering is on: inspect() runs
// first (it may press buttons or send messages), then `button` is pressed; a button of
// 0 presses nothing (inspect() closes the box itself). Each one is logged in `seen`.
struct DialogAnswerer {
    std::vector<SeenDialog> seen;
    std::function<void(HWND)> inspect;
    int button = IDOK;
    int forced = 0;  // boxes still open 2 s after their answer, then ended from outside
    // How many of the boxes seen had this caption.
    int Boxes(const char* caption) const;
};
// A second start hands answering over to the new answerer.
void StartAnswering(DialogAnswerer* answerer);
void StopAnswering();

// A window's text as it shows it, read as UTF-16, as Windows-1252 bytes.
std::string TextOf(HWND hwnd);
// The text of a dialog's control.
std::string ItemText(HWND dlg, int id);

// The window DC's pixel at client coordinates, as (r, g, b).
COLORREF PixelAt(HWND hwnd, int x, int y);
// The pixel in the middle of a slot of a tower, inside any disc that lies there
// (metrics of the last full repaint).
COLORREF SlotPixel(HWND hwnd, int tower, int slot);

// A point in a tower's column, in the air above any stack of up to five discs.
POINT Air(int tower);
// Mouse and keyboard input as the window receives it.
void Press(HWND hwnd, POINT p);
void Move(HWND hwnd, POINT p);
void Release(HWND hwnd, POINT p);
void Type(HWND hwnd, const std::string& keys);
// Real input, as the system routes it: the cursor to a client point of the window, a
// mouse button event, the keys of a text typed to whatever has the focus.
void CursorTo(HWND hwnd, POINT client);
void ButtonInput(DWORD flags);
// Each key is pressed and released, or only pressed (again: a held key's repeat), or
// only released.
enum KeyStroke { PressAndRelease, KeyDown, KeyUp };
void KeyInput(const char* keys, KeyStroke stroke = PressAndRelease);
void KeyInput(std::initializer_list<WORD> virtualKeys, KeyStroke stroke = PressAndRelease);
// Runs `act` once from a timer of the thread, after `ms`: inside whatever loop runs then.
void Later(DWORD ms, const std::function<void()>& act);

// A top-down 32-bpp DIB section selected into a memory DC; what is drawn into it is
// read back from its bits.
class Dib {
public:
    Dib(int width, int height);
    ~Dib();
    Dib(const Dib&) = delete;
    Dib& operator=(const Dib&) = delete;
    COLORREF At(int x, int y) const;
    std::vector<uint32_t> Pixels() const;  // 0x00RRGGBB, top row first

    const int width, height;
    HDC dc;
    uint32_t* bits = nullptr;

private:
    HBITMAP bitmap;
    HGDIOBJ old;
};

// Points the test program's own import of `function` from `dll` at `replacement`:
// the code under test, linked into this program, then calls the replacement. Returns
// the address that was imported before, or nullptr when there is no such import.
// Undo by patching the returned address back in.
void* PatchImport(const char* dll, const char* function, void* replacement);

// PatchImport for the guard's life: `real` keeps the address imported before, for the
// replacement to call, and is nullptr when there is no such import.
template <typename F>
class ImportPatch {
public:
    ImportPatch(const char* dll, const char* function, F& real, F replacement)
        : dll(dll), function(function), real(real)
    {
        void* imported = PatchImport(dll, function, reinterpret_cast<void*>(replacement));
        real = reinterpret_cast<F>(imported);
    }
    ~ImportPatch()
    {
        if (real)
            PatchImport(dll, function, reinterpret_cast<void*>(real));
    }
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

private:
    const char *dll, *function;
    F& real;
};

// From now on counts, by message code, every message that reaches the window's
// procedure, sent or dispatched, by subclassing the window. Counts start at zero.
void CountMessages(HWND hwnd);
int MessagesCounted(UINT msg);

// Stores the settings for the next game as a confirmed Options dialog does, then
// chooses "&Neues Spiel" from the menu and lets the new board paint.
void StartNewGame(HWND hwnd, int discs, bool automatic, int speed);

// Whether this run's system is set to report the 9x family (TOLMAR_EXPECT_9X): there
// the program's windows must be ANSI ones, elsewhere UTF-16 ones.
bool Expect9x();

// Live GDI objects of this process; with programKinds only the kinds that the program
// makes: pens, brushes, fonts and a drag's memory DC (Wine keeps bitmaps, DCs and regions
// of its own for each new window size).
int LiveGdiObjects(bool programKinds = false);
// Empty when LiveGdiObjects() sees a single new pen come and go; else what it saw.
// Call it before trusting the count, so that a broken measure fails instead of passing.
std::string GdiCountFault(bool programKinds = false);

// The soak and the benchmarks use the helpers above without GoogleTest.
#if __has_include(<gtest/gtest.h>)
#include <gtest/gtest.h>

// A test on a fresh, shown main window with the built-in settings, whose boxes
// `answers` answers.
class GameWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The runs under another code page must not pass under Windows-1252 unseen.
        if (const char* acp = getenv("TOLMAR_EXPECT_ACP")) {
            ASSERT_EQ(GetACP(), static_cast<UINT>(atoi(acp)));
        }
        ASSERT_EQ((GetVersion() & 0x80000000) != 0, Expect9x()) << "the system's family";
        RestoreStartValues();
        // The real cursor stays off the window: the messages sent here are its only
        // mouse input.
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
        hwnd = CreateGameWindow();
        ASSERT_NE(hwnd, nullptr);
        ASSERT_EQ(IsWindowUnicode(hwnd) != FALSE, !Expect9x());
        POINT cursor;
        GetCursorPos(&cursor);
        ASSERT_NE(WindowFromPoint(cursor), hwnd);
        StartAnswering(&answers);
    }

    void TearDown() override
    {
        StopAnswering();
        AbandonDrag();
        if (IsWindow(hwnd))
            DestroyWindow(hwnd);
        // Also takes the quit message that the destroyed window posts.
        Pump();
    }

    // Every slot up to one above the tallest stack shows a disc exactly where the
    // board has one.
    void ExpectPixelsMatchBoard(int discs)
    {
        for (int t = 0; t < TowerCount; ++t)
            for (int slot = 0; slot <= discs && slot < SlotCount - 1; ++slot)
                EXPECT_EQ(SlotPixel(hwnd, t, slot), slot < Height(t) ? Green : White)
                    << "tower " << t << " slot " << slot;
    }

    HWND hwnd = nullptr;
    DialogAnswerer answers;
};
#endif
