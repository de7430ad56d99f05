#!/usr/bin/env python3
"""Writes the example projects the way the structural-design program writes them.

Windows-1252 bytes (the diameter sign is the byte 0xD8), CR LF line ends, one stack index
file Pilastri/P<id>.pst per stack and one piece file Pilastri/Dis/<name>.pxf per piece.
Run it from anywhere; it rewrites examples/Magazzino and examples/Polo_Logistico.
The steel area and percentage are computed here as the design program would.
"""
import math
import pathlib
from dataclasses import dataclass, field

HERE = pathlib.Path(__file__).resolve().parent
SIGN = "\u00d8"  # Ø, written as the Windows-1252 byte 0xD8


@dataclass
class Piece:
    side1: float
    side2: float  # 0: circular column of diameter side1
    bottom: float
    top: float
    bars: tuple  # (count side 1 incl. corners, diameter mm, count side 2 excl. corners, diameter mm)
    stirrups: tuple  # (legs side 1, legs side 2, diameter mm)
    zones: tuple = (75, 10, 20)  # end-zone length, end spacing, middle spacing (cm)
    insets: tuple = (0, 0, 0, 0)  # seat-step depths: view 2 faces, then view 1 faces
    line10: tuple | None = (0, 0, 0, 60, 60, 0, 0)  # None: older layout without line 10
    cover: float = 4
    flags: tuple = (1, 0, 0, 0, 0)


@dataclass
class Stack:
    id: int
    pieces: list
    comma: bool = False  # Italian decimal comma in the numbers
    names: list = field(default_factory=list)


def number(value, comma):
    text = f"{value:.2f}".rstrip("0").rstrip(".")
    return text.replace(".", ",") if comma else text


def steel(piece):
    n1, d1, n2, d2 = piece.bars
    area = lambda d: math.pi * (d / 10) ** 2 / 4
    if piece.side2 == 0:
        total = n1 * area(d1)
        concrete = math.pi * piece.side1 ** 2 / 4
    else:
        total = 2 * n1 * area(d1) + 2 * n2 * area(d2)
        concrete = piece.side1 * piece.side2
    return total, total / concrete * 100


def piece_lines(stack, index, number_in_project):
    p = stack.pieces[index]
    last = len(stack.pieces) - 1
    code = 0 if last == 0 else 1 if index == 0 else 3 if index == last else 2
    f = lambda *values: "|".join(number(v, stack.comma) for v in values)
    n1, d1, n2, d2 = p.bars
    s1, s2, ds = p.stirrups
    area, percent = steel(p)
    lines = [
        f(stack.id, number_in_project, code),
        f(*p.insets),
        f(*p.flags),
        f(p.side1, p.side2, p.cover, p.bottom, p.top),
        f(0, 0),
        f(0, 0),
        f"{n1}{SIGN}{d1}|{n2}{SIGN}{d2}",
        f(area, percent),
        f(*p.zones),
        f"{s1}{SIGN}{ds}|{s2}{SIGN}{ds}",
    ]
    if p.line10 is not None:
        lines.append(f(*p.line10))
    return lines


def write_text(path, lines):
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes("".join(line + "\r\n" for line in lines).encode("cp1252"))


def write_project(name, stacks):
    folder = HERE / name / "Pilastri"
    number_in_project = 0
    for stack in stacks:
        names = []
        for index in range(len(stack.pieces)):
            number_in_project += 1
            piece_name = f"Pil{stack.id}_{index + 1}"
            write_text(folder / "Dis" / f"{piece_name}.pxf", piece_lines(stack, index, number_in_project))
            names.append(piece_name)
        write_text(folder / f"P{stack.id}.pst", names)


# A small warehouse: three stacks of one to three pieces.
MAGAZZINO = [
    Stack(1, [Piece(40, 40, 0, 600, (4, 16, 2, 16), (2, 2, 8), insets=(0, 0, 25, 25))]),
    Stack(2, [Piece(50, 50, 0, 450, (4, 18, 2, 18), (4, 4, 8), zones=(70, 7.5, 15), insets=(25, 0, 0, 0),
                    line10=(0, 0, 0, 60, 0, 0, 0)),
              Piece(40, 50, 450, 800, (3, 18, 2, 18), (3, 4, 8), zones=(60, 7.5, 15), insets=(0, 0, 30, 30),
                    line10=(0, 5, 0, 0, 0, 0, 0))], comma=True),
    Stack(3, [Piece(45, 45, 0, 420, (3, 16, 1, 16), (3, 3, 8), insets=(20, 20, 0, 0)),
              Piece(45, 45, 420, 840, (3, 16, 1, 16), (3, 3, 8), insets=(20, 20, 0, 0), line10=None),
              Piece(45, 45, 840, 1200, (3, 16, 1, 16), (3, 3, 8), insets=(0, 0, 25, 25))]),
]

