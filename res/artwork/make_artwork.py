#!/usr/bin/env python3
"""Draws Skyloom's artwork: the sky chart background (sky.bmp, 155x155,
4 bits per pixel) and the program icon (skyloom.ico, 32x32 and 16x16,
8 bits per pixel).

Everything is integer arithmetic and a fixed pseudo-random sequence, so the
same script writes the same bytes on every machine; the committed files are
checked against a fresh run (--check).

    make_artwork.py            rewrite the files next to this script
    make_artwork.py --check    exit 1 when a committed file differs
"""

import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))

# --- the sky chart ----------------------------------------------------------
# The status panel projects satellites onto this picture: zenith at (77, 77),
# horizon at radius 63 (90 degrees x 0.7 px). The cross hairs sit on column 77
# and row 78.
SKY_SIZE = 155
ZENITH = 77
HORIZON_RADIUS = 63
CROSS_COLUMN = 77
CROSS_ROW = 78
RING_RADII = (21, 42, HORIZON_RADIUS)  # elevations 60, 30 and 0 degrees

SKY_PALETTE = [  # (r, g, b)
    (0, 0, 0),        # 0 unused black
    (8, 10, 32),      # 1 night sky
    (150, 150, 170),  # 2 faint star
    (230, 230, 255),  # 3 bright star
    (10, 40, 110),    # 4 deep ocean (limb)
    (20, 70, 150),    # 5 ocean
    (40, 105, 185),   # 6 shallow ocean
    (30, 110, 50),    # 7 lowland
    (90, 140, 60),    # 8 upland
    (150, 125, 80),   # 9 desert / mountains
    (225, 235, 245),  # 10 polar ice
    (120, 190, 230),  # 11 rings
    (255, 255, 255),  # 12 cross hairs
    (60, 140, 220),   # 13 atmosphere rim
    (0, 0, 0),        # 14 unused
    (0, 0, 0),        # 15 unused
]
NIGHT, STAR_FAINT, STAR_BRIGHT = 1, 2, 3
DEEP, OCEAN, SHALLOW, LOW, HIGH, DESERT, ICE, RING, CROSS, RIM = range(4, 14)


class Lcg:
    """The C library's classic rand(): a portable, fixed sequence."""

    def __init__(self, seed):
        self.state = seed

    def next(self):
        self.state = (self.state * 1103515245 + 12345) & 0x7FFFFFFF
        return self.state >> 16


def lattice(ix, iy, seed):
    """A fixed pseudo-random value 0..255 for a lattice point."""
    h = (ix * 374761393 + iy * 668265263 + seed * 2246822519) & 0xFFFFFFFF
    h = ((h ^ (h >> 13)) * 1274126177) & 0xFFFFFFFF
    return (h ^ (h >> 16)) & 0xFF


def value_noise(x, y, cell, seed):
    """Bilinear value noise in integers: 0..255."""
    ix, fx = divmod(x, cell)
    iy, fy = divmod(y, cell)
    a = lattice(ix, iy, seed)
    b = lattice(ix + 1, iy, seed)
    c = lattice(ix, iy + 1, seed)
    d = lattice(ix + 1, iy + 1, seed)
    top = a * (cell - fx) + b * fx
    bottom = c * (cell - fx) + d * fx
    return (top * (cell - fy) + bottom * fy) // (cell * cell)


def terrain(x, y):
    """Continents: two octaves of noise, 0..255."""
    return (2 * value_noise(x, y, 24, 7) + value_noise(x, y, 9, 11)) // 3


def on_ring(d2, radius):
    """True when the pixel's distance rounds to radius: (2r-1)^2 <= 4 d2 < (2r+1)^2."""
    return (2 * radius - 1) ** 2 <= 4 * d2 < (2 * radius + 1) ** 2


def sky_pixels():
    px = [[NIGHT] * SKY_SIZE for _ in range(SKY_SIZE)]
    rng = Lcg(1977)
    for _ in range(170):
        x = rng.next() % SKY_SIZE
        y = rng.next() % SKY_SIZE
        px[y][x] = STAR_BRIGHT if rng.next() % 4 == 0 else STAR_FAINT

    horizon2 = HORIZON_RADIUS * HORIZON_RADIUS
    for y in range(SKY_SIZE):
        for x in range(SKY_SIZE):
            dx, dy = x - ZENITH, y - ZENITH
            d2 = dx * dx + dy * dy
            if d2 > horizon2:
                if on_ring(d2, HORIZON_RADIUS + 1):
                    px[y][x] = RIM
                continue
            # Seen from above the pole: ice around the centre, land and sea
            # elsewhere, darker towards the limb.
            height = terrain(x + 40, y + 40)
            if d2 <= 9 * 9 + (height - 128) // 4:
                colour = ICE
            elif height > 150:
                colour = DESERT if height > 185 else (HIGH if height > 165 else LOW)
            elif height > 135:
                colour = SHALLOW
            else:
                colour = OCEAN
            if d2 > 56 * 56 and colour in (OCEAN, SHALLOW):
                colour = DEEP
            px[y][x] = colour

    for radius in RING_RADII:
        for y in range(SKY_SIZE):
            for x in range(SKY_SIZE):
                dx, dy = x - ZENITH, y - ZENITH
                if on_ring(dx * dx + dy * dy, radius):
                    px[y][x] = RING
    for i in range(ZENITH - HORIZON_RADIUS - 4, ZENITH + HORIZON_RADIUS + 5):
        px[i][CROSS_COLUMN] = CROSS
        px[CROSS_ROW][i] = CROSS
    return px


