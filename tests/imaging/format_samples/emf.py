"""Enhanced metafiles: red rectangles, a palette, a 108-byte header, damaged files (see _metafile)."""
from format_samples._metafile import write_with_suffix


def write(outdir):
    return write_with_suffix(outdir, ".emf")
