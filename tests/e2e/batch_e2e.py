"""End-to-end tests of tessaro-batch: the example projects become DXF files that ezdxf
audits clean and reads back, broken stacks are reported and not written, and reruns give
the same bytes.

Usage: batch_e2e.py TESSARO_BATCH EXAMPLES_DIR
"""
import filecmp
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

import ezdxf

BATCH = None
EXAMPLES = None
LAYERS = {"Sezioni", "ContornoCLS", "Ferri", "Testo", "Quote"}


def example_projects():
    """Every example folder that holds a column-stack folder, smallest first."""
    projects = [p for p in sorted(EXAMPLES.iterdir()) if (p / "Pilastri").is_dir()]
    return sorted(projects, key=lambda p: len(list((p / "Pilastri").glob("*.pst"))))


def stack_ids(project):
    return sorted(p.stem[1:] for p in (project / "Pilastri").iterdir() if p.name.lower().endswith("pst"))


def run_batch(*args):
    return subprocess.run([str(BATCH), *map(str, args)], capture_output=True, text=True, encoding="utf-8",
                          errors="replace", timeout=600)


def audit(path):
    """The output of `python3 -m ezdxf audit`, which says "No errors found." only when
    it found neither errors nor anything to fix."""
    done = subprocess.run([sys.executable, "-m", "ezdxf", "audit", str(path)], capture_output=True, text=True,
                          timeout=600)
    return done.stdout + done.stderr


class BatchTestCase(unittest.TestCase):
    def setUp(self):
        self.tmp = Path(tempfile.mkdtemp(prefix="tessaro_e2e_"))
        self.addCleanup(shutil.rmtree, self.tmp, ignore_errors=True)
        self.projects = example_projects()
        self.assertGreaterEqual(len(self.projects), 2, f"two example projects expected in {EXAMPLES}")

    def copy_project(self, project):
        target = self.tmp / project.name
        shutil.copytree(project, target, ignore=shutil.ignore_patterns("Disegni"))
        return target


class ExampleProjects(BatchTestCase):
    def test_every_stack_is_written_audits_clean_and_reads_back(self):
        for project in self.projects:
            with self.subTest(project=project.name):
                out = self.tmp / project.name
                done = run_batch(project, "--out", out)
                self.assertEqual(done.returncode, 0, done.stderr)
                ids = stack_ids(project)
                written = sorted(p.name for p in out.glob("*.dxf"))
                self.assertEqual(written, sorted(f"Pilastrata_{i}.dxf" for i in ids))
                self.assertIn(f"stack {len(ids)} of {len(ids)}", done.stderr)
                self.assertIn(f"{len(ids)} written, 0 skipped", done.stderr)
                for dxf in out.glob("*.dxf"):
                    with self.subTest(file=dxf.name):
                        self.assertIn("No errors found.", audit(dxf))
                        doc = ezdxf.readfile(dxf)
                        self.assertTrue(LAYERS <= {layer.dxf.name for layer in doc.layers})
                        msp = doc.modelspace()
                        self.assertGreater(len(msp), 0)
                        texts = [t.dxf.text for t in msp.query("TEXT")]
                        self.assertTrue(any("\u00d8" in t for t in texts), "no text with the diameter sign")
                        self.assertTrue(any(t.startswith("Pilastrata  ") for t in texts), "no title")

    def test_rerun_gives_the_same_bytes(self):
        project = self.projects[-1]
        first, second = self.tmp / "first", self.tmp / "second"
        self.assertEqual(run_batch(project, "--out", first).returncode, 0)
        self.assertEqual(run_batch(project, "--out", second).returncode, 0)
        names = sorted(p.name for p in first.glob("*.dxf"))
        self.assertTrue(names)
        match, mismatch, errors = filecmp.cmpfiles(first, second, names, shallow=False)
        self.assertEqual((mismatch, errors), ([], []))

    def test_default_output_is_the_projects_drawings_folder(self):
        project = self.copy_project(self.projects[0])
        done = run_batch(project)
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertEqual(len(list((project / "Disegni").glob("*.dxf"))), len(stack_ids(project)))


