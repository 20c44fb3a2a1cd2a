#!/usr/bin/env python3
"""Draws the button bitmaps and the application icon of kjvt58.exe.

    scripts/make_images.py [output folder]     (default: app/win32/res)

Writes button_*.bmp (32 x 32, 24 bits, drawn on the button face colour so
that they sit on the 40 x 40 push buttons of the button bar) and kjvt58.ico
(16, 32 and 48 pixels, 32 bits with alpha). Plain Python, no imaging library:
shapes are filled by 4 x 4 supersampling. The output is deterministic, so the
committed files can be checked against a fresh run.
"""

import math
import os
import struct
import sys

SAMPLES = 4  # supersampling per axis
BUTTON_FACE = (240, 240, 240)


class Canvas:
    """An RGBA picture; shapes are blended in with their covered fraction."""

    def __init__(self, size, background=(0, 0, 0, 0)):
        self.size = size
        self.pixels = [list(background) for _ in range(size * size)]

    def _blend(self, x, y, colour, coverage):
        if coverage <= 0:
            return
        r, g, b = colour[:3]
        a = (colour[3] if len(colour) > 3 else 255) / 255.0 * coverage
        p = self.pixels[y * self.size + x]
        dst_a = p[3] / 255.0
        out_a = a + dst_a * (1 - a)
        if out_a <= 0:
            return
        for i, c in enumerate((r, g, b)):
            p[i] = int(round((c * a + p[i] * dst_a * (1 - a)) / out_a))
        p[3] = int(round(out_a * 255))

    def fill(self, inside, colour, box=None):
        """Fills the points (in pixel units, y down) for which inside(x, y) holds."""
        x0, y0, x1, y1 = box if box else (0, 0, self.size, self.size)
        x0, y0 = max(0, int(math.floor(x0))), max(0, int(math.floor(y0)))
        x1, y1 = min(self.size, int(math.ceil(x1))), min(self.size, int(math.ceil(y1)))
        step = 1.0 / SAMPLES
        for y in range(y0, y1):
            for x in range(x0, x1):
                hits = 0
                for sy in range(SAMPLES):
                    py = y + (sy + 0.5) * step
                    for sx in range(SAMPLES):
                        if inside(x + (sx + 0.5) * step, py):
                            hits += 1
                self._blend(x, y, colour, hits / (SAMPLES * SAMPLES))

    def rect(self, x0, y0, x1, y1, colour):
        self.fill(lambda x, y: x0 <= x < x1 and y0 <= y < y1, colour, (x0, y0, x1, y1))

    def frame(self, x0, y0, x1, y1, width, colour):
        def inside(x, y):
            return (x0 <= x < x1 and y0 <= y < y1 and
                    not (x0 + width <= x < x1 - width and y0 + width <= y < y1 - width))
        self.fill(inside, colour, (x0, y0, x1, y1))

    def circle(self, cx, cy, r, colour):
        self.fill(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, colour,
                  (cx - r, cy - r, cx + r, cy + r))

    def ring(self, cx, cy, r, width, colour):
        inner = r - width
        self.fill(lambda x, y: inner * inner <= (x - cx) ** 2 + (y - cy) ** 2 <= r * r,
                  colour, (cx - r, cy - r, cx + r, cy + r))

    def polygon(self, points, colour):
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]

        def inside(x, y):
            hit = False
            j = len(points) - 1
            for i in range(len(points)):
                xi, yi = points[i]
                xj, yj = points[j]
                if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    hit = not hit
                j = i
            return hit
        self.fill(inside, colour, (min(xs), min(ys), max(xs), max(ys)))

    def line(self, x0, y0, x1, y1, width, colour):
        dx, dy = x1 - x0, y1 - y0
        length = math.hypot(dx, dy)
        nx, ny = -dy / length * width / 2, dx / length * width / 2
        self.polygon([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny),
                      (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)], colour)


# Colours
NAVY = (32, 64, 128)
BLUE = (40, 110, 200)
LIGHT_BLUE = (170, 205, 240)
GREEN = (30, 130, 60)
LIGHT_GREEN = (200, 235, 205)
RED = (200, 40, 40)
ORANGE = (230, 140, 30)
GREY = (110, 110, 110)
LIGHT_GREY = (200, 200, 200)
WHITE = (255, 255, 255)
PAPER = (250, 250, 245)
DARK = (50, 50, 50)
YELLOW = (240, 200, 60)


def controller(c, x, y):
    """The welding controller: a box with a display, as the source of records."""
    c.rect(x, y, x + 14, y + 11, NAVY)
    c.rect(x + 2, y + 2, x + 12, y + 6, LIGHT_BLUE)
    c.circle(x + 4, y + 8.5, 1.2, YELLOW)
    c.circle(x + 10, y + 8.5, 1.2, YELLOW)


