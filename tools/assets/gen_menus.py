"""Menu and screen backgrounds rendered from the 3D scenes: the cat in the
house and in the kennel, with the screen's title set in the game's font.
They replace the flat pictures of the same names and sizes.

Outputs (under OUTPUT/):
  MainMenu/background.tga, OptionsMenu/background.tga, LoadMenu/background.tga,
  House/background.tga, Kennel1..3/background.tga     800 x 600, 32-bit
  menus/list.txt                                      what this family wrote
"""
import math
import os
import sys

import bpy
import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import vornart as va  # noqa: E402
import gen_cat  # noqa: E402
import gen_rooms  # noqa: E402

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import gen_images  # noqa: E402  (the button table)

SIZE = (800, 600)
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
TITLE_INK = (1.0, 0.94, 0.78)
TITLE_SHADOW = (0.12, 0.08, 0.16)

# picture: room, title, camera eye, camera target, lens, cats as
# (breed, pose, x, y, turn degrees, height of what it stands on)
SCENES = {
    "MainMenu": dict(room="living_room", title="Vorn", eye=(0.3, -1.3, 0.55), target=(0.0, -0.1, 0.35), lens=24,
                     cats=[("Bengal", "sit", 0.42, -0.1, -25, 0.0)]),
    "OptionsMenu": dict(room="bedroom", title="Options", eye=(0.25, -0.55, 1.05), target=(-0.6, 0.7, 0.55), lens=26,
                        cats=[("Snowpoint", "sleep", -0.6, 0.6, 60, 0.52)]),
    "LoadMenu": dict(room="kitchen", title="Load a Pet", eye=(1.4, -0.1, 0.7), target=(-0.1, 0.8, 0.3), lens=24,
                     cats=[("Patches", "stand", -0.2, 0.5, 30, 0.0), ("Abyssinian", "sit", 0.5, 0.9, -20, 0.0)]),
    "House": dict(room="living_room", title="House", eye=(-0.7, -1.2, 0.6), target=(0.2, -0.1, 0.2), lens=24,
                  cats=[("Bengal", "lie", 0.2, -0.1, -30, 0.0)]),
}
for n, breed in ((1, "Bengal"), (2, "Patches"), (3, "Snowpoint")):
    x = -3.2 + (n - 1) * 3.2
    SCENES["Kennel%d" % n] = dict(room="kennel", title="Kennel %d" % n, eye=(x + 0.3, -1.4, 1.2),
                                  target=(x, 0.6, 0.2), lens=22, cats=[(breed, "sit", x + 0.1, 0.3, 10, 0.0)])


BUTTON = (160, 40)       # pixels per state; five states side by side
# per state: face colour change, label colour, how far the face sinks (pixels)
BUTTON_STATES = [(0, (255, 255, 255), 0), (-50, (255, 255, 255), 2), (45, (255, 255, 255), 0),
                 (-50, (255, 240, 160), 2), (None, (190, 190, 190), 0)]


RIM = (40, 32, 60)


def rounded_slab(scene, cx, cy, w, h, radius, z, colour, corner_steps=6):
    """A flat rounded rectangle (closed, 1 cm thick) centred at (cx, cy)."""
    outline = []
    for qx, qy, start in ((1, 1, 0), (-1, 1, 90), (-1, -1, 180), (1, -1, 270)):
        ox, oy = cx + qx * (w / 2 - radius), cy + qy * (h / 2 - radius)
        for k in range(corner_steps + 1):
            a = math.radians(start + 90 * k / corner_steps)
            outline.append((ox + radius * math.cos(a), oy + radius * math.sin(a)))
    n = len(outline)
    verts = [(x, y, z) for x, y in outline] + [(x, y, z - 0.01) for x, y in outline]
    faces = [tuple(range(n)), tuple(range(2 * n - 1, n - 1, -1))]
    faces += [((k + 1) % n, k, k + n, (k + 1) % n + n) for k in range(n)]
    mesh = bpy.data.meshes.new("slab")
    mesh.from_pydata(verts, [], faces)
    slab = bpy.data.objects.new("slab", mesh)
    slab.data.materials.append(va.colour_material("slab", colour, roughness=1))
    scene.collection.objects.link(slab)
    return slab


