"""Helpers shared by the sample writers: writing a sample's bytes and its expected image."""
import os

from PIL import Image


def expected(outdir, name, image):
    """Writes Pillow's decode of a sample as <name>.expected.ppm (RGB) beside it."""
    image.convert("RGB").save(os.path.join(outdir, name + ".expected.ppm"), "PPM")


def put(outdir, name, data):
    """Writes a sample built here and returns its name."""
    with open(os.path.join(outdir, name), "wb") as f:
        f.write(data)
    return name


def pillow_expected(outdir, name):
    """The expected image of a sample is Pillow's decode of it."""
    with Image.open(os.path.join(outdir, name)) as image:
        expected(outdir, name, image)


def built(outdir, name, data, size, pixels):
    """Writes a sample built here whose expected image holds the given RGB pixels."""
    put(outdir, name, data)
    picture = Image.new("RGB", size)
    picture.putdata(pixels)
    expected(outdir, name, picture)
    return name


def save_bytes(outdir, name, data, expect=None):
    """Writes a sample built here with its expected image (Pillow's decode unless given)."""
    put(outdir, name, data)
    if expect is not None:
        expected(outdir, name, expect)
    else:
        pillow_expected(outdir, name)
    return name
