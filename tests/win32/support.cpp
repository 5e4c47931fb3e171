#include "support.h"

#include <map>
#include <set>

#include "logic/board.h"
#include "logic/game.h"
#include "shell/mainwnd.h"
#include "view/layout.h"

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
    if (Answerer->button)
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

void* PatchImport(const char* dll, const char* function, void* replacement)
{
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!dir.VirtualAddress)
        return nullptr;
    auto* desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
    for (; desc->Name; ++desc) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + desc->Name), dll) != 0)
            continue;
        DWORD names = desc->OriginalFirstThunk ? desc->OriginalFirstThunk : desc->FirstThunk;
        auto* name = reinterpret_cast<IMAGE_THUNK_DATA*>(base + names);
        auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->FirstThunk);
        for (; name->u1.AddressOfData; ++name, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal))
                continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData);
            if (lstrcmpA(reinterpret_cast<const char*>(byName->Name), function) != 0)
                continue;
            void* previous = reinterpret_cast<void*>(slot->u1.Function);
            DWORD oldProtect;
            VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE,
                           &oldProtect);
            slot->u1.Function = reinterpret_cast<DWORD_PTR>(replacement);
            VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, oldProtect,
                           &oldProtect);
            return previous;
        }
    }
    return nullptr;
}

bool PumpUntil(const std::function<bool()>& done, DWORD limitMs)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= limitMs)
            return false;
        Pump();
        Sleep(1);
    }
    return true;
}

namespace {

WNDPROC CountedProc;
std::map<UINT, int> Counted;

LRESULT CALLBACK CountingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    ++Counted[msg];
    return CallWindowProcA(CountedProc, hwnd, msg, wParam, lParam);
}

}  // namespace

void CountMessages(HWND hwnd)
{
    Counted.clear();
    // A second call on the same window only restarts the counts.
    if (GetWindowLongPtrA(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(CountingProc))
        return;
    CountedProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingProc)));
}

int MessagesCounted(UINT msg)
{
    auto it = Counted.find(msg);
    return it == Counted.end() ? 0 : it->second;
}

COLORREF SlotPixel(HWND hwnd, int tower, int slot)
{
    BoardRect r = DiscRect(tower, slot, 1);
    return PixelAt(hwnd, ColumnCenter(tower), (r.top + r.bottom) / 2);
}

std::string BoardText()
{
    std::string text;
    for (int t = 0; t < TowerCount; ++t) {
        if (t)
            text += '|';
        for (int s = 0; s < SlotCount && Towers[t][s] != 0; ++s)
            text += static_cast<char>('0' + Towers[t][s]);
    }
    return text;
}

void StartNewGame(HWND hwnd, int discs, bool automatic, int speed)
{
    OptDiscCount = static_cast<int8_t>(discs);
    OptPlayMode = automatic ? AutomaticPlay : ManualPlay;
    OptSpeed = speed;
    TimerInterval = static_cast<uint32_t>(speed);
    SendMessageA(hwnd, WM_COMMAND, 101, 0);
    // Paints without dispatching anything else, so no tick runs before the caller looks.
    UpdateWindow(hwnd);
}

std::string ItemText(HWND dlg, int id)
{
    char buf[1024] = {};
    GetDlgItemTextA(dlg, id, buf, sizeof buf);
    return buf;
}
