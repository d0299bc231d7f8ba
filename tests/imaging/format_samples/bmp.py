"""BMP samples: Pillow's own files (1, 8 bits palette and grey, 24, 32 bits) and hand-built ones for
what Pillow does not write (4 bits, RLE8, RLE4, 16 bits 5-5-5 and 5-6-5, 32-bit bit fields, OS/2
core headers, top-down rows, a short palette). Pillow's decode is the expected image, except for
16-bit files: their 5- and 6-bit fields are widened by the library's own rule (8v + 8 and 4v + 4,
capped at 255), which Pillow does not share."""
import os
import struct

from PIL import Image

from ._common import expected, save_bytes

W, H = 13, 7


def _rgb(x, y):
    return ((x * 37 + y * 11) % 256, (y * 53 + 7) % 256, (x * y * 9 + 40) % 256)


def _palette(n):
    return [((i * 67) % 256, (i * 29 + 90) % 256, (255 - i * 13) % 256) for i in range(n)]


def _file(info_header, palette_bytes, pixels):
    offset = 14 + len(info_header) + len(palette_bytes)
    total = offset + len(pixels)
    return b"BM" + struct.pack("<IHHI", total, 0, 0, offset) + info_header + palette_bytes + pixels


def _info(width, height, bits, compression=0, size_image=0, clr_used=0):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression, size_image, 0, 0, clr_used, 0)


def _quads(colours):
    return b"".join(bytes((b, g, r, 0)) for r, g, b in colours)


def _stride(bits, width):
    return (bits * width + 31) // 32 * 4


