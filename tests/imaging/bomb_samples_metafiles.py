#!/usr/bin/python3
"""Small metafiles that would cost seconds or gigabytes if their declared sizes were believed.

BOMBS maps a file name to a function writing that file; run as a program it writes all of them
(or the ones named after the directory) into a directory:
    bomb_samples_metafiles.py OUTDIR [NAME ...]
Standard library only (and the record builders of format_samples/_metafile.py).
"""
import random
import struct

from bomb_command_line import write_bombs, write_to_path

# The record builders of the metafile samples; only the bombs' own headers and records are here.
from format_samples._metafile import (emf_record, emf_red_rect_records, placeable, rect, red_rect_records, wmf,
                                      wmf_record)


# --- enhanced metafiles ---------------------------------------------------------------------

def emf(records, bounds, frame):
    """bounds in device pixels, frame in 0.01 mm; the reference device is 96 dpi."""
    eof = emf_record(14, struct.pack("<III", 0, 16, 0))
    body = b"".join(records) + eof
    total = 88 + len(body)
    fixed = struct.pack("<4i4iIIIIHHIIIiiii", *bounds, *frame, 0x464D4520, 0x10000, total,
                        len(records) + 2, 4, 0, 0, 0, 0, 960, 480, 254, 127)
    return struct.pack("<II", 1, 88) + fixed + body


def rle8_dib(width, height):
    """A packed RLE8 DIB declaring width x height pixels in a few bytes of runs."""
    runs = bytes([255, 1]) * 4 + bytes([0, 1])
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 1, len(runs), 0, 0, 2, 0)
    return header + struct.pack("<II", 0x0000FF, 0xFFFFFF) + runs


def emf_stretch_dib(dib, left, top, width, height, src_width, src_height):
    fixed = (struct.pack("<4i", 0, 0, 0, 0) + struct.pack("<6i", left, top, 0, 0, src_width, src_height)
             + struct.pack("<IIII", 80, 48, 128, len(dib) - 48) + struct.pack("<IIii", 0, 0xCC0020, width, height))
    return emf_record(81, fixed + dib)


# --- the bombs ------------------------------------------------------------------------------

def put(path, data):
    with open(path, "wb") as f:
        f.write(data)


def huge_extent_wmf(path):
    """A placeable WMF of 32000 x 32000 units at one unit an inch: 3,072,000 pixels square."""
    put(path, wmf(red_rect_records(0, 0, 16000, 16000), 2, placeable(0, 0, 32000, 32000, 1)))


def wide_extent_wmf(path):
    """A placeable WMF 32767 units wide and 20 high at one unit an inch."""
    put(path, wmf(red_rect_records(0, 0, 16000, 10), 2, placeable(0, 0, 32767, 20, 1)))


def huge_frame_emf(path):
    """An EMF whose frame claims 2^31 hundredths of a millimetre each way (about 8 million pixels)."""
    big = 0x7FFFFFF0
    put(path, emf(emf_red_rect_records(0, 0, 1000, 1000), (0, 0, 1000, 1000), (0, 0, big, big)))


def huge_bounds_emf(path):
    """An EMF without a usable frame whose device bounds span the whole 32-bit range."""
    put(path, emf(emf_red_rect_records(0, 0, 1000, 1000), (-0x7FFFFFFF, -0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF), (0, 0, 0, 0)))


def many_fills_wmf(path):
    """3 KB of rectangles, each covering the whole of a huge extent."""
    put(path, wmf(red_rect_records(0, 0, 32000, 32000) + [rect(0, 0, 32000, 32000)] * 199, 2, placeable(0, 0, 32000, 32000, 1)))


def huge_font_wmf(path):
    """Text whose font is 32767 units high on a picture where one unit is 4096 pixels."""
    text = b"Wide"
    put(path, wmf([wmf_record(0x020B, 0, 0), wmf_record(0x020C, 1, 1),
                   wmf_record(0x02FB, 32767, 0, 0, 0, 700, raw=b"\0" * 8 + b"Sans\0"), wmf_record(0x012D, 0),
                   wmf_record(0x0521, len(text), raw=text + struct.pack("<hh", 0, 0))],
                  1, placeable(0, 0, 32000, 32000, 1)))


def rle_bitmap_emf(path):
    """A 400 x 200 EMF whose bitmap record's RLE8 data declares 30000 x 30000 pixels."""
    records = emf_red_rect_records(100, 50, 300, 150) + [emf_stretch_dib(rle8_dib(30000, 30000), 0, 0, 50, 50, 30000, 30000)]
    put(path, emf(records, (0, 0, 399, 199), (0, 0, 10583, 5292)))


def rle_bitmap_wmf(path):
    """A 400 x 200 WMF whose STRETCHDIB record's RLE8 data declares 30000 x 30000 pixels."""
    stretch = wmf_record(0x0F43, raw=struct.pack("<IHhhhhhhhh", 0xCC0020, 0, 30000, 30000, 0, 0, 50, 50, 0, 0)
                         + rle8_dib(30000, 30000))
    put(path, wmf(red_rect_records(100, 50, 300, 150) + [stretch], 2, placeable(0, 0, 400, 200, 96)))


def random_emf(path):
    """Random bytes named .emf."""
    put(path, random.Random(24).randbytes(3000))


def fake_header_emf(path):
    """A first record that looks like an EMF header but has no EMF signature."""
    put(path, struct.pack("<II", 1, 88) + random.Random(7).randbytes(400))


BOMBS = {
    "huge_extent.wmf": huge_extent_wmf,
    "wide_extent.wmf": wide_extent_wmf,
    "huge_frame.emf": huge_frame_emf,
    "huge_bounds.emf": huge_bounds_emf,
    "many_fills.wmf": many_fills_wmf,
    "huge_font.wmf": huge_font_wmf,
    "rle_bitmap.emf": rle_bitmap_emf,
    "rle_bitmap.wmf": rle_bitmap_wmf,
    "random.emf": random_emf,
    "fake_header.emf": fake_header_emf,
}


if __name__ == "__main__":
    write_bombs(__doc__, BOMBS, write_to_path)