class Selection(BatchTestCase):
    def test_named_stacks_only(self):
        project = self.projects[-1]
        ids = stack_ids(project)
        chosen = ids[-1]
        done = run_batch(project, "--stack", chosen, "--out", self.tmp)
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertEqual([p.name for p in self.tmp.glob("*.dxf")], [f"Pilastrata_{chosen}.dxf"])
        self.assertIn("stack 1 of 1: " + chosen, done.stderr)

    def test_unknown_stack_is_reported(self):
        done = run_batch(self.projects[0], "--stack", "no-such-stack", "--out", self.tmp)
        self.assertEqual(done.returncode, 1)
        self.assertIn("Pno-such-stack.pst", done.stderr)
        self.assertEqual(list(self.tmp.glob("*.dxf")), [])

    def test_options_change_the_drawing_and_the_separator(self):
        project = self.projects[-1]
        plain, options = self.tmp / "plain", self.tmp / "options"
        self.assertEqual(run_batch(project, "--out", plain, "--decimal-separator", ".").returncode, 0)
        done = run_batch(project, "--out", options, "--decimal-separator", ",", "--split-stirrups",
                         "--tangent-ties")
        self.assertEqual(done.returncode, 0, done.stderr)
        names = sorted(p.name for p in plain.glob("*.dxf"))
        _, mismatch, _ = filecmp.cmpfiles(plain, options, names, shallow=False)
        self.assertTrue(mismatch, "options and separator changed nothing")


class BrokenStacks(BatchTestCase):
    def break_first_piece_of(self, project, stack_id):
        """Puts a letter into line 3 field 1 (Side2) of the stack's first piece file."""
        index = (project / "Pilastri" / f"P{stack_id}.pst").read_bytes().decode("cp1252").splitlines()
        piece = project / "Pilastri" / "Dis" / f"{index[0]}.pxf"
        lines = piece.read_bytes().decode("cp1252").splitlines()
        fields = lines[3].split("|")
        fields[1] = "x" + fields[1]
        lines[3] = "|".join(fields)
        piece.write_bytes("\r\n".join(lines).encode("cp1252") + b"\r\n")
        return piece

    def test_broken_stack_is_reported_and_not_written_and_the_run_goes_on(self):
        project = self.copy_project(self.projects[-1])
        ids = stack_ids(project)
        broken = ids[0]
        piece = self.break_first_piece_of(project, broken)
        out = self.tmp / "out"
        done = run_batch(project, "--out", out)
        self.assertEqual(done.returncode, 1)
        report = [line for line in done.stderr.splitlines() if f"stack {broken} not written" in line]
        self.assertEqual(len(report), 1, done.stderr)
        self.assertIn(piece.name, report[0])
        self.assertIn("line 4", report[0])
        self.assertIn("field", report[0])
        written = {p.name for p in out.glob("*.dxf")}
        self.assertNotIn(f"Pilastrata_{broken}.dxf", written)
        self.assertEqual(written, {f"Pilastrata_{i}.dxf" for i in ids if i != broken})
        self.assertIn(f"{len(ids) - 1} written, 1 skipped", done.stderr)

    def test_missing_piece_file(self):
        project = self.copy_project(self.projects[0])
        broken = stack_ids(project)[0]
        index = (project / "Pilastri" / f"P{broken}.pst")
        index.write_bytes(index.read_bytes() + b"NoSuchPiece\r\n")
        done = run_batch(project, "--out", self.tmp / "out")
        self.assertEqual(done.returncode, 1)
        self.assertIn("NoSuchPiece.pxf", done.stderr)
        self.assertFalse((self.tmp / "out" / f"Pilastrata_{broken}.dxf").exists())


class CommandLine(unittest.TestCase):
    def test_usage_errors_exit_2_with_the_usage(self):
        for args in ([], ["a", "b"], ["p", "--bogus"], ["p", "--out"], ["p", "--decimal-separator", ";"]):
            with self.subTest(args=args):
                done = run_batch(*args)
                self.assertEqual(done.returncode, 2)
                self.assertIn("usage: tessaro-batch PROJECT", done.stderr)

    def test_missing_project_fails(self):
        with tempfile.TemporaryDirectory() as tmp:
            done = run_batch(Path(tmp) / "nothing-here")
            self.assertEqual(done.returncode, 1)
            self.assertIn("Pilastri", done.stderr)


if __name__ == "__main__":
    BATCH = Path(sys.argv[1])
    EXAMPLES = Path(sys.argv[2])
    unittest.main(argv=[sys.argv[0], "-v"])
