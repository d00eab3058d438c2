#!/usr/bin/env python3
"""Writes the icon SVGs, one file per pixel size: the folder-status icons,
one per slot, and the application icon.

Every SVG uses a viewBox equal to its target pixel size, and the main edges
are snapped to whole pixels for that size, so each raster comes out crisp
instead of being a blurry downscale of one master drawing. The smallest sizes
(16, 20, 24) use hand-placed pixel marks because vector marks smear there.

Usage: make_svgs.py OUTDIR
Output is plain text with fixed number formatting, so reruns are identical.
"""

import math
import os
import sys

STATUS_SIZES = (16, 20, 24, 32, 40, 48, 64, 256)
APP_SIZES = STATUS_SIZES

WHITE = "#ffffff"

# slot: (front face, back panel + tab, mark kind)
SLOTS = (
    ("#f3c447", "#d99e21", None),        # 0 plain folder
    ("#e0423a", "#a82820", "bang"),      # 1 required
    ("#f5871f", "#c4620c", "star"),      # 2 important
    ("#2f7ed8", "#1d5aa6", "arrow"),     # 3 in progress
    ("#8d949e", "#646a73", "dots"),      # 4 not yet handled
    ("#3aa24a", "#25772f", "person"),    # 5 personal
    ("#8c4fcb", "#62329a", "one"),       # 6 plan 1
    ("#15a19c", "#0d7471", "two"),       # 7 plan 2
)

APP_TAG = "#3c4bbf"


def num(v):
    """Fixed formatting: at most two decimals, no trailing zeros."""
    s = "%.2f" % v
    s = s.rstrip("0").rstrip(".")
    return "0" if s in ("-0", "") else s


def rnd(v):
    """Round half up (Python's round() is banker's rounding)."""
    return int(math.floor(v + 0.5))


def pts(points):
    return " ".join("%s,%s" % (num(x), num(y)) for x, y in points)


def rect(x, y, w, h, fill, rx=0):
    r = ' rx="%s"' % num(rx) if rx else ""
    return '<rect x="%s" y="%s" width="%s" height="%s"%s fill="%s"/>' % (
        num(x), num(y), num(w), num(h), r, fill)


def circle(cx, cy, r, fill):
    return '<circle cx="%s" cy="%s" r="%s" fill="%s"/>' % (num(cx), num(cy), num(r), fill)


def polygon(points, fill):
    return '<polygon points="%s" fill="%s"/>' % (pts(points), fill)


def path(d, fill):
    return '<path d="%s" fill="%s"/>' % (d, fill)


def bitmap(rows, x0, y0, fill):
    """Pixel-exact mark: '#' is a lit pixel, '+' a half-covered edge pixel
    (hand antialiasing). Runs on a row merge into one rect."""
    out = []
    for j, row in enumerate(rows):
        i = 0
        while i < len(row):
            c = row[i]
            if c in "#+":
                k = i
                while k < len(row) and row[k] == c:
                    k += 1
                r = rect(x0 + i, y0 + j, k - i, 1, fill)
                if c == "+":
                    r = r.replace("/>", ' fill-opacity="0.5"/>')
                out.append(r)
                i = k
            else:
                i += 1
    return out


