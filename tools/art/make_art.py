#!/usr/bin/env python3
"""Draws the game's pictures from the shape sources in tools/art/src/ into data/.

    python3 tools/art/make_art.py              # every picture
    python3 tools/art/make_art.py gift bg      # only these sources
    python3 tools/art/make_art.py --out /tmp/x # somewhere else than data/

A source with an `icon` line is the program's icon: it goes, shrunk to each size
it names, into a hicolor tree (packaging/icons/ unless --icons says otherwise),
and all those sizes into one Windows icon (packaging/windows/NAME.ico unless
--windows says otherwise).

Only the standard library: the PNG writer and the anti-aliased rasteriser are
below, and the same sources give the same bytes on every run. A source whose
`format` is jpg goes through ImageMagick's `convert` at the end.

The source language is described in tools/art/README.md.
"""

import argparse
import math
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCES = os.path.join(HERE, "src")
PALETTE = os.path.join(HERE, "palette.txt")
DATA = os.path.normpath(os.path.join(HERE, "..", "..", "data"))
ICONS = os.path.normpath(os.path.join(HERE, "..", "..", "packaging", "icons"))
WINDOWS = os.path.normpath(os.path.join(HERE, "..", "..", "packaging", "windows"))

SUBROWS = 4  # vertical samples per pixel row; horizontal coverage is exact


class ArtError(Exception):
    """A mistake in a source, with the file and line it comes from."""


# --------------------------------------------------------------------------
# PNG


def _chunk(tag, data):
    return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)


def png_bytes(width, height, channels, pixels, texts=()):
    """A PNG of 8-bit RGB (3 channels) or RGBA (4) rows, top row first, with
    (keyword, text) pairs as tEXt chunks."""
    colour_type = {3: 2, 4: 6}[channels]
    stride = width * channels
    if len(pixels) != stride * height:
        raise ValueError("pixel data does not match the size")
    raw = bytearray()
    previous = bytes(stride)
    for y in range(height):
        row = pixels[y * stride:(y + 1) * stride]
        raw.append(2)  # "up": smooth gradients shrink to almost nothing
        raw += bytes((a - b) & 0xFF for a, b in zip(row, previous))
        previous = row
    header = struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0)
    notes = b"".join(_chunk(b"tEXt", key.encode("latin-1") + b"\0" + text.encode("latin-1")) for key, text in texts)
    return (b"\x89PNG\r\n\x1a\n" + _chunk(b"IHDR", header) + notes + _chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + _chunk(b"IEND", b""))


# --------------------------------------------------------------------------
# Geometry: every shape ends up as a list of closed point loops.


def _quadratic(a, c, b):
    length = math.dist(a, c) + math.dist(c, b)
    steps = max(4, int(length / 3))
    return [((1 - t) ** 2 * a[0] + 2 * (1 - t) * t * c[0] + t * t * b[0],
             (1 - t) ** 2 * a[1] + 2 * (1 - t) * t * c[1] + t * t * b[1])
            for t in (i / steps for i in range(1, steps))]


def flatten(points, closed):
    """Points are (x, y, bend); a bend point pulls the segment between its
    neighbours into a quadratic curve instead of being passed through."""
    if not points:
        return []
    if closed:
        first = next((i for i, p in enumerate(points) if not p[2]), None)
        if first is None:
            raise ValueError("a loop needs at least one point that is not a bend")
        points = points[first:] + points[:first]
    elif points[0][2] or points[-1][2]:
        raise ValueError("an open line cannot start or end with a bend")
    out = []
    n = len(points)
    for i, p in enumerate(points):
        if p[2]:
            continue
        out.append((p[0], p[1]))
        if i + 1 < n or closed:
            c = points[(i + 1) % n]
            if c[2]:
                b = points[(i + 2) % n]
                if b[2]:
                    raise ValueError("two bends in a row")
                out += _quadratic(p[:2], c[:2], b[:2])
    return out


