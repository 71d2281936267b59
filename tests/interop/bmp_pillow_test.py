#!/usr/bin/python3
"""An independent reader agrees with us: Pillow opens the BMPs we write with
the pixels we meant, and we read the BMPs Pillow writes with its pixels."""
import random
import subprocess
import sys
import tempfile
from pathlib import Path

from PIL import Image

TOOL = sys.argv[1]
failures = []


def ours(path):
    out = subprocess.run([TOOL, "dump", str(path)], capture_output=True, text=True)
    if out.returncode != 0:
        return None
    lines = out.stdout.split("\n")
    w, h = map(int, lines[0].split())
    pixels = [tuple(map(int, line.split())) for line in lines[1:1 + w * h]]
    return (w, h), pixels


def pillow(path):
    with Image.open(path) as im:
        rgb = im.convert("RGB")
        return rgb.size, list(rgb.getdata())


def check(name, a, b):
    if a != b:
        failures.append(name)
        print(f"MISMATCH {name}: ours {a[0] if a else None} vs Pillow {b[0]}")


with tempfile.TemporaryDirectory() as tmp:
    tmp = Path(tmp)
    written = 0
    subprocess.run([TOOL, "write", str(tmp)], check=True)
    for path in sorted(tmp.glob("ours_*.bmp")):
        check(path.name, ours(path), pillow(path))
        written += 1

    rng = random.Random(7)
    read = 0
    for mode in ("1", "L", "P", "RGB"):
        for (w, h) in ((1, 1), (3, 2), (5, 7), (9, 4), (31, 3), (64, 5)):
            if mode == "P":
                im = Image.new("P", (w, h))
                im.putpalette([rng.randrange(256) for _ in range(768)])
                im.putdata([rng.randrange(256) for _ in range(w * h)])
            elif mode == "RGB":
                im = Image.new("RGB", (w, h))
                im.putdata([tuple(rng.randrange(256) for _ in range(3)) for _ in range(w * h)])
            else:
                im = Image.new(mode, (w, h))
                im.putdata([rng.choice((0, 255)) if mode == "1" else rng.randrange(256) for _ in range(w * h)])
            path = tmp / f"pillow_{mode}_{w}x{h}.bmp"
            im.save(path, format="BMP")
            check(path.name, ours(path), pillow(path))
            read += 1

print(f"{written + read - len(failures)} passed, {len(failures)} failed")
sys.exit(1 if failures else 0)
