// The dialogs on their real templates, opened from the real main window's menu and
// answered from a timer while their modal loop runs.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "logic/board.h"
#include "logic/game.h"
#include "shell/dialogs.h"
#include "shell/gameflow.h"
#include "support.h"

namespace {

constexpr WPARAM CmdAbout = 100;
constexpr WPARAM CmdRules = 102;
constexpr WPARAM CmdOptions = 104;
constexpr WPARAM CmdRegister = 105;
constexpr int Speed = 1012;

std::string Text(HWND dlg, int id)
{
    char buf[512] = {};
    GetDlgItemTextA(dlg, id, buf, sizeof buf);
    return buf;
}

// What the Options dialog shows: the check marks of the disc buttons 1..9 and of the
// mode buttons (automatic, manual) as '0'/'1', and the speed scroll bar.
struct OptionsView {
    std::string discs;
    std::string modes;
    int low, high, pos;
};

OptionsView Read(HWND dlg)
{
    OptionsView v;
    for (int id = 1000; id <= 1008; ++id)
        v.discs += IsDlgButtonChecked(dlg, id) == BST_CHECKED ? '1' : '0';
    for (int id : {1020, 1021})
        v.modes += IsDlgButtonChecked(dlg, id) == BST_CHECKED ? '1' : '0';
    HWND bar = GetDlgItem(dlg, Speed);
    GetScrollRange(bar, SB_CTL, &v.low, &v.high);
    v.pos = GetScrollPos(bar, SB_CTL);
    return v;
}

std::string DiscChecks(int n)
{
    std::string s(9, '0');
    s[n - 1] = '1';
    return s;
}

void Click(HWND dlg, int id)
{
    SendMessageA(GetDlgItem(dlg, id), BM_CLICK, 0, 0);
}

void Scroll(HWND dlg, int code, int thumb = 0)
{
    SendMessageA(dlg, WM_HSCROLL, MAKEWPARAM(code, thumb),
                 reinterpret_cast<LPARAM>(GetDlgItem(dlg, Speed)));
}

// The placement that centring over `reference` gives a w x h dialog, kept on a
// screen of sw x sh: halves truncate toward zero, the far edge is tested only when
// the near one was not.
POINT Centred(RECT reference, int w, int h, int sw, int sh)
{
    int x = (reference.left + reference.right) / 2 + (-w) / 2;
    int y = (reference.top + reference.bottom) / 2 + (-h) / 2;
    if (x < 0)
        x = 0;
    else if (x + w > sw)
        x = sw - w;
    if (y < 0)
        y = 0;
    else if (y + h > sh)
        y = sh - h;
    return {x, y};
}

class Dialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        main = CreateGameWindow();
        ASSERT_NE(main, nullptr);
        SetWindowPos(main, nullptr, 123, 77, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        Pump();
    }
    void TearDown() override
    {
        StopAnswering();
        DestroyWindow(main);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        // Later tests in the same process start from the built-in settings.
        OptDiscCount = 3;
        OptPlayMode = ManualPlay;
        OptSpeed = 550;
        TimerInterval = 550;
    }

    // Chooses a menu command and answers whatever dialog it opens.
    void Choose(WPARAM command, DialogAnswerer* answerer)
    {
        StartAnswering(answerer);
        SendMessageA(main, WM_COMMAND, command, 0);
        StopAnswering();
    }

    // Opens Options, lets `act` work on it, then leaves with `button` (0: act closes it).
    void WithOptions(const std::function<void(HWND)>& act, int button = IDCANCEL)
    {
        DialogAnswerer a;
        a.inspect = act;
        a.button = button;
        Choose(CmdOptions, &a);
        ASSERT_EQ(a.seen.size(), 1u);
        EXPECT_EQ(a.seen[0].caption, "Optionen");
    }

    HWND main = nullptr;
};

// Runs first, so that in a single process the settings are still the built-in ones.
TEST_F(Dialogs, OptionsOpensOnTheBuiltInSettings)
{
    OptionsView v{};
    std::string three, manual;
    WithOptions([&](HWND dlg) {
        v = Read(dlg);
        three = Text(dlg, 1002);
        manual = Text(dlg, 1021);
    });
    EXPECT_EQ(three, "&3");
    EXPECT_EQ(manual, "&Manuel");
    EXPECT_EQ(v.discs, "001000000");
    EXPECT_EQ(v.modes, "01");
    EXPECT_EQ(v.low, 100);
    EXPECT_EQ(v.high, 1000);
    EXPECT_EQ(v.pos, 550);
}

