// Automatic play on the real main window: New Game and its timer, the solver's steps
// from ticks and the space bar, the end of the game and re-entry through modal boxes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "logic/board.h"
#include "logic/game.h"
#include "support.h"

namespace {

const COLORREF Green = RGB(0, 128, 0);
const COLORREF White = RGB(255, 255, 255);
// Long enough that no real tick arrives while a test drives the solver itself.
const int NoRealTicks = 100000;
const int FastTicks = 100;

std::string ComputerText(int moves, int minimal)
{
    char text[300];
    wsprintfA(text,
              "Der Computer ben\xf6tigte %d Z\xfcge, notwendig\n"
              "waren %d. Nun, das ist nicht schlecht, oder ?",
              moves, minimal);
    return text;
}

std::string Stack(int discs)
{
    std::string s;
    for (int d = discs; d >= 1; --d)
        s += static_cast<char>('0' + d);
    return s;
}

int Minimal(int discs) { return (1 << discs) - 1; }

void Tick(HWND hwnd) { SendMessageA(hwnd, WM_TIMER, 0, 0); }
void Space(HWND hwnd) { SendMessageA(hwnd, WM_CHAR, ' ', 0); }

int Height(int tower)
{
    int h = 0;
    while (Towers[tower][h] != 0)
        ++h;
    return h;
}

class AutoPlay : public ::testing::Test {
protected:
    void SetUp() override
    {
        hwnd = CreateGameWindow();
        ASSERT_NE(hwnd, nullptr);
        CountMessages(hwnd);
        StartAnswering(&answers);
    }

    void TearDown() override
    {
        StopAnswering();
        DestroyWindow(hwnd);
        Pump();
    }

    int Boxes(const char* caption) const
    {
        int n = 0;
        for (const SeenDialog& d : answers.seen)
            n += d.caption == caption;
        return n;
    }

    // No tick reaches the window for a while, and there is no timer left to kill.
    void ExpectTimerStopped()
    {
        int ticks = MessagesCounted(WM_TIMER);
        Pump(500);
        EXPECT_EQ(MessagesCounted(WM_TIMER), ticks);
        EXPECT_FALSE(KillTimer(hwnd, 0));
    }

    HWND hwnd = nullptr;
    DialogAnswerer answers;
};

TEST_F(AutoPlay, OptionsThenNewGameLaysOutFiveDiscsAndStartsTheTimer)
{
    answers.inspect = [](HWND dlg) {
        SendDlgItemMessageA(dlg, 1004, BM_CLICK, 0, 0);  // 5 discs
        SendDlgItemMessageA(dlg, 1020, BM_CLICK, 0, 0);  // automatic
        HWND bar = GetDlgItem(dlg, 1012);
        for (int i = 0; i < 5; ++i)
            SendMessageA(dlg, WM_HSCROLL, SB_PAGELEFT, reinterpret_cast<LPARAM>(bar));
    };
    SendMessageA(hwnd, WM_COMMAND, 104, 0);
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].caption, "Optionen");
    EXPECT_EQ(OptDiscCount, 5);
    EXPECT_EQ(OptPlayMode, AutomaticPlay);
    EXPECT_EQ(TimerInterval, 100u);
    // The options alone leave the game under way as it was.
    EXPECT_EQ(BoardText(), "|321|");
    EXPECT_EQ(PlayMode, ManualPlay);
    Pump(300);
    EXPECT_EQ(MessagesCounted(WM_TIMER), 0);

    SendMessageA(hwnd, WM_COMMAND, 101, 0);
    UpdateWindow(hwnd);
    EXPECT_EQ(PlayMode, AutomaticPlay);
    EXPECT_EQ(DiscCount, 5);
    EXPECT_EQ(MoveCount, 0);
    EXPECT_EQ(BoardText(), "|54321|");
    for (int slot = 0; slot < 5; ++slot)
        EXPECT_EQ(SlotPixel(hwnd, 1, slot), Green) << "slot " << slot;
    EXPECT_EQ(SlotPixel(hwnd, 1, 5), White);
    EXPECT_EQ(SlotPixel(hwnd, 0, 0), White);
    EXPECT_EQ(SlotPixel(hwnd, 2, 0), White);

    ASSERT_TRUE(PumpUntil([] { return MoveCount >= 3; }));
    // Every tick that reached the window was one solver step.
    EXPECT_EQ(MessagesCounted(WM_TIMER), MoveCount);
    EXPECT_EQ(answers.seen.size(), 1u);
}

