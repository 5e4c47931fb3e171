"""Manual play with the digit keys: a 2-disc game solved in 3 moves, then a refused pair
that shows the "Invalid Move" box and is counted. A screen reader, played by the probe,
reads the board and hears each change. The game is told that it runs on Windows 98, which
stubs nearly every wide function: it must call none of those, and every text must still
read right."""

from driver import EXACT_TEXT, Game, Journey, check

IDC_DISCS_2 = 1001
# From, to, as the tower numbers under the bases.
SOLUTION = ["2", "1", "2", "3", "1", "3"]
# What a screen reader says of the board.
START_VALUE = "Turm 1: leer. Turm 2: 2, 1. Turm 3: leer. Züge: %d."
SOLVED_VALUE = "Turm 1: leer. Turm 2: leer. Turm 3: 2, 1. Züge: %d. Gelöst."


# The wide functions that do their work on Windows 95, 98 and ME.
WIDE_ON_9X = {"MessageBoxW", "MessageBoxExW", "TextOutW", "ExtTextOutW", "GetCharWidthW",
              "GetTextExtentPointW", "GetTextExtentPoint32W", "lstrlenW", "FindResourceW",
              "FindResourceExW", "EnumResourceTypesW", "EnumResourceNamesW",
              "EnumResourceLanguagesW", "GetCommandLineW"}


def journey(j):
    with Game(j, locale="de_DE.UTF-8", windows98=True) as game:
        check(game.title == "Die Türme von Tolmar".encode("cp1252"), "title %r" % game.title)
        geo = game.geo
        game.wait_board("start", ([], [3, 2, 1], []), moves=0)

        j.step("Options: 2 discs; a new game lays them out")
        game.keys("alt+s", "o")
        game.wait_dialog("Optionen")
        game.keys("2")
        options = game.wait_dialog("Optionen")
        check(options["controls"][IDC_DISCS_2]["checked"] == 1, "disc button 2 after 2")
        game.close_dialog()
        game.keys("alt+s", "n")
        game.wait_board("new-game", ([], [2, 1], []), moves=0)
        role, name, value, description = game.board()
        check((role, name, value) == (10, "Spielfeld", START_VALUE % 0),
              "a screen reader reads %r" % ((role, name, value),))
        check("1 bis 3" in description and "Leertaste" in description,
              "the description tells no keys: %r" % description)
        game.listen()

        j.step("2 1, 2 3, 1 3 solve it without a surplus move; the number pad types the same")
        game.keys(*SOLUTION[:2])
        game.wait_board("keys-2-1", ([1], [2], []), moves=1)
        check(game.board()[2] == "Turm 1: 1. Turm 2: 2. Turm 3: leer. Züge: 1.",
              "value %r" % game.board()[2])
        game.keys(*("KP_" + key for key in SOLUTION[2:4]))
        game.wait_board("keypad-2-3", ([1], [], [2]), moves=2)
        game.keys(*SOLUTION[4:])
        text = game.result_text("exact-finish")
        check(text == EXACT_TEXT, "result text %r" % text)
        game.close_dialog()
        game.wait_board("exact-solved", ([], [], [2, 1]), moves=3)
        heard = game.heard()
        check(heard == (3, SOLVED_VALUE % 3), "a screen reader heard %r" % (heard,))

        j.step("new game; 2 2 is refused with the Invalid Move box")
        game.listen()
        game.keys("alt+s", "n")
        game.wait_board("second-game", ([], [2, 1], []), moves=0)
        game.keys("2", "2")
        box = game.wait_dialog("Invalid Move")
        game.screenshot("invalid-move")
        texts = [c["text"] for c in box["controls"].values()]
        check(b"That move is not allowed !!!" in texts, "box texts %r" % texts)
        game.close_dialog()

        j.step("the disc is back on its tower and the attempt is counted")
        game.wait_board("refused", ([], [2, 1], []), moves=1)
        heard = game.heard()
        check(heard == (2, START_VALUE % 1), "after New Game and a refused "
              "move a screen reader heard %r" % (heard,))

        j.step("the keys play on after the box, with no click to find them")
        game.find_window()
        check(game.active, "no window of the game is active after the box")
        game.keys("2", "1")
        game.wait_board("after-refused", ([1], [2], []), moves=2)

        j.step("Alt+S, X leaves, having called no wide function that Windows 98 lacks")
        game.keys("alt+s", "x")
        check(game.exit_code() == 0, "exit code")
        calls = game.calls_from_game()
        check({"GetVersion", "CreateWindowExA", "DialogBoxParamA"} <= calls,
              "the trace misses the game's ANSI calls: %s" % sorted(calls))
        stubbed = sorted(c for c in calls if c.endswith("W") and c not in WIDE_ON_9X)
        check(not stubbed, "calls that fail on Windows 98: %s" % stubbed)
        print("calls from the game: %s" % " ".join(sorted(calls)))


if __name__ == "__main__":
    Journey("keyboard").run(journey)
