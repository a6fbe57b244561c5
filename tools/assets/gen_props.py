"""Props, toys and store items, and the icon of each rendered from its model.

Outputs:
  OUTPUT/props/<item>.glb           one rigid mesh, resting on the floor (y = 0),
                                    centred on its own origin; worn items sit
                                    with their origin where they attach
  OUTPUT/props/props.ini            per item: file, icon files, kind, price,
                                    size, the bone a worn item follows
  OUTPUT/icons/<item>_64.tga,       icons, 32-bit with alpha
  OUTPUT/icons/<item>_128.tga

Blender axes: +X right, -Y front, +Z up.
"""
import math
import os
import sys

import bpy
import numpy as np
from mathutils import Matrix

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import vornart as va  # noqa: E402

ICON_SIZES = (64, 128)
COLOURS = dict(red=(210, 60, 55), blue=(60, 110, 210), yellow=(240, 200, 50), green=(80, 170, 80),
               pink=(235, 140, 170), grey=(150, 150, 155), white=(240, 240, 235), brown=(140, 95, 60),
               dark=(45, 40, 40), gold=(230, 185, 60), steel=(185, 190, 200), cream=(235, 220, 185),
               orange=(240, 140, 50), purple=(140, 90, 190), beige=(215, 190, 150), black=(25, 25, 30),
               teal=(50, 160, 160), sisal=(200, 170, 120))


def yarn_texture(size=128):
    y, x = np.mgrid[0:size, 0:size] / size
    wind = np.sin((x * 6 + y * 10) * 2 * math.pi) * 0.5 + 0.5
    cross = np.sin((x * 6 - y * 7) * 2 * math.pi) * 0.5 + 0.5
    return va.rgba_from((150, 40, 70), (235, 90, 120), np.maximum(wind, cross * 0.7))


def stripes_texture(a, b, count, size=64):
    x = np.mgrid[0:size, 0:size][1] / size
    return va.rgba_from(a, b, ((x * count) % 1) < 0.5)


def materials():
    m = {name: va.texture(name, va.rgba_from(c, c, np.zeros((8, 8))), 1.0) for name, c in COLOURS.items()}
    m["yarn"] = va.texture("yarn", yarn_texture(), 0.08)
    m["towel"] = va.texture("towel", stripes_texture((240, 240, 235), (80, 150, 210), 6), 0.5)
    m["sisal_rope"] = va.texture("sisal_rope", stripes_texture((205, 175, 125), (160, 130, 85), 12), 0.3)
    return m


def ring(b, centre, radius, thickness, material, segments=24, axis="z"):
    """A closed torus-like ring from a looped tube."""
    cx, cy, cz = centre
    pts = []
    for k in range(segments + 1):
        a = 2 * math.pi * k / segments * 0.97
        if axis == "z":
            pts.append((cx + radius * math.cos(a), cy + radius * math.sin(a), cz))
        else:
            pts.append((cx + radius * math.cos(a), cy, cz + radius * math.sin(a)))
    tube = va.Tube("ring", pts, [(thickness, thickness)] * len(pts), segments * 2, 8, caps=(1, 1),
                   side=(0, 0, 1) if axis == "z" else (0, 1, 0))
    b.tube(tube, material)


# ---- items: each builder adds closed pieces around the origin, resting on z = 0

def ball(b):
    b.blob((0, 0, 0.035), (0.035, 0.035, 0.035), "red", rings=12, segments=16)
    ring(b, (0, 0, 0.035), 0.035, 0.004, "white", axis="x")


def toy_mouse(b):
    b.blob((0, 0, 0.02), (0.022, 0.04, 0.02), "grey")
    b.blob((0, -0.042, 0.022), (0.01, 0.012, 0.01), "pink", rings=6, segments=8)
    for s in (-1, 1):
        b.blob((s * 0.014, -0.02, 0.038), (0.009, 0.003, 0.009), "pink", rings=6, segments=8)
    tail = va.Tube("tail", [(0, 0.04, 0.01), (0.01, 0.07, 0.004), (-0.01, 0.1, 0.004)], [(0.002, 0.002)] * 3, 10, 6)
    b.tube(tail, "pink")


