#!/usr/bin/env python3
"""Draws the catalogue's pictures and writes them as GIF files, and the
desktop icons as SVG and PNG files.

Every picture is described below as a short list of drawing calls on a 32x32
tile (16x16 for the tree and log icons); this file is the editable source of
the icon set. Run it after changing a picture or adding an object and commit
the files it writes:

    python3 scripts/make-icons.py            # writes data/catalogue/res/*.gif,
                                             # data/system/splash.gif and the
                                             # desktop icons under data/desktop/
    python3 scripts/make-icons.py --desktop-only   # the desktop icons alone

The desktop icons (the program and its two file types) are written as SVG for
the hicolor theme's scalable folder and as PNG at the usual fixed sizes.

Only the Python standard library is used: shapes are rasterised with 4x4
supersampling, the colours are collected into a palette and the image is
LZW-compressed into a GIF89a file by the small encoder at the end.
"""

import math
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RES_DIR = os.path.join(ROOT, "data", "catalogue", "res")
SYSTEM_DIR = os.path.join(ROOT, "data", "system")

# ---------------------------------------------------------------------------
# Colours
# ---------------------------------------------------------------------------
WHITE = (255, 255, 255)
BLACK = (20, 20, 24)
DARK = (48, 52, 60)
GREY = (150, 154, 160)
LIGHT = (222, 226, 230)
YELLOW = (255, 208, 40)
ORANGE = (245, 140, 30)
RED = (214, 48, 42)
GREEN = (46, 160, 70)
BLUE = (40, 110, 200)
CYAN = (60, 190, 220)

# one tile colour per family; the same colour marks the family's objects
FAMILY_COLOURS = {
    "lights": (232, 172, 20),
    "shutters": (70, 130, 180),
    "climate": (214, 84, 50),
    "loads": (120, 100, 190),
    "scenes": (40, 150, 140),
    "buttons": (90, 100, 116),
    "alarm": (190, 40, 60),
    "sound": (150, 70, 160),
    "energy": (70, 160, 60),
    "time": (40, 100, 170),
    "aux": (130, 110, 80),
    "doorentry": (60, 140, 100),
    "irrigation": (30, 150, 200),
}


def darker(c, f=0.7):
    return tuple(int(v * f) for v in c)


def lighter(c, f=0.35):
    return tuple(int(v + (255 - v) * f) for v in c)


# ---------------------------------------------------------------------------
# Canvas with supersampled shape filling
# ---------------------------------------------------------------------------
class Canvas:
    def __init__(self, w, h, background=None, ss=4):
        self.w, self.h, self.ss = w, h, ss
        # None marks a transparent pixel
        self.px = [[background] * w for _ in range(h)]

    def fill(self, inside, colour, box=None):
        """Blends `colour` over every pixel by the share of its subsamples for
        which inside(x, y) holds (x, y in pixel units)."""
        x0, y0, x1, y1 = box if box else (0, 0, self.w, self.h)
        x0, y0 = max(0, int(math.floor(x0))), max(0, int(math.floor(y0)))
        x1, y1 = min(self.w, int(math.ceil(x1))), min(self.h, int(math.ceil(y1)))
        n = self.ss
        step = 1.0 / n
        for py in range(y0, y1):
            row = self.px[py]
            for px in range(x0, x1):
                hits = 0
                for sy in range(n):
                    y = py + (sy + 0.5) * step
                    for sx in range(n):
                        if inside(px + (sx + 0.5) * step, y):
                            hits += 1
                if hits == 0:
                    continue
                a = hits / (n * n)
                under = row[px]
                if under is None:
                    # over transparency: keep solid edges crisp
                    row[px] = colour if a >= 0.5 else None
                else:
                    row[px] = tuple(int(round(u + (c - u) * a)) for u, c in zip(under, colour))

    # -- shapes -------------------------------------------------------------
    def circle(self, cx, cy, r, colour):
        self.fill(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, colour,
                  (cx - r - 1, cy - r - 1, cx + r + 1, cy + r + 1))

    def ring(self, cx, cy, r, width, colour, a0=None, a1=None):
        ri = r - width / 2.0
        ro = r + width / 2.0

        def inside(x, y):
            d2 = (x - cx) ** 2 + (y - cy) ** 2
            if d2 < ri * ri or d2 > ro * ro:
                return False
            if a0 is None:
                return True
            # angles in degrees, 0 = east, counter-clockwise (y grows downwards)
            ang = math.degrees(math.atan2(cy - y, x - cx)) % 360
            lo, hi = a0 % 360, a1 % 360
            return lo <= ang <= hi if lo <= hi else (ang >= lo or ang <= hi)

        self.fill(inside, colour, (cx - ro - 1, cy - ro - 1, cx + ro + 1, cy + ro + 1))

    def rect(self, x0, y0, x1, y1, colour, radius=0.0):
        def inside(x, y):
            if x < x0 or x > x1 or y < y0 or y > y1:
                return False
            if radius <= 0:
                return True
            qx = min(x - x0, x1 - x)
            qy = min(y - y0, y1 - y)
            if qx >= radius or qy >= radius:
                return True
            return (radius - qx) ** 2 + (radius - qy) ** 2 <= radius * radius

        self.fill(inside, colour, (x0 - 1, y0 - 1, x1 + 1, y1 + 1))

    def line(self, xa, ya, xb, yb, width, colour):
        dx, dy = xb - xa, yb - ya
        ll = dx * dx + dy * dy or 1e-9
        hw = width / 2.0

        def inside(x, y):
            t = max(0.0, min(1.0, ((x - xa) * dx + (y - ya) * dy) / ll))
            ex, ey = xa + t * dx - x, ya + t * dy - y
            return ex * ex + ey * ey <= hw * hw

        self.fill(inside, colour, (min(xa, xb) - hw - 1, min(ya, yb) - hw - 1,
                                   max(xa, xb) + hw + 1, max(ya, yb) + hw + 1))

    def polyline(self, pts, width, colour):
        for a, b in zip(pts, pts[1:]):
            self.line(a[0], a[1], b[0], b[1], width, colour)

    def polygon(self, pts, colour):
        def inside(x, y):
            c = False
            j = len(pts) - 1
            for i in range(len(pts)):
                xi, yi = pts[i]
                xj, yj = pts[j]
                if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    c = not c
                j = i
            return c

        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]
        self.fill(inside, colour, (min(xs) - 1, min(ys) - 1, max(xs) + 1, max(ys) + 1))

    def text(self, s, x, y, scale, colour):
        """Writes `s` with the 5x7 pixel font, top-left at (x, y)."""
        for ch in s:
            rows = FONT.get(ch.upper())
            if rows is None:
                x += 4 * scale
                continue
            for r, bits in enumerate(rows):
                for c in range(5):
                    if bits >> (4 - c) & 1:
                        self.rect(x + c * scale, y + r * scale, x + (c + 1) * scale - 0.01,
                                  y + (r + 1) * scale - 0.01, colour)
            x += 6 * scale

    def text_width(self, s, scale):
        return len(s) * 6 * scale - scale


