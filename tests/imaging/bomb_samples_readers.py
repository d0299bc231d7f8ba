#!/usr/bin/python3
"""Small files that claim far more than they hold, for the BMP, icon, JPEG, PCX, PNM, TGA and
PNG readers, and standard files those readers once misread.

BOMBS maps a file name to a function that writes the file at the given path. Only the standard
library is used, except for the JPEGs, which Pillow encodes small before their frame header is
made to declare the large size.
Usage: /usr/bin/python3 bomb_samples_readers.py OUTDIR [NAME ...]
"""
import io
import struct
import zlib

from bomb_command_line import write_bombs, write_to_path


def _write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def _bmp(width, height, bits, compression, palette_entries, pixels, size_image=None):
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression,
                         len(pixels) if size_image is None else size_image, 0, 0, palette_entries, 0)
    palette = b"".join(bytes((i, i, i, 0)) for i in range(palette_entries))
    offset = 14 + len(header) + len(palette)
    return b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + header + palette + pixels


def bmp_square_4bit(path):
    """118 bytes: 2147483647 x 2147483647 at 4 bits, no pixels."""
    _write(path, _bmp(2147483647, 2147483647, 4, 0, 16, b""))


def bmp_square_24bit(path):
    """54 bytes: 2147483647 x 2147483647 at 24 bits; its byte count does not fit 64 bits."""
    _write(path, _bmp(2147483647, 2147483647, 24, 0, 0, b""))


def bmp_rle8_30000(path):
    """About 3 KB: 30000 x 30000 run-length coded, a few rows of 255-pixel runs."""
    runs = b"\xff\x07" * 900 + b"\x00\x00" + b"\xff\x03" * 100 + b"\x00\x01"
    _write(path, _bmp(30000, 30000, 8, 1, 256, runs))


def bmp_rle8_13_by_4194308(path):
    """About 1 KB: 13 x 4194308 run-length coded (54 megapixels, within the pixel limit), one row of
    runs and the end of the bitmap; the rest of the picture is left to the background."""
    runs = b"\x0d\x07" + b"\x00\x01"
    _write(path, _bmp(13, 4194308, 8, 1, 256, runs))


def bmp_rle8_13_by_15925252(path):
    """About 1 KB: 13 x 15925252 run-length coded (207 megapixels in rows of 13), one row of runs
    and the end of the bitmap; refusing it once took 0.2 s of scanning the empty rows."""
    _write(path, _bmp(13, 15925252, 8, 1, 256, b"\x0d\x07\x00\x01"))


def bmp_rle8_16384_square(path):
    """About 1 KB: 16384 x 16384 run-length coded (the pixel limit itself), one run and the end of
    the bitmap."""
    _write(path, _bmp(16384, 16384, 8, 1, 256, b"\x0d\x07\x00\x01"))


def _bmp_rle8_rows_drawn(rows):
    """8192 x 8193 run-length coded (just over 2^26 pixels) whose bottom ROWS rows are drawn in
    255-pixel runs of grey 9; the end of the bitmap leaves the rest to the background."""
    row = b"\xff\x09" * 32 + b"\x20\x09" + b"\x00\x00"
    return _bmp(8192, 8193, 8, 1, 256, row * rows + b"\x00\x01")


def bmp_rle8_sixteenth_drawn(path):
    """About 35 KB: 513 rows of 8193, just over a sixteenth of the picture."""
    _write(path, _bmp_rle8_rows_drawn(513))


def bmp_rle8_under_sixteenth_drawn(path):
    """About 35 KB: 512 rows of 8193, just under a sixteenth of the picture."""
    _write(path, _bmp_rle8_rows_drawn(512))


def _icon(count):
    """COUNT directory entries that all point at one 16 x 16 4-bit image."""
    width = height = 16
    colour_rows = b"".join(bytes([(y % 16) * 17] * 8) for y in range(height))
    mask_rows = bytes(4 * height)
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 4, 0, len(colour_rows) + len(mask_rows),
                         0, 0, 0, 0)
    table = b"".join(bytes((i * 16, i * 16, i * 16, 0)) for i in range(16))
    image = header + table + colour_rows + mask_rows
    offset = 6 + 16 * count
    entry = struct.pack("<BBBBHHII", width, height, 16, 0, 1, 4, len(image), offset)
    return struct.pack("<HHH", 0, 1, count) + entry * count + image


def ico_4000(path):
    _write(path, _icon(4000))


def ico_65535(path):
    _write(path, _icon(65535))


def _declaring_jpeg(width, height, progressive=True, arithmetic=False):
    """A tiny JPEG (progressive or baseline) whose frame header declares WIDTH x HEIGHT; with
    ARITHMETIC the frame header says its scans are arithmetic-coded (what they hold is then garbage
    to a decoder, which is read only once the coefficient buffers exist)."""
    from PIL import Image
    buffer = io.BytesIO()
    Image.new("RGB", (16, 16), (90, 140, 200)).save(buffer, "JPEG", quality=50, progressive=progressive,
                                                    optimize=True, subsampling=2)
    data = bytearray(buffer.getvalue())
    sof = data.find(b"\xff\xc2" if progressive else b"\xff\xc0")
    struct.pack_into(">HH", data, sof + 5, height, width)
    if arithmetic:
        data[sof + 1] = 0xCA
    return bytes(data)


