"""Writing a sample's bytes and its expected image from Pillow's decode (shared by the modules)."""
import os

from PIL import Image

from ._common import expected


def put(outdir, name, data):
    """Writes a sample built here and returns its name."""
    with open(os.path.join(outdir, name), "wb") as f:
        f.write(data)
    return name


def pillow_expected(outdir, name):
    """The expected image of a sample is Pillow's decode of it."""
    with Image.open(os.path.join(outdir, name)) as image:
        expected(outdir, name, image)
