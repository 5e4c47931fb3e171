"""Manual play with the mouse: a 3-disc game solved by dragging in 7 moves, and in the
next one a drop back on the source tower, which counts, seen from press to release."""

from driver import EXACT_TEXT, GREEN, RED, WHITE, Game, Journey, check, pixel_faults

SOLUTION = [(1, 2), (1, 0), (2, 0), (1, 2), (0, 1), (0, 2), (1, 2)]


def floating(geo, x, y, disc, colour):
    """Points of the floating disc centred on (x, y), filled with `colour`."""
    half = geo.half_width(disc)
    return [(px, y, colour, "floating disc") for px in (x - half + 2, x, x + half - 3)]


def drag(game, towers, source, target):
    """Drags the top disc of `source` onto `target` and records what the rules make
    of it."""
    geo = game.geo
    game.press(geo.center(source), geo.slot_middle(len(towers[source]) - 1))
    game.move(geo.center(target), geo.slot_middle(len(towers[target])))
    game.release()
    if source != target and (not towers[target] or towers[target][-1] > towers[source][-1]):
        towers[target].append(towers[source].pop())


def journey(j):
    with Game(j, without_oleacc=True) as game:
        geo = game.geo
        towers = [[], [3, 2, 1], []]
        game.wait_board("start", towers, moves=0)
        j.step("without the accessibility library the board is the system's plain client "
               "area, and the game plays as before")
        role, name, value, _ = game.board()
        check((role, name, value) == (10, "Die Türme von Tolmar", ""),
              "a screen reader reads %r" % ((role, name, value),))

        j.step("seven drags solve the game; each is drawn and counted")
        for n, (source, target) in enumerate(SOLUTION, 1):
            drag(game, towers, source, target)
            if n < len(SOLUTION):
                game.wait_board("move-%d" % n, towers, moves=n)
        text = game.result_text("exact-finish")
        check(text == EXACT_TEXT, "result text %r" % text)
        game.close_dialog()
        game.wait_board("exact-solved", [[], [], [3, 2, 1]], moves=7)

        j.step("new game; the pressed disc floats red, green over the left tower, red over "
               "its own tower, where its slot is empty")
        game.keys("alt+s", "n")
        towers = [[], [3, 2, 1], []]
        game.wait_board("new-game", towers, moves=0)
        x, y = geo.center(1), geo.slot_middle(2)
        game.press(x, y)
        game.wait_for("pressed", lambda img: pixel_faults(img, floating(geo, x, y, 1, RED)))
        high = geo.h // 3
        game.move(geo.center(0), high)
        game.wait_for("over-left-tower", lambda img: pixel_faults(
            img, floating(geo, geo.center(0), high, 1, GREEN)))
        game.move(x + geo.unit, high)
        game.wait_for("over-own-tower", lambda img: pixel_faults(
            img, floating(geo, x + geo.unit, high, 1, RED) + [(x, y, WHITE, "lifted slot")]))

        j.step("dropped on its own tower it goes back, and the attempt counts")
        game.move(x, y)
        game.release()
        game.wait_board("dropped-back", towers, moves=1)

        game.keys("alt+F4")
        check(game.exit_code() == 0, "exit code")


if __name__ == "__main__":
    Journey("mouse").run(journey)