class Folder:
    """Pixel-snapped folder metrics for one size (design grid is 16 units)."""

    def __init__(self, n):
        u = n / 16.0
        self.n = n
        self.left = rnd(1 * u)
        self.right = n - self.left
        self.tab_top = rnd(2 * u)
        self.back_top = rnd(4 * u)
        self.front_top = rnd(5 * u)
        self.bottom = rnd(14 * u)
        self.tab_right = rnd(7 * u)
        self.radius = 0 if n < 32 else n / 32.0
        # mark box: centred on the front face, height with matching parity
        face = self.bottom - self.front_top
        h = rnd(7 * u)
        if (face - h) % 2:
            h += 1
        self.mark_h = h
        self.mark_top = self.front_top + (face - h) // 2
        self.cx = n / 2.0
        self.cy = self.mark_top + h / 2.0
        self.stroke = max(2, rnd(n / 8.0))

    def back(self, fill):
        L, R, T, B = self.left, self.right, self.tab_top, self.back_top
        bot = self.front_top + 1
        r = self.radius
        if r == 0:
            return [rect(L, T, self.tab_right - L, B - T, fill),
                    rect(L, B, R - L, bot - B, fill)]
        slant = (B - T) * 0.5
        tr = self.tab_right
        d = ("M%s,%s" % (num(L), num(T + r)) +
             " Q%s,%s %s,%s" % (num(L), num(T), num(L + r), num(T)) +
             " L%s,%s" % (num(tr - slant), num(T)) +
             " Q%s,%s %s,%s" % (num(tr - slant * 0.4), num(T), num(tr), num((T + B) / 2.0)) +
             " Q%s,%s %s,%s" % (num(tr + slant * 0.4), num(B), num(tr + slant), num(B)) +
             " L%s,%s" % (num(R - r), num(B)) +
             " Q%s,%s %s,%s" % (num(R), num(B), num(R), num(B + r)) +
             " L%s,%s L%s,%s Z" % (num(R), num(bot), num(L), num(bot)))
        return [path(d, fill)]

    def front(self, fill):
        return [rect(self.left, self.front_top, self.right - self.left,
                     self.bottom - self.front_top, fill, self.radius)]


# Hand-placed marks for the small sizes, keyed by (kind, mark height):
# 7 rows at 16 px, 10 at 20 px, 11 at 24 px. Each is centred on the front
# face. Dots at 20 and 24 px come out as whole-pixel squares from
# vector_mark and need no table.
SMALL_MARKS = {
    ("bang", 7): ["##",
                  "##",
                  "##",
                  "##",
                  "..",
                  "##",
                  "##"],
    ("bang", 10): ["+##+",
                   "+##+",
                   ".##.",
                   ".##.",
                   ".##.",
                   ".##.",
                   ".##.",
                   "....",
                   ".##.",
                   ".##."],
    ("bang", 11): ["+##+",
                   "####",
                   "####",
                   "####",
                   "+##+",
                   ".##.",
                   ".##.",
                   "....",
                   "+##+",
                   "####",
                   "+##+"],
    ("star", 7): ["...#...",
                  "..###..",
                  "#######",
                  ".#####.",
                  "..###..",
                  ".##.##.",
                  ".#...#."],
    ("star", 10): ["....##....",
                   "....##....",
                   "...####...",
                   "##########",
                   "+########+",
                   ".+######+.",
                   "..######..",
                   ".+######+.",
                   ".###++###.",
                   ".##+..+##."],
    ("star", 11): [".....#.....",
                   "....###....",
                   "....###....",
                   "+#########+",
                   ".#########.",
                   "..#######..",
                   "...#####...",
                   "..#######..",
                   "..###+###..",
                   ".###...###.",
                   ".#+.....+#."],
    ("arrow", 7): ["....#...",
                   "....##..",
                   "#######.",
                   "########",
                   "#######.",
                   "....##..",
                   "....#..."],
    ("arrow", 10): [".....#....",
                    ".....##...",
                    ".....###..",
                    "########+.",
                    "##########",
                    "##########",
                    "########+.",
                    ".....###..",
                    ".....##...",
                    ".....#...."],
    ("arrow", 11): ["......#....",
                    "......##...",
                    "......###..",
                    "......####.",
                    "##########.",
                    "###########",
                    "##########.",
                    "......####.",
                    "......###..",
                    "......##...",
                    "......#...."],
    ("person", 7): [".+##+.",
                    ".####.",
                    ".+##+.",
                    "......",
                    ".+##+.",
                    "######",
                    "######"],
    ("person", 10): ["..+##+..",
                     "..####..",
                     "..####..",
                     "..+##+..",
                     "........",
                     "..+##+..",
                     ".+####+.",
                     "+######+",
                     "########",
                     "########"],
    ("person", 11): ["..+##+..",
                     "..####..",
                     "..####..",
                     "..####..",
                     "..+##+..",
                     "........",
                     ".+####+.",
                     "+######+",
                     "########",
                     "########",
                     "########"],
    ("one", 7): ["..##.",
                 ".###.",
                 "..##.",
                 "..##.",
                 "..##.",
                 "..##.",
                 ".####"],
    ("one", 10): ["..##..",
                  ".###..",
                  "####..",
                  "..##..",
                  "..##..",
                  "..##..",
                  "..##..",
                  "..##..",
                  "######",
                  "######"],
    ("one", 11): ["...###.",
                  "..####.",
                  ".#####.",
                  "##+###.",
                  "...###.",
                  "...###.",
                  "...###.",
                  "...###.",
                  "...###.",
                  "#######",
                  "#######"],
    ("two", 7): [".####.",
                 "##..##",
                 "....##",
                 "...##.",
                 "..##..",
                 ".##...",
                 "######"],
    ("two", 10): ["+####+",
                  "##..##",
                  "....##",
                  "....##",
                  "...##+",
                  "..##+.",
                  ".##+..",
                  "##+...",
                  "######",
                  "######"],
    ("two", 11): [".+####+.",
                  "########",
                  "###..###",
                  ".....###",
                  "....###+",
                  "...###+.",
                  "..###+..",
                  ".###+...",
                  "###+....",
                  "########",
                  "########"],
}


