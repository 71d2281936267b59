#!/usr/bin/env python3
"""Writes the seed corpora in fuzz/corpus/: small, well-formed inputs of each
kind (and a few odd ones) from which the fuzzers start. Run it again after
changing it; the files it writes are kept in the tree."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def put(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode())


# ---- BMP ---------------------------------------------------------------

def bmp(width, height, depth, rows, table=(), gap=b"", clr_used=0):
    """An uncompressed bottom-up BMP; `rows` are the picture's rows from the
    top, each a list of pixel values (indices, or (r, g, b) for 24 bits)."""
    stride = (width * depth + 31) // 32 * 4
    pixels = b""
    for row in reversed(rows):
        if depth == 24:
            packed = b"".join(bytes((b, g, r)) for r, g, b in row)
        else:
            bits = 0
            for value in row:
                bits = (bits << depth) | value
            used = width * depth
            bits <<= (-used) % 8
            packed = bits.to_bytes((used + 7) // 8, "big")
        pixels += packed + b"\0" * (stride - len(packed))
    entries = 1 << depth if depth <= 8 else 0
    colours = list(table) + [(0, 0, 0)] * (entries - len(table))
    table_bytes = b"".join(bytes((b, g, r, 0)) for r, g, b in colours)
    offset = 14 + 40 + len(table_bytes) + len(gap)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, depth, 0, len(pixels), 2835, 2835, clr_used, 0)
    header = struct.pack("<HIHHI", 0x4D42, offset + len(pixels), 0, 0, offset)
    return header + info + table_bytes + gap + pixels


BW = [(0, 0, 0), (255, 255, 255)]
GREYS16 = [(i * 17, i * 17, i * 17) for i in range(16)]
GREYS256 = [(i, i, i) for i in range(256)]

put("bmp_read_fuzz", "depth1_9x3.bmp",
    bmp(9, 3, 1, [[1, 0, 1, 0, 1, 0, 1, 0, 1], [0] * 9, [1] * 8 + [0]], BW))
put("bmp_read_fuzz", "depth4_5x4.bmp",
    bmp(5, 4, 4, [[(x + 5 * y) % 16 for x in range(5)] for y in range(4)], GREYS16))
put("bmp_read_fuzz", "depth8_3x2.bmp", bmp(3, 2, 8, [[0, 128, 255], [17, 34, 51]], GREYS256))
put("bmp_read_fuzz", "depth8_2x2_gap_clrused.bmp",
    bmp(2, 2, 8, [[1, 2], [3, 0]], [(255, 0, 0), (0, 255, 0), (0, 0, 255), (9, 9, 9)],
        gap=b"\xAA" * 6, clr_used=4))
put("bmp_read_fuzz", "depth24_5x3.bmp",
    bmp(5, 3, 24, [[(x * 50, y * 100, 255 - x * 50) for x in range(5)] for y in range(3)]))
put("bmp_read_fuzz", "depth24_1x1.bmp", bmp(1, 1, 24, [[(0, 0, 0)]]))

# ---- ARC ---------------------------------------------------------------

put("arc_read_fuzz", "two_lines.arc",
    "1\r\n10.00,20.00\r\n30.50,20.00\r\n30.50,45.25\r\nEND\r\n2\r\n0.00,0.00\r\n3.00,4.00\r\nEND\r\nEND")
put("arc_read_fuzz", "unix_ends_empty_line.arc", "7\n1,1\nEND\n8\nEND\n9\n-2.5,+3e2\n4,.5\nEND\n")
put("arc_read_fuzz", "odd_lines.arc",
    "  12abc\n 1.5 , 2.5 \n3x,4y\n,5\nEND\nheader text\n1e-400,2\nEND\n")
put("arc_read_fuzz", "no_closing_end.arc", "3\n1,2\n3,4\n")
put("arc_read_fuzz", "bad_vertex.arc", "1\n1,2\n3,\nEND\n")
put("arc_read_fuzz", "huge.arc", "1\n-1e308,0\n1e308,0\nEND\n2\ninf,1\nEND\n")

# ---- Arguments (NUL between arguments) ---------------------------------

ARGUMENTS = {
    "onetouch_file": ["onetouch", "scan.bmp", "-o", "scan.dxf"],
    "onetouch_folder": ["onetouch", "a/p.bmp", "b/p.bmp", "-o", "out/", "--format", "dxf,mif", "--keep-tree",
                        "--method", "canny", "-j", "2"],
    "onetouch_save_image": ["onetouch", "s.bmp", "-o", "s.arc", "--save-image", "t.bmp", "--method", "zs"],
    "vectorise": ["vectorize", "thin.bmp", "-o", "lines.arc", "--no-smooth", "--no-reduce", "--tolerance", "0.5"],
    "convert": ["convert", "lines.arc", "-o", "lines.dxf", "--size", "4000x3000"],
    "threshold": ["threshold", "in.bmp", "-o", "out.bmp", "--lower", "0,0,0", "--upper", "200,200,200"],
    "canny": ["canny", "in.bmp", "-o", "e.bmp", "--sigma", "2.5", "--high", "9", "--low", "2", "-v"],
    "thin_dash": ["thin", "-q", "--method", "stentiford", "-o", "t.bmp", "--", "-odd.bmp"],
    "grey_twice": ["gray", "x.bmp", "./x.bmp", "-o", "g/", "--format", "all"],
    "help": ["grey", "--help"],
}
for name, args in ARGUMENTS.items():
    put("arguments_fuzz", name, "\0".join(args))

# ---- Thin and trace: width-1, height-1, method, then the pixel bits ----


def drawing(art, method):
    rows = [r for r in art.strip("\n").split("\n")]
    width, height = max(len(r) for r in rows), len(rows)
    bits = "".join(r.ljust(width).replace(" ", "0").replace("#", "1") for r in rows)
    bits += "0" * ((-len(bits)) % 8)
    return bytes((width - 1, height - 1, method)) + int(bits, 2).to_bytes(len(bits) // 8, "big") if bits else b""


PLUS = """
   ###
   ###
