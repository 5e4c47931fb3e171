// Entry point, kept alone so that the tests can link everything else.
#include <windows.h>

#include "mainwnd.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR, int showCommand)
{
    if (!previous && !RegisterMainClass(instance))
        return 0;
    if (!CreateMainWindow(instance, showCommand))
        return 0;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
