"""The cat: one skeleton and one skinned mesh for every breed, a coat texture
per breed, and one .glb per clip holding only the animation.

Outputs (under OUTPUT/cat/):
  cat.glb                 skinned model, first breed's coat embedded
  cat_<Breed>.tga         coat textures, 512 x 512, 32-bit
  anim/<clip>.glb         one clip each, skeleton nodes only
  clips.ini               clip lengths and whether they loop

Blender axes here: +X is the cat's left, -Y its front, +Z up (the exporter
turns that into glTF's +Y up, front +Z).  Bones are rolled so that every
bone's local X is the cat's left: a positive first angle ("pitch") turns a
bone's tip from pointing forward to pointing down, from down to backward,
from backward to up.  The second angle ("yaw", about local Z) turns a
forward-pointing bone towards the cat's right.
"""
import math
import os
import sys

import bpy
import numpy as np
from mathutils import Euler, Matrix, Vector

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import vornart as va  # noqa: E402

# ------------------------------------------------------------------ anatomy
# Bones: name, parent, head, tail (metres, Blender axes).  Legs and eyes are
# written for the left side and mirrored.
BONES = [
    ("root", None, (0, 0, 0), (0, 0, 0.08)),
    ("pelvis", "root", (0, 0.15, 0.25), (0, 0.05, 0.25)),
    ("spine", "pelvis", (0, 0.05, 0.25), (0, -0.04, 0.252)),
    ("chest", "spine", (0, -0.04, 0.252), (0, -0.13, 0.265)),
    ("neck", "chest", (0, -0.13, 0.265), (0, -0.2, 0.33)),
    ("head", "neck", (0, -0.2, 0.33), (0, -0.31, 0.375)),
    ("jaw", "head", (0, -0.24, 0.34), (0, -0.31, 0.335)),
    ("ear_l", "head", (0.03, -0.25, 0.39), (0.045, -0.256, 0.455)),
    ("eye_l", "head", (0.024, -0.296, 0.378), (0.024, -0.316, 0.378)),
    ("front_upper_l", "chest", (0.045, -0.085, 0.265), (0.05, -0.065, 0.15)),
    ("front_lower_l", "front_upper_l", (0.05, -0.065, 0.15), (0.05, -0.08, 0.05)),
    ("front_foot_l", "front_lower_l", (0.05, -0.08, 0.05), (0.05, -0.095, 0.02)),
    ("front_paw_l", "front_foot_l", (0.05, -0.095, 0.02), (0.05, -0.125, 0.018)),
    ("back_upper_l", "pelvis", (0.05, 0.14, 0.245), (0.055, 0.08, 0.15)),
    ("back_lower_l", "back_upper_l", (0.055, 0.08, 0.15), (0.05, 0.15, 0.07)),
    ("back_foot_l", "back_lower_l", (0.05, 0.15, 0.07), (0.05, 0.12, 0.02)),
    ("back_paw_l", "back_foot_l", (0.05, 0.12, 0.02), (0.05, 0.09, 0.018)),
    ("tail1", "pelvis", (0, 0.19, 0.265), (0, 0.25, 0.265)),
    ("tail2", "tail1", (0, 0.25, 0.265), (0, 0.31, 0.25)),
    ("tail3", "tail2", (0, 0.31, 0.25), (0, 0.36, 0.25)),
    ("tail4", "tail3", (0, 0.36, 0.25), (0, 0.40, 0.28)),
    ("tail5", "tail4", (0, 0.40, 0.28), (0, 0.43, 0.33)),
    ("tail6", "tail5", (0, 0.43, 0.33), (0, 0.44, 0.39)),
]

# Body parts: lofted tubes.  points (x, y, z), radii (across, second axis),
# rings along, segments around, caps (rounding of each end in radii), bones
# whose weights the part may take.
PARTS = [
    dict(name="body", rings=40, segments=28, caps=(1.0, 0.6),
         points=[(0, 0.21, 0.25), (0, 0.15, 0.25), (0, 0.07, 0.242), (0, -0.02, 0.243), (0, -0.09, 0.255),
                 (0, -0.15, 0.285), (0, -0.2, 0.33)],
         radii=[(0.058, 0.06), (0.072, 0.075), (0.076, 0.08), (0.072, 0.079), (0.07, 0.08), (0.054, 0.058),
                (0.042, 0.042)],
         bones=["pelvis", "spine", "chest", "neck"]),
    dict(name="head", rings=30, segments=30, caps=(1.0, 0.9),
         points=[(0, -0.215, 0.378), (0, -0.24, 0.38), (0, -0.268, 0.375), (0, -0.292, 0.362), (0, -0.31, 0.356)],
         radii=[(0.044, 0.044), (0.054, 0.05), (0.052, 0.047), (0.036, 0.031), (0.024, 0.021)],
         bones=["head", "neck"]),
    dict(name="ear_l", rings=10, segments=12, caps=(0.6, 0.5), side=(1, 0.0, 0),
         points=[(0.026, -0.252, 0.39), (0.035, -0.254, 0.42), (0.046, -0.257, 0.452)],
         radii=[(0.026, 0.009), (0.017, 0.007), (0.004, 0.002)],
         bones=["ear_l", "head"]),
    dict(name="eye_l", rings=12, segments=16, caps=(1.0, 1.0),
         points=[(0, 0, 0), (0, -0.001, 0)], radii=[(0.015, 0.015), (0.015, 0.015)],
         bones=["eye_l"]),
    dict(name="front_leg_l", rings=28, segments=16, caps=(1.0, 1.0),
         points=[(0.045, -0.085, 0.27), (0.05, -0.066, 0.15), (0.05, -0.078, 0.05), (0.05, -0.095, 0.021),
                 (0.05, -0.115, 0.019)],
         radii=[(0.03, 0.034), (0.022, 0.024), (0.016, 0.017), (0.019, 0.018), (0.019, 0.016)],
         bones=["chest", "front_upper_l", "front_lower_l", "front_foot_l", "front_paw_l"]),
    dict(name="back_leg_l", rings=30, segments=16, caps=(1.0, 1.0),
         points=[(0.045, 0.14, 0.26), (0.056, 0.085, 0.155), (0.05, 0.148, 0.07), (0.05, 0.122, 0.021),
                 (0.05, 0.098, 0.019)],
         radii=[(0.042, 0.048), (0.028, 0.03), (0.016, 0.018), (0.019, 0.018), (0.019, 0.016)],
         bones=["pelvis", "back_upper_l", "back_lower_l", "back_foot_l", "back_paw_l"]),
    dict(name="tail", rings=32, segments=12, caps=(1.0, 1.0),
         points=[(0, 0.19, 0.265), (0, 0.25, 0.265), (0, 0.31, 0.25), (0, 0.36, 0.25), (0, 0.40, 0.28),
                 (0, 0.43, 0.33), (0, 0.44, 0.385)],
         radii=[(0.024, 0.024), (0.02, 0.02), (0.018, 0.018), (0.017, 0.017), (0.016, 0.016), (0.015, 0.015),
                (0.012, 0.012)],
         bones=["pelvis", "tail1", "tail2", "tail3", "tail4", "tail5", "tail6"]),
]
# Where the eyes and the mouth sit on the head.
EYE_DIRECTION = (0.5, -0.72, 0.32)     # from the head's centre, left eye
EYE_SINK = 0.62                        # fraction of the eye radius inside the head
HEAD_CENTRE = (0, -0.262, 0.372)
MOUTH_Z = 0.352                        # head vertices below this and forward of JAW_Y follow the jaw
JAW_Y = -0.262
TRIANGLE_RANGE = (6000, 10000)
UV_WEIGHTS = {"head": 1.7, "eye_l": 2.0, "eye_r": 2.0, "ear_l": 1.3, "ear_r": 1.3}
TEXTURE_SIZE = 512