def ellipse(cx, cy, rx, ry, rotation=0.0):
    steps = max(16, int(math.pi * (rx + ry) / 2))
    cos_r, sin_r = math.cos(math.radians(rotation)), math.sin(math.radians(rotation))
    loop = []
    for i in range(steps):
        t = 2 * math.pi * i / steps
        x, y = rx * math.cos(t), ry * math.sin(t)
        loop.append((cx + x * cos_r - y * sin_r, cy + x * sin_r + y * cos_r))
    return loop


def rounded_rect(x, y, w, h, r):
    r = max(0.0, min(r, w / 2, h / 2))
    if r == 0:
        return [(x, y), (x + w, y), (x + w, y + h), (x, y + h)]
    loop = []
    for cx, cy, start in ((x + w - r, y + r, -90), (x + w - r, y + h - r, 0), (x + r, y + h - r, 90),
                          (x + r, y + r, 180)):
        for i in range(7):
            t = math.radians(start + 15 * i)
            loop.append((cx + r * math.cos(t), cy + r * math.sin(t)))
    return loop


def star(cx, cy, outer, inner, count, rotation=0.0):
    loop = []
    for i in range(2 * count):
        r = outer if i % 2 == 0 else inner
        t = math.radians(rotation - 90) + math.pi * i / count
        loop.append((cx + r * math.cos(t), cy + r * math.sin(t)))
    return loop


def thick_line(points, width, closed=False):
    """A line of the given width with round ends and joints, as loops whose union is the line."""
    half = width / 2
    loops = [ellipse(x, y, half, half) for x, y in points]
    pairs = list(zip(points, points[1:])) + ([(points[-1], points[0])] if closed and len(points) > 2 else [])
    for (x0, y0), (x1, y1) in pairs:
        length = math.hypot(x1 - x0, y1 - y0)
        if length == 0:
            continue
        nx, ny = -(y1 - y0) / length * half, (x1 - x0) / length * half
        loops.append([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)])
    return loops


def _area(loop):
    return sum(x0 * y1 - x1 * y0 for (x0, y0), (x1, y1) in zip(loop, loop[1:] + loop[:1]))


def same_turn(loops):
    """All loops turning the same way, so that the non-zero rule fills their union."""
    return [loop if _area(loop) >= 0 else loop[::-1] for loop in loops]


# --------------------------------------------------------------------------
# The canvas: premultiplied RGBA in floats, 0..1.


