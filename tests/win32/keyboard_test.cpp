// Keyboard play on the real main window: tower digits as WM_CHAR, the boxes they
// raise, the board and the pixels they leave.
#include <gtest/gtest.h>

#include <string>

#include "logic/board.h"
#include "logic/game.h"
#include "shell/keys.h"
#include "support.h"
#include "view/drag.h"

namespace {

class Keyboard : public GameWindowTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(GameWindowTest::SetUp());
        answers.inspect = [this](HWND dlg) {
            if (GetDlgItem(dlg, 1011))
                finishTexts.push_back(ItemText(dlg, 1011));
        };
    }

    std::vector<std::string> finishTexts;
};

struct KeyCase {
    const char* what;
    int discs;
    const char* keys;
    int moves;
    const char* board;
    int refused;             // "Invalid Move" boxes
    const char* finishText;  // nullptr: no result dialog
    int awaitSource;         // KeyAwaitSource afterwards
};

const KeyCase KeyCases[] = {
    {"a source digit alone", 3, "1", 0, "|321|", 0, nullptr, 0},
    {"from an empty tower", 3, "13", 1, "|321|", 1, nullptr, 1},
    {"onto the same tower", 3, "22", 1, "|321|", 1, nullptr, 1},
    {"empty source, other way", 3, "31", 1, "|321|", 1, nullptr, 1},
    {"a legal pair", 3, "21", 1, "1|32|", 0, nullptr, 1},
    {"larger onto smaller", 3, "2121", 2, "1|32|", 1, nullptr, 1},
    {"other characters keep the source", 3, "2049a 1", 1, "1|32|", 0, nullptr, 1},
    {"other characters start nothing", 3, "049a \r", 0, "|321|", 0, nullptr, 1},
    {"three moves", 3, "212313", 3, "|3|21", 0, nullptr, 1},
    {"two discs exactly", 2, "212313", 3, "||21", 0, ExactText, 1},
    {"two discs, one refused pair", 2, "22212313", 4, "||21", 1,
     "Wie schade !!! Sie brauchten 4 Z\xfcge, notwendig waren 3. Sie haben 1 Z\xfcge, "
     "das sind 33 Prozent\nzuviel gemacht. Versuchen Sie es nochmal !!!",
     1},
    {"digits after the end", 2, "2123131231", 3, "||21", 0, ExactText, 1},
    {"one disc exactly", 1, "23", 1, "||1", 0, ExactText, 1},
    {"one disc, one refused pair", 1, "3123", 2, "||1", 1,
     "Wie schade !!! Sie brauchten 2 Z\xfcge, notwendig waren 1. Sie haben 1 Z\xfcge, "
     "das sind 100 Prozent\nzuviel gemacht. Versuchen Sie es nochmal !!!",
     1},
};

TEST_F(Keyboard, KeySequencesMoveCountAndFinish)
{
    for (const KeyCase& c : KeyCases) {
        SCOPED_TRACE(c.what);
        answers.seen.clear();
        finishTexts.clear();
        KeyAwaitSource = 1;
        StartNewGame(hwnd, c.discs, false, NoRealTicks);
        Type(hwnd, c.keys);
        EXPECT_EQ(MoveCount, c.moves);
        EXPECT_EQ(BoardText(), c.board);
        EXPECT_EQ(answers.Boxes("Invalid Move"), c.refused);
        EXPECT_EQ(KeyAwaitSource, c.awaitSource);
        if (c.finishText) {
            EXPECT_EQ(answers.Boxes("Geschafft !!!"), 1);
            ASSERT_EQ(finishTexts.size(), 1u);
            EXPECT_EQ(finishTexts[0], c.finishText);
        } else {
            EXPECT_EQ(answers.Boxes("Geschafft !!!"), 0);
        }
        EXPECT_EQ(answers.seen.size(), static_cast<size_t>(c.refused + (c.finishText ? 1 : 0)));
        // The keys draw straight to the window: nothing waits for a repaint.
        EXPECT_FALSE(GetUpdateRect(hwnd, nullptr, FALSE));
        ExpectPixelsMatchBoard(c.discs);
    }
}

