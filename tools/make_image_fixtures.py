#!/usr/bin/python3
"""Writes the small picture files the image tests read, with the pixels each must load as.

Run with Debian's interpreter (it has Pillow) on a machine with ImageMagick's `convert`:

    /usr/bin/python3 tools/make_image_fixtures.py

The pictures are written by Pillow and ImageMagick, so the game's readers are checked against
other programs' files. Variants neither tool writes (4-bit run-length bitmaps, 16-bit TGA, TGA
colour maps of 16 or 32-bit entries, top-down bitmaps) are written here byte by byte.

Every fixture NAME.ext gets NAME.ext.expect: a line "width height bytes-per-pixel", then one line
per row, top row first, of the pixels as the game stores them (blue, green, red[, alpha]) in hex.
Alpha is always ff: the game sets it on every loaded picture.
"""

import os
import struct
import subprocess
import sys
import tempfile

from PIL import Image

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "images", "fixtures")

PALETTE16 = [
    (255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 0), (0, 255, 255), (255, 0, 255),
    (128, 64, 32), (10, 200, 90), (250, 250, 250), (0, 0, 0), (90, 10, 160), (33, 66, 99),
    (200, 100, 0), (0, 100, 200), (77, 77, 77), (180, 180, 20),
]

# 11 x 6: an odd width, so 3-byte rows are padded; rows with long runs and rows that never repeat,
# so run-length writers emit both kinds of packets.
WIDTH, HEIGHT = 11, 6


def index_at(x, y):
    if y == 0:
        return 3
    if y == 1:
        return (x * 7) % 16
    if y == 2:
        return 5 if x < 6 else 12
    if y == 3:
        return (x + 9) % 16
    if y == 4:
        return 1 if x % 4 < 2 else 14
    return 9 if x == 10 else 10


def pattern_indices():
    return [[index_at(x, y) for x in range(WIDTH)] for y in range(HEIGHT)]


def pattern_rgb():
    im = Image.new("RGB", (WIDTH, HEIGHT))
    for y, row in enumerate(pattern_indices()):
        for x, i in enumerate(row):
            im.putpixel((x, y), PALETTE16[i])
    return im


def pattern_paletted():
    im = Image.new("P", (WIDTH, HEIGHT))
    im.putpalette([c for rgb in PALETTE16 for c in rgb] + [0] * (3 * 240))
    for y, row in enumerate(pattern_indices()):
        for x, i in enumerate(row):
            im.putpixel((x, y), i)
    return im


def write_expect(name, rows, bpp):
    """rows: list of lists of (r, g, b) tuples, top row first."""
    with open(os.path.join(OUT, name + ".expect"), "w") as f:
        f.write(f"{len(rows[0])} {len(rows)} {bpp}\n")
        for row in rows:
            f.write(" ".join(
                f"{b:02x}{g:02x}{r:02x}" + ("ff" if bpp == 4 else "") for (r, g, b) in row))
            f.write("\n")


def rows_of(im):
    im = im.convert("RGB")
    return [[im.getpixel((x, y)) for x in range(im.width)] for y in range(im.height)]


def pattern_rows():
    return rows_of(pattern_rgb())


def check_same(name, got, want):
    if got != want:
        sys.exit(f"{name}: the writer changed the pixels; refusing to write a wrong expectation")


def decoded_by_convert(path):
    with tempfile.TemporaryDirectory() as tmp:
        png = os.path.join(tmp, "read.png")
        subprocess.run(["convert", path, png], check=True)
        return Image.open(png).convert("RGB")


def save_pillow(name, im, bpp, expected_rows=None, **kw):
    path = os.path.join(OUT, name)
    im.save(path, **kw)
    read_back = rows_of(Image.open(path))
    if expected_rows is not None:
        check_same(name, read_back, expected_rows)
    write_expect(name, read_back, bpp)


def save_convert(name, args, bpp, expected_rows):
    path = os.path.join(OUT, name)
    with tempfile.TemporaryDirectory() as tmp:
        src = os.path.join(tmp, "src.png")
        pattern_rgb().save(src)
        subprocess.run(["convert", src, *args[:-1], args[-1] + path], check=True)
    read_back = rows_of(Image.open(path))
    check_same(name, read_back, expected_rows)
    write_expect(name, read_back, bpp)


# ---- hand-written variants -----------------------------------------------------------------

