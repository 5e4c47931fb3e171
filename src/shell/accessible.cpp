#include "accessible.h"

#include <oleacc.h>

#include "../logic/board.h"
#include "../logic/game.h"
#include "boardvalue.h"
#include "textcalls.h"

// The interface ids are defined here: some import libraries define them as code.
const GUID AccessibleId = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
static const GUID DispatchId = {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// IUnknown's id differs from IDispatch's in its first field only, where it is 0.
static bool IsBaseInterface(REFIID id)
{
    GUID asDispatch = id;
    if (asDispatch.Data1 == 0)
        asDispatch.Data1 = DispatchId.Data1;
    return IsEqualGUID(asDispatch, DispatchId);
}

static const char BoardName[] = "Spielfeld";
// The rules in one sentence, then the keys. Windows-1252: "äußeren", "größere".
static const char BoardDescription[] =
    "Alle Platten vom mittleren auf einen \xE4u\xDF" "eren Turm bringen, einzeln und nie "
    "eine gr\xF6\xDF" "ere auf eine kleinere. Zwei Ziffern von 1 bis 3 ziehen die oberste "
    "Platte vom Turm der ersten auf den der zweiten; im automatischen Spiel zieht die "
    "Leertaste.";
static_assert(sizeof BoardDescription <= ResultTextSize, "widened in a buffer of that size");

// Each pointer has the type of the system header's own declaration, so that its calling
// convention cannot be wrong.
static decltype(&NotifyWinEvent) NotifyWinEventCall;
static decltype(&LresultFromObject) LresultFromObjectCall;
static decltype(&AccessibleObjectFromWindow) WindowObjectCall;
static decltype(&CoInitialize) CoInitializeCall;
static decltype(&CoUninitialize) CoUninitializeCall;
static decltype(&SysAllocString) SysAllocStringCall;

template <typename Call>
static bool Find(Call& call, HMODULE module, const char* name)
{
    FARPROC found = module ? GetProcAddress(module, name) : nullptr;
    call = reinterpret_cast<Call>(reinterpret_cast<void (*)()>(found));
    return found != nullptr;
}

// From the system folder only, so that a DLL of the same name beside the program is
// never the one loaded.
static HMODULE LoadSystemLibrary(const char* name)
{
    char path[MAX_PATH + 16];
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    path[length] = '\\';
    lstrcpyA(path + length + 1, name);
    return LoadLibraryA(path);
}

void FindAccessibilityCalls()
{
    Find(NotifyWinEventCall, GetModuleHandleA("user32.dll"), "NotifyWinEvent");
}

// Loaded when a screen reader first asks for the board, not before.
static bool FindObjectCalls()
{
    static bool looked, found;
    if (!looked) {
        looked = true;
        HMODULE oleacc = LoadSystemLibrary("oleacc.dll");
        HMODULE ole32 = LoadSystemLibrary("ole32.dll");
        found = Find(LresultFromObjectCall, oleacc, "LresultFromObject") &&
                Find(WindowObjectCall, oleacc, "AccessibleObjectFromWindow") &&
                Find(CoInitializeCall, ole32, "CoInitialize") &&
                Find(CoUninitializeCall, ole32, "CoUninitialize") &&
                Find(SysAllocStringCall, LoadSystemLibrary("oleaut32.dll"), "SysAllocString");
    }
    return found;
}

static bool IsSelf(const VARIANT& child)
{
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

static void SetSelf(VARIANT* v)
{
    v->vt = VT_I4;
    v->lVal = CHILDID_SELF;
}

// The client area of the one main window. Static, and never freed: a screen reader may
// keep a reference after the window is gone, and then hears that it is not connected.
// A COM object goes through Release, never through a delete of its interface, which has
// no virtual destructor by design.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class BoardObject final : public IAccessible {
public:
    HWND window = nullptr;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override
    {
        if (!out)
            return E_POINTER;
        if (!IsBaseInterface(id) && !IsEqualGUID(id, AccessibleId)) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references); }

    // IDispatch: screen readers call the interface's own methods.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override
    {
        if (info)
            *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                     EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override
    {
        if (!parent)
            return E_POINTER;
        *parent = nullptr;
        if (!window)
            return CO_E_OBJNOTCONNECTED;
        return WindowObjectCall(window, static_cast<DWORD>(OBJID_WINDOW), DispatchId,
                                reinterpret_cast<void**>(parent));
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override
    {
        if (!count)
            return E_POINTER;
        *count = 0;
        return window ? S_OK : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT, IDispatch** child) override
    {
        if (!child)
            return E_POINTER;
        *child = nullptr;
        return window ? E_INVALIDARG : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override
    {
        return Text(child, name, BoardName);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override
    {
        char text[BoardValueSize];
        ComposeBoardValue(text);
        return Text(child, value, text);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override
    {
        return Text(child, description, BoardDescription);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override
    {
        return Number(child, role, ROLE_SYSTEM_CLIENT);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override
    {
        bool focused = window && GetFocus() == window;
        // A box over the board disables it: its keys and presses then go nowhere.
        bool unavailable = window && !IsWindowEnabled(window);
        return Number(child, state,
                      STATE_SYSTEM_FOCUSABLE | (focused ? STATE_SYSTEM_FOCUSED : 0) |
                          (unavailable ? STATE_SYSTEM_UNAVAILABLE : 0));
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override
    {
        return Text(child, help, nullptr);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override
    {
        if (!topic)
            return E_POINTER;
        *topic = 0;
        return Text(child, file, nullptr);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override
    {
        return Text(child, keys, nullptr);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override
    {
        return Focus(focus, window && GetFocus() == window);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override
    {
        return Focus(selection, false);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override
    {
        return Text(child, action, nullptr);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG, VARIANT child) override
    {
        HRESULT fault = Fault(child);
        return fault ? fault : DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT child) override
    {
        if (!left || !top || !width || !height)
            return E_POINTER;
        *left = *top = *width = *height = 0;
        if (HRESULT fault = Fault(child))
            return fault;
        RECT r = ScreenRect();
        *left = r.left;
        *top = r.top;
        *width = r.right - r.left;
        *height = r.bottom - r.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG, VARIANT start, VARIANT* end) override
    {
        if (!end)
            return E_POINTER;
        end->vt = VT_EMPTY;
        HRESULT fault = Fault(start);
        return fault ? fault : S_FALSE;  // no children, and the siblings are the window's
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* hit) override
    {
        if (!hit)
            return E_POINTER;
        hit->vt = VT_EMPTY;
        if (!window)
            return CO_E_OBJNOTCONNECTED;
        RECT r = ScreenRect();
        if (x < r.left || x >= r.right || y < r.top || y >= r.bottom)
            return S_FALSE;
        SetSelf(hit);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override
    {
        HRESULT fault = Fault(child);
        return fault ? fault : DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    LONG references = 0;

    // The client area in screen coordinates.
    RECT ScreenRect() const
    {
        RECT r;
        GetClientRect(window, &r);
        MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    // What keeps a request about `child` from being answered, or S_OK.
    HRESULT Fault(const VARIANT& child) const
    {
        if (!window)
            return CO_E_OBJNOTCONNECTED;
        return IsSelf(child) ? S_OK : E_INVALIDARG;
    }
    // A text from Windows-1252 bytes; none: the board has no such property.
    HRESULT Text(const VARIANT& child, BSTR* out, const char* text) const
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (HRESULT fault = Fault(child))
            return fault;
        if (!text)
            return S_FALSE;
        wchar_t wide[ResultTextSize];
        Widen1252(text, wide);
        *out = SysAllocStringCall(wide);
        return *out ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT Number(const VARIANT& child, VARIANT* out, LONG number) const
    {
        if (!out)
            return E_POINTER;
        out->vt = VT_EMPTY;
        if (HRESULT fault = Fault(child))
            return fault;
        out->vt = VT_I4;
        out->lVal = number;
        return S_OK;
    }
    HRESULT Focus(VARIANT* out, bool self) const
    {
        if (!out)
            return E_POINTER;
        out->vt = VT_EMPTY;
        if (!window)
            return CO_E_OBJNOTCONNECTED;
        if (!self)
            return S_FALSE;
        SetSelf(out);
        return S_OK;
    }
};
#pragma GCC diagnostic pop

static BoardObject Board;
static bool ComStarted;

LRESULT AnswerBoardObject(HWND hwnd, WPARAM wParam)
{
    if (!FindObjectCalls())
        return 0;
    // A single-threaded apartment: a screen reader's calls arrive as messages of this
    // thread, between the game's own, and never on another thread.
    if (!ComStarted) {
        HRESULT started = CoInitializeCall(nullptr);
        // A thread already in the other threading mode has COM all the same; it is
        // not this program's to end.
        if (FAILED(started) && started != RPC_E_CHANGED_MODE)
            return 0;
        ComStarted = SUCCEEDED(started);
    }
    Board.window = hwnd;
    // A failure is a negative error code, which the system must not take for an object.
    LRESULT object = LresultFromObjectCall(AccessibleId, wParam, &Board);
    return object < 0 ? 0 : object;
}

void DisconnectBoardObject()
{
    Board.window = nullptr;
    if (ComStarted)
        CoUninitializeCall();
    ComStarted = false;
}

static DWORD LastAnnounced;

void AnnounceBoard(HWND hwnd)
{
    if (NotifyWinEventCall)
        NotifyWinEventCall(EVENT_OBJECT_VALUECHANGE, hwnd, OBJID_CLIENT, CHILDID_SELF);
    LastAnnounced = GetTickCount();
}

void AnnounceSolverStep(HWND hwnd, uint32_t interval)
{
    // Ticks a second apart arrive a few milliseconds early or late: a game that slow is
    // announced step by step.
    if (IsSolved() || interval >= 1000 || GetTickCount() - LastAnnounced >= 1000)
        AnnounceBoard(hwnd);
}