class Canvas:
    def __init__(self, width, height):
        self.width, self.height = width, height
        size = width * height
        self.r, self.g, self.b, self.a = [0.0] * size, [0.0] * size, [0.0] * size, [0.0] * size

    def _paint(self, index, colour, alpha, under):
        r, g, b = colour
        if under:
            k = alpha * (1 - self.a[index])
            self.r[index] += r * k
            self.g[index] += g * k
            self.b[index] += b * k
            self.a[index] += k
        else:
            k = 1 - alpha
            self.r[index] = r * alpha + self.r[index] * k
            self.g[index] = g * alpha + self.g[index] * k
            self.b[index] = b * alpha + self.b[index] * k
            self.a[index] = alpha + self.a[index] * k

    def fill(self, loops, colour, under=False):
        """Fills the union of the loops (non-zero rule) with an (r, g, b, a) colour."""
        alpha = colour[3]
        loops = [loop for loop in same_turn(loops) if len(loop) >= 3]
        if alpha <= 0 or not loops:
            return
        edges = []
        for loop in loops:
            for (x0, y0), (x1, y1) in zip(loop, loop[1:] + loop[:1]):
                if y0 == y1:
                    continue
                turn = 1
                if y0 > y1:
                    x0, y0, x1, y1, turn = x1, y1, x0, y0, -1
                edges.append((y0, y1, x0, (x1 - x0) / (y1 - y0), turn))
        xs = [x for loop in loops for x, _ in loop]
        ys = [y for loop in loops for _, y in loop]
        left = max(0, int(math.floor(min(xs))))
        right = min(self.width, int(math.ceil(max(xs))) + 1)
        top = max(0, int(math.floor(min(ys))))
        bottom = min(self.height, int(math.ceil(max(ys))) + 1)
        span = right - left
        if span <= 0:
            return
        share = 1.0 / SUBROWS
        for py in range(top, bottom):
            row_edges = [e for e in edges if e[0] < py + 1 and e[1] > py]
            if not row_edges:
                continue
            cover = [0.0] * (span + 1)
            steps = [0.0] * (span + 2)  # running additions for whole pixels inside a span
            for k in range(SUBROWS):
                sy = py + (k + 0.5) * share
                crossings = sorted((x0 + (sy - y0) * slope, turn)
                                   for y0, y1, x0, slope, turn in row_edges if y0 <= sy < y1)
                winding, start = 0, 0.0
                for x, turn in crossings:
                    before = winding
                    winding += turn
                    if before == 0 and winding != 0:
                        start = x
                    elif before != 0 and winding == 0:
                        a, b = max(start - left, 0.0), min(x - left, float(span))
                        if b <= a:
                            continue
                        i, j = int(a), int(b)
                        if i == j:
                            cover[i] += (b - a) * share
                            continue
                        cover[i] += (i + 1 - a) * share
                        steps[i + 1] += share
                        steps[j] -= share
                        cover[j] += (b - j) * share
            running = 0.0
            base = py * self.width + left
            rgb = colour[:3]
            for x in range(span):
                running += steps[x]
                c = cover[x] + running
                if c > 1e-9:
                    self._paint(base + x, rgb, alpha * min(c, 1.0), under)

    def glow(self, cx, cy, radius, colour, under=False):
        """A soft round light that fades out to nothing at the radius."""
        left, right = max(0, int(cx - radius)), min(self.width, int(cx + radius) + 1)
        top, bottom = max(0, int(cy - radius)), min(self.height, int(cy + radius) + 1)
        for py in range(top, bottom):
            for px in range(left, right):
                d = math.hypot(px + 0.5 - cx, py + 0.5 - cy) / radius
                if d < 1:
                    self._paint(py * self.width + px, colour[:3], colour[3] * (1 - d) ** 2, under)

    def gradient(self, y0, y1, top_colour, bottom_colour):
        """Full-width rows from y0 to y1 blending from one colour to the other."""
        for py in range(max(0, int(y0)), min(self.height, int(math.ceil(y1)))):
            t = 0.0 if y1 - y0 <= 1 else min(1.0, max(0.0, (py + 0.5 - y0) / (y1 - y0)))
            colour = [a + (b - a) * t for a, b in zip(top_colour, bottom_colour)]
            for px in range(self.width):
                self._paint(py * self.width + px, colour[:3], colour[3], False)

    def outline(self, width, colour):
        """A rim of the colour around everything drawn so far, behind it."""
        # A pixel whose centre lies d from a painted pixel's centre is about
        # d - 0.5 from the painted edge, so it is covered for d up to width + 1/2
        # and partly (fading over one pixel) up to width + 1.
        reach = int(math.ceil(width + 1))
        grown = [0.0] * (self.width * self.height)
        for dy in range(-reach, reach + 1):
            for dx in range(-reach, reach + 1):
                weight = min(1.0, width + 1 - math.hypot(dx, dy))
                if weight <= 0:
                    continue
                for y in range(max(0, -dy), min(self.height, self.height - dy)):
                    source = (y + dy) * self.width
                    target = y * self.width
                    x0, x1 = max(0, -dx), min(self.width, self.width - dx)
                    moved = [a * weight for a in self.a[source + x0 + dx:source + x1 + dx]]
                    grown[target + x0:target + x1] = map(max, grown[target + x0:target + x1], moved)
        for index, g in enumerate(grown):
            if g > 0:
                self._paint(index, colour[:3], g * colour[3], True)

    def clear_frame(self):
        """Empties the outermost pixels. The game's textures repeat, so filtering
        at one edge of a sprite blends in the pixels of the opposite edge."""
        w, h = self.width, self.height
        for i in [*range(w), *range(w * (h - 1), w * h), *range(0, w * h, w), *range(w - 1, w * h, w)]:
            self.r[i] = self.g[i] = self.b[i] = self.a[i] = 0.0

    def shrink(self, width, height):
        """A smaller canvas in which every pixel is the mean of the area it covers here.
        The colours are premultiplied, so transparent pixels add nothing to an edge."""
        columns, rows = _area_weights(self.width, width), _area_weights(self.height, height)
        small = Canvas(width, height)
        for channel in ("r", "g", "b", "a"):
            big, out = getattr(self, channel), getattr(small, channel)
            narrow = [[sum(big[y * self.width + first + k] * w for k, w in enumerate(weights))
                       for first, weights in columns] for y in range(self.height)]
            for y, (first, weights) in enumerate(rows):
                for x in range(width):
                    out[y * width + x] = sum(narrow[first + k][x] * w for k, w in enumerate(weights))
        return small

    def rgba_bytes(self, empty_rgb):
        """Straight (not premultiplied) 8-bit RGBA; fully transparent pixels get
        empty_rgb, so that texture filtering at the edges blends towards it."""
        out = bytearray(self.width * self.height * 4)
        fallback = [round(c * 255) for c in empty_rgb]
        for i, a in enumerate(self.a):
            alpha = round(min(a, 1.0) * 255)
            if alpha == 0:
                out[4 * i:4 * i + 3] = bytes(fallback)
                continue
            out[4 * i:4 * i + 4] = bytes((min(255, round(self.r[i] / a * 255)), min(255, round(self.g[i] / a * 255)),
                                          min(255, round(self.b[i] / a * 255)), alpha))
        return bytes(out)

    def rgb_bytes(self, backdrop):
        """8-bit RGB with the picture laid over a backdrop colour."""
        out = bytearray(self.width * self.height * 3)
        for i, a in enumerate(self.a):
            k = 1 - min(a, 1.0)
            out[3 * i:3 * i + 3] = bytes(min(255, round((c + d * k) * 255)) for c, d in
                                         zip((self.r[i], self.g[i], self.b[i]), backdrop))
        return bytes(out)


