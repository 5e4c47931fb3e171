// Automatic play on the real main window: New Game and its timer, the solver's steps
// from ticks and the space bar, the end of the game and re-entry through modal boxes.
#include <gtest/gtest.h>

#include <string>

#include "logic/board.h"
#include "logic/game.h"
#include "support.h"
#include "view/layout.h"

namespace {

const int FastTicks = 100;

void Tick(HWND hwnd) { SendMessageA(hwnd, WM_TIMER, 0, 0); }

class AutoPlay : public GameWindowTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(GameWindowTest::SetUp());
        CountMessages(hwnd);
    }

    // No tick reaches the window for a while, and there is no timer left to kill.
    void ExpectTimerStopped()
    {
        int ticks = MessagesCounted(WM_TIMER);
        Pump(500);
        EXPECT_EQ(MessagesCounted(WM_TIMER), ticks);
        EXPECT_FALSE(KillTimer(hwnd, 0));
    }

    // The game when the first box opened, and after ticks and a space sent while it was
    // open; whether real ticks reached the window meanwhile; the last result text shown.
    struct FirstBox {
        int moves = -1, movesAfter = -1;
        std::string board, boardAfter, result;
        bool ticksArrived = false;
    };
    void WatchBoxes(FirstBox* box)
    {
        answers.inspect = [this, box](HWND dlg) {
            if (GetDlgItem(dlg, 1011))
                box->result = ItemText(dlg, 1011);
            if (box->moves >= 0)
                return;
            box->moves = MoveCount;
            box->board = BoardText();
            int ticks = MessagesCounted(WM_TIMER);
            box->ticksArrived =
                PumpUntil([&] { return MessagesCounted(WM_TIMER) >= ticks + 2; }, 3000);
            Tick(hwnd);
            Type(hwnd, " ");
            Tick(hwnd);
            box->movesAfter = MoveCount;
            box->boardAfter = BoardText();
        };
    }
};

// While any dialog is open the main window takes no keys and no presses, automatic play
// goes on, and settings confirmed meanwhile change nothing in the game under way, down
// to its result; the next New Game takes them.
TEST_F(AutoPlay, DialogsOpenDuringAGameChangeNothingInIt)
{
    const WPARAM dialogs[] = {100, 102, 105, 104};  // About, Rules, Register, Options
    for (bool automatic : {false, true}) {
        SCOPED_TRACE(automatic ? "automatic game" : "manual game");
        StartNewGame(hwnd, 3, automatic, NoRealTicks);
        KeyAwaitSource = 1;
        answers.seen.clear();
        int moves = 0;
        const uint32_t games = GamesBegun;
        for (WPARAM command : dialogs) {
            answers.inspect = [&](HWND dlg) {
                KeyInput("21");
                PostMessageA(hwnd, WM_CHAR, '2', 0);  // typed ahead, still waiting
                PostMessageA(hwnd, WM_CHAR, '1', 0);
                PostMessageA(hwnd, WM_COMMAND, 101, 0);  // Alt+S, N: a new game
                CursorTo(hwnd, {ColumnCenter(1), 4});  // above the dialog, middle tower
                ButtonInput(MOUSEEVENTF_LEFTDOWN);
                ButtonInput(MOUSEEVENTF_LEFTUP);
                Pump(100);
                Tick(hwnd);
                EXPECT_EQ(Dragging, 0);
                if (command == 104) {  // 5 discs, the other mode, the fastest speed
                    SendDlgItemMessageA(dlg, 1004, BM_CLICK, 0, 0);
                    SendDlgItemMessageA(dlg, automatic ? 1021 : 1020, BM_CLICK, 0, 0);
                    SendMessageA(dlg, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 100), 0);
                }
            };
            SendMessageA(hwnd, WM_COMMAND, command, 0);
            moves += automatic;
            EXPECT_EQ(MoveCount, moves) << "dialog " << command;
            EXPECT_EQ(GamesBegun, games) << "dialog " << command;
            EXPECT_EQ(KeyAwaitSource, 1);
        }
        ASSERT_EQ(answers.seen.size(), 4u);
        EXPECT_EQ(OptDiscCount, 5);
        EXPECT_EQ(TimerInterval, 100u);
        EXPECT_EQ(PlayMode, automatic ? AutomaticPlay : ManualPlay);
        EXPECT_EQ(DiscCount, 3);
        FirstBox box;
        WatchBoxes(&box);
        if (automatic)
            while (MoveCount < 7)
                Tick(hwnd);
        else
            Type(hwnd, "23213123121323");
        EXPECT_EQ(box.result, automatic ? ComputerText(7, 7) : std::string(ExactText));
    }
    // The settings chosen in the last game: manual, 5 discs.
    SendMessageA(hwnd, WM_COMMAND, 101, 0);
    UpdateWindow(hwnd);
    EXPECT_EQ(PlayMode, ManualPlay);
    EXPECT_EQ(BoardText(), "|54321|");
    ExpectPixelsMatchBoard(5);
}

