#!/usr/bin/python3
"""Draws the small pictures the program carries inside itself, into shell/resources/.

  toolbar.png        ten 16 x 16 pictures in a row on light grey (192, 192, 192), index 0..9:
                     load layout, new game, undo, hint, pause, sound, hall of fame, help, about, exit
  toolbar@2x.png     the same ten pictures drawn at 32 x 32 for high-density screens
  icon.png           the program icon, 256 x 256, with icon_48.png and icon_32.png
  cursor_normal.png  32 x 32 with alpha, a tile-shaped pointer, hot spot (8, 3)
  cursor_busy.png    32 x 32 with alpha, an hourglass beside a tile, hot spot (7, 11)

Every picture is drawn from shapes at its own size (eight times larger, then reduced), never
scaled up from a smaller one. Outlines are one output pixel wide at both toolbar sizes, so the
32-pixel pictures carry more detail rather than fatter lines.

Usage: /usr/bin/python3 tools/make_shell_resources.py [--preview DIR]
"""

import math
import os
import sys

from PIL import Image, ImageDraw

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import artlib  # noqa: E402
import make_tilesets  # noqa: E402

OUT = os.path.join(artlib.REPO, "shell", "resources")
SS = 8
GREY = (192, 192, 192)

INK = (32, 32, 40, 255)
IVORY = (250, 246, 232, 255)
IVORY_SHADE = (222, 212, 184, 255)
SIDE = (184, 120, 24, 255)
SIDE_DARK = (120, 74, 10, 255)
RED = (200, 30, 36, 255)
GREEN = (24, 140, 60, 255)
BLUE = (36, 92, 196, 255)
LIGHT_BLUE = (150, 196, 240, 255)
YELLOW = (250, 210, 70, 255)
GOLD = (222, 168, 30, 255)
BROWN = (150, 96, 44, 255)


class Pen:
    """Draws in a 16-unit square onto a canvas of `size` output pixels, supersampled."""

    def __init__(self, size, units=16):
        self.size = size
        self.k = size * SS / units           # canvas pixels per unit
        self.px = SS                          # canvas pixels per output pixel
        self.img = Image.new("RGBA", (size * SS, size * SS), (0, 0, 0, 0))
        self.d = ImageDraw.Draw(self.img)

    def p(self, x, y):
        return (x * self.k, y * self.k)

    def line_w(self, output_pixels=1.0):
        return max(1, int(round(output_pixels * self.px)))

    def poly(self, pts, fill, outline=INK, width=1.0):
        q = [self.p(x, y) for x, y in pts]
        self.d.polygon(q, fill=fill)
        if outline is not None:
            self.d.line(q + [q[0]], fill=outline, width=self.line_w(width), joint="curve")

    def rect(self, x0, y0, x1, y1, fill, outline=INK, width=1.0, radius=0.0):
        w = self.line_w(width) if outline is not None else 0
        self.d.rounded_rectangle([*self.p(x0, y0), *self.p(x1, y1)], radius=radius * self.k,
                                 fill=fill, outline=outline, width=w)

    def ellipse(self, x0, y0, x1, y1, fill, outline=INK, width=1.0):
        w = self.line_w(width) if outline is not None else 0
        self.d.ellipse([*self.p(x0, y0), *self.p(x1, y1)], fill=fill, outline=outline, width=w)

    def line(self, pts, fill, width=1.0):
        self.d.line([self.p(x, y) for x, y in pts], fill=fill, width=self.line_w(width),
                    joint="curve")

    def arc(self, x0, y0, x1, y1, start, end, fill, width=1.0):
        self.d.arc([*self.p(x0, y0), *self.p(x1, y1)], start, end, fill=fill,
                   width=self.line_w(width))

    def text(self, s, kind, box, fill):
        x0, y0, x1, y1 = box
        artlib.fit_text(self.d, s, kind, (*self.p(x0, y0), *self.p(x1, y1)), fill)

    def result(self):
        return self.img.resize((self.size, self.size), Image.LANCZOS)


def small_tile(pen, x0, y0, x1, y1, n):
    """A tile face from (x0, y0) to (x1, y1) with the game's thickness of n units at left and
    bottom."""
    pen.poly([(x0, y0 + n), (x0 + n, y0), (x0 + n, y1 - n), (x1, y1 - n), (x1 - n, y1),
              (x0, y1)], SIDE, outline=SIDE_DARK)
    pen.rect(x0 + n, y0, x1, y1 - n, IVORY, radius=0.6)


# ---------------------------------------------------------------- toolbar pictures

def icon_load_layout(pen):
    # An open folder with a tile peeking out.
    pen.poly([(1, 3.5), (6, 3.5), (7.5, 5), (14, 5), (14, 13.5), (1, 13.5)], GOLD)
    pen.rect(5.5, 2, 11, 9, IVORY, radius=0.5)
    pen.ellipse(7, 3.5, 9.5, 6, RED, outline=None)
    pen.poly([(1, 13.5), (3.2, 7.5), (15.5, 7.5), (13.5, 13.5)], YELLOW)