def document(c, x, y, w, h, fold=5):
    c.polygon([(x, y), (x + w - fold, y), (x + w, y + fold), (x + w, y + h), (x, y + h)], GREY)
    c.polygon([(x + 1, y + 1), (x + w - fold, y + 1), (x + w - 1, y + fold),
               (x + w - 1, y + h - 1), (x + 1, y + h - 1)], PAPER)
    c.polygon([(x + w - fold, y + 1), (x + w - 1, y + fold), (x + w - fold, y + fold)], LIGHT_GREY)


def down_arrow(c, cx, top, bottom, colour, width=5):
    c.rect(cx - width / 2, top, cx + width / 2, bottom - 5, colour)
    c.polygon([(cx - 6, bottom - 6), (cx + 6, bottom - 6), (cx, bottom)], colour)


def printer(c, x, y):
    """A printer 24 wide and 20 high at (x, y)."""
    c.rect(x + 5, y, x + 19, y + 7, PAPER)
    c.frame(x + 5, y, x + 19, y + 7, 1, GREY)
    c.rect(x, y + 6, x + 24, y + 16, DARK)
    c.rect(x + 1, y + 7, x + 23, y + 15, GREY)
    c.circle(x + 20, y + 9.5, 1.1, (90, 220, 90))
    c.rect(x + 5, y + 12, x + 19, y + 20, PAPER)
    c.frame(x + 5, y + 12, x + 19, y + 20, 1, GREY)
    c.rect(x + 7, y + 15, x + 17, y + 16, LIGHT_GREY)
    c.rect(x + 7, y + 17, x + 14, y + 18, LIGHT_GREY)


def gear(c, cx, cy, r, colour):
    teeth = 8
    points = []
    for i in range(teeth * 2):
        angle = math.pi * i / teeth
        rr = r if i % 2 == 0 else r * 0.72
        for k in (-0.22, 0.22):
            points.append((cx + rr * math.cos(angle + k * math.pi / teeth * 2),
                           cy + rr * math.sin(angle + k * math.pi / teeth * 2)))
    c.polygon(points, colour)
    c.circle(cx, cy, r * 0.32, BUTTON_FACE)


def button_canvas():
    return Canvas(32, BUTTON_FACE + (255,))


def draw_receive():
    """recieve_ef: records flow down from the controller into the PC."""
    c = button_canvas()
    controller(c, 9, 1)
    down_arrow(c, 16, 13, 24, GREEN)
    c.rect(4, 25, 28, 31, NAVY)
    c.rect(6, 26.5, 26, 29.5, LIGHT_BLUE)
    return c


def draw_abort():
    """abort_ef: a red stop sign with a white bar."""
    c = button_canvas()
    r = 13.5
    octagon = [(16 + r * math.cos(math.pi / 8 + i * math.pi / 4),
                16 + r * math.sin(math.pi / 8 + i * math.pi / 4)) for i in range(8)]
    c.polygon(octagon, RED)
    c.rect(8, 13.5, 24, 18.5, WHITE)
    return c


def draw_read_file():
    """read_file: a record file on an open folder."""
    c = button_canvas()
    document(c, 9, 2, 15, 19)
    for row in range(3):
        c.rect(12, 9 + 3 * row, 21, 10 + 3 * row, BLUE)
    c.polygon([(2, 13), (11, 13), (13, 15), (29, 15), (29, 30), (2, 30)], (200, 150, 40))
    c.polygon([(5, 18), (31, 18), (28, 30), (2, 30)], YELLOW)
    return c


def draw_export_excel():
    """export_excel: a green spreadsheet grid with an arrow into it."""
    c = button_canvas()
    c.rect(8, 3, 30, 29, GREEN)
    c.rect(9, 4, 29, 28, LIGHT_GREEN)
    for i in range(1, 4):
        c.rect(9, 4 + 6 * i, 29, 5 + 6 * i, GREEN)
    c.rect(15, 4, 16, 28, GREEN)
    c.rect(22, 4, 23, 28, GREEN)
    c.rect(2, 13, 11, 19, ORANGE)
    c.polygon([(10, 9), (17, 16), (10, 23)], ORANGE)
    return c


def draw_printer_setting():
    """printer_setting: a printer with a gear."""
    c = button_canvas()
    printer(c, 1, 3)
    gear(c, 23, 23, 8, BLUE)
    return c


def draw_export_printer():
    """export_printer: a printer with a printed record sheet."""
    c = button_canvas()
    printer(c, 4, 7)
    c.rect(11, 1, 21, 7, PAPER)
    c.frame(11, 1, 21, 7, 1, GREY)
    c.rect(13, 3, 19, 4, BLUE)
    return c


def draw_about():
    """about: the information sign."""
    c = button_canvas()
    c.circle(16, 16, 13.5, BLUE)
    c.circle(16, 9, 2.2, WHITE)
    c.rect(14, 13, 18, 24, WHITE)
    c.rect(12, 13, 18, 15, WHITE)
    c.rect(12, 22, 20, 24, WHITE)
    return c