TEST_F(Dialogs, OptionsButtonsMoveTheChecks)
{
    struct Step {
        int command;
        bool click;  // through the button itself, or as a bare command
        const char* discs;
        const char* modes;
        int pendingDiscs, pendingMode;
    } const steps[] = {
        {1008, true, "000000001", "01", 9, 1},
        {1020, true, "000000001", "10", 9, 0},
        {1000, true, "100000000", "10", 1, 0},
        {1004, true, "000010000", "10", 5, 0},
        {1021, true, "000010000", "01", 5, 1},
        {1009, false, "000010000", "01", 5, 1},
        {1011, false, "000010000", "01", 5, 1},
        {1019, false, "000010000", "01", 5, 1},
        {1006, true, "000000100", "01", 7, 1},
    };
    std::vector<OptionsView> views;
    std::vector<std::pair<int, int>> pending;
    WithOptions([&](HWND dlg) {
        for (const Step& s : steps) {
            if (s.click)
                Click(dlg, s.command);
            else
                SendMessageA(dlg, WM_COMMAND, s.command, 0);
            views.push_back(Read(dlg));
            pending.push_back({PendingDiscCount, PendingPlayMode});
        }
    });
    ASSERT_EQ(views.size(), std::size(steps));
    for (size_t i = 0; i < views.size(); ++i) {
        SCOPED_TRACE(steps[i].command);
        EXPECT_EQ(views[i].discs, steps[i].discs);
        EXPECT_EQ(views[i].modes, steps[i].modes);
        EXPECT_EQ(views[i].pos, 550);
        EXPECT_EQ(pending[i], std::make_pair(steps[i].pendingDiscs, steps[i].pendingMode));
    }
}

TEST_F(Dialogs, EveryScrollCodeSetsTheThumb)
{
    struct Step {
        int code, thumb, expected;
        int movedBefore;  // the thumb is put here first, to see it set back; 0: not moved
    } const steps[] = {
        {SB_LINELEFT, 0, 545, 0},     {SB_LINERIGHT, 0, 550, 0},
        {SB_PAGELEFT, 0, 450, 0},     {SB_PAGERIGHT, 0, 550, 0},
        {SB_THUMBTRACK, 103, 103, 0}, {SB_LINELEFT, 0, 100, 0},
        {SB_LINELEFT, 0, 100, 0},     {SB_PAGELEFT, 0, 100, 0},
        {SB_THUMBTRACK, 150, 150, 0}, {SB_PAGELEFT, 0, 100, 0},
        {SB_THUMBTRACK, 997, 997, 0}, {SB_LINERIGHT, 0, 1000, 0},
        {SB_LINERIGHT, 0, 1000, 0},   {SB_PAGERIGHT, 0, 1000, 0},
        {SB_THUMBTRACK, 950, 950, 0}, {SB_PAGERIGHT, 0, 1000, 0},
        {SB_THUMBTRACK, 700, 700, 0}, {SB_THUMBPOSITION, 300, 700, 0},
        {SB_LEFT, 0, 700, 200},       {SB_RIGHT, 0, 700, 900},
        {SB_ENDSCROLL, 0, 700, 400},  {SB_THUMBPOSITION, 700, 700, 650},
    };
    std::vector<std::pair<int, int>> seen;  // thumb, PendingSpeed
    WithOptions([&](HWND dlg) {
        for (const Step& s : steps) {
            if (s.movedBefore)
                SetScrollPos(GetDlgItem(dlg, Speed), SB_CTL, s.movedBefore, TRUE);
            Scroll(dlg, s.code, s.thumb);
            seen.push_back({Read(dlg).pos, PendingSpeed});
        }
    });
    ASSERT_EQ(seen.size(), std::size(steps));
    for (size_t i = 0; i < seen.size(); ++i)
        EXPECT_EQ(seen[i], std::make_pair(steps[i].expected, steps[i].expected))
            << "step " << i << ", code " << steps[i].code;
    EXPECT_EQ(OptSpeed, 550);
    EXPECT_EQ(TimerInterval, 550u);
}

