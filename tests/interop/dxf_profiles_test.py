"""Independent readers accept every DXF profile we write: ezdxf audits the
classic, R12 and R2000 files without an error and reads back one entity per
line at our coordinates (closed loops closed, their last vertex not repeated),
unplaced and scaled to millimetres; LibreCAD prints the R12 and R2000 files
to a PDF that draws the lines.

Run with pytest and --vector-tool (see conftest.py)."""
import json
import re
import subprocess
import zlib

import pytest

PROFILES = ["classic", "r12", "r2000"]
SCALE = 0.25  # millimetres per pixel of vector_tool --scale
HEIGHT = 80   # vector_tool's image height

READ_BACK = r"""
import json, sys
import ezdxf
from ezdxf import recover

doc, auditor = recover.readfile(sys.argv[1])
audit = doc.audit()
entities = []
for e in doc.modelspace():
    kind = e.dxftype()
    if kind == "LWPOLYLINE":
        points = [list(p[:2]) for p in e.get_points("xy")]
        closed = e.closed
    elif kind == "POLYLINE":
        points = [list(v.dxf.location)[:2] for v in e.vertices]
        closed = e.is_closed
    elif kind == "POINT":
        points = [list(e.dxf.location)[:2]]
        closed = False
    else:
        points, closed = [], False
    entities.append({"type": kind, "points": points, "closed": closed})
print(json.dumps({
    "version": doc.dxfversion,
    "errors": [str(e.message) for e in auditor.errors + audit.errors],
    "insunits": doc.header.get("$INSUNITS", None),
    "entities": entities,
}))
"""


def write(vector_tool, path, *options):
    """Writes `path` with vector_tool; returns [(id, [(x, y), ...]), ...]."""
    out = subprocess.run([vector_tool, *options, str(path)], capture_output=True, text=True, check=True).stdout
    lines = []
    for text in out.splitlines():
        numbers = text.split()
        values = [float(v) for v in numbers[1:]]
        lines.append((int(numbers[0]), list(zip(values[0::2], values[1::2]))))
    return lines


def read_back(path):
    out = subprocess.run(["/usr/bin/python3", "-c", READ_BACK, str(path)], capture_output=True, text=True)
    assert out.returncode == 0, out.stderr
    return json.loads(out.stdout)


def is_loop(points):
    return len(points) >= 3 and points[0] == points[-1]


def close(a, b, tolerance=0.0005 + 1e-9):
    return len(a) == len(b) and all(abs(p[0] - q[0]) <= tolerance and abs(p[1] - q[1]) <= tolerance
                                   for p, q in zip(a, b))


@pytest.mark.parametrize("scaled", [False, True], ids=["pixels", "millimetres"])
@pytest.mark.parametrize("profile", PROFILES)
def test_ezdxf_audits_and_reads_back_our_lines(vector_tool, tmp_path, profile, scaled):
    path = tmp_path / f"{profile}.dxf"
    lines = write(vector_tool, path, "--dxf", profile, *(["--scale", str(SCALE)] if scaled else []))
    doc = read_back(path)
    assert doc["errors"] == []
    assert doc["version"] == {"classic": "AC1009", "r12": "AC1009", "r2000": "AC1015"}[profile]
    assert doc["insunits"] == (4 if scaled else {"classic": None, "r12": None, "r2000": 0}[profile])
    assert len(doc["entities"]) == len(lines)

    def place(x, y):
        return (SCALE * x, SCALE * (HEIGHT - y)) if scaled else (x, -y)

    wrong = []
    for entity, (line_id, points) in zip(doc["entities"], lines):
        expected = [place(x, y) for x, y in points]
        loop = profile != "classic" and is_loop(points)
        if loop:
            expected = expected[:-1]
        if entity["closed"] != loop or not close(entity["points"], expected):
            wrong.append(line_id)
    assert not wrong, "lines read back differently"
    if profile != "classic":
        assert any(is_loop(points) for _, points in lines), "the tool writes a loop"
        assert [e["type"] for e in doc["entities"] if len(e["points"]) == 1] == ["POINT"]


def stroked_segments(pdf):
    """The line-to operators of every page stream of a PDF, inflated when
    compressed."""
    count = 0
    for match in re.finditer(rb"stream\r?\n(.*?)\r?\nendstream", pdf, re.S):
        data = match.group(1)
        try:
            data = zlib.decompress(data)
        except zlib.error:
            pass
        count += len(re.findall(rb"(?<![A-Za-z])l(?![A-Za-z])", data))
    return count


@pytest.mark.parametrize("profile", ["r12", "r2000"])
def test_librecad_prints_our_lines(vector_tool, tmp_path, profile):
    dxf = tmp_path / f"{profile}.dxf"
    pdf = tmp_path / f"{profile}.pdf"
    lines = write(vector_tool, dxf, "--dxf", profile)
    run = subprocess.run(["xvfb-run", "-a", "librecad", "dxf2pdf", "-a", "-o", str(pdf), str(dxf)],
                         capture_output=True, text=True, timeout=120)
    assert pdf.exists(), run.stdout + run.stderr
    segments = sum(len(points) - 1 for _, points in lines if len(points) > 1)
    assert stroked_segments(pdf.read_bytes()) >= segments
