"""The house rooms, the yard and the kennel: floors, walls with windows,
furniture, tiling textures painted here, the room bounds the physics needs
and where the lights go.

Outputs (under OUTPUT/rooms/):
  <room>.glb     one rigid mesh per room, floor top at height 0
  rooms.ini      per room: bounds, walkable floor, obstacle boxes, lights

Blender axes while building: +X east, +Y north, +Z up; the glTF files (and
rooms.ini) use glTF axes: x = east, y = up, z = south (-north).
"""
import math
import os
import sys

import bpy
import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import vornart as va  # noqa: E402

TEX = 256
WALL_THICKNESS = 0.12
WALL_HEIGHT = 2.7

# Room layouts.  size = (east-west, north-south) metres, centred on the
# origin.  windows: (wall, centre along the wall, width, sill, height).
# doors: (wall, centre, width).  furniture: (kind, x, y, turn degrees), with
# the kinds built by the functions further down.  lights: (x, y, z, colour,
# range metres).
ROOMS = {
    "living_room": dict(size=(6.0, 5.0), floor="planks", wall="wallpaper", trim="white_paint",
                        windows=[("north", -1.2, 1.4, 0.8, 1.3), ("west", 0.5, 1.2, 0.8, 1.3)],
                        doors=[("east", 1.2, 0.9)],
                        furniture=[("sofa", 0.0, 1.9, 0), ("coffee_table", 0.0, 0.6, 0), ("rug", 0.0, 0.5, 0),
                                   ("armchair", -2.2, 0.2, 70), ("bookshelf", 2.5, 2.2, 0), ("tv_stand", 0.0, -2.2, 180),
                                   ("floor_lamp", -2.5, 2.0, 0), ("plant", 2.6, -2.0, 0)],
                        lights=[(0.0, 0.0, 2.5, (1.0, 0.93, 0.8), 7.0), (-2.5, 2.0, 1.6, (1.0, 0.85, 0.6), 3.0)]),
    "kitchen": dict(size=(4.5, 4.0), floor="tiles", wall="kitchen_paint", trim="white_paint",
                    windows=[("north", 0.6, 1.2, 1.0, 1.0)], doors=[("west", -0.8, 0.9)],
                    furniture=[("counter", -0.6, 1.7, 0), ("counter", 0.6, 1.7, 0), ("sink_counter", 1.8, 1.7, 0),
                               ("stove", -1.7, 1.7, 0), ("fridge", 1.9, -1.5, 270), ("dining_table", -0.3, -0.6, 0),
                               ("chair", -1.0, -0.6, 90), ("chair", 0.4, -0.6, 270)],
                    lights=[(0.0, 0.0, 2.5, (1.0, 0.97, 0.9), 6.0)]),
    "bedroom": dict(size=(5.0, 4.0), floor="carpet", wall="bedroom_paint", trim="white_paint",
                    windows=[("north", 0.0, 1.3, 0.8, 1.3)], doors=[("south", 1.8, 0.9)],
                    furniture=[("bed", -0.6, 0.9, 0), ("nightstand", 0.6, 1.7, 0), ("wardrobe", 2.1, 1.5, 270),
                               ("rug", -0.6, -0.9, 90), ("dresser", -1.9, -1.6, 180), ("plant", 2.2, -1.5, 0)],
                    lights=[(0.0, 0.0, 2.5, (1.0, 0.9, 0.75), 6.0), (0.6, 1.7, 0.8, (1.0, 0.8, 0.55), 2.5)]),
    "bathroom": dict(size=(3.2, 3.0), floor="bath_tiles", wall="bath_wall", trim="white_paint",
                     windows=[("east", 0.6, 0.7, 1.4, 0.6)], doors=[("south", -0.9, 0.8)],
                     furniture=[("bathtub", -0.6, 1.0, 0), ("toilet", 1.2, 1.1, 180), ("washbasin", 1.25, -0.3, 270),
                                ("bath_mat", -0.6, 0.1, 0)],
                     lights=[(0.0, 0.0, 2.5, (0.95, 0.97, 1.0), 4.0)]),
}
YARD = dict(size=(12.0, 9.0), fence_height=1.1,
            furniture=[("tree", -3.8, 2.5, 0), ("tree", 4.2, 3.0, 40), ("bush", -4.8, -2.8, 0), ("bush", 5.0, -2.5, 0),
                       ("bush", 1.5, 3.6, 0), ("bench", 0.5, 3.3, 0), ("path", 0.0, -2.0, 0), ("flower_bed", -1.5, 3.6, 0)],
            lights=[(3.0, -4.0, 8.0, (1.0, 0.97, 0.88), 30.0)])