TEST_F(Dialogs, OkStoresAllFourSettingsForTheNextGame)
{
    int8_t discs = DiscCount;
    uint8_t mode = PlayMode;
    int8_t board[TowerCount][SlotCount];
    memcpy(board, Towers, sizeof board);
    WithOptions(
        [&](HWND dlg) {
            Click(dlg, 1006);
            Click(dlg, 1020);
            Scroll(dlg, SB_THUMBTRACK, 320);
            Scroll(dlg, SB_THUMBPOSITION, 320);
            Scroll(dlg, SB_ENDSCROLL);
        },
        IDOK);
    EXPECT_EQ(OptDiscCount, 7);
    EXPECT_EQ(OptPlayMode, AutomaticPlay);
    EXPECT_EQ(OptSpeed, 320);
    EXPECT_EQ(TimerInterval, 320u);
    // The game under way is left alone.
    EXPECT_EQ(DiscCount, discs);
    EXPECT_EQ(PlayMode, mode);
    EXPECT_EQ(memcmp(board, Towers, sizeof board), 0);

    OptionsView v{};
    WithOptions([&](HWND dlg) { v = Read(dlg); });
    EXPECT_EQ(v.discs, DiscChecks(7));
    EXPECT_EQ(v.modes, "10");
    EXPECT_EQ(v.pos, 320);
}

TEST_F(Dialogs, OkWithoutChangesKeepsTheSettingsAndAlignsTheTimer)
{
    OptDiscCount = 9;
    OptPlayMode = AutomaticPlay;
    OptSpeed = 400;
    TimerInterval = 999;
    OptionsView v{};
    WithOptions([&](HWND dlg) { v = Read(dlg); }, IDOK);
    EXPECT_EQ(v.discs, DiscChecks(9));
    EXPECT_EQ(v.modes, "10");
    EXPECT_EQ(v.pos, 400);
    EXPECT_EQ(OptDiscCount, 9);
    EXPECT_EQ(OptPlayMode, AutomaticPlay);
    EXPECT_EQ(OptSpeed, 400);
    EXPECT_EQ(TimerInterval, 400u);
}