def draw_exit():
    """exit: an open door with an arrow leaving through it."""
    c = button_canvas()
    c.rect(5, 3, 21, 30, DARK)
    c.rect(7, 5, 19, 30, (255, 245, 200))
    c.polygon([(7, 5), (15, 8), (15, 31), (7, 30)], (150, 90, 40))
    c.circle(13, 19, 1, YELLOW)
    c.rect(17, 15, 26, 19, RED)
    c.polygon([(25, 11), (31, 17), (25, 23)], RED)
    return c


def draw_icon(size):
    """The application icon: a pipe joint with its heating wire and a record list.

    Drawn at 96 pixels on a 32-unit grid and box-filtered down to size."""
    c = ScaledCanvas(96, 3)
    c.rect(1, 11, 31, 21, (120, 120, 130, 255))
    c.rect(1, 12, 31, 14, (170, 170, 180, 255))
    c.rect(8, 7, 24, 25, (30, 90, 170, 255))
    c.rect(8, 8, 24, 10, (80, 140, 220, 255))
    for x in (11, 15, 19):
        c.line(x, 8, x + 2, 24, 1.2, (240, 150, 40, 255))
    c.rect(20, 20, 31, 31, (255, 255, 255, 255))
    c.frame(20, 20, 31, 31, 1, (40, 40, 40, 255))
    for row in range(3):
        c.rect(22, 23 + 2.5 * row, 29, 24 + 2.5 * row, (30, 130, 60, 255))
    return resample(c, size)


class ScaledCanvas(Canvas):
    """A canvas whose drawing coordinates are multiplied by scale."""

    def __init__(self, size, scale, background=(0, 0, 0, 0)):
        super().__init__(size, background)
        self.scale = scale

    def fill(self, inside, colour, box=None):
        k = self.scale
        scaled_box = tuple(v * k for v in box) if box else None
        super().fill(lambda x, y: inside(x / k, y / k), colour, scaled_box)


def resample(canvas, size):
    """Box-filtered copy of a canvas at a smaller size (alpha weighted)."""
    if size == canvas.size:
        return canvas
    out = Canvas(size)
    scale = canvas.size / size
    for y in range(size):
        for x in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            weight = 0.0
            y0, y1 = y * scale, (y + 1) * scale
            x0, x1 = x * scale, (x + 1) * scale
            for sy in range(int(math.floor(y0)), int(math.ceil(y1))):
                wy = min(y1, sy + 1) - max(y0, sy)
                for sx in range(int(math.floor(x0)), int(math.ceil(x1))):
                    wx = min(x1, sx + 1) - max(x0, sx)
                    p = canvas.pixels[sy * canvas.size + sx]
                    w = wx * wy
                    a = p[3] / 255.0 * w
                    for i in range(3):
                        acc[i] += p[i] * a
                    acc[3] += a
                    weight += w
            alpha = acc[3] / weight
            if acc[3] > 0:
                out.pixels[y * size + x] = [int(round(acc[i] / acc[3])) for i in range(3)] + \
                    [int(round(alpha * 255))]
    return out


def bmp_bytes(canvas):
    """A 24-bit bottom-up BMP file of an opaque canvas."""
    size = canvas.size
    row_bytes = (size * 3 + 3) & ~3
    rows = []
    for y in reversed(range(size)):
        row = bytearray()
        for x in range(size):
            r, g, b, _ = canvas.pixels[y * size + x]
            row += bytes((b, g, r))
        row += b"\0" * (row_bytes - len(row))
        rows.append(bytes(row))
    data = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, size, size, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    return header + info + data


def ico_image(canvas):
    """One icon image: BITMAPINFOHEADER, BGRA pixels bottom-up, AND mask."""
    size = canvas.size
    pixels = bytearray()
    for y in reversed(range(size)):
        for x in range(size):
            r, g, b, a = canvas.pixels[y * size + x]
            pixels += bytes((b, g, r, a))
    mask_row = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(size)):
        row = bytearray(mask_row)
        for x in range(size):
            if canvas.pixels[y * size + x][3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                       len(pixels) + len(mask), 0, 0, 0, 0)
    return info + bytes(pixels) + bytes(mask)


def ico_bytes(canvases):
    images = [ico_image(c) for c in canvases]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for canvas, image in zip(canvases, images):
        dim = canvas.size if canvas.size < 256 else 0
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


BITMAPS = {
    "button_recieve_ef.bmp": draw_receive,        # resource 147
    "button_abort_ef.bmp": draw_abort,            # resource 149
    "button_read_file.bmp": draw_read_file,       # resource 143
    "button_export_excel.bmp": draw_export_excel, # resource 148
    "button_printer_setting.bmp": draw_printer_setting,  # resource 145
    "button_export_printer.bmp": draw_export_printer,    # resource 144
    "button_about.bmp": draw_about,               # resource 132
    "button_exit.bmp": draw_exit,                 # resource 137
}


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "app", "win32", "res")
    os.makedirs(out_dir, exist_ok=True)
    for name, draw in BITMAPS.items():
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(bmp_bytes(draw()))
    with open(os.path.join(out_dir, "kjvt58.ico"), "wb") as f:
        f.write(ico_bytes([draw_icon(16), draw_icon(32), draw_icon(48)]))


if __name__ == "__main__":
    main()
