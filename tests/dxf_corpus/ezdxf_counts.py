"""Writes counts.txt: for every DXF file of this folder, the model-space entities by type as
ezdxf reads them. The corpus test checks that our reader finds the same counts.
Run from this folder: /usr/bin/python3 ezdxf_counts.py"""
import collections
import os

import ezdxf
from ezdxf import recover

with open("counts.txt", "w", encoding="ascii", newline="\n") as out:
    for name in sorted(os.listdir(".")):
        if not name.lower().endswith(".dxf"):
            continue
        try:
            doc = ezdxf.readfile(name)
        except ezdxf.DXFStructureError:
            doc, _ = recover.readfile(name)
        counts = collections.Counter(e.dxftype() for e in doc.modelspace())
        out.write(name + "".join(f" {t}={n}" for t, n in sorted(counts.items())) + "\n")
