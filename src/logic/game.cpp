#include "game.h"

#include "board.h"
#include "format.h"
#include "solver.h"

uint8_t PlayMode = ManualPlay;
int8_t OptDiscCount = 3;
uint8_t OptPlayMode = ManualPlay;
int32_t OptSpeed = 550;
uint32_t TimerInterval = 550;
int32_t MoveCount;
char ResultText[ResultTextSize];
uint32_t GamesBegun;

// Windows-1252 bytes whatever the compiler's execution character set, so the umlauts are
// written as their bytes: Z\xFCge is "Züge", ben\xF6tigte is "benötigte".
static const char ExactText[] =
    "Fertig !!!, Sie sind wirklich gut, kein Zug zuviel !!!\n"
    "Warum nehmen Sie nicht mehr Platten ?";
static const char LongerText[] =
    "Wie schade !!! Sie brauchten %d Z\xFCge, notwendig waren %d. Sie haben %d Z\xFCge, "
    "das sind %d Prozent\nzuviel gemacht. Versuchen Sie es nochmal !!!";
static const char ComputerText[] =
    "Der Computer ben\xF6tigte %d Z\xFCge, notwendig\n"
    "waren %d. Nun, das ist nicht schlecht, oder ?";

static void LayOutBoard()
{
    MoveCount = 0;
    ClearBoard();
    FillStartTower(DiscCount);
    ResetSolver();
}

void StartupReset()
{
    LayOutBoard();
}

void BeginNextGame()
{
    ++GamesBegun;
    PlayMode = OptPlayMode;
    DiscCount = OptDiscCount;
    LayOutBoard();
}

int32_t SurplusPercent(int32_t moves, int32_t minimal)
{
    // 32-bit arithmetic as the counter has it; wrap instead of overflowing.
    int32_t hundredfold = static_cast<int32_t>(static_cast<uint32_t>(moves) * 100u);
    return hundredfold / minimal - 100;
}

void ComposeManualResult(int32_t moves, int32_t minimal)
{
    if (moves == minimal) {
        FormatText(ResultText, ExactText);
        return;
    }
    // The surplus in 32-bit arithmetic as the counter has it; wrap instead of overflowing.
    int32_t surplus = static_cast<int32_t>(static_cast<uint32_t>(moves) - static_cast<uint32_t>(minimal));
    FormatText(ResultText, LongerText, static_cast<int>(moves), static_cast<int>(minimal),
               static_cast<int>(surplus), static_cast<int>(SurplusPercent(moves, minimal)));
}

void ComposeComputerResult(int32_t moves, int32_t minimal)
{
    FormatText(ResultText, ComputerText, static_cast<int>(moves), static_cast<int>(minimal));
}
