"""Shared helpers for the scripts that draw the game's artwork.

Fonts come from Debian packages (fonts-noto-cjk, fonts-dejavu-core); pictures are written in the
plain file variants every reader of the game handles: 24-bit or 8-bit palette BMP stored bottom-up,
TGA of type 2 or 10 with 24 or 32 bits and the origin at the bottom left, baseline JPEG.
Run the scripts with Debian's /usr/bin/python3, which has python3-pil.
"""

import os
import struct

from PIL import Image, ImageDraw, ImageFont

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DATA = os.path.join(REPO, "data")

_NOTO = "/usr/share/fonts/opentype/noto/"
_DEJAVU = "/usr/share/fonts/truetype/dejavu/"

# Index of the traditional-Chinese face inside the Noto CJK collections (萬, 發, 東 as on real tiles).
_TC_INDEX = 3

FONT_FILES = {
    "serif-cjk": (_NOTO + "NotoSerifCJK-Bold.ttc", _TC_INDEX),
    "serif-cjk-regular": (_NOTO + "NotoSerifCJK-Regular.ttc", _TC_INDEX),
    "sans-cjk": (_NOTO + "NotoSansCJK-Bold.ttc", _TC_INDEX),
    "sans-cjk-black": (_NOTO + "NotoSansCJK-Bold.ttc", _TC_INDEX),
    "sans": (_DEJAVU + "DejaVuSans-Bold.ttf", 0),
    "sans-book": (_DEJAVU + "DejaVuSans.ttf", 0),
    "serif": (_DEJAVU + "DejaVuSerif-Bold.ttf", 0),
    "serif-italic": (_DEJAVU + "DejaVuSerif-BoldItalic.ttf", 0),
    "condensed": (_DEJAVU + "DejaVuSansCondensed-Bold.ttf", 0),
}

_font_cache = {}


def font(kind, size):
    """A font of the given kind (a key of FONT_FILES) at a pixel size."""
    key = (kind, int(size))
    if key not in _font_cache:
        path, index = FONT_FILES[kind]
        _font_cache[key] = ImageFont.truetype(path, int(size), index=index)
    return _font_cache[key]


def fit_text(draw, text, kind, box, fill, stroke=0, stroke_fill=None, max_size=None):
    """Draws text as large as fits into box (x0, y0, x1, y1), centred on its ink, not its advance."""
    x0, y0, x1, y1 = box
    bw, bh = x1 - x0, y1 - y0
    size = max_size or int(bh * 1.4)
    while size > 4:
        f = font(kind, size)
        l, t, r, b = draw.textbbox((0, 0), text, font=f, stroke_width=stroke)
        if r - l <= bw and b - t <= bh:
            break
        size = int(size * 0.96)
    f = font(kind, size)
    l, t, r, b = draw.textbbox((0, 0), text, font=f, stroke_width=stroke)
    ox = x0 + (bw - (r - l)) / 2 - l
    oy = y0 + (bh - (b - t)) / 2 - t
    draw.text((ox, oy), text, font=f, fill=fill, stroke_width=stroke,
              stroke_fill=stroke_fill if stroke_fill is not None else fill)
    return size


def lerp(a, b, t):
    return a + (b - a) * t


def mix(c1, c2, t):
    """Colour between c1 and c2 (t = 0 gives c1)."""
    return tuple(int(round(lerp(a, b, t))) for a, b in zip(c1, c2))


def vertical_gradient(size, stops):
    """An RGB picture whose rows run through the colour stops [(position 0..1, colour), ...]."""
    w, h = size
    column = Image.new("RGB", (1, h))
    px = column.load()
    for y in range(h):
        t = y / max(1, h - 1)
        for i in range(len(stops) - 1):
            p0, c0 = stops[i]
            p1, c1 = stops[i + 1]
            if t <= p1 or i == len(stops) - 2:
                u = 0.0 if p1 == p0 else min(1.0, max(0.0, (t - p0) / (p1 - p0)))
                px[0, y] = mix(c0, c1, u)
                break
    return column.resize((w, h), Image.NEAREST)


