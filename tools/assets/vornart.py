"""Shared pieces of the art generators: scene reset, lofted tubes with their
own UV islands, mesh checks, glTF export, TGA writing and Workbench renders
for the contact sheet.

Runs inside Blender 3.4 (bpy, mathutils, numpy).  Every generator is started
as  blender -b --factory-startup -t 1 --python-exit-code 1 -P gen.py -- OUT SHEET
and calls `arguments()` to read the two folders.
"""
import math
import os
import struct
import sys
import time

import bpy
import numpy as np
from mathutils import Vector

FPS = 30


class ArtError(Exception):
    """A generator refused its own output."""


def arguments():
    argv = sys.argv[sys.argv.index("--") + 1:] if "--" in sys.argv else []
    if len(argv) < 2:
        raise ArtError("usage: blender ... -P gen.py -- OUTPUT_FOLDER SHEET_FOLDER")
    return os.path.abspath(argv[0]), os.path.abspath(argv[1])


class Timer:
    """Prints how long each step of a generator took, so slow steps show."""

    def __init__(self, family):
        self.family = family
        self.start = self.last = time.time()

    def step(self, what):
        now = time.time()
        print("[%s] %-28s %6.2f s" % (self.family, what, now - self.last), flush=True)
        self.last = now

    def done(self):
        print("[%s] total %.2f s" % (self.family, time.time() - self.start), flush=True)


def reset_scene():
    bpy.ops.wm.read_factory_settings(use_empty=True)
    scene = bpy.context.scene
    scene.render.fps = FPS
    scene.frame_start = 0
    return scene


# ---------------------------------------------------------------- maths

def catmull_rom(points, samples):
    """Smooth curve through `points` (n x k) sampled at parameters in [0, 1]."""
    points = np.asarray(points, dtype=float)
    n = len(points)
    if n == 1:
        return np.repeat(points, len(samples), axis=0)
    padded = np.vstack([2 * points[0] - points[1], points, 2 * points[-1] - points[-2]])
    s = np.clip(np.asarray(samples, dtype=float), 0, 1) * (n - 1)
    i = np.minimum(s.astype(int), n - 2)
    f = (s - i)[:, None]
    p0, p1, p2, p3 = padded[i], padded[i + 1], padded[i + 2], padded[i + 3]
    return 0.5 * ((2 * p1) + (-p0 + p2) * f + (2 * p0 - 5 * p1 + 4 * p2 - p3) * f * f
                  + (-p0 + 3 * p1 - 3 * p2 + p3) * f * f * f)


def normalise(v):
    v = np.asarray(v, dtype=float)
    length = np.linalg.norm(v, axis=-1, keepdims=True)
    return v / np.maximum(length, 1e-12)


# ---------------------------------------------------------------- tubes

