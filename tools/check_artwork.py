#!/usr/bin/python3
"""Checks the shipped pictures against what the game and its readers expect.

Tile sets: a 9 x 5 grid of 3 : 4 cells, colour, in a plain variant (baseline colour JPEG,
24-bit bottom-up BMP, TGA type 2 or 10). Backgrounds: at least 1920 x 1080 and below 6.5 MB.
Splash: 24-bit BMP. Shell resources: the sizes, modes and hot-spot pixels the shell relies on.
With --rebuild it first runs every drawing script and then checks that nothing changed, which
shows that the scripts are deterministic and the committed files are theirs.

Usage: /usr/bin/python3 tools/check_artwork.py [--rebuild]
"""

import glob
import hashlib
import os
import struct
import subprocess
import sys

from PIL import Image

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import artlib  # noqa: E402

MAX_BYTES = 6_500_000
problems = []


def fail(path, text):
    problems.append(f"{os.path.relpath(path, artlib.REPO)}: {text}")


def check_jpeg(path):
    with open(path, "rb") as f:
        data = f.read()
    if not data.startswith(b"\xff\xd8"):
        fail(path, "not a JPEG")
        return None
    if b"\xff\xc2" in data:
        fail(path, "progressive JPEG; ship baseline")
    img = Image.open(path)
    if img.mode != "RGB":
        fail(path, f"JPEG mode {img.mode}; the game rejects grey JPEGs")
    return img.convert("RGB")


def check_bmp(path, bits):
    with open(path, "rb") as f:
        head = f.read(54)
    if head[:2] != b"BM" or len(head) < 54:
        fail(path, "not a BMP")
        return None
    hsize, width, height, planes, bpp, compression = struct.unpack("<I i i H H I", head[14:34])
    if hsize != 40 or planes != 1 or compression != 0:
        fail(path, "BMP is not the plain 40-byte-header, uncompressed variant")
    if height <= 0:
        fail(path, "BMP rows are not stored bottom-up")
    if bpp not in bits:
        fail(path, f"BMP has {bpp} bits per pixel, expected {bits}")
    return Image.open(path).convert("RGB")


def check_tga(path):
    with open(path, "rb") as f:
        head = f.read(18)
    if len(head) < 18 or head[1] != 0 or head[2] not in (2, 10) or head[16] not in (24, 32):
        fail(path, "TGA is not true-colour type 2 or 10 with 24 or 32 bits")
        return None
    return artlib.load_tga(path).convert("RGB")


def load(path, bmp_bits=(24,)):
    if os.path.getsize(path) > MAX_BYTES:
        fail(path, f"{os.path.getsize(path)} bytes, more than {MAX_BYTES}")
    ext = path.lower().rsplit(".", 1)[-1]
    if ext == "jpg":
        return check_jpeg(path)
    if ext == "bmp":
        return check_bmp(path, bmp_bits)
    if ext == "tga":
        return check_tga(path)
    fail(path, "unexpected file type")
    return None


