"""Start and leave: the start position at the real client size, the board drawn anew
when the window is maximised and restored, and when it is dragged by its corner and its
caption with the mouse, which it follows; then Exit ends it at once with exit code 0."""

import time

from driver import Game, Journey, check

START = ([], [3, 2, 1], [])


def drag(game, grip, dx, dy):
    """Drags the window by a point of its frame, in screen coordinates."""
    x, y = grip[0] - game.origin[0], grip[1] - game.origin[1]
    game.press(x, y)
    game.move(x + dx, y + dy, steps=12)
    game.release()
    game.find_window()


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

        j.step("the window follows its corner and then its caption, dragged with the mouse")
        drag(game, (game.window[2] - 2, game.window[3] - 2), 120, 80)
        check((game.geo.w, game.geo.h) == (start_client[0] + 120, start_client[1] + 80),
              "client size %dx%d after dragging the corner" % (game.geo.w, game.geo.h))
        origin = game.origin
        drag(game, game.title_point, 90, 60)
        check(game.origin == (origin[0] + 90, origin[1] + 60),
              "client origin %s after dragging the caption" % (game.origin,))
        game.wait_board("dragged", START, moves=0)

        j.step("Alt+S opens the game menu, X chooses Exit, and the program ends at once")
        game.keys("alt+s")
        game.screenshot("menu")
        asked = time.monotonic()
        game.keys("x")
        check(game.exit_code() == 0, "exit code after Exit")
        check(time.monotonic() - asked < 5, "ending took %.1f s" % (time.monotonic() - asked))


if __name__ == "__main__":
    Journey("start").run(journey)
