"""Windows metafiles, placeable and not: red rectangles, a palette, damaged files (see _metafile)."""
from format_samples._metafile import write_with_suffix


def write(outdir):
    return write_with_suffix(outdir, ".wmf")
