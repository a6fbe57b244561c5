#!/usr/bin/env python3
"""The .glb validator must refuse broken files: takes one good generated
model and one clip, breaks each in a way a faulty exporter could, and
expects a fault every time.

    test_check_glb.py FOLDER     exit 0 all refused, 1 one passed, 77 no files
"""
import json
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_glb  # noqa: E402


def split(data):
    size = struct.unpack_from("<I", data, 12)[0]
    return json.loads(data[20:20 + size]), data[20 + size:]


def join(doc, rest):
    text = json.dumps(doc).encode()
    text += b" " * (-len(text) % 4)
    body = struct.pack("<I4s", len(text), b"JSON") + text + rest
    return struct.pack("<4sII", b"glTF", 2, 12 + len(body)) + body


def edited(data, change):
    doc, rest = split(data)
    change(doc)
    return join(doc, rest)


def refused(data):
    try:
        glb = check_glb.Glb(data)
        glb.check_buffers()
        glb.check_nodes()
        glb.check_skins()
        glb.check_meshes()
        glb.check_animations()
    except (check_glb.Fault, ValueError, KeyError, TypeError, struct.error):
        return True
    return False


def main(folder):
    model = os.path.join(folder, "cat", "cat.glb")
    clip = os.path.join(folder, "cat", "anim", "walk.glb")
    if not (os.path.exists(model) and os.path.exists(clip)):
        print("no generated cat to break")
        return 77
    good_model, good_clip = open(model, "rb").read(), open(clip, "rb").read()
    assert not refused(good_model) and not refused(good_clip), "the good files must pass"

    def first_position(doc):
        return doc["meshes"][0]["primitives"][0]["attributes"]["POSITION"]

    cases = {
        "truncated": good_model[:len(good_model) // 2],
        "accessor past its view": edited(good_model, lambda d: d["accessors"][first_position(d)].update(count=10**6)),
        "view past its buffer": edited(good_model, lambda d: d["bufferViews"][0].update(byteLength=10**8)),
        "bind matrices short": edited(good_model, lambda d: d["skins"][0]["joints"].append(0)),
        "joint past the skin": edited(good_model, lambda d: d["skins"][0].update(
            joints=d["skins"][0]["joints"][:3], inverseBindMatrices=None) or d["skins"][0].pop("inverseBindMatrices")),
        "node cycle": edited(good_model, lambda d: d["nodes"][1].setdefault("children", []).append(0)),
        "sampler output count": edited(good_clip, lambda d: d["animations"][0]["samplers"][0].update(
            output=d["animations"][0]["samplers"][1]["input"])),
        "channel to no node": edited(good_clip, lambda d: d["animations"][0]["channels"][0]["target"].update(node=9999)),
    }
    passed = [name for name, data in cases.items() if not refused(data)]
    for name in passed:
        print("not refused: %s" % name)
    print("%d broken files, %d refused" % (len(cases), len(cases) - len(passed)))
    return 1 if passed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
