#include "support.h"

#include <set>

#include "shell/mainwnd.h"

namespace {

DialogAnswerer* Answerer;
UINT_PTR AnswerTimer;
std::set<HWND> Answered;

std::string TextOf(HWND hwnd)
{
    char buf[1024] = {};
    GetWindowTextA(hwnd, buf, sizeof buf);
    return buf;
}

std::string ClassOf(HWND hwnd)
{
    char buf[256] = {};
    GetClassNameA(hwnd, buf, sizeof buf);
    return buf;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM param)
{
    auto* dialog = reinterpret_cast<SeenDialog*>(param);
    if (GetParent(child) == GetAncestor(child, GA_PARENT))
        dialog->texts.push_back(TextOf(child));
    return TRUE;
}

BOOL CALLBACK AnswerWindow(HWND hwnd, LPARAM)
{
    if (!IsWindowVisible(hwnd) || ClassOf(hwnd) != "#32770" || Answered.count(hwnd))
        return TRUE;
    Answered.insert(hwnd);
    SeenDialog dialog;
    dialog.caption = TextOf(hwnd);
    dialog.className = ClassOf(hwnd);
    dialog.owner = GetWindow(hwnd, GW_OWNER);
    HWND main = FindWindowA("TolmarWClass", nullptr);
    dialog.mainWindowEnabled = main && IsWindowEnabled(main);
    GetWindowRect(hwnd, &dialog.rect);
    EnumChildWindows(hwnd, CollectChild, reinterpret_cast<LPARAM>(&dialog));
    Answerer->seen.push_back(dialog);
    if (Answerer->inspect)
        Answerer->inspect(hwnd);
    PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(Answerer->button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(hwnd, Answerer->button)));
    return TRUE;
}

void CALLBACK AnswerTick(HWND, UINT, UINT_PTR, DWORD)
{
    if (Answerer)
        EnumThreadWindows(GetCurrentThreadId(), AnswerWindow, 0);
}

}  // namespace

HWND CreateGameWindow()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterMainClass(instance);
    CreateMainWindow(instance, SW_SHOWNORMAL);
    HWND hwnd = FindWindowA("TolmarWClass", nullptr);
    SetForegroundWindow(hwnd);
    Pump(50);
    return hwnd;
}

void Pump(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (milliseconds)
            Sleep(1);
    } while (GetTickCount() - start < milliseconds);
}

void StartAnswering(DialogAnswerer* answerer)
{
    Answerer = answerer;
    Answered.clear();
    AnswerTimer = SetTimer(nullptr, 0, 10, AnswerTick);
}

void StopAnswering()
{
    KillTimer(nullptr, AnswerTimer);
    Answerer = nullptr;
}

COLORREF PixelAt(HWND hwnd, int x, int y)
{
    HDC dc = GetDC(hwnd);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return c;
}

LPARAM PointParam(int x, int y)
{
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}