def save_bmp24(img, path):
    """24-bit BMP, rows bottom-up, 40-byte info header (Pillow's plain variant)."""
    img.convert("RGB").save(path, format="BMP")
    _check_bmp(path, 24)


def save_bmp8(img, path, colours=256):
    """8-bit palette BMP, rows bottom-up; the picture is reduced to a palette with dithering."""
    rgb = img.convert("RGB")
    pal = rgb.quantize(colors=colours, method=Image.Quantize.MEDIANCUT,
                       dither=Image.Dither.FLOYDSTEINBERG)
    pal.save(path, format="BMP")
    _check_bmp(path, 8)


def _check_bmp(path, bits):
    with open(path, "rb") as f:
        head = f.read(54)
    assert head[:2] == b"BM"
    size, width, height, planes, bpp, compression = struct.unpack("<I i i H H I", head[14:34])
    assert size == 40 and height > 0 and planes == 1 and bpp == bits and compression == 0, path


def save_tga(img, path, rle=False, alpha=False):
    """TGA of type 2 (raw) or 10 (run-length), 24 or 32 bits, origin at the bottom left."""
    mode = "RGBA" if alpha else "RGB"
    img = img.convert(mode)
    w, h = img.size
    bpp = 4 if alpha else 3
    header = struct.pack("<BBB HHB HHHH BB", 0, 0, 10 if rle else 2, 0, 0, 0, 0, 0, w, h,
                         bpp * 8, 8 if alpha else 0)
    # Pillow's raw encoder gives BGR(A) rows; TGA stores the bottom row first.
    flipped = img.transpose(Image.FLIP_TOP_BOTTOM)
    raw = flipped.tobytes("raw", "BGRA" if alpha else "BGR")
    out = bytearray(header)
    if not rle:
        out += raw
    else:
        stride = w * bpp
        for y in range(h):
            _rle_row(raw[y * stride:(y + 1) * stride], bpp, out)
    with open(path, "wb") as f:
        f.write(out)


def _rle_row(row, bpp, out):
    """Run-length packets never cross a row, as the format recommends."""
    n = len(row) // bpp
    px = [row[i * bpp:(i + 1) * bpp] for i in range(n)]
    i = 0
    while i < n:
        run = 1
        while i + run < n and run < 128 and px[i + run] == px[i]:
            run += 1
        if run >= 2:
            out.append(0x80 | (run - 1))
            out += px[i]
            i += run
            continue
        start = i
        i += 1
        while i < n and i - start < 128 and not (i + 1 < n and px[i + 1] == px[i]):
            i += 1
        out.append(i - start - 1)
        for p in px[start:i]:
            out += p


def load_tga(path):
    """Reads back the TGA files written above (used to check them)."""
    with open(path, "rb") as f:
        data = f.read()
    idlen, cmap, kind = data[0], data[1], data[2]
    w, h = struct.unpack("<HH", data[12:16])
    bpp = data[16] // 8
    assert cmap == 0 and kind in (2, 10) and bpp in (3, 4)
    pos = 18 + idlen
    need = w * h * bpp
    if kind == 2:
        raw = data[pos:pos + need]
    else:
        raw = bytearray()
        while len(raw) < need:
            c = data[pos]
            pos += 1
            count = (c & 0x7F) + 1
            if c & 0x80:
                raw += data[pos:pos + bpp] * count
                pos += bpp
            else:
                raw += data[pos:pos + bpp * count]
                pos += bpp * count
        raw = bytes(raw)
    mode = "RGBA" if bpp == 4 else "RGB"
    img = Image.frombytes(mode, (w, h), raw, "raw", "BGRA" if bpp == 4 else "BGR")
    if not data[17] & 0x20:
        img = img.transpose(Image.FLIP_TOP_BOTTOM)
    return img


def new_canvas(size, colour=(0, 0, 0, 0), mode="RGBA"):
    img = Image.new(mode, size, colour)
    return img, ImageDraw.Draw(img)
