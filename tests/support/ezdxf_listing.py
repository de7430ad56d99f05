"""Lists what ezdxf reads from a DXF file, one line per layer, block and entity, with the key
geometry of each entity, numbers as %.6g: what ListDrawing (entity_list.h) prints from a
drawing, so that the tests compare the two. Usage: ezdxf_listing.py FILE"""
import re
import sys

import ezdxf

sys.stdout.reconfigure(encoding="utf-8")


def n(value):
    text = "%.6g" % (0 if abs(value) < 5e-5 else value)
    return "0" if text == "-0" else text


def xy(point):
    return n(point[0]) + " " + n(point[1])


def zs(points):
    """The heights of points in 3-D, " z: 1 2", when any is not 0."""
    if all(abs(p[2]) < 5e-5 for p in points):
        return ""
    return " z:" + "".join(" " + n(p[2]) for p in points)


def raw(text):
    return re.sub(r"\\U\+([0-9A-Fa-f]{4})", lambda m: chr(int(m.group(1), 16)), text)


def head(e):
    line = f"{e.dxftype()} {e.dxf.layer} {e.dxf.color}"
    if e.dxf.hasattr("true_color"):
        line += " #%06X" % e.dxf.true_color
    return line


def text_fields(e):
    return (f"{xy(e.dxf.insert)} {n(e.dxf.height)} {n(e.dxf.rotation)} {n(e.dxf.width)} {n(e.dxf.oblique)} "
            f"{e.dxf.halign} {e.dxf.valign} {xy(e.dxf.get('align_point', (0, 0)))} {e.dxf.text_generation_flag} "
            f"[{raw(e.dxf.text)}] {e.dxf.style}")


def edge_fields(edge):
    name = edge.type.name
    if name == "LINE":
        return f"LINE {xy(edge.start)} {xy(edge.end)}"
    if name == "ARC":
        return f"ARC {xy(edge.center)} {n(edge.radius)} {n(edge.start_angle)} {n(edge.end_angle)} {int(edge.ccw)}"
    if name == "ELLIPSE":
        return f"ELLIPSE {xy(edge.center)}"
    return f"SPLINE {len(edge.control_points)} {len(edge.knot_values)}"


def describe(e):
    t = e.dxftype()
    d = e.dxf
    if t == "LINE":
        return f"{xy(d.start)} {xy(d.end)}" + zs([d.start, d.end])
    if t == "CIRCLE":
        return f"{xy(d.center)} {n(d.radius)}"
    if t == "ARC":
        return f"{xy(d.center)} {n(d.radius)} {n(d.start_angle)} {n(d.end_angle)}"
    if t == "TEXT":
        return text_fields(e)
    if t == "LWPOLYLINE":
        points = " ".join(f"{n(x)} {n(y)} {n(b)}" for x, y, b in e.get_points("xyb"))
        return f"{int(e.closed)} {n(d.const_width)} {points}"
    if t == "ELLIPSE":
        return f"{xy(d.center)} {xy(d.major_axis)} {n(d.ratio)} {n(d.start_param)} {n(d.end_param)}"
    if t == "SPLINE":
        first = e.control_points[0] if len(e.control_points) else e.fit_points[0]
        return (f"{d.degree} {int(e.closed)} {len(e.control_points)} {len(e.knots)} {len(e.fit_points)} "
                f"{len(e.weights)} {xy(first)}")
    if t == "MTEXT":
        return (f"{xy(d.insert)} {n(d.char_height)} {n(d.width)} {n(d.rotation)} {d.attachment_point} "
                f"[{raw(e.text)}] {d.style}")
    if t == "INSERT":
        line = (f"{d.name} {xy(d.insert)} {n(d.xscale)} {n(d.yscale)} {n(d.rotation)} {d.column_count} "
                f"{d.row_count} {n(d.column_spacing)} {n(d.row_spacing)}")
        for a in e.attribs:
            line += f" | ATTRIB {a.dxf.tag} {int(a.is_invisible)} {text_fields(a)}"
        return line
    if t == "DIMENSION":
        return f"{d.geometry} {xy(d.defpoint)} {xy(d.text_midpoint)} {d.dimtype} {d.dimstyle}"
    if t == "LEADER":
        return f"{d.has_arrowhead} " + " ".join(xy(v) for v in e.vertices)
    if t == "HATCH":
        paths = []
        for p in e.paths:
            if p.type == ezdxf.entities.BoundaryPathType.POLYLINE:
                paths.append(f"P{int(p.is_closed)} " + " ".join(f"{n(v[0])} {n(v[1])} {n(v[2])}" for v in p.vertices))
            else:
                paths.append("E" + "".join(" " + edge_fields(edge) for edge in p.edges))
        return f"{d.solid_fill} {d.pattern_name} " + " / ".join(paths)
    if t in ("SOLID", "TRACE", "3DFACE"):
        corners = " ".join(xy(d.get(f"vtx{i}")) for i in range(4))
        return corners + (f" {d.invisible}" + zs([d.get(f"vtx{i}") for i in range(4)]) if t == "3DFACE" else "")
    if t == "POLYLINE" and e.is_3d_polyline:
        return f"{int(e.is_closed)} " + " ".join(f"{xy(v.dxf.location)} {n(v.dxf.location[2])}" for v in e.vertices)
    if t == "POINT":
        return xy(d.location)
    if t in ("RAY", "XLINE"):
        return f"{xy(d.start)} {xy(d.unit_vector)}"
    if t == "WIPEOUT":
        return " ".join(xy(v) for v in e.boundary_path_wcs())
    return "?"


doc = ezdxf.readfile(sys.argv[1])
for layer in doc.layers:
    if layer.dxf.name == "Defpoints":
        continue
    line = f"LAYER {layer.dxf.name} {layer.color} {'on' if layer.is_on() else 'off'} {int(layer.is_frozen())}"
    if layer.dxf.hasattr("true_color"):
        line += " #%06X" % layer.dxf.true_color
    print(line)
for block in doc.blocks:
    if block.name.lower() in ("*model_space", "*paper_space"):
        continue
    print(f"BLOCK {block.name} {xy(block.block.dxf.base_point)}")
    for e in block:
        if e.dxftype() != "ATTDEF":
            print(" ", head(e), describe(e))
for e in doc.modelspace():
    print(head(e), describe(e))