def _area_weights(source, target):
    """For each of target pixels over source ones: the first source pixel it covers
    and the share of its area that each covered source pixel makes."""
    scale = source / target
    out = []
    for i in range(target):
        a, b = i * scale, min((i + 1) * scale, source)
        first = int(a)
        out.append((first, [(min(b, x + 1) - max(a, x)) / scale for x in range(first, math.ceil(b))]))
    return out


# --------------------------------------------------------------------------
# Sources


def parse_colour(text, names):
    if text in names:
        return names[text]
    m = re.fullmatch(r"#([0-9a-fA-F]{6})([0-9a-fA-F]{2})?", text)
    if not m:
        raise ValueError(f"unknown colour '{text}'")
    digits = m.group(1) + (m.group(2) or "ff")
    return tuple(int(digits[i:i + 2], 16) / 255 for i in range(0, 8, 2))


def read_palette(path):
    names = {}
    if not os.path.exists(path):
        return names
    with open(path) as f:
        for number, line in enumerate(f, 1):
            words = strip_comment(line).split()
            if not words:
                continue
            if len(words) != 2:
                raise ArtError(f"{path}:{number}: expected 'name #rrggbb'")
            try:
                names[words[0]] = parse_colour(words[1], names)
            except ValueError as e:
                raise ArtError(f"{path}:{number}: {e}") from None
    return names


def strip_comment(line):
    """A '#' at the start of a word and followed by a space (or nothing) begins a comment."""
    return re.split(r"(?:^|\s)#(?:\s|$)", line.rstrip("\n"), maxsplit=1)[0]


