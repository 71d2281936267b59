"""An independent reader agrees with us: Pillow opens the BMPs we write with
the pixels we meant, and we read the BMPs Pillow writes with its pixels.

Run with pytest and --bmp-tool (see conftest.py)."""
import random
import subprocess

import pytest
from PIL import Image

# What `bmp_tool write` writes: ours_<bits>_<w>x<h>.bmp for these depths and sizes.
OUR_FILES = [f"ours_{bits}_{w}x{h}.bmp"
             for bits in (1, 4, 8, 24)
             for w, h in ((1, 1), (3, 2), (7, 5), (9, 4), (17, 3), (33, 6))]

# What Pillow writes: pillow_<mode>_<w>x<h>.bmp, random pixels.
PILLOW_CASES = [(mode, w, h)
                for mode in ("1", "L", "P", "RGB")
                for w, h in ((1, 1), (3, 2), (5, 7), (9, 4), (31, 3), (64, 5))]
PILLOW_FILES = [f"pillow_{mode}_{w}x{h}.bmp" for mode, w, h in PILLOW_CASES]


@pytest.fixture(scope="module")
def ours(bmp_tool):
    """What our reader sees in a file: ((w, h), [(r, g, b), ...]), or None
    when it refuses the file."""
    def ours(path):
        out = subprocess.run([bmp_tool, "dump", str(path)], capture_output=True, text=True)
        if out.returncode != 0:
            return None
        lines = out.stdout.split("\n")
        w, h = map(int, lines[0].split())
        pixels = [tuple(map(int, line.split())) for line in lines[1:1 + w * h]]
        return (w, h), pixels
    return ours


def pillow(path):
    with Image.open(path) as im:
        rgb = im.convert("RGB")
        return rgb.size, list(rgb.getdata())


@pytest.fixture(scope="module")
def tmp(tmp_path_factory, bmp_tool):
    """A folder with the BMPs our writer makes and those Pillow makes."""
    tmp = tmp_path_factory.mktemp("bmp")
    subprocess.run([bmp_tool, "write", str(tmp)], check=True)

    rng = random.Random(7)  # one generator for all the images, in this order
    for mode, w, h in PILLOW_CASES:
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
        im.save(tmp / f"pillow_{mode}_{w}x{h}.bmp", format="BMP")
    return tmp


@pytest.mark.parametrize("name", OUR_FILES + PILLOW_FILES)
def test_we_and_pillow_read_the_same_image(ours, tmp, name):
    path = tmp / name
    assert path.exists()
    expected = pillow(path)
    got = ours(path)
    assert got is not None, "our reader refuses the file"
    assert got[0] == expected[0], "size"
    assert got[1] == expected[1], "pixels"