def buttons(scene, font, out, sheet_dir):
    """Every button strip as rounded slabs with the label set in the font,
    all strips in one render and cut apart afterwards."""
    for o in list(scene.objects):
        o.hide_render = True
    px = 0.01                                # metres per pixel in this scene
    w, h = BUTTON[0] * px, BUTTON[1] * px
    names = list(gen_images.BUTTONS)
    made = []
    for row, name in enumerate(names):
        label, base = gen_images.BUTTONS[name]
        for state, (change, ink, sink) in enumerate(BUTTON_STATES):
            face = (120, 120, 128) if change is None else tuple(max(0, min(255, c + change)) for c in base)
            cx, cy = (state + 0.5) * w, -(row + 0.5) * h - sink * px
            for colour, grow, dx, dy, z in (((20, 20, 30), 0, 1, -3, -0.02), (RIM, 2, 0, 0, -0.01), (face, 0, 0, 0, 0)):
                made.append(rounded_slab(scene, cx + dx * px, cy + dy * px, w - (6 - 2 * grow) * px,
                                         h - (8 - 2 * grow) * px, (12 + grow) * px, z, colour))
            curve = bpy.data.curves.new("label", "FONT")
            curve.body = label
            curve.font = font
            curve.align_x = "CENTER"
            curve.align_y = "CENTER"
            curve.size = 0.19
            text = bpy.data.objects.new("label", curve)
            text.location = (cx, cy, 0.01)
            text.data.materials.append(va.colour_material("ink", ink, roughness=1))
            scene.collection.objects.link(text)
            made.append(text)
    va.setup_workbench(scene, BUTTON[0] * 5, BUTTON[1] * len(names), transparent=True)
    scene.display.render_aa = "8"
    scene.display.shading.light = "FLAT"
    scene.display.shading.show_shadows = False
    scene.view_settings.exposure = 0
    scene.display.shading.show_cavity = False
    width, height = 5 * w, len(names) * h
    cam = va.camera_looking(scene, (width / 2, -height / 2, 5), (width / 2, -height / 2, 0), ortho=width)
    strip = va.render_to_array(scene, os.path.join(sheet_dir, "buttons.png"))
    written = []
    for row, name in enumerate(names):
        path = "Common/button_%s.tga" % name
        va.write_tga(os.path.join(out, path), strip[row * BUTTON[1]:(row + 1) * BUTTON[1]])
        written.append(path)
    for o in made + [cam]:
        bpy.data.objects.remove(o)
    return written


# Flat faces: file, size, rounded layers (inset pixels, corner radius, colour)
# and texts (words, centre x, centre y, height in pixels, colour), all pixels.
FACES = [
    ("Common/about_dialog.tga", (420, 240), [(0, 18, (50, 40, 80)), (4, 15, (250, 244, 230))],
     [("About Vorn", 210, 34, 26, (70, 50, 110))]),
    ("Common/question_dialog.tga", (420, 240), [(0, 18, (50, 40, 80)), (4, 15, (250, 244, 230))], []),
    ("Common/credits_logo.tga", (240, 80), [(0, 20, (90, 60, 140)), (3, 17, (120, 85, 175))],
     [("Vorn", 120, 40, 44, (255, 250, 235))]),
]


def flat_faces(scene, font, out, sheet_dir):
    """Dialog faces and the logo: rounded layers and text, one render each."""
    written = []
    px = 0.01
    for path, (w, h), layers, texts in FACES:
        for o in list(scene.objects):
            o.hide_render = True
        made = []
        for depth, (inset, radius, colour) in enumerate(layers):
            made.append(rounded_slab(scene, w * px / 2, -h * px / 2, (w - 2 * inset) * px, (h - 2 * inset) * px,
                                     radius * px, depth * 0.01, colour))
        for words, x, y, size, colour in texts:
            curve = bpy.data.curves.new("text", "FONT")
            curve.body = words
            curve.font = font
            curve.align_x = "CENTER"
            curve.align_y = "CENTER"
            curve.size = size * px
            text = bpy.data.objects.new("text", curve)
            text.location = (x * px, -y * px, 0.05)
            text.data.materials.append(va.colour_material("text", colour, roughness=1))
            scene.collection.objects.link(text)
            made.append(text)
        va.setup_workbench(scene, w, h, transparent=True)
        scene.display.render_aa = "8"
        scene.display.shading.light = "FLAT"
        scene.display.shading.show_shadows = False
        scene.display.shading.show_cavity = False
        scene.view_settings.exposure = 0
        cam = va.camera_looking(scene, (w * px / 2, -h * px / 2, 5), (w * px / 2, -h * px / 2, 0), ortho=w * px)
        picture = va.render_to_array(scene, os.path.join(sheet_dir, "tmp_face.png"))
        va.write_tga(os.path.join(out, path), picture)
        written.append(path)
        for o in made + [cam]:
            bpy.data.objects.remove(o)
    os.remove(os.path.join(sheet_dir, "tmp_face.png"))
    return written


def build_room(name, materials):
    b = va.Builder(materials)
    if name == "kennel":
        gen_rooms.kennel(b, gen_rooms.KENNEL)
    else:
        spec = gen_rooms.ROOMS[name]
        gen_rooms.room_shell(b, spec)
        gen_rooms.add_furniture(b, spec["furniture"])
    return b.finish(name)


def build_cats():
    """One cat rig; copies are made per scene."""
    bones = gen_cat.all_bones()
    arm = gen_cat.build_armature(bones)
    body, tubes, _ = gen_cat.build_mesh(arm, bones)
    coats = {}
    for breed in gen_cat.BREEDS:
        image = va.image_from_array("menu_coat_" + breed["name"], gen_cat.paint_coat(breed, tubes, gen_cat.TEXTURE_SIZE))
        coats[breed["name"]] = va.textured_material("menu_coat_" + breed["name"], image)
    body.data.materials.append(coats[gen_cat.BREEDS[0]["name"]])
    return arm, body, coats, [b[0] for b in bones]


