#!/usr/bin/python3
"""Draw the application icon of tolvexan: a small printer with a sheet of paper.

Writes an .ico file with two images, 32x32 and 16x16, each with 16 colours
(4 bits per pixel, one plane), in the order the resource script expects them.
Plain Python: the file is assembled byte by byte (icon directory, then per
image a BITMAPINFOHEADER, the 16-entry palette, the colour (XOR) bitmap and
the transparency (AND) mask), so the output is the same on every machine.

    /usr/bin/python3 scripts/draw_icon.py [output.ico]     (default: res/app.ico)
"""

import os
import struct
import sys

# The 16-colour VGA palette, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, DARK_GREEN, NAVY, SILVER, GREY, GREEN, WHITE = 0, 2, 4, 7, 8, 10, 15


class Canvas:
    """A square image; None marks a transparent pixel. (0, 0) is top left."""

    def __init__(self, size):
        self.size = size
        self.px = [[None] * size for _ in range(size)]

    def fill(self, x0, y0, x1, y1, colour):
        """Fill the rectangle with corners (x0, y0) and (x1, y1), inclusive."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.px[y][x] = colour

    def box(self, x0, y0, x1, y1, inside, border=BLACK):
        """A filled rectangle with a one-pixel border."""
        self.fill(x0, y0, x1, y1, border)
        if x1 - x0 >= 2 and y1 - y0 >= 2:
            self.fill(x0 + 1, y0 + 1, x1 - 1, y1 - 1, inside)

    def hline(self, x0, x1, y, colour):
        self.fill(x0, y, x1, y, colour)


def draw_32():
    c = Canvas(32)
    # Sheet waiting in the paper feed, behind the body, with lines of print.
    c.box(9, 1, 22, 13, WHITE)
    for y in (4, 6, 8):
        c.hline(11, 20, y, GREY)
    c.hline(11, 16, 10, GREY)
    # Body of the printer, lit from above, shaded below.
    c.box(1, 11, 30, 24, SILVER)
    c.hline(2, 29, 12, WHITE)
    c.hline(2, 29, 23, GREY)
    # Paper slot across the top of the body.
    c.hline(7, 24, 14, BLACK)
    c.hline(7, 24, 15, GREY)
    # Power lamp and a button on the right of the front panel.
    c.fill(25, 18, 26, 19, GREEN)
    c.hline(25, 26, 20, DARK_GREEN)
    c.fill(21, 18, 22, 19, NAVY)
    # Output tray in front, holding a printed sheet.
    c.box(4, 24, 27, 29, GREY)
    c.box(8, 24, 23, 28, WHITE)
    c.hline(10, 21, 26, GREY)
    return c


def draw_16():
    c = Canvas(16)
    c.box(4, 0, 11, 7, WHITE)
    c.hline(5, 10, 2, GREY)
    c.hline(5, 9, 4, GREY)
    c.box(0, 6, 15, 12, SILVER)
    c.hline(1, 14, 7, WHITE)
    c.hline(3, 12, 8, BLACK)
    c.hline(1, 14, 11, GREY)
    c.fill(12, 9, 13, 9, GREEN)
    c.box(2, 12, 13, 15, GREY)
    c.box(4, 12, 11, 14, WHITE)
    return c


def row_bytes(bits_per_row):
    """Bytes of one bitmap row, padded to a multiple of four."""
    return (bits_per_row + 31) // 32 * 4


def encode_image(canvas):
    """One icon image: BITMAPINFOHEADER, palette, XOR bitmap, AND mask."""
    n = canvas.size
    xor_stride, and_stride = row_bytes(4 * n), row_bytes(n)
    xor_data = bytearray()
    and_data = bytearray()
    for y in reversed(range(n)):          # bitmaps are stored bottom-up
        row = canvas.px[y]
        colours = bytearray(xor_stride)
        mask = bytearray(and_stride)
        for x, colour in enumerate(row):
            if colour is None:            # transparent: black in XOR, 1 in AND
                mask[x // 8] |= 0x80 >> (x % 8)
                colour = BLACK
            colours[x // 2] |= colour << (4 if x % 2 == 0 else 0)
        xor_data += colours
        and_data += mask
    header = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 4, 0,
                         len(xor_data) + len(and_data), 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + bytes(xor_data) + bytes(and_data)


def encode_icon(canvases):
    images = [encode_image(c) for c in canvases]
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for canvas, image in zip(canvases, images):
        out += struct.pack('<BBBBHHII', canvas.size, canvas.size, 16, 0, 1, 4,
                           len(image), offset)
        offset += len(image)
    for image in images:
        out += image
    return bytes(out)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    target = argv[1] if len(argv) > 1 else os.path.join(here, '..', 'res', 'app.ico')
    data = encode_icon([draw_32(), draw_16()])
    with open(target, 'wb') as f:
        f.write(data)
    print('%s: %d bytes' % (os.path.normpath(target), len(data)))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
