"""Scans of every kind in, map and CAD coordinates out.

Each raster kind is read to the pixels GDAL itself reads; One-Touch gives the
same lines whatever the file kind of one drawing; georeferenced scans give
files GDAL reads back at the right place with their coordinate system;
--units gives DXF at true size; bad inputs are refused with their reason and
nothing is written.

Run with pytest; conftest.py describes the options that locate the programs.
"""
import os
import struct
import subprocess

import ezdxf
import numpy as np
import pytest
from osgeo import gdal, ogr, osr
from PIL import Image, ImageDraw

gdal.UseExceptions()

W, H = 240, 160
UTM32N = 32632
GEO = (500000.0, 0.5, 0.0, 5400000.0, 0.0, -0.5)  # top-left corner, half-metre pixels


@pytest.fixture(scope="module")
def tmp(tmp_path_factory):
    return tmp_path_factory.mktemp("scans")


@pytest.fixture(scope="module")
def run(cli):
    def run(*args):
        return subprocess.run([cli, *map(str, args)], capture_output=True, text=True)
    return run


def drawing():
    """Lines, a T, a crossing and a circle, black on white, 3 px strokes."""
    im = Image.new("L", (W, H), 255)
    d = ImageDraw.Draw(im)
    d.line((20, 20, 220, 20), fill=0, width=3)
    d.line((120, 20, 120, 140), fill=0, width=3)
    d.line((30, 60, 100, 130), fill=0, width=3)
    d.line((30, 130, 100, 60), fill=0, width=3)
    d.ellipse((150, 60, 220, 130), outline=0, width=3)
    return im


def ink_box(im):
    """Columns and rows (from 0) of the ink's first and last pixels."""
    a = np.array(im) < 128
    rows, cols = np.nonzero(a)
    return cols.min(), rows.min(), cols.max(), rows.max()


def gdal_tiff(path, array, options=(), dtype=gdal.GDT_Byte, palette=None, geo=None, epsg=None):
    bands = 1 if array.ndim == 2 else array.shape[0]
    h, w = array.shape[-2:]
    ds = gdal.GetDriverByName("GTiff").Create(str(path), w, h, bands, dtype, list(options))
    for b in range(bands):
        ds.GetRasterBand(b + 1).WriteArray(array if bands == 1 else array[b])
    if palette:
        table = gdal.ColorTable()
        for i, rgb in enumerate(palette):
            table.SetColorEntry(i, (*rgb, 255))
        ds.GetRasterBand(1).SetRasterColorTable(table)
    if geo:
        ds.SetGeoTransform(geo)
    if epsg:
        srs = osr.SpatialReference()
        srs.ImportFromEPSG(epsg)
        ds.SetProjection(srs.ExportToWkt())
    ds = None


def read_back(scan_dump, path):
    out = subprocess.run([scan_dump, str(path)], capture_output=True, text=True)
    assert out.returncode == 0, out.stderr
    lines = out.stdout.split("\n")
    w, h, bits = map(int, lines[0].split())
    rgb = np.array([list(map(int, line.split())) for line in lines[1:1 + w * h]], dtype=np.int32)
    return bits, rgb.reshape(h, w, 3)


def gdal_rgb(path):
    """What GDAL reads, as RGB the way the scan reader promises: a palette
    through its colours, grey to grey, 16-bit grey scaled to 8 bits, the
    first three bands of colour."""
    ds = gdal.Open(str(path))
    band = ds.GetRasterBand(1)
    a = ds.ReadAsArray().astype(np.int64)
    if ds.RasterCount >= 3 and band.GetColorInterpretation() != gdal.GCI_PaletteIndex:
        return np.stack([a[0], a[1], a[2]], axis=-1)
    if ds.RasterCount > 1:
        a = a[0]
    table = band.GetColorTable()
    if table is not None:
        colours = np.array([table.GetColorEntry(i)[:3] for i in range(table.GetCount())])
        return colours[a]
    if band.DataType == gdal.GDT_UInt16:
        a = np.rint(a * 255.0 / 65535.0)
    return np.stack([a, a, a], axis=-1)


