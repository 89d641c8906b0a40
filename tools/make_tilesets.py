#!/usr/bin/python3
"""Draws the game's tile sets into data/TILESETS.

A tile set is one picture of 9 x 5 equal cells, 3 : 4 each. Face k sits at row k / 9, column k % 9
for k = 0..26, and at row 3 (k = 27..34) or row 4 (k = 35..42), column (k - 27) % 8, for the rest;
the ninth cells of rows 3 and 4 are never shown. Faces:
  0..8    characters 1..9 (CJK numeral over the sign for ten-thousand)
  9..17   circles 1..9
  18..26  bamboos 1..9 (one is a bird)
  27..30  flowers: plum, orchid, chrysanthemum, bamboo
  31..34  winds: east, south, west, north
  35..38  seasons: spring, summer, autumn, winter
  39..41  dragons: red, green, white
  42      the blank face (tile back, and every face while the game is paused)

Each face is drawn four times larger than its cell and scaled down, so edges are smooth. The 2D
board adds the tile's thickness outside the cell, so a face only needs a thin outline of its own.
Three looks share the drawing code: Standard (ivory, brush-like serif, JPEG), Classic (white, black
outlines and pure colours, 24-bit BMP) and Night (dark tiles with light symbols, 32-bit TGA).

Usage: /usr/bin/python3 tools/make_tilesets.py [--preview DIR]
"""

import math
import os
import sys

from PIL import Image, ImageDraw, ImageFilter

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import artlib  # noqa: E402

CELL_W, CELL_H = 120, 160          # final cell size: the sheet is 1080 x 800
SS = 4                             # supersampling factor while drawing
COLS, ROWS = 9, 5

NUMERALS = "一二三四五六七八九"
WIND_CHARS = "東南西北"
WIND_LETTERS = "ESWN"
FLOWER_CHARS = "梅蘭菊竹"
SEASON_CHARS = "春夏秋冬"

STYLES = {
    "Standard": dict(
        face_top=(253, 250, 238), face_bottom=(236, 227, 203), outline=(150, 128, 92),
        outline_w=3, bevel=True, ink=(22, 32, 86), red=(192, 26, 34), green=(18, 118, 62),
        blue=(28, 72, 158), gold=(214, 150, 30), pink=(232, 120, 150), purple=(128, 70, 170),
        cjk="serif-cjk", latin="serif", shape_outline=None, dot="ringed", light=(253, 250, 238),
        index_colour=(192, 26, 34),
    ),
    "Classic": dict(
        face_top=(255, 255, 255), face_bottom=(255, 255, 255), outline=(0, 0, 0),
        outline_w=5, bevel=False, ink=(0, 0, 0), red=(222, 0, 0), green=(0, 140, 0),
        blue=(0, 40, 215), gold=(240, 170, 0), pink=(240, 60, 130), purple=(130, 0, 190),
        cjk="sans-cjk", latin="sans", shape_outline=(0, 0, 0), dot="solid", light=(255, 255, 255),
        index_colour=(0, 0, 0),
    ),
    "Night": dict(
        face_top=(44, 52, 92), face_bottom=(20, 24, 50), outline=(140, 160, 220),
        outline_w=3, bevel=False, ink=(250, 216, 120), red=(255, 112, 104), green=(110, 226, 140),
        blue=(110, 186, 255), gold=(255, 206, 90), pink=(255, 150, 190), purple=(196, 150, 255),
        cjk="serif-cjk", latin="serif", shape_outline=None, dot="glow", light=(30, 36, 68),
        index_colour=(140, 200, 255),
    ),
}


