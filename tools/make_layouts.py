#!/usr/bin/env python3
"""Writes the layouts the game ships into data/LAYOUTS.

Each layout is built from simple shapes on the board's grid of half-tile cells (5 layers,
rows 0..18 and columns 0..32 for a tile's top-left cell) and checked before it is written:
exactly 144 positions, no two tiles of a layer overlapping, and every cell of a tile above
layer 0 resting on a tile of the layer below. The files are in the line format the game itself
writes ("row column layer", CR LF, layers then rows then columns in order), after one comment
line naming the layout.

Run with /usr/bin/python3 tools/make_layouts.py [output folder].
"""

import math
import os
import sys

LAYERS, ROWS, COLUMNS = 5, 20, 34
TILES = 144


class Layout:
    def __init__(self, name, title):
        self.name = name
        self.title = title
        self.tiles = set()  # (layer, row, column) of each tile's top-left half-tile cell

    def add(self, layer, row, column):
        self.tiles.add((layer, row, column))

    def rect(self, layer, row, column, height, width):
        """A block of height x width whole tiles whose top-left tile starts at (row, column)."""
        for i in range(height):
            for j in range(width):
                self.add(layer, row + 2 * i, column + 2 * j)

    def ring(self, layer, row, column, height, width):
        """The border, one tile thick, of a height x width block."""
        for i in range(height):
            for j in range(width):
                if i in (0, height - 1) or j in (0, width - 1):
                    self.add(layer, row + 2 * i, column + 2 * j)

    def remove(self, layer, row, column):
        self.tiles.discard((layer, row, column))

    def check(self):
        assert len(self.tiles) == TILES, f"{self.name}: {len(self.tiles)} positions"
        covered = {}
        for (layer, row, column) in self.tiles:
            assert 0 <= layer < LAYERS and 0 <= row <= ROWS - 2 and 0 <= column <= COLUMNS - 2, \
                f"{self.name}: position {layer} {row} {column} outside the board"
            for cell in cells(layer, row, column):
                assert cell not in covered, \
                    f"{self.name}: {layer} {row} {column} overlaps {covered[cell]}"
                covered[cell] = (layer, row, column)
        for (layer, row, column) in self.tiles:
            if layer == 0:
                continue
            for (_, r, c) in cells(layer, row, column):
                assert (layer - 1, r, c) in covered, \
                    f"{self.name}: {layer} {row} {column} hangs over an empty cell"

    def text(self):
        lines = [f"; {self.title}\r\n"]
        for (layer, row, column) in sorted(self.tiles):
            lines.append(f"{row} {column} {layer}\r\n")
        return "".join(lines)


def cells(layer, row, column):
    return [(layer, row + dr, column + dc) for dr in (0, 1) for dc in (0, 1)]


def turtle():
    t = Layout("Default.tvl", "Turtle: the classic five-layer arrangement")
    widths = [12, 8, 10, 12, 12, 10, 8, 12]
    for i, w in enumerate(widths):
        t.rect(0, 2 * i, 2 + (12 - w), 1, w)
    t.add(0, 7, 0)  # the head
    t.add(0, 7, 26)  # the tail, two tiles long
    t.add(0, 7, 28)
    t.rect(1, 2, 8, 6, 6)
    t.rect(2, 4, 10, 4, 4)
    t.rect(3, 6, 12, 2, 2)
    t.add(4, 7, 13)  # the cap stands between the four tiles below it
    return t


def pyramid():
    p = Layout("Pyramid.tvl", "Pyramid: square steps, each resting half a tile in")
    p.rect(0, 2, 8, 8, 8)
    p.rect(1, 3, 9, 7, 7)
    p.rect(2, 5, 11, 5, 5)
    p.rect(3, 8, 14, 2, 3)
    return p


def fortress():
    f = Layout("Fortress.tvl", "Fortress: a walled courtyard with towers at the corners")
    f.rect(0, 2, 4, 8, 12)
    f.ring(1, 2, 4, 8, 12)
    for row in (2, 16):
        for column in (4, 26):
            f.add(2, row, column)
            f.add(3, row, column)
        f.add(2, row, 15)  # gate towers halfway along the long walls
    for column in (4, 26):
        f.add(2, 9, column)  # and along the short walls, half a tile off the grid
    return f


