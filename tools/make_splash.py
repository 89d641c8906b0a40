#!/usr/bin/python3
"""Draws data/Splash.bmp, the title picture shown while the game starts (480 x 300, 24-bit BMP).

It reuses the Mountain background and faces of the Standard tile set, so the splash looks like
the game it announces. Drawn at twice the size and scaled down for smooth edges.

Usage: /usr/bin/python3 tools/make_splash.py [--preview DIR]
"""

import os
import sys

from PIL import Image, ImageDraw, ImageFilter

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import artlib  # noqa: E402
import make_backgrounds  # noqa: E402
import make_tilesets  # noqa: E402

W, H = 480, 300
S = 2
TITLE = "Varnel's mah-jong"
SIDE = (184, 120, 24)     # the game's default tile side colour


def tile(face, thickness):
    """A face with the game's 2D thickness: side-coloured strips at its left and bottom."""
    fw, fh = face.size
    n = thickness
    img = Image.new("RGBA", (fw + n, fh + n), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    dark = artlib.mix(SIDE, (0, 0, 0), 0.45)
    d.polygon([(n, 0), (n, fh), (fw + n, fh), (fw, fh + n), (0, fh + n), (0, n)], fill=SIDE,
              outline=dark)
    d.line([(0, fh + n - 1), (fw, fh + n - 1)], fill=dark, width=S)
    img.paste(face, (n, 0))
    return img


def shadow_of(piece, blur, alpha):
    mask = piece.getchannel("A").point(lambda v: alpha if v else 0)
    sh = Image.new("RGBA", piece.size, (20, 30, 30, 0))
    sh.putalpha(mask)
    pad = blur * 3
    out = Image.new("RGBA", (piece.width + 2 * pad, piece.height + 2 * pad), (0, 0, 0, 0))
    out.paste(sh, (pad, pad))
    return out.filter(ImageFilter.GaussianBlur(blur)), pad


def splash():
    bg = make_backgrounds.mountain()
    scale = H * S / bg.height
    bg = bg.resize((int(bg.width * scale), H * S), Image.LANCZOS)
    left = (bg.width - W * S) // 2
    img = bg.crop((left, 0, left + W * S, H * S)).convert("RGBA")
    # Lighten the sky behind the title.
    img.alpha_composite(make_backgrounds.vertical_alpha(img.size, 150, 0, (246, 244, 238)))
    d = ImageDraw.Draw(img)

    # Title with a soft light halo so it reads on the sky.
    box = (30 * S, 22 * S, 450 * S, 84 * S)
    halo = Image.new("RGBA", img.size, (0, 0, 0, 0))
    artlib.fit_text(ImageDraw.Draw(halo), TITLE, "serif", box, (255, 255, 250, 220),
                    stroke=4 * S)
    img.alpha_composite(halo.filter(ImageFilter.GaussianBlur(5 * S)))
    artlib.fit_text(d, TITLE, "serif", box, (34, 46, 60))
    d.line([(150 * S, 96 * S), (330 * S, 96 * S)], fill=(150, 40, 40), width=S)

    # Three tiles, the middle one lying on the other two, as on the board.
    style = make_tilesets.STYLES["Standard"]
    faces = [make_tilesets.draw_face(style, k) for k in (9, 39, 18)]
    n = 7 * S
    positions = [(150 * S, 150 * S), (244 * S, 150 * S), (197 * S, 126 * S)]
    for k, (x, y) in zip((0, 2, 1), positions):
        piece = tile(faces[k].resize((54 * S, 72 * S), Image.LANCZOS).convert("RGBA"), n)
        sh, pad = shadow_of(piece, 4 * S, 110)
        img.alpha_composite(sh, (x - pad + 4 * S, y - pad + 5 * S))
        img.alpha_composite(piece, (x, y))

    # A red seal with the game's name in characters.
    sx, sy = 392 * S, 206 * S
    seal = (176, 34, 34)
    d.rounded_rectangle([sx, sy, sx + 56 * S, sy + 56 * S], radius=6 * S, fill=seal)
    d.rounded_rectangle([sx + 3 * S, sy + 3 * S, sx + 53 * S, sy + 53 * S], radius=4 * S,
                        outline=(250, 236, 220), width=S)
    artlib.fit_text(d, "麻", "serif-cjk", (sx + 6 * S, sy + 5 * S, sx + 50 * S, sy + 28 * S),
                    (250, 236, 220))
    artlib.fit_text(d, "雀", "serif-cjk", (sx + 6 * S, sy + 29 * S, sx + 50 * S, sy + 52 * S),
                    (250, 236, 220))

    d.rectangle([0, 0, W * S - 1, H * S - 1], outline=(40, 52, 60), width=2 * S)
    return img.convert("RGB").resize((W, H), Image.LANCZOS)


def main():
    img = splash()
    path = os.path.join(artlib.DATA, "Splash.bmp")
    artlib.save_bmp24(img, path)
    print(path, img.size)
    if len(sys.argv) == 3 and sys.argv[1] == "--preview":
        os.makedirs(sys.argv[2], exist_ok=True)
        img.save(os.path.join(sys.argv[2], "Splash.png"))


if __name__ == "__main__":
    main()