def small_mark(kind, f):
    rows = SMALL_MARKS.get((kind, f.mark_h))
    if rows is None:
        return None
    w = len(rows[0])
    x0 = int(math.floor(f.cx - w / 2.0))
    return bitmap(rows, x0, f.mark_top, WHITE)


def vector_mark(kind, f):
    """Marks for sizes without a hand-placed one, scaled from the mark box."""
    h = f.mark_h
    t = f.mark_top
    cx, cy = f.cx, f.cy
    w = f.stroke
    big = f.n >= 32
    if kind == "bang":
        gap = max(1, rnd(w * 0.55))
        bar_h = h - w - gap
        x = math.floor(cx - w / 2.0)
        if big:
            top_w = w * 1.3
            bot_w = w * 0.9
            r = top_w / 2.0
            d = ("M%s,%s" % (num(cx - top_w / 2), num(t + r)) +
                 " A%s,%s 0 0 1 %s,%s" % (num(r), num(r), num(cx + top_w / 2), num(t + r)) +
                 " L%s,%s" % (num(cx + bot_w / 2), num(t + bar_h - bot_w / 2)) +
                 " A%s,%s 0 0 1 %s,%s" % (num(bot_w / 2), num(bot_w / 2),
                                         num(cx - bot_w / 2), num(t + bar_h - bot_w / 2)) +
                 " Z")
            return [path(d, WHITE), circle(cx, t + h - w / 2.0, w * 0.62, WHITE)]
        return [rect(x, t, w, bar_h, WHITE), rect(x, t + h - w, w, w, WHITE)]
    if kind == "star":
        ro = h * 0.56
        ri = ro * 0.45
        c_y = cy + h * 0.06
        p = []
        for i in range(10):
            a = math.pi * (-0.5 + i / 5.0)
            r = ro if i % 2 == 0 else ri
            p.append((cx + r * math.cos(a), c_y + r * math.sin(a)))
        return [polygon(p, WHITE)]
    if kind == "arrow":
        head_w = h * 0.55
        width = h * 1.15
        x0 = cx - width / 2.0
        sh = max(2, rnd(h * 0.36))
        if (h - sh) % 2:
            sh += 1
        sy = t + (h - sh) / 2.0
        hx = x0 + width - head_w
        if big:
            hx = rnd(hx)
        p = [(x0, sy), (hx, sy), (hx, t), (x0 + width, cy), (hx, t + h),
             (hx, sy + sh), (x0, sy + sh)]
        return [polygon(p, WHITE)]
    if kind == "dots":
        d = max(2, rnd(h * 0.27))
        gap = max(2, rnd(d * 0.75))
        total = 3 * d + 2 * gap
        x0 = math.floor(cx - total / 2.0)
        y0 = math.floor(cy - d / 2.0)
        out = []
        for i in range(3):
            x = x0 + i * (d + gap)
            if big:
                out.append(circle(x + d / 2.0, y0 + d / 2.0, d / 2.0, WHITE))
            else:
                out.append(rect(x, y0, d, d, WHITE))
        return out
    if kind == "person":
        hr = h * 0.22
        head = circle(cx, t + hr, hr, WHITE)
        bw = h * 0.86
        by = t + h * 0.56
        bh = t + h - by
        r = bw / 2.0
        d = ("M%s,%s" % (num(cx - bw / 2), num(t + h)) +
             " L%s,%s" % (num(cx - bw / 2), num(by + min(r, bh))) +
             " A%s,%s 0 0 1 %s,%s" % (num(r), num(min(r, bh)), num(cx + bw / 2), num(by + min(r, bh))) +
             " L%s,%s Z" % (num(cx + bw / 2), num(t + h)))
        return [head, path(d, WHITE)]
    if kind == "one":
        sw = w * 1.05
        sx = cx - sw / 2.0 + h * 0.06
        base_w = h * 0.62
        base_h = max(1, w * 0.8)
        flag = [(sx, t), (sx + sw, t), (sx + sw, t + h), (sx, t + h),
                (sx, t + h * 0.3), (sx - h * 0.22, t + h * 0.42),
                (sx - h * 0.22, t + h * 0.22)]
        out = [polygon(flag, WHITE)]
        out.append(rect(cx - base_w / 2.0 + h * 0.06, t + h - base_h, base_w, base_h, WHITE))
        return out
    if kind == "two":
        sw = w * 0.95
        wd = h * 0.66
        x0 = cx - wd / 2.0
        r = (wd - sw) / 2.0
        acx = cx
        acy = t + sw / 2.0 + r
        # bowl from the left (a bit below centre) over the top to the right,
        # then a straight stroke to the bottom-left, then the base.
        a0 = math.radians(200)
        a1 = math.radians(375)
        steps = 24
        outer, inner = [], []
        ro, ri = r + sw / 2.0, r - sw / 2.0
        for i in range(steps + 1):
            a = a0 + (a1 - a0) * i / steps
            outer.append((acx + ro * math.cos(a), acy + ro * math.sin(a)))
            inner.append((acx + ri * math.cos(a), acy + ri * math.sin(a)))
        base_y = t + h - sw
        # the diagonal runs from the end of the bowl to the bottom-left corner
        ix, iy = inner[-1]
        shape = outer + [(x0 + sw * 1.45, base_y), (x0 + wd, base_y), (x0 + wd, t + h),
                         (x0, t + h), (x0, base_y + sw * 0.05), (ix, iy)] + inner[::-1]
        cap = circle(outer[0][0] * 0.5 + inner[0][0] * 0.5,
                     outer[0][1] * 0.5 + inner[0][1] * 0.5, sw / 2.0, WHITE)
        return [polygon(shape, WHITE), cap]
    raise ValueError(kind)