FONT = {
    "A": [14, 17, 17, 31, 17, 17, 17], "B": [30, 17, 17, 30, 17, 17, 30],
    "C": [14, 17, 16, 16, 16, 17, 14], "D": [30, 17, 17, 17, 17, 17, 30],
    "E": [31, 16, 16, 30, 16, 16, 31], "F": [31, 16, 16, 30, 16, 16, 16],
    "G": [14, 17, 16, 23, 17, 17, 15], "H": [17, 17, 17, 31, 17, 17, 17],
    "I": [14, 4, 4, 4, 4, 4, 14], "L": [16, 16, 16, 16, 16, 16, 31],
    "M": [17, 27, 21, 21, 17, 17, 17], "N": [17, 25, 21, 19, 17, 17, 17],
    "O": [14, 17, 17, 17, 17, 17, 14], "P": [30, 17, 17, 30, 16, 16, 16],
    "R": [30, 17, 17, 30, 20, 18, 17], "S": [15, 16, 16, 14, 1, 1, 30],
    "T": [31, 4, 4, 4, 4, 4, 4], "U": [17, 17, 17, 17, 17, 17, 14],
    "V": [17, 17, 17, 17, 17, 10, 4], "W": [17, 17, 17, 21, 21, 21, 10],
    "X": [17, 17, 10, 4, 10, 17, 17], "Y": [17, 17, 10, 4, 4, 4, 4],
    "Z": [31, 1, 2, 4, 8, 16, 31],
    "0": [14, 17, 19, 21, 25, 17, 14], "1": [4, 12, 4, 4, 4, 4, 14],
    "2": [14, 17, 1, 2, 4, 8, 31], "3": [30, 1, 1, 14, 1, 1, 30],
    "4": [2, 6, 10, 18, 31, 2, 2], "5": [31, 16, 30, 1, 1, 17, 14],
    "6": [6, 8, 16, 30, 17, 17, 14], "7": [31, 1, 2, 4, 8, 8, 8],
    "8": [14, 17, 17, 14, 17, 17, 14], "9": [14, 17, 17, 15, 1, 2, 12],
    "?": [14, 17, 1, 2, 4, 0, 4], "%": [24, 25, 2, 4, 8, 19, 3],
    "+": [0, 4, 4, 31, 4, 4, 0], "-": [0, 0, 0, 31, 0, 0, 0],
    ".": [0, 0, 0, 0, 0, 12, 12], ":": [0, 12, 12, 0, 12, 12, 0],
    "#": [10, 10, 31, 10, 31, 10, 10],
}

# ---------------------------------------------------------------------------
# Tiles and glyphs (32x32 units)
# ---------------------------------------------------------------------------
def tile(colour, selected=False):
    c = Canvas(32, 32)
    if selected:
        c.rect(0, 0, 32, 32, YELLOW, radius=7)
        c.rect(2.5, 2.5, 29.5, 29.5, lighter(colour, 0.15), radius=5)
    else:
        c.rect(0.5, 0.5, 31.5, 31.5, darker(colour), radius=6)
        c.rect(1.5, 1.5, 30.5, 30.5, colour, radius=5)
    return c


def g_bulb(c, on=True, col=WHITE):
    c.circle(16, 13, 7.5, col)
    if not on:
        c.circle(16, 13, 5, darker(col, 0.55) if col != WHITE else (90, 90, 90))
    c.rect(12.5, 18, 19.5, 24, col)
    c.line(12.5, 21, 19.5, 21, 1.2, DARK)
    c.rect(14, 24, 18, 26.5, col, radius=1)
    if on:
        for ang in (150, 120, 90, 60, 30):
            a = math.radians(ang)
            c.line(16 + 9.5 * math.cos(a), 13 - 9.5 * math.sin(a),
                   16 + 12.5 * math.cos(a), 13 - 12.5 * math.sin(a), 1.6, YELLOW)


def g_slider(c, x, col=WHITE):
    c.line(x, 7, x, 25, 1.6, col)
    c.rect(x - 2.5, 11, x + 2.5, 15, col, radius=1)


def g_window_slats(c, n=5, col=WHITE, fill=5):
    c.rect(7, 6, 25, 26, col)
    c.rect(8.5, 7.5, 23.5, 24.5, DARK)
    for i in range(fill):
        y = 8.5 + i * 3.2
        c.rect(9, y, 23, y + 2.2, col)


def g_arrow(c, up=True, col=WHITE, cx=16, size=1.0):
    s = size
    if up:
        c.polygon([(cx, 6 * s + 2), (cx + 7 * s, 15), (cx - 7 * s, 15)], col)
        c.rect(cx - 2.5, 14, cx + 2.5, 26, col)
    else:
        c.polygon([(cx, 26), (cx + 7 * s, 17), (cx - 7 * s, 17)], col)
        c.rect(cx - 2.5, 6, cx + 2.5, 18, col)


def g_thermo(c, col=WHITE, level=RED):
    c.rect(13, 5, 19, 22, col, radius=3)
    c.circle(16, 23, 5, col)
    c.rect(14.8, 11, 17.2, 22, level)
    c.circle(16, 23, 3.4, level)
    for y in (8, 11, 14, 17):
        c.line(20.5, y, 23, y, 1.2, col)


def g_flame(c, col=ORANGE):
    c.polygon([(16, 4), (23, 14), (24, 20), (21, 26), (16, 28), (11, 26), (8, 20), (10, 13), (13, 17)], col)
    c.polygon([(16, 14), (20, 21), (18, 26), (14, 26), (12, 21)], YELLOW)


def g_snow(c, col=WHITE):
    for a in (0, 60, 120):
        r = math.radians(a)
        dx, dy = 10 * math.cos(r), 10 * math.sin(r)
        c.line(16 - dx, 16 - dy, 16 + dx, 16 + dy, 2, col)
    c.circle(16, 16, 2.5, col)


def g_plug(c, col=WHITE):
    c.rect(10, 10, 22, 20, col, radius=3)
    c.rect(12, 4, 14, 10, col)
    c.rect(18, 4, 20, 10, col)
    c.rect(14.5, 20, 17.5, 28, col)


def g_bolt(c, col=YELLOW):
    c.polygon([(18, 3), (8, 18), (15, 18), (13, 29), (24, 13), (17, 13)], col)


def g_clock(c, col=WHITE, hands=DARK, cx=16, cy=16, r=11):
    c.circle(cx, cy, r, col)
    c.ring(cx, cy, r - 0.8, 1.4, darker(col, 0.6) if col != WHITE else GREY)
    c.line(cx, cy, cx, cy - r * 0.65, 2, hands)
    c.line(cx, cy, cx + r * 0.5, cy + r * 0.2, 2, hands)
    c.circle(cx, cy, 1.5, RED)


