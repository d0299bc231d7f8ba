"""TIFF samples: Pillow's modes raw and PackBits, libtiff's tiffcp variants (Motorola byte order,
PackBits, rows per strip, planar layout), 4-bit and extra-sample files from here, a two-page file,
and files that lie (struct-built directories).

CMYK is read as red = max(0, 255 - C - K) and so on (Pillow multiplies instead); for CMYK files and
for a ColorMap longer than the pixel depth allows the expected image is built here.
"""
import os
import random
import struct
import subprocess

from PIL import Image

from ._common import built, expected, pillow_expected, put, save_bytes

BYTE, SHORT, LONG, RATIONAL = 1, 3, 4, 5


def build(width, height, bits, photometric, strips, rows_per_strip, compression=1, colormap=None, big=False,
          extra=(), drop=(), override=None, next_offset=0):
    """A TIFF file with one directory at 8 and the strips after it; entries may be dropped,
    overridden ({tag: (type, count, raw value bytes or values)}) or added."""
    e = ">" if big else "<"
    entries = {
        256: (LONG, 1, [width]), 257: (LONG, 1, [height]), 258: (SHORT, len(bits), list(bits)),
        259: (SHORT, 1, [compression]), 262: (SHORT, 1, [photometric]), 273: (LONG, len(strips), None),
        277: (SHORT, 1, [len(bits)]), 278: (LONG, 1, [rows_per_strip]),
        279: (LONG, len(strips), [len(s) for s in strips]),
    }
    if colormap is not None:
        entries[320] = (SHORT, len(colormap), list(colormap))
    for tag, value in extra:
        entries[tag] = value
    for tag in drop:
        entries.pop(tag, None)
    if override:
        entries.update(override)
    tags = sorted(entries)
    directory_size = 2 + 12 * len(tags) + 4
    data = bytearray()
    data_start = 8 + directory_size
    packed_values = {}
    for tag in tags:
        type_, count, values = entries[tag]
        if values is None or isinstance(values, bytes):
            continue
        fmt = {BYTE: "B", SHORT: "H", LONG: "I", RATIONAL: "II"}[type_]
        raw = b"".join(struct.pack(e + fmt, *(v if isinstance(v, tuple) else (v,))) for v in values)
        if len(raw) > 4:
            if (data_start + len(data)) % 2:
                data.append(0)
            packed_values[tag] = struct.pack(e + "I", data_start + len(data))
            data += raw
        else:
            packed_values[tag] = raw.ljust(4, b"\0")
    strip_offsets = []
    for s in strips:
        if (data_start + len(data)) % 2:
            data.append(0)
        strip_offsets.append(data_start + len(data))
        data += s
    if entries.get(273, (0, 0, 0))[2] is None:
        if len(strips) == 1:
            packed_values[273] = struct.pack(e + "I", strip_offsets[0])
        else:
            packed_values[273] = struct.pack(e + "I", data_start + len(data))
            data += b"".join(struct.pack(e + "I", o) for o in strip_offsets)
    out = bytearray(b"MM\0*" if big else b"II*\0") + struct.pack(e + "I", 8) + struct.pack(e + "H", len(tags))
    for tag in tags:
        type_, count, values = entries[tag]
        raw = values if isinstance(values, bytes) else packed_values[tag]
        out += struct.pack(e + "HHI", tag, type_, count) + raw
    out += struct.pack(e + "I", next_offset)
    return bytes(out + data)


def packbits(row):
    out = bytearray()
    i = 0
    while i < len(row):
        run = 1
        while i + run < len(row) and run < 128 and row[i + run] == row[i]:
            run += 1
        if run >= 2:
            out += struct.pack("b", 1 - run) + bytes((row[i],))
            i += run
        else:
            j = i
            while j < len(row) and j - i < 128 and not (j + 1 < len(row) and row[j + 1] == row[j]):
                j += 1
            j = max(j, i + 1)
            out += struct.pack("b", j - i - 1) + bytes(row[i:j])
            i = j
    return bytes(out)


def _tiffcp(outdir, source, name, *options):
    """tiffcp's copy of a sample, with Pillow's decode as its expected image."""
    subprocess.run(["tiffcp", *options, os.path.join(outdir, source), os.path.join(outdir, name)], check=True)
    pillow_expected(outdir, name)
    return name


