// The state of the current game, the settings for the next one, the move counter and
// the result texts. Pure: the Win32 side (New Game, the end of a manual move) lives in
// the shell and calls these.
#pragma once

#include <cstdint>

constexpr int ResultTextSize = 300;

extern uint8_t PlayMode;       // 1 manual, 0 automatic
extern int8_t OptDiscCount;    // chosen for the next game
extern uint8_t OptPlayMode;
extern int32_t OptSpeed;       // milliseconds per automatic move
extern uint32_t TimerInterval; // always stored together with OptSpeed
extern int32_t MoveCount;
extern char ResultText[ResultTextSize];
// Counts the games begun by New Game: tells a game from the one that replaced it.
extern uint32_t GamesBegun;

constexpr uint8_t ManualPlay = 1;
constexpr uint8_t AutomaticPlay = 0;

// The reset when the main window is created: settings are not copied.
void StartupReset();
// New Game without its platform calls: takes the chosen settings and lays out the board.
void BeginNextGame();

int32_t SurplusPercent(int32_t moves, int32_t minimal);
// The text for the end of a game played by hand, judged against the minimum.
void ComposeManualResult(int32_t moves, int32_t minimal);
void ComposeComputerResult(int32_t moves, int32_t minimal);