class Face:
    """One cell being drawn, in final-pixel coordinates scaled by SS."""

    def __init__(self, style):
        self.st = style
        self.img = artlib.vertical_gradient((CELL_W * SS, CELL_H * SS),
                                            [(0.0, style["face_top"]),
                                             (1.0, style["face_bottom"])]).convert("RGBA")
        self.draw = ImageDraw.Draw(self.img)

    def s(self, v):
        return v * SS

    def box(self, x0, y0, x1, y1):
        return [self.s(x0), self.s(y0), self.s(x1), self.s(y1)]

    def ellipse(self, cx, cy, rx, ry, fill, outline=None, width=0):
        self.draw.ellipse(self.box(cx - rx, cy - ry, cx + rx, cy + ry), fill=fill,
                          outline=outline, width=int(self.s(width)))

    def polygon(self, points, fill, outline=None, width=0):
        pts = [(self.s(x), self.s(y)) for x, y in points]
        self.draw.polygon(pts, fill=fill)
        if outline is not None and width > 0:
            self.draw.line(pts + [pts[0]], fill=outline, width=int(self.s(width)), joint="curve")

    def line(self, points, fill, width):
        self.draw.line([(self.s(x), self.s(y)) for x, y in points], fill=fill,
                       width=int(self.s(width)), joint="curve")

    def glyph(self, text, kind, size, cx, cy, fill, stroke=0.0, stroke_fill=None):
        """Draws text at a fixed size, centred on its ink at (cx, cy)."""
        f = artlib.font(kind, self.s(size))
        sw = int(self.s(stroke))
        l, t, r, b = self.draw.textbbox((0, 0), text, font=f, stroke_width=sw)
        x = self.s(cx) - (l + r) / 2
        y = self.s(cy) - (t + b) / 2
        self.draw.text((x, y), text, font=f, fill=fill, stroke_width=sw,
                       stroke_fill=stroke_fill if stroke_fill is not None else fill)

    def paste(self, piece, cx, cy):
        """Composites an RGBA piece (already at drawing scale) centred at (cx, cy)."""
        x = int(round(self.s(cx) - piece.width / 2))
        y = int(round(self.s(cy) - piece.height / 2))
        self.img.alpha_composite(piece, (x, y))

    def frame(self):
        st = self.st
        w, h = CELL_W * SS, CELL_H * SS
        ow = self.s(st["outline_w"])
        if st["bevel"]:
            # A soft light rim at the top and left, a darker one at the bottom and right.
            hi = (255, 255, 252, 255)
            lo = artlib.mix(st["face_bottom"], (120, 100, 70), 0.35) + (255,)
            self.draw.rectangle([ow, ow, w - ow, ow + self.s(2)], fill=hi)
            self.draw.rectangle([ow, ow, ow + self.s(2), h - ow], fill=hi)
            self.draw.rectangle([ow, h - ow - self.s(2.5), w - ow, h - ow], fill=lo)
            self.draw.rectangle([w - ow - self.s(2.5), ow, w - ow, h - ow], fill=lo)
        self.draw.rectangle([0, 0, w - 1, h - 1], outline=st["outline"], width=int(ow))

    def finish(self):
        self.frame()
        return self.img.convert("RGB").resize((CELL_W, CELL_H), Image.LANCZOS)


# ---------------------------------------------------------------- circles

def dot(face, cx, cy, r, colour):
    st = face.st
    light = st["light"]
    if st["dot"] == "ringed":
        face.ellipse(cx, cy, r, r, colour)
        face.ellipse(cx, cy, r * 0.78, r * 0.78, light)
        face.ellipse(cx, cy, r * 0.6, r * 0.6, colour)
        face.ellipse(cx, cy, r * 0.28, r * 0.28, light)
        face.ellipse(cx, cy, r * 0.12, r * 0.12, colour)
    elif st["dot"] == "solid":
        face.ellipse(cx, cy, r, r, colour, outline=(0, 0, 0), width=max(1.2, r * 0.14))
        face.ellipse(cx, cy, r * 0.34, r * 0.34, (255, 255, 255))
    else:  # glow
        face.ellipse(cx, cy, r, r, artlib.mix(colour, light, 0.55))
        face.ellipse(cx, cy, r * 0.84, r * 0.84, colour)
        face.ellipse(cx, cy, r * 0.5, r * 0.5, artlib.mix(colour, (255, 255, 255), 0.6))


