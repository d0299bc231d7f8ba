"""PNG samples: Pillow's own files (palette at 1, 2, 4 and 8 bits, grey 1/8/16 bits, RGB, RGBA, LA,
tRNS, gAMA, bKGD and other ancillary chunks) and files from a small PNG writer below for what
Pillow does not write (grey at 2 and 4 bits, Adam7 interlacing).

Expected images follow the library's reading rules, computed from Pillow's decode: 16-bit samples
keep their high byte, and transparent pixels are composited onto the background (the file's bKGD
colour, otherwise black, the background of a new graphic) as libpng does: (fg*a + bg*(255-a)) / 255
rounded."""
import os
import struct
import zlib

from PIL import Image, PngImagePlugin

from ._common import expected

W, H = 19, 11
ADAM7 = ((0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2))


def _rgb(x, y):
    return ((x * 13 + y * 7) % 256, (y * 23 + x) % 256, (x * y * 3 + 60) % 256)


def _chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def _pack(samples, depth):
    """One row of samples (flattened) packed at the bit depth, with filter byte 0."""
    if depth == 16:
        return b"\0" + b"".join(struct.pack(">H", s) for s in samples)
    if depth == 8:
        return b"\0" + bytes(samples)
    out, acc, bits = bytearray(b"\0"), 0, 0
    for s in samples:
        acc = (acc << depth) | s
        bits += depth
        if bits == 8:
            out.append(acc)
            acc, bits = 0, 0
    if bits:
        out.append(acc << (8 - bits))
    return bytes(out)


def png_bytes(width, height, depth, colour_type, pixel, interlace=False, palette=None, extra=b""):
    """A PNG file whose pixel(x, y) gives a tuple of samples."""
    rows = b""
    passes = ADAM7 if interlace else ((0, 0, 1, 1),)
    for x0, y0, dx, dy in passes:
        xs = range(x0, width, dx)
        if not xs:
            continue
        for y in range(y0, height, dy):
            rows += _pack([s for x in xs for s in pixel(x, y)], depth)
    data = b"\x89PNG\r\n\x1a\n"
    data += _chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0, 1 if interlace else 0))
    if palette:
        data += _chunk(b"PLTE", b"".join(bytes(c) for c in palette))
    data += extra
    data += _chunk(b"IDAT", zlib.compress(rows, 9)) + _chunk(b"IEND", b"")
    return data


