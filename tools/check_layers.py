#!/usr/bin/env python3
"""Fails when a file under src/ includes a header of a higher layer.

The layer order is read from cmake/Layers.cmake, where the build declares it.
A file's layer is the first folder of its path under src/ (game/world and
game/screens belong to game); files directly in src/ (the executables'
entry points) may include anything.  Includes are the quoted ones, written
from src/ ("display/CxSprite.h"); a quoted include without a folder names a
file beside the includer.
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def read_layers(root):
    text = open(os.path.join(root, "cmake", "Layers.cmake"), encoding="utf-8").read()
    match = re.search(r"set\(\s*VORN_LAYERS\s+([^)]*)\)", text)
    if not match:
        sys.exit("cmake/Layers.cmake: no set(VORN_LAYERS ...)")
    return match.group(1).split()


def violations(root, layers):
    rank = {name: i for i, name in enumerate(layers)}
    src = os.path.join(root, "src")
    for folder, _, files in os.walk(src):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp", ".inc")):
                continue
            path = os.path.relpath(os.path.join(folder, name), src)
            if "/" not in path:
                continue
            own = path.split("/")[0]
            if own not in rank:
                yield f"src/{path}: folder '{own}' is not a declared layer"
                continue
            with open(os.path.join(folder, name), encoding="utf-8", errors="replace") as f:
                for number, line in enumerate(f, 1):
                    match = INCLUDE.match(line)
                    if not match or "/" not in match.group(1):
                        continue
                    target = match.group(1).split("/")[0]
                    if target in rank and rank[target] > rank[own]:
                        yield (f"src/{path}:{number}: {own} includes {match.group(1)} "
                               f"of the higher layer {target}")


def self_test():
    """The checker itself must see an upward include and pass a downward one."""
    import tempfile
    with tempfile.TemporaryDirectory() as root:
        os.makedirs(os.path.join(root, "cmake"))
        with open(os.path.join(root, "cmake", "Layers.cmake"), "w") as f:
            f.write("set(VORN_LAYERS low high)\n")
        for folder, text in (("low", '#include "high/B.h"\n#include "low/A.h"\n'),
                             ("high", '#include "low/A.h"\n#include "Local.h"\n')):
            os.makedirs(os.path.join(root, "src", folder))
            with open(os.path.join(root, "src", folder, "X.cpp"), "w") as f:
                f.write(text)
        found = list(violations(root, read_layers(root)))
        if len(found) != 1 or "src/low/X.cpp:1" not in found[0]:
            sys.exit(f"self-test failed: {found}")


def main():
    self_test()
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    layers = read_layers(root)
    found = list(violations(root, layers))
    for line in found:
        print(line)
    print(f"{len(found)} upward include(s) across layers {' < '.join(layers)}")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
