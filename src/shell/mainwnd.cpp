#include "mainwnd.h"

#include "../../res/resource.h"
#include "../logic/game.h"
#include "../view/drag.h"
#include "../view/paint.h"
#include "autoplay.h"
#include "dialogs.h"
#include "gameflow.h"
#include "keyboard.h"

HINSTANCE AppInstance;

static const char ClassName[] = "TolmarWClass";
static const wchar_t Title[] = L"Die Türme von Tolmar";

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

BOOL CreateMainWindow(HINSTANCE instance, int showCommand)
{
    AppInstance = instance;
    HWND hwnd = CreateWindowExA(0, ClassName, "", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 640, 316, nullptr, nullptr, instance, nullptr);
    if (!hwnd)
        return FALSE;
    // An ANSI window takes its text through the system's code page, which would lose
    // the umlaut outside Windows-1252. The default procedure called directly stores the
    // title as UTF-16, and the caption shows that.
    DefWindowProcW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Title));
    ShowWindow(hwnd, showCommand);
    UpdateWindow(hwnd);
    return TRUE;
}

// Created through the wide call, so that the templates' UTF-16 texts reach the
// controls unchanged whatever the system's code page.
static void RunDialog(HWND hwnd, const wchar_t* name, DLGPROC proc)
{
    DialogBoxParamW(AppInstance, name, hwnd, proc, 0);
}

// Returns false for an identifier that is not one of the menu's.
static bool HandleMenuCommand(HWND hwnd, WPARAM id)
{
    switch (id) {
    case IDM_ABOUT: RunDialog(hwnd, L"AboutBox", About); return true;
    case IDM_NEWGAME: NewGame(hwnd); return true;
    case IDM_RULES: RunDialog(hwnd, L"RULES", RulesDlgProc); return true;
    case IDM_EXIT: PostQuitMessage(0); return true;
    case IDM_OPTIONS: RunDialog(hwnd, L"Options", OptionsDlgProc); return true;
    case IDM_REGISTER: RunDialog(hwnd, L"REGISTER", RegisterDlgProc); return true;
    }
    return false;
}

// Mouse positions are signed 16-bit: left of or above the client area they are negative.
static int MouseX(LPARAM lParam) { return static_cast<int16_t>(LOWORD(lParam)); }
static int MouseY(LPARAM lParam) { return static_cast<int16_t>(HIWORD(lParam)); }

extern "C" LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        StartupReset();
        CreateBrushes();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
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
