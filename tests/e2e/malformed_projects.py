"""tessaro-batch on malformed copies of an example project, one case per row of a table.

Every case breaks or changes one piece file of stack 3 (or its folders) in a copy of
examples/Magazzino that already holds drawings of an earlier run. A refused case must exit
with 1, name the file, line, field and text of the problem, leave the earlier drawing of
stack 3 byte for byte and still write stacks 1 and 2; an accepted case must draw stack 3
with as many entities as the clean project. No case may leave a temporary file.
Usage: malformed_projects.py TESSARO_BATCH EXAMPLES_DIR"""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

import ezdxf

BATCH = EXAMPLES = None
PIECE = "Pil3_3"  # the last piece of stack 3
EARLIER = b"0\r\nSECTION\r\n999\r\nthe drawing of an earlier run\r\n"


def piece_lines(project):
    return (project / "Pilastri" / "Dis" / f"{PIECE}.pxf").read_bytes().decode("cp1252").split("\r\n")


def set_field(line, field, text):
    """A mutation that puts `text` (Windows-1252) in line `line`, field `field` of the piece."""
    def mutate(project):
        lines = piece_lines(project)
        fields = lines[line].split("|")
        fields[field] = text
        lines[line] = "|".join(fields)
        write_piece(project, "\r\n".join(lines).encode("cp1252"))
    return mutate


def write_piece(project, data):
    path = project / "Pilastri" / "Dis" / f"{PIECE}.pxf"
    path.unlink()
    path.write_bytes(data)


def recode(encoding):
    def mutate(project):
        write_piece(project, "\r\n".join(piece_lines(project)).encode(encoding))
    return mutate


def misread_sign(project):
    # The UTF-8 bytes of Ø in a file that stays Windows-1252 (its other Ø are byte 0xD8).
    lines = piece_lines(project)
    data = "\r\n".join(lines).encode("cp1252")
    write_piece(project, data.replace(b"3\xd816|", b"3\xc3\x9816|", 1))


def lf_line_ends(project):
    write_piece(project, "\n".join(piece_lines(project)).encode("cp1252"))


def rename_folders(project):
    (project / "Pilastri" / "Dis").rename(project / "Pilastri" / "dis")
    (project / "Pilastri").rename(project / "PILASTRI")
    (project / "Disegni").rename(project / "DISEGNI")


def stale_temporary(project):
    (project / "Disegni" / "Pilastrata_3.dxf.tessaro-tmp-123").write_bytes(b"half a drawing")


def cut_after(count):
    def mutate(project):
        write_piece(project, "\r\n".join(piece_lines(project)[:count]).encode("cp1252"))
    return mutate


def replace_with(kind):
    def mutate(project):
        path = project / "Pilastri" / "Dis" / f"{PIECE}.pxf"
        path.unlink()
        if kind == "fifo":
            os.mkfifo(path)
        elif kind == "folder":
            path.mkdir()
        elif kind == "device":
            path.symlink_to("/dev/zero")
        elif kind == "missing":
            pass
        elif kind == "huge":
            path.write_bytes(b"3|6|3\r\n" + b"0" * 200_000)
    return mutate


def many_pieces(project):
    (project / "Pilastri" / "P3.pst").write_bytes(b"Pil3_1\r\n" * 201)


