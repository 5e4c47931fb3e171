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

// An ANSI window hands its text over through the system's code page, which has no
// umlaut outside Windows-1252, and the caption is drawn from what WM_GETTEXT returns.
// This Unicode front answers the text messages itself and passes every other message
// on to MainWndProc, converted as the system converts for any ANSI procedure.
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

BOOL CreateMainWindow(HINSTANCE instance, int showCommand)
{
    AppInstance = instance;
    HWND hwnd = CreateWindowExA(0, ClassName, "", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 640, 316, nullptr, nullptr, instance, nullptr);
    if (!hwnd)
        return FALSE;
    ClassProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(UnicodeTextProc)));
    SetWindowTextW(hwnd, Title);
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
