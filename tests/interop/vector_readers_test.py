"""Independent readers accept our vector files: GDAL opens every DXF and MIF
we write with the same features and coordinates (y negated), and the MIF
features carry their IDs; a MIF of a drawing scaled to millimetres opens in
millimetres at the placed coordinates; ezdxf audits our DXF without an error.

Run with pytest and --vector-tool (see conftest.py)."""
import functools
import json
import subprocess

import pytest

# The files vector_tool writes, with the decimals their coordinates keep.
FILES = [("lines.dxf", 3), ("lines.mif", 6), ("UPPER.MIF", 6)]
MIF_FILES = [name for name, _ in FILES if name.lower().endswith(".mif")]


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


@pytest.fixture(scope="module")
def written(vector_tool, tmp_path_factory):
    """Writes a file with vector_tool (once per name) and reads it with GDAL:
    (path, [(id, [(x, y), ...]), ...], features or None, GDAL's messages)."""
    tmp = tmp_path_factory.mktemp("vector")

    @functools.lru_cache(maxsize=None)
    def write(name):
        path = tmp / name
        out = subprocess.run([vector_tool, str(path)], capture_output=True, text=True, check=True).stdout
        lines = []
        for text in out.splitlines():
            numbers = text.split()
            values = [float(v) for v in numbers[1:]]
            lines.append((int(numbers[0]), list(zip(values[0::2], values[1::2]))))
        features, errors = gdal_features(path)
        return path, lines, features, errors
    return write


@pytest.mark.parametrize("name", [name for name, _ in FILES])
def test_gdal_reads_one_feature_per_line(written, name):
    _, lines, features, errors = written(name)
    assert features is not None, f"GDAL cannot open {name}: {errors.strip()}"
    assert len(features) == len(lines)


@pytest.mark.parametrize("name, decimals", FILES)
def test_gdal_coordinates(written, name, decimals):
    _, lines, features, errors = written(name)
    assert features is not None, f"GDAL cannot open {name}: {errors.strip()}"
    tolerance = 0.5 * 10 ** -decimals + 1e-9
    wrong = [line_id for feature, (line_id, points) in zip(features, lines)
             if not close(vertices(feature["geometry"]), [(x, -y) for x, y in points], tolerance)]
    assert not wrong, "lines whose coordinates differ"


@pytest.mark.parametrize("name", MIF_FILES)
def test_gdal_reads_mif_ids(written, name):
    _, lines, features, errors = written(name)
    assert features is not None, f"GDAL cannot open {name}: {errors.strip()}"
    wrong = [(line_id, feature["properties"].get("ID")) for feature, (line_id, _) in zip(features, lines)
             if feature["properties"].get("ID") != line_id]
    assert not wrong, "(line, ID GDAL read)"


def test_ezdxf_audits_our_dxf(written):
    dxf = written("lines.dxf")[0]
    audit = subprocess.run(
        ["/usr/bin/python3", "-c",
         "import sys, ezdxf\n"
         "from ezdxf import recover\n"
         "doc, auditor = recover.readfile(sys.argv[1])\n"
         "errors = [str(e.message) for e in auditor.errors]\n"
         "print('\\n'.join(errors))\n"
         "sys.exit(1 if auditor.has_errors else 0)\n",
         str(dxf)], capture_output=True, text=True)
    assert audit.returncode == 0, audit.stdout + audit.stderr


def test_gdal_reads_a_drawing_scaled_to_millimetres(vector_tool, tmp_path):
    """vector_tool --scale 0.25 places pixel (x, y) at (x / 4, (80 - y) / 4) mm."""
    path = tmp_path / "scaled.mif"
    out = subprocess.run([vector_tool, "--scale", "0.25", str(path)], capture_output=True, text=True, check=True)
    lines = [[float(v) for v in text.split()[1:]] for text in out.stdout.splitlines()]
    features, errors = gdal_features(path)
    assert features is not None, f"GDAL cannot open {path.name}: {errors.strip()}"
    assert len(features) == len(lines)
    wrong = [i for i, (feature, values) in enumerate(zip(features, lines))
             if not close(vertices(feature["geometry"]),
                          [(0.25 * x, 0.25 * (80 - y)) for x, y in zip(values[0::2], values[1::2])], 1e-6)]
    assert not wrong, "lines whose coordinates differ"
    info = subprocess.run(["ogrinfo", "-so", "-al", str(path)], capture_output=True, text=True).stdout
    assert 'LENGTHUNIT["Millimeter"' in info or 'UNIT["Millimeter"' in info, info
