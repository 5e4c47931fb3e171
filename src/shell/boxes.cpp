#include "boxes.h"

#include "textcalls.h"

// How many boxes are open, and the innermost one's window once it exists; the boxes
// beneath it are kept by the calls that opened them, each waiting for its box to close.
static int OpenBoxes;
static HWND InnermostBox;
// When the innermost box appeared: its WM_INITDIALOG, which a message box gets too.
static DWORD ShownAt;

bool IsBoxOpen() { return OpenBoxes > 0; }

// A box opened inside a menu or a move/size loop would get no clicks (the loop holds the
// mouse) and would leave the loop running under it; such a box waits for its end.
static int SystemLoops;
static HWND MainWindow;
static const char* OwedName;
static DLGPROC OwedProc;

static bool IsSystemBusy() { return SystemLoops > 0 || GetCapture(); }

// A key held down when a box opens, or when the box over it closes, was meant for what
// came before: its repeats and its release would otherwise press this box's buttons. So
// is a press that comes sooner after the box appeared than a person can react to it, and
// whatever was typed ahead. Such a key is ignored until it is released, or pressed anew;
// the characters of an ignored press are ignored with it.
static const LONG ReactionMs = 250;
static BYTE StaleKeys[256];
static bool PressAnswered;
static HHOOK KeyFilter, SentWatch;

static void NoteHeldKeys()
{
    for (int vk = 0; vk < 256; ++vk)
        StaleKeys[vk] = GetKeyState(vk) < 0;
    PressAnswered = false;
}

static bool IsKeyDown(UINT msg) { return msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN; }
static bool IsKeyUp(UINT msg) { return msg == WM_KEYUP || msg == WM_SYSKEYUP; }

// Whether a box must not see this key message.
static bool IsStaleKey(const MSG& msg)
{
    BYTE& stale = StaleKeys[msg.wParam & 0xFF];
    if (IsKeyUp(msg.message)) {
        bool wasStale = stale;
        stale = 0;
        return wasStale;
    }
    if (!IsKeyDown(msg.message))  // a character: WM_CHAR, WM_SYSCHAR, WM_UNICHAR...
        return !PressAnswered;
    bool repeat = (msg.lParam & 0x40000000) != 0;
    if (!repeat)
        stale = static_cast<LONG>(msg.time - ShownAt) < ReactionMs;
    PressAnswered = !stale;
    return stale;
}

static LRESULT CALLBACK FilterStaleKeys(int code, WPARAM wParam, LPARAM lParam)
{
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    bool inBox = code == MSGF_DIALOGBOX || code == MSGF_MESSAGEBOX;
    if (inBox && msg->message >= WM_KEYFIRST && msg->message <= WM_UNICHAR && IsStaleKey(*msg))
        return 1;
    return CallNextHookEx(KeyFilter, code, wParam, lParam);
}

// Sees every message sent to a window of the thread: the boxes as they appear, and the
// system's loops as they begin and end.
static LRESULT CALLBACK WatchSentMessages(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    switch (sent->message) {
    case WM_INITDIALOG:
        if (OpenBoxes > 0 && !InnermostBox) {
            InnermostBox = sent->hwnd;
            ShownAt = GetTickCount();
        }
        break;
    case WM_ENTERMENULOOP:
    case WM_ENTERSIZEMOVE:
        ++SystemLoops;
        break;
    case WM_EXITMENULOOP:
    case WM_EXITSIZEMOVE:
        --SystemLoops;
        [[fallthrough]];
    case WM_CAPTURECHANGED:
        if (OwedName)
            PostMessageA(MainWindow, WM_OPENOWEDBOX, 0, 0);
        break;
    }
    return CallNextHookEx(SentWatch, code, wParam, lParam);
}

void InstallBoxHooks(HWND mainWindow)
{
    if (!KeyFilter) {
        DWORD thread = GetCurrentThreadId();
        KeyFilter = SetWindowsHookExA(WH_MSGFILTER, FilterStaleKeys, nullptr, thread);
        SentWatch = SetWindowsHookExA(WH_CALLWNDPROC, WatchSentMessages, nullptr, thread);
    }
    MainWindow = mainWindow;
}

// Returns the box that was innermost until now, for LeaveBox.
static HWND EnterBox()
{
    HWND outer = InnermostBox;
    InnermostBox = nullptr;
    ++OpenBoxes;
    NoteHeldKeys();
    return outer;
}

static void LeaveBox(HWND outer)
{
    InnermostBox = outer;
    --OpenBoxes;
    NoteHeldKeys();
}

void OpenDialog(HWND mainWindow, const char* name, DLGPROC proc)
{
    if (IsSystemBusy()) {
        OwedName = name;
        OwedProc = proc;
        return;
    }
    HWND owner = InnermostBox ? InnermostBox : mainWindow;
    HWND outer = EnterBox();
    RunDialog(owner, name, proc);
    LeaveBox(outer);
}

void OpenOwedBox(HWND mainWindow)
{
    const char* name = OwedName;
    OwedName = nullptr;
    if (name)
        OpenDialog(mainWindow, name, OwedProc);
}

// Closing a dialog activates its owner, and the owner's focus comes back with it. The
// warning has no owner: when it closes the thread has no active window, and the keys
// would go nowhere, unless the window that was active before is made so again.
void OpenWarningBox(const char* text, const char* caption)
{
    HWND active = GetActiveWindow();
    HWND outer = EnterBox();
    MessageBoxA(nullptr, text, caption, MB_TASKMODAL);
    LeaveBox(outer);
    if (active)
        SetForegroundWindow(active);
}