KENNEL = dict(size=(9.6, 4.0), pens=3, pen_wall=1.0,
              lights=[(-3.2, 0.0, 2.6, (1.0, 0.95, 0.85), 4.5), (0.0, 0.0, 2.6, (1.0, 0.95, 0.85), 4.5),
                      (3.2, 0.0, 2.6, (1.0, 0.95, 0.85), 4.5)])

# Contact sheet views: eye and target as fractions of the room size (x, y)
# and a height in metres, and the lens.
SHEET_CAMERAS = {"yard": ((-0.42, -0.45, 5.0), (0.1, 0.15, 0.6), 16), "kennel": ((0.0, -0.9, 2.3), (0.0, 0.2, 0.5), 16)}

PALETTE = dict(wood=(150, 100, 60), dark_wood=(95, 60, 38), fabric=(80, 120, 150), cushion=(200, 180, 140),
               white=(235, 235, 230), metal=(170, 175, 180), glass=(170, 210, 235), green=(70, 130, 60),
               leaf=(60, 120, 50), pot=(180, 90, 60), black=(30, 30, 35), red=(170, 60, 55), cream=(235, 220, 190),
               blanket=(150, 80, 110), bark=(100, 70, 45))


# ------------------------------------------------------------------ textures

def planks(size=TEX):
    y, x = np.mgrid[0:size, 0:size] / size
    board = np.floor(y * 6)
    grain = va.fractal(size, 3, 4, 6)
    stretch = np.sin((x * 3 + board * 0.37) * 2 * math.pi * 4 + grain * 6) * 0.5 + 0.5
    seam = (np.abs(((y * 6) % 1) - 0.0) < 0.03) | (np.abs(((x + board * 0.37) % 1)) < 0.01)
    t = 0.35 + 0.4 * stretch * 0.5 + 0.25 * ((board * 0.618) % 1)
    img = va.rgba_from((120, 78, 44), (196, 142, 88), t)
    img[seam] = (70, 45, 28, 255)
    return img


def tiles(colour_a, colour_b, count, grout=(200, 200, 195), size=TEX, checker=True):
    y, x = np.mgrid[0:size, 0:size] / size
    cx, cy = np.floor(x * count), np.floor(y * count)
    noise = va.fractal(size, 8, 3, 8)
    t = ((cx + cy) % 2) if checker else noise * 0
    img = va.rgba_from(colour_a, colour_b, t * 0.9 + noise * 0.1)
    line = (np.minimum((x * count) % 1, (y * count) % 1) < 0.04)
    img[line] = (*grout, 255)
    return img


def paint(colour, pattern=None, size=TEX):
    noise = va.fractal(size, 5, 4, 8)
    img = va.rgba_from(np.array(colour) * 0.94, np.array(colour) * 1.04, noise)
    if pattern == "stripes":
        x = np.arange(size)[None, :].repeat(size, 0) / size
        stripe = (np.abs(((x * 8) % 1) - 0.5) < 0.12)
        img[stripe, :3] = np.clip(img[stripe, :3] * 0.92, 0, 255).astype(np.uint8)
    if pattern == "dots":
        y, x = np.mgrid[0:size, 0:size] / size
        d = np.hypot(((x * 6) % 1) - 0.5, ((y * 6 + np.floor(x * 6) * 0.5) % 1) - 0.5)
        img[d < 0.12, :3] = np.clip(img[d < 0.12, :3] * 0.85, 0, 255).astype(np.uint8)
    return img


def carpet(size=TEX):
    noise = va.fractal(size, 21, 5, 16)
    return va.rgba_from((120, 95, 140), (160, 130, 170), noise)


def grass(size=TEX):
    noise = va.fractal(size, 31, 5, 8)
    fine = va.fractal(size, 37, 2, 64)
    return va.rgba_from((60, 110, 40), (110, 160, 60), noise * 0.6 + fine * 0.4)


def stone(size=TEX):
    noise = va.fractal(size, 41, 5, 6)
    y, x = np.mgrid[0:size, 0:size] / size
    slab = (np.minimum((x * 2) % 1, (y * 2) % 1) < 0.02)
    img = va.rgba_from((150, 145, 135), (195, 190, 180), noise)
    img[slab] = (110, 105, 100, 255)
    return img


def bricks(size=TEX):
    y, x = np.mgrid[0:size, 0:size] / size
    row = np.floor(y * 8)
    shifted = x * 4 + (row % 2) * 0.5
    mortar = ((y * 8) % 1 < 0.08) | (shifted % 1 < 0.04)
    noise = va.fractal(size, 51, 3, 16)
    shade = ((np.floor(shifted) * 0.37 + row * 0.61) % 1) * 0.3
    img = va.rgba_from((140, 60, 45), (185, 95, 70), noise * 0.5 + shade)
    img[mortar] = (190, 185, 175, 255)
    return img