ALL_WRITTEN = ("1", "2", "3")
# name, mutation, refused, the texts the message must hold (file, line, field, text).
LINE = lambda n: f"line {n + 1} ({n} from 0)"
FIELD = lambda n: f"field {n + 1} ({n} from 0)"
CASES = [
    # Accepted: the same drawing as the clean project.
    ("diameter sign as UTF-8 bytes read as Windows-1252", misread_sign, False, []),
    ("piece file saved as UTF-8", recode("utf-8"), False, []),
    ("piece file saved as UTF-8 with a byte-order mark", recode("utf-8-sig"), False, []),
    ("piece file saved as UTF-16 LE with a byte-order mark", recode("utf-16"), False, []),
    ("piece file saved as UTF-16 BE with a byte-order mark", lambda p: write_piece(
        p, b"\xfe\xff" + "\r\n".join(piece_lines(p)).encode("utf-16-be")), False, []),
    ("LF line ends", lf_line_ends, False, []),
    ("folders in other letter cases", rename_folders, False, []),
    ("a temporary file an interrupted run left", stale_temporary, False, []),
    ("blanks around a number", set_field(8, 1, " 10 "), False, []),
    ("a comma as the decimal separator", set_field(8, 0, "75,0"), False, []),
    # Refused: file, line, field and the text in the message.
    ("negative bar count", set_field(6, 0, "-4\xd816"), True, [LINE(6), FIELD(0), '"-4Ø16"']),
    ("trailing garbage after the diameter", set_field(6, 0, "3\xd816x"), True, [LINE(6), FIELD(0), '"3Ø16x"']),
    ("bar field without the diameter sign", set_field(6, 1, "116"), True, [LINE(6), FIELD(1), '"116"']),
    ("one bar on side 1", set_field(6, 0, "1\xd816"), True, [LINE(6), FIELD(0), '"1Ø16"']),
    ("32000 bars", set_field(6, 0, "32000\xd816"), True, [LINE(6), FIELD(0), '"32000Ø16"']),
    ("a count beyond 16 bits", set_field(6, 1, "40000\xd816"), True, [LINE(6), FIELD(1), '"40000Ø16"']),
    ("diameter 0", set_field(6, 1, "1\xd80"), True, [LINE(6), FIELD(1), '"1Ø0"']),
    ("stirrup field without its diameter", set_field(9, 0, "3\xd8"), True, [LINE(9), FIELD(0), '"3Ø"']),
    ("two diameter signs", set_field(9, 0, "3\xd88\xd88"), True, [LINE(9), FIELD(0), '"3Ø8Ø8"']),
    ("spacing 0", set_field(8, 1, "0"), True, [LINE(8), FIELD(1), '"0"']),
    ("spacing -10", set_field(8, 2, "-10"), True, [LINE(8), FIELD(2), '"-10"']),
    ("spacing 0.0001", set_field(8, 2, "0.0001"), True, [LINE(8), FIELD(2), '"0.0001"']),
    ("end zone length 0", set_field(8, 0, "0"), True, [LINE(8), FIELD(0), '"0"']),
    ("side -45", set_field(3, 0, "-45"), True, [LINE(3), FIELD(0), '"-45"']),
    ("side 1e30", set_field(3, 1, "1e30"), True, [LINE(3), FIELD(1), '"1e30"']),
    ("top level 3e38", set_field(3, 4, "3e38"), True, [LINE(3), FIELD(4), '"3e38"']),
    ("top level at the bottom level", set_field(3, 4, "840"), True, [LINE(3), FIELD(4), '"840"']),
    ("cover 0", set_field(3, 2, "0"), True, [LINE(3), FIELD(2), '"0"']),
    ("cover beyond half the side", set_field(3, 2, "23"), True, [LINE(3), FIELD(2), '"23"']),
    ("an infinite number", set_field(8, 2, "inf"), True, [LINE(8), FIELD(2), '"inf"']),
    ("a NUL inside a field", set_field(8, 2, "2\x000"), True, [LINE(8), FIELD(2), '"2\\x000"']),
    ("a 10000-character field, cut in the message", set_field(7, 0, "9" * 10000 + "x"), True,
     [LINE(7), FIELD(0), '"' + "9" * 80 + '\u2026"']),
    ("offset of line 10 beyond bounds", set_field(10, 0, "1e6"), True, [LINE(10), FIELD(0), '"1e6"']),
    ("circular column with two bars", lambda p: (set_field(3, 1, "0")(p), set_field(6, 0, "2\xd816")(p)), True,
     [LINE(6), FIELD(0), '"2Ø16"']),
    ("a missing line", cut_after(8), True, [LINE(8), "the line is missing"]),
    ("piece file missing", replace_with("missing"), True, ["file not found"]),
    ("piece file is a FIFO", replace_with("fifo"), True, ["pipe (FIFO)"]),
    ("piece file is a folder", replace_with("folder"), True, ["folder"]),
    ("piece file links to /dev/zero", replace_with("device"), True, ["device"]),
    ("piece file beyond the size cap", replace_with("huge"), True, ["longer than 65536 bytes"]),
    ("stack index of 201 pieces", many_pieces, True, ["P3.pst", LINE(200), "at most 200 pieces"]),
]


