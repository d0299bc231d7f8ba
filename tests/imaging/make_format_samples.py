#!/usr/bin/python3
"""Writes sample files of every image format the library reads into OUTDIR.

Each module in format_samples/ has write(outdir) that writes its format's variants and returns
their file names. Lossless samples come with Pillow's decode beside them as <name>.expected.ppm
(RGB) so the C++ tests compare pixel for pixel without a second decoder of their own.
Usage: /usr/bin/python3 make_format_samples.py OUTDIR [FORMAT ...]
"""
import importlib
import os
import pkgutil
import sys

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, here)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    outdir = sys.argv[1]
    wanted = {f.lower() for f in sys.argv[2:]}
    os.makedirs(outdir, exist_ok=True)
    import format_samples
    written = []
    for info in sorted(pkgutil.iter_modules(format_samples.__path__), key=lambda m: m.name):
        if info.name.startswith("_") or (wanted and info.name not in wanted):
            continue
        module = importlib.import_module("format_samples." + info.name)
        written += module.write(outdir)
    print(f"{len(written)} sample files written to {outdir}")


if __name__ == "__main__":
    main()
