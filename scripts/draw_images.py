#!/usr/bin/env python3
"""Draw Quillbank's pictures and write them as XPM files.

Every picture is drawn here from simple primitives (rectangles, lines,
filled polygons, circles and small hand-written pixel sprites); nothing is
taken from any other program.  Run from anywhere:

    python3 scripts/draw_images.py

The files are written to resources/images/ next to this script's parent:

  open.xpm   33x33  an open yellow folder with a white sheet of paper
                    sticking out, on a solid blue (#4A79C6) square
  closed.xpm 33x33  a closed yellow folder with a blue asterisk (*) on its
                    front, same blue square
  code.xpm   33x33  a white page (folded corner, grey text lines) with a
                    mouse pointer (white arrow, black outline) over it,
                    same blue square
  add.xpm    33x33  stacked pages with a folder and a globe, same blue
                    square (toolbar button "new code")
  find.xpm   33x33  a globe with a computer mouse and its cable, same blue
                    square (toolbar button "find")
  star.xpm   33x33  a yellow five-pointed star, point upward, darker
                    outline, same blue square
  app32.xpm  32x32  window icon: three linked computers (a little network),
                    16-colour VGA palette, transparent background
  app16.xpm  16x16  the same window icon at 16x16, same palette

and the desktop icons to resources/icons/, PNGs of the window icon for the
hicolor theme: quillbank-16.png and quillbank-32.png as drawn, and 48, 64,
128 and 256 pixel ones enlarged from them pixel by pixel.

Only the Python 3 standard library is used.
"""

import math
import os
import struct
import zlib

BLUE_BG = "#4A79C6"
NONE = "None"

# The classic 16-colour VGA palette (used for the window icons only).
VGA = {
    "black": "#000000", "navy": "#000080", "green": "#008000",
    "teal": "#008080", "maroon": "#800000", "purple": "#800080",
    "olive": "#808000", "silver": "#C0C0C0", "grey": "#808080",
    "blue": "#0000FF", "lime": "#00FF00", "cyan": "#00FFFF",
    "red": "#FF0000", "magenta": "#FF00FF", "yellow": "#FFFF00",
    "white": "#FFFFFF",
}

# Folder colours.
F_OUT = "#5C3A00"      # outline
F_BACK = "#D9A21B"     # back panel (in shadow)
F_BACK_DK = "#B7820F"  # inside of the back panel, deepest shadow
F_FRONT = "#FFD23F"    # front flap
F_LIGHT = "#FFE98C"    # highlight on the front flap
F_SHADE = "#E8B224"    # shading at the bottom of the front flap

# Paper colours.
P_OUT = "#3A3A3A"
P_WHITE = "#FFFFFF"
P_SHADE = "#DCDCDC"
P_TEXT = "#8E8E8E"


# ---------------------------------------------------------------------------
# Canvas and masks
# ---------------------------------------------------------------------------

