// The dialogs on their real templates, opened from the real main window's menu and
// answered from a timer while their modal loop runs.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "logic/board.h"
#include "logic/game.h"
#include "res/resource.h"
#include "shell/dialogs.h"
#include "shell/gameflow.h"
#include "support.h"

namespace {

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
    HWND bar = GetDlgItem(dlg, IDC_SPEED);
    GetScrollRange(bar, SB_CTL, &v.low, &v.high);
    v.pos = GetScrollPos(bar, SB_CTL);
    return v;
}

// The settings for the next game; the timer interval follows the speed.
struct Settings {
    int discs = 0;
    uint8_t mode = 0;
    int speed = 0;
};

// Whether the dialog shows these settings.
void ExpectShows(const OptionsView& v, const Settings& s)
{
    std::string discs(9, '0');
    discs[s.discs - 1] = '1';
    EXPECT_EQ(v.discs, discs);
    EXPECT_EQ(v.modes, s.mode == AutomaticPlay ? "10" : "01");
    EXPECT_EQ(v.low, 100);
    EXPECT_EQ(v.high, 1000);
    EXPECT_EQ(v.pos, s.speed);
}

void Click(HWND dlg, int id)
{
    SendMessageA(GetDlgItem(dlg, id), BM_CLICK, 0, 0);
}

void Scroll(HWND dlg, int code, int thumb = 0)
{
    SendMessageA(dlg, WM_HSCROLL, MAKEWPARAM(code, thumb),
                 reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDC_SPEED)));
}

class Dialogs : public GameWindowTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(GameWindowTest::SetUp());
        SetWindowPos(hwnd, nullptr, 123, 77, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        Pump();
    }

    // Chooses a menu command, or with 0 opens the result dialog, and answers whatever
    // dialog opens.
    void Open(WPARAM command, DialogAnswerer* answerer)
    {
        StartAnswering(answerer);
        if (command)
            SendMessageA(hwnd, WM_COMMAND, command, 0);
        else
            ShowFinishDialog(hwnd);
        StopAnswering();
    }

    // Opens Options, lets `act` work on it, then leaves with `button` (0: act closes it).
    void WithOptions(const std::function<void(HWND)>& act, int button = IDCANCEL)
    {
        DialogAnswerer a;
        a.inspect = act;
        a.button = button;
        Open(IDM_OPTIONS, &a);
        ASSERT_EQ(a.seen.size(), 1u);
        EXPECT_EQ(a.seen[0].caption, "Optionen");
    }
};

// The buttons and the scroll bar as a person works them, and bare commands that name no
// button: after each, what the dialog shows (the check marks of the discs and of the modes,
// and the thumb) and, after the slash, what it would store (discs, mode, speed).
TEST_F(Dialogs, OptionsInputsMoveTheChecksAndTheThumb)
{
    enum Input { ButtonClick, BareCommand, ScrollCode };
    struct Step {
        Input input;
        int id;           // the button or command, or the scroll code
        int thumb;        // of a scroll
        int movedBefore;  // the thumb is put here first, to see it set back; 0: not moved
        const char* expected;
    } const steps[] = {
        {ButtonClick, 1008, 0, 0, "000000001 01 550 / 9 1 550"},
        {ButtonClick, 1020, 0, 0, "000000001 10 550 / 9 0 550"},
        {ButtonClick, 1000, 0, 0, "100000000 10 550 / 1 0 550"},
        {ButtonClick, 1004, 0, 0, "000010000 10 550 / 5 0 550"},
        {ButtonClick, 1021, 0, 0, "000010000 01 550 / 5 1 550"},
        {BareCommand, 1009, 0, 0, "000010000 01 550 / 5 1 550"},
        {BareCommand, 1011, 0, 0, "000010000 01 550 / 5 1 550"},
        {BareCommand, 1019, 0, 0, "000010000 01 550 / 5 1 550"},
        {ButtonClick, 1006, 0, 0, "000000100 01 550 / 7 1 550"},
        {ScrollCode, SB_LINELEFT, 0, 0, "000000100 01 545 / 7 1 545"},
        {ScrollCode, SB_LINERIGHT, 0, 0, "000000100 01 550 / 7 1 550"},
        {ScrollCode, SB_PAGELEFT, 0, 0, "000000100 01 450 / 7 1 450"},
        {ScrollCode, SB_PAGERIGHT, 0, 0, "000000100 01 550 / 7 1 550"},
        // The ends of the bar hold; how a step stops there is the unit tests' to show.
        {ScrollCode, SB_THUMBTRACK, 103, 0, "000000100 01 103 / 7 1 103"},
        {ScrollCode, SB_LINELEFT, 0, 0, "000000100 01 100 / 7 1 100"},
        {ScrollCode, SB_PAGELEFT, 0, 0, "000000100 01 100 / 7 1 100"},
        {ScrollCode, SB_THUMBTRACK, 997, 0, "000000100 01 997 / 7 1 997"},
        {ScrollCode, SB_LINERIGHT, 0, 0, "000000100 01 1000 / 7 1 1000"},
        {ScrollCode, SB_PAGERIGHT, 0, 0, "000000100 01 1000 / 7 1 1000"},
        {ScrollCode, SB_THUMBTRACK, 700, 0, "000000100 01 700 / 7 1 700"},
        {ScrollCode, SB_THUMBPOSITION, 300, 0, "000000100 01 700 / 7 1 700"},
        {ScrollCode, SB_LEFT, 0, 200, "000000100 01 700 / 7 1 700"},
        {ScrollCode, SB_RIGHT, 0, 900, "000000100 01 700 / 7 1 700"},
        {ScrollCode, SB_ENDSCROLL, 0, 400, "000000100 01 700 / 7 1 700"},
        {ScrollCode, SB_THUMBPOSITION, 700, 650, "000000100 01 700 / 7 1 700"},
    };
    std::vector<std::string> seen;
    WithOptions([&](HWND dlg) {
        for (const Step& s : steps) {
            if (s.movedBefore)
                SetScrollPos(GetDlgItem(dlg, IDC_SPEED), SB_CTL, s.movedBefore, TRUE);
            if (s.input == ButtonClick)
                Click(dlg, s.id);
            else if (s.input == BareCommand)
                SendMessageA(dlg, WM_COMMAND, s.id, 0);
            else
                Scroll(dlg, s.id, s.thumb);
            OptionsView v = Read(dlg);
            seen.push_back(v.discs + " " + v.modes + " " + std::to_string(v.pos) + " / " +
                           std::to_string(PendingDiscCount) + " " +
                           std::to_string(PendingPlayMode) + " " + std::to_string(PendingSpeed));
        }
    });
    ASSERT_EQ(seen.size(), std::size(steps));
    for (size_t i = 0; i < seen.size(); ++i)
        EXPECT_EQ(seen[i], steps[i].expected) << "step " << i << ", input " << steps[i].id;
    EXPECT_EQ(OptSpeed, 550);
    EXPECT_EQ(TimerInterval, 550u);
}