def _composite(image, background):
    rgba = image.convert("RGBA")
    out = Image.new("RGB", rgba.size)
    for y in range(rgba.size[1]):
        for x in range(rgba.size[0]):
            r, g, b, a = rgba.getpixel((x, y))
            out.putpixel((x, y), tuple((f * a + k * (255 - a) + 127) // 255 for f, k in zip((r, g, b), background)))
    return out


def _save_pillow(outdir, name, image, expect=None, **params):
    image.save(os.path.join(outdir, name), "PNG", **params)
    expected(outdir, name, expect if expect is not None else Image.open(os.path.join(outdir, name)))
    return name


def _save_bytes(outdir, name, data, expect=None):
    path = os.path.join(outdir, name)
    with open(path, "wb") as f:
        f.write(data)
    expected(outdir, name, expect if expect is not None else Image.open(path))
    return name


def write(outdir):
    names = []
    rgb = Image.new("RGB", (W, H))
    rgb.putdata([_rgb(x, y) for y in range(H) for x in range(W)])
    for bits in (1, 2, 4, 8):
        p = rgb.convert("P", palette=Image.ADAPTIVE, colors=1 << bits)
        names.append(_save_pillow(outdir, f"png_palette_{bits}bit.png", p, bits=bits))
    names.append(_save_pillow(outdir, "png_grey_1bit.png", rgb.convert("1")))
    names.append(_save_pillow(outdir, "png_grey_8bit.png", rgb.convert("L")))
    grey16 = Image.new("I", (W, H))
    grey16.putdata([(x * 3011 + y * 977) % 65536 for y in range(H) for x in range(W)])
    grey16 = grey16.convert("I;16")
    expect16 = Image.new("L", (W, H))
    expect16.putdata([((x * 3011 + y * 977) % 65536) >> 8 for y in range(H) for x in range(W)])
    names.append(_save_pillow(outdir, "png_grey_16bit.png", grey16, expect16))
    names.append(_save_pillow(outdir, "png_rgb.png", rgb))
    info = PngImagePlugin.PngInfo()
    info.add(b"tIME", struct.pack(">HBBBBB", 2020, 5, 6, 7, 8, 9))
    info.add(b"oFFs", struct.pack(">iiB", 3, 4, 0))
    names.append(_save_pillow(outdir, "png_rgb_chunks.png", rgb, pnginfo=info, dpi=(72, 72)))
    gamma = PngImagePlugin.PngInfo()
    gamma.add(b"gAMA", struct.pack(">I", 45455))
    names.append(_save_pillow(outdir, "png_rgb_gamma.png", rgb, pnginfo=gamma))

    rgba = rgb.copy()
    rgba.putalpha(Image.linear_gradient("L").resize((W, H)))
    names.append(_save_pillow(outdir, "png_rgba.png", rgba, _composite(rgba, (0, 0, 0))))
    bkgd = PngImagePlugin.PngInfo()
    bkgd.add(b"bKGD", struct.pack(">HHH", 200, 100, 50))
    names.append(_save_pillow(outdir, "png_rgba_bkgd.png", rgba, _composite(rgba, (200, 100, 50)), pnginfo=bkgd))
    la = rgb.convert("LA")
    la.putalpha(Image.linear_gradient("L").rotate(90).resize((W, H)))
    names.append(_save_pillow(outdir, "png_grey_alpha.png", la, _composite(la, (0, 0, 0))))
    trns_colour = _rgb(3, 2)
    names.append(_save_pillow(outdir, "png_rgb_trns.png", rgb,
                              _composite(_with_key(rgb, trns_colour), (0, 0, 0)), transparency=trns_colour))
    grey = rgb.convert("L")
    key = grey.getpixel((5, 5))
    names.append(_save_pillow(outdir, "png_grey_trns.png", grey,
                              _composite(_with_key(grey.convert("RGB"), (key, key, key)), (0, 0, 0)), transparency=key))
    p8 = rgb.convert("P", palette=Image.ADAPTIVE, colors=64)
    alphas = bytes((i * 4) % 256 for i in range(64))
    names.append(_save_pillow(outdir, "png_palette_trns.png", p8, _composite(_palette_rgba(p8, alphas), (0, 0, 0)),
                              transparency=alphas))

    # Written by the small writer: grey at 2 and 4 bits, and interlaced files of several kinds.
    for depth in (2, 4):
        top = (1 << depth) - 1
        pixel = lambda x, y, top=top: ((x + 2 * y) % (top + 1),)
        exp = Image.new("L", (W, H))
        exp.putdata([pixel(x, y)[0] * 255 // top for y in range(H) for x in range(W)])
        names.append(_save_bytes(outdir, f"png_grey_{depth}bit.png", png_bytes(W, H, depth, 0, pixel), exp))
    names.append(_save_bytes(outdir, "png_rgb_interlaced.png", png_bytes(W, H, 8, 2, _rgb, interlace=True)))
    pal = [((i * 60) % 256, (i * 110) % 256, (255 - i * 40) % 256) for i in range(4)]
    names.append(_save_bytes(outdir, "png_palette_2bit_interlaced.png",
                             png_bytes(W, H, 2, 3, lambda x, y: ((x * y + x) % 4,), interlace=True, palette=pal)))
    names.append(_save_bytes(outdir, "png_grey_16bit_interlaced.png",
                             png_bytes(W, H, 16, 0, lambda x, y: ((x * 3011 + y * 977) % 65536,), interlace=True),
                             expect16))
    names.append(_save_bytes(outdir, "png_rgb_16bit.png",
                             png_bytes(W, H, 16, 2, lambda x, y: tuple(v * 256 + x for v in _rgb(x, y)))))
    names.append(_save_bytes(outdir, "png_grey_8bit_offs.png",
                             png_bytes(W, H, 8, 0, lambda x, y: ((x * 11 + y * 5) % 256,),
                                       extra=_chunk(b"oFFs", struct.pack(">iiB", 3, 4, 0)))))
    names.append(_save_bytes(outdir, "png_grey_1bit_interlaced.png",
                             png_bytes(W, H, 1, 0, lambda x, y: ((x ^ y) & 1,), interlace=True)))
    return names


def _with_key(image, key):
    """RGBA of an RGB image whose pixels of the key colour are transparent."""
    out = image.convert("RGBA")
    out.putdata([(r, g, b, 0 if (r, g, b) == tuple(key) else 255) for r, g, b, _ in out.getdata()])
    return out


def _palette_rgba(image, alphas):
    palette = image.getpalette()
    out = Image.new("RGBA", image.size)
    out.putdata([tuple(palette[3 * i:3 * i + 3]) + (alphas[i] if i < len(alphas) else 255,) for i in image.getdata()])
    return out
