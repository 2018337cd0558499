#!/usr/bin/python3
"""Draws the window icon and the five page drawings into resources/images, and the desktop icons
into packaging/icons.

The images are committed; the build never runs this script. Run it again after changing a drawing:
    /usr/bin/python3 resources/draw_pictures.py
Needs Debian's python3-pil and fonts-dejavu-core. Every drawing is made at four times its size and
scaled down, so the lines come out smooth; the GIFs then get an adaptive palette.
"""

import math
import os

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "images")
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"

SIZE = 143  # pixels of a page drawing
K = 4  # supersampling factor

PLATE = (205, 209, 216)
PLATE_EDGE = (120, 126, 138)
HOLE = (255, 255, 255)
OUTLINE = (40, 44, 52)
AXIS = (70, 70, 70)
PATH = (0, 90, 210)
MARK = (230, 0, 0)
HATCH = (150, 156, 168)
DIM = (60, 60, 60)


class Canvas:
    """A drawing surface in final-pixel coordinates, rendered at K times the size."""

    def __init__(self, size, background):
        self.size = size
        self.img = Image.new("RGB", (size * K, size * K), background)
        self.d = ImageDraw.Draw(self.img)

    def _p(self, pts):
        return [(x * K, y * K) for x, y in pts]

    def line(self, pts, fill, width=1.0):
        self.d.line(self._p(pts), fill=fill, width=max(1, round(width * K)), joint="curve")

    def polygon(self, pts, fill=None, outline=None, width=1.0):
        self.d.polygon(self._p(pts), fill=fill)
        if outline:
            self.line(pts + [pts[0]], outline, width)

    def ellipse(self, cx, cy, r, fill=None, outline=None, width=1.0):
        box = [(cx - r) * K, (cy - r) * K, (cx + r) * K, (cy + r) * K]
        self.d.ellipse(box, fill=fill, outline=outline, width=max(1, round(width * K)) if outline else 0)

    def rounded(self, x0, y0, x1, y1, r, fill=None, outline=None, width=1.0):
        self.d.rounded_rectangle(
            [x0 * K, y0 * K, x1 * K, y1 * K],
            radius=r * K,
            fill=fill,
            outline=outline,
            width=max(1, round(width * K)) if outline else 0,
        )

    def arrow(self, x0, y0, x1, y1, fill, width=1.0, head=4.0):
        self.line([(x0, y0), (x1, y1)], fill, width)
        a = math.atan2(y1 - y0, x1 - x0)
        left = (x1 - head * math.cos(a - 0.4), y1 - head * math.sin(a - 0.4))
        right = (x1 - head * math.cos(a + 0.4), y1 - head * math.sin(a + 0.4))
        self.polygon([(x1, y1), left, right], fill=fill)

    def text(self, x, y, s, fill, size=9, anchor="mm"):
        font = ImageFont.truetype(FONT, size * K)
        self.d.text((x * K, y * K), s, fill=fill, font=font, anchor=anchor)

    def result(self):
        return self.img.resize((self.size, self.size), Image.LANCZOS)


def save_gif(img, name):
    img.quantize(colors=128, method=Image.FASTOCTREE, dither=Image.NONE).save(os.path.join(OUT, name))


def plate_background(c):
    c.rounded(3, 3, SIZE - 4, SIZE - 4, 4, fill=PLATE, outline=PLATE_EDGE, width=1.2)


def axes(c, cx, cy, reach):
    c.arrow(cx - reach, cy, cx + reach, cy, AXIS, 0.8, 3.5)
    c.arrow(cx, cy + reach, cx, cy - reach, AXIS, 0.8, 3.5)
    c.text(cx + reach - 2, cy + 7, "X", AXIS, 8)
    c.text(cx + 7, cy - reach + 3, "Y", AXIS, 8)


def arc_points(cx, cy, r, a0, a1, steps=90):
    """Points of a counter-clockwise arc (mathematical angles, screen y downwards)."""
    return [
        (cx + r * math.cos(a0 + (a1 - a0) * i / steps), cy - r * math.sin(a0 + (a1 - a0) * i / steps))
        for i in range(steps + 1)
    ]


