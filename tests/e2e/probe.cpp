// A console tool for the journeys: run under Wine beside the game, it tells what a
// person sees but a screenshot does not say plainly. Texts are printed as the hex of
// their Windows-1252 bytes, so that line feeds and umlauts come through unchanged.
//
//   probe main [ms]               waits for the game window; prints its client area
//                                 in screen coordinates, its window rectangle, a
//                                 point on its title bar, whether it is the
//                                 foreground window and its title
//   probe dialogs                 the game's visible dialogs and their controls, with
//                                 the check mark of each button
//   probe wait-dialog CAPTION ms  waits for a dialog with that caption, then as above
//   probe windows TEXT ms         waits for any program's visible top-level windows
//                                 whose caption holds TEXT (Setup's): each as above
//   probe counter W H N...        the move counter as the game draws it for N moves
//                                 in a W x H client area: '#' dark, '.' light pixels
//   probe board                   the board as a screen reader reads it: role, name,
//                                 value and description of the client area's object
//   probe listen                  counts the board's value-change events, as a screen
//                                 reader hears them, until `probe stop`; prints the
//                                 count and the value read at the last one
#include <windows.h>
#include <oleacc.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

const int PollMs = 50;

HWND FindGameWindow()
{
    HWND hwnd = FindWindowA("TolmarWClass", nullptr);
    return hwnd && IsWindowVisible(hwnd) ? hwnd : nullptr;
}

std::wstring TextOf(HWND hwnd)
{
    wchar_t buffer[1024] = L"";
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer),
                             SMTO_ABORTIFHUNG, 2000, &copied))
        return L"";
    return std::wstring(buffer, copied);
}

void PrintHex(const std::wstring& text)
{
    if (text.empty()) {
        std::printf(" -");
        return;
    }
    char bytes[2048];
    int n = WideCharToMultiByte(1252, 0, text.c_str(), static_cast<int>(text.size()), bytes,
                                sizeof bytes, nullptr, nullptr);
    std::printf(" ");
    for (int i = 0; i < n; ++i)
        std::printf("%02x", static_cast<unsigned char>(bytes[i]));
}

void PrintRect(HWND hwnd)
{
    RECT r;
    GetWindowRect(hwnd, &r);
    std::printf(" %ld %ld %ld %ld", r.left, r.top, r.right - r.left, r.bottom - r.top);
}

BOOL CALLBACK PrintControl(HWND control, LPARAM)
{
    char className[64] = "";
    GetClassNameA(control, className, sizeof className);
    // Buttons tell their check mark; other controls print -1.
    DWORD_PTR checked = static_cast<DWORD_PTR>(-1);
    if (std::strcmp(className, "Button") == 0)
        SendMessageTimeoutW(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &checked);
    std::printf("control %d %s %d", GetDlgCtrlID(control), className,
                static_cast<int>(checked));
    PrintHex(TextOf(control));
    PrintRect(control);
    std::printf("\n");
    return TRUE;
}

struct DialogSearch {
    DWORD gameProcess;  // 0: any program's, whose captions hold `caption`
    const wchar_t* caption;  // null: any
    bool print;
    int found;
};

BOOL CALLBACK VisitTopWindow(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<DialogSearch*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    char className[64] = "";
    GetClassNameA(hwnd, className, sizeof className);
    std::wstring caption = TextOf(hwnd);
    if (!search->gameProcess) {
        if (!IsWindowVisible(hwnd) || caption.find(search->caption) == std::wstring::npos)
            return TRUE;
    } else if (process != search->gameProcess || !IsWindowVisible(hwnd) ||
               std::strcmp(className, "#32770") != 0 ||
               (search->caption && caption != search->caption)) {
        return TRUE;
    }
    ++search->found;
    if (search->print) {
        std::printf("dialog %d", hwnd == GetForegroundWindow() ? 1 : 0);
        PrintHex(caption);
        PrintRect(hwnd);
        std::printf("\n");
        EnumChildWindows(hwnd, PrintControl, 0);
    }
    return TRUE;
}

