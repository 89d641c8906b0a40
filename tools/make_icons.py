#!/usr/bin/python3
"""Draws the game's icon for the desktop menus, into data-install/icons/<N>x<N>/varnels-mahjong.png.

Sizes 16, 22, 24, 32, 48, 64, 128, 256 and 512 pixels, each drawn for its own size:

  16 to 64     one tile with the red dragon, as the program's own small icon, but laid out on
               whole pixels: the face, its one-pixel outline, the gold thickness at left and bottom
               and the strokes of the dragon sign all start and end on pixel edges, so nothing
               is blurred by a reduction.
  128 to 512   the program's large icon (a circle tile behind the red dragon), its faces drawn
               by the tile-set painter at a resolution above the output's, so every picture is
               only ever reduced, never enlarged.

Usage: /usr/bin/python3 tools/make_icons.py [--preview DIR]
"""

import os
import sys

from PIL import Image, ImageDraw

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import artlib  # noqa: E402
import make_shell_resources as shell  # noqa: E402
import make_tilesets  # noqa: E402

OUT = os.path.join(artlib.REPO, "data-install", "icons")
NAME = "varnels-mahjong.png"
SIZES = (16, 22, 24, 32, 48, 64, 128, 256, 512)
SMALL_LIMIT = 64           # sizes up to this one get the pixel-exact single tile

INK = shell.INK
IVORY = shell.IVORY
SIDE = shell.SIDE
SIDE_DARK = shell.SIDE_DARK
RED = shell.RED


# ---------------------------------------------------------------- small sizes

def pixel_rect(d, x0, y0, x1, y1, fill):
    """Fills the pixels from (x0, y0) to (x1, y1), both corners included."""
    if x1 >= x0 and y1 >= y0:
        d.rectangle([x0, y0, x1, y1], fill=fill)


def small_icon(size):
    img = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    margin = 0 if size <= 24 else round(size / 32)
    depth = max(2, round(size * (2.2 if size < 40 else 2.0) / 16))
    # The face, corners included.
    fx0, fy0 = margin + depth, margin
    fx1, fy1 = size - 1 - margin, size - 1 - margin - depth

    # The thickness: the face shifted one pixel at a time to the lower left, the farthest first,
    # so its corners climb in single-pixel steps like the 2D board's tile sides.
    for k in range(depth, 0, -1):
        pixel_rect(d, fx0 - k, fy0 + k, fx1 - k, fy1 + k, SIDE)
    # The side's dark edge: its far left column, its bottom row, and the two diagonals.
    pixel_rect(d, fx0 - depth, fy0 + depth, fx0 - depth, fy1 + depth, SIDE_DARK)
    pixel_rect(d, fx0 - depth, fy1 + depth, fx1 - depth, fy1 + depth, SIDE_DARK)
    for k in range(1, depth + 1):
        d.point((fx0 - k, fy0 + k), fill=SIDE_DARK)
        d.point((fx1 - k, fy1 + k), fill=SIDE_DARK)

    # The face with a one-pixel outline; from 24 pixels on its corners are cut by one pixel.
    pixel_rect(d, fx0, fy0, fx1, fy1, INK)
    pixel_rect(d, fx0 + 1, fy0 + 1, fx1 - 1, fy1 - 1, IVORY)
    if size >= 24:
        for x, y in ((fx0, fy0), (fx1, fy0)):
            d.point((x, y), fill=(0, 0, 0, 0))
        d.point((fx0, fy1), fill=SIDE)
        d.point((fx1, fy1), fill=SIDE)

    # The sign 中: a box crossed by a long stem, strokes on whole pixels. The stem's width has the
    # parity of the face's inner width and the box's width too, so both sit exactly centred.
    ix0, iy0, ix1, iy1 = fx0 + 1, fy0 + 1, fx1 - 1, fy1 - 1
    inner_w, inner_h = ix1 - ix0 + 1, iy1 - iy0 + 1
    stroke = max(1, round(size / 16))
    stem = stroke if stroke % 2 == inner_w % 2 else stroke + 1
    box_w = round(inner_w * 0.66)
    if box_w % 2 != inner_w % 2:
        box_w += 1
    box_h = max(2 * stroke + 2, round(inner_h * 0.38))
    box_x0 = ix0 + (inner_w - box_w) // 2
    box_y0 = iy0 + round(inner_h * 0.27)
    box_x1, box_y1 = box_x0 + box_w - 1, box_y0 + box_h - 1
    pixel_rect(d, box_x0, box_y0, box_x1, box_y0 + stroke - 1, RED)
    pixel_rect(d, box_x0, box_y1 - stroke + 1, box_x1, box_y1, RED)
    pixel_rect(d, box_x0, box_y0, box_x0 + stroke - 1, box_y1, RED)
    pixel_rect(d, box_x1 - stroke + 1, box_y0, box_x1, box_y1, RED)
    stem_x0 = ix0 + (inner_w - stem) // 2
    stem_y0 = iy0 + max(1, round(inner_h * 0.1))
    stem_y1 = iy1 - max(1, round(inner_h * 0.1))
    pixel_rect(d, stem_x0, stem_y0, stem_x0 + stem - 1, stem_y1, RED)
    return img