def draw_round():
    c = Canvas(SIZE, (255, 255, 255))
    plate_background(c)
    cx = cy = SIZE / 2
    r = 50
    c.ellipse(cx, cy, r, fill=HOLE, outline=OUTLINE, width=1.4)
    axes(c, cx, cy, 62)
    # The path: centre up to the top, the full circle counter-clockwise, the exit arc and back.
    p = r - 3
    e = 6
    c.line([(cx, cy), (cx, cy - p)], PATH, 1.4)
    c.line(arc_points(cx, cy, p, math.pi / 2, math.pi / 2 + 2 * math.pi, 240), PATH, 1.4)
    c.line(arc_points(cx, cy - p + e, e, math.pi / 2, math.pi), PATH, 1.4)
    c.line([(cx - e, cy - p + e), (cx - e, cy), (cx, cy)], PATH, 1.4)
    c.arrow(cx + 3, cy - 22, cx + 3, cy - 30, PATH, 1.0, 4)
    for qx, qy in ((0, -p), (-p, 0), (0, p), (p, 0)):
        c.ellipse(cx + qx, cy + qy, 2.6, fill=MARK)
    c.ellipse(cx, cy, 2.2, fill=OUTLINE)
    save_gif(c.result(), "round.gif")


def draw_rect():
    c = Canvas(SIZE, (255, 255, 255))
    plate_background(c)
    cx = cy = SIZE / 2
    w, h, r = 108, 70, 12
    c.rounded(cx - w / 2, cy - h / 2, cx + w / 2, cy + h / 2, r, fill=HOLE, outline=OUTLINE, width=1.4)
    axes(c, cx, cy, 62)
    # The path runs just inside the contour, from the centre up to the middle of the top side.
    i = 3
    pw, ph, pr = w / 2 - i, h / 2 - i, r - i
    pts = [(cx, cy - ph), (cx - pw + pr, cy - ph)]
    pts += arc_points(cx - pw + pr, cy - ph + pr, pr, math.pi / 2, math.pi, 20)
    pts += [(cx - pw, cy + ph - pr)]
    pts += arc_points(cx - pw + pr, cy + ph - pr, pr, math.pi, 1.5 * math.pi, 20)
    pts += [(cx + pw - pr, cy + ph)]
    pts += arc_points(cx + pw - pr, cy + ph - pr, pr, 1.5 * math.pi, 2 * math.pi, 20)
    pts += [(cx + pw, cy - ph + pr)]
    pts += arc_points(cx + pw - pr, cy - ph + pr, pr, 0, math.pi / 2, 20)
    pts += [(cx, cy - ph)]
    e = 6
    c.line([(cx, cy), (cx, cy - ph)], PATH, 1.4)
    c.line(pts, PATH, 1.4)
    c.line(arc_points(cx, cy - ph + e, e, math.pi / 2, math.pi), PATH, 1.4)
    c.line([(cx - e, cy - ph + e), (cx - e, cy), (cx, cy)], PATH, 1.4)
    c.arrow(cx + 3, cy - 14, cx + 3, cy - 22, PATH, 1.0, 4)
    c.ellipse(cx, cy, 2.2, fill=OUTLINE)
    save_gif(c.result(), "rect.gif")


def hatch(c, poly, spacing=5):
    """Hatches a convex polygon with 45-degree lines by clipping through a mask."""
    mask = Image.new("L", c.img.size, 0)
    ImageDraw.Draw(mask).polygon(c._p(poly), fill=255)
    lines = Image.new("RGB", c.img.size, PLATE)
    ld = ImageDraw.Draw(lines)
    for k in range(-SIZE, 2 * SIZE, spacing):
        ld.line([(k * K, 0), ((k + SIZE) * K, SIZE * K)], fill=HATCH, width=K)
    c.img.paste(lines, (0, 0), mask)
    c.line(poly + [poly[0]], OUTLINE, 1.3)


