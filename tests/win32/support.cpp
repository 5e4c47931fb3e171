#include "support.h"

#include <iterator>
#include <map>

#include "shell/mainwnd.h"
#include "view/layout.h"

const char ExactText[] =
    "Fertig !!!, Sie sind wirklich gut, kein Zug zuviel !!!\n"
    "Warum nehmen Sie nicht mehr Platten ?";

std::string ComputerText(int moves, int minimal)
{
    char text[300];
    wsprintfA(text,
              "Der Computer ben\xf6tigte %d Z\xfcge, notwendig\n"
              "waren %d. Nun, das ist nicht schlecht, oder ?",
              moves, minimal);
    return text;
}

namespace {

// Taken before main, so before any test has changed them.
struct StartValues {
    int8_t discs = DiscCount, optDiscs = OptDiscCount;
    uint8_t mode = PlayMode, optMode = OptPlayMode;
    int32_t speed = OptSpeed;
    uint32_t interval = TimerInterval;
    uint8_t awaitSource = KeyAwaitSource;
} const Start{};

}  // namespace

void RestoreStartValues()
{
    DiscCount = Start.discs;
    OptDiscCount = Start.optDiscs;
    PlayMode = Start.mode;
    OptPlayMode = Start.optMode;
    OptSpeed = Start.speed;
    TimerInterval = Start.interval;
    KeyAwaitSource = Start.awaitSource;
}

std::string TextOf(HWND hwnd)
{
    // Read as the system reads it to draw a caption: in UTF-16, through WM_GETTEXT.
    wchar_t wide[1024] = {};
    GetWindowTextW(hwnd, wide, 1024);
    char bytes[2048] = {};
    WideCharToMultiByte(1252, 0, wide, -1, bytes, sizeof bytes, nullptr, nullptr);
    return bytes;
}

std::string ItemText(HWND dlg, int id)
{
    return TextOf(GetDlgItem(dlg, id));
}