def concrete(size=TEX):
    return va.rgba_from((150, 150, 148), (180, 180, 176), va.fractal(size, 61, 5, 8))


def fence_boards(size=TEX):
    x = np.arange(size)[None, :].repeat(size, 0) / size
    board = np.floor(x * 4)
    grain = va.fractal(size, 71, 3, 8)
    img = va.rgba_from((175, 130, 85), (215, 175, 120), grain * 0.6 + ((board * 0.37) % 1) * 0.4)
    img[(x * 4) % 1 < 0.05] = (110, 80, 50, 255)
    return img


def sky_glass(size=64):
    y = np.mgrid[0:size, 0:size][0] / size
    return va.rgba_from((190, 225, 245), (120, 170, 225), y)


def solid(colour, size=16):
    return va.rgba_from(colour, colour, np.zeros((size, size)))


def make_materials():
    m = {
        "planks": va.texture("planks", planks(), 2.0),
        "tiles": va.texture("tiles", tiles((225, 222, 210), (120, 130, 140), 8), 2.4),
        "bath_tiles": va.texture("bath_tiles", tiles((210, 230, 240), (170, 200, 220), 8), 1.6),
        "carpet": va.texture("carpet", carpet(), 2.0),
        "wallpaper": va.texture("wallpaper", paint((215, 200, 160), "stripes"), 1.5),
        "kitchen_paint": va.texture("kitchen_paint", paint((230, 220, 150)), 2.0),
        "bedroom_paint": va.texture("bedroom_paint", paint((180, 200, 220), "dots"), 1.5),
        "bath_wall": va.texture("bath_wall", tiles((235, 240, 240), (225, 235, 238), 10, checker=False), 1.2),
        "white_paint": va.texture("white_paint", paint((238, 236, 230)), 2.0),
        "grass": va.texture("grass", grass(), 3.0),
        "stone": va.texture("stone", stone(), 1.2),
        "bricks": va.texture("bricks", bricks(), 2.0),
        "concrete": va.texture("concrete", concrete(), 3.0),
        "fence": va.texture("fence", fence_boards(), 1.2),
        "glass": va.texture("glass", sky_glass(), 1.5, roughness=0.1),
    }
    for name, colour in PALETTE.items():
        m[name] = va.texture(name, solid(colour), 1.0)
    return m


# ------------------------------------------------------------------ furniture
# Each builder adds closed pieces at (x, y) turned by `turn` degrees and
# returns the footprint box (half sizes) the physics treats as solid.

def turned(x, y, turn, dx, dy):
    c, s = math.cos(math.radians(turn)), math.sin(math.radians(turn))
    return x + dx * c - dy * s, y + dx * s + dy * c


def piece(b, x, y, turn, dx, dy, z, size, material):
    px, py = turned(x, y, turn, dx, dy)
    b.box((px, py, z + size[2] / 2), size, material, rotate=turn)


def sofa(b, x, y, t):
    piece(b, x, y, t, 0, 0, 0.1, (2.0, 0.85, 0.35), "fabric")
    piece(b, x, y, t, 0, 0.33, 0.1, (2.0, 0.2, 0.75), "fabric")
    for side in (-1, 1):
        piece(b, x, y, t, side * 0.92, 0, 0.1, (0.16, 0.85, 0.55), "fabric")
        piece(b, x, y, t, side * 0.45, -0.05, 0.45, (0.82, 0.7, 0.14), "cushion")
        piece(b, x, y, t, side * 0.9, -0.35, 0.0, (0.08, 0.08, 0.1), "dark_wood")
        piece(b, x, y, t, side * 0.9, 0.35, 0.0, (0.08, 0.08, 0.1), "dark_wood")
    return (1.0, 0.43, 0.85)


def armchair(b, x, y, t):
    piece(b, x, y, t, 0, 0, 0.1, (0.9, 0.85, 0.35), "fabric")
    piece(b, x, y, t, 0, 0.33, 0.1, (0.9, 0.2, 0.75), "fabric")
    for side in (-1, 1):
        piece(b, x, y, t, side * 0.4, 0, 0.1, (0.12, 0.85, 0.55), "fabric")
        piece(b, x, y, t, side * 0.38, -0.35, 0.0, (0.08, 0.08, 0.1), "dark_wood")
    piece(b, x, y, t, 0, -0.05, 0.45, (0.66, 0.7, 0.14), "cushion")
    return (0.45, 0.43, 0.85)


def table(b, x, y, t, w, d, h, material="wood", leg="dark_wood"):
    piece(b, x, y, t, 0, 0, h - 0.05, (w, d, 0.05), material)
    for sx in (-1, 1):
        for sy in (-1, 1):
            piece(b, x, y, t, sx * (w / 2 - 0.06), sy * (d / 2 - 0.06), 0, (0.06, 0.06, h - 0.05), leg)
    return (w / 2, d / 2, h)


