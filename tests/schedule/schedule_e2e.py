"""End-to-end test of tessaro-batch --schedule --bvbs --xlsx and its checks, read with tools of its
own: ezdxf for the drawing's texts, Python's csv module for the schedules, openpyxl for
the workbook, and a reader of every BVBS record written here (check value, header, legs,
angles, and the length the legs develop).
Usage: schedule_e2e.py TESSARO_BATCH EXAMPLES_DIR"""
import csv
import math
import re
import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

import ezdxf

try:
    import openpyxl
except ImportError:  # the workbook is then read by nobody: its test says so and skips
    openpyxl = None

BATCH = EXAMPLES = None


def run_batch(*args):
    return subprocess.run([str(BATCH), *map(str, args)], capture_output=True, text=True, encoding="utf-8",
                          errors="replace", timeout=600)


def schedule_rows(path, delimiter):
    with open(path, newline="", encoding="utf-8") as f:
        rows = list(csv.reader(f, delimiter=delimiter))
    body = rows[1:rows.index([])]
    return rows[0], body


class Schedules(unittest.TestCase):
    def setUp(self):
        self.tmp = Path(tempfile.mkdtemp(prefix="tessaro_schedule_e2e_"))
        self.addCleanup(shutil.rmtree, self.tmp, ignore_errors=True)

    def read_bvbs(self, record):
        """The fields of one BF2D record, checked on the way: the check value, the blocks,
        angles a bending machine turns (0, ±90, ±135), a radius only on a curved leg, and
        the header's length developed by the legs measured outside."""
        body, check = record.rsplit("@C", 1)
        self.assertEqual(96 - sum((body + "@C").encode("ascii")) % 32, int(check.rstrip("@")), record)
        head, geometry = body.split("@G")
        self.assertTrue(head.startswith("BF2D@H"), record)
        fields = dict((f[0], f[1:]) for f in head[6:].split("@") if f)
        # Each leg: its length, a radius when it is curved, then its bend; the last bends 0.
        self.assertRegex(geometry + "@", r"^(l[\d.]+@(r[\d.]+@)?w-?[\d.]+@)+$")
        legs = [{"l": float(l), "r": float(r or 0), "w": float(w)}
                for l, r, w in re.findall(r"l([\d.]+)@(?:r([\d.]+)@)?w(-?[\d.]+)", geometry)]
        self.assertEqual(legs[-1]["w"], 0, record)
        d, ri = float(fields["d"]), float(fields["s"]) / 2
        developed = 0
        for leg in legs:
            self.assertIn(abs(leg["w"]), (0, 90, 135), record)
            self.assertGreater(leg["l"], 0, record)
            developed += leg["l"]
            if leg["w"]:
                developed -= 2 * (ri + d) - (ri + d / 2) * math.radians(abs(leg["w"]))
        self.assertLessEqual(abs(developed - float(fields["l"])), 0.5 + 1e-9, record)
        self.assertEqual(float(fields["s"]), (4 if d <= 16 else 7) * d, record)  # EC2 Table 8.1N
        return fields, legs

    def test_every_labelled_length_is_scheduled_and_every_record_checks(self):
        for project, separator, delimiter, csv_separator in ((EXAMPLES / "Magazzino", ",", ";", ","),
                                                             (EXAMPLES / "Polo_Logistico", ".", ",", ".")):
            out = self.tmp / project.name
            done = run_batch(project, "--out", out, "--schedule", "--bvbs", "--xlsx",
                             "--decimal-separator", separator, "--csv-decimal-separator", csv_separator,
                             "--steel-grade", "B450C")
            self.assertEqual(done.returncode, 0, done.stderr)
            drawings = sorted(out.glob("Pilastrata_*.dxf"))
            self.assertTrue(drawings)
            for dxf in drawings:
                stack = dxf.stem.split("_", 1)[1]
                with self.subTest(project=project.name, stack=stack):
                    header, rows = schedule_rows(out / f"Distinta_{stack}.csv", delimiter)
                    self.assertEqual(header[6:8], ["Lunghezza (cm)", "L disegno (cm)"])
                    number = lambda text: float(text.replace(",", "."))
                    # The label's L stands beside the cut length where they differ by more than 1 cm
                    # (which label goes with which row is tests/schedule/batch_schedule_test.cpp's).
                    for r in rows:
                        if r[7]:
                            self.assertGreater(abs(number(r[7]) - number(r[6])), 1, r)
                    records = (out / f"Pilastrata_{stack}.abs").read_bytes().decode("ascii").split("\r\n")
                    self.assertEqual(records[-1], "")
                    self.assertEqual(len(records) - 1, len(rows))
                    for record, row in zip(records[:-1], rows):
                        fields, legs = self.read_bvbs(record)
                        self.assertEqual(fields["g"], "B450C")
                        self.assertEqual(fields["p"], row[2])
                        self.assertAlmostEqual(float(fields["l"]) / 10, number(row[6]), delta=0.05)
                        self.assertEqual([int(leg["l"]) for leg in legs], [int(v) for v in row[10].split("-")])
                        if row[3] in ("staffa chiusa", "spillo", "staffa circolare"):
                            self.assertEqual((legs[0]["w"], abs(legs[-2]["w"])), (135, 135), record)
                            tail = legs[0]["l"] - float(fields["s"]) / 2 - float(fields["d"])
                            self.assertGreaterEqual(tail, 10 * float(fields["d"]) - 0.5, record)
                            self.assertGreaterEqual(tail, 80 - 0.5, record)  # the drawing's tail
            with open(out / "Distinta_progetto.csv", newline="", encoding="utf-8") as f:
                summary = list(csv.reader(f, delimiter=delimiter))
            stacks = {r[0] for r in summary[1:] if r[1] == "Totale" and r[0] != "Progetto"}
            self.assertEqual(stacks, {d.stem.split("_", 1)[1] for d in drawings})
            weight = sum(float(r[4].replace(",", ".")) for r in summary[1:] if r[1] == "Totale" and r[0] != "Progetto")
            project_total = [r for r in summary if r[:2] == ["Progetto", "Totale"]]
            self.assertAlmostEqual(float(project_total[0][4].replace(",", ".")), weight, delta=0.001 * len(stacks))
            self.check_workbook(out, summary, delimiter)

    def check_workbook(self, out, summary, delimiter):
        """The workbook holds the CSV's rows and totals, as numbers."""
        if openpyxl is None:
            self.skipTest("python3-openpyxl is not installed")
        book = openpyxl.load_workbook(out / "Distinta_progetto.xlsx")
        number = lambda text: float(text.replace(",", ".")) if text else None
        cells = lambda sheet: [[c for c in row] for row in sheet.iter_rows(values_only=True)]
        rows = cells(book["Riepilogo"])
        self.assertEqual(len(rows), len(summary))
        for got, want in zip(rows[1:], summary[1:]):
            self.assertEqual(str(got[0]), want[0])
            for col in (2, 3, 4):
                if want[col]:
                    self.assertIsInstance(got[col], (int, float))
                    self.assertAlmostEqual(got[col], number(want[col]), delta=0.006)
        for name in book.sheetnames[1:]:
            stack = name.split(" ", 1)[1]
            header, csv_rows = schedule_rows(out / f"Distinta_{stack}.csv", delimiter)
            sheet = cells(book[name])
            self.assertEqual(len(sheet) - 1 >= len(csv_rows), True)
            for got, want in zip(sheet[1:], csv_rows):
                self.assertEqual((got[0], got[1], got[2], got[3], got[4]),
                                 (int(want[1]), int(want[2]), want[3], number(want[4]), int(want[5])))
                self.assertAlmostEqual(got[5], number(want[6]), delta=0.05)
                self.assertAlmostEqual(got[9], number(want[9]), delta=0.0006)
                self.assertEqual([int(v) for v in got[10:] if v is not None], [int(v) for v in want[10].split("-")])

    def test_checks_strict_and_marks(self):
        project = EXAMPLES / "Polo_Logistico"
        plain = self.tmp / "plain"
        done = run_batch(project, "--out", plain)
        # The check runs on every run: findings printed and written, the exit status 0.
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertIn("Pilastrata 9, pilastro", done.stderr)
        self.assertEqual({p.stem.split("_", 1)[1] for p in plain.glob("Verifica_*.txt")},
                         {p.stem.split("_", 1)[1] for p in plain.glob("Pilastrata_*.dxf")})
        strict = self.tmp / "strict"
        done = run_batch(project, "--out", strict, "--strict", "--marks")
        self.assertEqual(done.returncode, 3, done.stderr)
        # The stacks the issue names: a tie labelled in stack 9 and three in stack 10 that
        # the section never places, and the circular stacks' bar lists.
        report = lambda stack: (strict / f"Verifica_{stack}.txt").read_text(encoding="utf-8")
        self.assertEqual(report("9").count("mai posto"), 1)
        self.assertEqual(report("10").count("mai posto"), 3)
        self.assertIn("l'elenco ferri dice 16Ø16, la sezione ne pone 8", report("2"))
        self.assertIn("l'elenco ferri dice 20Ø18, la sezione ne pone 10", report("7"))
        self.assertIn("Pilastrata 9, pilastro", done.stderr)
        for dxf in sorted(plain.glob("*.dxf")):
            marked = ezdxf.readfile(strict / dxf.name).modelspace()
            self.assertTrue(marked.query('CIRCLE[layer=="Posizioni"]'), dxf.name)
            self.assertEqual(len(marked.query('*[layer!="Posizioni"]')), len(ezdxf.readfile(dxf).modelspace()))
        self.assertEqual(run_batch(project, "--out", self.tmp / "check", "--check").returncode, 0)  # an alias

    def test_a_stack_not_written_gets_no_schedule(self):
        project = self.tmp / "project"
        shutil.copytree(EXAMPLES / "Magazzino", project, ignore=shutil.ignore_patterns("Disegni"))
        index = sorted((project / "Pilastri").glob("P*.pst"))[0]
        index.write_bytes(index.read_bytes() + b"NoSuchPiece\r\n")
        out = self.tmp / "out"
        done = run_batch(project, "--out", out, "--schedule", "--bvbs")
        self.assertEqual(done.returncode, 1)
        stack = index.stem[1:]
        self.assertFalse((out / f"Distinta_{stack}.csv").exists())
        self.assertFalse((out / f"Pilastrata_{stack}.abs").exists())
        self.assertTrue((out / "Distinta_progetto.csv").exists())


if __name__ == "__main__":
    BATCH, EXAMPLES = Path(sys.argv[1]), Path(sys.argv[2])
    unittest.main(argv=[sys.argv[0], "-v"])
