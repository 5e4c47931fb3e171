#include "boxes.h"

#include "textcalls.h"

static int OpenBoxes;

bool IsBoxOpen() { return OpenBoxes > 0; }

// Each open box disables the window beneath it, so the one visible, enabled window of
// this thread other than the main window is the innermost box.
struct InnermostSearch {
    HWND mainWindow, found;
};

static BOOL CALLBACK FindInnermost(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<InnermostSearch*>(param);
    if (hwnd != search->mainWindow && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

static HWND BoxOwner(HWND mainWindow)
{
    InnermostSearch search = {mainWindow, nullptr};
    if (OpenBoxes > 0)
        EnumThreadWindows(GetCurrentThreadId(), FindInnermost,
                          reinterpret_cast<LPARAM>(&search));
    return search.found ? search.found : mainWindow;
}

// A key held down when a box opens was meant for what came before: its repeats, and
// its release, would otherwise press the new box's buttons (the space bar held in an
// automatic game closed the result before it could be read). Such a key is ignored by
// the boxes until it has been released; a fresh press answers them.
static BYTE StaleKeys[256];
static HHOOK KeyFilter;

static void NoteHeldKeys()
{
    for (int vk = 0; vk < 256; ++vk)
        if (GetKeyState(vk) < 0)
            StaleKeys[vk] = 1;
}

static bool IsKeyMessage(UINT msg) { return msg >= WM_KEYFIRST && msg <= WM_KEYLAST; }

static LRESULT CALLBACK FilterStaleKeys(int code, WPARAM wParam, LPARAM lParam)
{
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == MSGF_DIALOGBOX && IsKeyMessage(msg->message)) {
        UINT vk = msg->wParam & 0xFF;
        bool isChar = msg->message == WM_CHAR || msg->message == WM_SYSCHAR ||
                      msg->message == WM_DEADCHAR || msg->message == WM_SYSDEADCHAR;
        // A character comes from a key down already let through.
        if (!isChar && StaleKeys[vk]) {
            if (msg->message == WM_KEYUP || msg->message == WM_SYSKEYUP)
                StaleKeys[vk] = 0;
            return 1;
        }
    }
    return CallNextHookEx(KeyFilter, code, wParam, lParam);
}

// Counts the box and filters stale keys for as long as it is open.
static void EnterBox()
{
    NoteHeldKeys();
    if (OpenBoxes++ == 0)
        KeyFilter = SetWindowsHookExA(WH_MSGFILTER, FilterStaleKeys, nullptr,
                                      GetCurrentThreadId());
}

static void LeaveBox()
{
    if (--OpenBoxes > 0)
        return;
    if (KeyFilter)
        UnhookWindowsHookEx(KeyFilter);
    KeyFilter = nullptr;
    ZeroMemory(StaleKeys, sizeof StaleKeys);
}

void OpenDialog(HWND mainWindow, const char* name, DLGPROC proc)
{
    HWND owner = BoxOwner(mainWindow);
    EnterBox();
    RunDialog(owner, name, proc);
    LeaveBox();
}

void OpenWarningBox(const char* text, const char* caption)
{
    EnterBox();
    MessageBoxA(nullptr, text, caption, MB_TASKMODAL);
    LeaveBox();
}