// The speed from the keyboard: Tab reaches the scroll bar, whose keys step it as the
// scroll codes do (Home and End, like the codes they send, leave it as it is). A key
// already typed when the dialog opens changes nothing in it.
TEST_F(Dialogs, TheKeysReachAndMoveTheSpeed)
{
    HWND bar = nullptr;
    HWND focused = nullptr;
    WithOptions(
        [&](HWND dlg) {
            PostMessageA(dlg, WM_CHAR, '9', 0);  // typed ahead
            bar = GetDlgItem(dlg, IDC_SPEED);
            SetFocus(GetNextDlgTabItem(dlg, bar, TRUE));
            Sleep(ReadingTime);
            KeyInput({VK_TAB});
            Later(100, [&focused, dlg] {
                focused = GetFocus();
                KeyInput({VK_RIGHT, VK_RIGHT, VK_NEXT, VK_PRIOR, VK_HOME, VK_END, VK_LEFT});
                Later(200, [dlg] { PostMessageA(dlg, WM_COMMAND, IDOK, 0); });
            });
        },
        0);
    EXPECT_EQ(focused, bar);
    EXPECT_EQ(OptSpeed, 555);
    EXPECT_EQ(OptDiscCount, 3);
}

// Changes every setting; the dialog must then forget them unless it is confirmed.
void ChangeAll(HWND dlg)
{
    Click(dlg, 1008);
    Click(dlg, 1020);
    Scroll(dlg, SB_PAGERIGHT);
}

enum Path { OkButton, EnterKey, EscKey, CloseBox };

// Leaves a dialog the way a person would; posted, so that the dialog's own loop runs it.
void Leave(HWND dlg, Path path)
{
    HWND focus = GetFocus() ? GetFocus() : dlg;
    if (path == EnterKey || path == EscKey)
        Sleep(ReadingTime);
    switch (path) {
    case OkButton: PostMessageA(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0); break;
    case EnterKey: PostMessageA(focus, WM_KEYDOWN, VK_RETURN, 0); break;
    case EscKey: PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 0); break;
    case CloseBox: PostMessageA(dlg, WM_SYSCOMMAND, SC_CLOSE, 0); break;
    }
}