def big_circle(face):
    st = face.st
    cx, cy = 60, 80
    face.ellipse(cx, cy, 44, 44, st["green"])
    face.ellipse(cx, cy, 39, 39, st["light"])
    # A ring of small petals between the outer and inner rings.
    for i in range(12):
        a = i * math.pi / 6
        px, py = cx + 31 * math.cos(a), cy + 31 * math.sin(a)
        face.ellipse(px, py, 5.5, 5.5, st["red"] if i % 2 == 0 else st["blue"])
    face.ellipse(cx, cy, 23, 23, st["blue"])
    face.ellipse(cx, cy, 18, 18, st["light"])
    face.ellipse(cx, cy, 14, 14, st["red"])
    face.ellipse(cx, cy, 6, 6, st["light"])
    if st["shape_outline"]:
        face.ellipse(cx, cy, 44, 44, None, outline=st["shape_outline"], width=2)


CIRCLE_LAYOUTS = {
    2: [(0.5, 0.24, "green"), (0.5, 0.76, "blue")],
    3: [(0.2, 0.17, "blue"), (0.5, 0.5, "red"), (0.8, 0.83, "green")],
    4: [(0.26, 0.25, "blue"), (0.74, 0.25, "green"), (0.26, 0.75, "green"), (0.74, 0.75, "blue")],
    5: [(0.22, 0.19, "blue"), (0.78, 0.19, "green"), (0.5, 0.5, "red"),
        (0.22, 0.81, "green"), (0.78, 0.81, "blue")],
    6: [(0.27, 0.15, "green"), (0.73, 0.15, "green"), (0.27, 0.52, "red"), (0.73, 0.52, "red"),
        (0.27, 0.85, "red"), (0.73, 0.85, "red")],
    7: [(0.18, 0.08, "green"), (0.5, 0.19, "green"), (0.82, 0.30, "green"),
        (0.27, 0.6, "red"), (0.73, 0.6, "red"), (0.27, 0.88, "red"), (0.73, 0.88, "red")],
    8: [(x, y, "blue") for y in (0.11, 0.37, 0.63, 0.89) for x in (0.27, 0.73)],
    9: [(x, y, c) for y, c in ((0.15, "green"), (0.5, "red"), (0.85, "blue"))
        for x in (0.18, 0.5, 0.82)],
}
CIRCLE_RADIUS = {2: 23, 3: 17, 4: 19, 5: 16, 6: 16, 7: 13, 8: 14, 9: 14}
CONTENT = (14, 14, 106, 146)   # x0, y0, x1, y1 of the symbol area


def circles(face, n):
    if n == 1:
        big_circle(face)
        return
    x0, y0, x1, y1 = CONTENT
    r = CIRCLE_RADIUS[n]
    for u, v, c in CIRCLE_LAYOUTS[n]:
        cx = x0 + r + (x1 - x0 - 2 * r) * u
        cy = y0 + r + (y1 - y0 - 2 * r) * v
        dot(face, cx, cy, r, face.st[c])


# ---------------------------------------------------------------- bamboos

def stick_piece(style, w, h, colour):
    """One bamboo stick, w x h final pixels, as an RGBA piece at drawing scale."""
    W, H = int(w * SS * 1.3), int(h * SS)
    img = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    bw = w * SS
    x0 = (W - bw) / 2
    dark = artlib.mix(colour, (0, 0, 0), 0.45)
    light = artlib.mix(colour, (255, 255, 255), 0.55)
    if style["shape_outline"]:
        dark = style["shape_outline"]
    ow = max(SS, int(bw * 0.12))
    d.rounded_rectangle([x0, 0, x0 + bw, H - 1], radius=bw * 0.4, fill=colour, outline=dark,
                        width=ow)
    # highlight down the stick
    d.line([(x0 + bw * 0.34, H * 0.1), (x0 + bw * 0.34, H * 0.9)], fill=light,
           width=max(1, int(bw * 0.16)))
    # the joint in the middle bulges a little, the ends have thin rings
    jh = max(SS, H * 0.07)
    d.rounded_rectangle([x0 - bw * 0.12, H / 2 - jh / 2, x0 + bw * 1.12, H / 2 + jh / 2],
                        radius=jh / 2, fill=dark)
    for fy in (0.14, 0.86):
        d.line([(x0 + ow, H * fy), (x0 + bw - ow, H * fy)], fill=dark, width=max(1, int(jh / 2)))
    return img


