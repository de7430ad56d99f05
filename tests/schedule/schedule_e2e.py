"""End-to-end test of tessaro-batch --schedule --bvbs, read with tools of its own: ezdxf
for the drawing's texts, Python's csv module for the schedules, and a check value computed
here for every BVBS record.
Usage: schedule_e2e.py TESSARO_BATCH EXAMPLES_DIR"""
import csv
import re
import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

import ezdxf

BATCH = EXAMPLES = None
LENGTH = re.compile(r"L = (\S+)")


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

    def test_every_labelled_length_is_scheduled_and_every_record_checks(self):
        for project, separator, delimiter in ((EXAMPLES / "Magazzino", ",", ";"),
                                              (EXAMPLES / "Polo_Logistico", ".", ",")):
            out = self.tmp / project.name
            done = run_batch(project, "--out", out, "--schedule", "--bvbs", "--decimal-separator", separator,
                             "--steel-grade", "B450C")
            self.assertEqual(done.returncode, 0, done.stderr)
            drawings = sorted(out.glob("Pilastrata_*.dxf"))
            self.assertTrue(drawings)
            for dxf in drawings:
                stack = dxf.stem.split("_", 1)[1]
                with self.subTest(project=project.name, stack=stack):
                    texts = [t.dxf.text for t in ezdxf.readfile(dxf).modelspace().query("TEXT")]
                    labelled = {m.group(1) for t in texts for m in [LENGTH.search(t)] if m}
                    header, rows = schedule_rows(out / f"Distinta_{stack}.csv", delimiter)
                    self.assertEqual(header[6], "Lunghezza (cm)")
                    scheduled = {r[6] for r in rows if r[3] != "staffa circolare"}
                    self.assertEqual(labelled, scheduled)
                    records = (out / f"Pilastrata_{stack}.abs").read_bytes().decode("ascii").split("\r\n")
                    self.assertEqual(records[-1], "")
                    for record in records[:-1]:
                        body, check = record.rsplit("@C", 1)
                        self.assertEqual(96 - sum((body + "@C").encode("ascii")) % 32, int(check.rstrip("@")),
                                         record)
                        fields = dict((f[0], f[1:]) for f in body.split("@G")[0].split("@")[1:] if f)
                        legs = [int(f[1:]) for f in body.split("@G")[1].split("@") if f.startswith("l")]
                        self.assertEqual(sum(legs), int(fields["l"]), record)
                        self.assertEqual(fields["g"], "B450C")
            with open(out / "Distinta_progetto.csv", newline="", encoding="utf-8") as f:
                summary = list(csv.reader(f, delimiter=delimiter))
            stacks = {r[0] for r in summary[1:] if r[1] == "Totale" and r[0] != "Progetto"}
            self.assertEqual(stacks, {d.stem.split("_", 1)[1] for d in drawings})
            weight = sum(float(r[4].replace(",", ".")) for r in summary[1:] if r[1] == "Totale" and r[0] != "Progetto")
            project_total = [r for r in summary if r[:2] == ["Progetto", "Totale"]]
            self.assertAlmostEqual(float(project_total[0][4].replace(",", ".")), weight, delta=0.001 * len(stacks))

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
