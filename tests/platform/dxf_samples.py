"""Writes DXF files of R12, R2000 and R2018 with ezdxf, holding the entity types the drawing
model keeps as another program makes them (dimensions rendered into their blocks, attributes
from attribute definitions, MINSERT arrays, hatches, wipeouts).
Usage: dxf_samples.py FOLDER"""
import sys
from pathlib import Path

import ezdxf
from ezdxf.enums import TextEntityAlignment

folder = Path(sys.argv[1])
for version in ("R12", "R2000", "R2018"):
    doc = ezdxf.new(version, setup=True)
    msp = doc.modelspace()
    doc.layers.add("Muri", color=5)
    msp.add_line((0, 0), (10, 5), dxfattribs={"layer": "Muri"})
    msp.add_circle((5, 5), 2)
    msp.add_arc((0, 0), 3, 10, 200)
    text = msp.add_text("Ciao \u00e8", dxfattribs={"rotation": 30, "height": 2.5})
    text.set_placement((1, 1), align=TextEntityAlignment.MIDDLE_CENTER)
    if version == "R12":
        msp.add_polyline2d([(0, 0), (10, 0), (10, 10)], close=True)
    else:
        msp.add_lwpolyline([(0, 0, 0, 0, 0.5), (10, 0, 0, 0, 0), (10, 10, 0, 0, -1)], format="xyseb", close=True)
        msp.add_ellipse((0, 0), (5, 1), 0.3, 0.2, 3.0)
        msp.add_spline([(0, 0), (3, 4), (6, 1), (9, 5)])
        msp.add_mtext("Riga uno\\PRiga due", dxfattribs={"char_height": 2, "rotation": 15}).set_location((20, 20))
        hatch = msp.add_hatch(color=2)
        hatch.paths.add_polyline_path([(0, 0), (5, 0), (5, 5)], is_closed=True)
        msp.add_solid([(0, 0), (1, 0), (0, 1), (1, 1)])
        msp.add_3dface([(0, 0), (1, 0), (1, 1), (0, 1)])
        msp.add_point((3, 3))
        msp.add_ray((0, 0), (1, 1))
        msp.add_xline((0, 0), (0, 1))
        msp.add_leader([(0, 0), (5, 5), (10, 5)])
        msp.add_wipeout([(0, 0), (4, 0), (4, 2), (0, 3)])
        msp.add_linear_dim(base=(0, 5), p1=(0, 0), p2=(10, 0), dimstyle="EZDXF").render()
        msp.add_radius_dim(center=(0, 0), radius=3, angle=45, dimstyle="EZ_RADIUS").render()
    block = doc.blocks.new("Porta", base_point=(1, 1))
    block.add_line((0, 0), (1, 0))
    block.add_attdef("SIGLA", (0, -1))
    msp.add_blockref("Porta", (50, 50), dxfattribs={"xscale": 2, "yscale": -1, "rotation": 20}).add_auto_attribs(
        {"SIGLA": "P1"})
    msp.add_blockref("Porta", (80, 80),
                     dxfattribs={"column_count": 3, "row_count": 2, "column_spacing": 5, "row_spacing": 4})
    doc.saveas(folder / f"ezdxf_{version}.dxf")