def stick(face, cx, cy, w, h, colour, angle=0.0):
    piece = stick_piece(face.st, w, h, colour)
    if angle:
        piece = piece.rotate(angle, resample=Image.BICUBIC, expand=True)
    face.paste(piece, cx, cy)


BAMBOO_LAYOUTS = {
    2: [(0.5, 0.25, "blue"), (0.5, 0.75, "green")],
    3: [(0.5, 0.25, "blue"), (0.27, 0.75, "green"), (0.73, 0.75, "green")],
    4: [(0.27, 0.25, "blue"), (0.73, 0.25, "green"), (0.27, 0.75, "green"), (0.73, 0.75, "blue")],
    5: [(0.17, 0.25, "green"), (0.83, 0.25, "blue"), (0.5, 0.5, "red"),
        (0.17, 0.75, "blue"), (0.83, 0.75, "green")],
    6: [(x, y, c) for y, c in ((0.25, "green"), (0.75, "blue")) for x in (0.18, 0.5, 0.82)],
    7: [(0.5, 1 / 6, "red")] + [(x, y, c) for y, c in ((0.5, "green"), (5 / 6, "blue"))
                                 for x in (0.18, 0.5, 0.82)],
    9: [(x, y, c) for y in (1 / 6, 0.5, 5 / 6)
        for x, c in ((0.18, "green"), (0.5, "red"), (0.82, "blue"))],
}


def bamboos(face, n):
    if n == 1:
        bird(face)
        return
    x0, y0, x1, y1 = CONTENT
    if n == 8:
        # Two rows of four, leaning into an M over a W as on real tiles.
        w, h = 11, 52
        for row, cy, colour in ((0, 44, "green"), (1, 116, "blue")):
            for i, cx in enumerate((24, 47, 73, 96)):
                lean = 14 if i % 2 == 0 else -14
                if row:
                    lean = -lean
                stick(face, cx, cy, w, h, face.st[colour], angle=lean)
        return
    rows = 3 if n in (7, 9) else 2
    h = (y1 - y0) / rows - (5 if rows == 3 else 8)
    w = 17 if n >= 5 else 20
    for u, v, c in BAMBOO_LAYOUTS[n]:
        stick(face, x0 + (x1 - x0) * u, y0 + (y1 - y0) * v, w, h, face.st[c])


def bird(face):
    """The one of bamboos: a little bird perched on a bamboo stick."""
    st = face.st
    ol = st["shape_outline"]
    olw = 1.6 if ol else 0
    # tail feathers fanning down to the left
    for ang, c in ((200, "blue"), (215, "red"), (230, "green")):
        a = math.radians(ang)
        pts = []
        for t in range(0, 21):
            s = t / 20
            along = 8 + 44 * s
            side = 7 * math.sin(math.pi * s)
            pts.append((54 + along * math.cos(a) - side * math.sin(a),
                        84 - along * math.sin(a) * -1 + side * math.cos(a)))
        for t in range(20, -1, -1):
            s = t / 20
            along = 8 + 44 * s
            side = -7 * math.sin(math.pi * s)
            pts.append((54 + along * math.cos(a) - side * math.sin(a),
                        84 + along * math.sin(a) + side * math.cos(a)))
        face.polygon(pts, st[c], outline=ol, width=olw)
    # perch
    stick(face, 60, 126, 12, 92, st["green"], angle=90)
    # legs
    face.line([(62, 98), (58, 121)], st["gold"], 2.6)
    face.line([(72, 98), (74, 121)], st["gold"], 2.6)
    # body and wing
    face.ellipse(66, 80, 24, 20, st["green"], outline=ol, width=olw)
    face.polygon([(52, 74), (78, 70), (90, 84), (66, 96), (50, 88)],
                 artlib.mix(st["green"], st["blue"], 0.6), outline=ol, width=olw)
    face.line([(58, 80), (80, 78)], artlib.mix(st["green"], (255, 255, 255), 0.5), 1.6)
    face.line([(58, 87), (76, 86)], artlib.mix(st["green"], (255, 255, 255), 0.5), 1.6)
    # head, crest, beak, eye
    for dx in (-6, 0, 6):
        face.line([(80, 42), (80 + dx * 1.4, 27)], st["red"], 3)
    face.ellipse(81, 50, 14, 13, st["red"], outline=ol, width=olw)
    face.polygon([(93, 46), (106, 52), (93, 56)], st["gold"], outline=ol, width=olw * 0.7)
    face.ellipse(85, 47, 4, 4, st["light"] if st["dot"] != "glow" else (255, 255, 255))
    face.ellipse(85.8, 47, 2, 2, (0, 0, 0))