def g_hourglass(c, col=WHITE):
    c.rect(8, 4, 24, 7, col)
    c.rect(8, 25, 24, 28, col)
    c.polygon([(10, 7), (22, 7), (17, 16), (22, 25), (10, 25), (15, 16)], col)
    c.polygon([(12.5, 9), (19.5, 9), (16, 14)], YELLOW)
    c.polygon([(16, 19), (20, 24), (12, 24)], YELLOW)


def g_bell(c, col=WHITE):
    c.polygon([(16, 5), (22, 9), (23, 19), (26, 23), (6, 23), (9, 19), (10, 9)], col)
    c.circle(16, 25.5, 2.5, col)


def g_shield(c, col=WHITE, mark=None):
    c.polygon([(16, 4), (26, 8), (25, 18), (16, 28), (7, 18), (6, 8)], col)
    if mark:
        c.polygon([(16, 8), (22, 10.5), (21.5, 17.5), (16, 24), (10.5, 17.5), (10, 10.5)], mark)


def g_speaker(c, col=WHITE, waves=2):
    c.rect(6, 12, 11, 20, col)
    c.polygon([(11, 12), (18, 6), (18, 26), (11, 20)], col)
    for i in range(waves):
        c.ring(18, 16, 5 + 4 * i, 1.8, col, -45, 45)


def g_note(c, col=WHITE):
    c.circle(11, 23, 4, col)
    c.circle(22, 20, 4, col)
    c.rect(13.5, 6, 15.5, 23, col)
    c.rect(24.5, 4, 26.5, 20, col)
    c.polygon([(13.5, 6), (26.5, 3), (26.5, 8), (13.5, 11)], col)


def g_button(c, col=WHITE, pressed=False):
    c.rect(6, 6, 26, 26, col, radius=4)
    c.circle(16, 16, 6, DARK)
    c.circle(16, 16, 4.5, YELLOW if pressed else LIGHT)


def g_door(c, col=WHITE):
    c.rect(9, 4, 23, 28, col)
    c.rect(11, 6, 21, 28, DARK)
    c.circle(18.5, 17, 1.5, YELLOW)


def g_lock(c, col=WHITE, open_=False):
    c.rect(8, 14, 24, 27, col, radius=2)
    if open_:
        c.ring(12, 11, 5, 2.4, col, 0, 180)
        c.line(17, 11, 17, 14, 2.4, col)
    else:
        c.ring(16, 12, 5.5, 2.4, col, 0, 180)
        c.line(10.5, 12, 10.5, 14, 2.4, col)
        c.line(21.5, 12, 21.5, 14, 2.4, col)
    c.circle(16, 19.5, 2, DARK)
    c.rect(15, 20, 17, 24, DARK)


def g_drop(c, col=WHITE):
    c.polygon([(16, 4), (22, 15), (10, 15)], col)
    c.circle(16, 19, 7, col)


def g_gear(c, col=WHITE):
    for i in range(8):
        a = math.radians(i * 45)
        c.line(16 + 6 * math.cos(a), 16 + 6 * math.sin(a),
               16 + 11 * math.cos(a), 16 + 11 * math.sin(a), 4, col)
    c.circle(16, 16, 8, col)
    c.circle(16, 16, 3.5, DARK)


def g_sun(c, col=YELLOW):
    c.circle(16, 16, 6, col)
    for i in range(8):
        a = math.radians(i * 45)
        c.line(16 + 8.5 * math.cos(a), 16 + 8.5 * math.sin(a),
               16 + 12 * math.cos(a), 16 + 12 * math.sin(a), 2, col)


def g_moon(c, col=LIGHT, bg=None):
    c.circle(16, 16, 10, col)
    c.circle(21, 12, 8.5, bg if bg else DARK)


def g_person(c, col=WHITE):
    c.circle(16, 9, 4.5, col)
    c.polygon([(8, 27), (9, 19), (12, 15), (20, 15), (23, 19), (24, 27)], col)


def g_star(c, col=WHITE):
    pts = []
    for i in range(10):
        r = 11 if i % 2 == 0 else 4.6
        a = math.radians(90 + i * 36)
        pts.append((16 + r * math.cos(a), 16.5 - r * math.sin(a)))
    c.polygon(pts, col)


def g_play(c, col=WHITE):
    c.polygon([(10, 6), (25, 16), (10, 26)], col)


def g_calendar(c, col=WHITE, mark=RED):
    c.rect(6, 7, 26, 27, col, radius=2)
    c.rect(6, 7, 26, 12, mark, radius=2)
    c.rect(10, 4, 12, 9, DARK)
    c.rect(20, 4, 22, 9, DARK)
    for r in range(3):
        for k in range(4):
            c.rect(8.5 + k * 4.3, 14 + r * 4.2, 11 + k * 4.3, 16.2 + r * 4.2, GREY)


def g_meter(c, col=WHITE):
    c.rect(6, 6, 26, 26, col, radius=3)
    c.ring(16, 19, 7, 1.6, DARK, 20, 160)
    c.line(16, 19, 20.5, 13.5, 1.8, RED)
    c.rect(10, 22, 22, 24, DARK)


def g_knob(c, col=WHITE):
    c.circle(16, 17, 9, col)
    c.ring(16, 17, 11.5, 1.6, col, -60, 240)
    c.line(16, 17, 11, 11, 2.2, DARK)


def g_eq(c, col=WHITE):
    for i, (x, h) in enumerate(((8, 12), (13, 18), (18, 8), (23, 15))):
        c.rect(x, 26 - h, x + 3, 26, col)


def g_radio(c, col=WHITE):
    c.rect(5, 11, 27, 26, col, radius=2)
    c.line(9, 11, 22, 4, 1.6, col)
    c.circle(12, 18.5, 4, DARK)
    c.rect(19, 14, 24, 16, DARK)
    c.rect(19, 18, 24, 20, DARK)


def g_chip(c, col=WHITE):
    c.rect(9, 9, 23, 23, col, radius=1)
    for i in range(4):
        p = 11 + i * 3.3
        c.line(p, 5, p, 9, 1.4, col)
        c.line(p, 23, p, 27, 1.4, col)
        c.line(5, p, 9, p, 1.4, col)
        c.line(23, p, 27, p, 1.4, col)
    c.rect(12, 12, 20, 20, DARK)


def g_refresh(c, col=WHITE):
    c.ring(16, 16, 8.5, 2.6, col, 40, 320)
    c.polygon([(22, 4), (26, 12), (18, 12)], col)


def g_variable(c, col=WHITE):
    c.text("X", 6, 9, 2, col)
    c.rect(18, 14, 26, 16, col)
    c.rect(18, 19, 26, 21, col)