def draw_cone(upper, lower, name):
    """Section through the plate: two hatched halves, the tapered cut between them."""
    c = Canvas(SIZE, (255, 255, 255))
    c.rounded(3, 3, SIZE - 4, SIZE - 4, 4, fill=(255, 255, 255), outline=PLATE_EDGE, width=1.2)
    cx = 8 + (SIZE - 34) / 2
    top, bottom = 38, 104
    left, right = 8, SIZE - 26
    ut, lt = upper / 2, lower / 2
    hatch(c, [(left, top), (cx - ut, top), (cx - lt, bottom), (left, bottom)])
    hatch(c, [(cx + ut, top), (right, top), (right, bottom), (cx + lt, bottom)])
    # Wire path along the left wall, and the axis of the hole.
    c.line([(cx, top - 8), (cx, bottom + 8)], AXIS, 0.7)
    c.line([(cx - ut - 2 * (ut - lt) / (bottom - top) * 8, top - 8),
            (cx - lt + 2 * (ut - lt) / (bottom - top) * 8, bottom + 8)], PATH, 1.3)
    # Diameters above and below, the height at the right.
    c.arrow(cx, 22, cx - ut, 22, DIM, 0.8, 3.5)
    c.arrow(cx, 22, cx + ut, 22, DIM, 0.8, 3.5)
    c.line([(cx - ut, 18), (cx - ut, top)], DIM, 0.6)
    c.line([(cx + ut, 18), (cx + ut, top)], DIM, 0.6)
    c.text(cx, 12, "D верхний", DIM, 8)
    c.arrow(cx, 120, cx - lt, 120, DIM, 0.8, 3.5)
    c.arrow(cx, 120, cx + lt, 120, DIM, 0.8, 3.5)
    c.line([(cx - lt, bottom), (cx - lt, 124)], DIM, 0.6)
    c.line([(cx + lt, bottom), (cx + lt, 124)], DIM, 0.6)
    c.text(cx, 132, "D нижний", DIM, 8)
    # Height of the plate, outside at the right.
    hx = SIZE - 14
    c.line([(right + 2, top), (hx + 3, top)], DIM, 0.6)
    c.line([(right + 2, bottom), (hx + 3, bottom)], DIM, 0.6)
    c.arrow(hx, (top + bottom) / 2, hx, top + 1, DIM, 0.8, 3.5)
    c.arrow(hx, (top + bottom) / 2, hx, bottom - 1, DIM, 0.8, 3.5)
    c.rounded(hx - 5, (top + bottom) / 2 - 6, hx + 5, (top + bottom) / 2 + 6, 1, fill=(255, 255, 255))
    c.text(hx, (top + bottom) / 2, "H", OUTLINE, 9)
    save_gif(c.result(), name)


def icon_image(size):
    """The icon at size pixels: a plate with a round hole and the cut around it. Drawn in 48-pixel units;
    the outlines keep at least about a pixel at the small sizes so that they do not fade out."""
    s = size / 48
    c = Canvas(size, (0, 0, 0))
    c.img = Image.new("RGBA", (size * K, size * K), (0, 0, 0, 0))
    c.d = ImageDraw.Draw(c.img)

    def w(width):
        return max(width * s, min(width, 1.0))

    m = size / 2
    c.rounded(2 * s, 2 * s, size - 3 * s, size - 3 * s, 6 * s, fill=PLATE, outline=PLATE_EDGE, width=w(1.5))
    c.ellipse(m, m, 15 * s, fill=HOLE, outline=OUTLINE, width=w(1.6))
    c.line(arc_points(m, m, 12 * s, math.pi / 2, math.pi / 2 + 2 * math.pi, 120), PATH, w(2.2))
    c.line([(m, m), (m, m - 12 * s)], PATH, w(2.2))
    c.ellipse(m, m - 12 * s, max(2.5 * s, 1.2), fill=MARK)
    return c.result()


# Sizes of the desktop icon theme; the scalable icon is packaging/icons/hicolor/scalable/apps/*.svg.
ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
APP_ID = "org.example.kalmoro.Kalmoro"


def draw_icon():
    icon_image(48).save(os.path.join(OUT, "kalmoro.png"))
    for size in ICON_SIZES:
        folder = os.path.join(HERE, "..", "packaging", "icons", "hicolor", f"{size}x{size}", "apps")
        os.makedirs(folder, exist_ok=True)
        icon_image(size).save(os.path.join(folder, APP_ID + ".png"))


def main():
    os.makedirs(OUT, exist_ok=True)
    draw_round()
    draw_rect()
    draw_cone(100, 56, "cone_upper_wider.gif")
    draw_cone(56, 100, "cone_upper_narrower.gif")
    draw_cone(76, 76, "cone_equal.gif")
    draw_icon()


if __name__ == "__main__":
    main()
