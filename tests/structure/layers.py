#!/usr/bin/env python3
"""Checks that the folders of src/ depend on each other one way only: a folder may use
(#include, or link in its CMakeLists.txt) only folders below it in LAYERS. Folders on the
same step (dxf and display) may not use each other either. Prints every arrow that runs the
wrong way and exits 1 when there is one.

usage: layers.py SOURCE_DIR"""
import pathlib
import re
import sys

# Bottom to top; a tuple is one step whose folders are independent of each other.
LAYERS = ["base", "os", "text", "cad", ("dxf", "display"), ("dxf_write", "render"), "primitives", "stirrups", "drawing",
          "column_stack", ("schedule", "project"), "check", "sheets", ("batch", "view"), "shell"]

RANK = {}
for step, entry in enumerate(LAYERS):
    for folder in (entry if isinstance(entry, tuple) else (entry,)):
        RANK[folder] = step

INCLUDE = re.compile(r'^\s*#\s*include\s*"([A-Za-z0-9_]+)/', re.M)
LINK = re.compile(r"target_link_libraries\s*\(([^)]*)\)", re.S)


def main():
    src = pathlib.Path(sys.argv[1]) / "src"
    wrong = []
    folders = sorted(p.name for p in src.iterdir() if p.is_dir())
    for folder in folders:
        if folder not in RANK:
            wrong.append(f"src/{folder} is not in the layer order of {pathlib.Path(__file__).name}")
            continue
        used = set()
        for path in sorted((src / folder).rglob("*")):
            if path.suffix in (".h", ".cpp"):
                for target in INCLUDE.findall(path.read_text(encoding="utf-8", errors="replace")):
                    used.add((target, f"{path.relative_to(src.parent)} includes {target}/"))
        cmake = src / folder / "CMakeLists.txt"
        if cmake.exists():
            for args in LINK.findall(cmake.read_text(encoding="utf-8")):
                for target in re.findall(r"\btessaro_([a-z_]+)\b", args):
                    used.add((target, f"{cmake.relative_to(src.parent)} links tessaro_{target}"))
        for target, where in sorted(used):
            if target == folder or target not in RANK:
                continue
            if RANK[target] >= RANK[folder]:
                wrong.append(f"{where}: {target} is not below {folder}")
    for line in wrong:
        print(line)
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())
