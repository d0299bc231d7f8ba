"""The command line the bomb generators share: OUTDIR [NAME ...] writes the bombs named (all of
them when none is) into OUTDIR."""
import os
import sys


def write_bombs(doc, bombs, write):
    """bombs maps a name to a bomb; write(bomb, outdir, name) writes one file."""
    if len(sys.argv) < 2:
        sys.exit(doc)
    outdir = sys.argv[1]
    names = sys.argv[2:] or sorted(bombs)
    unknown = [n for n in names if n not in bombs]
    if unknown:
        sys.exit("unknown bombs: " + " ".join(unknown))
    os.makedirs(outdir, exist_ok=True)
    for name in names:
        write(bombs[name], outdir, name)
    print(f"{len(names)} bomb files written to {outdir}")


def write_to_path(bomb, outdir, name):
    """For bombs that are functions writing the file at the path they are given."""
    bomb(os.path.join(outdir, name))
