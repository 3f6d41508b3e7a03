#!/usr/bin/env python3
"""Checks of the picture maker: PNG bytes, coverage of the rasteriser, the
source language and the command line.  Run: python3 tools/art/test_make_art.py"""

import contextlib
import io
import os
import struct
import sys
import tempfile
import unittest
import zlib

sys.dont_write_bytecode = True  # keep tools/art free of __pycache__
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_art  # noqa: E402


def read_png(data):
    """Chunks checked and pixels unfiltered: (width, height, colour type, rows)."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    at, chunks = 8, []
    while at < len(data):
        length = struct.unpack(">I", data[at:at + 4])[0]
        tag, body = data[at + 4:at + 8], data[at + 8:at + 8 + length]
        crc = struct.unpack(">I", data[at + 8 + length:at + 12 + length])[0]
        assert zlib.crc32(tag + body) & 0xFFFFFFFF == crc, tag
        chunks.append((tag, body))
        at += 12 + length
    chunks = [c for c in chunks if c[0] != b"tEXt"]
    assert [t for t, _ in chunks] == [b"IHDR", b"IDAT", b"IEND"]
    width, height, depth, colour_type = struct.unpack(">IIBB", chunks[0][1][:10])
    assert depth == 8
    stride = width * {2: 3, 6: 4}[colour_type]
    raw = zlib.decompress(chunks[1][1])
    rows, previous = [], bytes(stride)
    for y in range(height):
        line = raw[y * (stride + 1):(y + 1) * (stride + 1)]
        assert line[0] == 2
        row = bytes((a + b) & 0xFF for a, b in zip(line[1:], previous))
        rows.append(row)
        previous = row
    return width, height, colour_type, rows


def alpha_grid(canvas):
    return [[round(canvas.a[y * canvas.width + x], 3) for x in range(canvas.width)] for y in range(canvas.height)]


def draw(source, palette=None):
    """Renders source text written to a temporary file."""
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "t.art")
        with open(path, "w") as f:
            f.write(source)
        return make_art.render_file(path, palette or {"ink": (0, 0, 0, 1)})


RED = (1.0, 0.0, 0.0, 1.0)


class Png(unittest.TestCase):
    def test_rgba_and_rgb_rows_come_back_exactly(self):
        pixels = bytes((x * 37 + y * 11 + c * 5) & 0xFF for y in range(5) for x in range(3) for c in range(4))
        self.assertEqual(read_png(make_art.png_bytes(3, 5, 4, pixels)),
                         (3, 5, 6, [pixels[y * 12:(y + 1) * 12] for y in range(5)]))
        rgb = bytes(range(2 * 2 * 3))
        self.assertEqual(read_png(make_art.png_bytes(2, 2, 3, rgb))[2:], (2, [rgb[:6], rgb[6:]]))
        with self.assertRaises(ValueError):
            make_art.png_bytes(3, 5, 4, pixels[:-1])


class Raster(unittest.TestCase):
    def test_pixel_aligned_square_covers_exactly_its_pixels(self):
        canvas = make_art.Canvas(8, 8)
        canvas.fill([make_art.rounded_rect(2, 2, 4, 3, 0)], RED)
        grid = alpha_grid(canvas)
        for y in range(8):
            self.assertEqual(grid[y], [1.0 if 2 <= x < 6 and 2 <= y < 5 else 0.0 for x in range(8)], y)

    def test_edges_are_covered_in_proportion(self):
        canvas = make_art.Canvas(4, 4)
        canvas.fill([make_art.rounded_rect(0.5, 0, 2.25, 4, 0)], RED)
        self.assertEqual(alpha_grid(canvas)[1], [0.5, 1.0, 0.75, 0.0])
        canvas = make_art.Canvas(4, 4)
        canvas.fill([make_art.rounded_rect(0, 1.5, 4, 1, 0)], RED)
        self.assertEqual([row[0] for row in alpha_grid(canvas)], [0.0, 0.5, 0.5, 0.0])

    def test_overlapping_loops_fill_their_union_once_whichever_way_they_turn(self):
        canvas = make_art.Canvas(8, 4)
        half = (1.0, 0.0, 0.0, 0.5)
        first = make_art.rounded_rect(0, 0, 5, 4, 0)
        second = make_art.rounded_rect(3, 0, 5, 4, 0)[::-1]
        canvas.fill([first, second], half)
        self.assertEqual(alpha_grid(canvas)[2], [0.5] * 8)

    def test_thick_line_has_its_width_and_round_ends(self):
        canvas = make_art.Canvas(16, 9)
        canvas.fill(make_art.thick_line([(4, 4.5), (12, 4.5)], 4), RED)
        column = [row[8] for row in alpha_grid(canvas)]
        self.assertEqual(column, [0, 0, 0.5, 1, 1, 1, 0.5, 0, 0])
        self.assertEqual(alpha_grid(canvas)[4][1], 0.0)  # the cap stops at radius 2
        self.assertGreater(alpha_grid(canvas)[4][2], 0.4)

    def test_under_leaves_solid_paint_alone_and_over_replaces_it(self):
        canvas = make_art.Canvas(2, 1)
        canvas.fill([make_art.rounded_rect(0, 0, 1, 1, 0)], RED)
        canvas.fill([make_art.rounded_rect(0, 0, 2, 1, 0)], (0.0, 0.0, 1.0, 1.0), under=True)
        self.assertEqual((canvas.r[0], canvas.b[0], canvas.b[1]), (1.0, 0.0, 1.0))
        canvas.fill([make_art.rounded_rect(0, 0, 1, 1, 0)], (0.0, 1.0, 0.0, 0.5))
        self.assertEqual((canvas.r[0], canvas.g[0], canvas.a[0]), (0.5, 0.5, 1.0))

    def test_outline_rings_the_shape_from_behind(self):
        canvas = make_art.Canvas(11, 11)
        canvas.fill([make_art.rounded_rect(4, 4, 3, 3, 0)], RED)
        canvas.outline(2, (0.0, 0.0, 1.0, 1.0))
        grid = alpha_grid(canvas)
        self.assertEqual((canvas.r[5 * 11 + 5], canvas.b[5 * 11 + 5]), (1.0, 0.0))  # inside untouched
        self.assertEqual(grid[5][2], 1.0)  # two pixels out
        self.assertEqual(canvas.b[5 * 11 + 2], 1.0)
        self.assertEqual(grid[5][1], 0.0)  # three out
        self.assertEqual(grid[0][0], 0.0)

    def test_transparent_pixels_take_the_outline_colour(self):
        canvas = make_art.Canvas(2, 1)
        canvas.fill([make_art.rounded_rect(0, 0, 1, 1, 0)], (0.0, 1.0, 0.0, 0.4))
        self.assertEqual(canvas.rgba_bytes((0.2, 0.4, 0.6)), bytes([0, 255, 0, 102, 51, 102, 153, 0]))


    def test_shrink_takes_the_mean_of_the_area_each_pixel_covers(self):
        # 3 to 2: each small pixel covers half of the middle column's width.
        canvas = make_art.Canvas(3, 3)
        canvas.fill([make_art.rounded_rect(1, 0, 1, 3, 0)], RED)
        small = canvas.shrink(2, 2)
        self.assertEqual([round(a, 3) for a in small.a], [0.333] * 4)
        self.assertEqual(small.rgba_bytes((0, 0, 0))[:4], bytes((255, 0, 0, 85)))


class Language(unittest.TestCase):
    def test_comments_keep_hex_colours(self):
        self.assertEqual(make_art.strip_comment("rect 0,0 2,2 #ff0000  # red square"), "rect 0,0 2,2 #ff0000 ")
        self.assertEqual(make_art.strip_comment("# whole line").strip(), "")

    def test_bends_pull_the_segment_into_a_curve(self):
        path = make_art.flatten([(0, 0, False), (10, 20, True), (20, 0, False)], closed=False)
        self.assertEqual((path[0], path[-1]), ((0, 0), (20, 0)))
        self.assertTrue(all(0 < y <= 10 for _, y in path[1:-1]))
        self.assertIn((10.0, 10.0), [(round(x, 6), round(y, 6)) for x, y in path])
        with self.assertRaises(ValueError):
            make_art.flatten([(0, 0, False), (1, 1, True), (2, 2, True), (3, 0, False)], closed=False)

    def test_mirror_and_shift_place_the_copy(self):
        picture = draw("canvas 8 2\nmirror 4\nshift 1,0\nrect 0,0 1,2 #ff0000 s=none\n")
        self.assertEqual(alpha_grid(picture.canvas)[1], [0, 1, 0, 0, 0, 0, 1, 0])

    def test_include_palette_names_and_stroke_defaults(self):
        with tempfile.TemporaryDirectory() as folder:
            with open(os.path.join(folder, "part.inc"), "w") as f:
                f.write("rect 1,1 2,2 mine\n")
            with open(os.path.join(folder, "main.art"), "w") as f:
                f.write("canvas 4 4\ncolour mine #00ff00\ninclude part.inc\n")
            canvas = make_art.render_file(os.path.join(folder, "main.art"), {}).canvas
        self.assertEqual((canvas.g[5], canvas.r[5], canvas.a[0]), (1.0, 0.0, 0.0))
        stroked = draw("canvas 8 8\nstroke ink 2\nrect 3,3 2,2 #ff0000\n").canvas
        self.assertEqual((stroked.a[0], stroked.a[3 * 8 + 2], stroked.a[3 * 8 + 1]), (0.0, 1.0, 0.0))
        self.assertEqual((stroked.r[3 * 8 + 3], stroked.a[3 * 8 + 3]), (0.0, 1.0))  # ink over the red's edge

    def test_face_is_the_box_round_the_marked_shapes_and_goes_into_the_png(self):
        # Strokes and the mirrored copy count; the unmarked square does not.
        picture = draw("canvas 16 16\nstroke ink 2\nrect 1,1 2,2 #ff0000\nmirror 8\nellipse 4,10 1,2 #ff0000 face\n")
        self.assertEqual(picture.face_text(), "2 7 14 13")
        png = make_art.encode(picture, {})
        self.assertIn(b"tEXtface\x002 7 14 13", png)
        self.assertEqual(read_png(png)[:2], (16, 16))
        self.assertNotIn(b"tEXt", make_art.encode(draw("canvas 4 4\nrect 0,0 2,2 #ff0000\n"), {}))

    def test_mistakes_name_the_file_and_line(self):
        for source, message in [("canvas 4 4\n\nblob 1,1\n", ":3: unknown command 'blob'"),
                                ("canvas 4 4\nrect 0,0 2,2 nocolour\n", ":2: unknown colour 'nocolour'"),
                                ("rect 0,0 2,2 #ff0000\n", ":1: the first command must be 'canvas'"),
                                ("canvas 4 4\nrect 0,0 #ff0000\n", ":2: expected size"),
                                ("canvas 4 4\nrect 0,0 2,2 #ff0000 q=1\n", ":2: unknown setting 'q'"),
                                ("canvas 4 4\npoly 0,0 1,1 #ff0000\n", ":2: poly needs at least 3 points"),
                                ("canvas 4 2\nicon 2\n", ":2: an icon's canvas must be square"),
                                ("canvas 4 4\nicon 8\n", ":2: icon sizes go from 1 to the canvas's 4")]:
            with self.assertRaises(make_art.ArtError) as caught:
                draw(source)
            self.assertIn("t.art" + message, str(caught.exception))


class CommandLine(unittest.TestCase):
    def run_main(self, *args):
        err = io.StringIO()
        with contextlib.redirect_stdout(io.StringIO()), contextlib.redirect_stderr(err):
            status = make_art.main(list(args))
        return status, err.getvalue()

    def test_same_sources_give_the_same_bytes_and_sprites_an_empty_frame(self):
        with tempfile.TemporaryDirectory() as one, tempfile.TemporaryDirectory() as two:
            self.assertEqual(self.run_main("gift", "zombieHead", "--out", one)[0], 0)
            self.assertEqual(self.run_main("gift", "zombieHead", "--out", two)[0], 0)
            for name in ("gift.png", "zombieHead.png"):
                with open(os.path.join(one, name), "rb") as a, open(os.path.join(two, name), "rb") as b:
                    data = a.read()
                    self.assertEqual(data, b.read(), name)
                rows = read_png(data)[3]  # the head's hair runs off the top of its canvas
                self.assertFalse(any(rows[0][3::4]) or any(rows[-1][3::4]) or any(r[3] or r[-1] for r in rows), name)

    def test_an_icon_goes_into_the_hicolor_tree_at_each_size(self):
        with tempfile.TemporaryDirectory() as src, tempfile.TemporaryDirectory() as out:
            with open(os.path.join(src, "t.art"), "w") as f:
                f.write("canvas 8 8\nicon 3 8\nrect 0,0 8,4 #ff0000\n")
            self.assertEqual(self.run_main("t", "--src", src, "--out", out, "--icons", out, "--windows", out)[0], 0)
            for size in (8, 3):
                with open(os.path.join(out, "hicolor", f"{size}x{size}", "apps", "t.png"), "rb") as f:
                    self.assertEqual(read_png(f.read())[:3], (size, size, 6))
            self.assertFalse(os.path.exists(os.path.join(out, "t.png")))
            # The Windows icon: largest first, each a 32-bit bitmap stored bottom row first, its
            # mask set where the picture is transparent (the lower half here).
            with open(os.path.join(out, "t.ico"), "rb") as f:
                ico = f.read()
            self.assertEqual(struct.unpack_from("<HHH", ico), (0, 1, 2))
            sizes = [struct.unpack_from("<BBBBHHII", ico, 6 + 16 * n) for n in range(2)]
            self.assertEqual([(w, h, bits) for w, h, _, _, _, bits, _, _ in sizes], [(8, 8, 32), (3, 3, 32)])
            _, _, _, _, _, _, length, offset = sizes[0]
            self.assertEqual(offset + length, sizes[1][7])
            self.assertEqual(struct.unpack_from("<IiiHH", ico, offset), (40, 8, 16, 1, 32))
            pixels = ico[offset + 40:offset + 40 + 8 * 8 * 4]
            self.assertEqual((pixels[:4], pixels[-4:]), (bytes(4), bytes((0, 0, 255, 255))))
            mask = ico[offset + 40 + 8 * 8 * 4:offset + length]
            self.assertEqual(mask, bytes([0xFF, 0, 0, 0] * 4 + [0] * 16))

    def test_unknown_source_and_missing_convert_are_reported(self):
        with tempfile.TemporaryDirectory() as out:
            self.assertEqual(self.run_main("nosuch", "--out", out), (2, "make_art: no source tools/art/src/nosuch.art\n"))
            path = os.environ.get("PATH", "")
            os.environ["PATH"] = out  # no convert in an empty folder
            try:
                status, err = self.run_main("vossa", "--out", out)
            finally:
                os.environ["PATH"] = path
            self.assertEqual(status, 1)
            self.assertIn("needs ImageMagick's 'convert'", err)
            self.assertFalse(os.path.exists(os.path.join(out, "vossa.jpg")))


if __name__ == "__main__":
    unittest.main()
