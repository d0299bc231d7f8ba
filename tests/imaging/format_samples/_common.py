"""Helpers shared by the sample writers."""
import os


def expected(outdir, name, image):
    """Writes Pillow's decode of a sample as <name>.expected.ppm (RGB) beside it."""
    image.convert("RGB").save(os.path.join(outdir, name + ".expected.ppm"), "PPM")
