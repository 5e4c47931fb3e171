"""Start and leave: the start position at the real client size, the board drawn anew
when the window is maximised and restored, and both ways out with exit code 0."""

from driver import Game, Journey, check

START = ([], [3, 2, 1], [])


def journey(j):
    with Game(j) as game:
        j.step("the window opens 640 x 316 with three discs on the middle tower")
        check(game.window[2:] == (640, 316), "window size %s" % (game.window[2:],))
        game.wait_board("start", START, moves=0)
        start_client = game.geo.w, game.geo.h

        j.step("a double-click on the title bar maximises it; the board fills it")
        game.double_click_title()
        check(game.geo.w > 2 * start_client[0] and game.geo.h > 2 * start_client[1],
              "maximised client size %dx%d" % (game.geo.w, game.geo.h))
        game.wait_board("maximised", START, moves=0)

        j.step("another double-click restores it")
        game.double_click_title()
        check((game.geo.w, game.geo.h) == start_client,
              "restored client size %dx%d" % (game.geo.w, game.geo.h))
        game.wait_board("restored", START, moves=0)

        j.step("Alt+S opens the game menu, X chooses Exit")
        game.keys("alt+s")
        game.screenshot("menu")
        game.keys("x")
        check(game.exit_code() == 0, "exit code after Exit")

    with Game(j) as game:
        j.step("second start; Alt+F4 closes the window")
        game.wait_board("second-start", START, moves=0)
        game.keys("alt+F4")
        check(game.exit_code() == 0, "exit code after closing the window")


if __name__ == "__main__":
    Journey("start").run(journey)
