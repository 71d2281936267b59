"""rsvg-convert renders our SVG over the scan it was traced from: at the
drawing's own size every traced vertex and every segment's middle is a dark
pixel, and pixels two pixels away from every line stay clear; with a pixel
size the drawing is that many millimetres wide and high.

Run with pytest and --vector-tool (see conftest.py)."""
import math
import re
import subprocess

from PIL import Image

WIDTH, HEIGHT = 100, 80  # vector_tool's image


def write(vector_tool, path, *options):
    """Writes `path` with vector_tool; returns [[(x, y), ...], ...]."""
    out = subprocess.run([vector_tool, *options, str(path)], capture_output=True, text=True, check=True).stdout
    lines = []
    for text in out.splitlines():
        values = [float(v) for v in text.split()[1:]]
        lines.append(list(zip(values[0::2], values[1::2])))
    return lines


def render(svg, png):
    subprocess.run(["rsvg-convert", "-b", "white", "-o", str(png), str(svg)], check=True, timeout=60)
    with Image.open(png) as im:
        return im.convert("L")


def distance(px, py, a, b):
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    length = dx * dx + dy * dy
    t = 0 if length == 0 else max(0, min(1, ((px - ax) * dx + (py - ay) * dy) / length))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def test_lines_are_drawn_on_their_pixels(vector_tool, tmp_path):
    lines = write(vector_tool, tmp_path / "lines.svg")
    image = render(tmp_path / "lines.svg", tmp_path / "lines.png")
    assert image.size == (WIDTH, HEIGHT)

    def ink(x, y, dx=0, dy=0):
        """The grey level of the image pixel of traced point (x, y), column
        and row counted from 0, moved by (dx, dy) pixels; white outside."""
        column, row = math.floor(x + 0.5) + dx, math.floor(y + 0.5) + dy
        return image.getpixel((column, row)) if 0 <= column < WIDTH and 0 <= row < HEIGHT else 255

    # Vertices and segment middles are drawn; a stroke one pixel wide may
    # share its ink between neighbours when it runs between pixel centres.
    points = [p for line in lines for p in line]
    points += [((a[0] + b[0]) / 2, (a[1] + b[1]) / 2) for line in lines for a, b in zip(line, line[1:])]
    inside = [(x, y) for x, y in points if 0 <= x <= WIDTH - 1 and 0 <= y <= HEIGHT - 1]
    missing = [p for p in inside if min(ink(*p, dx, dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1)) >= 128]
    assert not missing, "vertices and segment middles not drawn"

    # A vertical or horizontal run through whole pixels blackens exactly
    # those pixels: the drawing lies on the scan's pixel centres.
    segments = [(a, b) for line in lines for a, b in zip(line, line[1:] or line)]
    blurred = []
    for a, b in segments:
        if a[0] == b[0] and float(a[0]).is_integer():
            x, y, across = a[0], math.floor((a[1] + b[1]) / 2), (1, 0)
        elif a[1] == b[1] and float(a[1]).is_integer():
            x, y, across = math.floor((a[0] + b[0]) / 2), a[1], (0, 1)
        else:
            continue
        if ink(x, y) > 64:
            blurred.append((x, y))
        for side in (1, -1):
            nx, ny = x + side * across[0], y + side * across[1]
            alone = all(distance(nx, ny, *other) > 1.5 for other in segments if other != (a, b))
            if alone and ink(nx, ny) < 192:
                blurred.append((nx, ny))
    assert not blurred, "runs not centred on their pixels"

    stray = []
    for row in range(0, HEIGHT, 2):
        for column in range(0, WIDTH, 2):
            x, y = column, row  # the pixel's traced coordinates
            if image.getpixel((column, row)) < 128 and all(distance(x, y, a, b) > 2 for a, b in segments):
                stray.append((x, y))
    assert not stray, "dark pixels away from every line"


def test_pixel_size_gives_the_size_in_millimetres(vector_tool, tmp_path):
    write(vector_tool, tmp_path / "mm.svg", "--scale", "0.5")
    svg = (tmp_path / "mm.svg").read_text()
    assert re.search(r'<svg [^>]*width="50mm" height="40mm" viewBox="0 0 100 80"', svg)
    image = render(tmp_path / "mm.svg", tmp_path / "mm.png")
    assert abs(image.size[0] - 50 / 25.4 * 96) <= 1 and abs(image.size[1] - 40 / 25.4 * 96) <= 1