def bmp_file(width, height, bit_count, compression, palette, data):
    table = b"".join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bit_count, compression, len(data),
                       2835, 2835, len(palette), 0)
    offset = 14 + 40 + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    return header + info + table + data


def rle4_stream(indices):
    """Encodes bottom-up rows as 4-bit run-length records: runs of equal pixels as encoded runs,
    the rest as absolute runs (padded to whole 16-bit words), a delta over the first stored row's
    first two pixels when they are index 0, end of row and end of picture."""
    out = bytearray()
    rows = list(reversed(indices))
    for y, row in enumerate(rows):
        x = 0
        if y == 0 and row[0] == row[1] == 0:
            out += bytes((0, 2, 2, 0))  # delta: skip two pixels (they stay index 0)
            x = 2
        while x < len(row):
            run = 1
            while x + run < len(row) and row[x + run] == row[x] and run < 255:
                run += 1
            if run >= 3 or len(row) - x < 3:
                out += bytes((run, row[x] << 4 | row[x]))
                x += run
                continue
            n = 3
            while x + n < len(row) and n < 255 and not (
                    x + n + 2 < len(row) and row[x + n] == row[x + n + 1] == row[x + n + 2]):
                n += 1
            nibbles = row[x:x + n]
            packed = bytearray()
            for k in range(0, n, 2):
                hi = nibbles[k]
                lo = nibbles[k + 1] if k + 1 < n else 0
                packed.append(hi << 4 | lo)
            if len(packed) % 2:
                packed.append(0)
            out += bytes((0, n)) + packed
            x += n
        out += bytes((0, 0))
    out[-2:] = bytes((0, 1))  # the last end of row becomes the end of picture
    return bytes(out)


def write_rle4_bmp(name):
    # Index 0 is black here: pixels a delta skips are never written and stay black.
    palette = list(PALETTE16)
    palette[0], palette[9] = palette[9], palette[0]
    indices = pattern_indices()
    indices[-1][0] = indices[-1][1] = 0  # skipped by the delta
    data = rle4_stream(indices)
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(bmp_file(WIDTH, HEIGHT, 4, 2, palette, data))
    expected = [[palette[i] for i in row] for row in indices]
    # Pillow 9 misreads odd absolute runs and deltas in 4-bit streams; ImageMagick reads them.
    check_same(name, rows_of(decoded_by_convert(os.path.join(OUT, name))), expected)
    write_expect(name, expected, 3)


def write_topdown_bmp(name):
    rows = pattern_rows()
    data = bytearray()
    for row in rows:  # top row first: negative height
        line = b"".join(bytes((b, g, r)) for (r, g, b) in row)
        data += line + b"\0" * (-len(line) % 4)
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(bmp_file(WIDTH, -HEIGHT, 24, 0, [], bytes(data)))
    write_expect(name, rows, 3)


def rgb555(r, g, b):
    return (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3) | 0x8000


def widened(rgb):
    return tuple(c & 0xF8 for c in rgb)


def tga_header(id_length, map_type, image_type, map_first, map_length, map_bits, width, height,
               depth, descriptor):
    return struct.pack("<BBBHHBHHHHBB", id_length, map_type, image_type, map_first, map_length,
                       map_bits, 0, 0, width, height, depth, descriptor)


def write_tga16(name, run_length):
    rows = pattern_rows()
    pixels = [struct.pack("<H", rgb555(*p)) for row in reversed(rows) for p in row]
    body = bytearray()
    if not run_length:
        body = b"".join(pixels)
    else:
        # Packets may run on from one row into the next, as many writers do.
        i = 0
        while i < len(pixels):
            run = 1
            while i + run < len(pixels) and pixels[i + run] == pixels[i] and run < 128:
                run += 1
            if run > 1:
                body += bytes((127 + run,)) + pixels[i]
                i += run
            else:
                n = 1
                while i + n < len(pixels) and n < 128 and pixels[i + n] != pixels[i + n - 1]:
                    n += 1
                body += bytes((n - 1,)) + b"".join(pixels[i:i + n])
                i += n
    ident = b"hand-made"
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(tga_header(len(ident), 0, 10 if run_length else 2, 0, 0, 0, WIDTH, HEIGHT, 16, 0))
        f.write(ident + bytes(body))
    write_expect(name, [[widened(p) for p in row] for row in rows], 4)


