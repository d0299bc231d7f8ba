"""PBM, PGM and PPM samples: the six variants, with comments, other maximum values, and files that lie.

Pillow writes P4, P5 and P6; the text variants and other maximum values come from here. Where the
maximum is not 255 the expected image is value * 255 // maximum (the library's scaling; Pillow
rounds instead), samples above the maximum giving 255.
"""
import os
import random

from PIL import Image

from ._common import expected, pillow_expected, put, save_bytes


def _pattern(width, height, mode, seed):
    rng = random.Random(seed)
    image = Image.new(mode, (width, height))
    if mode == "1":
        image.putdata([rng.choice((0, 255)) for _ in range(width * height)])
    elif mode == "L":
        image.putdata([rng.randrange(256) for _ in range(width * height)])
    else:
        image.putdata([(rng.randrange(256), (x * 7) % 256, (y * 11) % 256)
                       for y in range(height) for x in range(width)])
    return image


def _scaled_expected(values, width, height, maximum, mode):
    return Image.frombytes(mode, (width, height), bytes(min(255, v * 255 // maximum) for v in values))


def _text_rows(values, per_row):
    return "".join(" ".join(str(v) for v in values[i:i + per_row]) + "\n"
                   for i in range(0, len(values), per_row))


def write(outdir):
    names = []
    # Binary variants from Pillow: widths that are not a multiple of 8 or 4.
    for name, mode in (("pnm_p4.pbm", "1"), ("pnm_p5.pgm", "L"), ("pnm_p6.ppm", "RGB")):
        image = _pattern(13, 7, mode, len(name))
        image.save(os.path.join(outdir, name))
        expected(outdir, name, Image.open(os.path.join(outdir, name)))
        names.append(name)

    # Text variants with comments in the header and between the values.
    bitmap = _pattern(13, 5, "1", 1)
    bits = [1 if v == 0 else 0 for v in bitmap.getdata()]
    names.append(save_bytes(outdir, "pnm_p1_comments.pbm",
                            ("P1\n# made by the sample writer\n13 5\n# rows follow\n" + _text_rows(bits, 13)).encode()))
    gray = _pattern(9, 4, "L", 2)
    names.append(save_bytes(outdir, "pnm_p2_comments.pgm",
                            ("P2\n# grey\n9 4\n# maximum\n255\n" + _text_rows(list(gray.getdata()), 9)).encode()))
    colour = _pattern(6, 5, "RGB", 3)
    flat = [c for p in colour.getdata() for c in p]
    names.append(save_bytes(outdir, "pnm_p3_comments.ppm",
                            ("P3\n# colour\n6 5 255\n" + _text_rows(flat, 18)).encode()))

    # Other maximum values: small, large (text only), and a sample above the maximum.
    rng = random.Random(4)
    values = [rng.randrange(4) for _ in range(10 * 3)]
    names.append(save_bytes(outdir, "pnm_p2_max3.pgm", ("P2\n10 3\n3\n" + _text_rows(values, 10)).encode(),
                            _scaled_expected(values, 10, 3, 3, "L")))
    values = [rng.randrange(65536) for _ in range(5 * 4 * 3)]
    names.append(save_bytes(outdir, "pnm_p3_max65535.ppm", ("P3 5 4 65535\n" + _text_rows(values, 15)).encode(),
                            _scaled_expected(values, 5, 4, 65535, "RGB")))
    values = [rng.randrange(101) for _ in range(7 * 3)]
    names.append(save_bytes(outdir, "pnm_p5_max100.pgm", b"P5\n7 3\n100\n" + bytes(values),
                            _scaled_expected(values, 7, 3, 100, "L")))
    values = [rng.randrange(32) for _ in range(4 * 4 * 3)]
    names.append(save_bytes(outdir, "pnm_p6_max31.ppm", b"P6 4 4 31\n" + bytes(values),
                            _scaled_expected(values, 4, 4, 31, "RGB")))
    values = [0, 5, 10, 200]
    names.append(save_bytes(outdir, "pnm_p2_above_max.pgm", b"P2 4 1 10 0 5 10 200\n",
                            _scaled_expected(values, 4, 1, 10, "L")))
    # The last value ends at the end of the file, without a line feed.
    names.append(save_bytes(outdir, "pnm_p2_no_final_newline.pgm", b"P2 2 1 255 7 9"))

    # Files that lie.
    names.append(put(outdir, "pnm_bad_max0_text.pgm", b"P2 2 1 0 0 0\n"))
    names.append(put(outdir, "pnm_bad_max0_binary.ppm", b"P6 2 1 0\n" + bytes(6)))
    names.append(put(outdir, "pnm_bad_max65535_binary.pgm", b"P5 2 1 65535\n" + bytes(4)))
    names.append(put(outdir, "pnm_bad_zero_width.pbm", b"P4 0 5\n"))
    names.append(put(outdir, "pnm_bad_huge_size.ppm", b"P6 99999999999999999999 99999999999 255\n" + bytes(30)))
    names.append(put(outdir, "pnm_bad_truncated.ppm", b"P6 40 30 255\n" + bytes(40 * 3 * 7)))
    names.append(put(outdir, "pnm_bad_truncated_text.pbm", b"P1 3 3 1 0 1 0 1"))
    names.append(put(outdir, "pnm_bad_subformat.ppm", b"P7 3 3 255\n"))
    names.append(put(outdir, "pnm_bad_magic.pgm", b"Q5 3 3 255\n"))
    return names
