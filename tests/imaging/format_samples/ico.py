"""Icon samples (Pillow writes PNG-based entries only, so all are built here): 1-, 4- and 8-bit
entries with masks, a 24 x 24 one-bit icon (rows padded to 4 bytes), a two-entry file, an icon
without masked pixels that Pillow's decode must match, and entries the reader refuses (a cursor,
128 pixels, 24 bits, a wrong bytes-in-resource, an offset past the end).

The expected image of the masked icons is the reading in mode 1: masked pixels white.
"""
import random
import struct

from PIL import Image

from ._common import expected, pillow_expected, put


def _row_bytes(width, bits):
    return ((width * bits + 7) // 8 + 3) // 4 * 4


def icon_image(width, height, bits, indices, mask, table):
    """The bitmap of one entry: information header, colour table, colour rows and mask rows
    (both bottom-up)."""
    colour_row, mask_row = _row_bytes(width, bits), _row_bytes(width, 1)
    colours = bytearray()
    masks = bytearray()
    for y in reversed(range(height)):
        row = bytearray(colour_row)
        bits_row = bytearray(mask_row)
        for x in range(width):
            v = indices[y * width + x]
            if bits == 8:
                row[x] = v
            elif bits == 4:
                row[x // 2] |= v << 4 if x % 2 == 0 else v
            elif bits == 1:
                row[x // 8] |= v << (7 - x % 8)
            else:
                row[x * bits // 8:(x + 1) * bits // 8] = bytes(v)
            if mask[y * width + x]:
                bits_row[x // 8] |= 0x80 >> (x % 8)
        colours += row
        masks += bits_row
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, bits, 0, len(colours) + len(masks), 0, 0, 0, 0)
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in table)
    return header + palette + bytes(colours) + bytes(masks)


def icon_file(images, kind=1, resource_sizes=None, offsets=None):
    out = struct.pack("<HHH", 0, kind, len(images))
    offset = 6 + 16 * len(images)
    entries, data = b"", b""
    for i, (width, height, bits, body) in enumerate(images):
        size = resource_sizes[i] if resource_sizes else len(body)
        at = offsets[i] if offsets else offset + len(data)
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, (1 << bits) % 256 if bits <= 8 else 0, 0, 1, bits,
                               size, at)
        data += body
    return out + entries + data



def _picture(width, height, indices, mask, table):
    picture = Image.new("RGB", (width, height))
    picture.putdata([(255, 255, 255) if mask[i] else table[v] for i, v in enumerate(indices)])
    return picture


def _entry(rng, width, height, bits, masked=True):
    table = [tuple(rng.randrange(256) for _ in range(3)) for _ in range(1 << bits)] if bits <= 8 else []
    indices = [rng.randrange(1 << bits) if bits <= 8 else tuple(rng.randrange(256) for _ in range(3))
               for _ in range(width * height)]
    mask = [masked and rng.random() < 0.3 for _ in range(width * height)]
    return table, indices, mask


def write(outdir):
    names = []
    rng = random.Random(31)
    for width, height, bits in ((16, 16, 1), (32, 32, 4), (48, 48, 8), (24, 24, 1), (8, 64, 4), (20, 12, 8)):
        table, indices, mask = _entry(rng, width, height, bits)
        name = put(outdir, f"ico_{width}x{height}_{bits}bit.ico",
                    icon_file([(width, height, bits, icon_image(width, height, bits, indices, mask, table))]))
        expected(outdir, name, _picture(width, height, indices, mask, table))
        names.append(name)
    # Nothing masked: Pillow's decode is the same picture.
    table, indices, mask = _entry(rng, 32, 32, 8, masked=False)
    name = put(outdir, "ico_unmasked_32x32_8bit.ico", icon_file([(32, 32, 8, icon_image(32, 32, 8, indices, mask, table))]))
    pillow_expected(outdir, name)
    names.append(name)
    # Two entries: 16 x 16 at 4 bits and 32 x 32 at 8 bits.
    entries = []
    for width, bits in ((16, 4), (32, 8)):
        table, indices, mask = _entry(rng, width, width, bits)
        entries.append((width, width, bits, icon_image(width, width, bits, indices, mask, table)))
        pictures = _picture(width, width, indices, mask, table)
    name = put(outdir, "ico_two_entries.ico", icon_file(entries))
    expected(outdir, name, pictures)  # the expected image is the second entry's
    names.append(name)

    # Entries the reader refuses, and files that are not icon files.
    table, indices, mask = _entry(rng, 16, 16, 4)
    body16 = icon_image(16, 16, 4, indices, mask, table)
    names.append(put(outdir, "ico_bad_cursor.ico", icon_file([(16, 16, 4, body16)], kind=2)))
    table, indices, mask = _entry(rng, 128, 128, 1)
    names.append(put(outdir, "ico_bad_128px.ico", icon_file([(128, 128, 1, icon_image(128, 128, 1, indices, mask, table))])))
    table, indices, mask = _entry(rng, 16, 16, 24)
    names.append(put(outdir, "ico_bad_24bit.ico", icon_file([(16, 16, 24, icon_image(16, 16, 24, indices, mask, table))])))
    names.append(put(outdir, "ico_bad_resource_size.ico", icon_file([(16, 16, 4, body16)], resource_sizes=[len(body16) - 4])))
    names.append(put(outdir, "ico_bad_offset_past_end.ico", icon_file([(16, 16, 4, body16)], offsets=[0xFFFFFF00])))
    names.append(put(outdir, "ico_bad_truncated.ico", icon_file([(16, 16, 4, body16)])[:100]))
    names.append(put(outdir, "ico_bad_huge_count.ico", struct.pack("<HHH", 0, 1, 0xFFFF) + bytes(40)))
    return names