def coffee_table(b, x, y, t):
    return table(b, x, y, t, 1.1, 0.6, 0.42)


def dining_table(b, x, y, t):
    return table(b, x, y, t, 1.2, 0.8, 0.75)


def chair(b, x, y, t):
    table(b, x, y, t, 0.45, 0.45, 0.46, "wood", "wood")
    piece(b, x, y, t, 0, 0.2, 0.46, (0.45, 0.05, 0.45), "wood")
    return (0.23, 0.23, 0.9)


def rug(b, x, y, t):
    piece(b, x, y, t, 0, 0, 0.0, (2.2, 1.5, 0.012), "red")
    piece(b, x, y, t, 0, 0, 0.0, (1.9, 1.2, 0.016), "cream")
    return None


def bath_mat(b, x, y, t):
    piece(b, x, y, t, 0, 0, 0.0, (0.8, 0.5, 0.015), "fabric")
    return None


def bookshelf(b, x, y, t):
    piece(b, x, y, t, 0, 0, 0, (1.0, 0.32, 1.9), "dark_wood")
    rng = np.random.default_rng(5)
    colours = ["red", "fabric", "green", "cream", "blanket"]
    for shelf in range(4):
        z = 0.1 + shelf * 0.45
        piece(b, x, y, t, 0, -0.12, z, (0.9, 0.1, 0.02), "wood")
        px = -0.42
        while px < 0.38:
            w = 0.04 + rng.random() * 0.04
            h = 0.25 + rng.random() * 0.12
            piece(b, x, y, t, px + w / 2, -0.15, z + 0.02, (w * 0.95, 0.04, h), colours[int(rng.integers(5))])
            px += w
    return (0.5, 0.16, 1.9)


def tv_stand(b, x, y, t):
    piece(b, x, y, t, 0, 0, 0, (1.4, 0.4, 0.5), "dark_wood")
    piece(b, x, y, t, 0, 0.05, 0.5, (1.1, 0.06, 0.65), "black")
    piece(b, x, y, t, 0, 0.0, 0.5, (0.3, 0.2, 0.03), "black")
    return (0.7, 0.2, 1.15)


def floor_lamp(b, x, y, t):
    b.cylinder((x, y, 0), 0.16, 0.03, "metal")
    b.cylinder((x, y, 0.03), 0.02, 1.4, "metal", segments=8)
    b.cylinder((x, y, 1.35), 0.25, 0.3, "cream", top_radius=0.14)
    return (0.2, 0.2, 1.65)


def plant(b, x, y, t):
    b.cylinder((x, y, 0), 0.18, 0.35, "pot", top_radius=0.22)
    for k in range(5):
        a = k * 2 * math.pi / 5
        b.blob((x + 0.12 * math.cos(a), y + 0.12 * math.sin(a), 0.6 + 0.08 * (k % 2)), (0.16, 0.16, 0.22), "leaf")
    b.blob((x, y, 0.75), (0.18, 0.18, 0.25), "leaf")
    return (0.25, 0.25, 1.0)


def counter(b, x, y, t):
    piece(b, x, y, t, 0, 0, 0, (1.2, 0.6, 0.86), "white")
    piece(b, x, y, t, 0, 0, 0.86, (1.22, 0.62, 0.04), "stone")
    for dx in (-0.3, 0.3):
        piece(b, x, y, t, dx, -0.31, 0.7, (0.2, 0.02, 0.03), "metal")
    return (0.61, 0.31, 0.9)


def sink_counter(b, x, y, t):
    counter(b, x, y, t)
    piece(b, x, y, t, 0, 0.0, 0.9, (0.5, 0.36, 0.02), "metal")
    b.cylinder((turned(x, y, t, 0, 0.22)[0], turned(x, y, t, 0, 0.22)[1], 0.9), 0.02, 0.3, "metal", segments=8)
    return (0.61, 0.31, 1.2)


def stove(b, x, y, t):
    piece(b, x, y, t, 0, 0, 0, (0.6, 0.6, 0.9), "metal")
    piece(b, x, y, t, 0, -0.31, 0.15, (0.5, 0.02, 0.45), "black")
    for dx in (-0.14, 0.14):
        for dy in (-0.14, 0.14):
            px, py = turned(x, y, t, dx, dy)
            b.cylinder((px, py, 0.9), 0.09, 0.012, "black")
    return (0.3, 0.3, 0.92)


def fridge(b, x, y, t):
    piece(b, x, y, t, 0, 0, 0, (0.7, 0.7, 1.8), "white")
    piece(b, x, y, t, 0.28, -0.36, 0.9, (0.03, 0.03, 0.5), "metal")
    piece(b, x, y, t, 0, -0.355, 1.19, (0.69, 0.01, 0.02), "metal")
    return (0.35, 0.35, 1.8)


