"""JPEG seeds for the fuzzers: baseline, progressive, grey, CMYK, subsampled and with restart
markers. JPEG is lossy, so no expected images are written and the cross-decoder tests skip it."""
import os

from PIL import Image


def write(outdir):
    rgb = Image.new("RGB", (37, 23))
    rgb.putdata([((x * 7) % 256, (y * 11) % 256, (x * y) % 256) for y in range(23) for x in range(37)])
    variants = {
        "jpeg_baseline.jpg": (rgb, {}),
        "jpeg_progressive.jpg": (rgb, {"progressive": True}),
        "jpeg_grey.jpg": (rgb.convert("L"), {}),
        "jpeg_cmyk.jpg": (rgb.convert("CMYK"), {}),
        "jpeg_444.jpg": (rgb, {"subsampling": 0, "quality": 95}),
        "jpeg_restart.jpg": (rgb, {"restart_marker_blocks": 2}),
    }
    for name, (image, params) in variants.items():
        image.save(os.path.join(outdir, name), "JPEG", **params)
    return list(variants)
