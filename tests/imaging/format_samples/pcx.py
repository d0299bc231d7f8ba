"""Paintbrush samples: Pillow's four modes, four-plane 16-colour files (version 5 with the header
palette, version 3 with the system colours), runs crossing the end of a line, and files that lie.

Where Pillow's decode is not the library's reading (version 3 files use the 16 system colours
whatever the header holds; a run crossing a line's end is cut there) the expected image is
built here from the pixels written.
"""
import os
import random
import struct

from PIL import Image

from ._common import built, expected, pillow_expected, put

SYSTEM16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
            (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
            (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def header(width, height, bits, planes, bytes_per_line, version=5, palette16=b"\0" * 48, palette_info=1,
           reserved=0, xmin=0, ymin=0):
    return (struct.pack("<BBBBHHHHHH", 10, version, 1, bits, xmin, ymin, xmin + width - 1, ymin + height - 1, 72, 72)
            + palette16 + struct.pack("<BBHH", reserved, planes, bytes_per_line, palette_info) + b"\0" * 58)


def rle(line):
    """Run-length encodes one line the usual way (runs end at the line's end)."""
    out = bytearray()
    i = 0
    while i < len(line):
        run = 1
        while i + run < len(line) and run < 63 and line[i + run] == line[i]:
            run += 1
        if run > 1 or line[i] >= 192:
            out += bytes((192 | run, line[i]))
        else:
            out.append(line[i])
        i += run
    return bytes(out)


def _planes4(indices, width, height, bytes_per_line):
    data = bytearray()
    for y in range(height):
        line = bytearray()
        for k in range(4):
            plane = bytearray(bytes_per_line)
            for x in range(width):
                if (indices[y * width + x] >> k) & 1:
                    plane[x // 8] |= 0x80 >> (x % 8)
            line += plane
        data += rle(bytes(line))
    return bytes(data)


def write(outdir):
    names = []
    rng = random.Random(23)
    # Pillow's modes; odd widths give padded lines.
    pictures = {
        "1": Image.frombytes("1", (13, 6), bytes(rng.randrange(256) for _ in range(12))),
        "L": Image.frombytes("L", (13, 5), bytes(rng.randrange(256) for _ in range(65))),
        "RGB": Image.frombytes("RGB", (11, 7), bytes(rng.choice((0, 9, 200, 255)) for _ in range(231))),
    }
    paletted = Image.frombytes("P", (9, 8), bytes(rng.randrange(256) for _ in range(72)))
    paletted.putpalette([rng.randrange(256) for _ in range(768)])
    pictures["P"] = paletted
    for mode, image in pictures.items():
        name = f"pcx_pillow_{mode.lower()}.pcx"
        image.save(os.path.join(outdir, name))
        pillow_expected(outdir, name)
        names.append(name)

    # Four planes of one bit, plane k giving bit k of the index: version 5 takes the header palette.
    # netpbm's pcxtoppm reads these planes so; Pillow takes the planes in another order.
    width, height, bpl = 21, 5, 4
    indices = [rng.randrange(16) for _ in range(width * height)]
    palette16 = bytes(rng.randrange(256) for _ in range(48))
    # Version 3: the 16 system colours, whatever the header palette holds.
    for version, colours in ((5, [tuple(palette16[3 * i:3 * i + 3]) for i in range(16)]), (3, SYSTEM16)):
        names.append(built(outdir, f"pcx_planes4_v{version}.pcx",
                           header(width, height, 1, 4, bpl, version, palette16) + _planes4(indices, width, height, bpl),
                           (width, height), [colours[i] for i in indices]))

    # Runs of 63 crossing the end of each 40-byte line: the line is filled, the rest is lost.
    width, height = 40, 4
    values = [17, 99, 201, 5]
    data = b"".join(bytes((255, v)) for v in values)
    palette = bytes(c for i in range(256) for c in (i, 255 - i, i // 2))
    names.append(built(outdir, "pcx_runs_cross_lines.pcx", header(width, height, 8, 1, width) + data + b"\x0c" + palette,
                       (width, height), [(v, 255 - v, v // 2) for v in values for _ in range(width)]))
    # A window that does not start at 0, and lines longer than the width needs.
    width, height, bpl = 6, 3, 10
    pixels = [rng.randrange(256) for _ in range(width * height * 3)]
    body = b"".join(rle(bytes(pixels[(y * width + x) * 3 + c] for x in range(width)) + b"\0" * (bpl - width))
                    for y in range(height) for c in range(3))
    name = put(outdir, "pcx_rgb_offset_window.pcx", header(width, height, 8, 3, bpl, xmin=100, ymin=7) + body)
    expected(outdir, name, Image.frombytes("RGB", (width, height), bytes(pixels)))
    names.append(name)

    # Lines of one literal and 63 one-byte runs: 127 bytes each, so that a run's two bytes straddle
    # the reader's 1024-byte refills.
    width, height = 64, 24
    lines = [[rng.randrange(192)] + [rng.randrange(256) for _ in range(63)] for _ in range(height)]
    body = b"".join(bytes([line[0]]) + b"".join(bytes((0xC1, v)) for v in line[1:]) for line in lines)
    name = put(outdir, "pcx_runs_across_refills.pcx", header(width, height, 8, 1, width) + body + b"\x0c" + palette)
    pillow_expected(outdir, name)
    names.append(name)

    # Files that lie.
    rows8 = rle(bytes(range(16))) * 4
    names.append(put(outdir, "pcx_bad_short_lines_8bit.pcx", header(64, 4, 8, 1, 16) + rows8 + b"\x0c" + palette))
    names.append(put(outdir, "pcx_bad_short_lines_24bit.pcx", header(64, 4, 8, 3, 16) + rows8 * 3))
    names.append(put(outdir, "pcx_bad_short_lines_1bit.pcx", header(200, 4, 1, 1, 2) + rle(b"\xaa\x55") * 4))
    names.append(put(outdir, "pcx_bad_palette_info_2.pcx", header(16, 4, 8, 1, 16, palette_info=2) + rows8 + b"\x0c" + palette))
    names.append(put(outdir, "pcx_bad_no_palette_marker.pcx", header(16, 4, 8, 1, 16) + rows8 + b"\x0d" + palette))
    names.append(put(outdir, "pcx_bad_shorter_than_palette.pcx", header(16, 4, 8, 1, 16) + rows8))
    names.append(put(outdir, "pcx_bad_reserved.pcx", header(16, 4, 8, 3, 16, reserved=1) + rows8 * 3))
    names.append(put(outdir, "pcx_bad_planes.pcx", header(16, 4, 8, 2, 16) + rows8 * 2))
    names.append(put(outdir, "pcx_bad_inverted_window.pcx", header(16, 4, 8, 3, 16, xmin=300)[:8] + struct.pack("<H", 10)
                      + header(16, 4, 8, 3, 16)[10:] + rows8 * 3))
    names.append(put(outdir, "pcx_bad_truncated.pcx", header(300, 200, 8, 3, 300) + rle(bytes(300)) * 5))
    return names