def g_solar(c, col=WHITE):
    c.polygon([(5, 24), (10, 11), (27, 11), (22, 24)], col)
    c.line(7.5, 17.5, 24.5, 17.5, 1.2, BLUE)
    c.line(15.5, 11, 13, 24, 1.2, BLUE)
    c.line(21.5, 11, 19, 24, 1.2, BLUE)
    c.circle(25, 6, 3, YELLOW)


def g_gate(c, col=WHITE):
    c.rect(5, 6, 8, 27, col)
    c.rect(24, 6, 27, 27, col)
    c.rect(8, 10, 24, 12, col)
    c.rect(8, 22, 24, 24, col)
    for x in (11, 14, 17, 20):
        c.rect(x, 10, x + 1.6, 24, col)


def g_curtain(c, col=WHITE):
    c.rect(4, 5, 28, 7, col)
    c.polygon([(6, 7), (13, 7), (11, 27), (6, 27)], col)
    c.polygon([(19, 7), (26, 7), (26, 27), (21, 27)], col)


def g_stairs(c, col=WHITE):
    c.polygon([(5, 27), (5, 22), (11, 22), (11, 17), (17, 17), (17, 12), (23, 12),
               (23, 7), (28, 7), (28, 27)], col)


def g_tag(c, col=WHITE, label="F1"):
    c.polygon([(4, 16), (11, 7), (28, 7), (28, 25), (11, 25)], col)
    c.circle(10.5, 16, 1.8, DARK)
    c.text(label, 14, 12, 1, DARK)


def g_house(c, col=WHITE):
    c.polygon([(16, 4), (28, 15), (25, 15), (25, 27), (7, 27), (7, 15), (4, 15)], col)
    c.rect(13.5, 19, 18.5, 27, DARK)


def g_grid(c, col=WHITE):
    for r in range(2):
        for k in range(2):
            c.circle(10.5 + k * 11, 10.5 + r * 11, 4.5, col)


def g_question(c, col=WHITE):
    c.ring(16, 12, 5.5, 3, col, -90, 180)
    c.line(16, 17.5, 16, 20, 3, col)
    c.circle(16, 25, 2, col)


def g_cross(c, col=RED, w=3.5):
    c.line(9, 9, 23, 23, w, col)
    c.line(23, 9, 9, 23, w, col)


def g_check(c, col=GREEN, w=3.5):
    c.polyline([(8, 17), (14, 23), (25, 9)], w, col)


def g_badge(c, col, text=None, symbol=None):
    """A small round badge in the lower right corner."""
    c.circle(25, 25, 6.2, WHITE)
    c.circle(25, 25, 5, col)
    if text:
        c.text(text, 25 - c.text_width(text, 1) / 2.0, 21.5, 1, WHITE)
    if symbol == "up":
        c.polygon([(25, 21), (28.5, 26), (21.5, 26)], WHITE)
    elif symbol == "down":
        c.polygon([(25, 29), (28.5, 24), (21.5, 24)], WHITE)
    elif symbol == "clock":
        c.line(25, 25, 25, 21.5, 1.4, WHITE)
        c.line(25, 25, 27.5, 26, 1.4, WHITE)
    elif symbol == "plus":
        c.line(22, 25, 28, 25, 1.6, WHITE)
        c.line(25, 22, 25, 28, 1.6, WHITE)
    elif symbol == "x":
        c.line(22.5, 22.5, 27.5, 27.5, 1.6, WHITE)
        c.line(27.5, 22.5, 22.5, 27.5, 1.6, WHITE)
    elif symbol == "check":
        c.polyline([(22, 25), (24.5, 27.5), (28, 22.5)], 1.6, WHITE)
    elif symbol == "dot":
        c.circle(25, 25, 2, WHITE)


# ---------------------------------------------------------------------------
# The icon set. Each entry: file name -> (tile colour, drawing function).
# ---------------------------------------------------------------------------
F = FAMILY_COLOURS


def family_icons():
    glyphs = {
        "lights": lambda c: g_bulb(c, True),
        "shutters": lambda c: g_window_slats(c),
        "climate": lambda c: g_thermo(c),
        "loads": lambda c: g_plug(c),
        "scenes": lambda c: g_star(c),
        "buttons": lambda c: g_button(c),
        "alarm": lambda c: g_shield(c, WHITE, F["alarm"]),
        "sound": lambda c: g_speaker(c),
        "energy": lambda c: g_bolt(c, WHITE),
        "time": lambda c: g_clock(c),
        "aux": lambda c: g_gear(c),
        "doorentry": lambda c: g_door(c),
        "irrigation": lambda c: g_drop(c),
    }
    icons = {}
    for name, draw in glyphs.items():
        icons[name + ".gif"] = (F[name], draw, False)
        icons[name + "p.gif"] = (F[name], draw, True)
    return icons


