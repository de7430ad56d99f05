"""End-to-end tests of tessaro-batch: the example projects become DXF files that ezdxf audits
clean, reruns give the same bytes, stacks are chosen and usage errors say so. Broken stacks
are malformed_projects.py's.
Usage: batch_e2e.py TESSARO_BATCH EXAMPLES_DIR"""
import filecmp
import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

import ezdxf

BATCH = EXAMPLES = None
LAYERS = {"Sezioni", "ContornoCLS", "Ferri", "Testo", "Quote"}


def run_batch(*args):
    return subprocess.run([str(BATCH), *map(str, args)], capture_output=True, text=True, encoding="utf-8",
                          errors="replace", timeout=600)


def stack_ids(project):
    return sorted(p.stem[1:] for p in (project / "Pilastri").glob("*.pst"))


class Batch(unittest.TestCase):
    def setUp(self):
        self.tmp = Path(tempfile.mkdtemp(prefix="tessaro_e2e_"))
        self.addCleanup(shutil.rmtree, self.tmp, ignore_errors=True)

    def test_example_projects_give_clean_dxf_files_the_same_on_every_run(self):
        for project in (EXAMPLES / "Magazzino", EXAMPLES / "Polo_Logistico"):
            with self.subTest(project=project.name):
                out, rerun = self.tmp / project.name, self.tmp / (project.name + "_rerun")
                for folder in (out, rerun):
                    done = run_batch(project, "--out", folder)
                    self.assertEqual(done.returncode, 0, done.stderr)
                names = sorted(p.name for p in out.glob("*.dxf"))
                self.assertEqual(names, sorted(f"Pilastrata_{i}.dxf" for i in stack_ids(project)))
                self.assertEqual(filecmp.cmpfiles(out, rerun, names, shallow=False)[1:], ([], []), "rerun differs")
                for name in names:
                    with self.subTest(file=name):
                        # `ezdxf audit` says "No errors found." only when it found nothing to fix either.
                        audit = subprocess.run([sys.executable, "-m", "ezdxf", "audit", str(out / name)],
                                               capture_output=True, text=True, timeout=600)
                        self.assertIn("No errors found.", audit.stdout + audit.stderr)
                        doc = ezdxf.readfile(out / name)
                        self.assertLessEqual(LAYERS, {layer.dxf.name for layer in doc.layers})
                        texts = [t.dxf.text for t in doc.modelspace().query("TEXT")]
                        self.assertTrue(any("\u00d8" in t for t in texts), "no text with the diameter sign")

    def test_stack_option_selects_and_an_unknown_stack_is_reported(self):
        done = run_batch(EXAMPLES / "Polo_Logistico", "--stack", "10", "2", "nope", "--out", self.tmp)
        self.assertEqual(done.returncode, 1)
        self.assertIn("Pnope.pst", done.stderr)
        self.assertEqual(sorted(p.name for p in self.tmp.glob("*.dxf")), ["Pilastrata_10.dxf", "Pilastrata_2.dxf"])

    def test_usage_errors_exit_2_with_the_usage(self):
        for args in ([], ["a", "b"], ["p", "--bogus"], ["p", "--out"], ["p", "--decimal-separator", ";"],
                     ["--stack", "1", "2", "p"]):
            with self.subTest(args=args):
                done = run_batch(*args)
                self.assertEqual(done.returncode, 2)
                self.assertIn("usage: tessaro-batch PROJECT", done.stderr)


if __name__ == "__main__":
    BATCH, EXAMPLES = Path(sys.argv[1]), Path(sys.argv[2])
    unittest.main(argv=[sys.argv[0], "-v"])