def yarn_ball(b):
    b.blob((0, 0, 0.045), (0.045, 0.045, 0.045), "yarn", rings=14, segments=18)
    loose = va.Tube("yarn_end", [(0.04, -0.02, 0.02), (0.07, -0.05, 0.004), (0.1, -0.03, 0.004)], [(0.004, 0.004)] * 3,
                    10, 6)
    b.tube(loose, "yarn")


def feather_wand(b):
    stick = va.Tube("stick", [(0, 0.25, 0.008), (0, -0.15, 0.008)], [(0.006, 0.006)] * 2, 8, 8)
    b.tube(stick, "brown")
    for k, colour in enumerate(("purple", "teal", "pink")):
        a = (k - 1) * 0.5
        b.blob((math.sin(a) * 0.03, -0.2 - math.cos(a) * 0.02, 0.01), (0.012, 0.05, 0.004), colour, rings=8, segments=8)


def squeaky_duck(b):
    b.blob((0, 0, 0.03), (0.035, 0.045, 0.03), "yellow")
    b.blob((0, -0.03, 0.07), (0.022, 0.022, 0.022), "yellow")
    b.blob((0, -0.055, 0.066), (0.01, 0.014, 0.005), "orange", rings=6, segments=8)
    for s in (-1, 1):
        b.blob((s * 0.012, -0.045, 0.078), (0.004, 0.004, 0.004), "black", rings=4, segments=6)


def jingle_ball(b):
    b.blob((0, 0, 0.03), (0.03, 0.03, 0.03), "gold", rings=12, segments=16)
    ring(b, (0, 0, 0.03), 0.03, 0.003, "dark", axis="x")
    ring(b, (0, 0, 0.03), 0.03, 0.003, "dark", axis="z")


def bowl(b, colour, filling):
    b.cylinder((0, 0, 0), 0.07, 0.05, colour, segments=24, top_radius=0.09)
    b.cylinder((0, 0, 0.046), 0.075, 0.006, filling, segments=24)


def food_bowl(b):
    bowl(b, "red", "brown")


def water_bowl(b):
    bowl(b, "blue", "teal")


def treats(b):
    b.box((0, 0, 0.06), (0.08, 0.04, 0.12), "orange")
    b.box((0, -0.021, 0.07), (0.06, 0.004, 0.05), "cream")
    b.blob((0, -0.024, 0.07), (0.015, 0.002, 0.01), "brown", rings=6, segments=8)


def brush(b):
    b.box((0, 0, 0.015), (0.06, 0.1, 0.02), "brown")
    b.box((0, 0, 0.003), (0.055, 0.095, 0.01), "dark")
    handle = va.Tube("handle", [(0, 0.05, 0.015), (0, 0.15, 0.018)], [(0.012, 0.008)] * 2, 8, 8)
    b.tube(handle, "brown")


def shampoo(b):
    b.cylinder((0, 0, 0), 0.03, 0.13, "teal", segments=16)
    b.cylinder((0, 0, 0.13), 0.03, 0.015, "teal", segments=16, top_radius=0.015)
    b.cylinder((0, 0, 0.145), 0.012, 0.025, "white", segments=12)
    b.box((0, -0.028, 0.065), (0.04, 0.01, 0.05), "white")


def towel(b):
    for k in range(4):
        b.box((0, 0, 0.012 + k * 0.024), (0.3 - k * 0.004, 0.2, 0.022), "towel")


def cat_bed(b):
    ring(b, (0, 0, 0.06), 0.24, 0.06, "purple", segments=28)
    b.cylinder((0, 0, 0), 0.26, 0.04, "purple", segments=28)
    b.cylinder((0, 0, 0.04), 0.2, 0.03, "cream", segments=28)


def scratching_post(b):
    b.box((0, 0, 0.02), (0.4, 0.4, 0.04), "beige")
    b.cylinder((0, 0, 0.04), 0.05, 0.6, "sisal_rope", segments=16)
    b.box((0, 0, 0.66), (0.3, 0.3, 0.03), "beige")
    ball_on = va.Tube("string", [(0.12, 0, 0.66), (0.13, 0, 0.5)], [(0.002, 0.002)] * 2, 6, 6)
    b.tube(ball_on, "white")
    b.blob((0.13, 0, 0.48), (0.02, 0.02, 0.02), "red", rings=8, segments=10)


