#!/usr/bin/env python3
"""Draws the module's icons and writes them as XPM files into res/icons/.

Each icon is a stack of filled shapes (strokes, discs, rings, polygons). Every pixel is
sampled 5 x 5 times, so edges get partial coverage; partly covered pixels are blended
towards the light grey of a button face, which gives antialiased edges on the dialogs'
buttons while the XPM keeps a plain transparent colour for the rest.

Run from anywhere:  python3 scripts/draw_icons.py
"""
import math
import os

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "res", "icons")
SAMPLES = 5
FACE = (0xEF, 0xEF, 0xEF)  # the button face the edges are blended towards


# ---- shapes: each is a predicate inside(x, y) in icon pixels (0..size) ------------------

def seg_dist(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = max(0.0, min(1.0, t))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def stroke(points, width):
    """A polyline with round caps and joins."""
    half = width / 2.0
    segs = list(zip(points, points[1:]))
    return lambda x, y: any(seg_dist(x, y, *a, *b) <= half for a, b in segs)


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r, width):
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - r) <= width / 2.0


def polygon(points):
    def inside(x, y):
        hit = False
        n = len(points)
        for i in range(n):
            (x1, y1), (x2, y2) = points[i], points[(i + 1) % n]
            if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
                hit = not hit
        return hit
    return inside


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def water_drop(cx, top, bottom, r):
    """A drop: a disc at the bottom and a pointed tip at the top, tangent to the disc."""
    cy = bottom - r
    d = cy - top
    a = math.asin(r / d)
    tx = r * math.cos(a)
    ty = cy - r * math.sin(a)
    return union(disc(cx, cy, r), polygon([(cx, top), (cx + tx, ty), (cx - tx, ty)]))


# ---- colours ------------------------------------------------------------------------------

def rgb(hexstr):
    return tuple(int(hexstr[i:i + 2], 16) for i in (1, 3, 5))


def vertical(top_hex, bottom_hex, y0, y1):
    """A vertical gradient between two colours over rows y0..y1."""
    a, b = rgb(top_hex), rgb(bottom_hex)

    def colour(x, y):
        t = max(0.0, min(1.0, (y - y0) / float(y1 - y0)))
        return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))
    return colour


def flat(hexstr):
    c = rgb(hexstr)
    return lambda x, y: c


# ---- rendering ----------------------------------------------------------------------------