class Picture:
    """The state of one source while it is being drawn."""

    def __init__(self, name, palette):
        self.name = name
        self.names = dict(palette)
        self.canvas = None
        self.backdrop = None
        self.format = "png"
        self.stroke = None  # (colour, width) or None
        self.mirror = None
        self.shift = (0.0, 0.0)
        self.depth = 0
        self.face = None  # [x0, y0, x1, y1] round the shapes marked 'face'
        self.icon_sizes = []  # an icon's square sizes

    def paint(self, loops, colour, under, face):
        """Fills loops on the canvas; with face, the face's box grows round them."""
        self.canvas.fill(loops, colour, under)
        if face:
            xs = [x for loop in loops for x, _ in loop]
            ys = [y for loop in loops for _, y in loop]
            box = [min(xs), min(ys), max(xs), max(ys)]
            if self.face:
                box = [min(box[0], self.face[0]), min(box[1], self.face[1]),
                       max(box[2], self.face[2]), max(box[3], self.face[3])]
            self.face = box

    def face_text(self):
        """The face's box in whole pixels of the canvas, "x0 y0 x1 y1", or None."""
        if not self.face:
            return None
        x0, y0, x1, y1 = self.face
        box = (max(0, math.floor(x0)), max(0, math.floor(y0)),
               min(self.canvas.width, math.ceil(x1)), min(self.canvas.height, math.ceil(y1)))
        return " ".join(str(v) for v in box)


class Words:
    """The words of one command after its name: points, numbers, colours and key=value."""

    def __init__(self, words, picture):
        self.picture = picture
        self.keys = {}
        self.flags = set()
        self.items = []
        for w in words:
            if "=" in w:
                key, value = w.split("=", 1)
                self.keys[key] = value
            elif w in ("under", "face"):
                self.flags.add(w)
            else:
                self.items.append(w)

    def _take(self, what):
        if not self.items:
            raise ValueError(f"missing {what}")
        return self.items.pop(0)

    def number(self, what="number"):
        word = self._take(what)
        try:
            return float(word)
        except ValueError:
            raise ValueError(f"expected {what}, got '{word}'") from None

    def pair(self, what="x,y", shifted=True):
        word = self._take(what)
        bend = word.startswith("~")
        try:
            values = [float(v) for v in word.lstrip("~").split(",")]
        except ValueError:
            raise ValueError(f"expected {what}, got '{word}'") from None
        if len(values) == 1:
            values *= 2
        if len(values) != 2:
            raise ValueError(f"expected {what}, got '{word}'")
        if shifted:
            values = [values[0] + self.picture.shift[0], values[1] + self.picture.shift[1]]
        return values[0], values[1], bend

    def points(self):
        out = []
        while self.items and re.match(r"~?-?[\d.]+,", self.items[0]):
            out.append(self.pair())
        return out

    def colour(self, what="colour"):
        return parse_colour(self._take(what), self.picture.names)

    def opacity(self, colour):
        return colour[:3] + (colour[3] * float(self.keys.get("a", 1)),)

    def stroke(self):
        """The outline for this shape: the default, or s=colour / s=none and w=width."""
        default = self.picture.stroke
        given = self.keys.get("s")
        if given == "none":
            return None
        colour = parse_colour(given, self.picture.names) if given else (default[0] if default else None)
        width = float(self.keys["w"]) if "w" in self.keys else (default[1] if default else 0)
        if colour is None or width <= 0:
            return None
        return colour, width

    def done(self):
        if self.items:
            raise ValueError(f"unexpected '{' '.join(self.items)}'")
        unknown = set(self.keys) - {"a", "s", "w", "t", "rot", "r"}
        if unknown:
            raise ValueError(f"unknown setting '{sorted(unknown)[0]}'")


def _mirrored(loops, axis):
    return [[(2 * axis - x, y) for x, y in loop] for loop in loops]