# Every kind of raster, made by GDAL or Pillow from the drawing.
def make_kind(tmp, name):
    path = tmp / name
    if path.exists():
        return path
    im = drawing()
    grey = np.array(im)
    rng = np.random.default_rng(5)
    colour = np.stack([grey, np.clip(grey.astype(int) + 40, 0, 255).astype(np.uint8), grey // 2])
    if name == "g4.tif":
        gdal_tiff(path, (grey > 128).astype(np.uint8), ["COMPRESS=CCITTFAX4", "NBITS=1"])
    elif name == "g4-white-is-zero.tif":
        gdal_tiff(path, (grey > 128).astype(np.uint8), ["COMPRESS=CCITTFAX4", "NBITS=1", "PHOTOMETRIC=MINISWHITE"])
    elif name == "lzw-grey.tif":
        gdal_tiff(path, grey, ["COMPRESS=LZW"])
    elif name == "deflate-rgb-tiled.tif":
        gdal_tiff(path, colour, ["COMPRESS=DEFLATE", "TILED=YES", "BLOCKXSIZE=32", "BLOCKYSIZE=32"])
    elif name == "striped-rgb.tif":
        gdal_tiff(path, colour, ["ROWSPERSTRIP=7"])
    elif name == "grey16.tif":
        gdal_tiff(path, (grey.astype(np.uint16) * 257) ^ rng.integers(0, 200, grey.shape, dtype=np.uint16),
                  dtype=gdal.GDT_UInt16)
    elif name == "palette.tif":
        gdal_tiff(path, (grey // 64).astype(np.uint8), palette=[(0, 0, 0), (90, 20, 20), (20, 200, 20), (250, 250, 240)])
    elif name == "four-bands.tif":
        gdal_tiff(path, np.concatenate([colour, grey[None, :, :]]))
    elif name == "grey.png":
        im.save(path)
    elif name == "rgb.png":
        Image.fromarray(np.moveaxis(colour, 0, -1)).save(path)
    elif name == "palette.png":
        im.convert("P").save(path)
    elif name == "grey.jpg":
        im.save(path, quality=95)
    elif name == "rgb.jpg":
        Image.fromarray(np.moveaxis(colour, 0, -1)).save(path, quality=95)
    return path


KINDS = {  # name: depth of the image read
    "g4.tif": 1, "g4-white-is-zero.tif": 1, "lzw-grey.tif": 8, "deflate-rgb-tiled.tif": 24, "striped-rgb.tif": 24,
    "grey16.tif": 8, "palette.tif": 8, "four-bands.tif": 24, "grey.png": 8, "rgb.png": 24, "palette.png": 8,
    "grey.jpg": 8, "rgb.jpg": 24,
}


@pytest.mark.parametrize("name", KINDS)
def test_every_kind_of_raster_reads_as_gdal_reads_it(tmp, scan_dump, name):
    path = make_kind(tmp, name)
    bits, pixels = read_back(scan_dump, path)
    assert bits == KINDS[name]
    assert np.array_equal(pixels, gdal_rgb(path))


def v5_bmp(classic):
    """A BMP rewritten with the fifth-version header, as many tools write."""
    info = bytearray(classic[14:54])
    offbits = struct.unpack_from("<I", classic, 10)[0]
    info[0:4] = struct.pack("<I", 124)
    info += bytes(124 - 40)
    table, pixels = classic[54:offbits], classic[offbits:]
    header = struct.pack("<2sIHHI", b"BM", 14 + 124 + len(table) + len(pixels), 0, 0, 14 + 124 + len(table))
    return header + bytes(info) + table + pixels


def test_onetouch_gives_the_same_lines_from_every_file_kind(tmp, run):
    im = drawing()
    im.save(tmp / "same.bmp")
    im.save(tmp / "same.png")
    gdal_tiff(tmp / "same-g4.tif", (np.array(im) > 128).astype(np.uint8), ["COMPRESS=CCITTFAX4", "NBITS=1"])
    (tmp / "same-v5.bmp").write_bytes(v5_bmp((tmp / "same.bmp").read_bytes()))
    arcs = {}
    for name in ("same.bmp", "same.png", "same-g4.tif", "same-v5.bmp"):
        out = run("onetouch", tmp / name, "-o", tmp / (name + ".arc"), "-q")
        assert out.returncode == 0, out.stderr
        arcs[name] = (tmp / (name + ".arc")).read_text()
    assert arcs["same.bmp"].count("END") > 3
    for name, text in arcs.items():
        assert text == arcs["same.bmp"], name


def test_without_the_gdal_module_bmp_still_works_and_other_scans_say_why(tmp, cli):
    """GDAL is loaded only when a scan or an output needs it: a BMP to DXF
    runs without it, a PNG or a GeoPackage is refused naming what is missing."""
    im = drawing()
    im.save(tmp / "alone.bmp")
    im.save(tmp / "alone.png")
    env = {**os.environ, "ORVANE_GDAL_MODULE": str(tmp / "no-such-module.so")}

    def run(*args):
        return subprocess.run([cli, *map(str, args)], capture_output=True, text=True, env=env)

    out = run("onetouch", tmp / "alone.bmp", "-o", tmp / "alone.dxf", "-q")
    assert out.returncode == 0, out.stderr
    assert (tmp / "alone.dxf").stat().st_size > 1000
    for source, target in (("alone.png", "alone-png.dxf"), ("alone.bmp", "alone.gpkg")):
        out = run("onetouch", tmp / source, "-o", tmp / target, "-q")
        assert out.returncode == 1 and "GDAL support" in out.stderr and "no-such-module.so" in out.stderr, out.stderr
        assert not (tmp / target).exists()


def test_a_multi_page_file_gives_its_first_page_and_says_so(tmp, run):
    pages = [drawing(), Image.new("L", (W, H), 0)]
    pages[0].save(tmp / "pages.tif", save_all=True, append_images=pages[1:])
    out = run("onetouch", tmp / "pages.tif", "-o", tmp / "pages.arc")
    assert out.returncode == 0, out.stderr
    assert "page 1 of 2 read" in out.stderr
    assert (tmp / "pages.arc").read_text().count("END") > 3


# Georeferencing.

def layer_of(path):
    ds = ogr.Open(str(path))
    assert ds is not None, path
    layer = ds.GetLayer(0)
    return ds, layer


def expected_extent(geo):
    """The map extent of the drawing's ink, from pixel centres."""
    c0, r0, c1, r1 = ink_box(drawing())
    xs = [geo[0] + geo[1] * (c + 0.5) for c in (c0, c1)]
    ys = [geo[3] + geo[5] * (r + 0.5) for r in (r0, r1)]
    return min(xs), max(xs), min(ys), max(ys)


def assert_near_extent(extent, geo):
    want = expected_extent(geo)
    pixel = abs(geo[1])
    for got, expected in zip(extent, want):
        assert abs(got - expected) <= 2.5 * pixel, (extent, want)


@pytest.fixture(scope="module")
def geotiff(tmp):
    path = tmp / "map.tif"
    gdal_tiff(path, (np.array(drawing()) > 128).astype(np.uint8), ["COMPRESS=CCITTFAX4", "NBITS=1"],
              geo=GEO, epsg=UTM32N)
    return path


@pytest.mark.parametrize("extension", [".gpkg", ".shp", ".geojson", ".fgb", ".mif"])
def test_a_geotiff_gives_map_coordinates_with_the_crs(tmp, run, geotiff, extension):
    out = run("onetouch", geotiff, "-o", tmp / f"map{extension}")
    assert out.returncode == 0, out.stderr
    assert "map coordinates from GeoTIFF tags" in out.stderr
    ds, layer = layer_of(tmp / f"map{extension}")
    srs = layer.GetSpatialRef()
    assert srs is not None
    utm = osr.SpatialReference()
    utm.ImportFromEPSG(UTM32N)
    assert srs.IsSame(utm) or (srs.IsProjected() and "32N" in srs.GetName()), srs.ExportToWkt()
    assert layer.GetFeatureCount() > 3
    assert_near_extent(layer.GetExtent(), GEO)
    if extension != ".mif":
        feature = layer.GetNextFeature()
        assert feature.GetField("vertices") == feature.GetGeometryRef().GetPointCount()
        assert feature.GetField("length") == pytest.approx(feature.GetGeometryRef().Length())


def arc_points(path):
    """Every vertex of an ARC file, in traced (pixel) coordinates."""
    points = []
    for row in path.read_text().split():
        if "," in row:
            x, y = row.split(",")
            points.append((float(x), float(y)))
    return points


def test_map_coordinates_are_the_pixel_centres(tmp, run, geotiff):
    # The same lines in pixels (ARC never moves them) and on the map: every
    # map vertex is the geotransform applied to the centre of its pixel.
    # Unsmoothed, the vertices are whole pixels, exact in ARC's two decimals.
    assert run("onetouch", geotiff, "-o", tmp / "centres.arc", "--no-smooth").returncode == 0
    assert run("onetouch", geotiff, "-o", tmp / "centres.geojson", "--no-smooth").returncode == 0
    traced = arc_points(tmp / "centres.arc")
    ds, layer = layer_of(tmp / "centres.geojson")
    mapped = [p[:2] for f in layer for p in f.GetGeometryRef().GetPoints()]
    assert len(mapped) == len(traced) > 10
    for (x, y), (mx, my) in zip(traced, mapped):
        assert mx == pytest.approx(GEO[0] + GEO[1] * (x + 0.5), abs=1e-6)
        assert my == pytest.approx(GEO[3] + GEO[5] * (y + 0.5), abs=1e-6)
    # The drawing's first stroke runs along pixel row 20 (rows 19..21 inked).
    assert any(y == 20 for _, y in traced)


def test_a_world_file_places_pixel_centres_exactly(tmp, run):
    drawing().save(tmp / "exact.png")
    # A world file names the centre of the top-left pixel: 2 m pixels there.
    (tmp / "exact.pgw").write_text("2\n0\n0\n-2\n1000\n5000\n")
    assert run("onetouch", tmp / "exact.png", "-o", tmp / "exact.arc", "--no-smooth").returncode == 0
    out = run("onetouch", tmp / "exact.png", "-o", tmp / "exact.geojson", "--no-smooth")
    assert out.returncode == 0, out.stderr
    traced = arc_points(tmp / "exact.arc")
    ds, layer = layer_of(tmp / "exact.geojson")
    mapped = [p[:2] for f in layer for p in f.GetGeometryRef().GetPoints()]
    assert len(mapped) == len(traced)
    for (x, y), (mx, my) in zip(traced, mapped):
        assert (mx, my) == (pytest.approx(1000 + 2 * x), pytest.approx(5000 - 2 * y))


def test_a_shapefile_comes_with_its_companions(tmp, run, geotiff):
    assert run("onetouch", geotiff, "-o", tmp / "parts.shp").returncode == 0
    for extension in (".shp", ".shx", ".dbf", ".prj"):
        assert (tmp / f"parts{extension}").stat().st_size > 0, extension
    assert not [p for p in tmp.iterdir() if p.name.startswith(".")], "temporary files left behind"


def test_a_world_file_places_the_scan_with_the_crs_of_its_prj(tmp, run):
    drawing().save(tmp / "plan.png")
    # Pixel centres: the world file gives the centre of the top-left pixel.
    (tmp / "plan.pgw").write_text("0.25\n0\n0\n-0.25\n700000.125\n5300000.875\n")
    srs = osr.SpatialReference()
    srs.ImportFromEPSG(UTM32N)
    srs.MorphToESRI()
    (tmp / "plan.prj").write_text(srs.ExportToWkt())
    out = run("onetouch", tmp / "plan.png", "-o", tmp / "plan.gpkg")
    assert out.returncode == 0, out.stderr
    assert "world file plan.pgw" in out.stderr
    ds, layer = layer_of(tmp / "plan.gpkg")
    assert layer.GetSpatialRef() is not None and layer.GetSpatialRef().IsProjected()
    assert_near_extent(layer.GetExtent(), (700000.0, 0.25, 0, 5300001.0, 0, -0.25))


def test_a_format_that_cannot_hold_the_crs_is_refused_unless_asked(tmp, run, geotiff):
    out = run("onetouch", geotiff, "-o", tmp / "map.dxf")
    assert out.returncode == 1
    assert "DXF cannot hold the coordinate system" in out.stderr and "--without-crs" in out.stderr
    assert not (tmp / "map.dxf").exists()
    out = run("onetouch", geotiff, "-o", tmp / "map.dxf", "--without-crs", "--dxf", "r2000")
    assert out.returncode == 0, out.stderr
    doc = ezdxf.readfile(tmp / "map.dxf")
    xs = [x for e in doc.modelspace().query("LWPOLYLINE") for x, *_ in e.get_points()]
    assert 500000 < min(xs) < max(xs) < 500000 + W * 0.5


def test_georef_none_keeps_pixel_coordinates(tmp, run, geotiff):
    out = run("onetouch", geotiff, "-o", tmp / "pixels.dxf", "--georef", "none")
    assert out.returncode == 0, out.stderr
    doc = ezdxf.readfile(tmp / "pixels.dxf")
    points = [(v.dxf.location.x, v.dxf.location.y) for p in doc.modelspace().query("POLYLINE") for v in p.vertices]
    assert 0 < min(x for x, _ in points) and max(x for x, _ in points) <= W
    assert -H <= min(y for _, y in points) and max(y for _, y in points) < 0


# Units for CAD.

def test_units_give_a_drawing_at_true_size(tmp, run):
    drawing().save(tmp / "part.png")
    out = run("onetouch", tmp / "part.png", "-o", tmp / "part.dxf", "--units", "mm", "--dpi", "254", "--dxf", "r2000")
    assert out.returncode == 0, out.stderr
    doc = ezdxf.readfile(tmp / "part.dxf")
    assert doc.header["$INSUNITS"] == 4
    assert not doc.audit().has_errors
    points = [p for e in doc.modelspace().query("LWPOLYLINE") for p in e.get_points()]
    c0, r0, c1, r1 = ink_box(drawing())
    # 254 pixels per inch: a tenth of a millimetre each.
    assert min(x for x, *_ in points) == pytest.approx((c0 + 1) * 0.1, abs=0.25)
    assert max(x for x, *_ in points) == pytest.approx((c1 + 1) * 0.1, abs=0.25)
    assert max(y for _, y, *_ in points) == pytest.approx(-(r0 + 1) * 0.1, abs=0.25)


def test_units_take_the_scan_resolution_or_ask_for_it(tmp, run):
    gdal_tiff(tmp / "dpi.tif", np.array(drawing()))
    ds = gdal.Open(str(tmp / "dpi.tif"), gdal.GA_Update)
    ds.SetMetadata({"TIFFTAG_XRESOLUTION": "300", "TIFFTAG_YRESOLUTION": "300", "TIFFTAG_RESOLUTIONUNIT": "2"})
    ds = None
    out = run("onetouch", tmp / "dpi.tif", "-o", tmp / "dpi.dxf", "--units", "in")
    assert out.returncode == 0, out.stderr
    doc = ezdxf.readfile(tmp / "dpi.dxf")
    xs = [v.dxf.location.x for p in doc.modelspace().query("POLYLINE") for v in p.vertices]
    assert max(xs) <= W / 300 and max(xs) > 200 / 300

    drawing().save(tmp / "nodpi.png")
    out = run("onetouch", tmp / "nodpi.png", "-o", tmp / "nodpi.dxf", "--units", "mm")
    assert out.returncode == 1
    assert "does not say its resolution" in out.stderr and "--dpi" in out.stderr
    assert not (tmp / "nodpi.dxf").exists()


# Bad input: a clear message naming the file and the reason, nothing written.

def bad_world_file(tmp, text, name):
    drawing().save(tmp / f"{name}.png")
    (tmp / f"{name}.pgw").write_text(text)
    return tmp / f"{name}.png"


def cmyk_jpeg(tmp):
    drawing().convert("CMYK").save(tmp / "cmyk.jpg")
    return tmp / "cmyk.jpg"


def twelve_bit_jpeg(tmp):
    mem = gdal.GetDriverByName("MEM").Create("", 64, 48, 1, gdal.GDT_UInt16)
    mem.GetRasterBand(1).WriteArray((np.arange(64 * 48).reshape(48, 64) % 4096).astype(np.uint16))
    gdal.GetDriverByName("JPEG").CreateCopy(str(tmp / "deep.jpg"), mem)
    return tmp / "deep.jpg"


def garbage(tmp):
    (tmp / "garbage.tif").write_bytes(b"II*\x00garbage" * 10)
    return tmp / "garbage.tif"


def too_wide(tmp):
    ds = gdal.GetDriverByName("GTiff").Create(str(tmp / "wide.tif"), 17_000_000, 1, 1, gdal.GDT_Byte,
                                              ["SPARSE_OK=TRUE", "TILED=YES"])
    ds = None
    return tmp / "wide.tif"


@pytest.mark.parametrize("make, reason", [
    pytest.param(lambda tmp: bad_world_file(tmp, "0.5\n0\n0\n-0.5\n100\n", "five"), "six numbers", id="world-5"),
    pytest.param(lambda tmp: bad_world_file(tmp, "0\n0\n0\n0\n100\n200\n", "flat"), "no size", id="world-0"),
    pytest.param(lambda tmp: bad_world_file(tmp, "0.5\n0\n0\nminus\n100\n200\n", "word"), "not a number",
                 id="world-word"),
    pytest.param(garbage, "", id="unreadable"),
    pytest.param(cmyk_jpeg, "CMYK", id="cmyk-jpeg"),
    pytest.param(twelve_bit_jpeg, "12-bit JPEG", id="12-bit-jpeg"),
    pytest.param(too_wide, "larger than", id="too-wide"),
])
def test_bad_scans_are_refused_with_their_reason(tmp, run, make, reason):
    path = make(tmp)
    out = run("onetouch", path, "-o", tmp / "refused.gpkg")
    assert out.returncode == 1
    assert f"{path.name}: " in out.stderr and reason in out.stderr, out.stderr
    assert len(out.stderr.strip().split(": ", 2)[-1]) > 8, "a reason is given"
    assert not (tmp / "refused.gpkg").exists()
