#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets from the example projects.

usage: make_seeds.py EXAMPLES DXF_FOLDER OUT
  OUT/piece_file   every piece file of the examples
  OUT/stack_load   every stack as one input: P1.pst, then its piece files, between lines "@@"
  OUT/dxf_read     the DXF files found in DXF_FOLDER (the examples as tessaro-batch draws them)
"""
import pathlib
import shutil
import sys


def main():
    examples, dxf_folder, out = (pathlib.Path(a) for a in sys.argv[1:4])
    for target in ("piece_file", "stack_load", "dxf_read"):
        (out / target).mkdir(parents=True, exist_ok=True)
    for piece in sorted(examples.glob("*/Pilastri/Dis/*.pxf")):
        shutil.copy(piece, out / "piece_file" / f"{piece.parent.parent.parent.name}_{piece.name}")
    for index in sorted(examples.glob("*/Pilastri/P*.pst")):
        names = index.read_bytes().split(b"\r\n")
        parts, lines = [], []
        for name in names:
            if not name:
                lines.append(b"")
                continue
            piece = index.parent / "Dis" / (name.decode("cp1252") + ".pxf")
            parts.append(piece.read_bytes())
            lines.append(str(len(parts)).encode())
        data = b"\r\n".join(lines)
        for part in parts:
            data += b"\n@@\n" + part
        (out / "stack_load" / f"{index.parent.parent.name}_{index.stem}").write_bytes(data)
    for dxf in sorted(dxf_folder.glob("**/*.dxf")):
        shutil.copy(dxf, out / "dxf_read" / f"{dxf.parent.name}_{dxf.name}")


if __name__ == "__main__":
    main()