# ------------------------------------------------------------------ coats
# colours are sRGB 0..255; pattern names pick a painter below.
BREEDS = [
    dict(name="Bengal", pattern="stripes", base=(205, 140, 70), dark=(70, 44, 26), belly=(240, 214, 170),
         eye=(150, 185, 50)),
    dict(name="Abyssinian", pattern="ticked", base=(190, 112, 58), dark=(110, 60, 30), belly=(232, 178, 120),
         eye=(200, 160, 40)),
    dict(name="Patches", pattern="patches", base=(30, 28, 32), dark=(18, 17, 20), belly=(244, 242, 236),
         eye=(210, 175, 40)),
    dict(name="Snowpoint", pattern="points", base=(238, 228, 206), dark=(78, 56, 44), belly=(246, 240, 226),
         eye=(80, 150, 235)),
]
NOSE = (214, 130, 130)
EAR_INSIDE = (226, 160, 160)

# ------------------------------------------------------------------ poses
# A pose maps bone -> (pitch, yaw, roll) in degrees, or a dict with r (angles),
# t (offset in the bone's frame, metres) and s (scale).  The root's frame is
# (left, up, forward).  Poses not listed hold the rest pose.
POSES = {
    "stand": {},
    "sit": {
        "root": dict(t=(0, -0.115, -0.01)),
        "pelvis": (-38, 0, 0), "spine": (-6, 0, 0), "chest": (0, 0, 0), "neck": (14, 0, 0), "head": (46, 0, 0),
        "front_upper_l": (40, 0, 0), "front_upper_r": (40, 0, 0), "front_lower_l": (4, 0, 0),
        "front_lower_r": (4, 0, 0), "front_foot_l": (-6, 0, 0), "front_foot_r": (-6, 0, 0),
        "back_upper_l": (-60, 0, 0), "back_upper_r": (-60, 0, 0), "back_lower_l": (-44, 0, 0),
        "back_lower_r": (-44, 0, 0), "back_foot_l": (110, 0, 0), "back_foot_r": (110, 0, 0),
        "back_paw_l": (30, 0, 0), "back_paw_r": (30, 0, 0),
        "tail1": (40, 0, 0), "tail2": (20, -10, 0), "tail3": (-10, -20, 0), "tail4": (-20, -20, 0),
        "tail5": (-20, -10, 0), "tail6": (-10, 0, 0),
    },
    "lie": {
        "root": dict(t=(0, -0.165, 0)),
        "pelvis": (-3, 0, 0), "neck": (-12, 0, 0), "head": (20, 0, 0),
        "front_upper_l": (-70, 0, 0), "front_upper_r": (-70, 0, 0), "front_lower_l": (-20, 0, 0),
        "front_lower_r": (-20, 0, 0), "front_foot_l": (0, 0, 0), "front_foot_r": (0, 0, 0),
        "back_upper_l": (-75, 0, 0), "back_upper_r": (-75, 0, 0), "back_lower_l": (-60, 0, 0),
        "back_lower_r": (-60, 0, 0), "back_foot_l": (120, 0, 0), "back_foot_r": (120, 0, 0),
        "tail1": (50, -20, 0), "tail2": (10, -30, 0), "tail3": (0, -30, 0), "tail4": (-10, -20, 0),
        "tail5": (0, -10, 0),
    },
}


def pose(base, **changes):
    p = dict(POSES[base])
    p.update(changes)
    return p


BLINK = dict(s=(1, 1, 0.12))
SHUT = {"eye_l": BLINK, "eye_r": BLINK}
POSES["sleep"] = pose("lie", neck=(10, 20, 0), head=(40, 25, 10), spine=(0, 12, 0), chest=(0, 10, 0),
                      tail1=(60, -50, 0), tail2=(0, -40, 0), tail3=(0, -40, 0), tail4=(0, -30, 0), **SHUT)