def place_cat(arm, body, coats, names, breed, pose, x, y, turn, height):
    copy = arm.copy()
    bpy.context.scene.collection.objects.link(copy)
    skin = body.copy()
    skin.data = body.data.copy()
    skin.data.materials[0] = coats[breed]
    skin.parent = copy
    skin.modifiers["skeleton"].object = copy
    bpy.context.scene.collection.objects.link(skin)
    copy.hide_render = skin.hide_render = False
    copy.location = (x, y, height)
    copy.rotation_euler = (0, 0, math.radians(turn))
    p = gen_cat.POSES[pose]
    for name in names:
        pb = copy.pose.bones[name]
        spec = p.get(name, (0, 0, 0))
        spec = spec if isinstance(spec, dict) else dict(r=spec)
        pb.rotation_euler = [math.radians(a) for a in spec.get("r", (0, 0, 0))]
        pb.location = spec.get("t", (0, 0, 0))
        pb.scale = spec.get("s", (1, 1, 1))
    return [copy, skin]


def title(scene, cam, text, font):
    """The title as flat text parented to the camera, with a drop shadow."""
    made = []
    for colour, offset, z in ((TITLE_SHADOW, (0.012, -0.012), -1.002), (TITLE_INK, (0, 0), -1.0)):
        curve = bpy.data.curves.new("title", "FONT")
        curve.body = text
        curve.font = font
        curve.align_x = "CENTER"
        curve.size = 0.1
        curve.bevel_depth = 0.002
        obj = bpy.data.objects.new("title", curve)
        obj.data.materials.append(va.colour_material("ink", tuple(int(c * 255) for c in colour), roughness=1))
        scene.collection.objects.link(obj)
        obj.parent = cam
        obj.location = (offset[0] * 0.5, 0.15 + offset[1] * 0.5, z * 0.5)
        made.append(obj)
    return made


def main():
    out, sheet_dir = va.arguments()
    timer = va.Timer("menus")
    scene = va.reset_scene()
    materials = gen_rooms.make_materials()
    arm, body, coats, names = build_cats()
    arm.hide_render = body.hide_render = True
    font = bpy.data.fonts.load(FONT)
    rooms = {}
    timer.step("scene pieces")
    va.setup_workbench(scene, *SIZE)
    va.sheet_world(scene, (0.55, 0.7, 0.9))
    scene.display.shading.show_cavity = True
    scene.display.shading.cavity_type = "WORLD"
    written = []
    sheet = va.Sheet(400, 300, 4)
    for picture, spec in SCENES.items():
        if spec["room"] not in rooms:
            rooms[spec["room"]] = build_room(spec["room"], materials)
        for name, room in rooms.items():
            room.hide_render = name != spec["room"]
        extras = []
        for cat in spec["cats"]:
            extras += place_cat(arm, body, coats, names, *cat)
        cam = va.camera_looking(scene, spec["eye"], spec["target"], lens=spec["lens"])
        extras.append(cam)
        path = os.path.join(out, picture, "background.tga")
        tmp = os.path.join(sheet_dir, "tmp_menu.png")
        rgba = va.render_to_array(scene, tmp)
        # the title in a pass of its own, so it casts no shadow into the room
        hidden = [o for o in scene.objects if not o.hide_render]
        for o in hidden:
            o.hide_render = True
        words = title(scene, cam, spec["title"], font)
        scene.render.film_transparent = True
        ink = va.render_to_array(scene, tmp).astype(np.float64)
        scene.render.film_transparent = False
        for o in hidden:
            o.hide_render = False
        extras += words
        a = ink[:, :, 3:4] / 255.0
        rgba = (rgba[:, :, :3] * (1 - a) + ink[:, :, :3] * a + 0.5).astype(np.uint8)
        rgba = np.concatenate([rgba, np.full(rgba.shape[:2] + (1,), 255, np.uint8)], axis=2)
        va.write_tga(path, rgba)
        written.append(os.path.relpath(path, out))
        sheet.add(rgba[::2, ::2])
        for obj in extras:
            bpy.data.objects.remove(obj)
        timer.step(picture)
    os.remove(os.path.join(sheet_dir, "tmp_menu.png"))
    written += buttons(scene, font, out, sheet_dir)
    timer.step("buttons")
    written += flat_faces(scene, font, out, sheet_dir)
    timer.step("dialog faces")
    os.makedirs(os.path.join(out, "menus"), exist_ok=True)
    with open(os.path.join(out, "menus", "list.txt"), "w") as f:
        f.write("\n".join(written) + "\n")
    sheet.save(os.path.join(sheet_dir, "menus.png"))
    timer.done()


if __name__ == "__main__":
    main()