def object_icons():
    L, S, C, LD = F["lights"], F["shutters"], F["climate"], F["loads"]
    SC, B, A, SO = F["scenes"], F["buttons"], F["alarm"], F["sound"]
    E, T, AX, D, I = F["energy"], F["time"], F["aux"], F["doorentry"], F["irrigation"]
    return {
        "o_light.gif": (L, lambda c: g_bulb(c, True)),
        "o_dimmer.gif": (L, lambda c: (g_bulb(c, True), g_badge(c, DARK, symbol="plus"))),
        "o_lightaddr.gif": (L, lambda c: (g_bulb(c, True), g_badge(c, DARK, text="#"))),
        "o_lighttimed.gif": (L, lambda c: (g_bulb(c, True), g_badge(c, BLUE, symbol="clock"))),
        "o_lightgroup.gif": (L, lambda c: g_grid(c)),
        "o_lightroom.gif": (L, lambda c: (g_house(c), c.circle(16, 13, 3, YELLOW))),
        "o_lightall.gif": (L, lambda c: (g_house(c), g_badge(c, RED, text="A"))),
        "o_stairs.gif": (L, lambda c: g_stairs(c)),
        "o_twilight.gif": (L, lambda c: (g_moon(c, WHITE, L))),
        "o_presence.gif": (L, lambda c: g_person(c)),
        "o_shutter.gif": (S, lambda c: g_window_slats(c)),
        "o_shutterpos.gif": (S, lambda c: (g_window_slats(c, fill=3), g_badge(c, DARK, text="%"))),
        "o_shuttermem.gif": (S, lambda c: (g_window_slats(c, fill=4), g_badge(c, DARK, text="M"))),
        "o_curtain.gif": (S, lambda c: g_curtain(c)),
        "o_gate.gif": (S, lambda c: g_gate(c)),
        "o_zoneset.gif": (C, lambda c: (g_thermo(c), g_badge(c, DARK, symbol="plus"))),
        "o_zonemanual.gif": (C, lambda c: (g_thermo(c), g_badge(c, DARK, text="M"))),
        "o_zoneboost.gif": (C, lambda c: (g_thermo(c), g_badge(c, BLUE, symbol="clock"))),
        "o_zonetemp.gif": (C, lambda c: (g_thermo(c, level=ORANGE), g_badge(c, DARK, text="?"))),
        "o_outdoor.gif": (C, lambda c: (g_thermo(c, level=BLUE), g_badge(c, DARK, symbol="up"))),
        "o_central.gif": (C, lambda c: g_flame(c, WHITE)),
        "o_season.gif": (C, lambda c: (g_sun(c, YELLOW), c.circle(16, 16, 4, WHITE))),
        "o_weekprog.gif": (C, lambda c: g_calendar(c, WHITE, DARK)),
        "o_centralstat.gif": (C, lambda c: (g_flame(c, WHITE), g_badge(c, DARK, text="?"))),
        "o_load.gif": (LD, lambda c: g_plug(c)),
        "o_loadtimed.gif": (LD, lambda c: (g_plug(c), g_badge(c, BLUE, symbol="clock"))),
        "o_loadunit.gif": (LD, lambda c: g_meter(c)),
        "o_scenemodule.gif": (SC, lambda c: (g_star(c), g_badge(c, DARK, text="4"))),
        "o_progscene.gif": (SC, lambda c: (g_star(c), g_badge(c, BLUE, symbol="clock"))),
        "o_sceneenable.gif": (SC, lambda c: (g_star(c), g_badge(c, GREEN, symbol="check"))),
        "o_controller.gif": (SC, lambda c: g_chip(c)),
        "o_variable.gif": (SC, lambda c: g_variable(c)),
        "o_button.gif": (B, lambda c: g_button(c)),
        "o_buttonext.gif": (B, lambda c: (g_button(c), g_badge(c, BLUE, text="E"))),
        "o_switch.gif": (B, lambda c: (c.rect(9, 5, 23, 27, WHITE, radius=3),
                                       c.rect(12, 8, 20, 15, GREEN), c.rect(12, 17, 20, 24, GREY))),
        "o_alarmpanel.gif": (A, lambda c: g_shield(c, WHITE, A)),
        "o_alarmzone.gif": (A, lambda c: (g_shield(c, WHITE, A), g_badge(c, DARK, text="Z"))),
        "o_techalarm.gif": (A, lambda c: g_bell(c)),
        "o_amplifier.gif": (SO, lambda c: g_speaker(c)),
        "o_volume.gif": (SO, lambda c: g_knob(c)),
        "o_audioset.gif": (SO, lambda c: g_eq(c)),
        "o_source.gif": (SO, lambda c: g_radio(c)),
        "o_meter.gif": (E, lambda c: g_meter(c)),
        "o_tariff.gif": (E, lambda c: g_tag(c)),
        "o_solar.gif": (E, lambda c: g_solar(c)),
        "o_calendar.gif": (T, lambda c: g_calendar(c)),
        "o_clock.gif": (T, lambda c: g_clock(c)),
        "o_delay.gif": (T, lambda c: g_hourglass(c)),
        "o_randdelay.gif": (T, lambda c: (g_hourglass(c), g_badge(c, DARK, text="?"))),
        "o_auxchannel.gif": (AX, lambda c: g_gear(c)),
        "o_auxtimed.gif": (AX, lambda c: (g_gear(c), g_badge(c, BLUE, symbol="clock"))),
        "o_doorbell.gif": (AX, lambda c: g_bell(c)),
        "o_unsupported.gif": (GREY, lambda c: (g_chip(c), g_cross(c, RED, 2.5))),
        "o_entrance.gif": (D, lambda c: (g_door(c), g_badge(c, DARK, symbol="dot"))),
        "o_doorlock.gif": (D, lambda c: g_lock(c)),
        "o_valve.gif": (I, lambda c: (g_drop(c), g_badge(c, DARK, text="V"))),
    }


def what_icons():
    N = (100, 112, 128)  # neutral tile for command pictures
    return {
        "r_lightoff.gif": (N, lambda c: g_bulb(c, False, LIGHT)),
        "r_lighton.gif": (F["lights"], lambda c: g_bulb(c, True)),
        "r_dim.gif": (F["lights"], lambda c: (g_bulb(c, True), g_badge(c, DARK, text="%"))),
        "r_up.gif": (F["shutters"], lambda c: g_arrow(c, True)),
        "r_down.gif": (F["shutters"], lambda c: g_arrow(c, False)),
        "r_stop.gif": (F["shutters"], lambda c: c.rect(9, 9, 23, 23, WHITE, radius=2)),
        "r_temp.gif": (F["climate"], lambda c: g_thermo(c)),
        "r_heat.gif": (F["climate"], lambda c: g_flame(c)),
        "r_cool.gif": ((50, 130, 210), lambda c: g_snow(c)),
        "r_load.gif": (F["loads"], lambda c: g_plug(c)),
        "r_scene.gif": (F["scenes"], lambda c: g_star(c)),
        "r_button.gif": (F["buttons"], lambda c: g_button(c, pressed=True)),
        "r_alarm.gif": (F["alarm"], lambda c: g_bell(c)),
        "r_sound.gif": (F["sound"], lambda c: g_note(c)),
        "r_energy.gif": (F["energy"], lambda c: g_bolt(c)),
        "r_clock.gif": (F["time"], lambda c: g_clock(c)),
        "r_delay.gif": (F["time"], lambda c: g_hourglass(c)),
        "r_aux.gif": (F["aux"], lambda c: g_gear(c)),
        "r_door.gif": (F["doorentry"], lambda c: g_door(c)),
        "r_valve.gif": (F["irrigation"], lambda c: g_drop(c)),
        "r_variable.gif": (F["scenes"], lambda c: g_variable(c)),
        "r_position.gif": (F["shutters"], lambda c: (g_window_slats(c, fill=3), g_badge(c, DARK, text="%"))),
        "r_lock.gif": (F["scenes"], lambda c: g_lock(c)),
        "r_restart.gif": (F["scenes"], lambda c: g_refresh(c)),
        "r_timer.gif": (F["time"], lambda c: (g_clock(c), g_badge(c, GREEN, symbol="plus"))),
        "r_presence.gif": (F["lights"], lambda c: g_person(c)),
        "r_sun.gif": ((90, 160, 220), lambda c: g_sun(c)),
        "r_moon.gif": ((30, 40, 90), lambda c: g_moon(c, LIGHT, (30, 40, 90))),
        "r_off.gif": (N, lambda c: (c.ring(16, 17, 8.5, 2.8, WHITE, 120, 60),
                                    c.line(16, 5, 16, 15, 2.8, WHITE))),
    }


