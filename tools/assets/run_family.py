#!/usr/bin/env python3
"""Runs one art generator in Blender unless its stamp says the output is
current.  The stamp holds a hash of the generator, the shared helper module
and the Blender version, so a second build generates nothing and a Blender
upgrade regenerates everything.

    run_family.py BLENDER GENERATOR OUTPUT_FOLDER SHEET_FOLDER STAMP

The generator writes into OUTPUT_FOLDER/<family>/, which is emptied first so
that files a generator no longer makes do not linger.
"""
import hashlib
import os
import re
import shutil
import subprocess
import sys
import time


def blender_environment(blender):
    """Blender takes its Python home from the first python3 on PATH; a
    version manager's interpreter there lacks the system numpy the glTF
    exporter needs, so Blender's own folder goes first."""
    env = {k: v for k, v in os.environ.items() if not k.startswith(("PYTHONHOME", "PYTHONPATH", "PYENV", "_PYENV"))}
    folder = os.path.dirname(os.path.realpath(blender))
    env["PATH"] = os.pathsep.join([folder] + [p for p in env.get("PATH", "").split(os.pathsep) if p != folder])
    return env


def key(blender, generator):
    digest = hashlib.sha256()
    here = os.path.dirname(os.path.abspath(__file__))
    # a generator that builds on another family's tables (import gen_x) is
    # keyed on that generator too
    with open(generator) as f:
        uses = re.findall(r"^import (gen_\w+)", f.read(), re.M)
    found = [os.path.join(d, u + ".py") for u in uses for d in (here, os.path.dirname(here))
             if os.path.exists(os.path.join(d, u + ".py"))]
    for path in [generator, os.path.join(here, "vornart.py")] + found:
        with open(path, "rb") as f:
            digest.update(f.read())
    version = subprocess.run([blender, "-b", "--factory-startup", "--version"], capture_output=True, text=True)
    digest.update(version.stdout.splitlines()[0].encode() if version.stdout else b"?")
    return digest.hexdigest()


def main():
    if len(sys.argv) != 6:
        sys.exit(__doc__)
    blender, generator, out, sheet, stamp = sys.argv[1:]
    family = os.path.splitext(os.path.basename(generator))[0].replace("gen_", "")
    want = key(blender, generator)
    try:
        with open(stamp) as f:
            if f.read().strip() == want and os.path.isdir(os.path.join(out, family)):
                print("%s: up to date" % family)
                return
    except OSError:
        pass
    shutil.rmtree(os.path.join(out, family), ignore_errors=True)
    os.makedirs(sheet, exist_ok=True)
    start = time.time()
    command = [blender, "-b", "--factory-startup", "-t", "1", "--python-exit-code", "1", "-P", generator, "--", out, sheet]
    run = subprocess.run(command, capture_output=True, text=True, env=blender_environment(blender))
    log = os.path.join(sheet, family + ".log")
    with open(log, "w") as f:
        f.write(run.stdout + run.stderr)
    for line in run.stdout.splitlines():
        if line.startswith("[%s]" % family):
            print(line)
    if run.returncode != 0:
        # the traceback is what the reader needs; the full log stays beside the sheet
        tail = [l for l in (run.stdout + run.stderr).splitlines() if "Draco" not in l][-25:]
        sys.exit("%s generator failed (log: %s):\n%s" % (family, log, "\n".join(tail)))
    with open(stamp, "w") as f:
        f.write(want + "\n")
    print("%s: generated in %.1f s" % (family, time.time() - start))


if __name__ == "__main__":
    main()
