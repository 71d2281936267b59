#!/usr/bin/python3
"""Independent readers accept our vector files: GDAL opens every DXF and MIF
we write with the same features and coordinates (y negated), and the MIF
features carry their IDs; ezdxf audits our DXF without an error."""
import json
import subprocess
import sys
import tempfile
from pathlib import Path

TOOL = sys.argv[1]
passed = 0
failures = []


def expect(ok, what):
    global passed
    if ok:
        passed += 1
    else:
        failures.append(what)
        print("FAIL:", what)


def write(path):
    out = subprocess.run([TOOL, str(path)], capture_output=True, text=True, check=True).stdout
    lines = []
    for text in out.splitlines():
        numbers = text.split()
        values = [float(v) for v in numbers[1:]]
        lines.append((int(numbers[0]), list(zip(values[0::2], values[1::2]))))
    return lines


def gdal_features(path):
    out = subprocess.run(["ogr2ogr", "-f", "GeoJSON", "/vsistdout/", str(path)],
                         capture_output=True, text=True)
    if out.returncode != 0:
        return None, out.stderr
    return json.loads(out.stdout)["features"], out.stderr


def vertices(geometry):
    kind, coords = geometry["type"], geometry["coordinates"]
    if kind == "Point":
        return [tuple(coords[:2])]
    return [tuple(c[:2]) for c in coords]


def close(a, b, tolerance):
    return len(a) == len(b) and all(abs(p[0] - q[0]) <= tolerance and abs(p[1] - q[1]) <= tolerance
                                   for p, q in zip(a, b))


with tempfile.TemporaryDirectory() as tmp:
    tmp = Path(tmp)
    for name, decimals in (("lines.dxf", 3), ("lines.mif", 6), ("UPPER.MIF", 6)):
        path = tmp / name
        lines = write(path)
        features, errors = gdal_features(path)
        expect(features is not None, f"GDAL opens {name}: {errors.strip()}")
        if features is None:
            continue
        expect(len(features) == len(lines), f"{name}: {len(features)} features for {len(lines)} lines")
        tolerance = 0.5 * 10 ** -decimals + 1e-9
        for feature, (line_id, points) in zip(features, lines):
            expected = [(x, -y) for x, y in points]
            expect(close(vertices(feature["geometry"]), expected, tolerance), f"{name}: coordinates of line {line_id}")
            if name.lower().endswith(".mif"):
                got = feature["properties"].get("ID")
                expect(got == line_id, f"{name}: ID {got} for line {line_id}")

    dxf = tmp / "lines.dxf"
    audit = subprocess.run(
        ["/usr/bin/python3", "-c",
         "import sys, ezdxf\n"
         "from ezdxf import recover\n"
         "doc, auditor = recover.readfile(sys.argv[1])\n"
         "errors = [str(e.message) for e in auditor.errors]\n"
         "print('\\n'.join(errors))\n"
         "sys.exit(1 if auditor.has_errors else 0)\n",
         str(dxf)], capture_output=True, text=True)
    expect(audit.returncode == 0, f"ezdxf audits our DXF without error: {audit.stdout}{audit.stderr}")

print(f"{passed} passed, {len(failures)} failed")
sys.exit(1 if failures else 0)