TEST_F(Dialogs, LeavingOptionsOtherwiseStoresNothing)
{
    struct Way {
        const char* name;
        void (*leave)(HWND);
    } const ways[] = {
        {"Cancel button", [](HWND dlg) { Click(dlg, IDCANCEL); }},
        {"Esc key",
         [](HWND dlg) {
             HWND focus = GetFocus();
             PostMessageA(focus ? focus : dlg, WM_KEYDOWN, VK_ESCAPE, 0);
         }},
        {"close box", [](HWND dlg) { PostMessageA(dlg, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    OptDiscCount = 4;
    OptPlayMode = ManualPlay;
    OptSpeed = 250;
    TimerInterval = 250;
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        WithOptions(
            [&](HWND dlg) {
                Click(dlg, 1008);
                Click(dlg, 1020);
                Scroll(dlg, SB_PAGERIGHT);
                way.leave(dlg);
            },
            0);
        EXPECT_EQ(OptDiscCount, 4);
        EXPECT_EQ(OptPlayMode, ManualPlay);
        EXPECT_EQ(OptSpeed, 250);
        EXPECT_EQ(TimerInterval, 250u);
        OptionsView v{};
        WithOptions([&](HWND dlg) { v = Read(dlg); });
        EXPECT_EQ(v.discs, DiscChecks(4));
        EXPECT_EQ(v.modes, "01");
        EXPECT_EQ(v.pos, 250);
    }
}

// Opens the dialog of a menu command or the result dialog, and answers it.
void OpenDialog(HWND main, WPARAM command, DialogAnswerer* a)
{
    StartAnswering(a);
    if (command)
        SendMessageA(main, WM_COMMAND, command, 0);
    else
        ShowFinishDialog(main);
    StopAnswering();
}

TEST_F(Dialogs, EveryDialogOpensCentredOverTheActiveWindow)
{
    struct Case {
        WPARAM command;  // 0: the result dialog
        const char* caption;
    } const cases[] = {
        {CmdAbout, "Über die Türme von Tolmar"},
        {CmdRules, "Spielregeln"},
        {CmdRegister, "Registrierung"},
        {CmdOptions, "Optionen"},
        {0, "Geschafft !!!"},
    };
    int sw = GetSystemMetrics(SM_CXSCREEN);
    int sh = GetSystemMetrics(SM_CYSCREEN);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        ASSERT_EQ(GetActiveWindow(), main);
        RECT r;
        GetWindowRect(main, &r);
        DialogAnswerer a;
        OpenDialog(main, c.command, &a);
        ASSERT_EQ(a.seen.size(), 1u);
        const SeenDialog& d = a.seen[0];
        EXPECT_EQ(d.caption, c.caption);
        EXPECT_EQ(d.owner, main);
        EXPECT_FALSE(d.mainWindowEnabled);
        int w = d.rect.right - d.rect.left, h = d.rect.bottom - d.rect.top;
        POINT want = Centred(r, w, h, sw, sh);
        EXPECT_EQ(d.rect.left, want.x);
        EXPECT_EQ(d.rect.top, want.y);
        // Centred, not left at the template's place: the centres agree within a pixel.
        EXPECT_LE(std::abs((d.rect.left + d.rect.right) - (r.left + r.right)), 1);
        EXPECT_LE(std::abs((d.rect.top + d.rect.bottom) - (r.top + r.bottom)), 1);
        EXPECT_TRUE(IsWindowEnabled(main));
    }
}

TEST_F(Dialogs, ResultDialogShowsResultTextNotItsPlaceholder)
{
    lstrcpyA(ResultText, "Erste Zeile: 15 Züge,\nzweite Zeile: nicht schlecht.");
    std::string shown;
    DialogAnswerer a;
    a.inspect = [&](HWND dlg) { shown = Text(dlg, 1011); };
    OpenDialog(main, 0, &a);
    ASSERT_EQ(a.seen.size(), 1u);
    EXPECT_EQ(shown, ResultText);
    for (const std::string& t : a.seen[0].texts)
        EXPECT_EQ(t.find("The computer needed"), std::string::npos) << t;
}

TEST_F(Dialogs, DialogsStayOnThePrimaryScreen)
{
    int sw = GetSystemMetrics(SM_CXSCREEN);
    int sh = GetSystemMetrics(SM_CYSCREEN);
    struct Place {
        const char* name;
        int x, y;
        bool flushRight, flushBottom;  // else flush left / top
    } const places[] = {
        {"far left and up", -600, -290, false, false},
        {"far right and down", sw - 100, sh - 60, true, true},
        {"right of the screen, up", sw + 200, -400, true, false},
        {"left, below the screen", -900, sh + 300, false, true},
    };
    for (const Place& p : places) {
        SCOPED_TRACE(p.name);
        SetWindowPos(main, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        RECT r;
        GetWindowRect(main, &r);
        ASSERT_EQ(r.left, p.x);
        ASSERT_EQ(r.top, p.y);
        DialogAnswerer a;
        OpenDialog(main, CmdAbout, &a);
        ASSERT_EQ(a.seen.size(), 1u);
        const RECT& d = a.seen[0].rect;
        EXPECT_EQ(d.left, p.flushRight ? sw - (d.right - d.left) : 0);
        EXPECT_EQ(d.top, p.flushBottom ? sh - (d.bottom - d.top) : 0);
    }
}

TEST(CenterDialog, PlacesOverTheReferenceOrTheScreen)
{
    int sw = GetSystemMetrics(SM_CXSCREEN);
    int sh = GetSystemMetrics(SM_CYSCREEN);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    auto popup = [&](int x, int y, int w, int h) {
        return CreateWindowExA(0, "STATIC", "", WS_POPUP, x, y, w, h, nullptr, nullptr,
                               instance, nullptr);
    };
    struct Case {
        const char* name;
        bool reference;
        RECT ref;
        int w, h;
        int x, y;
    } const cases[] = {
        {"no reference: the screen's centre", false, {}, 301, 201, sw / 2 - 150, sh / 2 - 100},
        {"odd reference, odd dialog", true, {101, 51, 400, 300}, 301, 201, 100, 75},
        {"reference off the top left", true, {-401, -301, -1, -1}, 301, 201, 0, 0},
        {"reference beyond the bottom right", true, {sw + 100, sh + 100, sw + 500, sh + 400},
         301, 201, sw - 301, sh - 201},
        {"wider than the screen, reference right", true, {sw, 0, sw + 600, 300}, sw + 100, 201,
         -100, 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HWND ref = c.reference ? popup(c.ref.left, c.ref.top, c.ref.right - c.ref.left,
                                       c.ref.bottom - c.ref.top)
                               : nullptr;
        HWND dlg = popup(7, 9, c.w, c.h);
        ASSERT_NE(dlg, nullptr);
        CenterDialog(dlg, ref);
        RECT d;
        GetWindowRect(dlg, &d);
        EXPECT_EQ(d.left, c.x);
        EXPECT_EQ(d.top, c.y);
        EXPECT_EQ(d.right - d.left, c.w);
        EXPECT_EQ(d.bottom - d.top, c.h);
        DestroyWindow(dlg);
        if (ref)
            DestroyWindow(ref);
    }
}

}  // namespace