def entity_count(path):
    return len(ezdxf.readfile(path).modelspace())


class MalformedProjects(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = Path(tempfile.mkdtemp(prefix="tessaro_malformed_"))
        clean = cls.tmp / "clean"
        shutil.copytree(EXAMPLES / "Magazzino", clean)
        result = subprocess.run([str(BATCH), str(clean)], capture_output=True, timeout=600)
        assert result.returncode == 0, result.stderr
        cls.clean_count = entity_count(clean / "Disegni" / "Pilastrata_3.dxf")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def test_cases(self):
        self.assertGreaterEqual(len(CASES), 25)
        for number, (name, mutate, refused, texts) in enumerate(CASES):
            with self.subTest(name):
                project = self.tmp / f"case{number}"
                shutil.copytree(EXAMPLES / "Magazzino", project)
                (project / "Disegni").mkdir()
                for stack in ALL_WRITTEN:
                    (project / "Disegni" / f"Pilastrata_{stack}.dxf").write_bytes(EARLIER)
                mutate(project)
                result = subprocess.run([str(BATCH), str(project)], capture_output=True, timeout=600)
                stderr = result.stderr.decode("utf-8", errors="replace")
                drawings = next(p for p in project.iterdir() if p.name.lower() == "disegni")
                self.assertEqual(list(drawings.glob("*tessaro-tmp*")), [], "a temporary file was left")
                for stack in ("1", "2"):
                    self.assertNotEqual((drawings / f"Pilastrata_{stack}.dxf").read_bytes(), EARLIER)
                third = drawings / "Pilastrata_3.dxf"
                if refused:
                    self.assertEqual(result.returncode, 1, stderr)
                    self.assertEqual(third.read_bytes(), EARLIER, "the earlier drawing was replaced")
                    problem = next(line for line in stderr.splitlines() if "stack 3 not written" in line)
                    self.assertNotIn("\0", problem)
                    self.assertLess(len(problem), 600, problem)
                    for text in texts + ([] if "P3.pst" in texts else [f"{PIECE}.pxf", "was left as it was"]):
                        self.assertIn(text, problem)
                    self.assertIn("2 written, 1 skipped", stderr)
                else:
                    self.assertEqual(result.returncode, 0, stderr)
                    self.assertEqual(entity_count(third), self.clean_count)
                shutil.rmtree(project, ignore_errors=True)

    def test_a_closed_output_does_not_stop_the_run(self):
        project = self.tmp / "closed_output"
        shutil.copytree(EXAMPLES / "Magazzino", project)
        # The reading end of stderr closes at once: every line written to it meets EPIPE.
        result = subprocess.run(["bash", "-c", '"$0" "$1" 2>&1 >/dev/null | head -c 0; echo "${PIPESTATUS[0]}"',
                                 str(BATCH), str(project)], capture_output=True, text=True, timeout=600)
        self.assertEqual(result.stdout.strip(), "0")
        self.assertEqual(sorted(p.name for p in (project / "Disegni").glob("*.dxf")),
                         ["Pilastrata_1.dxf", "Pilastrata_2.dxf", "Pilastrata_3.dxf"])


if __name__ == "__main__":
    BATCH, EXAMPLES = Path(sys.argv[1]), Path(sys.argv[2])
    unittest.main(argv=sys.argv[:1], verbosity=2)