def jpeg_progressive_16384(path):
    """About 500 bytes declaring 16384 x 16384: 805 MB of coefficients at any scale."""
    _write(path, _declaring_jpeg(16384, 16384))


def jpeg_progressive_8192(path):
    """Declares 8192 x 8192 (200 MB of coefficients) with data for a few blocks."""
    _write(path, _declaring_jpeg(8192, 8192))


def jpeg_progressive_4096(path):
    """Declares 4096 x 4096 (50 MB of coefficients) with data for a few blocks."""
    _write(path, _declaring_jpeg(4096, 4096))


def jpeg_arithmetic_8192(path):
    """Arithmetic-coded, progressive, declaring 8192 x 8192 (200 MB of coefficients)."""
    _write(path, _declaring_jpeg(8192, 8192, arithmetic=True))


def jpeg_baseline_16384(path):
    """About 300 bytes, baseline, declaring 16384 x 16384: an 805 MB bitmap from a single scan."""
    _write(path, _declaring_jpeg(16384, 16384, progressive=False))


def pcx_65534_square(path):
    """8 bits, a 65534 x 65534 window, a line length to match and the palette block."""
    header = bytearray(128)
    header[0:4] = bytes((10, 5, 1, 8))
    struct.pack_into("<HHHH", header, 4, 0, 0, 65533, 65533)
    header[65] = 1
    struct.pack_into("<HH", header, 66, 65534, 1)
    _write(path, bytes(header) + b"\xc1\x00" * 64 + b"\x0c" + bytes(768))


def tga_65535_square(path):
    """Run-length coded 24 bits, 65535 x 65535, one packet."""
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, 10, 0, 0, 0, 0, 0, 65535, 65535, 24, 0)
    _write(path, header + b"\xff\x10\x20\x30" * 16)


def pbm_100000_square(path):
    """Binary bitmap of 100000 x 100000 pixels with a few bytes of data."""
    _write(path, b"P4\n100000 100000\n" + bytes(64))


def _png_chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)


def png_18000_square_grey(path):
    """8-bit grey, 18000 x 18000 (324 megapixels: within the byte limit, past the pixel limit)."""
    ihdr = struct.pack(">IIBBBBB", 18000, 18000, 8, 0, 0, 0, 0)
    idat = zlib.compress(bytes(18001 * 4))
    _write(path, b"\x89PNG\r\n\x1a\n" + _png_chunk(b"IHDR", ihdr) + _png_chunk(b"IDAT", idat) +
           _png_chunk(b"IEND", b""))


def pbm_plain_packed(path):
    """Plain bitmap written the way netpbm writes it: digits without separators."""
    _write(path, b"P1\n5 2\n01011\n10100\n")


def tga_with_id_field(path):
    """24-bit uncompressed 3 x 2 with a 10-byte ID field: the file starts with byte 10."""
    name = b"sample.ppm"
    header = struct.pack("<BBBHHBHHHHBB", len(name), 0, 2, 0, 0, 0, 0, 0, 3, 2, 24, 0)
    # Bottom row first: blue, green, red per pixel.
    bottom = bytes((255, 0, 0)) * 3
    top = bytes((0, 0, 255)) + bytes((0, 255, 0)) + bytes((255, 255, 255))
    _write(path, header + name + bottom + top)


BOMBS = {
    "bmp_2147483647_square_4bit.bmp": bmp_square_4bit,
    "bmp_2147483647_square_24bit.bmp": bmp_square_24bit,
    "bmp_rle8_30000_square.bmp": bmp_rle8_30000,
    "bmp_rle8_13_by_4194308.bmp": bmp_rle8_13_by_4194308,
    "bmp_rle8_16384_square.bmp": bmp_rle8_16384_square,
    "bmp_rle8_13_by_15925252.bmp": bmp_rle8_13_by_15925252,
    "bmp_rle8_sixteenth_drawn.bmp": bmp_rle8_sixteenth_drawn,
    "bmp_rle8_under_sixteenth_drawn.bmp": bmp_rle8_under_sixteenth_drawn,
    "ico_4000_entries.ico": ico_4000,
    "ico_65535_entries.ico": ico_65535,
    "jpeg_progressive_16384_square.jpg": jpeg_progressive_16384,
    "jpeg_progressive_8192_square.jpg": jpeg_progressive_8192,
    "jpeg_progressive_4096_square.jpg": jpeg_progressive_4096,
    "jpeg_arithmetic_8192_square.jpg": jpeg_arithmetic_8192,
    "jpeg_baseline_16384_square.jpg": jpeg_baseline_16384,
    "pcx_65534_square.pcx": pcx_65534_square,
    "tga_rle_65535_square.tga": tga_65535_square,
    "pbm_100000_square.pbm": pbm_100000_square,
    "png_18000_square_grey.png": png_18000_square_grey,
    "pbm_plain_packed_digits.pbm": pbm_plain_packed,
    "tga_10_byte_id_field.tga": tga_with_id_field,
}


if __name__ == "__main__":
    write_bombs(__doc__, BOMBS, write_to_path)
