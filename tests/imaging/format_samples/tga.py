"""Targa samples: Pillow's types 1, 2 and 3 and their run-length forms 9, 10 and 11 with both
origins Pillow writes, 32-bit pixels, and from here the variants Pillow does not write or reads
otherwise (16-bit 5-5-5 pixels and colour maps, right-to-left origins, packets running across rows,
an ID field) and files that lie.

Pillow widens 5-bit values as (v << 3) | (v >> 2), refuses right-to-left origins and packets
running across rows; for those files the expected image is built here, with 5-bit values read as
v << 3.
"""
import os
import random
import struct

from PIL import Image

from ._common import built, expected, pillow_expected, put


def header(width, height, depth, image_type, descriptor=0, map_type=0, first=0, length=0, entry_bits=0, id_length=0):
    return struct.pack("<BBBHHBHHHHBB", id_length, map_type, image_type, first, length, entry_bits, 0, 0,
                       width, height, depth, descriptor)


def _rgb555(value):
    return (((value >> 10) & 31) << 3, ((value >> 5) & 31) << 3, (value & 31) << 3)


def _rle_stream(pixels):
    """Packets over the whole image, ignoring row ends: runs of equal pixels, raw packets otherwise."""
    out = bytearray()
    i = 0
    while i < len(pixels):
        run = 1
        while i + run < len(pixels) and run < 128 and pixels[i + run] == pixels[i]:
            run += 1
        if run > 1:
            out += bytes((128 | (run - 1),)) + pixels[i]
            i += run
        else:
            raw = 1
            while i + raw < len(pixels) and raw < 128 and pixels[i + raw] != pixels[i + raw - 1]:
                raw += 1
            out += bytes((raw - 1,)) + b"".join(pixels[i:i + raw])
            i += raw
    return bytes(out)


def write(outdir):
    names = []
    rng = random.Random(5)
    rgb = Image.frombytes("RGB", (13, 7), bytes(rng.choice((0, 40, 41, 200)) for _ in range(13 * 7 * 3)))
    rgba = Image.frombytes("RGBA", (6, 5), bytes(rng.randrange(256) for _ in range(6 * 5 * 4)))
    grey = Image.frombytes("L", (9, 6), bytes(rng.choice((3, 3, 3, 90)) for _ in range(54)))
    paletted = Image.frombytes("P", (10, 4), bytes(rng.randrange(32) for _ in range(40)))
    paletted.putpalette([rng.randrange(256) for _ in range(96)])
    for label, image in (("rgb", rgb), ("rgba", rgba), ("grey", grey), ("palette", paletted)):
        for compression in (None, "tga_rle"):
            for orientation in (-1, 1):
                name = "tga_pillow_{}_{}_{}.tga".format(label, "rle" if compression else "raw",
                                                        "top" if orientation == 1 else "bottom")
                image.save(os.path.join(outdir, name), compression=compression, orientation=orientation)
                pillow_expected(outdir, name)
                names.append(name)

    # The same picture with each of the four origins (bit 4 right-to-left, bit 5 top-to-bottom).
    width, height = 5, 3
    pixels = [tuple(rng.randrange(256) for _ in range(3)) for _ in range(width * height)]
    for descriptor, label in ((0, "bottom_left"), (16, "bottom_right"), (32, "top_left"), (48, "top_right")):
        rows = []
        for r in range(height):
            y = r if descriptor & 32 else height - 1 - r
            row = [pixels[y * width + x] for x in range(width)]
            if descriptor & 16:
                row.reverse()
            rows.append(b"".join(bytes((b, g, r_)) for (r_, g, b) in row))
        names.append(built(outdir, f"tga_origin_{label}.tga", header(width, height, 24, 2, descriptor) + b"".join(rows),
                           (width, height), pixels))

    # 16-bit 5-5-5 pixels, run-length encoded across rows, with an ID field.
    width, height = 7, 4
    values = [rng.choice((0x7FFF, 0x001F, 0x7C00, 0x1234)) for _ in range(width * height)]
    packed = [struct.pack("<H", v) for v in values]
    names.append(built(outdir, "tga_16bit_rle_id.tga",
                       header(width, height, 16, 10, 32, id_length=5) + b"hello" + _rle_stream(packed),
                       (width, height), [_rgb555(v) for v in values]))
    # 24-bit packets that run across rows, bottom-left origin.
    width, height = 6, 5
    flat = [bytes((b, b, 255 - b)) for b in (rng.choice((10, 10, 10, 77)) for _ in range(width * height))]
    # The file's first row is the picture's bottom row.
    names.append(built(outdir, "tga_rle_across_rows.tga", header(width, height, 24, 10) + _rle_stream(flat),
                       (width, height), [(p[2], p[1], p[0]) for y in range(height)
                                         for p in flat[(height - 1 - y) * width:(height - y) * width]]))
    # Colour maps of 16-bit and 32-bit entries, right-to-left from the top.
    for bits in (16, 32):
        colours = [tuple(rng.randrange(32) << 3 for _ in range(3)) for _ in range(20)]
        if bits == 16:
            cmap = b"".join(struct.pack("<H", (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3)) for r, g, b in colours)
        else:
            cmap = b"".join(bytes((b, g, r, 255)) for r, g, b in colours)
        width, height = 4, 3
        indices = [rng.randrange(20) for _ in range(width * height)]
        body = b"".join(bytes(reversed(indices[y * width:(y + 1) * width])) for y in range(height))
        names.append(built(outdir, f"tga_map{bits}_top_right.tga",
                           header(width, height, 8, 1, 48, map_type=1, length=20, entry_bits=bits) + cmap + body,
                           (width, height), [colours[i] for i in indices]))

    # A colour map shorter than the pixel values: the missing colours are black.
    colours = [(200, 10, 10), (10, 200, 10), (10, 10, 200), (90, 90, 90)]
    indices = [i % 9 for i in range(6 * 2)]
    cmap = b"".join(bytes((b, g, r)) for r, g, b in colours)
    names.append(built(outdir, "tga_map_shorter_than_pixels.tga",
                       header(6, 2, 8, 1, 32, map_type=1, length=4, entry_bits=24) + cmap + bytes(indices),
                       (6, 2), [colours[i] if i < 4 else (0, 0, 0) for i in indices]))

    # Files that lie.
    names.append(put(outdir, "tga_bad_depth15.tga", header(4, 4, 15, 2) + bytes(32)))
    names.append(put(outdir, "tga_bad_first_entry.tga",
                      header(4, 4, 8, 1, map_type=1, first=30, length=20, entry_bits=24) + bytes(60 + 16)))
    names.append(put(outdir, "tga_bad_entry_size.tga",
                      header(4, 4, 8, 1, map_type=1, length=20, entry_bits=15) + bytes(40 + 16)))
    names.append(put(outdir, "tga_bad_zero_width.tga", header(0, 4, 24, 2)))
    names.append(put(outdir, "tga_bad_truncated.tga", header(40, 30, 24, 2) + b"\x40" * (40 * 3 * 5)))
    names.append(put(outdir, "tga_bad_truncated_rle.tga",
                     header(40, 30, 24, 10) + bytes((127,)) + b"\x40" * 384 + bytes((71,)) + b"\x40" * 216))
    names.append(put(outdir, "tga_bad_huge.tga", header(16000, 16000, 24, 2) + bytes(100)))  # within the pixel limit
    return names
