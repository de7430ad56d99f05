"""Compares how tessaro-dxf and ezdxf's drawing add-on draw DXF files, by picture: both render
the same window of model space (ezdxf's extents of what it draws, XLINE and RAY left out,
with a margin) at the same size, and each picture's ink (pixels that are not white) is
checked against the other's, widened by two pixels so that anti-aliasing and pen widths do
not count. Prints, per file, how much of each picture's ink the other covers.

Usage: /usr/bin/python3 bench/ink_overlap.py TESSARO_DXF [FILE.dxf ...]
(default: every file of tests/dxf_corpus). Needs python3-ezdxf and python3-matplotlib."""
import logging
import os
import subprocess
import sys
import tempfile

import ezdxf
import matplotlib

matplotlib.use("Agg")
logging.getLogger("matplotlib.font_manager").setLevel(logging.ERROR)  # fonts the files name
import matplotlib.pyplot as plt  # noqa: E402
from ezdxf import bbox  # noqa: E402
from ezdxf.addons.drawing import Frontend, RenderContext  # noqa: E402
from ezdxf.addons.drawing.matplotlib import MatplotlibBackend  # noqa: E402
from ezdxf.addons.drawing.properties import LayoutProperties  # noqa: E402
from PIL import Image, ImageFilter  # noqa: E402

WIDTH = 800
MARGIN = 0.03
WIDEN = 5  # a 5x5 maximum filter: two pixels each way


def window_of(doc):
    msp = doc.modelspace()
    box = bbox.extents(e for e in msp if e.dxftype() not in ("XLINE", "RAY"))
    if not box.has_data:
        return None
    (x0, y0, _), (x1, y1, _) = box.extmin, box.extmax
    w, h = max(x1 - x0, 1e-9), max(y1 - y0, 1e-9)
    if w < h * 1e-3:
        w = h
    if h < w * 1e-3:
        h = w
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    w, h = w * (1 + 2 * MARGIN), h * (1 + 2 * MARGIN)
    height = max(50, min(1600, round(WIDTH * h / w)))
    h = w * height / WIDTH  # the picture's aspect decides: x and y at one scale
    return (cx - w / 2, cy - h / 2, cx + w / 2, cy + h / 2), height


def render_ezdxf(doc, window, height, out):
    fig = plt.figure(figsize=(WIDTH / 100, height / 100), dpi=100)
    ax = fig.add_axes([0, 0, 1, 1])
    ctx = RenderContext(doc)
    props = LayoutProperties.from_layout(doc.modelspace())
    props.set_colors("#ffffff")  # white paper: colour 7 is black
    Frontend(ctx, MatplotlibBackend(ax)).draw_layout(doc.modelspace(), finalize=False, layout_properties=props)
    ax.set_xlim(window[0], window[2])
    ax.set_ylim(window[1], window[3])
    ax.set_axis_off()
    ax.set_facecolor("white")
    fig.patch.set_facecolor("white")
    fig.savefig(out, dpi=100, facecolor="white")
    plt.close(fig)


def ink(path):
    gray = Image.open(path).convert("L")
    return gray.point(lambda v: 255 if v < 235 else 0)


def covered(a, b):
    """The share of a's ink that b's widened ink covers."""
    wide = b.filter(ImageFilter.MaxFilter(WIDEN))
    total = sum(1 for v in a.getdata() if v)
    if total == 0:
        return total, None
    both = sum(1 for v, w in zip(a.getdata(), wide.getdata()) if v and w)
    return total, both / total


def main():
    tool = sys.argv[1]
    files = sys.argv[2:]
    if not files:
        corpus = os.path.join(os.path.dirname(__file__), "..", "tests", "dxf_corpus")
        files = sorted(os.path.join(corpus, f) for f in os.listdir(corpus) if f.lower().endswith(".dxf"))
    print(f"{'file':40} {'ink ours':>9} {'ink ezdxf':>9} {'ours in ezdxf':>13} {'ezdxf in ours':>13}")
    with tempfile.TemporaryDirectory() as tmp:
        for path in files:
            name = os.path.basename(path)
            try:
                doc = ezdxf.readfile(path)
            except Exception as e:  # ezdxf cannot read it: nothing to compare with
                print(f"{name:40} ezdxf cannot read it: {type(e).__name__}")
                continue
            found = window_of(doc)
            if found is None:
                print(f"{name:40} empty model space")
                continue
            window, height = found
            theirs, ours = os.path.join(tmp, "ezdxf.png"), os.path.join(tmp, "ours.png")
            try:
                render_ezdxf(doc, window, height, theirs)
            except Exception as e:
                print(f"{name:40} ezdxf cannot draw it: {type(e).__name__}")
                continue
            run = subprocess.run([tool, "render", path, ours, "--size", f"{WIDTH}x{height}", "--window",
                                  ",".join(f"{v:.17g}" for v in window)], capture_output=True, text=True,
                                 env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
            if run.returncode != 0:
                print(f"{name:40} tessaro-dxf: {run.stderr.strip().splitlines()[0] if run.stderr else run.returncode}")
                continue
            a, b = ink(ours), ink(theirs)
            na, ab = covered(a, b)
            nb, ba = covered(b, a)
            pct = lambda v: "-" if v is None else f"{100 * v:.0f} %"  # noqa: E731
            print(f"{name:40} {na:9d} {nb:9d} {pct(ab):>13} {pct(ba):>13}", flush=True)


if __name__ == "__main__":
    main()