def write_tga_map(name, entry_bits, first):
    """Type 1 with a colour map of 16 or 32-bit entries starting at `first`, rows top-down."""
    indices = pattern_indices()
    entries = bytearray()
    for (r, g, b) in PALETTE16:
        if entry_bits == 32:
            entries += bytes((b, g, r, 0x40))
        else:
            entries += struct.pack("<H", rgb555(r, g, b))
    data = bytes(first + i for row in indices for i in row)
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(tga_header(0, 1, 1, first, len(PALETTE16), entry_bits, WIDTH, HEIGHT, 8, 0x20))
        f.write(bytes(entries) + data)
    colour = (lambda p: p) if entry_bits == 32 else widened
    write_expect(name, [[colour(PALETTE16[i]) for i in row] for row in indices], 4)


def jpeg_source():
    im = Image.new("RGB", (16, 8))
    for y in range(8):
        for x in range(16):
            im.putpixel((x, y), (x * 16, y * 32, 255 - x * 8 - y * 8))
    return im


def main():
    os.makedirs(OUT, exist_ok=True)
    want = pattern_rows()

    # Windows bitmaps
    save_pillow("pil_1bit.bmp", pattern_rgb().convert("1"), 3)
    save_convert("im_4bit.bmp", ["-type", "palette", "-colors", "16", "BMP3:"], 3, want)
    save_pillow("pil_8bit.bmp", pattern_paletted(), 3, want)
    save_convert("im_rle8.bmp", ["-type", "palette", "-compress", "RLE", "BMP3:"], 3, want)
    write_rle4_bmp("rle4.bmp")
    save_pillow("pil_24bit.bmp", pattern_rgb(), 3, want)
    save_convert("im_24bit.bmp", ["-type", "truecolor", "BMP3:"], 3, want)
    rgba = pattern_rgb().convert("RGBA")
    rgba.putalpha(Image.linear_gradient("L").resize((WIDTH, HEIGHT)))
    save_pillow("pil_32bit.bmp", rgba, 4, want)
    write_topdown_bmp("topdown_24bit.bmp")

    # Truevision TGA
    save_pillow("pil_type2_24.tga", pattern_rgb(), 3, want)
    save_pillow("pil_type2_24_top.tga", pattern_rgb(), 3, want, orientation=1)
    save_pillow("pil_type2_32.tga", rgba, 4, want)
    save_pillow("pil_type1.tga", pattern_paletted(), 3, want)
    save_pillow("pil_type3.tga", pattern_rgb().convert("L"), 3)
    save_pillow("pil_type9.tga", pattern_paletted(), 3, want, compression="tga_rle")
    save_pillow("pil_type10_24.tga", pattern_rgb(), 3, want, compression="tga_rle")
    save_pillow("pil_type10_32.tga", rgba, 4, want, compression="tga_rle")
    save_pillow("pil_type11.tga", pattern_rgb().convert("L"), 3, compression="tga_rle")
    # ImageMagick 6 writes TGA rows top row first; it says so in the header only when told.
    save_convert("im_type2_top.tga", ["-orient", "TopLeft", "TGA:"], 3, want)
    save_convert("im_type10_top.tga", ["-orient", "TopLeft", "-compress", "RLE", "TGA:"], 3, want)
    write_tga16("type2_16.tga", False)
    write_tga16("type10_16.tga", True)
    write_tga_map("type1_map32.tga", 32, 0)
    write_tga_map("type1_map16.tga", 16, 5)

    # JPEG: the expected pixels are libjpeg's own decoding, as Pillow does it.
    src = jpeg_source()
    save_pillow("baseline.jpg", src, 3, quality=90)
    save_pillow("baseline_444.jpg", src, 3, quality=95, subsampling=0)
    save_pillow("progressive.jpg", src, 3, quality=90, progressive=True)
    with tempfile.TemporaryDirectory() as tmp:
        png = os.path.join(tmp, "src.png")
        src.save(png)
        subprocess.run(["convert", png, "-quality", "85", os.path.join(OUT, "im_baseline.jpg")],
                       check=True)
        write_expect("im_baseline.jpg", rows_of(Image.open(os.path.join(OUT, "im_baseline.jpg"))),
                     3)
    # Pictures the game refuses: grey and CMYK JPEGs (no .expect file).
    src.convert("L").save(os.path.join(OUT, "grey.jpg"), quality=90)
    src.convert("CMYK").save(os.path.join(OUT, "cmyk.jpg"), quality=90)


if __name__ == "__main__":
    main()
