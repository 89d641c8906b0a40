#!/usr/bin/python3
"""Draws the game's backgrounds into data/BACKGRND, 1920 x 1080 each.

  Mountain.jpg  layered ridges fading into mist under a pale sky (the default background)
  Bamboo.bmp    a soft bamboo grove in morning haze (8-bit palette BMP)
  Lake.tga      a moonlit lake in flat paper-cut bands (run-length TGA)

All three stay low in contrast so that tiles remain easy to read on top of them. Every random
choice comes from a seeded generator, so the pictures come out the same on every run.

Usage: /usr/bin/python3 tools/make_backgrounds.py [--preview DIR]
"""

import math
import os
import random
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import artlib  # noqa: E402

W, H = 1920, 1080


def ridge_profile(rng, width, roughness, amplitude, octave_start=64):
    """Heights along a ridge by midpoint displacement: larger steps first, rougher when asked."""
    size = 1
    while size < width:
        size *= 2
    pts = [0.0] * (size + 1)
    pts[0] = rng.uniform(-1, 1) * amplitude
    pts[size] = rng.uniform(-1, 1) * amplitude
    step = size
    scale = amplitude
    while step > 1:
        half = step // 2
        for i in range(half, size, step):
            pts[i] = (pts[i - half] + pts[i + half]) / 2 + rng.uniform(-1, 1) * scale
        step = half
        scale *= roughness
    return pts[:width + 1]


def smooth(values, radius):
    out = []
    n = len(values)
    for i in range(n):
        lo, hi = max(0, i - radius), min(n, i + radius + 1)
        out.append(sum(values[lo:hi]) / (hi - lo))
    return out


def vertical_alpha(size, top_alpha, bottom_alpha, colour):
    """A flat colour whose opacity runs from top_alpha to bottom_alpha down the picture."""
    w, h = size
    mask = Image.linear_gradient("L").resize((1, h))
    mask = mask.point(lambda v: int(top_alpha + (bottom_alpha - top_alpha) * v / 255))
    layer = Image.new("RGBA", (w, h), colour + (0,))
    layer.putalpha(mask.resize((w, h)))
    return layer


# ---------------------------------------------------------------- Mountain.jpg

def mountain():
    rng = random.Random(4242)
    img = artlib.vertical_gradient((W, H), [(0.0, (120, 150, 184)), (0.45, (196, 206, 214)),
                                            (0.62, (232, 226, 212)), (1.0, (236, 232, 222))])
    img = img.convert("RGBA")
    # A low, hazy sun behind the far peaks.
    glow = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    gd = ImageDraw.Draw(glow)
    for r, a in ((520, 40), (300, 60), (150, 90), (70, 150)):
        gd.ellipse([1380 - r, 430 - r, 1380 + r, 430 + r], fill=(255, 240, 206, a))
    img.alpha_composite(glow.filter(ImageFilter.GaussianBlur(60)))
    # Long thin clouds.
    clouds = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    cd = ImageDraw.Draw(clouds)
    for _ in range(9):
        cx, cy = rng.uniform(0, W), rng.uniform(90, 420)
        w, h = rng.uniform(260, 620), rng.uniform(14, 30)
        cd.ellipse([cx - w, cy - h, cx + w, cy + h], fill=(255, 252, 246, rng.randint(50, 90)))
    img.alpha_composite(clouds.filter(ImageFilter.GaussianBlur(22)))

    # Ridges from far to near: each nearer one darker, rougher and lower in the picture,
    # with mist pooling in the valley below each ridge.
    layers = [
        # base y, amplitude, roughness, colour
        (470, 150, 0.56, (160, 176, 196)),
        (560, 130, 0.55, (134, 154, 172)),
        (650, 110, 0.54, (108, 130, 146)),
        (750, 95, 0.57, (84, 108, 118)),
        (860, 80, 0.6, (62, 86, 90)),
        (975, 60, 0.62, (44, 64, 66)),
    ]
    for idx, (base, amp, rough, colour) in enumerate(layers):
        heights = ridge_profile(rng, W, rough, amp)
        if idx < 2:
            heights = smooth(heights, 6)
        # Peaks rise towards one side of each ridge so the skyline has shape, not just noise.
        peak = rng.uniform(0.15, 0.85) * W
        pts = []
        for x in range(0, W + 1, 2):
            lift = amp * 0.9 * math.exp(-((x - peak) / (W * 0.22)) ** 2)
            pts.append((x, base - lift + heights[x]))
        mask = Image.new("L", (W, H), 0)
        ImageDraw.Draw(mask).polygon(pts + [(W, H), (0, H)], fill=255)
        # Ridge colour: a little lighter towards the foot, where the mist thickens.
        top = min(y for _, y in pts)
        body = artlib.vertical_gradient((W, H), [(0.0, colour), (max(0.01, top / H), colour),
                                                 (1.0, artlib.mix(colour, (226, 226, 220), 0.55))])
        body = body.convert("RGBA")
        body.putalpha(mask.filter(ImageFilter.GaussianBlur(1.2)))
        img.alpha_composite(body)
        if idx == len(layers) - 1:
            pines(img, rng, pts)
        # Mist band below the crest of the next ridge.
        mist = vertical_alpha((W, H), 0, 1, (232, 232, 228))
        band = Image.new("L", (W, H), 0)
        bd = ImageDraw.Draw(band)
        y0 = base - amp * 0.2
        for i in range(24):
            a = int(150 * (i / 24) ** 1.4)
            bd.rectangle([0, y0 + i * 7, W, H], fill=a)
        band = band.filter(ImageFilter.GaussianBlur(18))
        if idx < len(layers) - 1:
            mist.putalpha(band)
            img.alpha_composite(mist)
    # A last veil of haze over everything keeps the contrast low under the tiles.
    img.alpha_composite(Image.new("RGBA", (W, H), (228, 230, 228, 36)))
    return dither(img.convert("RGB"), rng)


