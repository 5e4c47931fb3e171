// The main window as Windows and a person see it: its class, title, style and menu, its
// first paint, commands, sizing and timer, the warning for a refused move, and the board's
// object for screen readers. That Exit and the close box end the game, the journeys show.
#include <gtest/gtest.h>
#include <oleacc.h>

#include <algorithm>
#include <string>
#include <vector>

#include "logic/board.h"
#include "logic/game.h"
#include "shell/accessible.h"
#include "shell/mainwnd.h"
#include "support.h"
#include "view/layout.h"

namespace {

using MainWindow = GameWindowTest;

TEST_F(MainWindow, StartsWithThreeDiscsAndPaints)
{
    RECT rc;
    GetWindowRect(hwnd, &rc);
    EXPECT_EQ(rc.right - rc.left, 640);
    EXPECT_EQ(rc.bottom - rc.top, 316);
    EXPECT_EQ(Towers[1][0], 3);
    EXPECT_EQ(PlayMode, ManualPlay);
    EXPECT_EQ(MoveCount, 0);
    BoardRect disc = DiscRect(1, 0, 3);
    EXPECT_EQ(PixelAt(hwnd, ColumnCenter(1), disc.bottom + 1), Green);

    EXPECT_EQ(TextOf(hwnd), "Die T\xfcrme von Tolmar");
    // The system adds the visible and clip-siblings bits and the edge of a frame window.
    EXPECT_EQ(GetWindowLongA(hwnd, GWL_STYLE) & ~(WS_VISIBLE | WS_CLIPSIBLINGS), WS_OVERLAPPEDWINDOW);
    EXPECT_EQ(GetWindowLongA(hwnd, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE, 0);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    ASSERT_TRUE(GetClassInfoExA(instance, "TolmarWClass", &wc));
    EXPECT_EQ(wc.style, 0u) << "no double clicks, no redraw on resize";
    EXPECT_EQ(wc.lpfnWndProc, MainWndProc);
    EXPECT_EQ(wc.cbClsExtra + wc.cbWndExtra, 0);
    EXPECT_EQ(wc.hIcon, LoadIconA(instance, MAKEINTRESOURCEA(101)));
    EXPECT_EQ(wc.hCursor, LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(wc.hbrBackground, GetStockObject(WHITE_BRUSH));
    EXPECT_STREQ(wc.lpszMenuName, "TolmarMenu");
    HMENU menu = GetMenu(hwnd);
    ASSERT_EQ(GetMenuItemCount(menu), 2);
    wchar_t popup[32];
    GetMenuStringW(GetSubMenu(menu, 1), 100, popup, 32, MF_BYCOMMAND);
    EXPECT_EQ(std::wstring(popup), L"&\u00dcber Tolmar");
}

using MainWindowMessages = GameWindowTest;

// What the window asks of the system when it is resized, a game begins or a command
// comes: the whole client area repainted with its background erased, for an automatic game
// the one timer at the chosen interval, and a command it does not know handed to
// DefWindowProcA, whose answer it gives back. DefWindowProcA answers 0 to every WM_COMMAND,
// as a handler that swallowed the command would, so its stand-in answers a mark of its own.
// Watched through the test program's imports of user32. A resize keeps the client size at
// once; the metrics follow with the repaint.
std::vector<std::string> Calls;
BOOL(WINAPI* RealInvalidateRect)(HWND, const RECT*, BOOL);
UINT_PTR(WINAPI* RealSetTimer)(HWND, UINT_PTR, UINT, TIMERPROC);
LRESULT(WINAPI* RealDefWindowProcA)(HWND, UINT, WPARAM, LPARAM);

BOOL WINAPI LoggingInvalidateRect(HWND hwnd, const RECT* rect, BOOL erase)
{
    Calls.push_back(std::string("InvalidateRect ") + (rect ? "part" : "all") +
                    (erase ? " erase" : " keep"));
    return RealInvalidateRect(hwnd, rect, erase);
}

UINT_PTR WINAPI LoggingSetTimer(HWND hwnd, UINT_PTR id, UINT ms, TIMERPROC proc)
{
    Calls.push_back("SetTimer " + std::to_string(id) + " " + std::to_string(ms) +
                    (proc ? " proc" : ""));
    return RealSetTimer(hwnd, id, ms, proc);
}

LRESULT WINAPI MarkingDefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = RealDefWindowProcA(hwnd, msg, wParam, lParam);
    if (msg != WM_COMMAND)
        return result;
    Calls.push_back("DefWindowProcA " + std::to_string(wParam));
    return 0x7E570000 + static_cast<LRESULT>(wParam & 0xFFFF);
}

TEST_F(MainWindowMessages, ResizeNewGameAndCommandsAskTheSystemForTheirShare)
{
    struct Case {
        const char* what;
        int discs, speed;  // speed 0: a manual game; discs 0: a resize to speed x 155
        std::vector<std::string> calls;
        int command = -1;  // else only this command is sent
    };
    std::vector<Case> cases = {
        {"resize", 0, 500, {"InvalidateRect all erase"}},
        {"resize, smaller", 0, 321, {"InvalidateRect all erase"}},
        {"manual game", 4, 0, {"InvalidateRect all erase"}},
        {"automatic game, fastest", 3, 100, {"SetTimer 0 100", "InvalidateRect all erase"}},
        {"automatic game, slowest", 5, 1000, {"SetTimer 0 1000", "InvalidateRect all erase"}},
    };
    for (int id : {0, 1, 2, 99, 106, 1000, 1021, 0xFFFF})
        cases.push_back({"unknown command", 0, 0, {"DefWindowProcA " + std::to_string(id)}, id});
    // A menu command is the window's own: no default processing, answer 0.
    cases.push_back({"Exit", 0, 0, {}, 103});
    ImportPatch repaint("user32.dll", "InvalidateRect", RealInvalidateRect,
                        LoggingInvalidateRect);
    ImportPatch timer("user32.dll", "SetTimer", RealSetTimer, LoggingSetTimer);
    ImportPatch defaults("user32.dll", "DefWindowProcA", RealDefWindowProcA, MarkingDefWindowProcA);
    ASSERT_TRUE(RealInvalidateRect && RealSetTimer && RealDefWindowProcA);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.what << " " << c.command);
        Calls.clear();
        LRESULT answer = 0;
        if (c.command >= 0)
            answer = SendMessageA(hwnd, WM_COMMAND, c.command, 0);
        else if (c.discs)
            StartNewGame(hwnd, c.discs, c.speed != 0, c.speed);
        else
            SetWindowPos(hwnd, nullptr, 0, 0, c.speed, 155, SWP_NOMOVE | SWP_NOZORDER);
        EXPECT_EQ(Calls, c.calls);
        EXPECT_EQ(answer, c.command < 0 || c.calls.empty() ? 0 : 0x7E570000 + c.command);
        RECT client;
        GetClientRect(hwnd, &client);
        EXPECT_EQ(ClientRect.right, client.right);
        EXPECT_EQ(ClientRect.bottom, client.bottom);
        Pump();
        EXPECT_EQ(ColumnWidth, client.right / 3);
        EXPECT_EQ(LabelHeight, client.bottom / 12);
    }
    KillTimer(hwnd, 0);
}