class AutoPlayFullGame : public AutoPlay, public ::testing::WithParamInterface<int> {};

// Tick by tick the solver's moves, each drawn straight to the window, to the one result.
TEST_P(AutoPlayFullGame, EndsOnceWithTheComputersTextAndStopsTheTimerAfterTheDialog)
{
    const int discs = GetParam();
    const int minimal = (1 << discs) - 1;
    StartNewGame(hwnd, discs, true, FastTicks);

    FirstBox box;
    WatchBoxes(&box);
    int sent = 0;
    while (answers.seen.empty() && sent <= minimal + 3) {
        Tick(hwnd);
        ++sent;
        SCOPED_TRACE(testing::Message() << "step " << sent);
        // Nothing is left for a repaint to fix.
        EXPECT_FALSE(GetUpdateRect(hwnd, nullptr, FALSE));
        if (discs <= 4)
            ExpectPixelsMatchBoard(discs);
    }
    EXPECT_EQ(sent, minimal);
    EXPECT_EQ(MoveCount, minimal);
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].caption, "Geschafft !!!");
    EXPECT_EQ(answers.seen[0].owner, hwnd);
    EXPECT_FALSE(answers.seen[0].mainWindowEnabled);
    EXPECT_EQ(box.result, ComputerText(minimal, minimal));
    EXPECT_EQ(box.moves, minimal);
    // The real timer goes on while the dialog is open, and changes nothing.
    EXPECT_TRUE(box.ticksArrived);
    EXPECT_EQ(box.movesAfter, minimal);
    EXPECT_EQ(box.boardAfter, box.board);

    // An odd number of discs ends on the right, an even one on the left.
    const std::string stack = std::string("987654321").substr(9 - discs);
    const std::string solved = discs % 2 ? "||" + stack : stack + "||";
    EXPECT_EQ(BoardText(), solved);
    ExpectTimerStopped();

    // After the end, ticks and the space bar change nothing and open nothing.
    for (int i = 0; i < 5; ++i)
        Tick(hwnd);
    Type(hwnd, " ");
    Pump(100);
    EXPECT_EQ(MoveCount, minimal);
    EXPECT_EQ(BoardText(), solved);
    EXPECT_EQ(answers.seen.size(), 1u);
    ExpectPixelsMatchBoard(discs);
}

INSTANTIATE_TEST_SUITE_P(Discs, AutoPlayFullGame, ::testing::Values(1, 2, 3, 4, 9));

// A manual New Game while the timer runs: the old timer ticks on into it and moves
// nothing. An automatic one then starts over on a fresh board, from the small disc.
TEST_F(AutoPlay, NewGameWhileTheTimerRunsStartsOver)
{
    StartNewGame(hwnd, 3, true, FastTicks);
    ASSERT_TRUE(PumpUntil([] { return MoveCount >= 2; }));
    StartNewGame(hwnd, 3, false, FastTicks);
    int ticks = MessagesCounted(WM_TIMER);
    ASSERT_TRUE(PumpUntil([&] { return MessagesCounted(WM_TIMER) >= ticks + 4; }));
    EXPECT_EQ(MoveCount, 0);
    EXPECT_EQ(BoardText(), "|321|");
    ExpectPixelsMatchBoard(3);

    StartNewGame(hwnd, 4, true, FastTicks);
    EXPECT_EQ(BoardText(), "|4321|");
    Tick(hwnd);
    EXPECT_EQ(BoardText(), "|432|1");
    EXPECT_TRUE(PumpUntil([] { return BoardText() == "4321||"; }, 10000)) << "it stands still";
}

