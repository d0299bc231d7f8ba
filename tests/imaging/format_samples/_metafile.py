"""Builds Windows metafiles (WMF, placeable or not) and enhanced metafiles (EMF) record by record.

The red rectangles lie at known device coordinates on white, so the tests check pixels without a
second renderer. No Pillow decode is written beside these (Pillow plays metafiles only on Windows).
"""
import os
import struct

RED = 0x0000FF          # COLORREF 0x00BBGGRR
WHITE = 0xFFFFFF
SYSTEM16 = [0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
            0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF]


# --- standard metafiles -------------------------------------------------------------------

def wmf_record(function, *words, raw=b""):
    body = struct.pack("<%dh" % len(words), *words) + raw
    if len(body) % 2:
        body += b"\0"
    return struct.pack("<IH", 3 + len(body) // 2, function) + body


def colorref(c):
    return struct.pack("<I", c)


def placeable(left, top, right, bottom, inch):
    words = [0xCDD7, 0x9AC6, 0, left & 0xFFFF, top & 0xFFFF, right & 0xFFFF, bottom & 0xFFFF, inch, 0, 0]
    checksum = 0
    for w in words:
        checksum ^= w
    return struct.pack("<10H", *words) + struct.pack("<H", checksum)


def wmf(records, objects, header=None):
    records = list(records) + [wmf_record(0)]
    body = b"".join(records)
    size_words = (18 + len(body)) // 2
    # The header's max-record field: the size in words of the largest record (readers size their
    # record buffer by it).
    max_record = max(len(r) // 2 for r in records)
    std = struct.pack("<HHHIHIH", 1, 9, 0x0300, size_words, objects, max_record, 0)
    return (header or b"") + std + body


def brush(color, style=0, hatch=0):
    return wmf_record(0x02FC, style, raw=colorref(color) + struct.pack("<H", hatch))


def pen(style, width, color):
    return wmf_record(0x02FA, style, width, 0, raw=colorref(color))


def select(i):
    return wmf_record(0x012D, i)


def rect(left, top, right, bottom, function=0x041B):
    return wmf_record(function, bottom, right, top, left)


def wmf_palette(colors):
    raw = struct.pack("<HH", 0x300, len(colors)) + b"".join(
        struct.pack("<BBBB", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF, 0) for c in colors)
    return wmf_record(0x00F7, raw=raw)


def red_rect_records(left, top, right, bottom):
    return [brush(RED), select(0), pen(5, 0, 0), select(1), rect(left, top, right, bottom)]


def all_wmf_records():
    """Most records the player knows, drawn into a 400 x 200 twips picture."""
    text = b"Hi"
    return [
        wmf_record(0x020B, 0, 0), wmf_record(0x020C, 200, 400),           # window origin, extent
        wmf_record(0x0201, raw=colorref(WHITE)), wmf_record(0x0102, 1),   # background, transparent
        wmf_record(0x0209, raw=colorref(0x00FF00)), wmf_record(0x012E, 24),
        wmf_record(0x0106, 2), wmf_record(0x001E),                        # winding, save DC
        pen(0, 3, 0xFF0000), select(0), brush(0x00FF00), select(1),
        wmf_record(0x02FB, -20, 0, 0, 0, 700, raw=b"\0\0\0\0\0\0\0\0" + b"Sans\0"), select(2),
        wmf_record(0x0214, 10, 10), wmf_record(0x0213, 20, 390),          # move to, line to
        rect(10, 30, 60, 80, 0x0418),                                     # ellipse
        wmf_record(0x061C, 10, 10, 80, 130, 30, 70),                      # round rect
        wmf_record(0x0817, 30, 190, 30, 150, 80, 190, 30, 140),           # arc
        wmf_record(0x081A, 30, 250, 30, 210, 80, 250, 30, 200),           # pie
        wmf_record(0x0830, 30, 310, 30, 270, 80, 310, 30, 260),           # chord
        wmf_record(0x0324, 3, 10, 190, 40, 120, 70, 190),                 # polygon
        wmf_record(0x0325, 3, 80, 190, 110, 120, 140, 190),               # polyline
        wmf_record(0x0538, 2, 3, 3, 150, 190, 170, 120, 190, 190, 200, 190, 220, 120, 240, 190),
        wmf_record(0x0521, len(text), raw=text + struct.pack("<hh", 110, 250)),  # text out
        wmf_record(0x0A32, 130, 300, 2, 2, 300, 115, 340, 135, raw=b"Ok"),      # ext text out
        wmf_record(0x041F, raw=colorref(0) + struct.pack("<hh", 150, 350)),    # set pixel
        wmf_record(0x0416, 199, 399, 0, 0),                                     # intersect clip
        wmf_record(0x0415, 2, 2, 0, 0),                                         # exclude clip
        wmf_record(0x061D, raw=struct.pack("<I", 0xF00021) + struct.pack("<hhhh", 20, 20, 160, 360)),
        wmf_record(0x0127, -1), wmf_record(0x01F0, 2),                          # restore, delete
        wmf_palette(SYSTEM16), wmf_record(0x0234, 2),
        wmf_record(0x0F43, raw=struct.pack("<IHhhhhhhhh", 0xCC0020, 0, 2, 2, 0, 0, 20, 20, 170, 370)
                   + dib_2x2()),
    ]


def dib_2x2():
    header = struct.pack("<IiiHHIIiiII", 40, 2, 2, 1, 24, 0, 16, 0, 0, 0, 0)
    row = bytes([0, 0, 255, 0, 0, 255]) + b"\0\0"
    return header + row + row


def framed_wmf_records():
    """A 400 x 200 pixel picture filled to its edges: another renderer that fits the drawing's
    extent into its image draws it at the same place."""
    return [brush(0xFFC080), select(0), pen(5, 0, 0), select(1), rect(0, 0, 6000, 3000), wmf_record(0x01F0, 0),
            brush(RED), select(0), rect(1500, 750, 4500, 2250), wmf_record(0x01F0, 0),
            brush(0x00FF00), select(0), rect(300, 300, 1200, 2700, 0x0418)]


# --- packed DIBs of every layout, for bitmap records and the clipboard ------------------------

def packed_dib(width, height, bits, pixels, compression=0, masks=b"", palette=()):
    pal = b"".join(struct.pack("<BBBB", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF, 0) for c in palette)
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression, len(pixels), 0, 0, len(palette), 0)
    return header + masks + pal + pixels


def solid_rows(width, height, pixel, bytes_per_pixel):
    row = pixel * width
    row += b"\0" * (-len(row) % 4)
    return row * height


# name: (packed DIB of 4 x 4 pixels, its colour as 0xRRGGBB)
PACKED_DIBS = {
    "rgb555.dib": (packed_dib(4, 4, 16, solid_rows(4, 4, struct.pack("<H", 0x001F), 2)), 0x0000FF),
    "rgb32.dib": (packed_dib(4, 4, 32, solid_rows(4, 4, struct.pack("<I", 0x00FF00FF), 4)), 0xFF00FF),
    "bitfields565.dib": (packed_dib(4, 4, 16, solid_rows(4, 4, struct.pack("<H", 0x07E0), 2), 3,
                                    struct.pack("<III", 0xF800, 0x07E0, 0x001F)), 0x00FF00),
    # Red in the low byte: the masks decide which bits are which colour.
    "bitfields32.dib": (packed_dib(4, 4, 32, solid_rows(4, 4, struct.pack("<I", 0x0000FFFF), 4), 3,
                                   struct.pack("<III", 0x0000FF, 0x00FF00, 0xFF0000)), 0xFFFF00),
    "rle8.dib": (packed_dib(4, 4, 8, bytes([4, 1, 0, 0]) * 4 + bytes([0, 1]), 1, palette=(0, 0x00FFFF)), 0x00FFFF),
    "rle4.dib": (packed_dib(4, 4, 4, bytes([4, 0x11, 0, 0]) * 4 + bytes([0, 1]), 2, palette=(0, 0x800000)),
                 0x800000),
    # Top-down rows.
    "topdown24.dib": (packed_dib(4, -4, 24, solid_rows(4, 4, bytes([0x40, 0x80, 0xC0]), 3)), 0xC08040),
}


def dib_places():
    """Each packed DIB with the 40 x 40 pixel square of a 400 x 200 picture it is stretched over."""
    return [(name, dib, colour, 20 + 50 * i, 80) for i, (name, (dib, colour)) in enumerate(PACKED_DIBS.items())]


def wmf_dib_records():
    return [wmf_record(0x0F43, raw=struct.pack("<IHhhhhhhhh", 0xCC0020, 0, 4, 4, 0, 0, 40, 40, top, left) + dib)
            for _, dib, _, left, top in dib_places()]


def emf_dib_records():
    records = []
    for _, dib, _, left, top in dib_places():
        info = 40 + (12 if struct.unpack_from("<I", dib, 16)[0] == 3 else 0) + 4 * struct.unpack_from("<I", dib, 32)[0]
        fixed = (struct.pack("<4i", 0, 0, 0, 0) + struct.pack("<6i", left, top, 0, 0, 4, 4)
                 + struct.pack("<IIII", 80, info, 80 + info, len(dib) - info) + struct.pack("<IIii", 0, 0xCC0020, 40, 40))
        records.append(emf_record(81, fixed + dib))
    return records


# --- enhanced metafiles -------------------------------------------------------------------

def emf_record(kind, payload):
    if len(payload) % 4:
        payload += b"\0" * (4 - len(payload) % 4)
    return struct.pack("<II", kind, 8 + len(payload)) + payload


def emf(records, width, height, handles=4, palette=None, header_size=88):
    """width, height: the picture in 96 dpi pixels; the reference device is 96 dpi as well."""
    frame = (0, 0, round(width * 2540 / 96), round(height * 2540 / 96))
    palette = palette or []
    pal = b"".join(struct.pack("<BBBB", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF, 0) for c in palette)
    eof = emf_record(14, struct.pack("<II", len(palette), 16 if palette else 0) + pal + struct.pack("<I", 0))
    body = b"".join(records) + eof
    fixed = struct.pack("<4i4iIIIIHHIIIiiii", 0, 0, width - 1, height - 1, *frame, 0x464D4520, 0x10000,
                        0, 0, handles, 0, 0, 0, len(palette), 960, 480, 254, 127)
    extra = b"\0" * (header_size - 8 - len(fixed))
    total = header_size + len(body)
    count = len(records) + 2
    header = struct.pack("<II", 1, header_size) + fixed + extra
    header = header[:48] + struct.pack("<II", total, count) + header[56:]
    return header + body


def emf_rect(left, top, right, bottom, kind=43):
    return emf_record(kind, struct.pack("<4i", left, top, right, bottom))


def emf_red_rect_records(left, top, right, bottom):
    return [emf_record(39, struct.pack("<IIII", 1, 0, RED, 0)), emf_record(37, struct.pack("<I", 1)),
            emf_record(37, struct.pack("<I", 0x80000008)), emf_rect(left, top, right, bottom)]


def all_emf_records():
    pts16 = struct.pack("<4i", 0, 0, 0, 0) + struct.pack("<I", 3) + struct.pack("<6h", 10, 190, 40, 120, 70, 190)
    text = "Hi".encode("utf-16-le")
    ext_text = (struct.pack("<4iIff", 0, 0, 0, 0, 1, 1.0, 1.0) + struct.pack("<iiIII", 250, 110, 2, 76, 0)
                + struct.pack("<4iI", 0, 0, 0, 0, 0) + text)
    dib = dib_2x2()
    stretch = (struct.pack("<4i", 0, 0, 0, 0) + struct.pack("<6i", 370, 170, 0, 0, 2, 2)
               + struct.pack("<IIII", 80, 40, 120, 16) + struct.pack("<IIii", 0, 0xCC0020, 20, 20) + dib)
    return [
        emf_record(17, struct.pack("<I", 8)), emf_record(9, struct.pack("<ii", 400, 200)),
        emf_record(10, struct.pack("<ii", 0, 0)), emf_record(11, struct.pack("<ii", 400, 200)),
        emf_record(12, struct.pack("<ii", 0, 0)), emf_record(18, struct.pack("<I", 1)),
        emf_record(24, struct.pack("<I", 0x00FF00)), emf_record(25, struct.pack("<I", WHITE)),
        emf_record(22, struct.pack("<I", 24)), emf_record(19, struct.pack("<I", 2)),
        emf_record(33, b""), emf_record(38, struct.pack("<IIiiI", 1, 0, 3, 0, 0xFF0000)),
        emf_record(37, struct.pack("<I", 1)), emf_record(39, struct.pack("<IIII", 2, 0, 0x00FF00, 0)),
        emf_record(37, struct.pack("<I", 2)),
        emf_record(82, struct.pack("<Iiiiii", 3, -20, 0, 0, 0, 700) + b"\0" * 8 + "Sans".encode("utf-16-le")
                   + b"\0" * 56),
        emf_record(37, struct.pack("<I", 3)),
        emf_record(27, struct.pack("<ii", 10, 10)), emf_record(54, struct.pack("<ii", 390, 20)),
        emf_rect(10, 30, 60, 80, 42), emf_record(44, struct.pack("<6i", 70, 30, 130, 80, 10, 10)),
        emf_record(45, struct.pack("<8i", 140, 30, 190, 80, 190, 30, 150, 30)),
        emf_record(47, struct.pack("<8i", 200, 30, 250, 80, 250, 30, 210, 30)),
        emf_record(46, struct.pack("<8i", 260, 30, 310, 80, 310, 30, 270, 30)),
        emf_record(86, pts16),
        emf_record(4, struct.pack("<4iI", 0, 0, 0, 0, 3) + struct.pack("<6i", 80, 190, 110, 120, 140, 190)),
        emf_record(85, struct.pack("<4iI", 0, 0, 0, 0, 4) + struct.pack("<8h", 150, 190, 160, 100, 180, 100, 190, 190)),
        emf_record(91, struct.pack("<4iII", 0, 0, 0, 0, 2, 6) + struct.pack("<II", 3, 3)
                   + struct.pack("<12h", 200, 190, 210, 120, 220, 190, 230, 190, 240, 120, 250, 190)),
        emf_record(59, b""), emf_record(27, struct.pack("<ii", 260, 190)), emf_record(54, struct.pack("<ii", 280, 120)),
        emf_record(54, struct.pack("<ii", 300, 190)), emf_record(61, b""), emf_record(60, b""),
        emf_record(63, struct.pack("<4i", 0, 0, 0, 0)),
        emf_record(84, ext_text), emf_record(15, struct.pack("<iiI", 350, 150, 0)),
        emf_record(70, struct.pack("<I", 8) + b"EMF+\0\0\0\0"),
        emf_record(30, struct.pack("<4i", 0, 0, 399, 199)), emf_record(29, struct.pack("<4i", 0, 0, 2, 2)),
        emf_record(81, stretch), emf_record(34, struct.pack("<i", -1)), emf_record(40, struct.pack("<I", 3)),
        emf_record(35, struct.pack("<6f", 1, 0, 0, 1, 0, 0)),
    ]


def all_files():
    """Every sample as name: bytes."""
    files = {
        # 6000 x 3000 twips = 400 x 200 pixels; the rectangle covers pixels 100..299 x 50..149.
        "rect_placeable.wmf": wmf(red_rect_records(1500, 750, 4500, 2250), 2, placeable(0, 0, 6000, 3000, 1440)),
        # No placeable header: the picture is the made-up 99 x 49, showing a 400 x 200 window.
        "rect_noheader.wmf": wmf([wmf_record(0x020B, 0, 0), wmf_record(0x020C, 200, 400)]
                                 + red_rect_records(100, 50, 300, 150), 2),
        "palette16.wmf": wmf([wmf_palette(SYSTEM16)] + red_rect_records(100, 50, 300, 150), 3,
                             placeable(0, 0, 400, 200, 96)),
        # Units per inch 0 count as 1440: 4000 x 2000 units are 267 x 133 pixels.
        "inch0.wmf": wmf(red_rect_records(1000, 500, 3000, 1500), 2, placeable(0, 0, 4000, 2000, 0)),
        "all_records.wmf": wmf(all_wmf_records(), 4, placeable(0, 0, 400, 200, 96)),
        "rect.emf": emf(emf_red_rect_records(100, 50, 300, 150), 400, 200),
        "palette16.emf": emf(emf_red_rect_records(100, 50, 300, 150), 400, 200, palette=SYSTEM16),
        "header108.emf": emf(emf_red_rect_records(100, 50, 300, 150), 400, 200, header_size=108),
        "all_records.emf": emf(all_emf_records(), 400, 200),
        "framed.wmf": wmf(framed_wmf_records(), 2, placeable(0, 0, 6000, 3000, 1440)),
        "bitmaps.wmf": wmf(wmf_dib_records(), 1, placeable(0, 0, 400, 200, 96)),
        "bitmaps.emf": emf(emf_dib_records(), 400, 200),
        "huge.wmf": wmf(red_rect_records(0, 0, 16000, 16000), 2, placeable(0, 0, 32000, 32000, 1)),
    }
    good = files["rect_placeable.wmf"]
    files["truncated.wmf"] = good[:len(good) - 14]                       # cut inside the rectangle
    files["bad_records.wmf"] = good[:40] + struct.pack("<IH", 0x7FFFFFFF, 0x041B) + b"\x01" * 20
    files["garbage.wmf"] = bytes((i * 37 + 11) % 256 for i in range(300))
    # Headers that pass the probe (or the extension) but do not load.
    files["badheader.wmf"] = placeable(0, 0, 400, 200, 96) + bytes((i * 29 + 3) % 256 for i in range(100))
    files["badheader.emf"] = b"\x01\0\0\0\x58\0\0\0" + b"\0" * 32 + b"XEMF" + b"\0" * 60
    files["garbage.emf"] = b"\x01\0\0\0\x58\0\0\0" + bytes((i * 53 + 7) % 256 for i in range(300))
    return files


def write_packed_dibs(outdir):
    """The packed DIBs on their own, as a clipboard holds them."""
    for name, (dib, _) in PACKED_DIBS.items():
        with open(os.path.join(outdir, name), "wb") as f:
            f.write(dib)
    return list(PACKED_DIBS)


def write_with_suffix(outdir, suffix):
    written = []
    for name, data in all_files().items():
        if name.endswith(suffix):
            with open(os.path.join(outdir, name), "wb") as f:
                f.write(data)
            written.append(name)
    return written