def bridge():
    b = Layout("Bridge.tvl", "Bridge: a long deck on two piers over the water")
    b.rect(0, 0, 0, 10, 3)  # left pier foot
    b.rect(0, 0, 26, 10, 3)  # right pier foot
    b.rect(0, 6, 6, 2, 10)  # the deck's span over the water
    b.rect(1, 1, 1, 8, 2)  # piers rise, half a tile in
    b.rect(1, 1, 27, 8, 2)
    b.rect(1, 7, 7, 1, 9)  # the deck, half a tile in
    b.rect(2, 2, 2, 6, 1)  # towers on the piers
    b.rect(2, 2, 28, 6, 1)
    b.rect(2, 7, 9, 1, 7)  # the road
    b.rect(3, 4, 2, 2, 1)  # tower tops
    b.rect(3, 4, 28, 2, 1)
    return b


def butterfly():
    b = Layout("Butterfly.tvl", "Butterfly: two wings spread from a slender body")
    # Wings: each tile row of a wing grows toward the body, the lower wings smaller.
    upper = [3, 5, 6, 7, 7]
    lower = [6, 5, 4]
    for i, w in enumerate(upper + lower):
        row = 2 * i
        b.rect(0, row, 15 - 2 * w, 1, w)  # left wing ends at column 14
        b.rect(0, row, 19, 1, w)  # right wing starts at column 19
    b.rect(0, 1, 16, 8, 1)  # the body, half a tile lower than the wings
    # Second layer: the wings' inner parts, half a tile in.
    for i, w in enumerate([2, 3, 4, 4, 3, 2]):
        row = 2 * i + 3
        b.rect(1, row, 14 - 2 * w, 1, w)
        b.rect(1, row, 20, 1, w)
    b.rect(1, 1, 16, 8, 1)  # the body again, and its head
    b.rect(2, 3, 16, 6, 1)
    return b


def dragon():
    d = Layout("Dragon.tvl", "Dragon: a winding body from the tail to a horned head")
    # The body winds through the board in three bends, two tiles thick.
    d.rect(0, 0, 0, 2, 12)  # top run, left to right
    d.rect(0, 4, 20, 2, 6)  # down the right
    d.rect(0, 8, 6, 2, 10)  # middle run, right to left
    d.rect(0, 12, 0, 2, 3)  # down the left
    d.rect(0, 16, 6, 2, 13)  # bottom run to the head
    d.rect(0, 4, 24, 1, 3)
    d.rect(0, 12, 6, 1, 1)
    d.rect(1, 1, 1, 1, 11)  # spine ridges, half a tile in
    d.rect(1, 9, 7, 1, 9)
    d.rect(1, 17, 7, 1, 12)
    d.rect(2, 1, 2, 1, 10)  # the spine's crest
    d.rect(2, 9, 8, 1, 8)
    d.add(0, 14, 6)
    d.rect(2, 17, 24, 1, 3)  # the head
    d.add(3, 17, 28)
    return d


