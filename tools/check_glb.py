#!/usr/bin/env python3
"""Checks every .glb under a folder, independently of the engine's reader:
the binary container, buffer views and accessors inside their buffers,
index and joint values in range, skins and their inverse bind matrices,
the node tree, and animation samplers (rising key times, output counts and
types, unit quaternions, finite numbers).

    check_glb.py FOLDER        exit 0 all good, 1 faults found, 77 no files
    check_glb.py FILE.glb ...
"""
import json
import math
import os
import struct
import sys

COMPONENTS = {5120: ("b", 1), 5121: ("B", 1), 5122: ("h", 2), 5123: ("H", 2), 5125: ("I", 4), 5126: ("f", 4)}
TYPES = {"SCALAR": 1, "VEC2": 2, "VEC3": 3, "VEC4": 4, "MAT2": 4, "MAT3": 9, "MAT4": 16}
PATH_TYPES = {"translation": "VEC3", "rotation": "VEC4", "scale": "VEC3", "weights": "SCALAR"}


class Fault(Exception):
    pass


class Glb:
    def __init__(self, data):
        if len(data) < 20:
            raise Fault("shorter than a header")
        magic, version, length = struct.unpack_from("<4sII", data, 0)
        if magic != b"glTF" or version != 2:
            raise Fault("not a glTF 2 binary")
        if length != len(data):
            raise Fault("header length %d, file %d" % (length, len(data)))
        offset, chunks = 12, []
        while offset < length:
            if offset + 8 > length:
                raise Fault("chunk header past the end")
            size, kind = struct.unpack_from("<I4s", data, offset)
            if size % 4 or offset + 8 + size > length:
                raise Fault("chunk of %d bytes at %d does not fit or is not aligned" % (size, offset))
            chunks.append((kind, data[offset + 8:offset + 8 + size]))
            offset += 8 + size
        if not chunks or chunks[0][0] != b"JSON":
            raise Fault("first chunk is not JSON")
        self.doc = json.loads(chunks[0][1].decode("utf-8"))
        self.bin = chunks[1][1] if len(chunks) > 1 and chunks[1][0] == b"BIN\0" else b""

    def list(self, name):
        value = self.doc.get(name, [])
        if not isinstance(value, list):
            raise Fault("%s is not a list" % name)
        return value

    def index(self, name, i, what):
        if not isinstance(i, int) or not 0 <= i < len(self.list(name)):
            raise Fault("%s refers to %s %r of %d" % (what, name, i, len(self.list(name))))
        return self.list(name)[i]

    def check_buffers(self):
        for i, buf in enumerate(self.list("buffers")):
            if "uri" in buf:
                raise Fault("buffer %d points outside the file" % i)
            if i > 0 or buf.get("byteLength", 0) > len(self.bin):
                raise Fault("buffer %d (%s bytes) not held by the BIN chunk" % (i, buf.get("byteLength")))
        for i, view in enumerate(self.list("bufferViews")):
            buf = self.index("buffers", view.get("buffer"), "bufferView %d" % i)
            end = view.get("byteOffset", 0) + view.get("byteLength", 0)
            if end > buf["byteLength"]:
                raise Fault("bufferView %d ends at %d, past its buffer (%d)" % (i, end, buf["byteLength"]))

    def accessor(self, i, what):
        """The accessor's values as a list of tuples, after bounds checks."""
        acc = self.index("accessors", i, what)
        if acc.get("sparse"):
            raise Fault("accessor %d is sparse" % i)
        if acc.get("componentType") not in COMPONENTS or acc.get("type") not in TYPES:
            raise Fault("accessor %d has an unknown component or type" % i)
        fmt, size = COMPONENTS[acc["componentType"]]
        width = TYPES[acc["type"]]
        count = acc.get("count", 0)
        if count < 1:
            raise Fault("accessor %d is empty" % i)
        view = self.index("bufferViews", acc.get("bufferView"), "accessor %d" % i)
        stride = view.get("byteStride", size * width)
        start = view.get("byteOffset", 0) + acc.get("byteOffset", 0)
        end = start + stride * (count - 1) + size * width
        if end > view.get("byteOffset", 0) + view["byteLength"]:
            raise Fault("accessor %d reads past its bufferView" % i)
        values = [struct.unpack_from("<%d%s" % (width, fmt), self.bin, start + k * stride) for k in range(count)]
        if fmt == "f" and any(not math.isfinite(v) for t in values for v in t):
            raise Fault("accessor %d holds a NaN or infinity" % i)
        return acc, values

    def check_nodes(self):
        nodes = self.list("nodes")
        parent = {}
        for i, node in enumerate(nodes):
            for c in node.get("children", []):
                self.index("nodes", c, "node %d" % i)
                if c in parent:
                    raise Fault("node %d has two parents" % c)
                parent[c] = i
        for i in range(len(nodes)):
            seen, n = set(), i
            while n in parent:
                if n in seen:
                    raise Fault("node %d is in a cycle" % i)
                seen.add(n)
                n = parent[n]
        for s in self.list("scenes"):
            for n in s.get("nodes", []):
                self.index("nodes", n, "scene")

    def check_skins(self):
        for i, skin in enumerate(self.list("skins")):
            joints = skin.get("joints", [])
            if not joints:
                raise Fault("skin %d has no joints" % i)
            for j in joints:
                self.index("nodes", j, "skin %d" % i)
            if "inverseBindMatrices" in skin:
                acc, mats = self.accessor(skin["inverseBindMatrices"], "skin %d" % i)
                if acc["type"] != "MAT4" or len(mats) != len(joints):
                    raise Fault("skin %d: %d inverse bind matrices for %d joints" % (i, len(mats), len(joints)))
                for k, m in enumerate(mats):
                    if max(abs(m[3]), abs(m[7]), abs(m[11]), abs(m[15] - 1)) > 1e-4:
                        raise Fault("skin %d: inverse bind matrix %d is not affine" % (i, k))

    def check_meshes(self):
        joint_counts = {}
        for node in self.list("nodes"):
            if "mesh" in node:
                self.index("meshes", node["mesh"], "node")
                if "skin" in node:
                    skin = self.index("skins", node["skin"], "node")
                    joint_counts[node["mesh"]] = len(skin["joints"])
        for m, mesh in enumerate(self.list("meshes")):
            for p, prim in enumerate(mesh.get("primitives", [])):
                what = "mesh %d primitive %d" % (m, p)
                attrs = prim.get("attributes", {})
                if "POSITION" not in attrs:
                    raise Fault(what + " has no positions")
                acc, pos = self.accessor(attrs["POSITION"], what)
                if "min" not in acc or "max" not in acc:
                    raise Fault(what + ": positions lack min/max")
                vertices = len(pos)
                for name, a in attrs.items():
                    if self.index("accessors", a, what)["count"] != vertices:
                        raise Fault("%s: %s count differs from POSITION" % (what, name))
                if "indices" in prim:
                    _, idx = self.accessor(prim["indices"], what)
                    if len(idx) % 3:
                        raise Fault(what + ": index count is not a multiple of 3")
                    if max(v[0] for v in idx) >= vertices:
                        raise Fault(what + ": index past the vertices")
                if "JOINTS_0" in attrs:
                    if "WEIGHTS_0" not in attrs:
                        raise Fault(what + ": joints without weights")
                    _, joints = self.accessor(attrs["JOINTS_0"], what)
                    _, weights = self.accessor(attrs["WEIGHTS_0"], what)
                    limit = joint_counts.get(m)
                    if limit is None:
                        raise Fault(what + ": skinned mesh on a node without a skin")
                    for jv, wv in zip(joints, weights):
                        if any(j >= limit for j, w in zip(jv, wv) if w > 0):
                            raise Fault(what + ": joint index past the skin")
                        if abs(sum(wv) - 1) > 0.01:
                            raise Fault(what + ": weights sum to %.3f" % sum(wv))
                if "material" in prim:
                    self.index("materials", prim["material"], what)
        for i, tex in enumerate(self.list("textures")):
            if "source" in tex:
                img = self.index("images", tex["source"], "texture %d" % i)
                if "bufferView" in img:
                    self.index("bufferViews", img["bufferView"], "image")

    def check_animations(self):
        for a, anim in enumerate(self.list("animations")):
            samplers = anim.get("samplers", [])
            if not anim.get("channels"):
                raise Fault("animation %d has no channels" % a)
            for c, ch in enumerate(anim["channels"]):
                what = "animation %d channel %d" % (a, c)
                if not isinstance(ch.get("sampler"), int) or not 0 <= ch["sampler"] < len(samplers):
                    raise Fault(what + ": no such sampler")
                target = ch.get("target", {})
                self.index("nodes", target.get("node"), what)
                path = target.get("path")
                if path not in PATH_TYPES:
                    raise Fault(what + ": unknown path %r" % path)
                s = samplers[ch["sampler"]]
                acc_in, times = self.accessor(s.get("input"), what)
                acc_out, values = self.accessor(s.get("output"), what)
                if acc_in["type"] != "SCALAR" or acc_in["componentType"] != 5126:
                    raise Fault(what + ": key times are not floats")
                flat = [t[0] for t in times]
                if any(b <= a_ for a_, b in zip(flat, flat[1:])) or flat[0] < 0:
                    raise Fault(what + ": key times do not rise")
                per_key = 3 if s.get("interpolation") == "CUBICSPLINE" else 1
                if acc_out["type"] != PATH_TYPES[path] or len(values) != len(times) * per_key:
                    raise Fault(what + ": %d %s outputs for %d keys" % (len(values), acc_out["type"], len(times)))
                if path == "rotation":
                    for q in values:
                        if abs(math.sqrt(sum(v * v for v in q)) - 1) > 1e-3:
                            raise Fault(what + ": rotation is not a unit quaternion")


def check(path):
    with open(path, "rb") as f:
        glb = Glb(f.read())
    glb.check_buffers()
    glb.check_nodes()
    glb.check_skins()
    glb.check_meshes()
    glb.check_animations()
    if not glb.list("meshes") and not glb.list("animations"):
        raise Fault("holds neither a mesh nor an animation")


def main(args):
    files = []
    for arg in args:
        if os.path.isdir(arg):
            for root, _, names in os.walk(arg):
                files += [os.path.join(root, n) for n in names if n.lower().endswith(".glb")]
        else:
            files.append(arg)
    if not files:
        print("no .glb files to check")
        return 77
    faults = 0
    for path in sorted(files):
        try:
            check(path)
        except (Fault, ValueError, KeyError, TypeError, struct.error) as e:
            print("%s: %s" % (path, e))
            faults += 1
    print("%d files checked, %d with faults" % (len(files), faults))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