def icon_new_game(pen):
    small_tile(pen, 1.5, 3.5, 12, 15, 2)
    pen.ellipse(6, 6.5, 10, 10.5, GREEN, outline=None)
    # A sparkle: the game is fresh.
    cx, cy = 12.5, 3.5
    pts = []
    for i in range(8):
        a = i * math.pi / 4 - math.pi / 2
        r = 3.3 if i % 2 == 0 else 1.2
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    pen.poly(pts, YELLOW, outline=BROWN, width=0.8)


def icon_undo(pen):
    # A thick arrow bending back to the left.
    pen.arc(3.5, 3.5, 14.5, 14.5, 180 + 22, 180 + 220, BLUE, width=pen.size / 16 * 2.6)
    pen.poly([(0.8, 6.2), (6.6, 6.2), (3.7, 10.6)], BLUE, outline=(20, 50, 120, 255), width=0.7)


def icon_hint(pen):
    # A light bulb.
    pen.ellipse(3, 1, 13, 11, YELLOW, outline=BROWN)
    pen.rect(5.5, 10, 10.5, 14.5, (170, 170, 176, 255), outline=INK, radius=0.8)
    pen.line([(5.5, 12.2), (10.5, 12.2)], INK, width=0.8)
    pen.line([(6.5, 5), (8, 8), (9.5, 5)], (255, 250, 210, 255), width=0.9)


def icon_pause(pen):
    # A stopwatch with two bars on its face.
    pen.rect(6.5, 0.6, 9.5, 2.6, (120, 120, 130, 255), radius=0.4)
    pen.ellipse(1.5, 2, 14.5, 15, (232, 240, 250, 255), outline=INK)
    pen.rect(5, 5.5, 7.3, 11.5, BLUE, outline=None)
    pen.rect(8.7, 5.5, 11, 11.5, BLUE, outline=None)


def icon_sound(pen):
    pen.poly([(1.5, 6), (4.5, 6), (8.5, 2.5), (8.5, 13.5), (4.5, 10), (1.5, 10)],
             (90, 90, 100, 255))
    pen.arc(4.6, 4.6, 11.4, 11.4, -55, 55, BLUE, width=pen.size / 16 * 1.2)
    pen.arc(3.2, 2.2, 14.2, 13.8, -55, 55, BLUE, width=pen.size / 16 * 1.2)


def icon_hall_of_fame(pen):
    # A gold cup.
    pen.arc(0.8, 2.5, 6, 8.5, 90, 270, BROWN, width=pen.size / 16 * 1.1)
    pen.arc(10, 2.5, 15.2, 8.5, -90, 90, BROWN, width=pen.size / 16 * 1.1)
    pen.poly([(3.5, 1.5), (12.5, 1.5), (12, 6.5), (9.2, 9.5), (6.8, 9.5), (4, 6.5)], GOLD,
             outline=BROWN)
    pen.rect(7, 9.5, 9, 12, GOLD, outline=BROWN)
    pen.rect(4, 12, 12, 14.8, BROWN, outline=INK, radius=0.5)
    pen.line([(6, 3), (6.3, 6)], (255, 240, 170, 255), width=0.9)


def icon_help(pen):
    pen.ellipse(1, 1, 15, 15, BLUE, outline=(20, 50, 120, 255))
    pen.text("?", "sans", (4.5, 3.5, 11.5, 12.5), (255, 255, 255, 255))


def icon_about(pen):
    # The program's own tile with the red dragon.
    small_tile(pen, 2, 1, 14.5, 15, 2.2)
    pen.text("中", "sans-cjk", (5.5, 2.8, 13, 11.6), RED)


def icon_exit(pen):
    # An open door and an arrow leaving through it.
    pen.rect(2, 1.5, 10, 14.5, (110, 70, 36, 255), radius=0.3)
    pen.rect(3.2, 2.7, 8.8, 14.5, (250, 250, 240, 255), outline=None)
    pen.poly([(3.2, 2.7), (7.2, 4.2), (7.2, 15.5), (3.2, 14.5)], BROWN, outline=INK, width=0.8)
    pen.poly([(7, 7), (11.5, 7), (11.5, 5), (15.5, 8.5), (11.5, 12), (11.5, 10), (7, 10)],
             GREEN, outline=(10, 70, 30, 255), width=0.8)


TOOLBAR = [icon_load_layout, icon_new_game, icon_undo, icon_hint, icon_pause, icon_sound,
           icon_hall_of_fame, icon_help, icon_about, icon_exit]


def toolbar(size):
    strip = Image.new("RGBA", (size * len(TOOLBAR), size), GREY + (255,))
    for i, draw in enumerate(TOOLBAR):
        pen = Pen(size)
        draw(pen)
        strip.alpha_composite(pen.result(), (i * size, 0))
    return strip.convert("RGB")


# ---------------------------------------------------------------- program icon

