"""Writes the generated_* files of this folder with ezdxf: every entity type the reader
draws, in each DXF release ezdxf writes, and as binary DXF. Run from this folder:
/usr/bin/python3 make_generated.py"""
import math

import ezdxf
from ezdxf.math import Vec3


def fill(doc):
    doc.layers.add("Muri", color=5)
    doc.layers.add("Spento", color=3).off()
    doc.layers.add("Vero", true_color=ezdxf.rgb2int((10, 200, 30)))
    blk = doc.blocks.new("Porta", base_point=(1, 0))
    blk.add_line((0, 0), (1, 0), dxfattribs={"color": 0})
    blk.add_arc((0, 0), 1, 0, 90, dxfattribs={"layer": "Muri"})
    blk.add_attdef("NUM", (0, 1.5), dxfattribs={"height": 0.5})
    msp = doc.modelspace()
    msp.add_line((0, 0), (10, 5), dxfattribs={"layer": "Muri"})
    msp.add_circle((3, 3), 2, dxfattribs={"color": 3})
    msp.add_arc((3, 3), 4, 30, 300, dxfattribs={"layer": "Vero"})
    msp.add_arc((3, 3), 1, 0, 90, dxfattribs={"extrusion": (0, 0, -1)})
    msp.add_text("Pilastro %%c16", dxfattribs={"height": 2.5, "rotation": 30, "width": 0.8, "oblique": 10})
    msp.add_text("Centro", dxfattribs={"height": 1, "halign": 1, "valign": 2, "align_point": (5, 5), "insert": (5, 5)})
    msp.add_point((7, 7))
    msp.add_solid([(0, 0), (1, 0), (0, 1), (1, 1)])
    msp.add_trace([(2, 0), (3, 0), (2, 1), (3, 1)])
    msp.add_3dface([(4, 0), (5, 0), (5, 1), (4, 1)])
    msp.add_polyline2d([(0, 0, 0.5), (5, 0), (5, 5)], format="xyb", close=True, dxfattribs={"layer": "Spento"})
    msp.add_polyline3d([(0, 0, 0), (1, 2, 3), (2, 0, 1)])
    ins = msp.add_blockref("Porta", (20, 0), dxfattribs={"rotation": 90, "xscale": 2, "yscale": -1})
    ins.add_attrib("NUM", "P1", (20, 1.5), dxfattribs={"height": 0.5})
    msp.add_blockref("Porta", (30, 0), dxfattribs={"column_count": 3, "row_count": 2, "column_spacing": 4,
                                                      "row_spacing": 5})
    if doc.dxfversion > "AC1009":
        msp.add_lwpolyline([(0, 10, 0, 0, 0.5), (5, 10, 0, 0, 0), (5, 15, 0, 0, -1)], format="xyseb",
                           close=True, dxfattribs={"const_width": 0.2})
        msp.add_ellipse((10, 10), major_axis=(4, 1), ratio=0.5, start_param=0, end_param=math.pi)
        msp.add_spline_control_frame([(0, 20), (3, 25), (6, 18), (9, 24)])
        msp.add_spline([(10, 20), (13, 25), (16, 18), (19, 24)])
        msp.add_mtext("Prima riga\\P{\\fArial|b1;Seconda} \\S1/2;", dxfattribs={"char_height": 1.5, "width": 20,
                                                                           "attachment_point": 5,
                                                                           "insert": (30, 30)})
        msp.add_leader([(0, 40), (5, 45), (10, 45)])
        hatch = msp.add_hatch(color=2)
        hatch.paths.add_polyline_path([(0, 50), (10, 50), (10, 60, 0.5), (0, 60)], is_closed=True)
        edge = hatch.paths.add_edge_path()
        edge.add_line((2, 52), (4, 52))
        edge.add_arc((4, 53), 1, 270, 90)
        edge.add_line((4, 54), (2, 54))
        edge.add_ellipse((2, 53), (0, 1), 0.5, 90, 270)
        pattern = msp.add_hatch(color=4)
        pattern.set_pattern_fill("ANSI31", scale=0.5)
        pattern.paths.add_polyline_path([(20, 50), (30, 50), (30, 60)], is_closed=True)
        msp.add_ray((0, 0), (1, 1))
        msp.add_xline((0, 0), (1, -1))
        dim = msp.add_linear_dim(base=(0, -5), p1=(0, 0), p2=(10, 0))
        dim.render()
        msp.add_line((0, 0), (1, 1), dxfattribs={"true_color": ezdxf.rgb2int((255, 128, 0))})
        if doc.dxfversion >= "AC1015":
            msp.add_wipeout([(40, 0), (45, 0), (45, 5), (40, 5)])
    paper = doc.layout("Layout1")
    paper.add_line((0, 0), (100, 100))


for version, name in [("R12", "r12"), ("R2000", "r2000"), ("R2004", "r2004"), ("R2007", "r2007"),
                      ("R2010", "r2010"), ("R2013", "r2013"), ("R2018", "r2018")]:
    doc = ezdxf.new(version)
    fill(doc)
    doc.saveas(f"generated_{name}.dxf")
doc = ezdxf.new("R2018")
fill(doc)
doc.saveas("generated_r2018_binary.dxf", fmt="bin")
doc = ezdxf.new("R12")
fill(doc)
doc.saveas("generated_r12_binary.dxf", fmt="bin")
