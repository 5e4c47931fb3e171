#!/usr/bin/env python3
"""Draws the application icon (res/Tolmar.ico): a tower with its discs, 32x32 and 16x16,
16 colours. Run it again only to change the picture; the .ico is committed."""
import struct
import sys

# The standard 16-colour VGA palette, in the order Windows uses.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_RED, DARK_BLUE = 0, 1, 4
RED, GREEN, YELLOW, BLUE, WHITE = 9, 10, 11, 12, 15
CLEAR = None


def draw(size, disc_colours, disc_height, top_half_width, width_step):
    """Returns rows (top first) of palette indexes or CLEAR."""
    img = [[CLEAR] * size for _ in range(size)]
    centre = size // 2  # the peg covers the two middle columns
    for x in range(size):                       # base bar, two pixels high
        img[size - 1][x] = img[size - 2][x] = DARK_RED
    for y in range(1, size - 2):                # peg
        img[y][centre - 1] = img[y][centre] = DARK_RED
    bottom = size - 3
    top = bottom - disc_height * len(disc_colours) + 1
    for k, colour in enumerate(disc_colours):   # discs, widening downward
        y0 = top + disc_height * k
        hw = top_half_width + width_step * k
        x0, x1 = centre - hw, centre + hw - 1
        for y in range(y0, y0 + disc_height):
            for x in range(x0, x1 + 1):
                edge = y in (y0, y0 + disc_height - 1) or x in (x0, x1)
                img[y][x] = BLACK if edge else colour
    return img


def dib(img):
    size = len(img)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 0, 0)
    palette = b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in PALETTE)
    xor, mask = b'', b''
    mask_stride = ((size + 31) // 32) * 4
    for row in reversed(img):                   # bottom-up
        pixels = [0 if p is CLEAR else p for p in row]
        xor += bytes((pixels[i] << 4) | pixels[i + 1] for i in range(0, size, 2))
        bits = 0
        for x, p in enumerate(row):
            bits = (bits << 1) | (1 if p is CLEAR else 0)
        mask += bits.to_bytes(size // 8, 'big').ljust(mask_stride, b'\0')
    return header + palette + xor + mask


def main(path):
    images = [
        dib(draw(32, [WHITE, GREEN, YELLOW, RED, DARK_BLUE], 5, 4, 2)),
        dib(draw(16, [YELLOW, RED, BLUE], 4, 3, 2)),
    ]
    sizes = [32, 16]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b''.join(images)
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'res/Tolmar.ico')