int CountDialogs(HWND game, const wchar_t* caption, bool print)
{
    DialogSearch search = {0, caption, print, 0};
    GetWindowThreadProcessId(game, &search.gameProcess);
    EnumWindows(VisitTopWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Asks ready() for a window until it gives one or timeoutMs have passed.
template <typename Ready>
HWND Poll(DWORD timeoutMs, Ready ready)
{
    for (DWORD start = GetTickCount();; Sleep(PollMs)) {
        if (HWND hwnd = ready())
            return hwnd;
        if (GetTickCount() - start >= timeoutMs)
            return nullptr;
    }
}

int PrintMain(DWORD timeoutMs)
{
    HWND hwnd = Poll(timeoutMs, FindGameWindow);
    if (!hwnd) {
        std::printf("no game window\n");
        return 2;
    }
    RECT client;
    GetClientRect(hwnd, &client);
    POINT origin = {0, 0};
    ClientToScreen(hwnd, &origin);
    // A point on the title bar, left of its buttons, for a double-click.
    TITLEBARINFO title = {};
    title.cbSize = sizeof title;
    GetTitleBarInfo(hwnd, &title);
    std::printf("main %ld %ld %ld %ld", origin.x, origin.y, client.right, client.bottom);
    PrintRect(hwnd);
    const RECT& bar = title.rcTitleBar;
    std::printf(" %ld %ld %d", bar.left + (bar.right - bar.left) / 3,
                (bar.top + bar.bottom) / 2, GetForegroundWindow() == hwnd ? 1 : 0);
    // The title as the window stores it, which is what Windows draws in the caption.
    wchar_t text[256] = L"";
    InternalGetWindowText(hwnd, text, 256);
    PrintHex(text);
    std::printf("\n");
    return 0;
}

int WaitForDialog(const wchar_t* caption, DWORD timeoutMs)
{
    HWND game = Poll(timeoutMs, [caption] {
        HWND hwnd = FindGameWindow();
        return hwnd && CountDialogs(hwnd, caption, false) > 0 ? hwnd : nullptr;
    });
    if (game)
        Sleep(100);  // the dialog's first paint and text setting
    if (HWND shown = game ? game : FindGameWindow())
        CountDialogs(shown, nullptr, true);
    if (game)
        return 0;
    std::printf("no such dialog\n");
    return 2;
}

int PrintWindowsWith(const wchar_t* text, DWORD timeoutMs)
{
    DialogSearch search = {0, text, false, 0};
    Poll(timeoutMs, [&search] {
        EnumWindows(VisitTopWindow, reinterpret_cast<LPARAM>(&search));
        return search.found ? GetDesktopWindow() : nullptr;
    });
    Sleep(100);  // the window's first paint and text setting
    search.print = true;
    EnumWindows(VisitTopWindow, reinterpret_cast<LPARAM>(&search));
    return search.found ? 0 : 2;
}

// The id of IAccessible, here rather than from an import library, which may give code.
const GUID AccessibleId = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

std::wstring Take(BSTR text)
{
    std::wstring s = text ? text : L"";
    SysFreeString(text);
    return s;
}

void PrintBoard(IAccessible* board)
{
    VARIANT self = {}, role = {};
    self.vt = VT_I4;
    BSTR name = nullptr, value = nullptr, description = nullptr;
    board->get_accRole(self, &role);
    board->get_accName(self, &name);
    board->get_accValue(self, &value);
    board->get_accDescription(self, &description);
    std::printf("board %ld", role.vt == VT_I4 ? role.lVal : -1L);
    PrintHex(Take(name));
    PrintHex(Take(value));
    PrintHex(Take(description));
    std::printf("\n");
}

int ReadBoard()
{
    HWND game = FindGameWindow();
    IAccessible* board = nullptr;
    if (!game || FAILED(AccessibleObjectFromWindow(game, static_cast<DWORD>(OBJID_CLIENT),
                                                   AccessibleId, reinterpret_cast<void**>(&board))))
        return 2;
    PrintBoard(board);
    board->Release();
    return 0;
}

const wchar_t StopName[] = L"TolmarProbeStop";
HWND Listened;
int Heard;
std::wstring LastHeard;

void CALLBACK HearEvent(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD, DWORD)
{
    if (hwnd != Listened || object != OBJID_CLIENT || child != CHILDID_SELF)
        return;
    ++Heard;
    IAccessible* board = nullptr;
    VARIANT self = {};
    if (SUCCEEDED(AccessibleObjectFromEvent(hwnd, object, child, &board, &self))) {
        BSTR value = nullptr;
        board->get_accValue(self, &value);
        LastHeard = Take(value);
        board->Release();
    }
}

// Out of context, as screen readers listen: the events come as messages to this thread.
int Listen()
{
    Listened = FindGameWindow();
    DWORD process = 0;
    GetWindowThreadProcessId(Listened, &process);
    HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, StopName);
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_VALUECHANGE, EVENT_OBJECT_VALUECHANGE,
                                         nullptr, HearEvent, process, 0, WINEVENT_OUTOFCONTEXT);
    if (!Listened || !stop || !hook)
        return 2;
    std::printf("listening\n");
    std::fflush(stdout);
    while (MsgWaitForMultipleObjects(1, &stop, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
    UnhookWinEvent(hook);
    std::printf("heard %d", Heard);
    PrintHex(LastHeard);
    std::printf("\n");
    return 0;
}

int StopListening()
{
    HANDLE stop = OpenEventW(EVENT_MODIFY_STATE, FALSE, StopName);
    return stop && SetEvent(stop) ? 0 : 2;
}

// Draws the counter text with the font arguments the game uses, black on an opaque
// white cell, and prints the cell.
void PrintCounter(int width, int height, int moves)
{
    char text[16];
    wsprintfA(text, "%.5d", moves);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    HFONT font = CreateFontA(height / 12, width / 40, 0, 0, FW_SEMIBOLD, 0, 0, 0, ANSI_CHARSET,
                             OUT_CHARACTER_PRECIS, CLIP_CHARACTER_PRECIS, PROOF_QUALITY,
                             FF_SWISS, "Arial");
    HGDIOBJ oldFont = SelectObject(dc, font);
    SIZE extent;
    GetTextExtentPoint32A(dc, text, 5, &extent);

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = extent.cx;
    info.bmiHeader.biHeight = -extent.cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    RECT all = {0, 0, extent.cx, extent.cy};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    TextOutA(dc, 0, 0, text, 5);
    GdiFlush();

    std::printf("counter %d %ld %ld\n", moves, extent.cx, extent.cy);
    const auto* pixels = static_cast<const unsigned char*>(bits);
    for (long y = 0; y < extent.cy; ++y) {
        for (long x = 0; x < extent.cx; ++x) {
            const unsigned char* p = pixels + 4 * (y * extent.cx + x);
            std::putchar(p[0] + p[1] + p[2] < 3 * 128 ? '#' : '.');
        }
        std::putchar('\n');
    }
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    SelectObject(dc, oldFont);
    DeleteObject(font);
    DeleteDC(dc);
}

int Usage()
{
    std::fprintf(stderr, "usage: probe main [ms] | dialogs | wait-dialog CAPTION ms | windows TEXT ms | "
                         "counter W H N... | board | listen | stop\n");
    return 64;
}

}  // namespace

int main()
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 2)
        return Usage();
    std::wstring command = argv[1];
    int status = 0;
    if (command == L"main") {
        status = PrintMain(argc > 2 ? std::wcstoul(argv[2], nullptr, 10) : 0);
    } else if (command == L"dialogs") {
        HWND game = FindGameWindow();
        if (game)
            CountDialogs(game, nullptr, true);
        status = game ? 0 : 2;
    } else if (command == L"wait-dialog" && argc == 4) {
        status = WaitForDialog(argv[2], std::wcstoul(argv[3], nullptr, 10));
    } else if (command == L"windows" && argc == 4) {
        status = PrintWindowsWith(argv[2], std::wcstoul(argv[3], nullptr, 10));
    } else if (command == L"counter" && argc >= 5) {
        for (int i = 4; i < argc; ++i)
            PrintCounter(std::wcstol(argv[2], nullptr, 10), std::wcstol(argv[3], nullptr, 10),
                         std::wcstol(argv[i], nullptr, 10));
    } else if (command == L"board" || command == L"listen") {
        CoInitialize(nullptr);
        status = command == L"board" ? ReadBoard() : Listen();
        CoUninitialize();
    } else if (command == L"stop") {
        status = StopListening();
    } else {
        status = Usage();
    }
    LocalFree(argv);
    std::fflush(stdout);
    return status;
}