# ---------------------------------------------------------------- characters, winds, dragons

def index_mark(face, text):
    face.glyph(text, face.st["latin"], 17, 17, 19, face.st["index_colour"])


def characters(face, n):
    st = face.st
    face.glyph(NUMERALS[n - 1], st["cjk"], 50, 60, 43, st["ink"])
    face.glyph("萬", st["cjk"], 66, 60, 108, st["red"])
    index_mark(face, str(n))


def wind(face, i):
    st = face.st
    face.glyph(WIND_CHARS[i], st["cjk"], 84, 60, 86, st["ink"])
    index_mark(face, WIND_LETTERS[i])


def dragon(face, i):
    st = face.st
    if i == 0:
        face.glyph("中", st["cjk"], 92, 60, 80, st["red"])
    elif i == 1:
        face.glyph("發", st["cjk"], 86, 60, 80, st["green"])
    else:
        # The white dragon: a double frame, as on most sets.
        c = st["blue"]
        face.draw.rectangle(face.box(18, 20, 102, 140), outline=c, width=int(face.s(7)))
        face.draw.rectangle(face.box(31, 33, 89, 127), outline=c, width=int(face.s(3)))
        for y in range(44, 120, 12):
            face.draw.rectangle(face.box(40, y, 80, y + 4), fill=artlib.mix(c, st["light"], 0.55))


# ---------------------------------------------------------------- flowers and seasons

def blossom(face, cx, cy, r, colour, centre):
    for i in range(5):
        a = -math.pi / 2 + i * 2 * math.pi / 5
        face.ellipse(cx + r * 0.55 * math.cos(a), cy + r * 0.55 * math.sin(a), r * 0.5, r * 0.5,
                     colour, outline=face.st["shape_outline"],
                     width=1 if face.st["shape_outline"] else 0)
    face.ellipse(cx, cy, r * 0.3, r * 0.3, centre)


def leaf(face, x0, y0, x1, y1, width, colour, bend=0.0):
    """A pointed leaf from (x0, y0) to (x1, y1), bowed sideways by bend."""
    dx, dy = x1 - x0, y1 - y0
    length = math.hypot(dx, dy)
    nx, ny = -dy / length, dx / length
    left, right = [], []
    for t in range(0, 17):
        s = t / 16
        bx = x0 + dx * s + nx * bend * math.sin(math.pi * s)
        by = y0 + dy * s + ny * bend * math.sin(math.pi * s)
        half = width / 2 * math.sin(math.pi * s) ** 0.8
        left.append((bx + nx * half, by + ny * half))
        right.append((bx - nx * half, by - ny * half))
    ol = face.st["shape_outline"]
    face.polygon(left + right[::-1], colour, outline=ol, width=1.2 if ol else 0)


def branch(face, points, colour, width):
    face.line(points, colour, width)