def bed(b, x, y, t):
    piece(b, x, y, t, 0, 0, 0, (1.5, 2.0, 0.3), "wood")
    piece(b, x, y, t, 0, 0, 0.3, (1.4, 1.9, 0.22), "white")
    piece(b, x, y, t, 0, -0.25, 0.5, (1.46, 1.4, 0.06), "blanket")
    piece(b, x, y, t, 0, 1.02, 0, (1.5, 0.06, 1.0), "wood")
    for dx in (-0.35, 0.35):
        piece(b, x, y, t, dx, 0.72, 0.52, (0.55, 0.35, 0.12), "cream")
    return (0.75, 1.05, 0.6)


def nightstand(b, x, y, t):
    piece(b, x, y, t, 0, 0, 0, (0.45, 0.4, 0.5), "wood")
    b.cylinder((x, y, 0.5), 0.07, 0.25, "metal", segments=10)
    b.cylinder((x, y, 0.7), 0.15, 0.18, "cream", top_radius=0.09)
    return (0.23, 0.2, 0.9)


def wardrobe(b, x, y, t):
    piece(b, x, y, t, 0, 0, 0, (1.2, 0.6, 2.0), "wood")
    piece(b, x, y, t, 0, -0.301, 0.05, (0.01, 0.01, 1.9), "dark_wood")
    for dx in (-0.08, 0.08):
        piece(b, x, y, t, dx, -0.31, 1.0, (0.03, 0.03, 0.2), "metal")
    return (0.6, 0.3, 2.0)


def dresser(b, x, y, t):
    piece(b, x, y, t, 0, 0, 0, (1.0, 0.5, 0.8), "dark_wood")
    for z in (0.1, 0.35, 0.6):
        piece(b, x, y, t, 0, -0.255, z, (0.9, 0.01, 0.18), "wood")
    return (0.5, 0.25, 0.8)


def bathtub(b, x, y, t):
    piece(b, x, y, t, 0, 0, 0, (1.7, 0.8, 0.1), "white")
    for dx, dy, sx, sy in ((0, 0.36, 1.7, 0.08), (0, -0.36, 1.7, 0.08), (0.81, 0, 0.08, 0.8), (-0.81, 0, 0.08, 0.8)):
        piece(b, x, y, t, dx, dy, 0.1, (sx, sy, 0.45), "white")
    piece(b, x, y, t, 0, 0, 0.1, (1.54, 0.64, 0.25), "glass")
    return (0.85, 0.4, 0.55)


def toilet(b, x, y, t):
    px, py = turned(x, y, t, 0, -0.05)
    b.cylinder((px, py, 0), 0.15, 0.4, "white", top_radius=0.2)
    piece(b, x, y, t, 0, 0.22, 0.35, (0.4, 0.18, 0.4), "white")
    return (0.2, 0.3, 0.75)


def washbasin(b, x, y, t):
    b.cylinder((x, y, 0), 0.08, 0.75, "white", segments=12)
    piece(b, x, y, t, 0, 0.05, 0.75, (0.55, 0.4, 0.12), "white")
    piece(b, x, y, t, 0, 0.26, 0.95, (0.5, 0.02, 0.6), "glass")
    return (0.28, 0.2, 0.9)


def tree(b, x, y, t):
    b.cylinder((x, y, 0), 0.2, 2.2, "bark", segments=12, top_radius=0.14)
    for k, (dx, dy, dz, r) in enumerate(((0, 0, 2.8, 1.2), (0.6, 0.3, 2.5, 0.8), (-0.5, -0.3, 2.6, 0.9),
                                         (0.1, -0.5, 3.3, 0.8))):
        b.blob((x + dx, y + dy, dz), (r, r, r * 0.85), "leaf" if k % 2 else "green", rings=12, segments=16)
    return (0.25, 0.25, 4.0)


def bush(b, x, y, t):
    b.blob((x, y, 0.45), (0.6, 0.5, 0.45), "green")
    b.blob((x + 0.3, y + 0.1, 0.45), (0.4, 0.4, 0.4), "leaf")
    return (0.7, 0.6, 0.8)


def bench(b, x, y, t):
    piece(b, x, y, t, 0, 0, 0.42, (1.5, 0.45, 0.05), "wood")
    piece(b, x, y, t, 0, 0.2, 0.5, (1.5, 0.05, 0.4), "wood")
    for dx in (-0.65, 0.65):
        piece(b, x, y, t, dx, 0, 0, (0.06, 0.4, 0.42), "metal")
    return (0.75, 0.23, 0.9)