// The start of the solution as the solver plays it for three discs.
TEST_F(AutoPlay, StepsFollowTheThreeDiscSolutionAndRedrawOnlyTheMovedDisc)
{
    struct Step {
        int disc, from, to;
    };
    const Step steps[] = {{1, 1, 2}, {2, 1, 0}, {1, 2, 0}, {3, 1, 2},
                          {1, 0, 1}, {2, 0, 2}, {1, 1, 2}};
    StartNewGame(hwnd, 3, true, NoRealTicks);
    int n = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << "step " << n + 1);
        Tick(hwnd);
        ++n;
        EXPECT_EQ(MoveCount, n);
        ASSERT_GT(Height(s.to), 0);
        EXPECT_EQ(Towers[s.to][Height(s.to) - 1], s.disc);
        // Drawn straight to the window: nothing is left for a repaint to fix.
        EXPECT_FALSE(GetUpdateRect(hwnd, nullptr, FALSE));
        EXPECT_EQ(SlotPixel(hwnd, s.to, Height(s.to) - 1), Green);
        EXPECT_EQ(SlotPixel(hwnd, s.from, Height(s.from)), White);
    }
    EXPECT_EQ(BoardText(), "||321");
    EXPECT_EQ(Boxes("Geschafft !!!"), 1);
}

class AutoPlayFullGame : public AutoPlay, public ::testing::WithParamInterface<int> {};

TEST_P(AutoPlayFullGame, EndsOnceWithTheComputersTextAndStopsTheTimerAfterTheDialog)
{
    const int discs = GetParam();
    const int minimal = Minimal(discs);
    StartNewGame(hwnd, discs, true, FastTicks);

    struct {
        std::string text;
        int movesShown = -1;
        bool ticksArrived = false;
        int movesAfterNudges = -1;
        std::string boardAfterNudges;
    } during;
    answers.inspect = [&](HWND dlg) {
        if (during.movesShown >= 0)
            return;
        during.text = ItemText(dlg, 1011);
        during.movesShown = MoveCount;
        std::string board = BoardText();
        // The real timer goes on while the dialog is open.
        int ticks = MessagesCounted(WM_TIMER);
        during.ticksArrived =
            PumpUntil([&] { return MessagesCounted(WM_TIMER) >= ticks + 2; }, 3000);
        for (int i = 0; i < 3; ++i)
            Tick(hwnd);
        Space(hwnd);
        during.movesAfterNudges = MoveCount;
        during.boardAfterNudges = BoardText();
        EXPECT_EQ(during.boardAfterNudges, board);
    };

    int sent = 0;
    while (answers.seen.empty() && sent <= minimal + 3) {
        Tick(hwnd);
        ++sent;
    }
    EXPECT_EQ(sent, minimal);
    EXPECT_EQ(MoveCount, minimal);
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].caption, "Geschafft !!!");
    EXPECT_EQ(answers.seen[0].owner, hwnd);
    EXPECT_FALSE(answers.seen[0].mainWindowEnabled);
    EXPECT_EQ(during.text, ComputerText(minimal, minimal));
    EXPECT_EQ(during.movesShown, minimal);
    EXPECT_TRUE(during.ticksArrived);
    EXPECT_EQ(during.movesAfterNudges, minimal);

    const std::string solved = discs % 2 ? "||" + Stack(discs) : Stack(discs) + "||";
    EXPECT_EQ(BoardText(), solved);
    ExpectTimerStopped();

    // After the end, ticks and the space bar change nothing and open nothing.
    for (int i = 0; i < 5; ++i)
        Tick(hwnd);
    Space(hwnd);
    Pump(100);
    EXPECT_EQ(MoveCount, minimal);
    EXPECT_EQ(BoardText(), solved);
    EXPECT_EQ(answers.seen.size(), 1u);
    const int end = discs % 2 ? 2 : 0;
    for (int slot = 0; slot < discs; ++slot)
        EXPECT_EQ(SlotPixel(hwnd, end, slot), Green) << "slot " << slot;
    EXPECT_EQ(SlotPixel(hwnd, 1, 0), White);
}

INSTANTIATE_TEST_SUITE_P(Discs, AutoPlayFullGame, ::testing::Values(1, 2, 3, 4, 9));

TEST_F(AutoPlay, ManualNewGameWhileTheTimerRunsMovesNoDisc)
{
    StartNewGame(hwnd, 3, true, FastTicks);
    ASSERT_TRUE(PumpUntil([] { return MoveCount >= 1; }));
    StartNewGame(hwnd, 3, false, FastTicks);
    EXPECT_EQ(MoveCount, 0);
    int ticks = MessagesCounted(WM_TIMER);
    // The old timer keeps ticking into the manual game...
    ASSERT_TRUE(PumpUntil([&] { return MessagesCounted(WM_TIMER) >= ticks + 4; }));
    // ...and moves nothing.
    EXPECT_EQ(MoveCount, 0);
    EXPECT_EQ(BoardText(), "|321|");
    EXPECT_TRUE(answers.seen.empty());
    EXPECT_EQ(SlotPixel(hwnd, 1, 2), Green);
    EXPECT_EQ(SlotPixel(hwnd, 2, 0), White);
}