def flower_picture(face, i):
    st = face.st
    brown = (110, 70, 40) if st["dot"] != "glow" else (200, 160, 120)
    if i == 0:  # plum: blossoms on a crooked branch
        branch(face, [(22, 96), (44, 74), (52, 52), (74, 34), (96, 26)], brown, 4)
        branch(face, [(52, 56), (84, 66)], brown, 3)
        for cx, cy, r in ((40, 78, 13), (70, 38, 14), (86, 66, 12), (52, 52, 9), (96, 24, 8)):
            blossom(face, cx, cy, r, st["pink"], st["gold"])
    elif i == 1:  # orchid: long leaves and purple flowers
        leaf(face, 30, 100, 90, 34, 9, st["green"], bend=-10)
        leaf(face, 46, 100, 26, 30, 8, st["green"], bend=8)
        leaf(face, 56, 100, 100, 70, 7, st["green"], bend=-6)
        for cx, cy in ((62, 42), (80, 60)):
            for a in range(3):
                ang = -math.pi / 2 + a * 2 * math.pi / 3
                leaf(face, cx, cy, cx + 16 * math.cos(ang), cy + 16 * math.sin(ang), 10,
                     st["purple"])
            face.ellipse(cx, cy, 4, 4, st["gold"])
    elif i == 2:  # chrysanthemum: a round head of many petals
        leaf(face, 60, 100, 36, 80, 12, st["green"])
        leaf(face, 60, 100, 86, 84, 12, st["green"])
        branch(face, [(60, 100), (60, 62)], st["green"], 3.5)
        for ring, count, length in ((0, 20, 30), (1, 14, 20)):
            for k in range(count):
                a = (k + 0.5 * ring) * 2 * math.pi / count
                colour = st["gold"] if ring == 0 else artlib.mix(st["gold"], st["red"], 0.45)
                leaf(face, 60, 54, 60 + length * math.cos(a), 54 + length * math.sin(a), 7,
                     colour)
        face.ellipse(60, 54, 7, 7, artlib.mix(st["gold"], st["red"], 0.7))
    else:  # bamboo: two stems with narrow leaves
        for x, top in ((46, 22), (72, 34)):
            branch(face, [(x, 100), (x, top)], st["green"], 6)
            for y in range(top + 16, 100, 20):
                face.line([(x - 4, y), (x + 4, y)], artlib.mix(st["green"], (0, 0, 0), 0.4), 2)
        for x0, y0, x1, y1 in ((46, 40, 20, 30), (46, 58, 22, 70), (72, 50, 100, 40),
                               (72, 70, 100, 82), (46, 40, 34, 18), (72, 50, 88, 30)):
            leaf(face, x0, y0, x1, y1, 8, artlib.mix(st["green"], st["blue"], 0.15))


def season_picture(face, i):
    st = face.st
    cx, cy, R = 60, 60, 40
    colours = (st["green"], st["red"], st["gold"], st["blue"])
    ring = colours[i]
    face.ellipse(cx, cy, R, R, artlib.mix(ring, st["light"], 0.78), outline=ring, width=3)
    if i == 0:  # spring: a sprout with a bud
        face.line([(60, 92), (60, 50)], st["green"], 4)
        leaf(face, 60, 74, 34, 58, 14, st["green"], bend=-4)
        leaf(face, 60, 66, 88, 50, 14, st["green"], bend=4)
        blossom(face, 60, 42, 14, st["pink"], st["gold"])
    elif i == 1:  # summer: the sun
        for k in range(12):
            a = k * math.pi / 6
            face.polygon([(cx + 20 * math.cos(a - 0.2), cy + 20 * math.sin(a - 0.2)),
                          (cx + 34 * math.cos(a), cy + 34 * math.sin(a)),
                          (cx + 20 * math.cos(a + 0.2), cy + 20 * math.sin(a + 0.2))], st["red"])
        face.ellipse(cx, cy, 18, 18, st["red"])
        face.ellipse(cx, cy, 12, 12, artlib.mix(st["red"], st["gold"], 0.6))
    elif i == 2:  # autumn: a maple leaf of five pointed lobes
        lobes = ((-90, 36), (-25, 34), (35, 25), (145, 25), (205, 34))
        pts = []
        for j, (a, length) in enumerate(lobes):
            nxt = lobes[(j + 1) % 5][0] + (360 if j == 4 else 0)
            valley = (a + nxt) / 2
            for ang, rr in ((a - 9, length * 0.62), (a - 4, length * 0.7), (a, length),
                            (a + 4, length * 0.7), (a + 9, length * 0.62),
                            (valley, 8 if 80 < valley % 360 < 100 else 12)):
                r = math.radians(ang)
                pts.append((cx + rr * math.cos(r), cy + 2 + rr * math.sin(r)))
        face.polygon(pts, artlib.mix(st["red"], st["gold"], 0.45),
                     outline=st["shape_outline"], width=1.2 if st["shape_outline"] else 0)
        face.line([(cx, cy + 4), (cx, cy + 34)], artlib.mix(st["red"], (0, 0, 0), 0.3), 2.5)
    else:  # winter: a snowflake
        for k in range(6):
            a = k * math.pi / 3
            ex, ey = cx + 32 * math.cos(a), cy + 32 * math.sin(a)
            face.line([(cx, cy), (ex, ey)], st["blue"], 4)
            for f in (0.5, 0.75):
                bx, by = cx + 32 * f * math.cos(a), cy + 32 * f * math.sin(a)
                for side in (-1, 1):
                    b = a + side * math.pi / 4
                    face.line([(bx, by), (bx + 10 * math.cos(b), by + 10 * math.sin(b))],
                              st["blue"], 3)
        face.ellipse(cx, cy, 6, 6, st["blue"])