def spiral():
    s = Layout("Spiral.tvl", "Spiral: a path curling in toward a raised centre")
    path = []
    top, left, bottom, right = 0, 0, 9, 16  # in whole tiles
    while top <= bottom and left <= right:
        path += [(top, c) for c in range(left, right + 1)]
        path += [(r, right) for r in range(top + 1, bottom + 1)]
        if top < bottom:
            path += [(bottom, c) for c in range(right - 1, left - 1, -1)]
        if left < right:
            path += [(r, left) for r in range(bottom - 1, top, -1)]
        top, left, bottom, right = top + 2, left + 2, bottom - 2, right - 2
    for r, c in path:
        s.add(0, 2 * r, 2 * c)
    # The path climbs as it curls in: the inner turns get more layers.
    inner = path[len(path) // 2:]
    for k, (r, c) in enumerate(inner):
        if len(s.tiles) >= TILES:
            break
        s.add(1, 2 * r, 2 * c)
    assert len(s.tiles) == TILES, len(s.tiles)
    return s


def towers():
    t = Layout("Towers.tvl", "Towers: nine square towers, four storeys each")
    for i in range(3):
        for j in range(3):
            for layer in range(4):
                t.rect(layer, 1 + 6 * i, 3 + 10 * j, 2, 2)
    return t


def cross():
    c = Layout("Cross.tvl", "Cross: two broad arms crossing at a tall centre")
    c.rect(0, 6, 0, 4, 17)  # horizontal arm
    c.rect(0, 0, 12, 3, 5)  # vertical arm above
    c.rect(0, 14, 12, 3, 5)  # and below
    c.rect(1, 7, 7, 3, 10)
    c.rect(1, 1, 13, 1, 4)
    c.rect(1, 15, 13, 1, 4)
    c.rect(2, 8, 13, 2, 4)
    return c


def crab():
    k = Layout("Crab.tvl", "Crab: a round shell, raised claws and legs on both sides")
    # Shell: an oval of whole tiles.
    for i, w in enumerate([7, 9, 11, 11, 9, 7]):
        k.rect(0, 4 + 2 * i, 17 - w, 1, w)
    # Claws above the shell, one each side.
    for column in (2, 26):
        k.rect(0, 0, column, 2, 3)
    k.rect(0, 4, 4, 1, 1)
    k.rect(0, 4, 28, 1, 1)
    # Legs: three each side, half a tile lower than the shell rows.
    for i in range(3):
        k.rect(0, 9 + 2 * i, 0, 1, 2)
        k.rect(0, 9 + 2 * i, 30, 1, 1)
        k.add(0, 9 + 2 * i, 32)
    # Shell layers, half a tile in.
    for i, w in enumerate([6, 8, 10, 8, 6]):
        k.rect(1, 5 + 2 * i, 18 - w, 1, w)
    for i, w in enumerate([5, 7, 5]):
        k.rect(2, 7 + 2 * i, 17 - w, 1, w)
    k.rect(3, 9, 12, 1, 5)
    k.rect(1, 1, 3, 1, 2)  # the claws' pincers
    k.rect(1, 1, 27, 1, 2)
    return k


def stairs():
    s = Layout("Stairs.tvl", "Stairs: a flight of steps rising to the right")
    s.rect(0, 6, 0, 4, 16)
    s.rect(1, 6, 8, 4, 12)
    s.rect(2, 6, 18, 4, 7)
    s.rect(3, 6, 30, 4, 1)
    return s


def ring():
    # An oval band on the whole-tile grid, a narrower band half a tile in on top of it, and a
    # third band on top of that; the widths are the first that give 144 positions.
    cx, cy = 17, 10  # the board's centre, in half-tile cells

    def distance(row, column):
        return math.hypot((column + 1 - cx) / 2.0, (row + 1 - cy) / 1.25)

    def band(layout, layer, parity, inner, outer):
        for row in range(parity, 19, 2):
            for column in range(parity, 33, 2):
                if inner <= distance(row, column) <= outer:
                    layout.add(layer, row, column)

    steps = [x / 4.0 for x in range(8, 36)]
    for outer in steps:
        for inner in steps:
            for width1 in (0.75, 1.0, 1.25, 1.5):
                for width2 in (0.0, 0.25, 0.5):
                    r = Layout("Ring.tvl", "Ring: an oval band around an empty middle")
                    band(r, 0, 0, inner, outer)
                    middle = (inner + outer) / 2.0
                    band(r, 1, 1, middle - width1, middle + width1)
                    band(r, 2, 0, middle - width2, middle + width2)
                    if len(r.tiles) != TILES:
                        continue
                    try:
                        r.check()
                    except AssertionError:
                        continue
                    return r
    raise AssertionError("Ring.tvl: no band widths give 144 positions")


BUILDERS = [turtle, pyramid, fortress, bridge, butterfly, dragon, spiral, towers, cross, crab,
            stairs, ring]


def show(layout):
    """Prints each layer: the digit of the layer at every covered cell."""
    for layer in range(LAYERS):
        grid = [["." for _ in range(COLUMNS)] for _ in range(ROWS)]
        for (l, row, column) in layout.tiles:
            if l == layer:
                for (_, r, c) in cells(l, row, column):
                    grid[r][c] = "#" if (r, c) == (row, column) else "+"
        print(f"{layout.name} layer {layer}")
        print("\n".join("".join(line) for line in grid))


def main():
    if len(sys.argv) > 1 and sys.argv[1] == "--show":
        for build in BUILDERS:
            layout = build()
            if len(sys.argv) == 2 or layout.name in sys.argv[2:]:
                show(layout)
                print(len(layout.tiles))
        return 0
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "data", "LAYOUTS")
    problems = 0
    for build in BUILDERS:
        layout = build()
        try:
            layout.check()
        except AssertionError as error:
            print(error)
            problems += 1
            continue
        with open(os.path.join(out, layout.name), "wb") as f:
            f.write(layout.text().encode("ascii"))
        print(f"{layout.name}: {len(layout.tiles)} positions")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