def bmp_4bpp(pixels, palette):
    height = len(pixels)
    width = len(pixels[0])
    stride = ((width * 4 + 31) // 32) * 4
    rows = []
    for row in reversed(pixels):  # bottom-up
        packed = bytearray()
        for i in range(0, width, 2):
            hi = row[i]
            lo = row[i + 1] if i + 1 < width else 0
            packed.append((hi << 4) | lo)
        packed.extend(b"\0" * (stride - len(packed)))
        rows.append(bytes(packed))
    image = b"".join(rows)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(image), 2835, 2835, 16, 0)
    offset = 14 + len(info) + len(colours)
    header = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
    return header + info + colours + image


# --- the icon -----------------------------------------------------------------
ICON_PALETTE = [
    (0, 0, 0),        # 0 transparent area (masked)
    (10, 40, 110),    # 1 globe limb
    (30, 90, 175),    # 2 globe
    (40, 130, 70),    # 3 land
    (255, 255, 255),  # 4 rings and cross hairs
    (255, 170, 20),   # 5 satellite
    (8, 10, 32),      # 6 outline
]


def icon_pixels(size):
    """A small sky chart: globe, a ring, cross hairs, one satellite.
    Returns (colour index rows, transparent mask rows)."""
    c2 = size - 1  # centre times two, so both sizes centre between pixels
    r = size // 2 - 1
    px = [[0] * size for _ in range(size)]
    mask = [[1] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            dx, dy = 2 * x - c2, 2 * y - c2
            d2 = dx * dx + dy * dy  # four times the squared distance
            if d2 > (2 * r + 1) ** 2:
                continue
            mask[y][x] = 0
            if d2 > (2 * r - 1) ** 2:
                colour = 6
            elif d2 > (2 * r - 3) ** 2:
                colour = 1
            else:
                colour = 3 if terrain(x * 64 // size, y * 64 // size) > 150 else 2
            if abs(dx) <= 1 or abs(dy) <= 1:
                colour = 4 if d2 <= (2 * r - 1) ** 2 else colour
            ring = r // 2
            if (2 * ring - 1) ** 2 <= d2 < (2 * ring + 1) ** 2:
                colour = 4
            px[y][x] = colour
    # The satellite: a small square up and to the right of the centre.
    s = max(2, size // 8)
    sx, sy = size * 5 // 8, size * 2 // 8
    for y in range(sy, sy + s):
        for x in range(sx, sx + s):
            px[y][x] = 5
            mask[y][x] = 0
    return px, mask


def icon_image_8bpp(pixels, mask, palette):
    size = len(pixels)
    colours = [(0, 0, 0)] * 256
    colours[: len(palette)] = palette
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in colours)
    xor_stride = ((size * 8 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor_rows, and_rows = [], []
    for y in reversed(range(size)):
        xor_rows.append(bytes(pixels[y]) + b"\0" * (xor_stride - size))
        bits = bytearray(and_stride)
        for x in range(size):
            if mask[y][x]:
                bits[x // 8] |= 0x80 >> (x % 8)
        and_rows.append(bytes(bits))
    xor_data = b"".join(xor_rows)
    and_data = b"".join(and_rows)
    info = struct.pack(
        "<IiiHHIIiiII", 40, size, 2 * size, 1, 8, 0, len(xor_data) + len(and_data), 0, 0, 256, 0
    )
    return info + table + xor_data + and_data


def ico(sizes):
    images = []
    for size in sizes:
        px, mask = icon_pixels(size)
        images.append((size, icon_image_8bpp(px, mask, ICON_PALETTE)))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 8, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in images)


def artwork():
    return {
        "sky.bmp": bmp_4bpp(sky_pixels(), SKY_PALETTE),
        "skyloom.ico": ico((32, 16)),
    }


def main(argv):
    check = "--check" in argv[1:]
    differing = []
    for name, data in artwork().items():
        path = os.path.join(HERE, name)
        if check:
            try:
                with open(path, "rb") as f:
                    if f.read() != data:
                        differing.append(name)
            except OSError:
                differing.append(name)
        else:
            with open(path, "wb") as f:
                f.write(data)
    if differing:
        print("artwork differs from a fresh run: " + ", ".join(differing), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