def program_icon(size):
    style = make_tilesets.STYLES["Standard"]
    img = Image.new("RGBA", (size * SS // 2, size * SS // 2), (0, 0, 0, 0))
    scale = img.width / 256.0

    def tile_at(face_index, x, y, w, h, n):
        face = make_tilesets.draw_face(style, face_index).resize(
            (int(w * scale), int(h * scale)), Image.LANCZOS).convert("RGBA")
        fw, fh = face.size
        nn = int(n * scale)
        piece = Image.new("RGBA", (fw + nn, fh + nn), (0, 0, 0, 0))
        d = ImageDraw.Draw(piece)
        d.polygon([(0, nn), (nn, 0), (nn, fh), (fw + nn, fh), (fw, fh + nn), (0, fh + nn)],
                  fill=SIDE, outline=SIDE_DARK)
        piece.paste(face, (nn, 0))
        d.rectangle([nn, 0, nn + fw - 1, fh - 1], outline=(90, 70, 40, 255),
                    width=max(1, int(2 * scale)))
        img.alpha_composite(piece, (int(x * scale), int(y * scale)))

    if size < 128:
        # Small sizes: one tile whose dragon is drawn large and heavy, so it survives the size.
        pen = Pen(size)
        small_tile(pen, 1.2, 0.4, 14.8, 15.6, 2.2 if size < 40 else 2.0)
        pen.text("中", "sans-cjk", (4.6, 2.2, 13.4, 12.4), RED)
        return pen.result()
    tile_at(9, 92, 6, 138, 184, 22)      # a circle behind
    tile_at(39, 18, 52, 144, 192, 26)    # the red dragon in front
    return img.resize((size, size), Image.LANCZOS)


# ---------------------------------------------------------------- cursors

def cursor_normal():
    # An arrow cut from a tile: ivory face, the gold side showing below and to the left.
    # The tip of the face is the hot spot (8, 3).
    pen = Pen(32, units=32)
    arrow = [(0, 0), (0, 17), (4.2, 13.2), (7.2, 20), (10, 18.8), (7, 12.2), (12.5, 12.2)]
    tip_x, tip_y = 8.5, 3.5                 # pixel centre of (8, 3)
    side = [(x + tip_x - 2.2, y + tip_y + 2.2) for x, y in arrow]
    face = [(x + tip_x, y + tip_y) for x, y in arrow]
    pen.poly(side, SIDE, outline=INK, width=1.0)
    pen.poly(face, IVORY, outline=INK, width=1.0)
    pen.ellipse(tip_x + 1.6, tip_y + 7.6, tip_x + 4.8, tip_y + 10.8, RED, outline=None)
    return pen.result()


def cursor_busy():
    # An hourglass whose waist is the hot spot (7, 11), beside a small tile.
    pen = Pen(32, units=32)
    cx, cy = 7.5, 11.5
    small_tile(pen, 15, 15, 28, 30, 2.5)
    pen.ellipse(19.5, 19, 25, 24.5, GREEN, outline=None)
    glass = (220, 236, 250, 230)
    pen.poly([(cx - 5.2, cy - 9), (cx + 5.2, cy - 9), (cx + 0.9, cy), (cx + 5.2, cy + 9),
              (cx - 5.2, cy + 9), (cx - 0.9, cy)], glass, outline=INK)
    pen.poly([(cx - 2.6, cy - 4.5), (cx + 2.6, cy - 4.5), (cx, cy)], GOLD, outline=None)
    pen.poly([(cx - 4.6, cy + 8.4), (cx + 4.6, cy + 8.4), (cx, cy + 4.2)], GOLD, outline=None)
    pen.line([(cx, cy), (cx, cy + 8)], GOLD, width=0.8)
    pen.rect(cx - 6.8, cy - 10.8, cx + 6.8, cy - 8.6, BROWN, radius=0.6)
    pen.rect(cx - 6.8, cy + 8.6, cx + 6.8, cy + 10.8, BROWN, radius=0.6)
    return pen.result()


def main():
    os.makedirs(OUT, exist_ok=True)
    pictures = {
        "toolbar.png": toolbar(16),
        "toolbar@2x.png": toolbar(32),
        "icon.png": program_icon(256),
        "icon_48.png": program_icon(48),
        "icon_32.png": program_icon(32),
        "cursor_normal.png": cursor_normal(),
        "cursor_busy.png": cursor_busy(),
    }
    for name, img in pictures.items():
        path = os.path.join(OUT, name)
        img.save(path, format="PNG", optimize=True)
        print(path, img.size, img.mode)
    if len(sys.argv) == 3 and sys.argv[1] == "--preview":
        preview = sys.argv[2]
        os.makedirs(preview, exist_ok=True)
        for name, img in pictures.items():
            factor = 1 if img.width >= 256 else 8
            big = img.resize((img.width * factor, img.height * factor), Image.NEAREST)
            if big.mode == "RGBA":
                board = Image.new("RGBA", big.size, (160, 190, 160, 255))
                board.alpha_composite(big)
                big = board
            big.convert("RGB").save(os.path.join(preview, "x8_" + name))


if __name__ == "__main__":
    main()