def litter_box(b):
    b.box((0, 0, 0.01), (0.5, 0.38, 0.02), "grey")
    for dx, dy, sx, sy in ((0, 0.18, 0.5, 0.02), (0, -0.18, 0.5, 0.02), (0.24, 0, 0.02, 0.38), (-0.24, 0, 0.02, 0.38)):
        b.box((dx, dy, 0.07), (sx, sy, 0.12), "grey")
    b.box((0, 0, 0.05), (0.46, 0.34, 0.06), "sisal")


def party_hat(b):
    b.cylinder((0, 0, 0), 0.035, 0.09, "blue", segments=16, top_radius=0.002)
    b.blob((0, 0, 0.092), (0.01, 0.01, 0.01), "yellow", rings=6, segments=8)


def top_hat(b):
    b.cylinder((0, 0, 0), 0.055, 0.006, "black", segments=20)
    b.cylinder((0, 0, 0.006), 0.033, 0.06, "black", segments=20)
    b.cylinder((0, 0, 0.008), 0.034, 0.012, "red", segments=20)


def collar(b, colour, charm):
    ring(b, (0, 0, 0.006), 0.045, 0.006, colour, segments=28)
    b.blob((0, -0.05, -0.006), (0.008, 0.004, 0.008), charm, rings=6, segments=8)


def red_collar(b):
    collar(b, "red", "gold")


def blue_collar(b):
    collar(b, "blue", "steel")


def bow(b):
    for s in (-1, 1):
        b.blob((s * 0.02, 0, 0.015), (0.02, 0.006, 0.013), "pink", rings=6, segments=10)
    b.blob((0, -0.002, 0.015), (0.007, 0.007, 0.007), "red", rings=6, segments=8)


def cushion(b):
    b.blob((0, 0, 0.05), (0.22, 0.22, 0.05), "teal", rings=10, segments=20)
    b.blob((0, 0, 0.095), (0.03, 0.03, 0.01), "gold", rings=4, segments=8)


def cat_tree(b):
    b.box((0, 0, 0.025), (0.6, 0.5, 0.05), "beige")
    for x, h in ((-0.15, 0.9), (0.18, 1.3)):
        b.cylinder((x, 0, 0.05), 0.045, h, "sisal_rope", segments=14)
        b.box((x, 0, 0.05 + h), (0.38, 0.36, 0.04), "beige")
    b.cylinder((-0.15, 0, 0.35), 0.18, 0.22, "beige", segments=18)


def spray_bottle(b):
    b.cylinder((0, 0, 0), 0.03, 0.12, "white", segments=16)
    b.cylinder((0, 0, 0.12), 0.016, 0.03, "white", segments=12)
    b.box((0, -0.015, 0.165), (0.03, 0.06, 0.03), "green")
    b.box((0, -0.028, 0.135), (0.012, 0.012, 0.03), "green")
    b.box((0, 0, 0.06), (0.062, 0.062, 0.05), "green")


def shower_head(b):
    handle = va.Tube("handle", [(0, 0.03, 0.02), (0, 0.1, 0.03), (0, 0.18, 0.03)], [(0.011, 0.011)] * 3, 10, 10)
    b.tube(handle, "steel")
    b.cylinder((0, 0, 0.0), 0.04, 0.03, "steel", segments=20, top_radius=0.03)
    b.cylinder((0, 0, -0.002), 0.034, 0.004, "grey", segments=20)


def hand(b):
    b.blob((0, 0, 0.02), (0.04, 0.045, 0.018), "cream")
    b.tube(va.Tube("index", [(-0.012, 0.03, 0.025), (-0.014, 0.08, 0.025), (-0.015, 0.11, 0.025)],
                   [(0.01, 0.009)] * 3, 10, 10), "cream")
    for k, x in enumerate((0.004, 0.02, 0.034)):
        b.blob((x, 0.045 - k * 0.005, 0.028), (0.009, 0.014, 0.01), "cream", rings=6, segments=10)
    b.tube(va.Tube("thumb", [(-0.03, -0.01, 0.02), (-0.048, 0.015, 0.024), (-0.05, 0.035, 0.024)],
                   [(0.01, 0.009)] * 3, 10, 10), "cream")


