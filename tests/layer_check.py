#!/usr/bin/env python3
"""Fails when a file under src/X includes a header of a layer at or above X.

Layers, lowest first; folders on one line are side by side and may not include each other:
platform, report, link, sim and efs, modules, session, fleet, console and ui, app.

usage: layer_check.py SRC_FOLDER
"""
import re
import sys
from pathlib import Path

LAYERS = [["platform"], ["report"], ["link"], ["sim", "efs"], ["modules"], ["session"], ["fleet"], ["console", "ui"], ["app"]]
RANK = {name: rank for rank, names in enumerate(LAYERS) for name in names}
INCLUDE = re.compile(r'^\s*#\s*include\s*"(\w+)/[^"]+"', re.MULTILINE)


def upward_includes(src: Path):
    """Yields (file, included folder) for every include that does not point down."""
    for path in sorted(src.rglob("*")):
        if path.suffix not in {".h", ".cpp"}:
            continue
        layer = path.relative_to(src).parts[0]
        if layer not in RANK:
            continue
        for target in INCLUDE.findall(path.read_text(errors="replace")):
            if target in RANK and target != layer and RANK[target] >= RANK[layer]:
                yield path.relative_to(src), target


def main(args):
    if len(args) != 1:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    bad = list(upward_includes(Path(args[0])))
    for path, target in bad:
        print(f"{path} includes a header of {target}/, which is not below {path.parts[0]}/")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