// The refused-move warning, watched through the test program's own imports of
// MessageBeep and MessageBoxA: each stand-in logs its call and calls the real one.
BOOL(WINAPI* RealMessageBeep)(UINT);
int(WINAPI* RealMessageBoxA)(HWND, LPCSTR, LPCSTR, UINT);

BOOL WINAPI LoggingMessageBeep(UINT type)
{
    Calls.push_back("MessageBeep " + std::to_string(type));
    return RealMessageBeep(type);
}

int WINAPI LoggingMessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style)
{
    char line[200];
    wsprintfA(line, "MessageBoxA %p \"%s\" \"%s\" 0x%x", owner, text, caption, style);
    Calls.push_back(line);
    return RealMessageBoxA(owner, text, caption, style);
}

// While the box is open a refused pair of keys shows the source tower without its top
// disc, which is out of sight until the box closes; with nothing to lift, nothing changes.
// The attempt counts once the box is closed.
TEST_F(MainWindowMessages, RefusedMoveBeepsThenShowsTheTaskModalBox)
{
    struct Trigger {
        const char* keys;                 // nullptr: MoveDisc from the empty left tower
        COLORREF middleTop, left, right;  // while the box is open
    } const triggers[] = {
        {nullptr, Green, White, White},
        {"22", White, White, White},
        {"13", Green, White, White},
    };
    ImportPatch beep("user32.dll", "MessageBeep", RealMessageBeep, LoggingMessageBeep);
    ImportPatch box("user32.dll", "MessageBoxA", RealMessageBoxA, LoggingMessageBoxA);
    ASSERT_TRUE(RealMessageBeep && RealMessageBoxA);

    for (const Trigger& trigger : triggers) {
        SCOPED_TRACE(trigger.keys ? trigger.keys : "MoveDisc(0, 2)");
        StartNewGame(hwnd, 3, false, NoRealTicks);
        Calls.clear();
        answers.seen.clear();
        int movesDuring = -1;
        answers.inspect = [&](HWND) {
            EXPECT_EQ(SlotPixel(hwnd, 1, 2), trigger.middleTop);
            EXPECT_EQ(SlotPixel(hwnd, 0, 0), trigger.left);
            EXPECT_EQ(SlotPixel(hwnd, 2, 0), trigger.right);
            movesDuring = MoveCount;
        };
        if (trigger.keys)
            Type(hwnd, trigger.keys);
        else
            EXPECT_FALSE(MoveDisc(0, 2));

        char boxCall[200];
        wsprintfA(boxCall, "MessageBoxA %p \"%s\" \"%s\" 0x%x", nullptr,
                  "That move is not allowed !!!", "Invalid Move", 0x2000);
        EXPECT_EQ(Calls, (std::vector<std::string>{"MessageBeep 16", boxCall}));
        ASSERT_EQ(answers.seen.size(), 1u);
        const SeenDialog& box = answers.seen[0];
        EXPECT_EQ(box.caption, "Invalid Move");
        EXPECT_NE(std::find(box.texts.begin(), box.texts.end(), "That move is not allowed !!!"),
                  box.texts.end());
        EXPECT_EQ(box.owner, nullptr);
        EXPECT_FALSE(box.mainWindowEnabled);
        EXPECT_EQ(box.buttons, std::vector<std::string>{"1 OK"});
        EXPECT_EQ(box.icons, 0);
        EXPECT_TRUE(IsWindowEnabled(hwnd));
        // The box had no owner: the keys must come back to the board without a click.
        EXPECT_EQ(GetActiveWindow(), hwnd);
        EXPECT_EQ(GetFocus(), hwnd);
        EXPECT_EQ(movesDuring, 0);
        EXPECT_EQ(MoveCount, trigger.keys ? 1 : 0);
        EXPECT_EQ(BoardText(), "|321|");
        Pump(50);
        ExpectPixelsMatchBoard(3);
    }
}