# ---------------------------------------------------------------- large sizes

def face_picture(face_index, width, height):
    """A face of the Standard tile set drawn at least as large as width x height, then reduced."""
    supersample = max(4, -(-max(width / make_tilesets.CELL_W, height / make_tilesets.CELL_H) // 1))
    saved_ss, saved_finish = make_tilesets.SS, make_tilesets.Face.finish
    make_tilesets.SS = int(supersample)
    # Keep the painter's full-resolution picture instead of its reduction to the sheet's cell.
    make_tilesets.Face.finish = lambda face: (face.frame(), face.img.convert("RGB"))[1]
    try:
        face = make_tilesets.draw_face(make_tilesets.STYLES["Standard"], face_index)
    finally:
        make_tilesets.SS, make_tilesets.Face.finish = saved_ss, saved_finish
    return face.resize((width, height), Image.LANCZOS).convert("RGBA")


def large_icon(size):
    # The program's large icon, composed in a 256-unit square on a canvas four times the output.
    canvas = Image.new("RGBA", (size * 4, size * 4), (0, 0, 0, 0))
    scale = canvas.width / 256.0

    def tile_at(face_index, x, y, w, h, n):
        fw, fh, nn = round(w * scale), round(h * scale), round(n * scale)
        face = face_picture(face_index, fw, fh)
        piece = Image.new("RGBA", (fw + nn, fh + nn), (0, 0, 0, 0))
        d = ImageDraw.Draw(piece)
        d.polygon([(0, nn), (nn, 0), (nn, fh), (fw + nn, fh), (fw, fh + nn), (0, fh + nn)],
                  fill=SIDE, outline=SIDE_DARK)
        piece.paste(face, (nn, 0))
        d.rectangle([nn, 0, nn + fw - 1, fh - 1], outline=(90, 70, 40, 255),
                    width=max(1, round(2 * scale)))
        canvas.alpha_composite(piece, (round(x * scale), round(y * scale)))

    tile_at(9, 92, 6, 138, 184, 22)      # a circle behind
    tile_at(39, 18, 52, 144, 192, 26)    # the red dragon in front
    return canvas.resize((size, size), Image.LANCZOS)


def icon(size):
    return small_icon(size) if size <= SMALL_LIMIT else large_icon(size)


def main():
    preview = None
    if len(sys.argv) == 3 and sys.argv[1] == "--preview":
        preview = sys.argv[2]
        os.makedirs(preview, exist_ok=True)
    for size in SIZES:
        img = icon(size)
        folder = os.path.join(OUT, "%dx%d" % (size, size))
        os.makedirs(folder, exist_ok=True)
        path = os.path.join(folder, NAME)
        img.save(path, format="PNG", optimize=True)
        print(path, img.size, img.mode)
        if preview:
            factor = max(1, 256 // size)
            big = img.resize((size * factor, size * factor), Image.NEAREST)
            board = Image.new("RGBA", big.size, (160, 190, 160, 255))
            board.alpha_composite(big)
            board.convert("RGB").save(os.path.join(preview, "icon_%d.png" % size))


if __name__ == "__main__":
    main()