# A logistics building: twelve stacks that together use every feature of the drawing.
POLO_LOGISTICO = [
    Stack(1, [Piece(60, 60, 0, 850, (4, 20, 2, 20), (4, 4, 8), zones=(80, 10, 20), insets=(0, 0, 30, 30))]),
    Stack(2, [Piece(50, 0, 0, 700, (8, 16, 0, 16), (2, 2, 8), zones=(60, 10, 20), line10=(0, 0, 0, 60, 0, 0, 0))]),
    Stack(3, [Piece(50, 50, 0, 450, (3, 18, 1, 18), (3, 3, 8), insets=(25, 25, 0, 0),
                    line10=(0, 0, 0, 60, 60, 60, 60)),
              Piece(50, 50, 450, 900, (3, 18, 1, 18), (3, 3, 8), insets=(25, 25, 0, 0),
                    line10=(0, 0, 0, 60, 60, 60, 60)),
              Piece(50, 50, 900, 1250, (3, 18, 1, 18), (3, 3, 8), insets=(0, 0, 30, 30),
                    line10=(0, 0, 0, 60, 60, 60, 60))]),
    Stack(4, [Piece(60, 60, 0, 450, (5, 20, 3, 16), (5, 5, 8), insets=(0, 0, 0, 35)),
              Piece(50, 60, 450, 900, (4, 20, 3, 16), (4, 5, 8), insets=(0, 0, 0, 35), line10=(0, 5, 0, 60, 60, 0, 0)),
              Piece(40, 60, 900, 1250, (3, 20, 3, 16), (3, 5, 8), insets=(0, 0, 25, 25),
                    line10=(0, 10, 0, 60, 60, 0, 0))]),
    Stack(5, [Piece(40, 70, 0, 500, (2, 20, 6, 16), (2, 4, 8), zones=(90, 10, 20), insets=(30, 0, 0, 0),
                    line10=(0, 0, 0, 90, 75, 0, 0)),
              Piece(40, 60, 500, 950, (2, 20, 5, 16), (2, 4, 8), insets=(30, 30, 0, 0),
                    line10=(5, 0, 0, 90, 75, 0, 0))]),
    Stack(6, [Piece(45, 60, 0, 400, (3, 16, 4, 16), (3, 6, 8), zones=(60, 10, 20)),
              Piece(45, 60, 400, 800, (3, 16, 4, 16), (3, 6, 8), zones=(60, 10, 20), insets=(20, 40, 0, 0)),
              Piece(45, 50, 800, 1150, (3, 16, 3, 16), (3, 5, 8), zones=(60, 7.5, 15), insets=(20, 40, 0, 0),
                    line10=(-5, 0, 0, 60, 60, 0, 0)),
              Piece(45, 50, 1150, 1500, (3, 16, 3, 16), (3, 5, 8), zones=(60, 7.5, 15), insets=(0, 0, 20, 20),
                    line10=(-5, 0, 0, 60, 60, 0, 0))], comma=True),
    Stack(7, [Piece(60, 0, 0, 450, (10, 18, 0, 18), (2, 2, 8), zones=(70, 10, 20), cover=5),
              Piece(50, 0, 450, 850, (8, 16, 0, 16), (2, 2, 8), zones=(60, 10, 20), cover=5)]),
    Stack(8, [Piece(30, 50, 0, 600, (2, 14, 1, 14), (2, 2, 8), zones=(60, 10, 20), insets=(0, 0, 20, 0),
                    line10=None)]),
    Stack(9, [Piece(80, 40, 0, 750, (8, 20, 1, 16), (6, 3, 10), zones=(80, 10, 20), insets=(40, 20, 0, 0),
                    line10=(0, 0, 90, 80, 0, 0, 0))]),
    Stack(10, [Piece(70, 50, 0, 450, (6, 18, 2, 16), (4, 3, 8), insets=(0, 0, 30, 0)),
               Piece(70, 50, 450, 900, (6, 18, 2, 16), (4, 3, 8), insets=(0, 0, 30, 0)),
               Piece(60, 50, 900, 1300, (5, 18, 2, 16), (4, 3, 8), insets=(0, 0, 0, 30),
                     line10=(0, -5, 0, 60, 60, 0, 0))]),
    Stack(11, [Piece(55, 55, 0, 500, (4, 16, 2, 16), (4, 4, 8), zones=(70, 7.5, 15), cover=4.5, line10=None),
               Piece(55, 55, 500, 950, (4, 16, 2, 16), (4, 4, 8), zones=(70, 7.5, 15), cover=4.5,
                     insets=(0, 0, 25, 25), line10=None)], comma=True),
    Stack(12, [Piece(70, 70, 0, 450, (7, 20, 5, 20), (5, 5, 10), zones=(90, 10, 20), insets=(25, 25, 0, 0),
                     line10=(0, 0, 90, 0, 0, 0, 0), flags=(1, 1, 0, 0, 1)),
               Piece(70, 70, 450, 850, (7, 20, 5, 20), (5, 5, 10), zones=(90, 10, 20), insets=(30, 30, 30, 30),
                     line10=(0, 0, 90, 0, 0, 0, 0), flags=(1, 1, 0, 0, 1))]),
]

if __name__ == "__main__":
    write_project("Magazzino", MAGAZZINO)
    write_project("Polo_Logistico", POLO_LOGISTICO)