def path(b, x, y, t):
    for k in range(5):
        b.cylinder((x + 0.15 * ((k % 2) * 2 - 1), y - 2.2 + k * 1.0, 0), 0.32, 0.02, "stone", segments=12)
    return None


def flower_bed(b, x, y, t):
    piece(b, x, y, t, 0, 0, 0, (2.0, 0.6, 0.15), "dark_wood")
    colours = ["red", "cream", "blanket", "white"]
    for k in range(9):
        px, py = turned(x, y, t, -0.85 + k * 0.21, 0.1 * ((k % 3) - 1))
        b.cylinder((px, py, 0.15), 0.01, 0.2, "green", segments=6)
        b.blob((px, py, 0.38), (0.06, 0.06, 0.04), colours[k % 4], rings=6, segments=8)
    return (1.0, 0.3, 0.4)


FURNITURE = {f.__name__: f for f in (sofa, armchair, coffee_table, dining_table, chair, rug, bath_mat, bookshelf,
                                     tv_stand, floor_lamp, plant, counter, sink_counter, stove, fridge, bed,
                                     nightstand, wardrobe, dresser, bathtub, toilet, washbasin, tree, bush, bench,
                                     path, flower_bed)}


# ------------------------------------------------------------------ shells

def wall_runs(length, openings):
    """Pieces of a wall of `length` with openings (centre, width, bottom,
    height): list of (start, end, bottom, top)."""
    pieces, cursor = [], -length / 2
    for centre, width, bottom, height in sorted(openings):
        lo, hi = centre - width / 2, centre + width / 2
        if lo > cursor:
            pieces.append((cursor, lo, 0, WALL_HEIGHT))
        if bottom > 0:
            pieces.append((lo, hi, 0, bottom))
        if bottom + height < WALL_HEIGHT:
            pieces.append((lo, hi, bottom + height, WALL_HEIGHT))
        cursor = hi
    if cursor < length / 2:
        pieces.append((cursor, length / 2, 0, WALL_HEIGHT))
    return pieces


def room_shell(b, spec):
    sx, sy = spec["size"]
    b.box((0, 0, -0.01), (sx + 2 * WALL_THICKNESS, sy + 2 * WALL_THICKNESS, 0.02), spec["floor"])
    walls = {"north": (sx, (0, sy / 2 + WALL_THICKNESS / 2), 0), "south": (sx, (0, -sy / 2 - WALL_THICKNESS / 2), 0),
             "east": (sy, (sx / 2 + WALL_THICKNESS / 2, 0), 90), "west": (sy, (-sx / 2 - WALL_THICKNESS / 2, 0), 90)}
    for name, (length, (cx, cy), turn) in walls.items():
        openings = [(c, w, sill, h) for wall, c, w, sill, h in spec.get("windows", []) if wall == name]
        openings += [(c, w, 0, 2.05) for wall, c, w in spec.get("doors", []) if wall == name]
        for start, end, bottom, top in wall_runs(length, openings):
            mid = (start + end) / 2
            px, py = turned(cx, cy, turn, mid, 0)
            b.box((px, py, (bottom + top) / 2), (end - start, WALL_THICKNESS, top - bottom), spec["wall"], rotate=turn)
        # skirting board along the inside
        inward = -1 if name in ("north", "east") else 1
        px, py = turned(cx, cy, turn, 0, inward * (WALL_THICKNESS / 2 + 0.01))
        for start, end, bottom, top in wall_runs(length, [(c, w, 0, 2.05) for wall, c, w in spec.get("doors", [])
                                                          if wall == name]):
            mid = (start + end) / 2
            qx, qy = turned(px, py, turn, mid, 0)
            b.box((qx, qy, 0.05), (end - start, 0.02, 0.1), spec["trim"], rotate=turn)
        for c, w, sill, h in [(c, w, s, h) for wall, c, w, s, h in spec.get("windows", []) if wall == name]:
            qx, qy = turned(cx, cy, turn, c, 0)
            b.box((qx, qy, sill + h / 2), (w, 0.02, h), "glass", rotate=turn)
            b.box((qx, qy, sill + h / 2), (0.05, WALL_THICKNESS + 0.02, h), spec["trim"], rotate=turn)
            qx, qy = turned(cx, cy, turn, c, inward * 0.08)
            b.box((qx, qy, sill - 0.02), (w + 0.1, 0.06, 0.04), spec["trim"], rotate=turn)
        for c, w in [(c, w) for wall, c, w in spec.get("doors", []) if wall == name]:
            qx, qy = turned(cx, cy, turn, c, 0)
            b.box((qx, qy, 2.09), (w + 0.16, WALL_THICKNESS + 0.04, 0.08), spec["trim"], rotate=turn)
            for side in (-1, 1):
                qx, qy = turned(cx, cy, turn, c + side * (w / 2 + 0.04), 0)
                b.box((qx, qy, 1.05), (0.08, WALL_THICKNESS + 0.04, 2.1), spec["trim"], rotate=turn)