TEST_F(Keyboard, RefusedPairShowsTheBoxWithOnlyTheSourceDiscPaintedOut)
{
    struct Row {
        const char* keys;
        COLORREF middleTop, left, right;  // while the box is open
    };
    const Row rows[] = {
        {"22", White, White, White},  // the lifted disc is out of sight until the box closes
        {"13", Green, White, White},  // nothing to lift: nothing drawn on either tower
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.keys);
        StartNewGame(hwnd, 3, false, NoRealTicks);
        answers.seen.clear();
        COLORREF middleTop = 0, left = 0, right = 0;
        int movesDuring = -1;
        answers.inspect = [&](HWND) {
            middleTop = SlotPixel(hwnd, 1, 2);
            left = SlotPixel(hwnd, 0, 0);
            right = SlotPixel(hwnd, 2, 0);
            movesDuring = MoveCount;
        };
        Type(hwnd, r.keys);
        ASSERT_EQ(answers.seen.size(), 1u);
        EXPECT_EQ(answers.seen[0].caption, "Invalid Move");
        EXPECT_FALSE(answers.seen[0].mainWindowEnabled);
        EXPECT_EQ(middleTop, r.middleTop);
        EXPECT_EQ(left, r.left);
        EXPECT_EQ(right, r.right);
        // Counted only once the box is closed.
        EXPECT_EQ(movesDuring, 0);
        EXPECT_EQ(MoveCount, 1);
        EXPECT_EQ(BoardText(), "|321|");
        Pump(50);
        ExpectPixelsMatchBoard(3);
    }
}

// A typed source stays pending through New Game and through an automatic game, whose
// digits are ignored.
TEST_F(Keyboard, PendingSourceSurvivesNewGameAndDigitsAreIgnoredInAutomaticPlay)
{
    StartNewGame(hwnd, 3, false, NoRealTicks);
    Type(hwnd, "2");
    StartNewGame(hwnd, 3, false, NoRealTicks);
    Type(hwnd, "1");
    EXPECT_EQ(MoveCount, 1);
    EXPECT_EQ(BoardText(), "1|32|");

    Type(hwnd, "2");
    StartNewGame(hwnd, 3, true, NoRealTicks);
    Type(hwnd, "13");
    EXPECT_EQ(MoveCount, 0);
    EXPECT_EQ(BoardText(), "|321|");
    EXPECT_EQ(KeyAwaitSource, 0);
    EXPECT_EQ(KeySource, 2);

    StartNewGame(hwnd, 3, false, NoRealTicks);
    Type(hwnd, "3");
    EXPECT_EQ(MoveCount, 1);
    EXPECT_EQ(BoardText(), "|32|1");
    EXPECT_TRUE(answers.seen.empty());
    ExpectPixelsMatchBoard(3);
}

TEST_F(Keyboard, DigitsAreIgnoredWhileADragHoldsATower)
{
    StartNewGame(hwnd, 3, false, NoRealTicks);
    Press(hwnd, Air(1));
    ASSERT_EQ(SourceTower, 1);
    Type(hwnd, "21");
    EXPECT_EQ(KeyAwaitSource, 1);
    EXPECT_EQ(MoveCount, 0);
    EXPECT_EQ(BoardText(), "|321|");
    Release(hwnd, Air(1));  // back onto its own tower: counted, nothing moves
    EXPECT_EQ(MoveCount, 1);
    Type(hwnd, "21");
    EXPECT_EQ(MoveCount, 2);
    EXPECT_EQ(BoardText(), "1|32|");
    EXPECT_TRUE(answers.seen.empty());
}

TEST_F(Keyboard, LiftingADiscForgetsAPendingSource)
{
    struct Row {
        int pressed;
        int awaitAfterPress;
        int moves;
        const char* board;
    };
    const Row rows[] = {
        // A disc is lifted: the "1" after the drop names a new source.
        {1, 1, 1, "|321|"},
        // An empty tower lifts nothing: the "1" completes the typed pair 2 -> 1.
        {0, 0, 1, "1|32|"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "press on tower " << r.pressed);
        KeyAwaitSource = 1;
        StartNewGame(hwnd, 3, false, NoRealTicks);
        Type(hwnd, "2");
        Press(hwnd, Air(r.pressed));
        EXPECT_EQ(KeyAwaitSource, r.awaitAfterPress);
        Release(hwnd, Air(1));
        Type(hwnd, "1");
        EXPECT_EQ(MoveCount, r.moves);
        EXPECT_EQ(BoardText(), r.board);
        EXPECT_TRUE(answers.seen.empty());
    }
}

}  // namespace