def check_tilesets():
    paths = sorted(glob.glob(os.path.join(artlib.DATA, "TILESETS", "*.*")))
    kinds = {p.lower().rsplit(".", 1)[-1] for p in paths}
    for k in ("jpg", "bmp", "tga"):
        if k not in kinds:
            problems.append(f"no .{k} tile set")
    if not any(os.path.basename(p) == "Standard.jpg" for p in paths):
        problems.append("no TILESETS/Standard.jpg (the default tile set)")
    for p in paths:
        img = load(p)
        if img is None:
            continue
        w, h = img.size
        if w % 9 or h % 5:
            fail(p, f"{w} x {h} does not split into 9 x 5 equal cells")
            continue
        cw, ch = w // 9, h // 5
        if cw * 4 != ch * 3:
            fail(p, f"cells of {cw} x {ch} are not 3 : 4")
        if ch < 120:
            fail(p, f"cells {ch} pixels high are too small for a 120-pixel tile")
        # Every face used in play must differ from the blank face (42 at row 4, column 7).
        blank = img.crop((7 * cw, 4 * ch, 8 * cw, 5 * ch)).tobytes()
        for k in range(42):
            col, row = (k % 9, k // 9) if k < 27 else ((k - 27) % 8, 3 if k < 35 else 4)
            if img.crop((col * cw, row * ch, (col + 1) * cw, (row + 1) * ch)).tobytes() == blank:
                fail(p, f"face {k} is the same as the blank face")


def check_backgrounds():
    paths = sorted(glob.glob(os.path.join(artlib.DATA, "BACKGRND", "*.*")))
    kinds = {p.lower().rsplit(".", 1)[-1] for p in paths}
    for k in ("jpg", "bmp", "tga"):
        if k not in kinds:
            problems.append(f"no .{k} background")
    if not any(os.path.basename(p) == "Mountain.jpg" for p in paths):
        problems.append("no BACKGRND/Mountain.jpg (the default background)")
    for p in paths:
        img = load(p, bmp_bits=(8, 24))
        if img is not None and (img.width < 1920 or img.height < 1080):
            fail(p, f"{img.width} x {img.height} is smaller than 1920 x 1080")


def check_splash():
    p = os.path.join(artlib.DATA, "Splash.bmp")
    if not os.path.exists(p):
        problems.append("no data/Splash.bmp")
        return
    load(p)


def check_resources():
    res = os.path.join(artlib.REPO, "shell", "resources")
    expect = {
        "toolbar.png": ((160, 16), "RGB"),
        "toolbar@2x.png": ((320, 32), "RGB"),
        "icon.png": ((256, 256), "RGBA"),
        "icon_48.png": ((48, 48), "RGBA"),
        "icon_32.png": ((32, 32), "RGBA"),
        "cursor_normal.png": ((32, 32), "RGBA"),
        "cursor_busy.png": ((32, 32), "RGBA"),
    }
    for name, (size, mode) in expect.items():
        p = os.path.join(res, name)
        if not os.path.exists(p):
            problems.append(f"no shell/resources/{name}")
            continue
        img = Image.open(p)
        if img.size != size or img.mode != mode:
            fail(p, f"{img.size} {img.mode}, expected {size} {mode}")
    for name in ("toolbar.png", "toolbar@2x.png"):
        p = os.path.join(res, name)
        if os.path.exists(p):
            img = Image.open(p).convert("RGB")
            s = img.height
            for i in range(10):
                if img.getpixel((i * s, 0)) != (192, 192, 192):
                    fail(p, f"picture {i} does not sit on light grey (192, 192, 192)")
    # The hot spot must be on the drawn shape, not on a transparent pixel.
    for name, spot in (("cursor_normal.png", (8, 3)), ("cursor_busy.png", (7, 11))):
        p = os.path.join(res, name)
        if os.path.exists(p) and Image.open(p).getpixel(spot)[3] < 128:
            fail(p, f"hot spot {spot} is transparent")


def digest_all():
    files = glob.glob(os.path.join(artlib.DATA, "TILESETS", "*.*"))
    files += glob.glob(os.path.join(artlib.DATA, "BACKGRND", "*.*"))
    files += [os.path.join(artlib.DATA, "Splash.bmp")]
    files += glob.glob(os.path.join(artlib.REPO, "shell", "resources", "*.png"))
    out = {}
    for f in sorted(files):
        with open(f, "rb") as fh:
            out[f] = hashlib.sha256(fh.read()).hexdigest()
    return out


def main():
    if "--rebuild" in sys.argv:
        before = digest_all()
        tools = os.path.dirname(os.path.abspath(__file__))
        for script in ("make_tilesets.py", "make_backgrounds.py", "make_splash.py",
                       "make_shell_resources.py"):
            subprocess.run([sys.executable, os.path.join(tools, script)], check=True,
                           stdout=subprocess.DEVNULL)
        after = digest_all()
        for f in sorted(set(before) | set(after)):
            if before.get(f) != after.get(f):
                fail(f, "changed when redrawn: the committed file is not the script's output")
    check_tilesets()
    check_backgrounds()
    check_splash()
    check_resources()
    for p in problems:
        print(p)
    print(f"artwork: {len(problems)} problem(s)")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