class Canvas:
    def __init__(self, w, h, bg):
        self.w, self.h = w, h
        self.px = [[bg] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def get(self, x, y):
        return self.px[y][x]

    def fill(self, mask, color):
        for (x, y) in mask:
            self.set(x, y, color)

    def shape(self, mask, fill, outline):
        """Fill a mask and give it a 1-pixel outline on its own border."""
        self.fill(mask, fill)
        if outline:
            self.fill(border(mask), outline)

    def rect(self, x0, y0, x1, y1, color):
        self.fill(rect(x0, y0, x1, y1), color)

    def line(self, x0, y0, x1, y1, color):
        self.fill(line(x0, y0, x1, y1), color)

    def sprite(self, x, y, rows, colors):
        """Paint a hand-written sprite; '.' and ' ' are left untouched."""
        for j, row in enumerate(rows):
            for i, ch in enumerate(row):
                if ch not in ". ":
                    self.set(x + i, y + j, colors[ch])


def rect(x0, y0, x1, y1):
    """All pixels of the rectangle with corners (x0,y0) and (x1,y1), inclusive."""
    return {(x, y) for x in range(x0, x1 + 1) for y in range(y0, y1 + 1)}


def line(x0, y0, x1, y1):
    """Bresenham line, endpoints included."""
    pts = set()
    dx, dy = abs(x1 - x0), -abs(y1 - y0)
    sx = 1 if x0 < x1 else -1
    sy = 1 if y0 < y1 else -1
    err = dx + dy
    while True:
        pts.add((x0, y0))
        if x0 == x1 and y0 == y1:
            return pts
        e2 = 2 * err
        if e2 >= dy:
            err += dy
            x0 += sx
        if e2 <= dx:
            err += dx
            y0 += sy


def polyline(points):
    pts = set()
    for a, b in zip(points, points[1:]):
        pts |= line(a[0], a[1], b[0], b[1])
    return pts


def inside_polygon(px, py, poly):
    inside = False
    n = len(poly)
    for i in range(n):
        x0, y0 = poly[i]
        x1, y1 = poly[(i + 1) % n]
        if (y0 > py) != (y1 > py):
            xc = x0 + (py - y0) * (x1 - x0) / (y1 - y0)
            if px < xc:
                inside = not inside
    return inside


def polygon(poly, w=64, h=64):
    """Pixels whose centres lie inside the polygon (vertex coordinates are
    pixel edges, so a vertex (3,5) is the top-left corner of pixel (3,5))."""
    return {(x, y) for y in range(h) for x in range(w)
            if inside_polygon(x + 0.5, y + 0.5, poly)}


def circle(cx, cy, r):
    """Pixels whose centres lie within radius r of (cx, cy)."""
    return {(x, y)
            for y in range(int(cy - r) - 1, int(cy + r) + 2)
            for x in range(int(cx - r) - 1, int(cx + r) + 2)
            if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r}


def ellipse(cx, cy, rx, ry):
    return {(x, y)
            for y in range(int(cy - ry) - 1, int(cy + ry) + 2)
            for x in range(int(cx - rx) - 1, int(cx + rx) + 2)
            if ((x + 0.5 - cx) / rx) ** 2 + ((y + 0.5 - cy) / ry) ** 2 <= 1.0}


def thick_segment(x0, y0, x1, y1, r):
    """Pixels whose centres lie within r of the segment (x0,y0)-(x1,y1)."""
    pts = set()
    for y in range(int(min(y0, y1) - r) - 1, int(max(y0, y1) + r) + 2):
        for x in range(int(min(x0, x1) - r) - 1, int(max(x0, x1) + r) + 2):
            px, py = x + 0.5, y + 0.5
            vx, vy = x1 - x0, y1 - y0
            t = ((px - x0) * vx + (py - y0) * vy) / (vx * vx + vy * vy)
            t = max(0.0, min(1.0, t))
            qx, qy = x0 + t * vx, y0 + t * vy
            if (px - qx) ** 2 + (py - qy) ** 2 <= r * r:
                pts.add((x, y))
    return pts


def border(mask):
    """Pixels of the mask that touch (4-neighbour) a pixel outside it."""
    return {(x, y) for (x, y) in mask
            if (x - 1, y) not in mask or (x + 1, y) not in mask
            or (x, y - 1) not in mask or (x, y + 1) not in mask}


def outer_border(mask):
    """Pixels just outside the mask that touch it (8-neighbour)."""
    out = set()
    for (x, y) in mask:
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                q = (x + dx, y + dy)
                if q not in mask:
                    out.add(q)
    return out


# ---------------------------------------------------------------------------
# Reusable drawings
# ---------------------------------------------------------------------------

def draw_page(c, x0, y0, x1, y1, fold=0, lines=(), shade=True):
    """A white sheet with an optional folded top-right corner and grey lines.

    lines: sequence of (y, x_from, x_to) in absolute coordinates."""
    if fold:
        outline = [(x0, y0), (x1 + 1 - fold, y0), (x1 + 1, y0 + fold),
                   (x1 + 1, y1 + 1), (x0, y1 + 1)]
        m = polygon(outline, c.w, c.h)
    else:
        m = rect(x0, y0, x1, y1)
    c.fill(m, P_WHITE)
    if shade:  # a faint shadow along the right and bottom inside edges
        c.fill({(x, y) for (x, y) in m if x == x1 - 1 and y > y0 + fold},
               P_SHADE)
        c.fill({(x, y) for (x, y) in m if y == y1 - 1 and x > x0}, P_SHADE)
    for (ly, lx0, lx1) in lines:
        c.line(lx0, ly, lx1, ly, P_TEXT)
    c.fill(border(m), P_OUT)
    if fold:
        # The folded-over corner: a small grey triangle with an outline.
        fx = x1 + 1 - fold
        tri = {(x, y) for x in range(fx, x1 + 1) for y in range(y0, y0 + fold)
               if (x - fx) <= (y - y0)}
        c.fill(tri, "#C4C4C4")
        c.fill({(x, y) for (x, y) in tri if x == fx or y == y0 + fold - 1
                or (x - fx) == (y - y0)}, P_OUT)
    return m


def draw_closed_folder(c, x0, y0, x1, y1, tab_w):
    """A closed folder: tab on the top-left, front covering the body."""
    tab = polygon([(x0, y0), (x0 + tab_w, y0), (x0 + tab_w + 2, y0 + 3),
                   (x0 + tab_w + 2, y0 + 4), (x0, y0 + 4)], c.w, c.h)
    back = rect(x0, y0 + 2, x1, y1)
    c.shape(tab | back, F_BACK, F_OUT)
    front = rect(x0, y0 + 4, x1, y1)
    c.fill(front, F_FRONT)
    # light top edge, shaded bottom edge
    c.line(x0 + 1, y0 + 5, x1 - 1, y0 + 5, F_LIGHT)
    c.line(x0 + 1, y0 + 5, x0 + 1, y1 - 1, F_LIGHT)
    c.line(x0 + 1, y1 - 1, x1 - 1, y1 - 1, F_SHADE)
    c.line(x1 - 1, y0 + 6, x1 - 1, y1 - 1, F_SHADE)
    c.fill(border(front), F_OUT)
    return front


# Globe colours and continents (continent polygons in unit-disc coordinates).
G_OUT = "#0B2450"
OCEAN = ["#1F6FBF", "#3A93DE", "#66B6F2", "#B8E2FF"]   # dark .. highlight
LAND = ["#2E7D32", "#48A83E", "#7CCB5A", "#C8F0A8"]
CONTINENTS = [
    # the Americas, on the left
    [(-0.80, -0.55), (-0.45, -0.78), (-0.05, -0.72), (0.02, -0.48),
     (-0.22, -0.30), (-0.30, -0.08), (-0.10, 0.12), (0.00, 0.35),
     (-0.15, 0.62), (-0.28, 0.95), (-0.40, 0.60), (-0.48, 0.25),
     (-0.62, 0.00), (-0.72, -0.25)],
    # Europe and Africa, on the right
    [(0.28, -0.80), (0.62, -0.70), (0.78, -0.42), (0.62, -0.30),
     (0.82, -0.05), (0.78, 0.28), (0.55, 0.58), (0.42, 0.78),
     (0.30, 0.45), (0.18, 0.12), (0.22, -0.10), (0.35, -0.30),
     (0.20, -0.50)],
]


def draw_globe(c, cx, cy, r):
    m = circle(cx, cy, r)
    lx, ly, lz = -0.55, -0.6, 0.58          # light from the upper left
    ln = math.sqrt(lx * lx + ly * ly + lz * lz)
    lx, ly, lz = lx / ln, ly / ln, lz / ln
    for (x, y) in m:
        u = (x + 0.5 - cx) / r
        v = (y + 0.5 - cy) / r
        z = math.sqrt(max(0.0, 1.0 - u * u - v * v))
        lit = u * lx + v * ly + z * lz
        level = 0 if lit < 0.35 else 1 if lit < 0.75 else 2 if lit < 0.95 else 3
        land = any(inside_polygon(u, v, p) for p in CONTINENTS)
        c.set(x, y, (LAND if land else OCEAN)[level])
    c.fill(border(m), G_OUT)
    return m


# A mouse pointer: K = black outline, W = white body.
ARROW = [
    "K",
    "KK",
    "KWK",
    "KWWK",
    "KWWWK",
    "KWWWWK",
    "KWWWWWK",
    "KWWWWWWK",
    "KWWWWWWWK",
    "KWWWWWWWWK",
    "KWWWWWKKKKK",
    "KWWKWWK",
    "KWK.KWWK",
    "KK..KWWK",
    "K....KWWK",
    ".....KWWK",
    "......KK",
]


# ---------------------------------------------------------------------------
# The pictures
# ---------------------------------------------------------------------------

def picture_open():
    c = Canvas(33, 33, BLUE_BG)
    # Back panel with its tab.
    back = polygon([(2, 6), (11, 6), (13, 9), (28, 9), (28, 29), (2, 29)], 33, 33)
    c.shape(back, F_BACK, F_OUT)
    c.fill({(x, y) for (x, y) in back if y >= 11 and 3 <= x <= 26
            and (x, y) not in border(back)}, F_BACK_DK)
    # The sheet of paper sticking out of the folder.
    draw_page(c, 7, 3, 24, 24, lines=[(6, 10, 20), (8, 10, 18), (10, 10, 21),
                                      (12, 10, 16)], shade=False)
    # Front flap, tilted because the folder is open.
    front = polygon([(8, 14), (32, 14), (28, 29), (1, 29)], 33, 33)
    c.fill(front, F_FRONT)
    for (x, y) in front:
        if y == 15:
            c.set(x, y, F_LIGHT)
        elif y >= 27:
            c.set(x, y, F_SHADE)
    c.fill(border(front), F_OUT)
    return c


def picture_closed():
    c = Canvas(33, 33, BLUE_BG)
    draw_closed_folder(c, 2, 5, 30, 28, 10)
    # A blue asterisk on the front.
    cx, cy, r = 16.5, 18.5, 6.0
    star = set()
    for ang in (90, 30, 150):
        a = math.radians(ang)
        dx, dy = r * math.cos(a), r * math.sin(a)
        star |= thick_segment(cx - dx, cy - dy, cx + dx, cy + dy, 1.05)
    c.fill(outer_border(star) & rect(3, 10, 29, 27), "#1A3A8A")
    c.fill(star, "#2F6BEA")
    c.fill({(x, y) for (x, y) in star if (x - 1, y - 1) not in star}, "#6E9BFF")
    return c


def picture_code():
    c = Canvas(33, 33, BLUE_BG)
    lines = [(7, 7, 13), (10, 9, 18), (13, 9, 16), (16, 9, 19),
             (19, 7, 14), (22, 9, 17), (25, 9, 18)]
    page = draw_page(c, 3, 2, 23, 29, fold=6, lines=lines)
    ax, ay = 16, 11
    arrow = {(ax + i, ay + j) for j, row in enumerate(ARROW)
             for i, ch in enumerate(row) if ch not in ". "}
    # A soft drop shadow one pixel down and right of the pointer.
    for (x, y) in {(x + 1, y + 1) for (x, y) in arrow} - arrow:
        c.set(x, y, "#A0A0A0" if (x, y) in page else "#34589A")
    c.sprite(ax, ay, ARROW, {"K": "#000000", "W": "#FFFFFF"})
    return c


def picture_add():
    c = Canvas(33, 33, BLUE_BG)
    # Three stacked pages, back to front.
    draw_page(c, 15, 1, 29, 19)
    draw_page(c, 12, 3, 26, 21)
    draw_page(c, 9, 5, 23, 23, fold=4,
              lines=[(9, 12, 18), (12, 12, 20), (15, 12, 17), (18, 12, 19)])
    # A folder in front, bottom left.
    draw_closed_folder(c, 1, 17, 17, 30, 6)
    # A globe in front, bottom right.
    draw_globe(c, 24.5, 24.0, 7.6)
    return c


def picture_find():
    c = Canvas(33, 33, BLUE_BG)
    draw_globe(c, 13.0, 13.0, 11.5)
    # The mouse's cable: from the mouse's nose up to the right edge.
    cable = polyline([(25, 17), (25, 15), (26, 12), (28, 9), (30, 7),
                      (31, 5), (31, 0)])
    c.fill(cable, "#202020")
    # The mouse body: an upright egg shape, light grey, shaded on the right.
    body = ellipse(25.5, 24.5, 5.8, 6.8)
    for (x, y) in body:
        u = (x + 0.5 - 25.5) / 5.8
        v = (y + 0.5 - 24.5) / 6.8
        lit = -0.6 * u - 0.5 * v
        col = "#FFFFFF" if lit > 0.45 else "#E4E4E4" if lit > -0.2 else "#B4B4B4"
        c.set(x, y, col)
    # Buttons: a split line down the middle and a line across.
    c.line(25, 18, 25, 22, "#606060")
    for x in range(19, 33):
        if (x, 23) in body:
            c.set(x, 23, "#606060")
    c.fill(border(body), "#202020")
    return c


def picture_star():
    c = Canvas(33, 33, BLUE_BG)
    cx, cy = 16.5, 17.4
    ro, ri = 15.4, 6.4
    pts = []
    for i in range(10):
        a = math.radians(-90 + 36 * i)
        r = ro if i % 2 == 0 else ri
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    m = polygon(pts, 33, 33)
    # Bevelled facets: each arm is split along its axis into two halves that
    # catch the light (from the upper left) differently.
    light = math.radians(-125)
    for (x, y) in m:
        dx, dy = x + 0.5 - cx, y + 0.5 - cy
        ang = math.degrees(math.atan2(dy, dx)) + 90.0     # 0 = up, clockwise
        k = round(ang / 72.0)
        side = 1 if ang - 72.0 * k >= 0 else -1
        normal = math.radians(-90 + 72.0 * k + side * 40.0)
        lit = math.cos(normal - light)
        col = "#FFF07A" if lit > 0.55 else "#FFD21E" if lit > -0.2 else "#EDAA00"
        c.set(x, y, col)
    c.fill(border(m), "#8A5200")
    return c


def computer32(c, x, y):
    """A little PC (monitor on a flat desktop case), 12 wide, 13 tall."""
    K, S, G, W = VGA["black"], VGA["silver"], VGA["grey"], VGA["white"]
    # monitor
    c.rect(x + 1, y, x + 10, y + 8, S)
    c.line(x + 1, y, x + 10, y, K)
    c.line(x + 1, y + 8, x + 10, y + 8, K)
    c.line(x + 1, y, x + 1, y + 8, K)
    c.line(x + 10, y, x + 10, y + 8, K)
    c.line(x + 2, y + 1, x + 9, y + 1, W)
    c.line(x + 2, y + 1, x + 2, y + 7, W)
    c.line(x + 9, y + 2, x + 9, y + 7, G)
    c.line(x + 3, y + 7, x + 9, y + 7, G)
    c.rect(x + 3, y + 2, x + 8, y + 6, VGA["navy"])
    c.rect(x + 3, y + 2, x + 8, y + 2, VGA["teal"])
    c.set(x + 3, y + 3, VGA["teal"])
    c.line(x + 4, y + 3, x + 6, y + 3, VGA["cyan"])
    c.line(x + 4, y + 5, x + 5, y + 5, VGA["cyan"])
    # neck
    c.line(x + 5, y + 9, x + 6, y + 9, K)
    # flat desktop case
    c.rect(x, y + 10, x + 11, y + 12, S)
    c.line(x, y + 10, x + 11, y + 10, K)
    c.line(x, y + 12, x + 11, y + 12, K)
    c.line(x, y + 10, x, y + 12, K)
    c.line(x + 11, y + 10, x + 11, y + 12, K)
    c.line(x + 2, y + 11, x + 5, y + 11, G)
    c.set(x + 9, y + 11, VGA["lime"])


def picture_app32():
    c = Canvas(32, 32, NONE)
    # Cables first, so the computers sit on top of them.
    # Each cable is two pixels wide: a red line with a maroon shadow line.
    for (x0, y0, x1, y1, dx, dy) in ((9, 6, 4, 18, 1, 0), (22, 6, 27, 18, 1, 0),
                                     (11, 25, 20, 25, 0, 1)):
        c.line(x0, y0, x1, y1, VGA["red"])
        c.line(x0 + dx, y0 + dy, x1 + dx, y1 + dy, VGA["maroon"])
    computer32(c, 10, 0)
    computer32(c, 0, 19)
    computer32(c, 20, 19)
    return c


PC16 = [
    "KKKKKK",
    "KCCTTK",
    "KCTTNK",
    "KKKKKK",
    ".KGGK.",
    "KSSSLK",
    "KKKKKK",
]


def picture_app16():
    c = Canvas(16, 16, NONE)
    colors = {"K": VGA["black"], "C": VGA["cyan"], "T": VGA["teal"],
              "N": VGA["navy"], "G": VGA["grey"], "S": VGA["silver"],
              "L": VGA["lime"]}
    for seg in ([(5, 3), (2, 8)], [(10, 3), (13, 8)], [(6, 13), (9, 13)]):
        (x0, y0), (x1, y1) = seg
        c.line(x0, y0, x1, y1, VGA["red"])
    c.sprite(5, 0, PC16, colors)
    c.sprite(0, 9, PC16, colors)
    c.sprite(10, 9, PC16, colors)
    return c


# ---------------------------------------------------------------------------
# XPM output
# ---------------------------------------------------------------------------

# One character per colour; ' ' is kept for "None" (transparent).  The
# letters c, g, m and s are left out so that colour lines such as
# "a c #FF0000" stay easy to read next to the XPM colour keys.
CODE_CHARS = (".#abdefhijklnopqrtuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
              "0123456789+@$%&*=-;:>,<")


def to_xpm(c, name):
    colors = []
    for row in c.px:
        for col in row:
            if col not in colors:
                colors.append(col)
    # Put the background / transparency first so it gets the '.' code,
    # then assign one character per colour.
    if c.px[0][0] in colors:
        colors.remove(c.px[0][0])
        colors.insert(0, c.px[0][0])
    if NONE in colors:
        colors.remove(NONE)
        colors.insert(0, NONE)
    codes = {}
    chars = list(CODE_CHARS)
    if NONE in colors:
        codes[NONE] = " "
    for col in colors:
        if col not in codes:
            codes[col] = chars.pop(0)
    lines = ["/* XPM */",
             "static const char *const %s_xpm[] = {" % name,
             "/* columns rows colors chars-per-pixel */",
             '"%d %d %d 1",' % (c.w, c.h, len(colors))]
    for col in colors:
        lines.append('"%s c %s",' % (codes[col], col))
    lines.append("/* pixels */")
    rows = ['"%s"' % "".join(codes[p] for p in row) for row in c.px]
    lines.append(",\n".join(rows))
    lines.append("};")
    return "\n".join(lines) + "\n"


def rgba(col):
    if col == NONE:
        return b"\0\0\0\0"
    return bytes.fromhex(col[1:]) + b"\xff"


def to_png(c, scale):
    """The canvas as an RGBA PNG, each pixel drawn as scale x scale."""
    raw = bytearray()
    for row in c.px:
        line = b"\0" + b"".join(rgba(p) * scale for p in row)
        raw += line * scale

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
    header = struct.pack(">IIBBBBB", c.w * scale, c.h * scale, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


# Desktop icon size: the picture it is enlarged from and the factor.
ICONS = [(16, picture_app16, 1), (32, picture_app32, 1), (48, picture_app16, 3),
         (64, picture_app32, 2), (128, picture_app32, 4), (256, picture_app32, 8)]


PICTURES = [
    ("open", picture_open),
    ("closed", picture_closed),
    ("code", picture_code),
    ("add", picture_add),
    ("find", picture_find),
    ("star", picture_star),
    ("app32", picture_app32),
    ("app16", picture_app16),
]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = os.path.join(os.path.dirname(here), "resources", "images")
    os.makedirs(out_dir, exist_ok=True)
    for name, draw in PICTURES:
        canvas = draw()
        path = os.path.join(out_dir, name + ".xpm")
        with open(path, "w", encoding="ascii", newline="\n") as f:
            f.write(to_xpm(canvas, name))
        print("wrote", os.path.relpath(path, os.path.dirname(here)))
    icon_dir = os.path.join(os.path.dirname(here), "resources", "icons")
    os.makedirs(icon_dir, exist_ok=True)
    for size, draw, scale in ICONS:
        path = os.path.join(icon_dir, "quillbank-%d.png" % size)
        with open(path, "wb") as f:
            f.write(to_png(draw(), scale))
        print("wrote", os.path.relpath(path, os.path.dirname(here)))


if __name__ == "__main__":
    main()