// A game that ends behind a menu dialog shows its result over that dialog, owned by it:
// closing the result gives the input back to the dialog, not to the main window, which
// stays disabled until the dialog closes too. Enter, held down to close the result, is
// stale for the dialog beneath: its repeats must not press OK there (in Options, storing a
// choice never confirmed). Then the next game plays.
TEST_F(AutoPlay, AResultOverADialogGivesTheInputBackToThatDialog)
{
    for (WPARAM command : {100, 102, 104, 105}) {  // About, Rules, Options, Register
        SCOPED_TRACE(testing::Message() << "dialog " << command);
        StartNewGame(hwnd, 1, true, NoRealTicks);
        answers.seen.clear();
        HWND dialog = nullptr;
        BOOL mainEnabled = TRUE, dialogEnabled = FALSE;
        bool openAfterRepeats = false;
        answers.button = 0;
        answers.inspect = [&](HWND box) {
            if (dialog) {  // the result: read, then Enter held down
                Sleep(ReadingTime);
                KeyInput("\r\r\r", KeyDown);
                KeyInput("\r", KeyUp);
                return;
            }
            dialog = box;
            SendDlgItemMessageA(box, 1008, BM_CLICK, 0, 0);  // Options: 9 discs
            Tick(hwnd);  // returns once the result is closed
            mainEnabled = IsWindowEnabled(hwnd);
            dialogEnabled = IsWindowEnabled(dialog);
            Later(300, [&openAfterRepeats, box] {
                openAfterRepeats = IsWindow(box);
                PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
            });
        };
        SendMessageA(hwnd, WM_COMMAND, command, 0);
        ASSERT_EQ(answers.seen.size(), 2u);
        EXPECT_EQ(answers.seen[1].caption, "Geschafft !!!");
        EXPECT_EQ(answers.seen[1].owner, dialog);
        EXPECT_FALSE(mainEnabled);
        EXPECT_TRUE(dialogEnabled);
        EXPECT_TRUE(openAfterRepeats) << "closed by the key held for the result";
        EXPECT_EQ(OptDiscCount, 1);
        EXPECT_TRUE(IsWindowEnabled(hwnd));
        EXPECT_EQ(answers.forced, 0);
    }
    StartNewGame(hwnd, 2, true, FastTicks);
    EXPECT_TRUE(PumpUntil([] { return MoveCount == 3; })) << "the new game stands still";
    EXPECT_EQ(BoardText(), "21||");
}

// A person's click on a box's OK button, with the real mouse.
void ClickOk(HWND box)
{
    RECT ok;
    GetWindowRect(GetDlgItem(box, IDOK), &ok);
    SetCursorPos((ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2);
    ButtonInput(MOUSEEVENTF_LEFTDOWN);
    ButtonInput(MOUSEEVENTF_LEFTUP);
}

// While the system runs a loop of its own (a menu, moving the window by its caption, the
// system menu of a dialog) or the mouse is captured, a result would take no clicks and
// leave the loop running under it: a game that ends then shows its result once the loop
// has ended, once, over the innermost box, and a click on its OK closes it.
TEST_F(AutoPlay, AResultDueInALoopOfTheSystemOpensWhenTheLoopEnds)
{
    enum Loop { MenuBar, CaptionDrag, DialogSystemMenu, Capture };
    for (Loop loop : {MenuBar, CaptionDrag, DialogSystemMenu, Capture}) {
        SCOPED_TRACE(testing::Message() << "loop " << loop);
        StartNewGame(hwnd, 1, true, NoRealTicks);
        answers.seen.clear();
        answers.forced = 0;
        answers.button = 0;
        RECT before;
        GetWindowRect(hwnd, &before);
        bool shownInLoop = true;
        // Inside the loop: the game ends, then the loop ends as a person ends it.
        auto inLoop = [&] {
            Tick(hwnd);
            shownInLoop = answers.Boxes("Geschafft !!!") > 0;
            if (loop == CaptionDrag)
                ButtonInput(MOUSEEVENTF_LEFTUP);
            else
                EndMenu();
        };
        HWND rules = nullptr;
        answers.inspect = [&](HWND box) {
            if (loop == DialogSystemMenu && !rules) {
                rules = box;
                Later(50, inLoop);
                PostMessageA(box, WM_SYSCOMMAND, SC_KEYMENU, ' ');
                return;
            }
            ClickOk(box);
            if (rules)
                PostMessageA(rules, WM_COMMAND, IDCANCEL, 0);
        };
        if (loop == MenuBar) {
            Later(50, inLoop);
            PostMessageA(hwnd, WM_SYSCOMMAND, SC_KEYMENU, 's');
        } else if (loop == CaptionDrag) {
            POINT caption = {(before.left + before.right) / 2,
                             before.top + GetSystemMetrics(SM_CYFRAME) +
                                 GetSystemMetrics(SM_CYCAPTION) / 2};
            ASSERT_EQ(SendMessageA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(caption.x, caption.y)),
                      HTCAPTION);
            SetCursorPos(caption.x, caption.y);
            Later(50, inLoop);
            ButtonInput(MOUSEEVENTF_LEFTDOWN);
        } else if (loop == DialogSystemMenu) {
            PostMessageA(hwnd, WM_COMMAND, 102, 0);  // Rules
        } else {
            SetCapture(hwnd);
            Tick(hwnd);
            shownInLoop = answers.Boxes("Geschafft !!!") > 0;
            ReleaseCapture();
        }
        EXPECT_TRUE(PumpUntil([&] {
            return answers.Boxes("Geschafft !!!") > 0 && IsWindowEnabled(hwnd);
        }));
        Pump(300);
        EXPECT_FALSE(shownInLoop);
        ASSERT_EQ(answers.Boxes("Geschafft !!!"), 1);
        EXPECT_EQ(answers.seen.back().owner, rules ? rules : hwnd);
        EXPECT_EQ(answers.forced, 0) << "the click on OK did nothing";
        EXPECT_EQ(GetCapture(), nullptr);
        // No loop runs on: the window stays where it is when the mouse moves.
        SetCursorPos(before.left + 40, before.top + 200);
        Pump(100);
        RECT after;
        GetWindowRect(hwnd, &after);
        EXPECT_TRUE(EqualRect(&before, &after));
        ExpectTimerStopped();
    }
}

