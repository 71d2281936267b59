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


# The same pictures as other tools store them: the fourth and fifth header
# versions, rows from the top down, 32-bit pixels (plain, or with channel
# masks in a fifth-version header), and a table of only the colours used.
def rewritten(classic: bytes, kind: str) -> bytes:
    import struct
    size, offbits = struct.unpack_from("<I", classic, 2)[0], struct.unpack_from("<I", classic, 10)[0]
    info = bytearray(classic[14:54])
    width, height, _, bits = struct.unpack_from("<iiHH", info, 4)
    table = classic[54:offbits]
    stride = (width * bits + 31) // 32 * 4
    rows = [classic[offbits + r * stride: offbits + (r + 1) * stride] for r in range(height)]
    if kind == "top-down":
        struct.pack_into("<i", info, 8, -height)
        rows.reverse()
    elif kind in ("v4", "v5"):
        info[0:4] = struct.pack("<I", 108 if kind == "v4" else 124)
        info += bytes((108 if kind == "v4" else 124) - 40)
    elif kind in ("32-bit", "32-bit masks"):
        rows = [b"".join(row[3 * x:3 * x + 3] + b"\xff" for x in range(width)) for row in rows]
        struct.pack_into("<HI", info, 14, 32, 0)
        if kind == "32-bit masks":
            struct.pack_into("<I", info, 16, 3)
            info[0:4] = struct.pack("<I", 124)
            info += struct.pack("<IIII", 0xFF0000, 0xFF00, 0xFF, 0xFF000000) + bytes(124 - 56)
    elif kind == "short table":
        used = 5
        struct.pack_into("<I", info, 32, used)
        table = table[:4 * used]
    pixels = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(table) + len(pixels), 0, 0, 14 + len(info) + len(table))
    return header + bytes(info) + table + pixels


OTHER_TOOLS = [(name, kind) for name in PILLOW_FILES
               for kind in ("v4", "v5", "top-down")] + \
              [(f"pillow_RGB_{w}x{h}.bmp", kind) for _, w, h in PILLOW_CASES if _ == "RGB"
               for kind in ("32-bit", "32-bit masks")]


@pytest.mark.parametrize("name, kind", OTHER_TOOLS + [("few_colours.bmp", "short table")])
def test_we_and_pillow_read_bitmaps_as_other_tools_store_them(ours, tmp, name, kind):
    if name == "few_colours.bmp" and not (tmp / name).exists():
        im = Image.new("P", (7, 3))
        im.putpalette([10, 20, 30, 200, 100, 0, 0, 0, 0, 255, 255, 255, 1, 2, 3] + [0] * (768 - 15))
        im.putdata([i % 5 for i in range(21)])
        im.save(tmp / name, format="BMP")
    path = tmp / f"{kind.replace(' ', '_')}_{name}"
    path.write_bytes(rewritten((tmp / name).read_bytes(), kind))
    expected = pillow(path)
    got = ours(path)
    assert got is not None, "our reader refuses the file"
    assert got == expected
