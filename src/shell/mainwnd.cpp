#include "mainwnd.h"

#include "../../res/resource.h"
#include "../logic/game.h"
#include "../view/drag.h"
#include "../view/paint.h"
#include "accessible.h"
#include "autoplay.h"
#include "boxes.h"
#include "dialogs.h"
#include "gameflow.h"
#include "keyboard.h"
#include "textcalls.h"

HINSTANCE AppInstance;

static const char ClassName[] = "TolmarWClass";
static const char Title[] = "Die T\xFC" "rme von Tolmar";  // Windows-1252: "Die Türme von Tolmar"

ATOM RegisterMainClass(HINSTANCE instance)
{
    WNDCLASSA wc = {};
    wc.style = 0;
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_TOLMAR));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszMenuName = "TolmarMenu";
    wc.lpszClassName = ClassName;
    return RegisterClassA(&wc);
}

// An ANSI window hands its text over through the system's code page, which has no
// umlaut outside Windows-1252. Windows draws the caption from the text the window
// stores, Wine from what WM_GETTEXT returns: this Unicode front stores and answers the
// text as UTF-16 and passes every other message on to MainWndProc, converted as the
// system converts for any ANSI procedure.
static WNDPROC ClassProc;

static LRESULT CALLBACK UnicodeTextProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    return CallWindowProcW(ClassProc, hwnd, msg, wParam, lParam);
}

static void AddUnicodeFront(HWND hwnd)
{
    ClassProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(UnicodeTextProc)));
    SetText1252(hwnd, Title);
}

BOOL CreateMainWindow(HINSTANCE instance, int showCommand)
{
    AppInstance = instance;
    ChooseTextCalls();
    FindAccessibilityCalls();
    // The title is there from creation on: the 9x family keeps it as it is.
    HWND hwnd = CreateWindowExA(0, ClassName, Title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 640, 316, nullptr, nullptr, instance, nullptr);
    if (!hwnd)
        return FALSE;
    if (UnicodeTexts)
        AddUnicodeFront(hwnd);
    ShowWindow(hwnd, showCommand);
    UpdateWindow(hwnd);
    return TRUE;
}

// Returns false for an identifier that is not one of the menu's.
static bool HandleMenuCommand(HWND hwnd, WPARAM id)
{
    switch (id) {
    case IDM_ABOUT: OpenDialog(hwnd, "AboutBox", About); return true;
    case IDM_NEWGAME: NewGame(hwnd); return true;
    case IDM_RULES: OpenDialog(hwnd, "RULES", RulesDlgProc); return true;
    case IDM_EXIT: PostQuitMessage(0); return true;
    case IDM_OPTIONS: OpenDialog(hwnd, "Options", OptionsDlgProc); return true;
    case IDM_REGISTER: OpenDialog(hwnd, "REGISTER", RegisterDlgProc); return true;
    }
    return false;
}

// Mouse positions are signed 16-bit: left of or above the client area they are negative.
static int MouseX(LPARAM lParam) { return static_cast<int16_t>(LOWORD(lParam)); }
static int MouseY(LPARAM lParam) { return static_cast<int16_t>(HIWORD(lParam)); }

// What a person does to the board and its menu, as opposed to what the system does.
static bool IsUserInput(UINT msg)
{
    return msg == WM_CHAR || msg == WM_COMMAND || msg == WM_MOUSEMOVE ||
           msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP;
}

extern "C" LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (IsBoxOpen() && IsUserInput(msg))
        return 0;
    switch (msg) {
    case WM_CREATE:
        StartupReset();
        CreateBrushes();
        InstallBoxHooks(hwnd);
        return 0;
    case WM_OPENOWEDBOX:
        OpenOwedBox(hwnd);
        return 0;
    case WM_DESTROY:
        DisconnectBoardObject();
        PostQuitMessage(0);
        return 0;
    case WM_GETOBJECT:
        // The client area is the board; every other object is the system's.
        if (static_cast<LONG>(lParam) == OBJID_CLIENT) {
            if (LRESULT object = AnswerBoardObject(hwnd, wParam))
                return object;
        }
        break;
    case WM_SIZE:
        HandleSize(hwnd);
        return 0;
    case WM_PAINT:
        HandlePaint(hwnd);
        return 0;
    case WM_CHAR:
        HandleChar(hwnd, wParam);
        return 0;
    case WM_COMMAND:
        if (HandleMenuCommand(hwnd, wParam))
            return 0;
        break;
    case WM_TIMER:
        if (PlayMode == AutomaticPlay)
            AutoStep(hwnd);
        return 0;
    case WM_MOUSEMOVE:
        TrackDrag(hwnd, MouseX(lParam), MouseY(lParam));
        return 0;
    case WM_LBUTTONDOWN:
        StartDrag(hwnd, MouseX(lParam), MouseY(lParam));
        return 0;
    case WM_LBUTTONUP:
        EndDrag(hwnd, MouseX(lParam), MouseY(lParam));
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}