def add_furniture(b, items):
    boxes = []
    for kind, x, y, turn in items:
        half = FURNITURE[kind](b, x, y, turn)
        if half:
            hx, hy, h = half
            if turn % 180 == 90:
                hx, hy = hy, hx
            elif turn % 90:
                r = math.hypot(hx, hy)
                hx = hy = r
            boxes.append((kind, x - hx, 0.0, y - hy, x + hx, h, y + hy))
    return boxes


def yard(b, spec):
    sx, sy = spec["size"]
    b.box((0, 0, -0.01), (sx, sy, 0.02), "grass")
    h = spec["fence_height"]
    for name, (length, cx, cy, turn) in {"north": (sx, 0, sy / 2, 0), "south": (sx, 0, -sy / 2, 0),
                                         "east": (sy, sx / 2, 0, 90), "west": (sy, -sx / 2, 0, 90)}.items():
        b.box((cx, cy, h / 2), (length, 0.05, h), "fence", rotate=turn)
        for k in range(int(length / 2) + 1):
            px, py = turned(cx, cy, turn, -length / 2 + k * length / int(length / 2), 0)
            b.box((px, py, h / 2 + 0.05), (0.1, 0.1, h + 0.1), "dark_wood", rotate=turn)
    # the house wall the yard backs onto, with its back door
    b.box((0, -sy / 2 - 0.3, 1.5), (sx, 0.5, 3.0), "bricks")
    b.box((0, -sy / 2 - 0.04, 1.0), (1.0, 0.06, 2.0), "dark_wood")
    return add_furniture(b, spec["furniture"])


def kennel(b, spec):
    sx, sy = spec["size"]
    b.box((0, 0, -0.01), (sx + 0.3, sy + 0.3, 0.02), "concrete")
    b.box((0, sy / 2 + 0.06, 1.4), (sx + 0.3, 0.12, 2.8), "bricks")
    for side in (-1, 1):
        b.box((side * (sx / 2 + 0.06), 0, 1.4), (0.12, sy, 2.8), "bricks")
    pens = spec["pens"]
    width = sx / pens
    boxes, pen_rects = [], []
    colours = ["red", "fabric", "green"]
    for p in range(pens + 1):
        x = -sx / 2 + p * width
        if 0 < p < pens:
            b.box((x, 0.2, spec["pen_wall"] / 2), (0.08, sy - 0.4, spec["pen_wall"]), "white_paint")
    for p in range(pens):
        x0 = -sx / 2 + p * width
        cx = x0 + width / 2
        pen_rects.append((x0 + 0.04, -sy / 2, x0 + width - 0.04, sy / 2))
        # front bars with a gate gap in the middle
        b.box((cx, -sy / 2 + 0.05, 0.02), (width, 0.08, 0.04), "metal")
        b.box((cx, -sy / 2 + 0.05, 1.2), (width, 0.05, 0.04), "metal")
        for k in range(int(width / 0.15) + 1):
            bx = x0 + k * width / int(width / 0.15)
            b.cylinder((bx, -sy / 2 + 0.05, 0), 0.012, 1.2, "metal", segments=6)
        # a bed, a bowl and a name plaque per pen
        b.cylinder((cx - 0.7, 1.2, 0), 0.4, 0.12, colours[p], segments=20)
        b.cylinder((cx - 0.7, 1.2, 0.02), 0.32, 0.12, "cream", segments=20)
        b.cylinder((cx + 0.8, 1.3, 0), 0.12, 0.06, "metal", segments=14, top_radius=0.15)
        b.box((cx, sy / 2 - 0.01, 1.8), (0.8, 0.04, 0.3), colours[p])
        boxes.append(("bed%d" % (p + 1), cx - 1.1, 0, 0.8, cx - 0.3, 0.14, 1.6))
    return boxes, pen_rects


# ------------------------------------------------------------------ output

def to_gltf_box(box):
    """(min x, min z-up, min y-north, max...) in Blender axes -> glTF axes."""
    kind, x0, z0, y0, x1, z1, y1 = box
    return kind, (x0, z0, -y1), (x1, z1, -y0)