// Every dialog, opened by its real caller, shows its German texts, sits centred over the
// main window, which it disables, and closes by each of the four ways. Options stores
// its settings on OK and Enter only, and shows on opening what was last stored. Over a
// minimised main window, whose rectangle lies off the screen or on its edge, a dialog
// opens in the middle of the work area, where a person looks; over one dragged partly
// off the screen, it is pulled back onto it.
TEST_F(Dialogs, EveryDialogClosesEveryWayAndOnlyAConfirmedOptionsStores)
{
    struct Shown {
        WPARAM command;  // 0: the result dialog
        const char* caption;
        const char* texts[2];  // texts with umlauts it must show, in Windows-1252
    } const dialogs[] = {
        {IDM_ABOUT, "\xDC" "ber die T\xFCrme von Tolmar", {"Kelvatrix pr\xE4sentiert", "Die T\xFCrme von Tolmar"}},
        {IDM_RULES, "Spielregeln", {"Nur zwei Regeln m\xFCssen befolgt werden:"}},
        {IDM_REGISTER, "Registrierung", {"Hierf\xFCr gibt es einen guten Grund:"}},
        {0, "Geschafft !!!", {"Die Aufgabe ist gel\xF6st, nun, schauen wir mal wie die Leistung war ...",
                              "Erste Zeile: 15 Z\xFCge,\nzweite Zeile: nicht schlecht."}},
        {IDM_OPTIONS, "Optionen", {"Mit wievielen Platten m\xF6" "chten Sie spielen ?"}},
    };
    struct Case {
        const Shown* dialog;
        Path path;
        Settings shown = {}, stored = {};  // Options only
        enum { Restored, Minimised, PartlyOff } main = Restored;
    };
    std::vector<Case> cases;
    for (const Shown& d : dialogs)
        if (d.command != IDM_OPTIONS)
            for (Path path : {OkButton, EnterKey, EscKey, CloseBox})
                cases.push_back({&d, path, {}, {},
                                 path == EnterKey ? Case::Minimised
                                 : path == EscKey ? Case::PartlyOff : Case::Restored});
    // Options in turn: left twice without storing, then confirmed twice.
    const Shown* options = &dialogs[4];
    cases.push_back({options, EscKey, {3, ManualPlay, 550}, {3, ManualPlay, 550}});
    cases.push_back({options, CloseBox, {3, ManualPlay, 550}, {3, ManualPlay, 550}});
    cases.push_back({options, OkButton, {3, ManualPlay, 550}, {9, AutomaticPlay, 650}});
    cases.push_back({options, EnterKey, {9, AutomaticPlay, 650}, {9, AutomaticPlay, 750}});
    lstrcpyA(ResultText, "Erste Zeile: 15 Z\xFCge,\nzweite Zeile: nicht schlecht.");
    const std::string board = BoardText();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dialog->caption << ", way " << c.path);
        if (c.main == Case::Minimised)
            ShowWindow(hwnd, SW_MINIMIZE);
        if (c.main == Case::PartlyOff)
            SetWindowPos(hwnd, nullptr, -400, 77, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        RECT main;
        GetWindowRect(hwnd, &main);
        if (c.main == Case::Minimised)
            SystemParametersInfoA(SPI_GETWORKAREA, 0, &main, 0);
        OptionsView shown{};
        DialogAnswerer a;
        a.button = 0;
        a.inspect = [&](HWND dlg) {
            if (c.dialog->command == IDM_OPTIONS) {
                shown = Read(dlg);
                ChangeAll(dlg);
            }
            Leave(dlg, c.path);
        };
        Open(c.dialog->command, &a);
        ShowWindow(hwnd, SW_RESTORE);
        SetWindowPos(hwnd, nullptr, 123, 77, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ASSERT_EQ(a.seen.size(), 1u);
        EXPECT_EQ(a.forced, 0) << "did not close";
        const SeenDialog& d = a.seen[0];
        EXPECT_EQ(d.caption, c.dialog->caption);
        for (const char* text : c.dialog->texts)
            if (text) {
                EXPECT_NE(std::find(d.texts.begin(), d.texts.end(), text), d.texts.end()) << text;
            }
        for (const std::string& t : d.texts)
            EXPECT_EQ(t.find("The computer needed"), std::string::npos) << t;
        EXPECT_EQ(d.owner, hwnd);
        EXPECT_EQ(d.unicode, !Expect9x());
        EXPECT_FALSE(d.mainWindowEnabled);
        EXPECT_TRUE(IsWindowEnabled(hwnd));
        // Centred: the centres agree within a pixel.
        if (c.main == Case::PartlyOff)
            EXPECT_EQ(d.rect.left, 0);
        else
            EXPECT_LE(std::abs((d.rect.left + d.rect.right) - (main.left + main.right)), 1);
        EXPECT_LE(std::abs((d.rect.top + d.rect.bottom) - (main.top + main.bottom)), 1);
        if (c.dialog->command == IDM_OPTIONS) {
            ExpectShows(shown, c.shown);
            EXPECT_EQ(OptDiscCount, c.stored.discs);
            EXPECT_EQ(OptPlayMode, c.stored.mode);
            EXPECT_EQ(OptSpeed, c.stored.speed);
            EXPECT_EQ(TimerInterval, static_cast<uint32_t>(c.stored.speed));
        }
        // The game under way is left alone.
        EXPECT_EQ(BoardText(), board);
        EXPECT_EQ(PlayMode, ManualPlay);
    }
}

}  // namespace