namespace {

DialogAnswerer* Answerer;
UINT_PTR AnswerTimer;
std::map<HWND, DWORD> Answered;  // when each box was answered

std::string ClassOf(HWND hwnd)
{
    char buf[256] = {};
    GetClassNameA(hwnd, buf, sizeof buf);
    return buf;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM param)
{
    auto* dialog = reinterpret_cast<SeenDialog*>(param);
    if (GetParent(child) != GetAncestor(child, GA_PARENT))
        return TRUE;
    dialog->texts.push_back(TextOf(child));
    if (!IsWindowVisible(child))
        return TRUE;
    std::string cls = ClassOf(child);
    if (lstrcmpiA(cls.c_str(), "Button") == 0)
        dialog->buttons.push_back(std::to_string(GetDlgCtrlID(child)) + " " + TextOf(child));
    bool icon = (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
    dialog->icons += lstrcmpiA(cls.c_str(), "Static") == 0 && icon &&
                     SendMessageA(child, STM_GETICON, 0, 0);
    return TRUE;
}

BOOL CALLBACK AnswerWindow(HWND hwnd, LPARAM)
{
    if (!IsWindowVisible(hwnd) || ClassOf(hwnd) != "#32770")
        return TRUE;
    if (Answered.count(hwnd)) {
        // A box that its answer did not close would hold the test for ever.
        DWORD& answeredAt = Answered[hwnd];
        if (answeredAt && GetTickCount() - answeredAt > 2000) {
            answeredAt = 0;
            ++Answerer->forced;
            EndDialog(hwnd, 0);
        }
        return TRUE;
    }
    Answered[hwnd] = GetTickCount() | 1;
    SeenDialog dialog{};
    dialog.caption = TextOf(hwnd);
    dialog.owner = GetWindow(hwnd, GW_OWNER);
    HWND main = FindWindowA("TolmarWClass", nullptr);
    dialog.mainWindowEnabled = main && IsWindowEnabled(main);
    dialog.unicode = IsWindowUnicode(hwnd);
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
    // A closed box's handle may come back for a new one, which must be answered too.
    for (auto it = Answered.begin(); it != Answered.end();)
        it = IsWindow(it->first) ? std::next(it) : Answered.erase(it);
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

int DialogAnswerer::Boxes(const char* caption) const
{
    int n = 0;
    for (const SeenDialog& d : seen)
        n += d.caption == caption;
    return n;
}

void StartAnswering(DialogAnswerer* answerer)
{
    StopAnswering();
    Answerer = answerer;
    Answered.clear();
    AnswerTimer = SetTimer(nullptr, 0, 10, AnswerTick);
}

void StopAnswering()
{
    if (AnswerTimer)
        KillTimer(nullptr, AnswerTimer);
    AnswerTimer = 0;
    Answerer = nullptr;
}

COLORREF PixelAt(HWND hwnd, int x, int y)
{
    HDC dc = GetDC(hwnd);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return c;
}

Dib::Dib(int width, int height) : width(width), height(height), dc(CreateCompatibleDC(nullptr))
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* p = nullptr;
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &p, nullptr, 0);
    old = SelectObject(dc, bitmap);
    bits = static_cast<uint32_t*>(p);
}

Dib::~Dib()
{
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

COLORREF Dib::At(int x, int y) const
{
    GdiFlush();
    uint32_t p = bits[y * width + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

std::vector<uint32_t> Dib::Pixels() const
{
    GdiFlush();
    return std::vector<uint32_t>(bits, bits + width * height);
}

POINT Air(int tower)
{
    return {ColumnCenter(tower), FootLine() - (6 * ClientRect.bottom) / 18};
}

namespace {

LPARAM PointParam(POINT p)
{
    return MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y));
}

}  // namespace

void Press(HWND hwnd, POINT p)
{
    SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(p));
}

void Move(HWND hwnd, POINT p)
{
    SendMessageA(hwnd, WM_MOUSEMOVE, MK_LBUTTON, PointParam(p));
}

void Release(HWND hwnd, POINT p)
{
    SendMessageA(hwnd, WM_LBUTTONUP, 0, PointParam(p));
}

void Type(HWND hwnd, const std::string& keys)
{
    for (char c : keys)
        SendMessageA(hwnd, WM_CHAR, static_cast<unsigned char>(c), 0);
}

void CursorTo(HWND hwnd, POINT client)
{
    ClientToScreen(hwnd, &client);
    SetCursorPos(client.x, client.y);
}

void ButtonInput(DWORD flags)
{
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    SendInput(1, &in, sizeof in);
}

void KeyInput(std::initializer_list<WORD> virtualKeys, KeyStroke stroke)
{
    for (WORD vk : virtualKeys)
        for (DWORD up : {0, KEYEVENTF_KEYUP}) {
            if (stroke == (up ? KeyDown : KeyUp))
                continue;
            INPUT in = {};
            in.type = INPUT_KEYBOARD;
            in.ki.wVk = vk;
            in.ki.dwFlags = up;
            SendInput(1, &in, sizeof in);
        }
}

void KeyInput(const char* keys, KeyStroke stroke)
{
    for (; *keys; ++keys)
        KeyInput({static_cast<WORD>(VkKeyScanA(*keys) & 0xFF)}, stroke);
}

namespace {

std::function<void()> LaterAct;

void CALLBACK RunLater(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    std::function<void()> act = LaterAct;  // it may ask for another
    act();
}

}  // namespace

void Later(DWORD ms, const std::function<void()>& act)
{
    LaterAct = act;
    SetTimer(nullptr, 0, ms, RunLater);
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

// Subclassed through the calls of the window's own kind: the ANSI pair would make a
// Unicode window ANSI again, and its texts would pass the code page.
LRESULT CALLBACK CountingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    ++Counted[msg];
    auto call = IsWindowUnicode(hwnd) ? CallWindowProcW : CallWindowProcA;
    return call(CountedProc, hwnd, msg, wParam, lParam);
}

}  // namespace

void CountMessages(HWND hwnd)
{
    Counted.clear();
    auto get = IsWindowUnicode(hwnd) ? GetWindowLongPtrW : GetWindowLongPtrA;
    auto set = IsWindowUnicode(hwnd) ? SetWindowLongPtrW : SetWindowLongPtrA;
    // A second call on the same window only restarts the counts.
    if (get(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(CountingProc))
        return;
    CountedProc = reinterpret_cast<WNDPROC>(
        set(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingProc)));
}

bool Expect9x()
{
    return getenv("TOLMAR_EXPECT_9X") != nullptr;
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

int LiveGdiObjects(bool programKinds)
{
    DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported && !programKinds)
        return static_cast<int>(reported);
    // Wine answers 0 there. Its handle lookup accepts a handle whose upper word is 0
    // for any live entry of the process's table, so probing every index counts them.
    int n = 0;
    for (UINT_PTR i = 1; i < 0x10000; ++i) {
        DWORD type = GetObjectType(reinterpret_cast<HGDIOBJ>(i));
        n += programKinds ? type == OBJ_PEN || type == OBJ_BRUSH || type == OBJ_FONT ||
                                type == OBJ_MEMDC
                          : type != 0;
    }
    return n;
}

std::string GdiCountFault(bool programKinds)
{
    int before = LiveGdiObjects(programKinds);
    HPEN pen = CreatePen(PS_SOLID, 1, 0);
    int with = LiveGdiObjects(programKinds);
    DeleteObject(pen);
    int after = LiveGdiObjects(programKinds);
    if (before > 0 && with == before + 1 && after == before)
        return "";
    return "a single pen took the GDI object count from " + std::to_string(before) + " to " +
           std::to_string(with) + " and its deletion to " + std::to_string(after);
}