def _rows(width, height, bits, index):
    """Packed bottom-up rows of palette indexes index(x, y)."""
    out = b""
    for y in reversed(range(height)):
        row = bytearray(_stride(bits, width))
        for x in range(width):
            v = index(x, y)
            if bits == 8:
                row[x] = v
            elif bits == 4:
                row[x // 2] |= v << (4 if x % 2 == 0 else 0)
            else:
                row[x // 8] |= v << (7 - x % 8)
        out += bytes(row)
    return out


def _direct_rows(ys, bits):
    """Rows of _rgb pixels as blue, green, red (and a zero byte at 32 bits), padded to 4 bytes."""
    out = b""
    for y in ys:
        row = b"".join(bytes(reversed(_rgb(x, y))) + b"\0" * (bits == 32) for x in range(W))
        out += row + b"\0" * (_stride(bits, W) - len(row))
    return out


def _pillow_files(outdir):
    names = []
    rgb = Image.new("RGB", (W, H))
    rgb.putdata([_rgb(x, y) for y in range(H) for x in range(W)])
    for name, image in (
        ("bmp_1bit_pillow.bmp", rgb.convert("1")),
        ("bmp_8bit_palette_pillow.bmp", rgb.convert("P", palette=Image.ADAPTIVE, colors=200)),
        ("bmp_8bit_grey_pillow.bmp", rgb.convert("L")),
        ("bmp_24bit_pillow.bmp", rgb),
        ("bmp_32bit_pillow.bmp", rgb.convert("RGBA")),
    ):
        image.save(os.path.join(outdir, name), "BMP")
        expected(outdir, name, Image.open(os.path.join(outdir, name)))
        names.append(name)
    return names


def _rle8():
    # Runs, an absolute run of odd length (padded to a word), a short row and the end of bitmap.
    # Delta jumps and early ends are tested by the C++ tests: Pillow decodes them differently.
    rows = [
        bytes((5, 1, 0, 3, 2, 3, 4, 0, 4, 1, 0, 0)),
        bytes((13, 3, 0, 0)),
        bytes((3, 2, 0, 0)),
        bytes((2, 1, 0, 5, 1, 2, 3, 2, 1, 0, 0, 0)),
    ]
    return b"".join(rows) + bytes((0, 1))


def _rle4():
    # Alternating nibble runs, an absolute run of 6 nibbles, and an end of bitmap.
    rows = [
        bytes((6, 0x12, 0, 6, 0x34, 0x56, 0x78, 0, 0, 0)),
        bytes((13, 0xAB, 0, 0)),
        bytes((4, 0xCD, 0, 0)),
        bytes((0, 1)),
    ]
    return b"".join(rows)


def _widen16(v, bits):
    if v == 0:
        return 0
    return min(255, (v << (8 - bits)) + (1 << (8 - bits)))


def _sixteen(outdir, name, green_bits):
    masks = (0x7C00, 0x03E0, 0x001F) if green_bits == 5 else (0xF800, 0x07E0, 0x001F)
    expect = Image.new("RGB", (W, H))
    values = []
    for y in reversed(range(H)):
        row = b""
        for x in range(W):
            r, g, b = x * 2 % 32, (y * 9 + x) % (1 << green_bits), (x * 5 + y) % 32
            row += struct.pack("<H", (r << (5 + green_bits)) | (g << 5) | b)
            expect.putpixel((x, y), (_widen16(r, 5), _widen16(g, green_bits), _widen16(b, 5)))
        row += b"\0" * (_stride(16, W) - len(row))
        values.append(row)
    pixels = b"".join(values)
    header = _info(W, H, 16, compression=0 if green_bits == 5 else 3)
    extra = b"" if green_bits == 5 else struct.pack("<III", *masks)
    return save_bytes(outdir, name, _file(header, extra, pixels), expect)


def write(outdir):
    names = _pillow_files(outdir)
    pal16 = _palette(16)
    names.append(save_bytes(outdir, "bmp_4bit.bmp",
                            _file(_info(W, H, 4), _quads(pal16), _rows(W, H, 4, lambda x, y: (x + 3 * y) % 16))))
    pal256 = _palette(256)
    names.append(save_bytes(outdir, "bmp_8bit_short_palette.bmp",
                            _file(_info(W, H, 8, clr_used=20), _quads(_palette(20)),
                                  _rows(W, H, 8, lambda x, y: (x * y) % 20))))
    rle8 = _rle8()
    names.append(save_bytes(outdir, "bmp_rle8.bmp",
                            _file(_info(W, 4, 8, compression=1, size_image=len(rle8)), _quads(pal256), rle8)))
    rle4 = _rle4()
    names.append(save_bytes(outdir, "bmp_rle4.bmp",
                            _file(_info(W, 3, 4, compression=2, size_image=len(rle4)), _quads(pal16), rle4)))
    names.append(_sixteen(outdir, "bmp_16bit_555.bmp", 5))
    names.append(_sixteen(outdir, "bmp_16bit_565_bitfields.bmp", 6))
    # 32 bits with explicit masks in the usual places.
    names.append(save_bytes(outdir, "bmp_32bit_bitfields.bmp",
                            _file(_info(W, H, 32, compression=3), struct.pack("<III", 0xFF0000, 0xFF00, 0xFF),
                                  _direct_rows(reversed(range(H)), 32))))
    # Top-down 24 bits: the first row in the file is the top row.
    names.append(save_bytes(outdir, "bmp_24bit_topdown.bmp", _file(_info(W, -H, 24), b"", _direct_rows(range(H), 24))))
    # OS/2 core headers: 8 bits with 3-byte palette entries, and 24 bits.
    core8 = struct.pack("<IHHHH", 12, W, H, 1, 8)
    names.append(save_bytes(outdir, "bmp_os2_8bit.bmp",
                            _file(core8, b"".join(bytes((b, g, r)) for r, g, b in pal256),
                                  _rows(W, H, 8, lambda x, y: (x * 7 + y * 31) % 256))))
    core24 = struct.pack("<IHHHH", 12, W, H, 1, 24)
    names.append(save_bytes(outdir, "bmp_os2_24bit.bmp", _file(core24, b"", _direct_rows(reversed(range(H)), 24))))
    names.append(save_bytes(outdir, "bmp_1bit_colours.bmp",
                            _file(_info(W, H, 1), _quads([(200, 30, 30), (20, 40, 220)]),
                                  _rows(W, H, 1, lambda x, y: (x + y) % 2))))
    return names
