"""Windows metafiles, placeable and not: red rectangles, a palette, bitmap records, damaged files,
and the packed DIBs of the bitmap records on their own (see _metafile)."""
from format_samples._metafile import write_packed_dibs, write_with_suffix


def write(outdir):
    return write_with_suffix(outdir, ".wmf") + write_packed_dibs(outdir)