TEST_F(AutoPlay, AutomaticNewGameWhileRunningStartsOverOnAFreshBoard)
{
    StartNewGame(hwnd, 3, true, NoRealTicks);
    for (int i = 0; i < 3; ++i)
        Tick(hwnd);
    ASSERT_EQ(BoardText(), "21|3|");

    StartNewGame(hwnd, 4, true, FastTicks);
    EXPECT_EQ(MoveCount, 0);
    EXPECT_EQ(BoardText(), "|4321|");
    // The solver begins again with the small disc, not where the old game left off.
    Tick(hwnd);
    EXPECT_EQ(BoardText(), "|432|1");
    ASSERT_TRUE(PumpUntil([&] { return !answers.seen.empty(); }, 10000));
    EXPECT_EQ(MoveCount, 15);
    EXPECT_EQ(BoardText(), "4321||");
    EXPECT_EQ(Boxes("Geschafft !!!"), 1);
    ExpectTimerStopped();
}

TEST_F(AutoPlay, SpaceBarMakesOneStepOnlyInAnUnsolvedAutomaticGame)
{
    struct Row {
        int discs;
        bool automatic;
        int spaces;
        int moves;
        const char* board;
        int finishes;
    };
    const Row rows[] = {
        {3, true, 1, 1, "|32|1", 0},
        {3, true, 2, 2, "2|3|1", 0},
        {3, false, 2, 0, "|321|", 0},
        // The space that solves the board ends the game; later ones do nothing.
        {1, true, 1, 1, "||1", 1},
        {1, true, 4, 1, "||1", 1},
        {2, true, 5, 3, "21||", 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.discs << " discs, automatic " << r.automatic
                                        << ", " << r.spaces << " spaces");
        answers.seen.clear();
        StartAnswering(&answers);
        StartNewGame(hwnd, r.discs, r.automatic, NoRealTicks);
        for (int i = 0; i < r.spaces; ++i)
            Space(hwnd);
        EXPECT_EQ(MoveCount, r.moves);
        EXPECT_EQ(BoardText(), r.board);
        EXPECT_EQ(Boxes("Geschafft !!!"), r.finishes);
        EXPECT_EQ(answers.seen.size(), static_cast<size_t>(r.finishes));
        if (r.finishes) {
            EXPECT_FALSE(KillTimer(hwnd, 0));
        }
    }
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

    struct {
        int calls = 0;
        std::string finishText;
        int moves = -1;
        std::string board;
        bool ticksArrived = false;
        int movesAfter = -1;
        std::string boardAfter;
    } during;
    answers.inspect = [&](HWND dlg) {
        if (ItemText(dlg, 1011).size())
            during.finishText = ItemText(dlg, 1011);
        if (during.calls++)
            return;
        during.moves = MoveCount;
        during.board = BoardText();
        int ticks = MessagesCounted(WM_TIMER);
        during.ticksArrived =
            PumpUntil([&] { return MessagesCounted(WM_TIMER) >= ticks + 2; }, 3000);
        Tick(hwnd);
        Space(hwnd);
        Tick(hwnd);
        during.movesAfter = MoveCount;
        during.boardAfter = BoardText();
    };
    Tick(hwnd);

    ASSERT_EQ(answers.seen.size(), 1u);
    const SeenDialog& box = answers.seen[0];
    EXPECT_EQ(box.caption, "Invalid Move");
    EXPECT_NE(std::find(box.texts.begin(), box.texts.end(), "That move is not allowed !!!"),
              box.texts.end());
    EXPECT_FALSE(box.mainWindowEnabled);
    // The refused step was counted before its move was tried.
    EXPECT_EQ(during.moves, 1);
    EXPECT_EQ(during.board, "|32|1");
    EXPECT_TRUE(during.ticksArrived);
    EXPECT_EQ(during.movesAfter, 1);
    EXPECT_EQ(during.boardAfter, "|32|1");
    EXPECT_EQ(MoveCount, 1);
    EXPECT_EQ(BoardText(), "|32|1");

    // Once the box is closed the timer carries on with the solution to its end.
    ASSERT_TRUE(PumpUntil([&] { return answers.seen.size() >= 2; }, 10000));
    EXPECT_EQ(answers.seen[1].caption, "Geschafft !!!");
    EXPECT_EQ(during.finishText, ComputerText(7, 7));
    EXPECT_EQ(MoveCount, 7);
    EXPECT_EQ(BoardText(), "||321");
    ExpectTimerStopped();
    EXPECT_EQ(answers.seen.size(), 2u);
}

}  // namespace