// The space bar held down in an automatic game: its repeats ask for steps until the game
// ends. The result then ignores the key's further repeats and its release, and a tap that
// comes sooner than a person can read it; only a press after that closes it.
TEST_F(AutoPlay, AHeldSpaceEndsTheGameButDoesNotCloseItsResult)
{
    enum Then { Nothing, TapAtOnce, TapOnceRead };
    for (Then then : {Nothing, TapAtOnce, TapOnceRead}) {
        SCOPED_TRACE(testing::Message() << "held, released, then " << then);
        StartNewGame(hwnd, 2, true, NoRealTicks);
        answers.seen.clear();
        answers.forced = 0;
        answers.button = 0;
        answers.inspect = [&](HWND) {
            KeyInput("  ", KeyDown);
            KeyInput(" ", KeyUp);
            if (then == TapOnceRead)
                Sleep(ReadingTime);
            if (then != Nothing)
                KeyInput(" ");
        };
        KeyInput("   ", KeyDown);
        // The box opens, and closes, inside the dispatch of the third repeat.
        ASSERT_TRUE(PumpUntil([&] { return !answers.seen.empty(); }));
        EXPECT_EQ(MoveCount, 3);
        EXPECT_EQ(BoardText(), "21||");
        EXPECT_EQ(answers.Boxes("Geschafft !!!"), 1);
        EXPECT_EQ(answers.forced, then == TapOnceRead ? 0 : 1) << "closed by an early key";
        EXPECT_FALSE(KillTimer(hwnd, 0)) << "the timer of the ended game runs on";
    }
}

// A screen reader cannot speak a game faster than a move a second: of seven steps in a
// row it hears only the one that solves the board, after New Game. A game whose timer
// runs a second or slower is heard step by step, however its ticks come.
int Heard;

void CALLBACK HearBoard(HWINEVENTHOOK, DWORD, HWND, LONG object, LONG child, DWORD, DWORD)
{
    Heard += object == OBJID_CLIENT && child == CHILDID_SELF;
}

TEST_F(AutoPlay, AFastGameIsAnnouncedLessOftenButAlwaysAtItsEnd)
{
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_VALUECHANGE, EVENT_OBJECT_VALUECHANGE,
                                         nullptr, HearBoard, GetCurrentProcessId(), 0,
                                         WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    for (int interval : {999, 1000}) {
        Heard = 0;
        StartNewGame(hwnd, 3, true, interval);
        for (int i = 0; i < 7; ++i)
            Tick(hwnd);
        Pump(100);
        EXPECT_EQ(Heard, interval < 1000 ? 2 : 8) << "timer of " << interval << " ms";
    }
    UnhookWinEvent(hook);
}

// The solver's move is refused while the box is open; a tick or a space then must not
// run a step nested inside the unfinished one.
TEST_F(AutoPlay, TicksAndSpaceDoNothingWhileAStepWaitsInTheInvalidMoveBox)
{
    StartNewGame(hwnd, 3, true, FastTicks);
    // Disc 1 goes where the solver's first step would put it, behind its back: the
    // step then tries disc 2 onto disc 1.
    Towers[1][2] = 0;
    Towers[2][0] = 1;

    FirstBox box;
    WatchBoxes(&box);
    Tick(hwnd);

    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].caption, "Invalid Move");
    EXPECT_FALSE(answers.seen[0].mainWindowEnabled);
    // The refused step was counted before its move was tried.
    EXPECT_EQ(box.moves, 1);
    EXPECT_EQ(box.board, "|32|1");
    EXPECT_TRUE(box.ticksArrived);
    EXPECT_EQ(box.movesAfter, 1);
    EXPECT_EQ(box.boardAfter, "|32|1");
    EXPECT_EQ(MoveCount, 1);
    EXPECT_EQ(BoardText(), "|32|1");

    // Once the box is closed the timer carries on with the solution to its end.
    ASSERT_TRUE(PumpUntil([&] { return answers.seen.size() >= 2; }, 10000));
    EXPECT_EQ(answers.seen[1].caption, "Geschafft !!!");
    EXPECT_EQ(box.result, ComputerText(7, 7));
    EXPECT_EQ(MoveCount, 7);
    EXPECT_EQ(BoardText(), "||321");
    ExpectTimerStopped();
    EXPECT_EQ(answers.seen.size(), 2u);
}

}  // namespace