def ini_room(name, sx, sy, height, walk, boxes, lights, pens=None):
    lines = ["[%s]" % name, "File=rooms/%s.glb" % name,
             "Bounds=%.2f,%.2f,%.2f,%.2f,%.2f,%.2f" % (-sx / 2, 0, -sy / 2, sx / 2, height, sy / 2),
             "Walk=%.2f,%.2f,%.2f,%.2f" % walk, "Boxes=%d" % len(boxes)]
    for i, box in enumerate(boxes):
        kind, lo, hi = to_gltf_box(box)
        lines.append("Box%d=%s,%.2f,%.2f,%.2f,%.2f,%.2f,%.2f" % (i + 1, kind, *lo, *hi))
    lines.append("Lights=%d" % len(lights))
    for i, (x, y, z, colour, reach) in enumerate(lights):
        lines.append("Light%d=%.2f,%.2f,%.2f,%.2f,%.2f,%.2f,%.1f" % (i + 1, x, z, -y + 0.0, *colour, reach))
    if pens:
        lines.append("Pens=%d" % len(pens))
        for i, (x0, y0, x1, y1) in enumerate(pens):
            lines.append("Pen%d=%.2f,%.2f,%.2f,%.2f" % (i + 1, x0, -y1, x1, -y0))
    return "\n".join(lines)


def check_room(obj, name):
    va.check_closed(obj)
    zs = [v.co.z for v in obj.data.vertices]
    top_of_floor = 0.0
    if abs(max(z for z in zs if z <= 0.001) - top_of_floor) > 1e-4:
        raise va.ArtError("%s: floor top is not at height 0" % name)
    if min(zs) < -0.021:
        raise va.ArtError("%s: something reaches %.3f below the floor" % (name, min(zs)))


def main():
    out, sheet_dir = va.arguments()
    timer = va.Timer("rooms")
    scene = va.reset_scene()
    materials = make_materials()
    timer.step("textures")
    made, sections = [], ["; rooms: metres in glTF axes (x east, y up, z south); floor top at y = 0.\n"
                          "; Bounds = min x,y,z, max x,y,z of the inside; Walk = floor rectangle min x,z, max x,z;\n"
                          "; BoxN = name, min x,y,z, max x,y,z of a solid obstacle; LightN = x,y,z, r,g,b, range;\n"
                          "; PenN = floor rectangle min x,z, max x,z of one kennel pen."]
    for name, spec in ROOMS.items():
        b = va.Builder(materials)
        room_shell(b, spec)
        boxes = add_furniture(b, spec["furniture"])
        obj = b.finish(name)
        check_room(obj, name)
        sx, sy = spec["size"]
        walk = (-sx / 2 + 0.1, -sy / 2 + 0.1, sx / 2 - 0.1, sy / 2 - 0.1)
        sections.append(ini_room(name, sx, sy, WALL_HEIGHT, walk, boxes, spec["lights"]))
        made.append((name, obj, (sx, sy)))
    b = va.Builder(materials)
    boxes = yard(b, YARD)
    obj = b.finish("yard")
    check_room(obj, "yard")
    sx, sy = YARD["size"]
    sections.append(ini_room("yard", sx, sy, 6.0, (-sx / 2 + 0.2, -sy / 2 + 0.2, sx / 2 - 0.2, sy / 2 - 0.2), boxes,
                             YARD["lights"]))
    made.append(("yard", obj, (sx, sy)))
    b = va.Builder(materials)
    boxes, pens = kennel(b, KENNEL)
    obj = b.finish("kennel")
    check_room(obj, "kennel")
    sx, sy = KENNEL["size"]
    sections.append(ini_room("kennel", sx, sy, 2.8, (-sx / 2 + 0.1, -sy / 2 + 0.1, sx / 2 - 0.1, sy / 2 - 0.1), boxes,
                             KENNEL["lights"], pens))
    made.append(("kennel", obj, (sx, sy)))
    timer.step("geometry")
    for name, obj, _ in made:
        va.export_model(os.path.join(out, "rooms", name + ".glb"), [obj], skins=False)
    with open(os.path.join(out, "rooms", "rooms.ini"), "w") as f:
        f.write("\n\n".join(sections) + "\n")
    timer.step("export")

    # contact sheet: each room from a high corner, one render each
    va.setup_workbench(scene, 480, 360)
    va.sheet_world(scene)
    sheet = va.Sheet(480, 360, 3)
    tmp = os.path.join(sheet_dir, "tmp_rooms.png")
    cam = None
    for name, obj, (sx, sy) in made:
        for other in made:
            other[1].hide_render = other[1] is not obj
        if cam:
            bpy.data.objects.remove(cam)
        eye, target, lens = SHEET_CAMERAS.get(name, ((-0.42, -0.48, 2.4), (0.1, 0.15, 0.6), 16))
        cam = va.camera_looking(scene, (eye[0] * sx, eye[1] * sy, eye[2]), (target[0] * sx, target[1] * sy, target[2]),
                                lens=lens)
        sheet.add(va.render_to_array(scene, tmp))
    os.remove(tmp)
    sheet.save(os.path.join(sheet_dir, "rooms.png"))
    timer.step("contact sheet")
    timer.done()


if __name__ == "__main__":
    main()