def _draw_shape(picture, loops, fill, stroke, under, face):
    """Fill and then outline a shape, and again mirrored when mirroring is on."""
    passes = [lambda ls: ls] + ([lambda ls: _mirrored(ls, picture.mirror)] if picture.mirror is not None else [])
    for place in passes:
        if fill is not None:
            picture.paint(place(loops), fill, under, face)
        if stroke is not None:
            for loop in loops:
                picture.paint(thick_line(place([loop])[0], stroke[1], closed=True), stroke[0], under, face)


def run_command(picture, command, words, include):
    w = Words(words, picture)
    if command != "canvas" and picture.canvas is None:
        raise ValueError("the first command must be 'canvas'")
    if command == "canvas":
        picture.canvas = Canvas(int(w.number("width")), int(w.number("height")))
        if w.items:
            picture.backdrop = w.colour("backdrop")
            picture.canvas.gradient(0, picture.canvas.height, picture.backdrop, picture.backdrop)
    elif command == "format":
        picture.format = w._take("png or jpg")
        if picture.format not in ("png", "jpg"):
            raise ValueError("format is png or jpg")
    elif command == "icon":
        picture.icon_sizes = [int(w.number("size")) for _ in range(len(w.items))]
        w.done()
        if not picture.icon_sizes:
            raise ValueError("icon needs at least one size")
        if picture.canvas.width != picture.canvas.height:
            raise ValueError("an icon's canvas must be square")
        if max(picture.icon_sizes) > picture.canvas.width or min(picture.icon_sizes) < 1:
            raise ValueError(f"icon sizes go from 1 to the canvas's {picture.canvas.width}")
    elif command == "colour":
        name = w._take("name")
        picture.names[name] = w.colour()
    elif command == "stroke":
        if w.items == ["none"]:
            w.items.clear()
            picture.stroke = None
        else:
            picture.stroke = (w.colour(), w.number("width"))
    elif command == "mirror":
        if w.items == ["off"]:
            w.items.clear()
            picture.mirror = None
        else:
            picture.mirror = w.number("axis x") + picture.shift[0]
    elif command == "shift":
        x, y, _ = w.pair("dx,dy", shifted=False)
        picture.shift = (x, y)
    elif command == "include":
        include(w._take("file name"))
    elif command in ("poly", "ellipse", "rect", "star"):
        if command == "poly":
            pts = w.points()
            if len(pts) < 3:
                raise ValueError("poly needs at least 3 points")
            loops = [flatten(pts, closed=True)]
        elif command == "ellipse":
            cx, cy, _ = w.pair("centre")
            rx, ry, _ = w.pair("radii", shifted=False)
            loops = [ellipse(cx, cy, rx, ry, float(w.keys.get("rot", 0)))]
        elif command == "rect":
            x, y, _ = w.pair("corner")
            width, height, _ = w.pair("size", shifted=False)
            loops = [rounded_rect(x, y, width, height, float(w.keys.get("r", 0)))]
        else:
            cx, cy, _ = w.pair("centre")
            outer, inner, _ = w.pair("outer,inner radius", shifted=False)
            loops = [star(cx, cy, outer, inner, int(w.number("point count")), float(w.keys.get("rot", 0)))]
        fill = w.opacity(w.colour("fill colour")) if w.items and w.items[0] != "-" else None
        if w.items and w.items[0] == "-":
            w.items.pop(0)
        stroke = w.stroke()
        if stroke:
            stroke = (w.opacity(stroke[0]), stroke[1])
        w.done()
        _draw_shape(picture, loops, fill, stroke, "under" in w.flags, "face" in w.flags)
    elif command == "line":
        pts = w.points()
        if len(pts) < 2:
            raise ValueError("line needs at least 2 points")
        path = flatten(pts, closed=False)
        colour = w.opacity(w.colour("line colour"))
        thickness = float(w.keys.get("t", 2))
        stroke = w.stroke()
        w.done()
        under, face = "under" in w.flags, "face" in w.flags
        for place in [lambda ls: ls] + ([lambda ls: _mirrored(ls, picture.mirror)]
                                        if picture.mirror is not None else []):
            if stroke:
                picture.paint(place(thick_line(path, thickness + 2 * stroke[1])), w.opacity(stroke[0]), under, face)
            picture.paint(place(thick_line(path, thickness)), colour, under, face)
    elif command == "glow":
        cx, cy, _ = w.pair("centre")
        radius = w.number("radius")
        colour = w.opacity(w.colour())
        w.done()
        picture.canvas.glow(cx, cy, radius, colour, "under" in w.flags)
        if picture.mirror is not None:
            picture.canvas.glow(2 * picture.mirror - cx, cy, radius, colour, "under" in w.flags)
    elif command == "gradient":
        y0, y1 = w.number("top row"), w.number("bottom row")
        top, bottom = w.colour(), w.colour()
        w.done()
        picture.canvas.gradient(y0 + picture.shift[1], y1 + picture.shift[1], top, bottom)
    elif command == "scatter":
        # Deterministic specks (snow, stars): seed count corner corner radii colour [a=lo,hi].
        seed = int(w.number("seed"))
        count = int(w.number("count"))
        x0, y0, _ = w.pair("top left corner")
        x1, y1, _ = w.pair("bottom right corner")
        r0, r1, _ = w.pair("smallest,largest radius", shifted=False)
        colour = w.colour()
        alphas = [float(v) for v in w.keys.pop("a", "1").split(",")]
        w.done()
        lo, hi = alphas[0], alphas[-1]
        state = seed * 2654435761 + 1
        def next_value():
            nonlocal state
            state = (state * 6364136223846793005 + 1442695040888963407) % (1 << 64)
            return (state >> 11) / float(1 << 53)
        for _ in range(count):
            x, y = x0 + (x1 - x0) * next_value(), y0 + (y1 - y0) * next_value()
            r = r0 + (r1 - r0) * next_value()
            alpha = lo + (hi - lo) * next_value()
            picture.canvas.fill([ellipse(x, y, r, r)], colour[:3] + (colour[3] * alpha,))
    elif command == "outline":
        width = w.number("width")
        colour = w.colour() if w.items else (picture.stroke[0] if picture.stroke else (0, 0, 0, 1))
        w.done()
        picture.canvas.outline(width, colour)
    else:
        raise ValueError(f"unknown command '{command}'")