def render(size, layers, scale):
    """layers: (shape, colour) drawn in order; shapes are given for a 32-pixel grid and
    scaled by `scale`. Returns rows of (r, g, b, coverage)."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0]
            covered = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) / scale
                    y = (py + (sy + 0.5) / SAMPLES) / scale
                    colour = None
                    for shape, paint in layers:
                        if shape(x, y):
                            colour = paint(x, y)
                    if colour is not None:
                        covered += 1
                        for i in range(3):
                            acc[i] += colour[i]
            if covered:
                row.append(tuple(acc[i] / covered for i in range(3)) + (covered / SAMPLES ** 2,))
            else:
                row.append(None)
        rows.append(row)
    return rows


def quantise(pixel):
    """Blends an edge pixel towards the button face and rounds to a 4-bit grid per channel,
    which keeps the palette small; pixels less than a fifth covered stay transparent."""
    if pixel is None or pixel[3] < 0.2:
        return None
    a = pixel[3]
    out = []
    for i in range(3):
        v = pixel[i] * a + FACE[i] * (1 - a)
        out.append(min(255, int(round(v / 17.0)) * 17))
    return tuple(out)


CODES = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+-*/=@$%&"


def write_xpm(name, size, layers):
    rows = render(size, layers, size / 32.0)
    pixels = [[quantise(p) for p in row] for row in rows]
    palette = sorted({p for row in pixels for p in row if p is not None})
    if len(palette) + 1 > len(CODES) ** 2:
        raise SystemExit(name + ": too many colours")
    cpp = 1 if len(palette) < len(CODES) else 2

    def code(i):
        return CODES[i] if cpp == 1 else CODES[i // len(CODES)] + CODES[i % len(CODES)]
    blank = " " * cpp
    index = {c: code(i) for i, c in enumerate(palette)}
    lines = ['"%d %d %d %d",' % (size, size, len(palette) + 1, cpp), '"%s c None",' % blank]
    lines += ['"%s c #%02X%02X%02X",' % ((index[c],) + c) for c in palette]
    body = ['"%s"' % "".join(blank if p is None else index[p] for p in row) for row in pixels]
    ident = "xpm_" + name.replace("-", "_")
    text = ("/* XPM */\n/* Drawn by scripts/draw_icons.py; regenerate rather than edit. */\n"
            "static const char* const %s[] = {\n" % ident
            + "\n".join(lines) + "\n" + ",\n".join(body) + "};\n")
    with open(os.path.join(OUT, name + ".xpm"), "w") as f:
        f.write(text)


# ---- the icons (drawn on a 32 x 32 grid) ---------------------------------------------------

def check_mark():
    path = [(6.5, 17.0), (13.0, 23.5), (25.5, 8.5)]
    return [
        (stroke(path, 7.0), flat("#1E6B24")),
        (stroke(path, 4.6), vertical("#7DDB6A", "#2E9E3A", 8, 24)),
    ]


def red_cross():
    a = [(8.5, 8.5), (23.5, 23.5)]
    b = [(23.5, 8.5), (8.5, 23.5)]
    return [
        (union(stroke(a, 7.0), stroke(b, 7.0)), flat("#8A1414")),
        (union(stroke(a, 4.6), stroke(b, 4.6)), vertical("#FF7A6E", "#D42A20", 8, 24)),
    ]


def pick_symbol(small=False):
    # At 16 pixels the hairs sit on whole pixel columns (centre 7.5 px), one pixel wide.
    c, w, end = (15.0, 2.0, 29.0) if small else (16.0, 2.2, 30.5)
    hairs = union(stroke([(c, 1.5), (c, c - 5.0)], w), stroke([(c, c + 5.0), (c, end)], w),
                  stroke([(1.5, c), (c - 5.0, c)], w), stroke([(c + 5.0, c), (end, c)], w))
    return [
        (ring(c, c, 9.0, w), flat("#202830")),
        (hairs, flat("#202830")),
        (disc(c, c, 3.0 if not small else 2.6), flat("#D42A20")),
    ]


def logo():
    # A water drop carrying a small pipe network: three mains meeting at a node.
    drop = water_drop(16.0, 1.5, 30.5, 10.5)
    inner = water_drop(16.0, 4.0, 28.6, 8.6)
    pipes = union(stroke([(10.0, 25.0), (16.0, 19.0)], 2.0), stroke([(22.0, 25.0), (16.0, 19.0)], 2.0),
                  stroke([(16.0, 19.0), (16.0, 11.5)], 2.0))
    nodes = union(disc(16.0, 19.0, 2.6), disc(10.0, 25.0, 1.9), disc(22.0, 25.0, 1.9),
                  disc(16.0, 11.5, 1.9))
    return [
        (drop, flat("#0B3E78")),
        (inner, vertical("#6EC3F5", "#1565B8", 4, 29)),
        (pipes, flat("#FFFFFF")),
        (nodes, flat("#FFFFFF")),
    ]


def show_symbol():
    # A magnifying glass over an entity of the drawing: "take the class from what I point at".
    lens = disc(13.0, 13.0, 8.2)
    glass = disc(13.0, 13.0, 6.4)
    handle = stroke([(19.0, 19.0), (28.0, 28.0)], 4.6)
    entity = union(stroke([(7.5, 16.5), (18.5, 9.5)], 2.0), disc(13.0, 13.0, 2.4))
    return [
        (union(lens, handle), flat("#202830")),
        (glass, vertical("#EAF6FF", "#9CCFF2", 6, 20)),
        (entity, flat("#1565B8")),
    ]


def main():
    os.makedirs(OUT, exist_ok=True)
    write_xpm("ok-32", 32, check_mark())
    write_xpm("cancel-32", 32, red_cross())
    write_xpm("pick-32", 32, pick_symbol())
    write_xpm("pick-16", 16, pick_symbol(small=True))
    write_xpm("logo-32", 32, logo())
    write_xpm("show-24", 24, show_symbol())


if __name__ == "__main__":
    main()