decltype(&LresultFromObject) RealLresult;
bool LresultFails;

LRESULT WINAPI FailingLresult(REFIID id, WPARAM wParam, LPUNKNOWN object)
{
    return LresultFails ? E_OUTOFMEMORY : RealLresult(id, wParam, object);
}

decltype(&GetProcAddress) RealGetProcAddress;

FARPROC WINAPI LookUpFailingLresult(HMODULE module, LPCSTR name)
{
    FARPROC found = RealGetProcAddress(module, name);
    if (HIWORD(name) == 0 || lstrcmpA(name, "LresultFromObject") != 0)
        return found;
    RealLresult = reinterpret_cast<decltype(&LresultFromObject)>(
        reinterpret_cast<void (*)()>(found));
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(FailingLresult));
}

// The board's object as the system hands it to a client in this process, here a thread
// that already runs COM in the other threading model: the client area's alone, where it
// is; requests it cannot answer are refused, and once the window is gone it says so,
// however long the client keeps it, and ends no COM that it did not start. What the system
// cannot marshal is left to its default handling, never handed on as an object.
using BoardObject = GameWindowTest;

TEST_F(BoardObject, RefusesBadRequestsAndOutlivesItsWindow)
{
    ImportPatch lookup("kernel32.dll", "GetProcAddress", RealGetProcAddress,
                       LookUpFailingLresult);
    ASSERT_NE(RealGetProcAddress, nullptr);
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    EXPECT_EQ(SendMessageW(hwnd, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_WINDOW)), 0);
    LRESULT answer = SendMessageW(hwnd, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT));
    if (!RealLresult)
        GTEST_SKIP() << "this process looked up the board's calls before the test";
    IAccessible* board = nullptr;
    ASSERT_EQ(ObjectFromLresult(answer, AccessibleId, 0, reinterpret_cast<void**>(&board)), S_OK);
    VARIANT self = {}, other = {}, none = {}, result = {};
    self.vt = other.vt = VT_I4;
    other.lVal = 1;
    BSTR text = nullptr;
    LONG x, y, w, h;
    EXPECT_EQ(board->get_accName(other, &text), E_INVALIDARG);
    EXPECT_EQ(board->get_accValue(none, &text), E_INVALIDARG);
    EXPECT_EQ(board->get_accRole(other, &result), E_INVALIDARG);
    EXPECT_EQ(board->get_accValue(self, nullptr), E_POINTER);
    EXPECT_EQ(board->get_accState(self, nullptr), E_POINTER);
    EXPECT_EQ(board->accLocation(nullptr, &y, &w, &h, self), E_POINTER);
    EXPECT_EQ(board->accHitTest(0, 0, nullptr), E_POINTER);
    RECT client;
    GetClientRect(hwnd, &client);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    ASSERT_EQ(board->accLocation(&x, &y, &w, &h, self), S_OK);
    RECT located = {x, y, x + w, y + h};
    EXPECT_TRUE(EqualRect(&located, &client));
    EXPECT_EQ(board->accHitTest(client.left, client.bottom - 1, &result), S_OK);
    EXPECT_EQ(board->accHitTest(client.left - 1, client.top, &result), S_FALSE);
    // Under a box the board takes no input, and says so.
    VARIANT state = {};
    ASSERT_EQ(board->get_accState(self, &state), S_OK);
    EXPECT_EQ(state.lVal & STATE_SYSTEM_UNAVAILABLE, 0);
    answers.inspect = [&](HWND) { board->get_accState(self, &state); };
    SendMessageA(hwnd, WM_COMMAND, 100, 0);  // About
    EXPECT_NE(state.lVal & STATE_SYSTEM_UNAVAILABLE, 0) << "under About";

    DestroyWindow(hwnd);
    EXPECT_EQ(board->get_accValue(self, &text), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(board->accLocation(&x, &y, &w, &h, self), CO_E_OBJNOTCONNECTED);
    board->Release();
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
    CoUninitialize();
    CoUninitialize();

    hwnd = CreateGameWindow();
    LresultFails = true;
    answer = SendMessageW(hwnd, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT));
    LresultFails = false;
    EXPECT_EQ(answer, DefWindowProcW(hwnd, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT)));
}

}  // namespace