def draw_time(c, hours, week, dates):
    """Time condition picture: hour kind on top, weekdays and date below."""
    # hours: single time (clock with hands), band (clock with a shaded arc),
    # any (clock face with a star)
    c.circle(16, 11, 8, WHITE)
    if hours == "s":
        c.line(16, 11, 16, 5.5, 1.8, DARK)
        c.line(16, 11, 20, 12, 1.8, DARK)
    elif hours == "b":
        c.fill(lambda x, y: (x - 16) ** 2 + (y - 11) ** 2 <= 42 and x >= 16 and y <= 11 + (x - 16) * 0.6,
               ORANGE, (8, 3, 24, 19))
        c.line(16, 11, 16, 4.5, 1.6, DARK)
        c.line(16, 11, 22, 14.5, 1.6, DARK)
    else:
        c.text("+", 13, 7.5, 1.2, DARK)
    # weekdays: seven marks, all lit for every day, some for a plan
    lit = [1] * 7 if week == "w" else [1, 0, 1, 0, 1, 0, 0]
    for i, on in enumerate(lit):
        c.rect(3 + i * 3.7, 21, 5.6 + i * 3.7, 23.5, YELLOW if on else darker(F["time"], 0.6))
    # dates: a bar for always, a bracket for a range
    if dates == "a":
        c.rect(3, 26, 29, 28.5, WHITE)
    else:
        c.rect(3, 26, 29, 28.5, darker(F["time"], 0.6))
        c.rect(10, 25, 21, 29.5, RED)


def time_icons():
    icons = {}
    for h in "sba":
        for w in "wp":
            for d in "ar":
                icons["t_%s%s%s.gif" % (h, w, d)] = (F["time"], (lambda hh, ww, dd: lambda c: draw_time(c, hh, ww, dd))(h, w, d))
    return icons


def fixed_icons():
    return {
        "noimg.gif": ((170, 174, 180), lambda c: g_question(c)),
        "dummy.gif": ((170, 174, 180), lambda c: (c.rect(7, 7, 25, 25, WHITE), g_cross(c, GREY, 2))),
        "op_and.gif": ((60, 70, 90), lambda c: c.polyline([(8, 24), (16, 8), (24, 24)], 4, WHITE)),
        "op_or.gif": ((60, 70, 90), lambda c: c.polyline([(8, 8), (16, 24), (24, 8)], 4, WHITE)),
        "NoOpe.gif": ((200, 200, 200), lambda c: g_question(c, DARK)),
    }


def small_icons():
    """16x16 pictures of the project tree and the compile log."""
    def doc(c, mark=None):
        c.polygon([(3, 1), (10, 1), (13, 4), (13, 15), (3, 15)], WHITE)
        c.polyline([(3, 1), (10, 1), (13, 4), (13, 15), (3, 15), (3, 1)], 1, DARK)
        for y in (6, 8.5, 11):
            c.line(5, y, 11, y, 0.8, GREY)
        if mark == "ok":
            c.circle(11.5, 11.5, 4, GREEN)
            c.polyline([(9.5, 11.5), (11, 13), (13.5, 10)], 1.2, WHITE)
        elif mark == "ko":
            c.circle(11.5, 11.5, 4, GREY)
            c.line(9.5, 11.5, 13.5, 11.5, 1.4, WHITE)
        elif mark == "err":
            c.circle(11.5, 11.5, 4, RED)
            c.line(10, 10, 13, 13, 1.3, WHITE)
            c.line(13, 10, 10, 13, 1.3, WHITE)

    def folder(c, col):
        c.polygon([(1, 4), (6, 4), (7.5, 5.5), (15, 5.5), (15, 14), (1, 14)], col)
        c.rect(1, 7, 15, 14, lighter(col, 0.25))

    return {
        "collezione.gif": lambda c: (folder(c, (220, 170, 60)), c.circle(8, 10.5, 2.2, F["scenes"])),
        "panico.gif": lambda c: (c.circle(8, 8, 7, DARK), c.circle(8, 8, 5.5, RED), c.circle(6.5, 6.5, 1.5, lighter(RED, 0.5))),
        "tutti_gli_scenari.gif": lambda c: (folder(c, (220, 170, 60)), c.rect(4, 8, 12, 12.5, WHITE)),
        "scriptok.gif": lambda c: doc(c, "ok"),
        "scriptko.gif": lambda c: doc(c, "ko"),
        "scripterror.gif": lambda c: doc(c, "err"),
        "abilita.gif": lambda c: (c.circle(8, 8, 7, GREEN), c.polygon([(6, 4.5), (11.5, 8), (6, 11.5)], WHITE)),
        "disabilita.gif": lambda c: (c.circle(8, 8, 7, RED), c.rect(5, 5, 11, 11, WHITE)),
        "vbblue.gif": lambda c: (c.circle(8, 8, 6, BLUE), c.rect(7.2, 7, 8.8, 12, WHITE), c.circle(8, 4.8, 1, WHITE)),
        "vbred.gif": lambda c: (c.circle(8, 8, 6, RED), c.line(5.5, 5.5, 10.5, 10.5, 1.6, WHITE), c.line(10.5, 5.5, 5.5, 10.5, 1.6, WHITE)),
        "vbblack.gif": lambda c: (c.circle(8, 8, 6, DARK), c.rect(5, 7.3, 11, 8.7, WHITE)),
    }


def splash():
    w, h = 400, 250
    c = Canvas(w, h, (20, 40, 70), ss=2)
    # vertical gradient
    for y in range(h):
        t = y / (h - 1)
        col = (int(18 + 30 * t), int(38 + 60 * t), int(70 + 90 * t))
        for x in range(w):
            c.px[y][x] = col
    # the bus: a line with nodes
    c.line(20, 170, 380, 170, 3, (120, 190, 230))
    for i, (x, col) in enumerate(((60, F["lights"]), (120, F["shutters"]), (180, F["climate"]),
                                  (240, F["sound"]), (300, F["alarm"]), (350, F["energy"]))):
        c.line(x, 170, x, 150, 2, (120, 190, 230))
        c.rect(x - 11, 128, x + 11, 150, col, radius=4)
        c.circle(x, 170, 4, WHITE)
    # a house outline around the devices
    c.polyline([(30, 185), (30, 120), (200, 62), (370, 120), (370, 185)], 5, WHITE)
    title = "TESSARO EDITOR"
    sc = 3
    c.text(title, (w - c.text_width(title, sc)) / 2.0, 20, sc, WHITE)
    sub = "HOME AUTOMATION SCENARIOS"
    c.text(sub, (w - c.text_width(sub, 1.5)) / 2.0, 205, 1.5, (200, 225, 245))
    return c


