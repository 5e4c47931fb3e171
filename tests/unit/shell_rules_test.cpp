#include <gtest/gtest.h>

#include <string>

#include "boards.h"
#include "logic/board.h"
#include "logic/game.h"
#include "shell/boardvalue.h"
#include "shell/centering.h"
#include "shell/keys.h"
#include "shell/speed.h"

namespace {

// Each character in turn: '.' is a character the cycle never sees (not accepted).
TEST(Keys, TwoDigitCycle)
{
    const struct {
        const char* typed;
        const char* pairs;  // completed moves, as "source target" digit pairs
        int awaitSource;
    } cases[] = {
        {"1", "", 0},
        {"12", "12", 1},
        {"22", "22", 1},
        {"1313", "1313", 1},
        {"123", "12", 0},
        {"3", "", 0},
    };
    for (const auto& c : cases) {
        KeyAwaitSource = 1;
        std::string pairs;
        for (const char* p = c.typed; *p; ++p)
            if (TakeTowerDigit(static_cast<unsigned char>(*p)))
                pairs += std::to_string(KeySource) + std::to_string(KeyTarget);
        EXPECT_EQ(pairs, c.pairs) << c.typed;
        EXPECT_EQ(KeyAwaitSource, c.awaitSource) << c.typed;
    }
}

TEST(Keys, WhichCharactersAreTowerDigits)
{
    const struct {
        unsigned ch;
        uint8_t mode;
        int8_t dragSource;
        bool solved, accepted;
    } cases[] = {
        {'1', ManualPlay, NoTower, false, true},
        {'3', ManualPlay, NoTower, false, true},
        {'0', ManualPlay, NoTower, false, false},
        {'4', ManualPlay, NoTower, false, false},
        {'9', ManualPlay, NoTower, false, false},
        {'a', ManualPlay, NoTower, false, false},
        {' ', ManualPlay, NoTower, false, false},
        {0x131, ManualPlay, NoTower, false, false},  // a wide character ending in '1'
        {'2', AutomaticPlay, NoTower, false, false},
        {'2', ManualPlay, 1, false, false},            // a drag holds a tower
        {'2', ManualPlay, NoTower, true, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsAcceptedDigit(c.ch, c.mode, c.dragSource, c.solved), c.accepted)
            << "char " << c.ch;
}

TEST(Speed, Stepping)
{
    const struct {
        int32_t speed;
        int code;
        int32_t thumb, result;
    } cases[] = {
        {550, 0, 0, 545},   {550, 1, 0, 555},  {550, 2, 0, 450},   {550, 3, 0, 650},
        {100, 0, 0, 100},   {100, 2, 0, 100},  {1000, 1, 0, 1000}, {1000, 3, 0, 1000},
        {150, 2, 0, 100},   {950, 3, 0, 1000}, {103, 0, 0, 100},   {997, 1, 0, 1000},
        {105, 0, 0, 100},   {995, 1, 0, 1000}, {106, 0, 0, 101},   {200, 2, 0, 100},
        {550, 5, 731, 731}, {731, 4, 200, 731}, {731, 8, 0, 731},  {550, 6, 0, 550},
        {550, 7, 0, 550},
        // A thumb position from another program stays on the bar's scale.
        {550, 5, 0, 100},   {550, 5, 99, 100}, {550, 5, 1001, 1000}, {550, 5, 65535, 1000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StepSpeed(c.speed, c.code, c.thumb), c.result)
            << "speed " << c.speed << " code " << c.code;
}

// What a screen reader says: towers 1 to 3 as typed, discs bottom up by size, the
// counter without leading zeros, and the end.
TEST(BoardValue, TellsTheTowersTheCountAndTheEnd)
{
    const struct {
        const char* towers[3];  // bottom disc first
        int32_t moves;
        const char* value;
    } cases[] = {
        {{"", "321", ""}, 0, "Turm 1: leer. Turm 2: 3, 2, 1. Turm 3: leer. Z\xFC" "ge: 0."},
        {{"1", "32", ""}, 1, "Turm 1: 1. Turm 2: 3, 2. Turm 3: leer. Z\xFC" "ge: 1."},
        {{"1", "", ""}, 1, "Turm 1: 1. Turm 2: leer. Turm 3: leer. Z\xFC" "ge: 1. Gel\xF6st."},
        {{"941", "8765", "32"}, 123456,
         "Turm 1: 9, 4, 1. Turm 2: 8, 7, 6, 5. Turm 3: 3, 2. Z\xFC" "ge: 123456."},
        {{"", "", "987654321"}, 511,
         "Turm 1: leer. Turm 2: leer. Turm 3: 9, 8, 7, 6, 5, 4, 3, 2, 1. Z\xFC" "ge: 511. Gel\xF6st."},
    };
    for (const auto& c : cases) {
        SetBoard(c.towers[0], c.towers[1], c.towers[2]);
        MoveCount = c.moves;
        char value[BoardValueSize];
        ComposeBoardValue(value);
        EXPECT_STREQ(value, c.value);
    }
}

TEST(Centering, Placement)
{
    const BoardRect screen = {0, 0, 1024, 768};
    const BoardRect dialog = {10, 20, 310, 220};  // 300 x 200
    const struct {
        const char* what;
        BoardRect reference;
        BoardRect dialog;
        int x, y;
    } cases[] = {
        {"centred", {100, 100, 740, 416}, dialog, 270, 158},
        {"on the screen", screen, dialog, 362, 284},
        {"off left and top", {-600, -300, 40, 16}, dialog, 0, 0},
        {"off right and bottom", {800, 600, 1440, 916}, dialog, 724, 568},
        {"second monitor on the right", {1200, 100, 1840, 416}, dialog, 724, 158},
        {"odd sizes truncate", {0, 0, 101, 51}, {0, 0, 31, 21}, 35, 15},
        {"wider than the screen", {0, 0, 1024, 768}, {0, 0, 1200, 900}, 0, 0},
        {"wider, centred far right", {1600, 1000, 1800, 1200}, {0, 0, 1200, 900}, -176, -132},
    };
    for (const auto& c : cases) {
        BoardPoint at = CenteredDialogPos(c.reference, c.dialog, screen.right, screen.bottom);
        EXPECT_EQ(at.x, c.x) << c.what;
        EXPECT_EQ(at.y, c.y) << c.what;
    }
}

}  // namespace