# Tool cursors: item, cursor name, turn (x, y, z degrees) so the working end
# points to the top left.  The hot spot is found on the picture: the opaque
# pixel nearest the top-left corner.
CURSORS = [("brush", "brush", (0, 0, 225)), ("shampoo", "shampoo", (90, 0, 225)),
           ("shower_head", "shower", (0, 0, 225)), ("spray_bottle", "spray", (90, 0, 225)),
           ("hand", "hand", (0, 0, 45))]
CURSOR_SIZE = 32

# name: (builder, kind, price, bone a worn item follows or "")
ITEMS = {
    "ball": (ball, "toy", 5, ""),
    "toy_mouse": (toy_mouse, "toy", 8, ""),
    "yarn_ball": (yarn_ball, "toy", 6, ""),
    "feather_wand": (feather_wand, "toy", 12, ""),
    "squeaky_duck": (squeaky_duck, "toy", 9, ""),
    "jingle_ball": (jingle_ball, "toy", 7, ""),
    "food_bowl": (food_bowl, "care", 10, ""),
    "water_bowl": (water_bowl, "care", 10, ""),
    "treats": (treats, "food", 4, ""),
    "brush": (brush, "care", 15, ""),
    "shampoo": (shampoo, "care", 8, ""),
    "towel": (towel, "care", 6, ""),
    "cat_bed": (cat_bed, "furniture", 40, ""),
    "scratching_post": (scratching_post, "furniture", 35, ""),
    "litter_box": (litter_box, "furniture", 20, ""),
    "cushion": (cushion, "furniture", 18, ""),
    "cat_tree": (cat_tree, "furniture", 80, ""),
    "party_hat": (party_hat, "hat", 15, "head"),
    "top_hat": (top_hat, "hat", 25, "head"),
    "red_collar": (red_collar, "collar", 12, "neck"),
    "blue_collar": (blue_collar, "collar", 12, "neck"),
    "bow": (bow, "bow", 10, "head"),
    "spray_bottle": (spray_bottle, "care", 6, ""),
    "shower_head": (shower_head, "care", 0, ""),
    "hand": (hand, "tool", 0, ""),
}
ICON_VIEW = (0.55, 1.0, -0.6)     # direction the icon camera looks (from front-right, above)