def svg_doc(n, body, title):
    head = ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" '
            'viewBox="0 0 %d %d">' % (n, n, n, n))
    return "\n".join(["<!-- Generated by make_svgs.py; edit that, not this. -->",
                      head, "<title>%s</title>" % title] +
                     ["  " + e for e in body] + ["</svg>", ""])


def status_svg(slot, n):
    front, back, kind = SLOTS[slot]
    f = Folder(n)
    body = f.back(back) + f.front(front)
    if kind:
        mark = small_mark(kind, f) if n < 32 else None
        body += mark if mark is not None else vector_mark(kind, f)
    return svg_doc(n, body, "folder status %d, %d px" % (slot, n))


# The tag at the small sizes, pointing up-left; 'o' is the white eyelet.
APP_TAGS = {
    16: ["####....",
         "#####...",
         "##o###..",
         "#######.",
         ".#######",
         "..######",
         "...####.",
         "....##.."],
    20: ["#####.....",
         "######....",
         "#######...",
         "###o####..",
         "#########.",
         ".#########",
         "..########",
         "...######.",
         "....####..",
         ".....##..."],
    24: ["#####.......",
         "######......",
         "#######.....",
         "###oo###....",
         "###oo####...",
         ".#########..",
         "..#########.",
         "...#########",
         "....#######.",
         ".....#####..",
         "......###...",
         ".......#...."],
}