#########
#########
   ###
   ###
"""
RING = """
  ######
 ########
###    ###
##      ##
##      ##
###    ###
 ########
  ######
"""
BLOCK = "\n".join(["########"] * 8)
DIAGONAL = """
##
###
 ###
  ###
   ###
    ###
     ##
"""
LETTERS = """
#####  #   #  ##
  #     # #   ##
  #      #    ##
  #     # #   ##
  #    #   #  ######
"""
put("thin_trace_fuzz", "plus_zhang_suen", drawing(PLUS, 0))
put("thin_trace_fuzz", "ring_stentiford", drawing(RING, 1))
put("thin_trace_fuzz", "block_zhang_suen", drawing(BLOCK, 0))
put("thin_trace_fuzz", "diagonal_stentiford", drawing(DIAGONAL, 1))
put("thin_trace_fuzz", "letters_zhang_suen", drawing(LETTERS, 0))
put("thin_trace_fuzz", "letters_stentiford", drawing(LETTERS, 1))


def plan(width, height):
    """A floor plan of walls three pixels thick, a door gap and a diagonal."""
    ink = [[False] * width for _ in range(height)]
    for y in range(height):
        for x in range(width):
            wall = x < 3 or y < 3 or x >= width - 3 or y >= height - 3 or 18 <= x < 21
            door = 18 <= x < 21 and 10 <= y < 16
            diagonal = abs((x - 24) - (y - 4)) <= 1 and x >= 24 and 4 <= y < height - 4
            ink[y][x] = (wall and not door) or diagonal
    return "\n".join("".join("#" if c else " " for c in row) for row in ink)


put("thin_trace_fuzz", "floor_plan_zhang_suen", drawing(plan(44, 30), 0))
put("thin_trace_fuzz", "floor_plan_stentiford", drawing(plan(44, 30), 1))