# ---------------------------------------------------------------------------
# GIF writer
# ---------------------------------------------------------------------------
def quantise(canvas):
    """Returns (palette, indices, transparent index or None)."""
    colours = {}
    transparent = any(p is None for row in canvas.px for p in row)
    shift = 0
    while True:
        colours.clear()
        mask = 0xFF & ~((1 << shift) - 1)
        for row in canvas.px:
            for p in row:
                if p is not None:
                    colours.setdefault(tuple(v & mask for v in p), len(colours))
        if len(colours) + (1 if transparent else 0) <= 256:
            break
        shift += 1
    base = 1 if transparent else 0
    palette = [(0, 0, 0)] * base + [None] * len(colours)
    for col, i in colours.items():
        palette[base + i] = col
    indices = []
    for row in canvas.px:
        for p in row:
            if p is None:
                indices.append(0)
            else:
                indices.append(base + colours[tuple(v & mask for v in p)])
    return palette, indices, (0 if transparent else None)


def lzw(indices, min_size):
    clear, eoi = 1 << min_size, (1 << min_size) + 1
    out = bytearray()
    acc = nbits = 0

    def emit(code, size):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8

    size = min_size + 1
    table = {}
    nxt = eoi + 1
    emit(clear, size)
    w = indices[0]
    for k in indices[1:]:
        key = (w, k)
        if key in table:
            w = table[key]
            continue
        emit(w, size)
        if nxt == 4096:
            emit(clear, size)
            table.clear()
            size = min_size + 1
            nxt = eoi + 1
        else:
            table[key] = nxt
            if nxt == (1 << size) and size < 12:
                size += 1
            nxt += 1
        w = k
    emit(w, size)
    emit(eoi, size)
    if nbits:
        out.append(acc & 0xFF)
    return bytes(out)


def write_gif(path, canvas):
    palette, indices, transparent = quantise(canvas)
    bits = max(1, (len(palette) - 1).bit_length())
    table_len = 1 << bits
    palette = palette + [(0, 0, 0)] * (table_len - len(palette))
    min_size = max(2, bits)
    data = bytearray(b"GIF89a")
    data += canvas.w.to_bytes(2, "little") + canvas.h.to_bytes(2, "little")
    data += bytes([0x80 | 0x70 | (bits - 1), 0, 0])
    for col in palette:
        data += bytes(col)
    if transparent is not None:
        data += bytes([0x21, 0xF9, 4, 0x01, 0, 0, transparent, 0])
    data += bytes([0x2C]) + (0).to_bytes(2, "little") * 2
    data += canvas.w.to_bytes(2, "little") + canvas.h.to_bytes(2, "little") + bytes([0])
    data += bytes([min_size])
    stream = lzw(indices, min_size)
    for i in range(0, len(stream), 255):
        chunk = stream[i:i + 255]
        data += bytes([len(chunk)]) + chunk
    data += bytes([0, 0x3B])
    with open(path, "wb") as f:
        f.write(data)


# ---------------------------------------------------------------------------
# Desktop icons: the program and its two file types, for the freedesktop
# hicolor theme. Each is drawn once in the 32-unit tile space and rendered
# twice: as SVG (the scalable icon) and rasterised with alpha at every fixed
# size, so the PNGs and the SVG never drift apart.
# ---------------------------------------------------------------------------
APP_ID = "com.velmora.Tessed"
PROJECT_ICON = "application-x-tessed-project"
SCENARIO_ICON = "application-x-tessed-scenario"
DESKTOP_ICON_DIR = os.path.join(ROOT, "data", "desktop", "icons", "hicolor")
PNG_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
NAVY = (30, 60, 105)
BUS = (120, 190, 230)


class RgbaCanvas(Canvas):
    """A canvas whose pixels carry coverage as alpha, for PNG output."""

    def fill(self, inside, colour, box=None):
        x0, y0, x1, y1 = box if box else (0, 0, self.w, self.h)
        x0, y0 = max(0, int(math.floor(x0))), max(0, int(math.floor(y0)))
        x1, y1 = min(self.w, int(math.ceil(x1))), min(self.h, int(math.ceil(y1)))
        n = self.ss
        step = 1.0 / n
        for py in range(y0, y1):
            row = self.px[py]
            for px in range(x0, x1):
                hits = 0
                for sy in range(n):
                    y = py + (sy + 0.5) * step
                    for sx in range(n):
                        if inside(px + (sx + 0.5) * step, y):
                            hits += 1
                if hits == 0:
                    continue
                a = hits / (n * n)
                under = row[px]
                if under is None:
                    row[px] = colour + (a,)
                    continue
                ua = under[3] * (1 - a)
                out = a + ua
                row[px] = tuple((c * a + u * ua) / out for u, c in zip(under[:3], colour)) + (out,)


class Scaled:
    """Takes drawing calls in tile units and draws them at `size` pixels."""

    def __init__(self, size):
        self.k = size / 32.0
        self.c = RgbaCanvas(size, size, ss=4 if size <= 64 else 3)

    def rect(self, x0, y0, x1, y1, colour, radius=0.0):
        k = self.k
        self.c.rect(x0 * k, y0 * k, x1 * k, y1 * k, colour, radius * k)

    def circle(self, cx, cy, r, colour):
        k = self.k
        self.c.circle(cx * k, cy * k, r * k, colour)

    def ring(self, cx, cy, r, width, colour, a0=None, a1=None):
        k = self.k
        self.c.ring(cx * k, cy * k, r * k, width * k, colour, a0, a1)

    def line(self, xa, ya, xb, yb, width, colour):
        k = self.k
        self.c.line(xa * k, ya * k, xb * k, yb * k, width * k, colour)

    def polyline(self, pts, width, colour):
        for a, b in zip(pts, pts[1:]):
            self.line(a[0], a[1], b[0], b[1], width, colour)

    def polygon(self, pts, colour):
        self.c.polygon([(x * self.k, y * self.k) for x, y in pts], colour)


def _num(v):
    return ("%.3f" % v).rstrip("0").rstrip(".")


def _rgb(colour):
    return "#%02x%02x%02x" % colour