def flower(face, i):
    st = face.st
    flower_picture(face, i)
    face.glyph(FLOWER_CHARS[i], st["cjk"], 40, 60, 124, st["ink"])
    index_mark(face, str(i + 1))


def season(face, i):
    st = face.st
    season_picture(face, i)
    colours = (st["green"], st["red"], artlib.mix(st["gold"], st["red"], 0.35), st["blue"])
    face.glyph(SEASON_CHARS[i], st["cjk"], 40, 60, 124, colours[i])
    index_mark(face, str(i + 1))


# ---------------------------------------------------------------- the sheet

def draw_face(style, k):
    face = Face(style)
    if k < 9:
        characters(face, k + 1)
    elif k < 18:
        circles(face, k - 8)
    elif k < 27:
        bamboos(face, k - 17)
    elif k < 31:
        flower(face, k - 27)
    elif k < 35:
        wind(face, k - 31)
    elif k < 39:
        season(face, k - 35)
    elif k < 42:
        dragon(face, k - 39)
    # 42: the blank face keeps only its ground and frame
    return face.finish()


def cell_of(k):
    if k < 27:
        return k % 9, k // 9
    if k < 35:
        return k - 27, 3
    return k - 35, 4


def build_sheet(style):
    sheet = Image.new("RGB", (COLS * CELL_W, ROWS * CELL_H), style["face_bottom"])
    for k in range(43):
        col, row = cell_of(k)
        sheet.paste(draw_face(style, k), (col * CELL_W, row * CELL_H))
    # The two unused cells get a plain face too, so nothing odd shows if a viewer opens the file.
    blank = draw_face(style, 42)
    sheet.paste(blank, (8 * CELL_W, 3 * CELL_H))
    sheet.paste(blank, (8 * CELL_W, 4 * CELL_H))
    return sheet


def main():
    preview = None
    if len(sys.argv) == 3 and sys.argv[1] == "--preview":
        preview = sys.argv[2]
        os.makedirs(preview, exist_ok=True)
    out = os.path.join(artlib.DATA, "TILESETS")
    os.makedirs(out, exist_ok=True)
    for name, writer in (("Standard", "jpg"), ("Classic", "bmp"), ("Night", "tga")):
        sheet = build_sheet(STYLES[name])
        path = os.path.join(out, f"{name}.{writer}")
        if writer == "jpg":
            sheet.save(path, format="JPEG", quality=93, subsampling=0, optimize=True)
        elif writer == "bmp":
            artlib.save_bmp24(sheet, path)
        else:
            artlib.save_tga(sheet, path, rle=False, alpha=True)
        print(path, sheet.size)
        if preview:
            sheet.save(os.path.join(preview, f"{name}.png"))


if __name__ == "__main__":
    main()
