#!/usr/bin/python3
"""Writes hostile image files ("bombs") into OUTDIR: small files that once cost the readers
seconds or gigabytes, or that they once read wrongly. Tests load each one with a memory limit;
the benchmark under bench/ times them.

Each bomb is a function returning (file name, bytes); BOMBS maps its name to it.
Usage: /usr/bin/python3 make_bomb_samples.py OUTDIR [NAME ...]
"""
import os
import struct

from bomb_command_line import write_bombs


# ---- GIF ----

def _gif_header(width, height, colours=2):
    """Signature, logical screen and a global table of `colours` (a power of two) greys."""
    depth = max(1, (colours - 1).bit_length())
    table = b"".join(bytes((i * 255 // max(1, colours - 1),) * 3) for i in range(1 << depth))
    return b"GIF89a" + struct.pack("<HHBBB", width, height, 0x80 | (depth - 1), 0, 0) + table


def _gif_frame(width, height, data, code_size=2, left=0, top=0):
    """An image descriptor without a local table, then the LZW data in sub-blocks."""
    blocks = b"".join(bytes((len(data[i:i + 255]),)) + data[i:i + 255] for i in range(0, len(data), 255))
    return b"\x2c" + struct.pack("<HHHHB", left, top, width, height, 0) + bytes((code_size,)) + blocks + b"\x00"


def _lzw_codes(codes, code_size):
    """Packs codes least significant bit first; the code width grows as a decoder's table does."""
    clear = 1 << code_size
    width, next_free, bits, count, out = code_size + 1, clear + 2, 0, 0, bytearray()
    for i, code in enumerate(codes):
        bits |= code << count
        count += width
        while count >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            count -= 8
        if code == clear:
            width, next_free = code_size + 1, clear + 2
        elif i > 0 and codes[i - 1] != clear and code != clear + 1 and next_free < 4096:
            next_free += 1
            if next_free == 1 << width and width < 12:
                width += 1
    if count:
        out.append(bits & 0xFF)
    return bytes(out)


def _one_pixel_data(code_size=2):
    clear = 1 << code_size
    return _lzw_codes([clear, 1, clear + 1], code_size)


def _many_frames(count):
    frame = _gif_frame(1, 1, _one_pixel_data())
    return _gif_header(1, 1) + frame * count + b";"


def gif_10000_frames():
    return "gif_10000_frames.gif", _many_frames(10000)


def gif_200000_frames():
    return "gif_200000_frames.gif", _many_frames(200000)


def gif_huge_frame_few_bytes():
    """One frame declaring 65535 x 2000 pixels, of which its data fill four."""
    data = _lzw_codes([4, 1, 1, 1, 1, 5], 2)
    return "gif_huge_frame_few_bytes.gif", _gif_header(65535, 2000) + _gif_frame(65535, 2000, data) + b";"


def gif_huge_frames_behind_small():
    """A 1 x 1 first frame, then frames declaring 65535 x 2000 pixels with a few bytes each."""
    big = _gif_frame(65535, 2000, _lzw_codes([4, 1, 0, 1, 5], 2))
    return "gif_huge_frames_behind_small.gif", _gif_header(1, 1) + _gif_frame(1, 1, _one_pixel_data()) + big * 8 + b";"


def gif_huge_frame_on_small_screen():
    """A 2 x 2 logical screen whose only frame declares 65535 x 2000 pixels with a few bytes."""
    data = _lzw_codes([4, 1, 0, 1, 5], 2)
    return "gif_huge_frame_on_small_screen.gif", _gif_header(2, 2) + _gif_frame(65535, 2000, data) + b";"


def gif_huge_interlaced_few_bytes():
    """An interlaced frame of 65535 x 2000 whose data fill part of its first row."""
    frame = bytearray(_gif_frame(65535, 2000, _lzw_codes([4, 1, 1, 0, 5], 2)))
    frame[9] |= 0x40
    return "gif_huge_interlaced_few_bytes.gif", _gif_header(65535, 2000) + bytes(frame) + b";"


def gif_truncated():
    """A 16 x 16 frame whose only data sub-block claims 200 bytes and the file ends after 10."""
    data = _lzw_codes([4] + [1, 0] * 20, 2)[:10]
    head = _gif_header(16, 16) + b"\x2c" + struct.pack("<HHHHB", 0, 0, 16, 16, 0) + b"\x02"
    return "gif_truncated.gif", head + b"\xc8" + data


def gif_two_colours_code_size_8():
    """A legal 2-colour 4 x 2 GIF whose LZW code size is 8."""
    data = _lzw_codes([256, 1, 0, 1, 0, 0, 1, 0, 1, 257], 8)
    return "gif_two_colours_code_size_8.gif", _gif_header(4, 2) + _gif_frame(4, 2, data, code_size=8) + b";"


BOMBS = {
    "gif_10000_frames": gif_10000_frames,
    "gif_200000_frames": gif_200000_frames,
    "gif_huge_frame_few_bytes": gif_huge_frame_few_bytes,
    "gif_huge_frames_behind_small": gif_huge_frames_behind_small,
    "gif_huge_frame_on_small_screen": gif_huge_frame_on_small_screen,
    "gif_huge_interlaced_few_bytes": gif_huge_interlaced_few_bytes,
    "gif_truncated": gif_truncated,
    "gif_two_colours_code_size_8": gif_two_colours_code_size_8,
}


def _save(bomb, outdir, _name):
    file_name, data = bomb()
    with open(os.path.join(outdir, file_name), "wb") as f:
        f.write(data)


if __name__ == "__main__":
    write_bombs(__doc__, BOMBS, _save)