class SvgPen:
    """Takes the same drawing calls and writes them as SVG elements."""

    def __init__(self):
        self.parts = []

    def rect(self, x0, y0, x1, y1, colour, radius=0.0):
        rx = ' rx="%s"' % _num(radius) if radius > 0 else ""
        self.parts.append('<rect x="%s" y="%s" width="%s" height="%s"%s fill="%s"/>' % (
            _num(x0), _num(y0), _num(x1 - x0), _num(y1 - y0), rx, _rgb(colour)))

    def circle(self, cx, cy, r, colour):
        self.parts.append('<circle cx="%s" cy="%s" r="%s" fill="%s"/>' % (
            _num(cx), _num(cy), _num(r), _rgb(colour)))

    def ring(self, cx, cy, r, width, colour, a0=None, a1=None):
        stroke = 'fill="none" stroke="%s" stroke-width="%s"' % (_rgb(colour), _num(width))
        if a0 is None:
            self.parts.append('<circle cx="%s" cy="%s" r="%s" %s/>' % (
                _num(cx), _num(cy), _num(r), stroke))
            return
        # 0 degrees is east and angles grow counter-clockwise, with y downwards.
        sweep = (a1 - a0) % 360
        p0 = (cx + r * math.cos(math.radians(a0)), cy - r * math.sin(math.radians(a0)))
        p1 = (cx + r * math.cos(math.radians(a1)), cy - r * math.sin(math.radians(a1)))
        self.parts.append('<path d="M%s %s A%s %s 0 %d 0 %s %s" %s/>' % (
            _num(p0[0]), _num(p0[1]), _num(r), _num(r), 1 if sweep > 180 else 0,
            _num(p1[0]), _num(p1[1]), stroke))

    def line(self, xa, ya, xb, yb, width, colour):
        self.parts.append(
            '<line x1="%s" y1="%s" x2="%s" y2="%s" stroke="%s" stroke-width="%s" '
            'stroke-linecap="round"/>' % (_num(xa), _num(ya), _num(xb), _num(yb), _rgb(colour),
                                          _num(width)))

    def polyline(self, pts, width, colour):
        self.parts.append(
            '<polyline points="%s" fill="none" stroke="%s" stroke-width="%s" '
            'stroke-linecap="round" stroke-linejoin="round"/>' % (
                " ".join("%s,%s" % (_num(x), _num(y)) for x, y in pts), _rgb(colour), _num(width)))

    def polygon(self, pts, colour):
        self.parts.append('<polygon points="%s" fill="%s" fill-rule="evenodd"/>' % (
            " ".join("%s,%s" % (_num(x), _num(y)) for x, y in pts), _rgb(colour)))

    def document(self):
        return ('<?xml version="1.0" encoding="UTF-8"?>\n'
                '<svg xmlns="http://www.w3.org/2000/svg" width="128" height="128" '
                'viewBox="0 0 32 32">\n' + "\n".join(self.parts) + "\n</svg>\n")


def draw_app(c):
    """The program: the splash picture's house over the bus with its devices."""
    c.rect(1, 1, 31, 31, darker(NAVY, 0.75), radius=6.5)
    c.rect(2, 2, 30, 30, NAVY, radius=5.5)
    c.polyline([(5.5, 22), (5.5, 13.5), (16, 6), (26.5, 13.5), (26.5, 22)], 2.2, WHITE)
    c.line(4, 25.5, 28, 25.5, 1.6, BUS)
    for x, col in ((10.5, FAMILY_COLOURS["lights"]), (16, FAMILY_COLOURS["shutters"]),
                   (21.5, FAMILY_COLOURS["climate"])):
        c.line(x, 21, x, 25.5, 1.1, BUS)
        c.rect(x - 2.6, 15, x + 2.6, 20.6, col, radius=1.2)
        c.circle(x, 25.5, 1.4, WHITE)


def page(c):
    """A document page with a folded corner: the base of both file icons."""
    c.polygon([(6, 2), (20, 2), (27, 9), (27, 30), (6, 30)], GREY)
    c.polygon([(7, 3), (19.5, 3), (26, 9.5), (26, 29), (7, 29)], WHITE)
    c.polygon([(19.5, 3), (19.5, 9.5), (26, 9.5)], LIGHT)
    c.polyline([(19.5, 3), (19.5, 9.5), (26, 9.5)], 0.8, GREY)


def draw_project(c):
    """A project file: the program's house and bus on a page."""
    page(c)
    c.rect(9, 12, 24, 27, NAVY, radius=2.5)
    c.polyline([(11.5, 21.5), (11.5, 17.5), (16.5, 14), (21.5, 17.5), (21.5, 21.5)], 1.6, WHITE)
    c.line(11, 24.5, 22, 24.5, 1.2, BUS)
    for x in (14, 19):
        c.circle(x, 24.5, 1.1, WHITE)


def draw_scenario(c):
    """A scenario file: a trigger leading to an action, on a page."""
    page(c)
    c.rect(9, 12, 24, 27, FAMILY_COLOURS["scenes"], radius=2.5)
    c.circle(13, 16, 2, YELLOW)
    c.polyline([(13, 16), (13, 22.5), (17.5, 22.5)], 1.5, WHITE)
    c.polygon([(17, 20), (20.5, 22.5), (17, 25)], WHITE)
    c.rect(17.5, 14, 21.5, 18, WHITE, radius=0.8)


def desktop_icons():
    return {("apps", APP_ID): draw_app,
            ("mimetypes", PROJECT_ICON): draw_project,
            ("mimetypes", SCENARIO_ICON): draw_scenario}


def write_png(path, canvas):
    """RGBA, 8 bits per channel, no interlace; the standard library's zlib."""
    import struct
    import zlib
    raw = bytearray()
    for row in canvas.px:
        raw.append(0)
        for p in row:
            if p is None:
                raw += b"\0\0\0\0"
            else:
                raw += bytes([max(0, min(255, int(round(v)))) for v in p[:3]] +
                             [max(0, min(255, int(round(p[3] * 255))))])

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", canvas.w, canvas.h, 8, 6, 0, 0, 0)
    data = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))
    with open(path, "wb") as f:
        f.write(data)


def write_desktop_icons():
    written = 0
    for (context, name), draw in desktop_icons().items():
        pen = SvgPen()
        draw(pen)
        folder = os.path.join(DESKTOP_ICON_DIR, "scalable", context)
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, name + ".svg"), "w", encoding="utf-8") as f:
            f.write(pen.document())
        written += 1
        for size in PNG_SIZES:
            s = Scaled(size)
            draw(s)
            folder = os.path.join(DESKTOP_ICON_DIR, "%dx%d" % (size, size), context)
            os.makedirs(folder, exist_ok=True)
            write_png(os.path.join(folder, name + ".png"), s.c)
            written += 1
    return written


# ---------------------------------------------------------------------------
def main():
    if "--desktop-only" in sys.argv[1:]:
        print("wrote %d desktop icons" % write_desktop_icons(), file=sys.stderr)
        return
    os.makedirs(RES_DIR, exist_ok=True)
    os.makedirs(SYSTEM_DIR, exist_ok=True)
    written = 0
    for name, (colour, draw, selected) in family_icons().items():
        c = tile(colour, selected)
        draw(c)
        write_gif(os.path.join(RES_DIR, name), c)
        written += 1
    for table in (object_icons(), what_icons(), time_icons(), fixed_icons()):
        for name, (colour, draw) in table.items():
            c = tile(colour)
            draw(c)
            write_gif(os.path.join(RES_DIR, name), c)
            written += 1
    for name, draw in small_icons().items():
        c = Canvas(16, 16)
        draw(c)
        write_gif(os.path.join(RES_DIR, name), c)
        written += 1
    write_gif(os.path.join(SYSTEM_DIR, "splash.gif"), splash())
    written += 1
    written += write_desktop_icons()
    print("wrote %d pictures" % written, file=sys.stderr)


if __name__ == "__main__":
    main()