def pines(img, rng, crest):
    """Groups of dark pines along the nearest ridge, in the ridge's own colour."""
    d = ImageDraw.Draw(img)
    colour = (40, 58, 60, 255)
    for _ in range(7):
        gx = rng.uniform(60, W - 60)
        for _ in range(rng.randint(2, 7)):
            x = gx + rng.gauss(0, 40)
            i = max(0, min(len(crest) - 1, int(x / 2)))
            ground = crest[i][1] + 8
            h = rng.uniform(28, 70)
            w = h * rng.uniform(0.22, 0.3)
            tiers = rng.randint(3, 5)
            for tier in range(tiers):
                t0 = ground - h * (0.2 + 0.8 * tier / tiers)
                tw = w * (1.0 - 0.7 * tier / tiers)
                d.polygon([(x - tw, t0), (x, t0 - h * 0.32), (x + tw, t0)], fill=colour)
            d.line([(x, ground - h * 0.2), (x, ground + 6)], fill=colour, width=2)


def dither(img, rng, strength=3):
    """Adds faint seeded noise so that smooth gradients show no bands after compression."""
    noise = Image.frombytes("L", img.size, rng.randbytes(img.size[0] * img.size[1]))
    lo = 128 - strength
    noise = noise.point(lambda v: lo + v * (2 * strength + 1) // 256)
    return ImageChops.add(img, Image.merge("RGB", (noise, noise, noise)), 1.0, -128)


# ---------------------------------------------------------------- Bamboo.bmp

def bamboo():
    rng = random.Random(7777)
    img = artlib.vertical_gradient((W, H), [(0.0, (222, 232, 206)), (0.5, (208, 224, 190)),
                                            (1.0, (176, 198, 160))]).convert("RGBA")
    # Light through the haze from the upper left.
    glow = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    ImageDraw.Draw(glow).ellipse([-300, -400, 1100, 700], fill=(255, 252, 226, 120))
    img.alpha_composite(glow.filter(ImageFilter.GaussianBlur(120)))

    depths = [
        # count, stalk width range, colour, blur, haze alpha
        (34, (14, 22), (150, 178, 128), 6, 0),
        (22, (22, 34), (118, 152, 98), 3, 0),
        (12, (36, 52), (88, 124, 74), 1.5, 0),
    ]
    for count, (wmin, wmax), colour, blur, _ in depths:
        layer = Image.new("RGBA", (W, H), (0, 0, 0, 0))
        d = ImageDraw.Draw(layer)
        for _ in range(count):
            x = rng.uniform(-40, W + 40)
            w = rng.uniform(wmin, wmax)
            lean = rng.uniform(-0.04, 0.04)
            stalk(d, rng, x, w, lean, colour)
        for _ in range(count * 2):
            leaves(d, rng, rng.uniform(0, W), rng.uniform(0, H * 0.75), colour, wmax * 3.2)
        img.alpha_composite(layer.filter(ImageFilter.GaussianBlur(blur)))
        # Haze between the depths.
        img.alpha_composite(vertical_alpha((W, H), 70, 30, (226, 234, 214)))
    img.alpha_composite(Image.new("RGBA", (W, H), (232, 238, 222, 40)))
    return img.convert("RGB")


def stalk(d, rng, x, w, lean, colour):
    dark = artlib.mix(colour, (30, 50, 30), 0.35) + (255,)
    light = artlib.mix(colour, (240, 250, 220), 0.3) + (255,)
    y = H + 20
    seg = rng.uniform(150, 230)
    while y > -40:
        top = y - seg
        xb, xt = x + lean * (H - y), x + lean * (H - top)
        d.polygon([(xb - w / 2, y), (xb + w / 2, y), (xt + w / 2, top + 4), (xt - w / 2, top + 4)],
                  fill=colour + (255,))
        d.line([(xb - w / 6, y - 6), (xt - w / 6, top + 10)], fill=light, width=max(2, int(w / 6)))
        d.rounded_rectangle([xt - w / 2 - 3, top - 2, xt + w / 2 + 3, top + 6], radius=3, fill=dark)
        y = top
        seg = rng.uniform(150, 230)


def leaves(d, rng, x, y, colour, size):
    """A spray of narrow pointed leaves hanging down to either side of a twig."""
    leaf_colour = artlib.mix(colour, (70, 110, 60), 0.2) + (235,)
    side = 1 if rng.random() < 0.5 else -1
    for _ in range(rng.randint(3, 6)):
        a = math.radians(rng.uniform(15, 75))
        dx, dy = side * math.cos(a), math.sin(a)
        length = size * rng.uniform(0.6, 1.0)
        width = length * 0.12
        nx, ny = -dy, dx
        left, right = [], []
        for t in range(13):
            u = t / 12
            half = width * 0.5 * math.sin(math.pi * u ** 0.7)
            bx, by = x + dx * length * u, y + dy * length * u + 0.12 * length * u * u
            left.append((bx + nx * half, by + ny * half))
            right.append((bx - nx * half, by - ny * half))
        d.polygon(left + right[::-1], fill=leaf_colour)


# ---------------------------------------------------------------- Lake.tga

def lake():
    rng = random.Random(1234)
    img = Image.new("RGB", (W, H))
    d = ImageDraw.Draw(img)
    horizon = 700
    # Sky in flat bands, dark at the top and paler towards the horizon.
    bands = 14
    for i in range(bands):
        t = i / (bands - 1)
        c = artlib.mix((24, 34, 72), (92, 104, 150), t ** 1.2)
        y0 = int(horizon * (i / bands) ** 0.8)
        y1 = int(horizon * ((i + 1) / bands) ** 0.8)
        d.rectangle([0, y0, W, y1], fill=c)
    # A few stars, small and dim.
    for _ in range(120):
        x, y = rng.uniform(0, W), rng.uniform(0, horizon * 0.6)
        b = rng.randint(150, 215)
        r = rng.choice((1, 1, 1.5))
        d.ellipse([x - r, y - r, x + r, y + r], fill=(b, b, int(b * 0.95)))
    # The moon and its halo rings.
    mx, my = 1420, 250
    for r, c in ((150, (70, 82, 128)), (112, (96, 108, 152)), (84, (128, 138, 176))):
        d.ellipse([mx - r, my - r, mx + r, my + r], fill=c)
    d.ellipse([mx - 58, my - 58, mx + 58, my + 58], fill=(236, 230, 200))
    # Hills, far to near, as flat shapes.
    hills = [((58, 68, 110), 590, 90, 0.5), ((44, 54, 92), 640, 70, 0.52),
             ((32, 42, 74), 690, 46, 0.55)]
    for colour, base, amp, rough in hills:
        heights = smooth(ridge_profile(rng, W, rough, amp), 10)
        pts = [(x, base + heights[x]) for x in range(0, W + 1, 4)]
        d.polygon(pts + [(W, horizon), (0, horizon)], fill=colour)
    # Water: bands that darken towards the viewer.
    for i in range(10):
        t = i / 9
        c = artlib.mix((58, 70, 116), (22, 30, 60), t)
        y0 = horizon + int((H - horizon) * (i / 10) ** 1.3)
        y1 = horizon + int((H - horizon) * ((i + 1) / 10) ** 1.3)
        d.rectangle([0, y0, W, y1], fill=c)
    # The moon's path on the water: short streaks, wider and sparser nearer the viewer.
    for i in range(38):
        t = i / 37
        y = horizon + 8 + (H - horizon - 30) * t ** 1.25
        half = 30 + 170 * t
        for _ in range(2):
            cx = mx + rng.uniform(-half * 0.4, half * 0.4)
            w = rng.uniform(0.3, 0.7) * half
            c = artlib.mix((176, 174, 164), (70, 80, 122), t ** 0.7)
            d.rectangle([cx - w, y, cx + w, y + 2 + 3 * t], fill=c)
    # Reeds at the near shore on the left.
    for _ in range(40):
        x = rng.uniform(0, 420)
        h = rng.uniform(80, 240)
        bend = rng.uniform(-30, 30)
        d.line([(x, H), (x + bend * 0.5, H - h * 0.6), (x + bend, H - h)], fill=(18, 24, 44),
               width=3)
    return img


def main():
    preview = None
    if len(sys.argv) == 3 and sys.argv[1] == "--preview":
        preview = sys.argv[2]
        os.makedirs(preview, exist_ok=True)
    out = os.path.join(artlib.DATA, "BACKGRND")
    os.makedirs(out, exist_ok=True)
    only = os.environ.get("ONLY")
    for name, build, kind in (("Mountain", mountain, "jpg"), ("Bamboo", bamboo, "bmp"),
                              ("Lake", lake, "tga")):
        if only and only != name:
            continue
        img = build()
        path = os.path.join(out, f"{name}.{kind}")
        if kind == "jpg":
            img.save(path, format="JPEG", quality=92, optimize=True)
        elif kind == "bmp":
            artlib.save_bmp8(img, path)
        else:
            artlib.save_tga(img, path, rle=True)
        print(path, img.size, os.path.getsize(path))
        if preview:
            img.save(os.path.join(preview, f"{name}.png"))


if __name__ == "__main__":
    main()