def dilate(rows):
    """Rows grown by one pixel in all eight directions (for the clear gap)."""
    h, w = len(rows), len(rows[0])
    out = [["."] * (w + 2) for _ in range(h + 2)]
    for j in range(h):
        for i in range(w):
            if rows[j][i] != ".":
                for dj in (0, 1, 2):
                    for di in (0, 1, 2):
                        out[j + dj][i + di] = "#"
    return ["".join(r) for r in out]


def app_svg(n):
    """Application icon: the plain folder with a tag hanging off its corner."""
    front, back, _ = SLOTS[0]
    f = Folder(n)
    u = n / 16.0
    body = f.back(back) + f.front(front)
    if n in APP_TAGS:
        rows = APP_TAGS[n]
        tw, th = len(rows[0]), len(rows)
        tx, ty = n - tw - 1, n - th - 1
        cut = bitmap(dilate(rows), tx - 1, ty - 1, "#000")
        tag = bitmap([r.replace("o", ".") for r in rows], tx, ty, APP_TAG)
        tag += bitmap([r.replace("#", ".").replace("o", "#") for r in rows], tx, ty, WHITE)
    else:
        # a tag pointing up-left, on the lower right corner, cut out of the
        # folder by a clear gap
        length = 8.0 * u
        height = 5.0 * u
        tip = height / 2.0
        gap = max(1, rnd(0.8 * u))
        ccx, ccy = n - 4.9 * u, n - 4.9 * u

        def place(x, y):
            # tag space: x along the tag (tip at 0), y across; rotated 45 degrees
            x -= length / 2.0
            y -= height / 2.0
            c = math.sqrt(0.5)
            return (ccx + (x - y) * c, ccy + (x + y) * c)

        def shape():
            return [place(0, tip), place(tip, 0), place(length, 0),
                    place(length, height), place(tip, height)]
        # land the tip corner on a pixel corner so its two edges stay sharp
        tx, ty = place(0, tip)
        ccx += rnd(tx) - tx
        ccy += rnd(ty) - ty
        outline = shape()
        # a stroke twice the gap wide grows the shape by exactly the gap
        cut = [polygon(outline, "#000").replace(
            "/>", ' stroke="#000" stroke-width="%d" stroke-linejoin="miter"/>' % (2 * gap))]
        d = max(2, rnd(height * 0.3))
        hx, hy = place(tip * 1.1, tip)
        if d % 2:
            hx, hy = math.floor(hx) + 0.5, math.floor(hy) + 0.5
        else:
            hx, hy = rnd(hx), rnd(hy)
        tag = [polygon(outline, APP_TAG), circle(hx, hy, d / 2.0, WHITE)]
    body = (['<defs><mask id="m" maskUnits="userSpaceOnUse" x="0" y="0" '
             'width="%d" height="%d">' % (n, n),
             "  " + rect(0, 0, n, n, "#fff")] + ["  " + c for c in cut] +
            ["</mask></defs>", '<g mask="url(#m)">'] +
            ["  " + e for e in body] + ["</g>"] + tag)
    return svg_doc(n, body, "Vorelkin, %d px" % n)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_svgs.py OUTDIR")
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    files = {}
    for slot in range(len(SLOTS)):
        for n in STATUS_SIZES:
            files["fld%02d-%d.svg" % (slot, n)] = status_svg(slot, n)
    for n in APP_SIZES:
        files["app-%d.svg" % n] = app_svg(n)
    for name in sorted(files):
        with open(os.path.join(out, name), "w", newline="\n") as fh:
            fh.write(files[name])


if __name__ == "__main__":
    main()
