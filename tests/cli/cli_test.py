#!/usr/bin/python3
"""orvane-cli end to end: every command on a small drawing, the bad inputs,
and batches in which one input fails alone."""
import os
import subprocess
import sys
import tempfile
from pathlib import Path

from PIL import Image

CLI, MAKE_SAMPLE = sys.argv[1], sys.argv[2]
passed = 0
failures = []


def expect(ok, what, detail=""):
    global passed
    if ok:
        passed += 1
    else:
        failures.append(what)
        print("FAIL:", what, detail)


def run(*args):
    return subprocess.run([CLI, *map(str, args)], capture_output=True, text=True)


with tempfile.TemporaryDirectory() as tmp:
    tmp = Path(tmp)
    plan = tmp / "plan.bmp"
    subprocess.run([MAKE_SAMPLE, plan, "300", "200"], check=True)

    # Every command on a small image.
    out = run("onetouch", plan, "-o", tmp / "plan.dxf")
    expect(out.returncode == 0 and (tmp / "plan.dxf").read_bytes().endswith(b"EOF"), "onetouch writes a DXF", out.stderr)
    expect("lines" in out.stdout and "vertices" in out.stdout, "onetouch prints its summary", out.stdout)

    for method in ("zhang-suen", "stentiford", "canny"):
        target = tmp / f"m-{method}.arc"
        out = run("onetouch", plan, "-o", target, "--method", method, "--save-image", tmp / f"m-{method}.bmp")
        expect(out.returncode == 0 and target.read_text().endswith("END"), f"onetouch --method {method}", out.stderr)
        with Image.open(tmp / f"m-{method}.bmp") as im:
            colours = set(im.convert("L").getdata())
        expect(colours <= {0, 255}, f"--save-image keeps the {method} image", str(sorted(colours)[:5]))

    out = run("onetouch", plan, "-o", tmp / "all", "--format", "all", "-q")
    names = sorted(p.name for p in (tmp / "all").iterdir())
    expect(out.returncode == 0 and out.stdout == "" and
           names == ["plan.arc", "plan.asc", "plan.di", "plan.dxf", "plan.mid", "plan.mif", "plan.txt"],
           "--format all writes every format, quietly", f"{names} {out.stdout}")

    steps = [("grey", []), ("threshold", ["--lower", "0,0,0", "--upper", "128,128,128"]),
             ("thin", ["--method", "zhang-suen"]), ("canny", ["--sigma", "2", "--high", "6", "--low", "2"])]
    for command, extra in steps:
        target = tmp / f"{command}.bmp"
        out = run(command, plan, "-o", target, *extra)
        ok = out.returncode == 0 and target.exists()
        if ok:
            with Image.open(target) as im:
                ok = im.size == (300, 200)
        expect(ok, f"{command} writes a BMP of the same size", out.stderr)

    thin = tmp / "thin.bmp"
    out = run("vectorise", thin, "-o", tmp / "v.asc", "--no-smooth", "--no-reduce")
    rows = (tmp / "v.asc").read_text().splitlines() if out.returncode == 0 else []
    coords_whole = all(float(r.split(",")[1]).is_integer() and float(r.split(",")[2]).is_integer() for r in rows)
    expect(out.returncode == 0 and rows and coords_whole, "vectorise without smoothing keeps whole coordinates", out.stderr)

    out = run("convert", tmp / "m-stentiford.arc", "-o", tmp / "converted.mif", "--size", "300x200")
    expect(out.returncode == 0 and (tmp / "converted.mid").exists(), "convert an ARC file to MIF", out.stderr)

    # Bad inputs: a clear message naming the input, exit 1, no output file.
    (tmp / "notbmp.bmp").write_text("hello, this is not an image")
    data = plan.read_bytes()
    (tmp / "short.bmp").write_bytes(data[: len(data) // 2])
    (tmp / "ro").mkdir()
    bad = [
        ("missing file", ["onetouch", tmp / "absent.bmp", "-o", tmp / "x1.dxf"], "absent.bmp", tmp / "x1.dxf"),
        ("not a BMP", ["onetouch", tmp / "notbmp.bmp", "-o", tmp / "x2.dxf"], "notbmp.bmp", tmp / "x2.dxf"),
        ("truncated BMP", ["grey", tmp / "short.bmp", "-o", tmp / "x3.bmp"], "short.bmp", tmp / "x3.bmp"),
        ("unknown extension", ["onetouch", plan, "-o", tmp / "x4.dat"], "plan.bmp", tmp / "x4.dat"),
        ("unwritable folder", ["onetouch", plan, "-o", tmp / "nowhere" / "x5.dxf"], "plan.bmp", tmp / "nowhere" / "x5.dxf"),
    ]
    for what, args, name, target in bad:
        out = run(*args)
        expect(out.returncode == 1 and name in out.stderr and not target.exists(), what, f"{out.returncode} {out.stderr}")
    out = run("onetouch", plan, "-o", tmp / "x4.dat")
    expect(".dxf" in out.stderr, "the unknown-extension message names the supported ones", out.stderr)

    # A batch with one bad input still writes the others.
    batch = tmp / "batch"
    inputs = [plan, tmp / "notbmp.bmp", tmp / "m-canny.bmp"]
    out = run("onetouch", *inputs, f"-o{batch}", "--format=dxf,arc", "-j2")
    written = sorted(p.name for p in batch.iterdir()) if batch.exists() else []
    expect(out.returncode == 1 and written == ["m-canny.arc", "m-canny.dxf", "plan.arc", "plan.dxf"],
           "a batch with one bad input writes the others", f"{written} {out.stderr}")
    expect("notbmp.bmp" in out.stderr, "the bad input is named", out.stderr)

    # Usage errors exit 2.
    for args in (["frobnicate", plan], ["onetouch", plan], ["threshold", plan, "-o", tmp / "t.bmp"],
                 ["thin", plan, "-o", tmp / "t.bmp", "--method", "canny"], []):
        out = run(*args)
        expect(out.returncode == 2 and "orvane-cli" in out.stderr, f"usage error for {args[:1]}", out.stderr)
    out = run("--help")
    expect(out.returncode == 0 and "Usage: orvane-cli" in out.stdout and "onetouch" in out.stdout, "--help")

print(f"{passed} passed, {len(failures)} failed")
sys.exit(1 if failures else 0)