def render_file(path, palette):
    """Draws one source; returns the Picture."""
    picture = Picture(os.path.splitext(os.path.basename(path))[0], palette)

    def run_file(file_path):
        if picture.depth > 8:
            raise ArtError(f"{file_path}: includes nested too deep")
        picture.depth += 1
        with open(file_path) as f:
            lines = f.readlines()
        for number, line in enumerate(lines, 1):
            words = strip_comment(line).split()
            if not words:
                continue
            try:
                run_command(picture, words[0], words[1:],
                            lambda name: run_file(os.path.join(os.path.dirname(file_path), name)))
            except ArtError:
                raise
            except (ValueError, OSError) as e:
                raise ArtError(f"{os.path.relpath(file_path)}:{number}: {e}") from None
        picture.depth -= 1

    run_file(path)
    if picture.canvas is None:
        raise ArtError(f"{path}: nothing drawn (no 'canvas')")
    return picture


def ico_bytes(images):
    """A Windows icon of square RGBA images, [(size, png, rgba)]: the largest as PNG, the others as
    32-bit bitmaps with their transparency mask, which every Windows reads (bottom row first)."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for size, png, rgba in images:
        if size >= 256:
            blob = png
        else:
            row = size * 4
            pixels = b"".join(bytes(rgba[y * row + x * 4 + c] for x in range(size) for c in (2, 1, 0, 3))
                              for y in reversed(range(size)))
            mask_row = (size + 31) // 32 * 4
            mask = bytearray()
            for y in reversed(range(size)):
                bits = bytearray(mask_row)
                for x in range(size):
                    if rgba[y * row + x * 4 + 3] == 0:
                        bits[x // 8] |= 0x80 >> (x % 8)
                mask += bits
            blob = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
            blob += pixels + bytes(mask)
        entries.append(struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs)


def encode(picture, palette, canvas=None):
    """The picture (or a canvas made from it) as PNG bytes: RGB over its backdrop, otherwise RGBA."""
    c = canvas or picture.canvas
    texts = [("face", picture.face_text())] if picture.face else []
    if picture.backdrop is not None:
        return png_bytes(c.width, c.height, 3, c.rgb_bytes(picture.backdrop[:3]), texts)
    empty = picture.stroke[0][:3] if picture.stroke else palette.get("ink", (0, 0, 0, 1))[:3]
    return png_bytes(c.width, c.height, 4, c.rgba_bytes(empty), texts)


def main(argv=None):
    parser = argparse.ArgumentParser(description="Draws the game's pictures from tools/art/src into data/.")
    parser.add_argument("names", nargs="*", help="sources to draw (file stems); all when none")
    parser.add_argument("--out", default=DATA, help="folder for the pictures (default: data/)")
    parser.add_argument("--icons", default=ICONS, help="folder of the icons' hicolor tree (default: packaging/icons/)")
    parser.add_argument("--windows", default=WINDOWS, help="folder of the Windows icon (default: packaging/windows/)")
    parser.add_argument("--src", default=SOURCES, help=argparse.SUPPRESS)
    args = parser.parse_args(argv)

    palette = read_palette(PALETTE)
    sources = sorted(f[:-4] for f in os.listdir(args.src) if f.endswith(".art"))
    names = args.names or sources
    missing = [n for n in names if n not in sources]
    if missing:
        print(f"make_art: no source tools/art/src/{missing[0]}.art", file=sys.stderr)
        return 2
    os.makedirs(args.out, exist_ok=True)
    status = 0
    for name in names:
        try:
            picture = render_file(os.path.join(args.src, name + ".art"), palette)
        except ArtError as e:
            print(f"make_art: {e}", file=sys.stderr)
            status = 1
            continue
        if picture.backdrop is None and not picture.icon_sizes:
            picture.canvas.clear_frame()  # a sprite: shapes that run off the canvas end a pixel short of it
        data = encode(picture, palette)
        if picture.icon_sizes:
            images = []
            for size in picture.icon_sizes:
                folder = os.path.join(args.icons, "hicolor", f"{size}x{size}", "apps")
                os.makedirs(folder, exist_ok=True)
                target = os.path.join(folder, name + ".png")
                small = picture.canvas.shrink(size, size)
                images.append((size, encode(picture, palette, small), small.rgba_bytes((0, 0, 0))))
                with open(target, "wb") as f:
                    f.write(images[-1][1])
                print(f"{os.path.relpath(target)}  {size}x{size}")
            os.makedirs(args.windows, exist_ok=True)
            target = os.path.join(args.windows, name + ".ico")
            with open(target, "wb") as f:
                f.write(ico_bytes(sorted(images, reverse=True)))
            print(f"{os.path.relpath(target)}  {', '.join(str(s) for s in sorted(picture.icon_sizes, reverse=True))}")
            continue
        if picture.format == "png":
            target = os.path.join(args.out, name + ".png")
            with open(target, "wb") as f:
                f.write(data)
        else:
            target = os.path.join(args.out, name + ".jpg")
            convert = shutil.which("convert")
            if not convert:
                print(f"make_art: {name}.jpg needs ImageMagick's 'convert', which is not installed "
                      "(apt-get install imagemagick); skipped", file=sys.stderr)
                status = 1
                continue
            with tempfile.TemporaryDirectory() as temp:
                source = os.path.join(temp, name + ".png")
                with open(source, "wb") as f:
                    f.write(data)
                subprocess.run([convert, source, "-strip", "-quality", "92", "-sampling-factor", "1x1", target],
                               check=True)
        print(f"{os.path.relpath(target)}  {picture.canvas.width}x{picture.canvas.height}")
    return status


if __name__ == "__main__":
    sys.exit(main())
