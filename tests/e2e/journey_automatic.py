"""Automatic play chosen in Options with the keyboard: the computer solves four discs
on its timer and the result dialog gives its count. The game runs under the Japanese
code page, 932: its title and texts, read as UTF-16, are the German ones all the same."""

from driver import Game, Journey, check, computer_text

IDC_DISCS_3, IDC_DISCS_4 = 1002, 1003
IDC_AUTOMATIC, IDC_MANUAL = 1020, 1021


def checked(dialog, control):
    return dialog["controls"][control]["checked"] == 1


def journey(j):
    with Game(j, locale="ja_JP.UTF-8") as game:
        game.wait_board("start", ([], [3, 2, 1], []), moves=0)
        check(game.title == "Die Türme von Tolmar".encode("cp1252"), "title %r" % game.title)

        j.step("Alt+S, O opens Options with 3 discs and manual play checked")
        game.keys("alt+s", "o")
        options = game.wait_dialog("Optionen")
        check(checked(options, IDC_DISCS_3) and checked(options, IDC_MANUAL)
              and not checked(options, IDC_AUTOMATIC), "Options at first opening")

        j.step("A and 4 check automatic play and four discs")
        game.keys("a", "4")
        options = game.wait_dialog("Optionen")
        game.screenshot("options")
        check(checked(options, IDC_AUTOMATIC) and not checked(options, IDC_MANUAL),
              "mode buttons after A")
        check(checked(options, IDC_DISCS_4) and not checked(options, IDC_DISCS_3),
              "disc buttons after 4")

        j.step("Enter confirms; the board stays as it is until a new game")
        game.close_dialog()
        game.wait_board("after-options", ([], [3, 2, 1], []), moves=0)

        j.step("Alt+S, N starts the automatic game; the computer finishes alone")
        game.listen()
        game.keys("alt+s", "n")
        text = game.result_text("finish", timeout_ms=30000)
        check(text == computer_text(15, 15), "result text %r" % text)

        j.step("Enter closes it: four discs on the left tower, counter 00015")
        game.close_dialog()
        game.wait_board("solved", ([4, 3, 2, 1], [], []), moves=15)

        j.step("a screen reader heard the game at most once a move, and its solved end")
        solved = "Turm 1: 4, 3, 2, 1. Turm 2: leer. Turm 3: leer. Züge: 15. Gelöst."
        count, last = game.heard()
        check(2 <= count <= 16 and last == solved, "heard %d, the last %r" % (count, last))
        check(game.board()[2] == solved, "value %r" % game.board()[2])

        game.keys("alt+F4")
        check(game.exit_code() == 0, "exit code")


if __name__ == "__main__":
    Journey("automatic").run(journey)