def write(outdir):
    names = []
    rng = random.Random(9)
    pictures = {
        "1": Image.frombytes("1", (13, 9), bytes(rng.randrange(256) for _ in range(2 * 9))),
        "l": Image.frombytes("L", (17, 12), bytes(rng.choice((0, 0, 0, 80, 255)) for _ in range(17 * 12))),
        "rgb": Image.frombytes("RGB", (19, 11), bytes(rng.choice((5, 5, 5, 130, 250)) for _ in range(19 * 11 * 3))),
        "rgba": Image.frombytes("RGBA", (7, 6), bytes(rng.randrange(256) for _ in range(7 * 6 * 4))),
    }
    paletted = Image.frombytes("P", (15, 8), bytes(rng.randrange(200) for _ in range(15 * 8)))
    paletted.putpalette([rng.randrange(256) for _ in range(600)])
    pictures["p"] = paletted
    for label, image in pictures.items():
        for compression in ("raw", "packbits"):
            name = f"tiff_pillow_{label}_{compression}.tif"
            image.save(os.path.join(outdir, name), compression=None if compression == "raw" else "packbits")
            pillow_expected(outdir, name)
            names.append(name)

    # libtiff's variants of one picture: Motorola order, PackBits, several strips, both at once.
    base = "tiff_pillow_rgb_raw.tif"
    for name, options in (("tiff_tiffcp_bigendian.tif", ["-B"]), ("tiff_tiffcp_packbits.tif", ["-c", "packbits"]),
                          ("tiff_tiffcp_rows3.tif", ["-r", "3"]),
                          ("tiff_tiffcp_bigendian_packbits_rows2.tif", ["-B", "-c", "packbits", "-r", "2"]),
                          ("tiff_tiffcp_grey_bigendian.tif", ["-B", "-r", "5"])):
        source = "tiff_pillow_l_raw.tif" if "grey" in name else base
        names.append(_tiffcp(outdir, source, name, *options))
    names.append(_tiffcp(outdir, "tiff_pillow_p_raw.tif", "tiff_tiffcp_palette_packbits.tif", "-c", "packbits", "-r", "3"))
    names.append(_tiffcp(outdir, "tiff_pillow_1_raw.tif", "tiff_tiffcp_bilevel_bigendian.tif", "-B", "-r", "4"))

    # CMYK, raw and PackBits (read by the subtractive formula).
    width, height = 9, 5
    cmyk = [tuple(rng.choice((0, 30, 128, 255)) for _ in range(4)) for _ in range(width * height)]
    picture = Image.new("CMYK", (width, height))
    picture.putdata(cmyk)
    for compression in ("raw", "packbits"):
        name = f"tiff_pillow_cmyk_{compression}.tif"
        picture.save(os.path.join(outdir, name), compression=None if compression == "raw" else "packbits")
        cmyk_read = Image.new("RGB", (width, height))
        cmyk_read.putdata([(max(0, 255 - c - k), max(0, 255 - m - k), max(0, 255 - y - k)) for c, m, y, k in cmyk])
        expected(outdir, name, cmyk_read)
        names.append(name)

    # 4-bit grey (WhiteIsZero and BlackIsZero) and 4-bit palette, which Pillow does not write.
    width, height = 11, 4
    nibbles = [rng.randrange(16) for _ in range(width * height)]
    rows = [bytes((nibbles[y * width + x] << 4 | (nibbles[y * width + x + 1] if x + 1 < width else 0))
                  for x in range(0, width, 2)) for y in range(height)]
    for photometric, label in ((1, "blackiszero"), (0, "whiteiszero")):
        name = put(outdir, f"tiff_gray4_{label}.tif", build(width, height, [4], photometric, [b"".join(rows)], height))
        levels = [v * 17 if photometric == 1 else (15 - v) * 17 for v in nibbles]
        expected(outdir, name, Image.frombytes("L", (width, height), bytes(levels)))
        names.append(name)
    colours = [tuple(rng.randrange(256) for _ in range(3)) for _ in range(16)]
    colormap = [c[k] * 257 for k in range(3) for c in colours]
    names.append(built(outdir, "tiff_palette4_packbits.tif",
                       build(width, height, [4], 3, [b"".join(packbits(r) for r in rows)], height, 32773, colormap, big=True),
                       (width, height), [colours[v] for v in nibbles]))
    # A ColorMap longer than 3 x 2^bits: its thirds are taken as if it had 3 x 16 values.
    long_map = colormap + [0xFFFF] * 30
    thirds = [[long_map[k * 16 + i] >> 8 for k in range(3)] for i in range(16)]
    names.append(built(outdir, "tiff_palette4_long_colormap.tif",
                       build(width, height, [4], 3, [b"".join(rows)], height, colormap=long_map),
                       (width, height), [tuple(thirds[v]) for v in nibbles]))
    # A ColorMap of 4 colours for pixel values up to 7: the missing colours are black.
    values = bytes(i % 8 for i in range(8 * 3))
    colours = [(250, 0, 0), (0, 250, 0), (0, 0, 250), (120, 130, 140)]
    names.append(built(outdir, "tiff_colormap_shorter_than_pixels.tif",
                       build(8, 3, [8], 3, [values], 3, colormap=[c[k] * 256 for k in range(3) for c in colours]),
                       (8, 3), [colours[v] if v < 4 else (0, 0, 0) for v in values]))
    # RowsPerStrip 2^32 - 1 (one strip holding everything), as libtiff writes single strips.
    grey = bytes(rng.randrange(256) for _ in range(6 * 3))
    name = put(outdir, "tiff_rows_per_strip_max.tif", build(6, 3, [8], 1, [grey], 0xFFFFFFFF))
    expected(outdir, name, Image.frombytes("L", (6, 3), grey))
    names.append(name)
    # Two pages.
    name = "tiff_two_pages.tif"
    pictures["rgb"].save(os.path.join(outdir, name), save_all=True, append_images=[pictures["l"]])
    pillow_expected(outdir, name)
    names.append(name)

    # Files that lie.
    pixels = bytes(range(8)) * 4
    names.append(save_bytes(outdir, "tiff_bad_one_strip_short_rows.tif", build(8, 4, [8], 1, [pixels], 2),
                            Image.frombytes("L", (8, 4), pixels)))
    names.append(put(outdir, "tiff_bad_packbits_overrun.tif",
                      build(8, 4, [8], 1, [packbits(pixels[:8]) + b"\x7f" + bytes(128)], 4, 32773)))
    names.append(put(outdir, "tiff_bad_strip_past_end.tif",
                      build(8, 4, [8], 1, [pixels], 4, override={273: (LONG, 1, struct.pack("<I", 10 ** 9))})))
    names.append(put(outdir, "tiff_bad_huge_tag_count.tif",
                      build(8, 4, [8], 1, [pixels[:16], pixels[16:]], 2, override={273: (LONG, 1 << 30, struct.pack("<I", 200))})))
    names.append(put(outdir, "tiff_bad_palette_no_colormap.tif", build(8, 4, [8], 3, [pixels], 4)))
    names.append(put(outdir, "tiff_bad_field_type.tif",
                      build(8, 4, [8], 1, [pixels], 4, override={256: (RATIONAL, 1, struct.pack("<I", 8))})))
    names.append(put(outdir, "tiff_bad_samples.tif", build(8, 4, [8, 8], 1, [pixels * 2], 4)))
    names.append(put(outdir, "tiff_bad_bits_count.tif",
                      build(8, 4, [8, 8, 8], 2, [pixels * 3], 4, override={277: (SHORT, 1, [4])})))
    names.append(put(outdir, "tiff_bad_planar.tif", build(8, 4, [8, 8, 8], 2, [pixels * 3], 4, extra=[(284, (SHORT, 1, [2]))])))
    names.append(put(outdir, "tiff_bad_rows_per_strip_zero.tif", build(8, 4, [8], 1, [pixels[:16], pixels[16:]], 0)))
    names.append(put(outdir, "tiff_bad_strip_count.tif", build(8, 4, [8], 1, [pixels[:16], pixels[16:]], 1)))
    names.append(put(outdir, "tiff_bad_zero_width.tif", build(0, 4, [8], 1, [pixels], 4)))
    names.append(put(outdir, "tiff_bad_huge_width.tif", build(0xFFFFFFFF, 4, [8], 1, [pixels], 4)))
    names.append(put(outdir, "tiff_bad_truncated.tif", build(80, 40, [8, 8, 8], 2, [bytes(80 * 3 * 5)], 40)))
    names.append(put(outdir, "tiff_bad_broken_chain.tif", build(8, 4, [8], 1, [pixels], 4, next_offset=10 ** 8)))
    names.append(put(outdir, "tiff_bad_looping_chain.tif", build(8, 4, [8], 1, [pixels], 4, next_offset=8)))
    names.append(put(outdir, "tiff_bad_directory_past_end.tif", b"II*\0" + struct.pack("<I", 10 ** 6) + bytes(20)))
    pictures["rgb"].save(os.path.join(outdir, "tiff_bad_lzw.tif"), compression="tiff_lzw")
    names.append("tiff_bad_lzw.tif")
    pictures["1"].save(os.path.join(outdir, "tiff_bad_group4.tif"), compression="group4")
    names.append("tiff_bad_group4.tif")
    return names
