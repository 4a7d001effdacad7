#!/usr/bin/env python3
"""Fails when the files of one source folder include each other's headers in a circle.

A header and the sources named like it (x.h, x.cpp) form one unit, and so does a source without a
header of its own that defines members of a class the header declares; a unit depends on another
when one of its files includes the other's header. Any circle among the units of the folder is
printed as its chain of includes, and the exit status is 1.

usage: include_check.py FOLDER [FOLDER ...]
"""
import re
import sys
from pathlib import Path

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)
CLASS = re.compile(r'^(?:class|struct)\s+(\w+)[^;]*$', re.MULTILINE)
MEMBER = re.compile(r'^[\w:<>*& ]*?\b(\w+)::~?\w+\(', re.MULTILINE)
HEADER_SUFFIXES = {".h", ".hpp"}
SOURCE_SUFFIXES = HEADER_SUFFIXES | {".cpp", ".cc"}


def file_units(folder: Path):
    """Maps each source file of folder to its unit."""
    files = [p for p in sorted(folder.iterdir()) if p.suffix in SOURCE_SUFFIXES]
    headers = {p.stem for p in files if p.suffix in HEADER_SUFFIXES}
    owner = {}
    for path in files:
        if path.suffix in HEADER_SUFFIXES:
            for name in CLASS.findall(path.read_text(errors="replace")):
                owner.setdefault(name, path.stem)
    units = {}
    for path in files:
        units[path] = path.stem
        if path.stem not in headers:
            for name in MEMBER.findall(path.read_text(errors="replace")):
                if name in owner:
                    units[path] = owner[name]
                    break
    return units


def include_graph(folder: Path):
    """Maps unit -> {included unit: (including file, include text)} inside folder."""
    folder = folder.resolve()
    units_of = file_units(folder)
    unit_of = lambda path: units_of.get(path, path.stem)
    units = set(units_of.values())
    graph = {unit: {} for unit in units}
    for path in units_of:
        for included in INCLUDE.findall(path.read_text(errors="replace")):
            # "ui/x.h" from the source root, or "x.h" beside the including file.
            for base in (folder.parent, path.parent):
                target = (base / included).resolve()
                if target.parent == folder and target.exists():
                    unit = unit_of(target)
                    if unit != unit_of(path):
                        graph[unit_of(path)].setdefault(unit, (path.name, included))
                    break
    return graph


def find_circles(graph):
    """Each circle once, as a list of units from its first unit back to it."""
    circles, state, stack = [], {}, []

    def visit(unit):
        state[unit] = "open"
        stack.append(unit)
        for nxt in sorted(graph[unit]):
            if state.get(nxt) == "open":
                circles.append(stack[stack.index(nxt):] + [nxt])
            elif nxt not in state:
                visit(nxt)
        stack.pop()
        state[unit] = "done"

    for unit in sorted(graph):
        if unit not in state:
            visit(unit)
    return circles


def main(folders):
    if not folders:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    failed = False
    for name in folders:
        folder = Path(name)
        if not folder.is_dir():
            print(f"{name}: not a folder", file=sys.stderr)
            return 2
        graph = include_graph(folder)
        for circle in find_circles(graph):
            failed = True
            print(f"include circle in {name}:")
            for unit, nxt in zip(circle, circle[1:]):
                source, text = graph[unit][nxt]
                print(f"  {source} includes \"{text}\"")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
