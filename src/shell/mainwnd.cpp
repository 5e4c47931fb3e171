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
    HWND hwnd = CreateWindowExA(0, ClassName, "Die Türme von Tolmar", WS_OVERLAPPEDWINDOW,
                                CW_USEDEFAULT, CW_USEDEFAULT, 640, 316, nullptr, nullptr,
                                instance, nullptr);
    if (!hwnd)
        return FALSE;
    ShowWindow(hwnd, showCommand);
    UpdateWindow(hwnd);
    return TRUE;
}

static void RunDialog(HWND hwnd, const char* name, DLGPROC proc)
{
    DialogBoxParamA(AppInstance, name, hwnd, proc, 0);
}

// Returns false for an identifier that is not one of the menu's.
static bool HandleMenuCommand(HWND hwnd, WPARAM id)
{
    switch (id) {
    case IDM_ABOUT: RunDialog(hwnd, "AboutBox", About); return true;
    case IDM_NEWGAME: NewGame(hwnd); return true;
    case IDM_RULES: RunDialog(hwnd, "RULES", RulesDlgProc); return true;
    case IDM_EXIT: PostQuitMessage(0); return true;
    case IDM_OPTIONS: RunDialog(hwnd, "Options", OptionsDlgProc); return true;
    case IDM_REGISTER: RunDialog(hwnd, "REGISTER", RegisterDlgProc); return true;
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