class Tube:
    """A closed, lofted tube: a centre line through control points with an
    elliptical section (rx across, rz along the section's second axis) and
    rounded caps at both ends.  Rings run along the tube, `segments` around
    it; the UV seam runs along the side given by `seam` (angle 0)."""

    def __init__(self, name, points, radii, rings, segments, caps=(1.0, 1.0), side=(1, 0, 0), seam_down=True,
                 squash=None):
        self.name = name
        self.points = np.asarray(points, dtype=float)
        self.radii = np.asarray(radii, dtype=float)
        self.rings = rings
        self.segments = segments
        self.caps = caps
        self.side = np.asarray(side, dtype=float)
        self.seam_down = seam_down
        self.squash = squash   # optional f(t, angle) -> radius factor
        self.island = (0.0, 0.0, 1.0, 1.0)

    def _frames(self, t):
        centre = catmull_rom(self.points, t)
        eps = 1e-3
        ahead = catmull_rom(self.points, np.clip(t + eps, 0, 1))
        behind = catmull_rom(self.points, np.clip(t - eps, 0, 1))
        tangent = normalise(ahead - behind)
        side = normalise(self.side - (tangent @ self.side)[:, None] * tangent)
        up = np.cross(tangent, side)
        return centre, tangent, side, up

    def surface(self, t, angle):
        """Positions and normals (approximate) for parameter arrays of equal
        shape: t along, angle around.  t below 0 / above 1 are the caps."""
        t = np.asarray(t, dtype=float)
        angle = np.asarray(angle, dtype=float)
        shape = t.shape
        t = t.ravel()
        angle = angle.ravel()
        tc = np.clip(t, 0, 1)
        centre, tangent, side, up = self._frames(tc)
        radius = catmull_rom(self.radii, tc)
        # caps: extend past the ends along the tangent, radius on an ellipse
        reach = np.zeros_like(t)
        factor = np.ones_like(t)
        before = t < 0
        after = t > 1
        r0 = self.radii[0].min() * self.caps[0]
        r1 = self.radii[-1].min() * self.caps[1]
        if before.any():
            s = np.clip(-t[before], 0, 1)
            reach[before] = -r0 * np.sin(s * math.pi / 2)
            factor[before] = np.cos(s * math.pi / 2)
        if after.any():
            s = np.clip(t[after] - 1, 0, 1)
            reach[after] = r1 * np.sin(s * math.pi / 2)
            factor[after] = np.cos(s * math.pi / 2)
        if self.squash is not None:
            factor = factor * self.squash(tc, angle)
        sin_a, cos_a = np.sin(angle), np.cos(angle)
        sign = -1.0 if self.seam_down else 1.0
        off_side = (radius[:, 0] * factor * sin_a)[:, None] * side
        off_up = (sign * radius[:, 1] * factor * cos_a)[:, None] * up
        position = centre + tangent * reach[:, None] + off_side + off_up
        normal = normalise((sin_a / np.maximum(radius[:, 0], 1e-6))[:, None] * side
                           + (sign * cos_a / np.maximum(radius[:, 1], 1e-6))[:, None] * up
                           + tangent * (np.sign(reach) * (1 - factor))[:, None])
        return position.reshape(shape + (3,)), normal.reshape(shape + (3,))

    def length(self):
        c = catmull_rom(self.points, np.linspace(0, 1, 64))
        return float(np.linalg.norm(np.diff(c, axis=0), axis=1).sum())

    def girth(self):
        r = self.radii.mean(axis=0)
        return float(math.pi * (r[0] + r[1]))

    def ring_parameters(self):
        """t per ring: cap rings squeezed into [-1, 0) and (1, 2], body in [0, 1]."""
        cap_rings = max(2, self.rings // 8)
        body = np.linspace(0, 1, self.rings - 2 * cap_rings)
        lead = np.linspace(-1, 0, cap_rings + 2)[1:-1]
        tail = np.linspace(1, 2, cap_rings + 2)[1:-1]
        return np.concatenate([lead, body, tail])

    def build(self):
        """Vertices, faces (as index lists) and per-face-corner UVs (island
        space 0..1) of the closed tube."""
        ts = self.ring_parameters()
        angles = np.linspace(0, 2 * math.pi, self.segments, endpoint=False)
        tt, aa = np.meshgrid(ts, angles, indexing="ij")
        ring_pos, _ = self.surface(tt, aa)
        start, _ = self.surface(np.array([-1.0]), np.array([0.0]))
        end, _ = self.surface(np.array([2.0]), np.array([0.0]))
        verts = np.vstack([start.reshape(1, 3), ring_pos.reshape(-1, 3), end.reshape(1, 3)])
        seg = self.segments
        faces, uvs = [], []

        def uv(ring, s):
            tpar = -1.0 if ring < 0 else (2.0 if ring >= len(ts) else ts[ring])
            return ((s / seg), (tpar + 1.0) / 3.0)

        def vid(ring, s):
            return 1 + ring * seg + (s % seg)

        last = 1 + len(ts) * seg
        for s in range(seg):
            faces.append((0, vid(0, s + 1), vid(0, s)))
            uvs.append((((s + 0.5) / seg, 0.0), uv(0, s + 1), uv(0, s)))
        for ring in range(len(ts) - 1):
            for s in range(seg):
                faces.append((vid(ring, s), vid(ring, s + 1), vid(ring + 1, s + 1), vid(ring + 1, s)))
                uvs.append((uv(ring, s), uv(ring, s + 1), uv(ring + 1, s + 1), uv(ring + 1, s)))
        r = len(ts) - 1
        for s in range(seg):
            faces.append((vid(r, s), vid(r, s + 1), last))
            uvs.append((uv(r, s), uv(r, s + 1), ((s + 0.5) / seg, 1.0)))
        return verts, faces, uvs

    def texel_surface(self, width, height):
        """3D positions and normals for every texel of this tube's island in
        an atlas of width x height, plus the texel rectangle and the island's
        (t, angle) grids."""
        u0, v0, u1, v1 = self.island
        x0, x1 = int(round(u0 * width)), int(round(u1 * width))
        y0, y1 = int(round(v0 * height)), int(round(v1 * height))
        xs = (np.arange(x0, x1) + 0.5) / width
        ys = (np.arange(y0, y1) + 0.5) / height
        su = (xs - u0) / (u1 - u0)
        sv = (ys - v0) / (v1 - v0)
        t = sv * 3.0 - 1.0
        angle = su * 2 * math.pi
        tt, aa = np.meshgrid(t, angle, indexing="ij")
        pos, nrm = self.surface(tt, aa)
        return (x0, y0, x1, y1), pos, nrm, tt, aa


def pack_islands(tubes, weights=None, margin=4, size=512):
    """Shelf-packs one island per tube into the unit square, island sizes in
    proportion to girth x length (times a per-tube weight), then scales the
    whole layout up until the atlas is as full as the shelves allow."""
    weights = weights or {}
    dims = []
    for tube in tubes:
        k = weights.get(tube.name, 1.0)
        w = tube.girth() * k
        h = (tube.length() + tube.radii[0].min() * tube.caps[0] + tube.radii[-1].min() * tube.caps[1]) * k
        dims.append((w, h))
    order = sorted(range(len(tubes)), key=lambda i: -dims[i][1])
    m = margin / size

    def layout(scale):
        x = y = shelf = 0.0
        placed = {}
        for i in order:
            w, h = dims[i][0] * scale, dims[i][1] * scale
            if w + 2 * m > 1:
                return None
            if x + w + 2 * m > 1:
                x, y = 0.0, y + shelf
                shelf = 0.0
            placed[i] = (x + m, y + m, x + m + w, y + m + h)
            x += w + 2 * m
            shelf = max(shelf, h + 2 * m)
        return placed if y + shelf <= 1 else None

    lo, hi = 0.01, 100.0
    best = None
    for _ in range(40):
        mid = (lo + hi) / 2
        placed = layout(mid)
        if placed:
            best, lo = placed, mid
        else:
            hi = mid
    if best is None:
        raise ArtError("UV islands do not fit")
    for i, tube in enumerate(tubes):
        tube.island = best[i]
    used = sum((r[2] - r[0]) * (r[3] - r[1]) for r in best.values())
    return used


def mesh_from_parts(name, parts, uv_name="UVMap"):
    """One Blender mesh object from several (verts, faces, uvs, island) parts;
    UVs are mapped from island space into the atlas.  Returns the object and
    the vertex range of each part."""
    all_verts, all_faces, all_uvs, ranges = [], [], [], []
    base = 0
    for verts, faces, uvs, island in parts:
        u0, v0, u1, v1 = island
        all_verts.append(verts)
        for f, fu in zip(faces, uvs):
            all_faces.append(tuple(i + base for i in f))
            all_uvs.append([(u0 + (u1 - u0) * a, v0 + (v1 - v0) * b) for a, b in fu])
        ranges.append((base, base + len(verts)))
        base += len(verts)
    verts = np.vstack(all_verts)
    mesh = bpy.data.meshes.new(name)
    mesh.from_pydata([tuple(v) for v in verts], [], all_faces)
    layer = mesh.uv_layers.new(name=uv_name)
    flat = [c for f in all_uvs for uv in f for c in (uv[0], 1.0 - uv[1])]
    layer.data.foreach_set("uv", flat)
    mesh.update()
    for poly in mesh.polygons:
        poly.use_smooth = True
    obj = bpy.data.objects.new(name, mesh)
    bpy.context.scene.collection.objects.link(obj)
    return obj, ranges


# ---------------------------------------------------------------- checks

def check_closed(obj):
    """Every edge of the mesh borders exactly two faces."""
    mesh = obj.data
    counts = {}
    for poly in mesh.polygons:
        keys = poly.edge_keys
        for k in keys:
            counts[k] = counts.get(k, 0) + 1
    bad = [k for k, c in counts.items() if c != 2]
    if bad:
        raise ArtError("%s: %d edges are not shared by exactly two faces" % (obj.name, len(bad)))


def triangle_count(obj):
    return sum(len(p.vertices) - 2 for p in obj.data.polygons)


def check_weights(obj, bone_names, most=4):
    groups = {g.index: g.name for g in obj.vertex_groups}
    for v in obj.data.vertices:
        live = [g for g in v.groups if g.weight > 1e-4]
        if not live:
            raise ArtError("%s: vertex %d has no bone weight" % (obj.name, v.index))
        if len(live) > most:
            raise ArtError("%s: vertex %d follows %d bones" % (obj.name, v.index, len(live)))
        for g in live:
            if groups[g.group] not in bone_names:
                raise ArtError("%s: weight on unknown bone %s" % (obj.name, groups[g.group]))


# ---------------------------------------------------------------- export

def select_only(objects):
    for o in bpy.context.scene.objects:
        o.select_set(False)
    for o in objects:
        o.select_set(True)
    if objects:
        bpy.context.view_layer.objects.active = objects[0]


def export_model(path, objects, skins=True):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    select_only(objects)
    bpy.ops.export_scene.gltf(filepath=path, export_format="GLB", use_selection=True, export_yup=True,
                              export_skins=skins, export_all_influences=False, export_animations=False,
                              export_apply=True, export_materials="EXPORT", export_image_format="AUTO",
                              export_extras=False, export_cameras=False, export_lights=False)


def export_clip(path, armature, action, name):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    armature.animation_data.action = action
    start, end = action.frame_range
    bpy.context.scene.frame_start = int(start)
    bpy.context.scene.frame_end = int(end)
    select_only([armature])
    bpy.ops.export_scene.gltf(filepath=path, export_format="GLB", use_selection=True, export_yup=True,
                              export_skins=True, export_animations=True, export_anim_single_armature=False,
                              export_nla_strips=False, export_nla_strips_merged_animation_name=name,
                              export_force_sampling=True, export_frame_range=False, export_def_bones=False,
                              export_materials="NONE", export_cameras=False, export_lights=False)


def write_tga(path, rgba):
    """Uncompressed 32-bit TGA, top-left origin, from an (h, w, 4) uint8 array
    whose first row is the top of the picture."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    h, w = rgba.shape[:2]
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, w, h, 32, 0x28)
    bgra = rgba[:, :, [2, 1, 0, 3]].astype(np.uint8)
    with open(path, "wb") as f:
        f.write(header)
        f.write(bgra.tobytes())


def image_from_array(name, rgba):
    """A Blender image holding an (h, w, 4) uint8 array (first row = top),
    packed so the exporter embeds it as PNG."""
    h, w = rgba.shape[:2]
    image = bpy.data.images.new(name, w, h, alpha=True)
    image.pixels.foreach_set((rgba[::-1].astype(np.float32) / 255.0).ravel())
    image.pack()
    return image


def textured_material(name, image, roughness=0.8):
    mat = bpy.data.materials.new(name)
    mat.use_nodes = True
    nodes = mat.node_tree.nodes
    bsdf = nodes["Principled BSDF"]
    bsdf.inputs["Roughness"].default_value = roughness
    tex = nodes.new("ShaderNodeTexImage")
    tex.image = image
    mat.node_tree.links.new(tex.outputs["Color"], bsdf.inputs["Base Color"])
    mat.use_backface_culling = True
    return mat


def colour_material(name, rgb, roughness=0.7):
    mat = bpy.data.materials.new(name)
    mat.use_nodes = True
    bsdf = mat.node_tree.nodes["Principled BSDF"]
    # colours are written as sRGB; Blender's material colours are linear
    linear = [(c / 255.0) ** 2.2 for c in rgb]
    bsdf.inputs["Base Color"].default_value = (*linear, 1)
    bsdf.inputs["Roughness"].default_value = roughness
    mat.diffuse_color = (*linear, 1)
    mat.use_backface_culling = True
    return mat


# ---------------------------------------------------------------- renders

def setup_workbench(scene, width, height, textured=True, transparent=False):
    scene.render.engine = "BLENDER_WORKBENCH"
    scene.render.resolution_x = width
    scene.render.resolution_y = height
    scene.render.resolution_percentage = 100
    scene.render.film_transparent = transparent
    scene.view_settings.view_transform = "Standard"
    scene.view_settings.exposure = 0.6   # the studio light alone leaves colours dull
    shading = scene.display.shading
    shading.light = "STUDIO"
    shading.color_type = "TEXTURE" if textured else "MATERIAL"
    shading.show_shadows = True
    shading.show_cavity = False
    scene.display.render_aa = "FXAA"
    scene.render.image_settings.file_format = "PNG"
    scene.render.image_settings.color_mode = "RGBA"


def sheet_world(scene, colour=(0.32, 0.34, 0.36)):
    world = bpy.data.worlds.new("sheet")
    world.color = colour
    scene.world = world


def camera_looking(scene, location, target, lens=50, ortho=None):
    cam_data = bpy.data.cameras.new("camera")
    cam_data.lens = lens
    if ortho:
        cam_data.type = "ORTHO"
        cam_data.ortho_scale = ortho
    cam_data.clip_start = 0.01
    cam_data.clip_end = 200
    cam = bpy.data.objects.new("camera", cam_data)
    scene.collection.objects.link(cam)
    cam.location = location
    direction = Vector(target) - Vector(location)
    cam.rotation_euler = direction.to_track_quat("-Z", "Y").to_euler()
    scene.camera = cam
    return cam


def render_to_array(scene, path):
    scene.render.filepath = path
    bpy.ops.render.render(write_still=True)
    image = bpy.data.images.load(path)
    w, h = image.size
    pixels = np.empty(w * h * 4, dtype=np.float32)
    image.pixels.foreach_get(pixels)
    bpy.data.images.remove(image)
    return (np.clip(pixels.reshape(h, w, 4)[::-1], 0, 1) * 255 + 0.5).astype(np.uint8)


class Sheet:
    """The contact sheet of one family: labelled tiles in a grid, written as
    one PNG under the build folder."""

    def __init__(self, tile_w, tile_h, columns):
        self.tile_w, self.tile_h, self.columns = tile_w, tile_h, columns
        self.tiles = []

    def add(self, rgba):
        tile = np.zeros((self.tile_h, self.tile_w, 4), dtype=np.uint8)
        h, w = min(self.tile_h, rgba.shape[0]), min(self.tile_w, rgba.shape[1])
        tile[:h, :w] = rgba[:h, :w]
        tile[:, :, 3] = 255
        self.tiles.append(tile)

    def save(self, path):
        if not self.tiles:
            return
        rows = (len(self.tiles) + self.columns - 1) // self.columns
        sheet = np.full((rows * self.tile_h, self.columns * self.tile_w, 4), 40, dtype=np.uint8)
        sheet[:, :, 3] = 255
        for i, tile in enumerate(self.tiles):
            r, c = divmod(i, self.columns)
            sheet[r * self.tile_h:(r + 1) * self.tile_h, c * self.tile_w:(c + 1) * self.tile_w] = tile
        h, w = sheet.shape[:2]
        image = bpy.data.images.new("sheet", w, h, alpha=True)
        image.pixels.foreach_set((sheet[::-1].astype(np.float32) / 255.0).ravel())
        os.makedirs(os.path.dirname(path), exist_ok=True)
        image.filepath_raw = path
        image.file_format = "PNG"
        image.save()


# ---------------------------------------------------------------- hard surfaces

class Builder:
    """Collects closed boxes, cylinders and tubes into one mesh with one
    material slot per named material.  UVs of boxes and cylinders are world
    metres divided by the material's tile size, so tiling textures keep their
    scale on every piece."""

    def __init__(self, materials):
        self.materials = materials          # name -> (blender material, tile metres)
        self.slots = {}
        self.verts, self.faces, self.uvs, self.mats, self.smooth = [], [], [], [], []

    def _slot(self, material):
        if material not in self.slots:
            self.slots[material] = len(self.slots)
        return self.slots[material]

    def _add(self, verts, faces, uvs, material, smooth=False):
        base = len(self.verts)
        self.verts.extend(tuple(float(c) for c in v) for v in verts)
        slot = self._slot(material)
        for f, fu in zip(faces, uvs):
            self.faces.append(tuple(base + i for i in f))
            self.uvs.append(fu)
            self.mats.append(slot)
            self.smooth.append(smooth)

    def box(self, centre, size, material, rotate=0.0):
        """An axis box (turned `rotate` degrees about Z around its centre)."""
        cx, cy, cz = centre
        hx, hy, hz = (s / 2 for s in size)
        tile = self.materials[material][1]
        c, s = math.cos(math.radians(rotate)), math.sin(math.radians(rotate))
        corners = []
        for z in (-hz, hz):
            for y in (-hy, hy):
                for x in (-hx, hx):
                    corners.append((cx + x * c - y * s, cy + x * s + y * c, cz + z))
        local = [(x, y, z) for z in (-hz, hz) for y in (-hy, hy) for x in (-hx, hx)]
        quads = [(0, 2, 3, 1), (4, 5, 7, 6), (0, 1, 5, 4), (2, 6, 7, 3), (0, 4, 6, 2), (1, 3, 7, 5)]
        axes = [(0, 1), (0, 1), (0, 2), (0, 2), (1, 2), (1, 2)]
        uvs = []
        for q, (a, b) in zip(quads, axes):
            uvs.append([((local[i][a] + (cx if a == 0 else cy if a == 1 else cz)) / tile,
                         (local[i][b] + (cx if b == 0 else cy if b == 1 else cz)) / tile) for i in q])
        self._add(corners, quads, uvs, material)

    def cylinder(self, base, radius, height, material, segments=16, top_radius=None):
        """An upright closed cylinder (or cone frustum) standing on `base`."""
        top_radius = radius if top_radius is None else top_radius
        bx, by, bz = base
        tile = self.materials[material][1]
        verts = []
        for z, r in ((bz, radius), (bz + height, top_radius)):
            for k in range(segments):
                a = 2 * math.pi * k / segments
                verts.append((bx + r * math.cos(a), by + r * math.sin(a), z))
        verts.append((bx, by, bz))
        verts.append((bx, by, bz + height))
        faces, uvs = [], []
        n = segments
        circumference = 2 * math.pi * max(radius, top_radius)
        for k in range(n):
            k2 = (k + 1) % n
            faces.append((k, k2, n + k2, n + k))
            u0, u1 = k / n * circumference / tile, (k + 1) / n * circumference / tile
            uvs.append([(u0, bz / tile), (u1, bz / tile), (u1, (bz + height) / tile), (u0, (bz + height) / tile)])
            faces.append((2 * n, k2, k))
            uvs.append([(bx / tile, by / tile)] + [((verts[i][0]) / tile, verts[i][1] / tile) for i in (k2, k)])
            faces.append((2 * n + 1, n + k, n + k2))
            uvs.append([(bx / tile, by / tile)] + [((verts[i][0]) / tile, verts[i][1] / tile) for i in (n + k, n + k2)])
        self._add(verts, faces, uvs, material)

    def tube(self, tube, material):
        """A lofted Tube, its UVs spread over the tile."""
        verts, faces, uvs = tube.build()
        tile = self.materials[material][1]
        scale = (tube.girth() / tile, (tube.length() + 0.1) / tile)
        self._add(verts, faces, [[(u * scale[0], v * scale[1]) for u, v in f] for f in uvs], material, smooth=True)

    def blob(self, centre, radii, material, rings=10, segments=14):
        """A closed ellipsoid-like lump (a short tube with round caps)."""
        cx, cy, cz = centre
        rx, ry, rz = radii
        t = Tube("blob", [(cx, cy - ry * 0.01, cz), (cx, cy + ry * 0.01, cz)], [(rx, rz), (rx, rz)], rings, segments,
                 caps=(ry / min(rx, rz), ry / min(rx, rz)))
        self.tube(t, material)

    def finish(self, name):
        mesh = bpy.data.meshes.new(name)
        mesh.from_pydata(self.verts, [], self.faces)
        layer = mesh.uv_layers.new(name="UVMap")
        layer.data.foreach_set("uv", [c for f in self.uvs for uv in f for c in uv])
        mesh.polygons.foreach_set("material_index", self.mats)
        mesh.polygons.foreach_set("use_smooth", self.smooth)
        for material in sorted(self.slots, key=self.slots.get):
            mesh.materials.append(self.materials[material][0])
        mesh.update()
        obj = bpy.data.objects.new(name, mesh)
        bpy.context.scene.collection.objects.link(obj)
        return obj


def texture(name, rgba, tile, roughness=0.8):
    """A material showing a tiling picture that covers `tile` metres."""
    return textured_material(name, image_from_array(name, rgba), roughness), tile


def value_noise(size, cells, seed):
    """Smooth tiling noise in 0..1 on a size x size grid."""
    rng = np.random.default_rng(seed)
    grid = rng.random((cells, cells))
    coords = np.arange(size) * cells / size
    i = coords.astype(int)
    f = coords - i
    f = f * f * (3 - 2 * f)
    j = (i + 1) % cells
    a = grid[i][:, i] * (1 - f)[None, :] + grid[i][:, j] * f[None, :]
    b = grid[j][:, i] * (1 - f)[None, :] + grid[j][:, j] * f[None, :]
    return a * (1 - f)[:, None] + b * f[:, None]


def fractal(size, seed, octaves=4, cells=4):
    out = np.zeros((size, size))
    amp, total = 1.0, 0.0
    for o in range(octaves):
        out += amp * value_noise(size, cells * 2 ** o, seed + o)
        total += amp
        amp *= 0.5
    return out / total


def rgba_from(colour_a, colour_b, t):
    t = np.clip(t, 0, 1)[..., None]
    rgb = np.asarray(colour_a, float) * (1 - t) + np.asarray(colour_b, float) * t
    out = np.empty(t.shape[:2] + (4,), dtype=np.uint8)
    out[..., :3] = np.clip(rgb, 0, 255)
    out[..., 3] = 255
    return out
