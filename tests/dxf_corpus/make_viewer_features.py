"""Writes viewer_features.dxf with ezdxf: one drawing with what a viewer must draw as CAD
programs draw it: line types with $LTSCALE and entity scales, a dashed polyline, wide
polylines, pattern hatches, wrapped MTEXT, meshes and 3-D polylines, XLINE and RAY, mirrored
and styled texts, a model-space ATTDEF, a WIPEOUT over lines and a tilted 2-D POLYLINE.
Run from this folder: /usr/bin/python3 make_viewer_features.py"""
import ezdxf
from ezdxf.render.forms import cube

doc = ezdxf.new("R2000", setup=["linetypes", "styles"])
doc.header["$LTSCALE"] = 0.5
doc.header["$INSUNITS"] = 6
doc.layers.add("Assi", color=1, linetype="CENTER")
doc.styles.add("Grassetto", font="arialbd.ttf")
msp = doc.modelspace()

# Line types: by layer, by entity with its own scale, along a polyline across corners.
msp.add_line((0, 0), (40, 0), dxfattribs={"layer": "Assi"})
msp.add_line((0, 3), (40, 3), dxfattribs={"linetype": "DASHED", "ltscale": 2})
msp.add_lwpolyline([(0, 6), (10, 6), (10, 12), (20, 12), (20, 6), (40, 6)], dxfattribs={"linetype": "DASHDOT"})
msp.add_circle((50, 5), 5, dxfattribs={"linetype": "HIDDEN"})

# Widths: constant, tapered (an arrow), and a round dot of two arcs.
msp.add_lwpolyline([(0, 20), (15, 20), (15, 28)], dxfattribs={"const_width": 1.0})
msp.add_lwpolyline([(20, 20, 2.0, 0.0), (30, 20, 0, 0)], format="xyse")
msp.add_lwpolyline([(40, 24, 1.5, 1.5, 1), (42, 24, 1.5, 1.5, 1)], format="xyseb", close=True)

# Hatches: a predefined pattern and a user pattern, with an island.
h = msp.add_hatch(color=3)
h.set_pattern_fill("ANSI31", scale=0.5)
h.paths.add_polyline_path([(0, 35), (20, 35), (20, 50), (0, 50)], is_closed=True, flags=1)
h.paths.add_polyline_path([(5, 40), (10, 40), (10, 45), (5, 45)], is_closed=True, flags=16)
h2 = msp.add_hatch(color=5)
h2.set_pattern_fill("BRICK", scale=0.2)
h2.paths.add_polyline_path([(25, 35), (45, 35), (45, 50), (25, 50)], is_closed=True, flags=1)

# MTEXT wrapped to its width, with inline codes.
msp.add_mtext("Questo testo va a capo alla larghezza del riquadro: {\\fArial|b1;grassetto} e "
              "{\\C1;rosso} e \\S1/2; frazione.\\PSecondo paragrafo.",
              dxfattribs={"insert": (0, 70), "char_height": 1.5, "width": 20})
msp.add_lwpolyline([(0, 70), (20, 70), (20, 60), (0, 60)], close=True)

# 3-D content in plan: a polyface mesh, a polygon mesh, a MESH and a 3-D polyline.
pface = msp.add_polyface()
pface.append_faces([[(60, 0, 0), (70, 0, 0), (70, 10, 5), (60, 10, 5)], [(70, 0, 0), (75, 5, 8), (70, 10, 5)]])
pface.optimize()
mesh = msp.add_polymesh(size=(3, 3))
for m in range(3):
    for n in range(3):
        mesh.set_mesh_vertex((m, n), (60 + 5 * m, 20 + 5 * n, m * n))
c = cube().scale_uniform(8).translate(85, 5, 0)
c.render_mesh(msp)
msp.add_polyline3d([(80, 20, 0), (90, 25, 10), (100, 20, 0), (90, 30, 5)])

# Infinite lines: out of the extents, to the edge of the view.
msp.add_xline((50, 60), (1, 1))
msp.add_ray((60, 60), (1, -0.2))

# Texts: mirrored in x and y, a bold style, and an ATTDEF in model space.
msp.add_text("Specchiato", dxfattribs={"insert": (60, 40), "height": 2, "text_generation_flag": 2})
msp.add_text("Capovolto", dxfattribs={"insert": (60, 45), "height": 2, "text_generation_flag": 4})
msp.add_text("Grassetto", dxfattribs={"insert": (60, 50), "height": 2, "style": "Grassetto"})
msp.add_attdef("TAG", (60, 55), dxfattribs={"height": 2})

# A wipeout over crossing lines, and a 2-D polyline with a tilted extrusion.
msp.add_line((80, 40), (100, 55))
msp.add_line((80, 55), (100, 40))
msp.add_wipeout([(85, 44), (95, 44), (95, 51), (85, 51)])
msp.add_polyline2d([(0, 0), (10, 0), (10, 5)], dxfattribs={"extrusion": (0.6, 0, 0.8), "elevation": (0, 0, 0)}).translate(110, 0, 0)

doc.saveas("viewer_features.dxf")