def downsample(rgba, factor):
    h, w = rgba.shape[:2]
    f = rgba.reshape(h // factor, factor, w // factor, factor, 4).astype(np.float64)
    alpha = f[..., 3:4]
    colour = (f[..., :3] * alpha).sum(axis=(1, 3)) / np.maximum(alpha.sum(axis=(1, 3)), 1e-9)
    out = np.concatenate([colour, alpha.mean(axis=(1, 3))], axis=-1)
    return np.clip(out + 0.5, 0, 255).astype(np.uint8)


def main():
    out, sheet_dir = va.arguments()
    timer = va.Timer("props")
    scene = va.reset_scene()
    mats = materials()
    lines = ["; props: File, Icon64, Icon128, Kind, Price, Size = width,height,depth metres (glTF axes),\n"
             "; Bone = the cat bone a worn item follows (its origin goes on that bone)"]
    objects = {}
    for name, (builder, kind, price, bone) in ITEMS.items():
        b = va.Builder(mats)
        builder(b)
        obj = b.finish(name)
        va.check_closed(obj)
        zs = np.array([v.co for v in obj.data.vertices])
        lo, hi = zs.min(axis=0), zs.max(axis=0)
        if not bone and abs(lo[2]) > 1e-5:
            # floor items rest on the floor whatever their pieces add up to
            obj.data.transform(Matrix.Translation((0, 0, -lo[2])))
            hi[2] -= lo[2]
            lo[2] = 0
        objects[name] = (obj, lo, hi)
        va.export_model(os.path.join(out, "props", name + ".glb"), [obj], skins=False)
        size = hi - lo
        lines.append("[%s]\nFile=props/%s.glb\nIcon64=icons/%s_64.tga\nIcon128=icons/%s_128.tga\nKind=%s\nPrice=%d\n"
                     "Size=%.3f,%.3f,%.3f\nBone=%s" % (name, name, name, name, kind, price, size[0], size[2], size[1],
                                                      bone))
    with open(os.path.join(out, "props", "props.ini"), "w") as f:
        f.write("\n".join(lines) + "\n")
    timer.step("%d props" % len(ITEMS))

    # icons: every item fitted into its own cell of one big transparent render
    big = ICON_SIZES[-1] * 2
    columns = 6
    rows = (len(objects) + columns - 1) // columns
    view = va.normalise(np.array(ICON_VIEW))
    right = va.normalise(np.cross(view, (0, 0, 1)))
    up = np.cross(right, view)
    for i, (name, (obj, lo, hi)) in enumerate(objects.items()):
        r, c = divmod(i, columns)
        centre = (lo + hi) / 2
        extent = np.linalg.norm(hi - lo)
        scale = 0.86 / extent
        obj.scale = (scale, scale, scale)
        where = c * right - r * up
        obj.location = tuple(where - centre * scale)
    va.setup_workbench(scene, columns * big, rows * big, transparent=True)
    scene.display.render_aa = "8"
    middle = ((columns - 1) / 2) * right - ((rows - 1) / 2) * up
    va.camera_looking(scene, tuple(middle - view * 10), tuple(middle), ortho=columns)
    sheet = va.render_to_array(scene, os.path.join(sheet_dir, "props.png"))
    for i, name in enumerate(objects):
        r, c = divmod(i, columns)
        cell = sheet[r * big:(r + 1) * big, c * big:(c + 1) * big]
        for size in ICON_SIZES:
            va.write_tga(os.path.join(out, "icons", "%s_%d.tga" % (name, size)), downsample(cell, big // size))
    timer.step("icons")
    cursors(scene, objects, out, sheet_dir)
    timer.step("cursors")
    timer.done()


def cursors(scene, objects, out, sheet_dir):
    """Each tool seen from above, turned to point top left, in one render."""
    big = CURSOR_SIZE * 4
    for name, (obj, lo, hi) in objects.items():
        obj.hide_render = name not in [c[0] for c in CURSORS]
    for i, (item, _, turn) in enumerate(CURSORS):
        obj, lo, hi = objects[item]
        extent = np.linalg.norm(hi - lo)
        s = 0.8 / extent
        obj.scale = (s, s, s)
        obj.rotation_euler = [math.radians(a) for a in turn]
        bpy.context.view_layer.update()
        corners = np.array([obj.matrix_world @ v.co for v in obj.data.vertices])
        mid = (corners.min(axis=0) + corners.max(axis=0)) / 2
        obj.location = (obj.location[0] + i - mid[0], obj.location[1] - mid[1], obj.location[2] - mid[2])
    va.setup_workbench(scene, len(CURSORS) * big, big, transparent=True)
    scene.display.render_aa = "8"
    middle = ((len(CURSORS) - 1) / 2, 0, 0)
    bpy.data.objects.remove(scene.camera)
    va.camera_looking(scene, (middle[0], -0.6, 10), middle, ortho=len(CURSORS))
    strip = va.render_to_array(scene, os.path.join(sheet_dir, "cursors.png"))
    lines = ["; tool cursors: File, HotX, HotY (pixels from the top left)"]
    for i, (_, name, _) in enumerate(CURSORS):
        picture = downsample(strip[:, i * big:(i + 1) * big], 4)
        ys, xs = np.nonzero(picture[:, :, 3] > 128)
        if not len(xs):
            raise va.ArtError("cursor %s came out empty" % name)
        k = int(np.argmin(xs + ys))
        path = "Common/cursor_%s.tga" % name
        va.write_tga(os.path.join(out, path), picture)
        lines.append("[%s]\nFile=%s\nHotX=%d\nHotY=%d" % (name, path, xs[k], ys[k]))
    with open(os.path.join(out, "props", "cursors.ini"), "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