def blink(base, frame, length=6, **extra):
    """Keys that close and open the eyes around `frame`."""
    p = pose(base, **extra)
    shut = dict(p, **SHUT)
    return [(frame - length // 2, p), (frame, shut), (frame + length // 2, p)]


def gait(base, frames, swing, lift, phases, bob, keys=8):
    """A looping gait: each leg swings by `swing` degrees about its shoulder or
    hip and bends by `lift` while it is in the air; phases per leg (0..1)."""
    out = []
    for k in range(keys + 1):
        f = frames * k / keys
        p = pose(base)
        for leg, phase in phases.items():
            a = 2 * math.pi * (k / keys + phase)
            front = leg.startswith("front")
            side = leg[-1]
            up = max(0.0, math.sin(a))
            p["%s_upper_%s" % (leg[:-2], side)] = (-swing * math.cos(a), 0, 0)
            if front:
                p["front_lower_%s" % side] = (-lift * 0.3 * up, 0, 0)
                p["front_foot_%s" % side] = (lift * up, 0, 0)
            else:
                p["back_lower_%s" % side] = (-lift * up, 0, 0)
                p["back_foot_%s" % side] = (lift * 1.2 * up, 0, 0)
        b = 2 * math.pi * 2 * k / keys
        p["root"] = dict(t=(0, bob * (0.5 + 0.5 * math.cos(b)) - bob, 0))
        p["spine"] = (0, 3 * math.sin(b / 2), 0)
        p["head"] = (2 * math.cos(b), 0, 0)
        p["tail2"] = (-5, 6 * math.sin(b / 2), 0)
        p["tail4"] = (-5, 8 * math.sin(b / 2 - 0.8), 0)
        out.append((round(f), p))
    return out


WALK = {"back_l": 0.0, "front_l": 0.25, "back_r": 0.5, "front_r": 0.75}
TROT = {"back_l": 0.0, "front_r": 0.0, "back_r": 0.5, "front_l": 0.5}
RUN = {"back_l": 0.0, "back_r": 0.08, "front_l": 0.5, "front_r": 0.58}


def stumble(direction):
    lean = {"front": (0, -0.03, 0.05), "back": (0, -0.02, -0.05), "left": (0.05, -0.02, 0), "right": (-0.05, -0.02, 0)}
    tx, ty, tz = lean[direction]
    roll = {"left": -14, "right": 14}.get(direction, 0)
    pitch = {"front": 10, "back": -12}.get(direction, 0)
    hit = pose("stand", root=dict(t=(tx, ty, tz), r=(0, 0, roll)), chest=(pitch, 0, 0), neck=(-15, 0, 0),
               head=(-10, 0, 0), tail1=(-30, 0, 0), tail3=(-20, 0, 0),
               front_upper_l=(-20 if direction == "front" else 15, 0, 0),
               front_upper_r=(-20 if direction == "front" else 15, 0, 0),
               back_upper_l=(20 if direction == "back" else -10, 0, 0),
               back_upper_r=(20 if direction == "back" else -10, 0, 0))
    wobble = pose("stand", root=dict(t=(-tx * 0.3, 0, -tz * 0.3), r=(0, 0, -roll * 0.3)), head=(5, 0, 0))
    return [(0, pose("stand")), (5, hit), (12, hit), (20, wobble), (30, pose("stand"))]


def roll_pose(fraction, centre=0.085, reach=0.25):
    """Lying pose turned about the body's own axis (not the root at the
    floor): the root moves so the body's middle stays at `centre`."""
    a = 2 * math.pi * fraction
    drop = POSES["lie"]["root"]["t"][1]
    t = (reach * math.sin(a), centre - reach * math.cos(a) if fraction not in (0, 1) else drop, 0)
    if 0 < fraction < 1:
        t = (reach * math.sin(a), centre - reach * math.cos(a), 0)
    return pose("lie", root=dict(t=t, r=(0, 0, math.degrees(a))))


# name: (frames, loops, from pose, to pose, keys)
CLIPS = {
    "idle": (60, True, "stand", "stand", [(0, pose("stand")), (30, pose("stand", head=(-4, 6, 0), tail4=(0, 15, 0),
                                                                          tail5=(0, 15, 0))), (60, pose("stand"))]),
    "idle2": (90, True, "stand", "stand", [(0, pose("stand"))] + blink("stand", 20) +
              [(45, pose("stand", neck=(-8, 0, 0), head=(-5, -15, 8), ear_l=(0, 0, 20))),
               (70, pose("stand", tail3=(0, -20, 0), tail5=(0, -25, 0))), (90, pose("stand"))]),
    "breathe": (60, True, "stand", "stand", [(0, pose("stand")), (30, pose("stand", spine=dict(s=(1.04, 1, 1.04)),
                                                                             chest=dict(s=(1.05, 1, 1.05)))),
                                             (60, pose("stand"))]),
    "look_around": (120, False, "stand", "stand",
                    [(0, pose("stand")), (25, pose("stand", neck=(-5, -25, 0), head=(0, -30, 0))),
                     (45, pose("stand", neck=(-5, -25, 0), head=(0, -30, 0))),
                     (75, pose("stand", neck=(-5, 25, 0), head=(0, 30, 0))),
                     (95, pose("stand", neck=(-5, 25, 0), head=(0, 30, 0))), (120, pose("stand"))]),
    "walk": (32, True, "stand", "stand", gait("stand", 32, 22, 45, WALK, 0.006)),
    "trot": (20, True, "stand", "stand", gait("stand", 20, 30, 60, TROT, 0.012)),
    "run": (14, True, "stand", "stand", gait("stand", 14, 42, 70, RUN, 0.03)),
    "turn_left": (24, False, "stand", "stand",
                  [(0, pose("stand")), (8, pose("stand", root=dict(r=(0, 20, 0)), neck=(0, -20, 0), head=(0, -15, 0),
                                                front_upper_l=(-15, 0, 0), back_upper_r=(15, 0, 0))),
                   (16, pose("stand", root=dict(r=(0, 40, 0)), neck=(0, -10, 0), front_upper_r=(-15, 0, 0),
                             back_upper_l=(15, 0, 0))), (24, pose("stand", root=dict(r=(0, 45, 0))))]),
    "turn_right": (24, False, "stand", "stand",
                   [(0, pose("stand")), (8, pose("stand", root=dict(r=(0, -20, 0)), neck=(0, 20, 0), head=(0, 15, 0),
                                                 front_upper_r=(-15, 0, 0), back_upper_l=(15, 0, 0))),
                    (16, pose("stand", root=dict(r=(0, -40, 0)), neck=(0, 10, 0), front_upper_l=(-15, 0, 0),
                              back_upper_r=(15, 0, 0))), (24, pose("stand", root=dict(r=(0, -45, 0))))]),
    "sit_down": (30, False, "stand", "sit", [(0, pose("stand")), (15, pose("sit", root=dict(t=(0, -0.06, 0)),
                                                                             pelvis=(-20, 0, 0))), (30, pose("sit"))]),
    "sit_idle": (90, True, "sit", "sit", [(0, pose("sit"))] + blink("sit", 30) +
                 [(60, pose("sit", tail4=(-20, -35, 0), tail5=(-20, -30, 0), head=(26, -8, 0))), (90, pose("sit"))]),
    "stand_up": (24, False, "sit", "stand", [(0, pose("sit")), (12, pose("sit", root=dict(t=(0, -0.05, 0)),
                                                                          pelvis=(-15, 0, 0))), (24, pose("stand"))]),
    "lie_down": (40, False, "stand", "lie", [(0, pose("stand")), (15, pose("sit")), (40, pose("lie"))]),
    "lie_idle": (90, True, "lie", "lie", [(0, pose("lie"))] + blink("lie", 40) +
                 [(65, pose("lie", tail4=(0, -30, 0), tail5=(0, -20, 0))), (90, pose("lie"))]),
    "sleep": (120, True, "sleep", "sleep", [(0, pose("sleep")), (60, pose("sleep", chest=dict(r=(0, 10, 0),
                                                                                           s=(1.05, 1, 1.05)))),
                                            (120, pose("sleep"))]),
    "wake_up": (45, False, "sleep", "lie", [(0, pose("sleep")), (20, pose("lie", neck=(-20, 0, 0), **SHUT)),
                                            (30, pose("lie", neck=(-15, 0, 0))), (45, pose("lie"))]),
    "stretch": (60, False, "stand", "stand",
                [(0, pose("stand")), (20, pose("stand", chest=(15, 0, 0), neck=(-20, 0, 0), front_upper_l=(-60, 0, 0),
                                               front_upper_r=(-60, 0, 0), front_lower_l=(-10, 0, 0),
                                               front_lower_r=(-10, 0, 0), root=dict(t=(0, -0.04, 0.03)),
                                               tail1=(-30, 0, 0), **SHUT)),
                 (40, pose("stand", chest=(15, 0, 0), neck=(-20, 0, 0), front_upper_l=(-60, 0, 0),
                           front_upper_r=(-60, 0, 0), root=dict(t=(0, -0.04, 0.03)), tail1=(-30, 0, 0), **SHUT)),
                 (60, pose("stand"))]),
    "yawn": (45, False, "sit", "sit", [(0, pose("sit")), (15, pose("sit", head=(5, 0, 0), jaw=(35, 0, 0), **SHUT)),
                                       (30, pose("sit", head=(5, 0, 0), jaw=(35, 0, 0), **SHUT)), (45, pose("sit"))]),
    "groom": (60, True, "sit", "sit",
              [(0, pose("sit")), (15, pose("sit", front_upper_l=(-20, 0, 0), front_lower_l=(-90, 0, 0),
                                           head=(45, -20, 0), neck=(20, 0, 0), **SHUT)),
               (30, pose("sit", front_upper_l=(-30, 0, 0), front_lower_l=(-100, 0, 0), head=(60, -25, 0),
                         neck=(25, 0, 0), **SHUT)),
               (45, pose("sit", front_upper_l=(-20, 0, 0), front_lower_l=(-90, 0, 0), head=(45, -20, 0),
                         neck=(20, 0, 0), **SHUT)), (60, pose("sit"))]),
    "eat": (60, True, "stand", "stand",
            [(0, pose("stand", neck=(45, 0, 0), head=(30, 0, 0), front_upper_l=(-10, 0, 0), front_upper_r=(-10, 0, 0))),
             (15, pose("stand", neck=(48, 0, 0), head=(34, 0, 0), jaw=(15, 0, 0), front_upper_l=(-10, 0, 0),
                       front_upper_r=(-10, 0, 0))),
             (30, pose("stand", neck=(45, 0, 0), head=(30, 0, 0), front_upper_l=(-10, 0, 0), front_upper_r=(-10, 0, 0))),
             (45, pose("stand", neck=(48, 0, 0), head=(34, 0, 0), jaw=(15, 0, 0), front_upper_l=(-10, 0, 0),
                       front_upper_r=(-10, 0, 0))),
             (60, pose("stand", neck=(45, 0, 0), head=(30, 0, 0), front_upper_l=(-10, 0, 0), front_upper_r=(-10, 0, 0)))]),
    "drink": (40, True, "stand", "stand",
              [(0, pose("stand", neck=(50, 0, 0), head=(25, 0, 0))),
               (10, pose("stand", neck=(52, 0, 0), head=(28, 0, 0), jaw=(8, 0, 0))),
               (20, pose("stand", neck=(50, 0, 0), head=(25, 0, 0))),
               (30, pose("stand", neck=(52, 0, 0), head=(28, 0, 0), jaw=(8, 0, 0))),
               (40, pose("stand", neck=(50, 0, 0), head=(25, 0, 0)))]),
    "purr": (60, True, "sit", "sit", [(0, pose("sit", **SHUT)), (15, pose("sit", chest=dict(s=(1.03, 1, 1.03)), **SHUT)),
                                      (30, pose("sit", **SHUT)), (45, pose("sit", chest=dict(s=(1.03, 1, 1.03)), **SHUT)),
                                      (60, pose("sit", **SHUT))]),
    "head_rub": (60, False, "stand", "stand",
                 [(0, pose("stand")), (20, pose("stand", neck=(-10, 0, 25), head=(0, -30, 30), tail5=(-30, 0, 0), **SHUT)),
                  (40, pose("stand", neck=(-10, 0, 25), head=(0, -30, 30), tail5=(-30, 0, 0), **SHUT)),
                  (60, pose("stand"))]),
    "meow": (30, False, "stand", "stand", [(0, pose("stand")), (8, pose("stand", head=(-15, 0, 0), jaw=(25, 0, 0))),
                                           (18, pose("stand", head=(-12, 0, 0), jaw=(22, 0, 0))), (30, pose("stand"))]),
    "hiss": (40, False, "stand", "stand",
             [(0, pose("stand")),
              (10, pose("stand", root=dict(t=(0, 0.01, -0.02)), spine=(-15, 0, 0), head=(-10, 0, 0), jaw=(30, 0, 0),
                        ear_l=(60, 0, 0), ear_r=(60, 0, 0), tail1=(-40, 0, 0), tail2=(-20, 0, 0))),
              (30, pose("stand", root=dict(t=(0, 0.01, -0.02)), spine=(-15, 0, 0), head=(-10, 0, 0), jaw=(30, 0, 0),
                        ear_l=(60, 0, 0), ear_r=(60, 0, 0), tail1=(-40, 0, 0), tail2=(-20, 0, 0))),
              (40, pose("stand"))]),
    "startle": (24, False, "stand", "stand",
                [(0, pose("stand")),
                 (5, pose("stand", root=dict(t=(0, 0.06, -0.02)), spine=(-15, 0, 0), tail1=(-50, 0, 0),
                          ear_l=(40, 0, 0), ear_r=(40, 0, 0), jaw=(10, 0, 0))),
                 (12, pose("stand", root=dict(t=(0, 0.02, -0.03)), spine=(-10, 0, 0), tail1=(-40, 0, 0))),
                 (24, pose("stand"))]),
    "stumble_front": (30, False, "stand", "stand", stumble("front")),
    "stumble_back": (30, False, "stand", "stand", stumble("back")),
    "stumble_left": (30, False, "stand", "stand", stumble("left")),
    "stumble_right": (30, False, "stand", "stand", stumble("right")),
    "pounce": (36, False, "stand", "stand",
               [(0, pose("stand")),
                (12, pose("stand", root=dict(t=(0, -0.06, 0)), pelvis=(10, 0, 0), neck=(-20, 0, 0),
                          back_upper_l=(-30, 0, 0), back_upper_r=(-30, 0, 0), tail5=(0, 30, 0))),
                (20, pose("stand", root=dict(t=(0, 0.12, 0.15)), front_upper_l=(-70, 0, 0), front_upper_r=(-70, 0, 0),
                          back_upper_l=(40, 0, 0), back_upper_r=(40, 0, 0))),
                (28, pose("stand", root=dict(t=(0, -0.03, 0.25)), front_upper_l=(-30, 0, 0), front_upper_r=(-30, 0, 0),
                          neck=(20, 0, 0))),
                (36, pose("stand"))]),
    "bat": (24, False, "stand", "stand",
            [(0, pose("stand")),
             (8, pose("stand", front_upper_l=(-80, 0, 0), front_lower_l=(-40, 0, 0), chest=(-6, 0, 0),
                      root=dict(t=(0, 0, -0.01)))),
             (14, pose("stand", front_upper_l=(-45, 0, 0), front_lower_l=(30, 0, 0), front_foot_l=(30, 0, 0))),
             (24, pose("stand"))]),
    "jump_up": (30, False, "stand", "stand",
                [(0, pose("stand")), (8, pose("sit", root=dict(t=(0, -0.08, 0)), pelvis=(-10, 0, 0))),
                 (15, pose("stand", root=dict(t=(0, 0.3, 0.08)), front_upper_l=(-60, 0, 0), front_upper_r=(-60, 0, 0),
                           back_upper_l=(50, 0, 0), back_upper_r=(50, 0, 0), pelvis=(-15, 0, 0))),
                 (22, pose("stand", root=dict(t=(0, 0.12, 0.12)))), (30, pose("stand"))]),
    "jump_down": (30, False, "stand", "stand",
                  [(0, pose("stand")), (6, pose("stand", pelvis=(15, 0, 0), neck=(30, 0, 0))),
                   (14, pose("stand", root=dict(t=(0, 0.08, 0.1)), front_upper_l=(-40, 0, 0), front_upper_r=(-40, 0, 0),
                             back_upper_l=(30, 0, 0), back_upper_r=(30, 0, 0), pelvis=(10, 0, 0))),
                   (21, pose("stand", root=dict(t=(0, -0.05, 0.05)), front_lower_l=(-20, 0, 0),
                             front_lower_r=(-20, 0, 0))), (30, pose("stand"))]),
    "roll_over": (60, False, "lie", "lie", [(f, roll_pose(f / 60.0)) for f in range(0, 61, 10)]),
    "beg": (60, False, "sit", "sit",
            [(0, pose("sit")), (20, pose("sit", pelvis=(-70, 0, 0), root=dict(t=(0, -0.1, -0.04)), head=(60, 0, 0),
                                         front_upper_l=(30, 0, 0), front_upper_r=(30, 0, 0), front_lower_l=(-90, 0, 0),
                                         front_lower_r=(-90, 0, 0))),
             (40, pose("sit", pelvis=(-72, 0, 0), root=dict(t=(0, -0.1, -0.04)), head=(58, 0, 0),
                       front_upper_l=(30, 0, 0), front_upper_r=(30, 0, 0), front_lower_l=(-95, 0, 0),
                       front_lower_r=(-95, 0, 0))), (60, pose("sit"))]),
    "wave": (45, False, "sit", "sit",
             [(0, pose("sit")), (10, pose("sit", front_upper_r=(-60, 0, 0), front_lower_r=(-40, 0, 0))),
              (18, pose("sit", front_upper_r=(-70, 0, 20), front_lower_r=(-50, 0, 0))),
              (26, pose("sit", front_upper_r=(-60, 0, -20), front_lower_r=(-40, 0, 0))),
              (34, pose("sit", front_upper_r=(-70, 0, 20), front_lower_r=(-50, 0, 0))), (45, pose("sit"))]),
    "spin": (40, False, "stand", "stand",
             [(0, pose("stand")), (10, pose("stand", root=dict(r=(0, 90, 0)), spine=(0, 15, 0), chest=(0, 15, 0))),
              (20, pose("stand", root=dict(r=(0, 180, 0)), spine=(0, 15, 0), chest=(0, 15, 0))),
              (30, pose("stand", root=dict(r=(0, 270, 0)), spine=(0, 15, 0), chest=(0, 15, 0))),
              (40, pose("stand", root=dict(r=(0, 360, 0))))]),
    "bow": (45, False, "stand", "stand",
            [(0, pose("stand")), (15, pose("stand", chest=(20, 0, 0), neck=(-25, 0, 0), front_upper_l=(-50, 0, 0),
                                           front_upper_r=(-50, 0, 0), front_lower_l=(60, 0, 0),
                                           front_lower_r=(60, 0, 0), tail1=(-20, 0, 0))),
             (30, pose("stand", chest=(20, 0, 0), neck=(-25, 0, 0), front_upper_l=(-50, 0, 0),
                       front_upper_r=(-50, 0, 0), front_lower_l=(60, 0, 0), front_lower_r=(60, 0, 0),
                       tail1=(-20, 0, 0))), (45, pose("stand"))]),
}
SHEET_TILE = (160, 120)        # pixels per cell of the contact sheet
SHEET_COLUMNS = 12
SHEET_SPACING = 0.8            # metres between cats in the sheet scene
SHEET_VIEW = (0.75, 0.9, -0.45)  # direction the sheet camera looks


# ------------------------------------------------------------------ build

def mirrored(name):
    return name[:-2] + "_r" if name.endswith("_l") else name


def mirror_point(p):
    return (-p[0], p[1], p[2])


def all_bones():
    bones = []
    for name, parent, head, tail in BONES:
        bones.append((name, parent, head, tail))
        if name.endswith("_l"):
            bones.append((mirrored(name), mirrored(parent) if parent else None, mirror_point(head), mirror_point(tail)))
    return bones


def all_parts():
    parts = []
    for part in PARTS:
        parts.append(part)
        if part["name"].endswith("_l"):
            twin = dict(part)
            twin["name"] = mirrored(part["name"])
            twin["points"] = [mirror_point(p) for p in part["points"]]
            twin["bones"] = [mirrored(b) for b in part["bones"]]
            if "side" in part:
                twin["side"] = part["side"]
            parts.append(twin)
    return parts


def build_armature(bones):
    data = bpy.data.armatures.new("cat_skeleton")
    arm = bpy.data.objects.new("cat", data)
    bpy.context.scene.collection.objects.link(arm)
    bpy.context.view_layer.objects.active = arm
    bpy.ops.object.mode_set(mode="EDIT")
    edit = {}
    for name, parent, head, tail in bones:
        b = data.edit_bones.new(name)
        b.head, b.tail = head, tail
        b.roll = 0
        # keep every bone's X on the cat's left so angles read the same way
        if b.x_axis.x < 0:
            b.roll = math.pi
        if parent:
            b.parent = edit[parent]
        edit[name] = b
    bpy.ops.object.mode_set(mode="OBJECT")
    for pb in arm.pose.bones:
        pb.rotation_mode = "XYZ"
    return arm


def segment_distance(p, a, b):
    ab = b - a
    t = np.clip(((p - a) @ ab) / max(ab @ ab, 1e-12), 0, 1)
    return np.linalg.norm(p - (a + t[:, None] * ab), axis=1)


def part_weights(verts, part, bone_heads):
    """Weights by inverse distance to each allowed bone's segment, strongest
    four kept; the jaw takes the lower front of the head."""
    names = part["bones"]
    d = np.stack([segment_distance(verts, *bone_heads[n]) for n in names], axis=1)
    w = 1.0 / (d + 0.004) ** 5
    if part["name"] == "head":
        jaw = np.clip((MOUTH_Z - verts[:, 2]) / 0.008, 0, 1) * np.clip((JAW_Y - verts[:, 1]) / 0.015, 0, 1)
        w = w / w.sum(axis=1, keepdims=True) * (1 - jaw)[:, None]
        names = names + ["jaw"]
        w = np.hstack([w, jaw[:, None]])
    order = np.argsort(-w, axis=1)[:, :4]
    keep = np.zeros_like(w)
    rows = np.arange(len(w))[:, None]
    keep[rows, order] = w[rows, order]
    keep[keep < keep.sum(axis=1, keepdims=True) * 0.01] = 0
    keep /= keep.sum(axis=1, keepdims=True)
    return names, keep


def place_eyes(tubes):
    """Eye tubes sit on the head's surface in EYE_DIRECTION."""
    head = tubes["head"]
    tt, aa = np.meshgrid(np.linspace(-1, 2, 120), np.linspace(0, 2 * math.pi, 120), indexing="ij")
    pos, _ = head.surface(tt, aa)
    pos = pos.reshape(-1, 3)
    centre = np.array(HEAD_CENTRE)
    for side in (1, -1):
        want = va.normalise(np.array([EYE_DIRECTION[0] * side, EYE_DIRECTION[1], EYE_DIRECTION[2]]))
        score = va.normalise(pos - centre) @ want
        surface = pos[int(np.argmax(score))]
        tube = tubes["eye_l" if side > 0 else "eye_r"]
        r = tube.radii[0][0]
        eye_centre = surface - want * r * EYE_SINK
        tube.points = np.array([eye_centre - want * 0.004, eye_centre + want * 0.0005])
        tube.side = np.array([1.0, 0, 0])
    return tubes


def build_mesh(arm, bones):
    parts = all_parts()
    tubes = {}
    for part in parts:
        tubes[part["name"]] = va.Tube(part["name"], part["points"], part["radii"], part["rings"], part["segments"],
                                      caps=part["caps"], side=part.get("side", (1, 0, 0)))
    place_eyes(tubes)
    used = va.pack_islands(list(tubes.values()), UV_WEIGHTS, margin=3, size=TEXTURE_SIZE)
    heads = {n: (np.array(h, dtype=float), np.array(t, dtype=float)) for n, _, h, t in bones}
    pieces, weights = [], []
    for part in parts:
        tube = tubes[part["name"]]
        verts, faces, uvs = tube.build()
        pieces.append((verts, faces, uvs, tube.island))
        weights.append(part_weights(verts, part, heads))
    obj, ranges = va.mesh_from_parts("cat_body", pieces)
    groups = {n: obj.vertex_groups.new(name=n) for n, *_ in bones}
    for (names, w), (lo, hi) in zip(weights, ranges):
        for j, n in enumerate(names):
            idx = np.nonzero(w[:, j] > 0)[0]
            for i in idx:
                groups[n].add([int(lo + i)], float(w[i, j]), "REPLACE")
    obj.parent = arm
    mod = obj.modifiers.new("skeleton", "ARMATURE")
    mod.object = arm
    return obj, tubes, used


# ------------------------------------------------------------------ painting

def noise(pos, freq, seed, octaves=3):
    rng = np.random.default_rng(seed)
    out = np.zeros(pos.shape[:-1])
    amp = 1.0
    for _ in range(octaves):
        for _ in range(4):
            d = va.normalise(rng.normal(size=3))
            out += amp * np.sin(pos @ d * freq * 2 * math.pi + rng.uniform(0, 2 * math.pi))
        freq *= 2.1
        amp *= 0.5
    return out / 4


def mix(a, b, t):
    t = np.clip(t, 0, 1)[..., None]
    return np.asarray(a, float) * (1 - t) + np.asarray(b, float) * t


def smooth(edge0, edge1, x):
    t = np.clip((x - edge0) / (edge1 - edge0), 0, 1)
    return t * t * (3 - 2 * t)


def paint_part(breed, name, pos, nrm, t, angle):
    base, dark, belly = breed["base"], breed["dark"], breed["belly"]
    under = smooth(-0.2, -0.7, nrm[..., 2])
    x, y, z = pos[..., 0], pos[..., 1], pos[..., 2]
    grain = noise(pos, 40, 7, 2) * 0.08
    colour = mix(base, belly, under * (name in ("body", "head", "tail") or name.startswith(("front", "back"))))
    pattern = breed["pattern"]
    if name.startswith("eye"):
        iris = smooth(1.05, 1.25, t)
        pupil = smooth(1.55, 1.6, t) * (np.abs(np.sin(angle)) < 0.3 + 0.0 * t)
        colour = mix((235, 235, 225), breed["eye"], iris)
        colour = mix(colour, (10, 10, 12), pupil)
        ring = smooth(1.12, 1.05, t) * smooth(0.9, 1.05, t)
        return mix(colour, (20, 20, 20), ring * 0.8)
    if pattern == "stripes":
        if name == "body" or name == "head":
            bands = np.sin((y * 38 + noise(pos, 6, 3) * 0.6 + np.abs(x) * 6) * 2 * math.pi)
            spots = smooth(0.35, 0.6, bands) * smooth(-0.6, 0.1, nrm[..., 2])
            colour = mix(colour, dark, spots * 0.85)
        elif name == "tail":
            colour = mix(colour, dark, smooth(0.3, 0.6, np.sin(t * 2 * math.pi * 6)) * (t >= 0) + (t > 1.2))
        else:
            colour = mix(colour, dark, smooth(0.4, 0.7, np.sin(z * 2 * math.pi * 14)) * 0.8)
    elif pattern == "ticked":
        colour = mix(colour, dark, smooth(0.2, 0.9, noise(pos, 90, 5, 2)) * 0.5)
        if name == "body":
            colour = mix(colour, dark, smooth(0.85, 0.97, nrm[..., 2]) * 0.7)
        if name == "tail":
            colour = mix(colour, dark, smooth(0.9, 1.4, t))
    elif pattern == "patches":
        white = smooth(0.05, 0.15, noise(pos, 3.5, 11, 2))
        white = np.maximum(white, under)
        if name.startswith(("front", "back")):
            white = np.maximum(white, smooth(0.09, 0.06, z))
        if name == "head":
            white = np.maximum(white, smooth(-0.285, -0.31, y) * smooth(0.385, 0.37, z))
        if name == "body":
            white = np.maximum(white, smooth(-0.1, -0.16, y) * smooth(0.1, -0.5, nrm[..., 2]))
        colour = mix(base, belly, white)
    elif pattern == "points":
        point = np.zeros_like(z)
        if name.startswith("ear"):
            point[:] = 1
        elif name == "head":
            point = smooth(0.06, 0.02, np.linalg.norm(pos - np.array([0, -0.318, 0.362]), axis=-1))
        elif name == "tail":
            point = smooth(-0.2, 0.5, t)
        elif name.startswith(("front", "back")):
            point = smooth(0.2, 0.06, z)
        colour = mix(colour, dark, point)
    if name.startswith("ear"):
        inside = smooth(-0.2, -0.6, nrm[..., 1]) * smooth(1.0, 0.5, t) * smooth(-0.4, 0.0, t)
        colour = mix(colour, EAR_INSIDE, inside * 0.9)
    if name == "head":
        nose = smooth(0.012, 0.006, np.linalg.norm((pos - np.array([0, -0.332, 0.362])) * [1, 0.6, 1.4], axis=-1))
        colour = mix(colour, NOSE, nose)
        mouth = smooth(0.0025, 0.0008, np.abs(z - MOUTH_Z - 0.002)) * smooth(-0.3, -0.315, y)
        colour = mix(colour, (40, 30, 30), mouth)
    return np.clip(colour * (1 + grain[..., None]), 0, 255)


def paint_coat(breed, tubes, size):
    image = np.zeros((size, size, 4), dtype=np.float64)
    image[:, :, :3] = breed["base"]
    image[:, :, 3] = 255
    for name, tube in tubes.items():
        (x0, y0, x1, y1), pos, nrm, tt, aa = tube.texel_surface(size, size)
        image[y0:y1, x0:x1, :3] = paint_part(breed, name, pos, nrm, tt, aa)
    return image.astype(np.uint8)


# ------------------------------------------------------------------ clips

def apply_pose(arm, p, frame, bone_names):
    for name in bone_names:
        pb = arm.pose.bones[name]
        spec = p.get(name, (0, 0, 0))
        if not isinstance(spec, dict):
            spec = dict(r=spec)
        r = spec.get("r", (0, 0, 0))
        pb.rotation_euler = [math.radians(a) for a in r]
        pb.location = spec.get("t", (0, 0, 0))
        pb.scale = spec.get("s", (1, 1, 1))
        pb.keyframe_insert("rotation_euler", frame=frame, group=name)
        pb.keyframe_insert("location", frame=frame, group=name)
        pb.keyframe_insert("scale", frame=frame, group=name)


def make_action(arm, name, keys, bone_names):
    action = bpy.data.actions.new(name)
    arm.animation_data_create()
    arm.animation_data.action = action
    for frame, p in keys:
        apply_pose(arm, p, frame, bone_names)
    return action


def sampled_pose(arm, frame):
    bpy.context.scene.frame_set(frame)
    return np.array([np.array(pb.matrix_basis).ravel() for pb in arm.pose.bones])


def pose_matrices(arm, p, bone_names):
    out = []
    for name in [pb.name for pb in arm.pose.bones]:
        spec = p.get(name, (0, 0, 0))
        if not isinstance(spec, dict):
            spec = dict(r=spec)
        r = [math.radians(a) for a in spec.get("r", (0, 0, 0))]
        m = Matrix.LocRotScale(Vector(spec.get("t", (0, 0, 0))), Euler(r, "XYZ"), Vector(spec.get("s", (1, 1, 1))))
        out.append(np.array(m).ravel())
    return np.array(out)


def check_clip(arm, name, frames, loops, start, end, keys):
    if keys[0][0] != 0 or keys[-1][0] != frames:
        raise va.ArtError("clip %s: keys run %d..%d, table says 0..%d" % (name, keys[0][0], keys[-1][0], frames))
    first, last = sampled_pose(arm, 0), sampled_pose(arm, frames)
    if loops and np.abs(first - last).max() > 1e-4:
        raise va.ArtError("clip %s loops but its last frame differs from its first" % name)
    names = [pb.name for pb in arm.pose.bones]
    # cycles blend in from their neighbours; one-shots must start and end on one
    for which, got, want in () if loops else (("first", first, start), ("last", last, end)):
        expect = pose_matrices(arm, POSES[want], names)
        # a turn or a spin may end facing elsewhere: compare all but the root
        diff = np.abs(got[1:] - expect[1:]).max()
        if diff > 1e-3:
            raise va.ArtError("clip %s: %s frame is not the %s pose (%.4f)" % (name, which, want, diff))
    moving = np.abs(np.array([sampled_pose(arm, f) for f in range(0, frames + 1, max(1, frames // 6))]) - first).max()
    if moving < 1e-3:
        raise va.ArtError("clip %s does not move" % name)


# ------------------------------------------------------------------ renders

def pose_from_action(arm, action, frame):
    """Poses `arm` as `action` stands at `frame`, without binding the action."""
    for curve in action.fcurves:
        bone = curve.data_path.split('"')[1]
        prop = curve.data_path.rsplit(".", 1)[1]
        getattr(arm.pose.bones[bone], prop)[curve.array_index] = curve.evaluate(frame)


def main():
    out, sheet_dir = va.arguments()
    timer = va.Timer("cat")
    scene = va.reset_scene()
    bones = all_bones()
    names = [b[0] for b in bones]
    if not 32 <= len(names) <= 45:
        raise va.ArtError("%d bones" % len(names))
    arm = build_armature(bones)
    body, tubes, used = build_mesh(arm, bones)
    va.check_closed(body)
    tris = va.triangle_count(body)
    if not TRIANGLE_RANGE[0] <= tris <= TRIANGLE_RANGE[1]:
        raise va.ArtError("cat has %d triangles" % tris)
    va.check_weights(body, set(names))
    timer.step("skeleton and mesh (%d tris)" % tris)

    coats = {}
    for breed in BREEDS:
        coats[breed["name"]] = paint_coat(breed, tubes, TEXTURE_SIZE)
        va.write_tga(os.path.join(out, "cat", "cat_%s.tga" % breed["name"]), coats[breed["name"]])
    timer.step("coats (%d%% of the atlas used)" % round(used * 100))

    first = BREEDS[0]["name"]
    image = va.image_from_array("cat_coat", coats[first])
    body.data.materials.append(va.textured_material("cat_coat", image))
    va.export_model(os.path.join(out, "cat", "cat.glb"), [arm, body])
    timer.step("model export")

    actions = {}
    lines = ["; clips of the cat: frames at %d per second, loop = 1 for cycles" % va.FPS]
    for name, (frames, loops, start, end, keys) in CLIPS.items():
        action = make_action(arm, name, keys, names)
        check_clip(arm, name, frames, loops, start, end, keys)
        actions[name] = action
        lines.append("[%s]\nFile=anim/%s.glb\nFrames=%d\nSeconds=%.3f\nLoop=%d\nFrom=%s\nTo=%s"
                     % (name, name, frames, frames / va.FPS, int(loops), start, end))
    for name, action in actions.items():
        va.export_clip(os.path.join(out, "cat", "anim", name + ".glb"), arm, action, name)
    with open(os.path.join(out, "cat", "clips.ini"), "w") as f:
        f.write("\n".join(lines) + "\n")
    timer.step("%d clips" % len(actions))

    # contact sheet: each breed at rest, then every clip at three times, all
    # posed copies in one scene and one render
    cells = [(breed["name"], None, 0) for breed in BREEDS]
    for name, (frames, loops, *_rest) in CLIPS.items():
        cells += [(first, name, f) for f in (0, frames // 2, frames * 3 // 4 if not loops else frames // 4)]
    materials = {}
    for breed in BREEDS:
        img = image if breed["name"] == first else va.image_from_array("coat_" + breed["name"], coats[breed["name"]])
        materials[breed["name"]] = body.data.materials[0] if breed["name"] == first else \
            va.textured_material("coat_" + breed["name"], img)
    arm.animation_data.action = None
    view = va.normalise(np.array(SHEET_VIEW))
    right = va.normalise(np.cross(view, (0, 0, 1)))
    up = np.cross(right, view)
    columns = SHEET_COLUMNS
    for i, (breed, clip, frame) in enumerate(cells):
        row, col = divmod(i, columns)
        copy = arm.copy()
        copy.animation_data_clear()
        bpy.context.scene.collection.objects.link(copy)
        where = (col - (columns - 1) / 2) * SHEET_SPACING * right - row * SHEET_SPACING * 0.75 * up
        copy.location = tuple(where)
        skin = body.copy()
        skin.data = body.data.copy() if breed != first else body.data
        if breed != first:
            skin.data.materials[0] = materials[breed]
        skin.parent = copy
        skin.modifiers["skeleton"].object = copy
        bpy.context.scene.collection.objects.link(skin)
        if clip:
            pose_from_action(copy, actions[clip], frame)
    arm.hide_render = body.hide_render = True
    rows = (len(cells) + columns - 1) // columns
    width = columns * SHEET_TILE[0]
    height = int(rows * SHEET_TILE[0] * 0.75)
    va.setup_workbench(scene, width, height)
    centre = -(rows - 1) / 2 * SHEET_SPACING * 0.75 * up + np.array([0, 0, 0.2])
    cam = va.camera_looking(scene, tuple(centre - view * 20), tuple(centre), ortho=columns * SHEET_SPACING)
    del cam
    va.sheet_world(scene)
    tmp = os.path.join(sheet_dir, "cat.png")
    timer.step("contact sheet scene")
    va.render_to_array(scene, tmp)
    with open(os.path.join(sheet_dir, "cat.txt"), "w") as f:
        f.write("cells of cat.png, %d per row, left to right:\n" % columns)
        f.writelines("%3d  %s\n" % (i, clip and "%s frame %d" % (clip, frame) or "%s at rest" % breed)
                     for i, (breed, clip, frame) in enumerate(cells))
    timer.step("contact sheet")
    timer.done()


if __name__ == "__main__":
    main()
