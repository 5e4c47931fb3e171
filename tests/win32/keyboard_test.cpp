// Keyboard play on the real main window: tower digits and the space bar as WM_CHAR, the
// boxes they raise (a refused pair's is watched in window_test.cpp), the board and pixels.
#include <gtest/gtest.h>

#include <string>

#include "logic/board.h"
#include "logic/game.h"
#include "shell/keys.h"
#include "support.h"

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

// Besides digits and other characters, the keys may hold "N" and "A": a manual or an
// automatic New Game with three discs; "[t" and "]t": a mouse press or release in the air
// above tower t.
void Play(HWND hwnd, const char* keys)
{
    for (const char* k = keys; *k; ++k) {
        if (*k == 'N' || *k == 'A')
            StartNewGame(hwnd, 3, *k == 'A', NoRealTicks);
        else if (*k == '[')
            Press(hwnd, Air(*++k - '0'));
        else if (*k == ']')
            Release(hwnd, Air(*++k - '0'));
        else
            Type(hwnd, std::string(1, *k));
    }
}

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
    // New Game forgets a typed source, for a manual and an automatic game, whose digits
    // are ignored.
    {"New Game forgets the source", 3, "2N1", 0, "|321|", 0, nullptr, 0},
    {"digits ignored in automatic play", 3, "2A13", 0, "|321|", 0, nullptr, 1},
    {"a fresh pair after both", 3, "2A1N21", 1, "1|32|", 0, nullptr, 1},
    // In an automatic game each space makes one step; the one that solves the board ends
    // the game, and later ones do nothing.
    {"spaces step an automatic game", 3, "A  ", 2, "2|3|1", 0, nullptr, 1},
    {"spaces past its end", 3, "A         ", 7, "||321", 0,
     "Der Computer ben\xf6tigte 7 Z\xfcge, notwendig\nwaren 7. Nun, das ist nicht schlecht, oder ?",
     1},
    // Digits are ignored while a drag holds a tower; dropped back, it counts and moves nothing.
    {"digits during a drag", 3, "[121]121", 2, "1|32|", 0, nullptr, 1},
    // Lifting a disc forgets a pending source; a press on an empty tower lifts nothing.
    {"a lift forgets the source", 3, "2[1]11", 1, "|321|", 0, nullptr, 0},
    {"no lift, the source stays", 3, "2[0]11", 1, "1|32|", 0, nullptr, 1},
};

TEST_F(Keyboard, KeySequencesMoveCountAndFinish)
{
    for (const KeyCase& c : KeyCases) {
        SCOPED_TRACE(c.what);
        answers.seen.clear();
        finishTexts.clear();
        KeyAwaitSource = 1;
        StartNewGame(hwnd, c.discs, false, NoRealTicks);
        Play(hwnd, c.keys);
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

}  // namespace
