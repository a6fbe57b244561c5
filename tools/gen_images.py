#!/usr/bin/env python3
"""Generates the game's pictures: room backgrounds, button strips, dialog
faces and cursors, written as uncompressed 32-bit TGA files.

Everything is drawn from simple shapes and the pixel font next to this
file, so the build needs nothing but Python.  Usage:

    gen_images.py OUTPUT_FOLDER

Button strips hold five frames side by side, one per button state:
normal, checked, mouse over, pressed, disabled.
"""
import math
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pixelfont  # noqa: E402


class Image:
    def __init__(self, width, height, colour=(0, 0, 0, 0)):
        self.width = width
        self.height = height
        self.pixels = bytearray(bytes(colour) * (width * height))

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            i = (y * self.width + x) * 4
            self.pixels[i:i + 4] = bytes(colour)

    def blend(self, x, y, colour, amount):
        if not (0 <= x < self.width and 0 <= y < self.height):
            return
        i = (y * self.width + x) * 4
        for c in range(3):
            self.pixels[i + c] = round(self.pixels[i + c] * (1 - amount) + colour[c] * amount)
        self.pixels[i + 3] = max(self.pixels[i + 3], round(255 * amount))

    def fill_rect(self, x, y, w, h, colour):
        for yy in range(max(0, y), min(self.height, y + h)):
            row = bytes(colour) * max(0, min(self.width, x + w) - max(0, x))
            start = (yy * self.width + max(0, x)) * 4
            self.pixels[start:start + len(row)] = row

    def vertical_gradient(self, top, bottom):
        for y in range(self.height):
            t = y / max(1, self.height - 1)
            colour = tuple(round(a + (b - a) * t) for a, b in zip(top, bottom)) + (255,)
            self.fill_rect(0, y, self.width, 1, colour)

    def disc(self, cx, cy, radius, colour, softness=1.5):
        for y in range(int(cy - radius - 2), int(cy + radius + 3)):
            for x in range(int(cx - radius - 2), int(cx + radius + 3)):
                d = math.hypot(x - cx, y - cy)
                amount = min(1.0, max(0.0, (radius - d) / softness + 0.5))
                if amount > 0:
                    self.blend(x, y, colour, amount * (colour[3] / 255 if len(colour) > 3 else 1))

    def rounded_rect(self, x, y, w, h, radius, colour):
        for yy in range(y, y + h):
            for xx in range(x, x + w):
                dx = max(x + radius - xx, 0, xx - (x + w - 1 - radius))
                dy = max(y + radius - yy, 0, yy - (y + h - 1 - radius))
                d = math.hypot(dx, dy)
                amount = min(1.0, max(0.0, radius - d + 0.5))
                if amount > 0:
                    self.blend(xx, yy, colour, amount)

    def paste(self, other, left, top):
        for y in range(other.height):
            for x in range(other.width):
                i = (y * other.width + x) * 4
                self.put(left + x, top + y, other.pixels[i:i + 4])

    def save_tga(self, path):
        header = struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, self.width, self.height, 32, 0x28)
        body = bytearray(len(self.pixels))
        body[0::4] = self.pixels[2::4]   # TGA stores blue, green, red, alpha
        body[1::4] = self.pixels[1::4]
        body[2::4] = self.pixels[0::4]
        body[3::4] = self.pixels[3::4]
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path + ".tmp", "wb") as f:
            f.write(header)
            f.write(body)
        os.replace(path + ".tmp", path)


SCREEN = (800, 600)
BUTTON = (160, 40)
INK = (255, 255, 255, 255)
SHADOW = (40, 30, 60, 255)


def room_background(title, top, bottom, accent, seed):
    image = Image(*SCREEN)
    image.vertical_gradient(top, bottom)
    # Soft floating circles: the menus' only decoration.
    for k in range(14):
        angle = seed * 1.7 + k * 2.39996
        cx = SCREEN[0] / 2 + math.cos(angle) * (120 + 23 * k)
        cy = 380 + math.sin(angle) * (60 + 9 * k)
        image.disc(cx, cy, 12 + (k * 7 + seed * 5) % 26, accent + (70,), softness=3)
    image.fill_rect(0, 540, SCREEN[0], 60, tuple(max(0, c - 40) for c in bottom) + (255,))
    pixelfont.draw_text_centred(image, title, SCREEN[0] // 2 + 4, 94, 10, SHADOW)
    pixelfont.draw_text_centred(image, title, SCREEN[0] // 2, 90, 10, INK)
    return image


def button_strip(label, base):
    w, h = BUTTON
    strip = Image(w * 5, h)
    lighter = tuple(min(255, c + 45) for c in base)
    darker = tuple(max(0, c - 50) for c in base)
    grey = (120, 120, 128)
    faces = [  # face colour, label colour, label offset: one per state
        (base, INK, 0), (darker, INK, 2), (lighter, INK, 0), (darker, (255, 240, 160, 255), 2), (grey, (190, 190, 190, 255), 0),
    ]
    for frame, (face, ink, shift) in enumerate(faces):
        left = frame * w
        strip.rounded_rect(left + 2, 4, w - 4, h - 6, 14, (20, 20, 30, 120))
        strip.rounded_rect(left + 1, 1 + shift, w - 4, h - 6, 14, face + (255,))
        pixelfont.draw_text_centred(strip, label, left + w // 2 - 1, h // 2 - 2 + shift, 3, ink)
    return strip


def check_strip(size=32):
    strip = Image(size * 5, size)
    for frame in range(5):
        left = frame * size
        checked = frame in (1, 3)
        hover = frame in (2, 3)
        face = (120, 120, 128) if frame == 4 else ((255, 250, 235) if hover else (235, 230, 220))
        strip.rounded_rect(left + 2, 2, size - 4, size - 4, 6, (60, 50, 80, 255))
        strip.rounded_rect(left + 4, 4, size - 8, size - 8, 4, face + (255,))
        if checked:
            strip.disc(left + size / 2, size / 2, size / 4, (60, 150, 80, 255))
    return strip


def dialog_face(title, width=420, height=240):
    image = Image(width, height)
    image.rounded_rect(0, 0, width, height, 18, (50, 40, 80, 255))
    image.rounded_rect(4, 4, width - 8, height - 8, 15, (250, 244, 230, 255))
    pixelfont.draw_text_centred(image, title, width // 2, 34, 4, (70, 50, 110, 255))
    return image


def paw_cursor():
    image = Image(32, 32)
    image.disc(16, 20, 8, (60, 40, 30, 255))
    for cx, cy in ((7, 10), (13, 6), (20, 6), (26, 10)):
        image.disc(cx, cy, 3.5, (60, 40, 30, 255))
    image.disc(16, 20, 6, (240, 180, 170, 255))
    return image


def arrow_cursor():
    image = Image(32, 32)
    for y in range(20):
        for x in range(y // 2 + 1):
            edge = x == 0 or x == y // 2 or y == 19
            image.put(x, y, (0, 0, 0, 255) if edge else (255, 255, 255, 255))
    return image


# The system cursors: 32x32 with alpha, a dark outline around a light face
# so they read on any background.  Each comes with its hot spot; the game
# loads them at the fixed ids of its system cursors (system_cursors.ini).
OUTLINE = (20, 20, 30, 255)


def polygon(image, points, colour, outline=OUTLINE):
    """Fills the polygon (pixel centres inside, even-odd rule) and rings it
    with a one-pixel outline."""
    def inside(px, py):
        hit = False
        for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1]):
            if (y0 > py) != (y1 > py) and px < x0 + (py - y0) * (x1 - x0) / (y1 - y0):
                hit = not hit
        return hit
    cells = {(x, y) for y in range(image.height) for x in range(image.width) if inside(x + 0.5, y + 0.5)}
    for x, y in cells:
        edge = any((x + dx, y + dy) not in cells for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
        image.put(x, y, outline if edge else colour)


def pointer_cursor():
    image = Image(32, 32)
    polygon(image, [(1, 1), (1, 23), (7, 18), (11, 27), (15, 25), (11, 17), (18, 17)], (255, 255, 255, 255))
    return image, (1, 1)


def busy_cursor():
    image = Image(32, 32)
    polygon(image, [(7, 2), (25, 2), (25, 5), (18, 15), (18, 17), (25, 27), (25, 30), (7, 30), (7, 27),
                    (14, 17), (14, 15), (7, 5)], (250, 240, 210, 255))
    polygon(image, [(11, 26), (21, 26), (16, 19)], (230, 170, 60, 255), (230, 170, 60, 255))
    return image, (16, 16)


def beam_cursor():
    image = Image(32, 32)
    polygon(image, [(10, 2), (22, 2), (22, 5), (18, 5), (18, 27), (22, 27), (22, 30), (10, 30), (10, 27),
                    (14, 27), (14, 5), (10, 5)], (255, 255, 255, 255))
    return image, (16, 16)


def hand_cursor():
    image = Image(32, 32)
    skin = (250, 220, 190, 255)
    polygon(image, [(10, 1), (14, 1), (14, 12), (24, 13), (26, 16), (26, 26), (22, 31), (11, 31), (4, 20),
                    (5, 16), (10, 20)], skin)
    return image, (12, 1)


def shampoo_cursor():
    image = Image(32, 32)
    polygon(image, [(13, 0), (19, 0), (19, 6), (23, 9), (23, 31), (9, 31), (9, 9), (13, 6)], (120, 200, 240, 255))
    image.rounded_rect(11, 15, 10, 8, 2, (255, 255, 255, 255))
    return image, (16, 0)


def brush_cursor():
    image = Image(32, 32)
    polygon(image, [(0, 4), (4, 0), (16, 12), (12, 16)], (210, 210, 200, 255))          # bristles
    polygon(image, [(12, 16), (16, 12), (31, 27), (27, 31)], (150, 90, 40, 255))       # handle
    return image, (1, 1)


def shower_cursor():
    image = Image(32, 32)
    polygon(image, [(2, 4), (20, 4), (20, 10), (2, 10)], (200, 205, 215, 255))
    polygon(image, [(20, 5), (31, 5), (31, 9), (20, 9)], (160, 165, 175, 255))
    for x, y in ((4, 15), (10, 17), (16, 15), (7, 23), (13, 25), (19, 22), (4, 29), (16, 30)):
        image.disc(x, y, 1.6, (80, 150, 240, 255), 1.0)
    return image, (11, 10)


def spray_cursor():
    image = Image(32, 32)
    polygon(image, [(14, 2), (24, 2), (24, 6), (21, 6), (21, 10), (25, 13), (25, 31), (13, 31), (13, 13),
                    (17, 10), (17, 6), (14, 6)], (240, 120, 150, 255))
    for x, y in ((9, 3), (6, 6), (4, 2), (2, 8)):
        image.disc(x, y, 1.2, (180, 220, 255, 255), 1.0)
    return image, (2, 4)


def active_cursor():
    image = Image(32, 32)
    image.disc(16, 16, 13, OUTLINE)
    image.disc(16, 16, 11, (255, 215, 80, 255))
    image.disc(16, 16, 5, OUTLINE)
    image.disc(16, 16, 3, (255, 255, 255, 255))
    return image, (16, 16)


def direction_cursor(direction):
    """A broad arrow pointing left, right or up; the hot spot is its tip."""
    shape = [(0, 16), (14, 2), (14, 10), (31, 10), (31, 22), (14, 22), (14, 30)]   # pointing left
    if direction == "right":
        shape = [(31 - x, y) for x, y in shape]
    elif direction == "up":
        shape = [(y, x) for x, y in shape]
    image = Image(32, 32)
    polygon(image, shape, (120, 230, 120, 255))
    tips = {"left": (0, 16), "right": (31, 16), "up": (16, 0)}
    return image, tips[direction]


# Resource name, cursor id, picture.  The tool cursors (hand, shampoo, brush,
# shower, spray) are rendered from the item models by the Blender props
# family where it ran (props/cursors.ini); these flat ones stand in otherwise.
SYSTEM_CURSORS = [
    ("TOLU_POINTER_CURSOR", 0, "pointer", pointer_cursor),
    ("TOLU_BUSY_CURSOR", 1, "busy", busy_cursor),
    ("TOLU_BEAM_CURSOR", 2, "beam", beam_cursor),
    ("TOLU_HAND_CURSOR", 4, "hand", hand_cursor),
    ("TOLU_SHAMPOO_CURSOR", 11, "shampoo", shampoo_cursor),
    ("TOLU_BRUSH_CURSOR", 12, "brush", brush_cursor),
    ("TOLU_SHOWER_CURSOR", 13, "shower", shower_cursor),
    ("TOLU_SPRAY_CURSOR", 14, "spray", spray_cursor),
    ("TOLU_ACTIVE_CURSOR", 15, "active", active_cursor),
    ("TOLU_LEFT_CURSOR", 16, "left", lambda: direction_cursor("left")),
    ("TOLU_RIGHT_CURSOR", 17, "right", lambda: direction_cursor("right")),
    ("TOLU_UP_CURSOR", 18, "up", lambda: direction_cursor("up")),
]


def system_cursors():
    """The pictures and the table the game reads: "name = hot x, hot y, file"."""
    lines = ["; the game's system cursors: resource name = hot x, hot y, picture",
             "; (tool cursors rendered in Blender, listed in props/cursors.ini, take precedence)",
             "[SystemCursors]"]
    for resource, _, name, draw in SYSTEM_CURSORS:
        image, (hot_x, hot_y) = draw()
        path = "Common/syscursor_%s.tga" % name
        lines.append("%s=%d, %d, %s" % (resource, hot_x, hot_y, path))
        yield path, image
    yield "Common/system_cursors.ini", "\n".join(lines) + "\n"


def splash_screen():
    """The picture shown while the game starts: the title over a paw."""
    width, height = 480, 320
    image = Image(width, height)
    image.rounded_rect(0, 0, width, height, 24, (40, 30, 70, 255))
    image.rounded_rect(6, 6, width - 12, height - 12, 20, (90, 120, 200, 255))
    paw = (250, 230, 240, 120)
    image.disc(width / 2, 200, 58, paw, softness=2)
    for dx, dy in ((-78, -64), (-30, -100), (30, -100), (78, -64)):
        image.disc(width / 2 + dx, 200 + dy, 22, paw, softness=2)
    pixelfont.draw_text_centred(image, "VORN", width // 2 + 4, 164, 12, SHADOW)
    pixelfont.draw_text_centred(image, "VORN", width // 2, 160, 12, INK)
    return image


def credits_logo():
    image = Image(240, 80)
    image.rounded_rect(0, 0, 240, 80, 20, (90, 60, 140, 255))
    pixelfont.draw_text_centred(image, "VORN", 120, 40, 6, INK)
    return image


def radial_strip(size=32):
    """The options menu's round boxes: unchecked, checked, disabled."""
    strip = Image(size * 3, size)
    for frame in range(3):
        cx = frame * size + size / 2
        ring = (120, 120, 128, 255) if frame == 2 else (60, 50, 80, 255)
        face = (170, 170, 176, 255) if frame == 2 else (250, 246, 236, 255)
        strip.disc(cx, size / 2, size / 2 - 2, ring)
        strip.disc(cx, size / 2, size / 2 - 5, face)
        if frame == 1:
            strip.disc(cx, size / 2, size / 4, (60, 150, 80, 255))
    return strip


def scroll_thumb(width=40, height=30):
    """The thumb of the load menu's and the volume's scroll bars."""
    image = Image(width, height)
    image.rounded_rect(0, 0, width, height, 10, (60, 50, 80, 255))
    image.rounded_rect(3, 3, width - 6, height - 6, 8, (240, 200, 110, 255))
    for k in (-6, 0, 6):
        image.fill_rect(10, height // 2 + k - 1, width - 20, 2, (150, 110, 50, 255))
    return image


def checkmark(size=56):
    image = Image(size, size)
    image.disc(size / 2, size / 2, size / 2 - 2, (255, 255, 255, 200))
    for t in range(40):
        # two strokes: down to the corner, then up to the right
        a = t / 39
        for (x0, y0, x1, y1) in ((0.22, 0.52, 0.42, 0.72), (0.42, 0.72, 0.80, 0.28)):
            x = (x0 + (x1 - x0) * a) * size
            y = (y0 + (y1 - y0) * a) * size
            image.disc(x, y, size * 0.07, (40, 150, 70, 255))
    return image


# The breeds' coat colours (body, markings) as the load menu shows them.
BREEDS = {"Bengal": ((214, 150, 70), (90, 55, 25)), "Abyssinian": ((190, 110, 60), (120, 60, 30)),
          "Snowpoint": ((240, 232, 220), (90, 70, 70))}


def cat_face(image, cx, cy, r, body, marks, eye):
    for side in (-1, 1):   # ears
        polygon(image, [(cx + side * r * 0.95, cy - r * 1.15), (cx + side * r * 0.25, cy - r * 0.7),
                         (cx + side * r * 0.9, cy - r * 0.2)], body + (255,))
    image.disc(cx, cy, r, body + (255,))
    for k in (-1, 0, 1):   # stripes on the forehead
        image.fill_rect(int(cx + k * r * 0.28 - 2), int(cy - r * 0.85), 4, int(r * 0.4), marks + (255,))
    for side in (-1, 1):
        image.disc(cx + side * r * 0.38, cy - r * 0.05, r * 0.17, eye + (255,))
        image.disc(cx + side * r * 0.38, cy - r * 0.05, r * 0.07, (20, 20, 20, 255))
    image.disc(cx, cy + r * 0.28, r * 0.1, (200, 100, 110, 255))


def load_picture(breed, size=90):
    """A saved pet's picture in the load menu: five frames, the fourth for
    the selected pet."""
    body, marks = BREEDS[breed]
    strip = Image(size * 5, size)
    backs = [(235, 228, 214), (235, 228, 214), (250, 240, 210), (255, 226, 150), (170, 170, 176)]
    for frame, back in enumerate(backs):
        left = frame * size
        strip.rounded_rect(left + 2, 2, size - 4, size - 4, 16, (60, 50, 80, 255))
        strip.rounded_rect(left + 5, 5, size - 10, size - 10, 13, back + (255,))
        eye = (90, 170, 220) if breed == "Snowpoint" else (120, 170, 60)
        cat_face(strip, left + size / 2, size / 2 + 8, size * 0.28, body, marks, eye)
    return strip


def list_panel(width=430, height=320):
    """The light sheet the load menu's list of saved pets lies on."""
    image = Image(width, height)
    image.rounded_rect(0, 0, width, height, 18, (60, 50, 80, 230))
    image.rounded_rect(4, 4, width - 8, height - 8, 15, (252, 246, 232, 235))
    return image


def scroll_track(width, height):
    """The groove a scroll bar's thumb runs in."""
    image = Image(width, height)
    image.rounded_rect(width // 2 - 9, 0, 18, height, 9, (60, 50, 80, 220))
    image.rounded_rect(width // 2 - 6, 3, 12, height - 6, 6, (190, 180, 210, 230))
    return image


def certificate():
    """The adoption certificate: a framed sheet the room writes the name on."""
    image = Image(*SCREEN)
    image.vertical_gradient((120, 90, 60), (70, 50, 35))
    image.rounded_rect(60, 40, 680, 520, 24, (90, 60, 30, 255))
    image.rounded_rect(72, 52, 656, 496, 18, (252, 246, 226, 255))
    image.rounded_rect(90, 70, 620, 460, 12, (200, 170, 110, 255))
    image.rounded_rect(94, 74, 612, 452, 10, (252, 246, 226, 255))
    pixelfont.draw_text_centred(image, "ADOPTION", 400, 120, 6, (110, 70, 40, 255))
    pixelfont.draw_text_centred(image, "CERTIFICATE", 400, 170, 6, (110, 70, 40, 255))
    image.disc(640, 440, 44, (200, 60, 60, 255))
    image.disc(640, 440, 34, (230, 90, 80, 255))
    cat_face(image, 640, 446, 20, (250, 230, 200), (200, 60, 60), (60, 60, 60))
    return image


# Button strips: file name -> label and face colour (the Blender menu
# generator renders the same table).
BUTTONS = {"play": ("Play", (70, 150, 90)), "options": ("Options", (70, 110, 180)),
           "about": ("About", (150, 110, 60)), "quit": ("Quit", (170, 70, 70)),
           "back": ("Back", (90, 90, 150)), "ok": ("Ok", (70, 150, 90)),
           "load": ("Load", (120, 90, 160)), "kennel": ("Kennel", (90, 140, 90)),
           "house": ("House", (160, 120, 70)), "menu": ("Menu", (90, 90, 150)),
           "yes": ("Yes", (70, 150, 90)), "no": ("No", (170, 70, 70)),
           "previous": ("Prev", (90, 140, 90)), "next": ("Next", (90, 140, 90)),
           "choose": ("Choose", (70, 150, 90)), "adopt": ("Go Home", (160, 120, 70)),
           "delete": ("Delete", (170, 70, 70)), "accept": ("Accept", (70, 150, 90)),
           "credits": ("Credits", (150, 110, 60))}


def all_images():
    yield "MainMenu/background.tga", room_background("VORN", (70, 110, 190), (240, 170, 120), (255, 255, 255), 1)
    yield "OptionsMenu/background.tga", room_background("OPTIONS", (40, 120, 110), (170, 220, 150), (255, 255, 200), 2)
    yield "LoadMenu/background.tga", room_background("LOAD A PET", (90, 70, 140), (200, 160, 220), (255, 230, 255), 3)
    yield "House/background.tga", room_background("HOUSE", (200, 170, 120), (120, 80, 50), (255, 240, 200), 4)
    for n in (1, 2, 3):
        yield "Kennel%d/background.tga" % n, room_background("KENNEL %d" % n, (90, 140, 90 + 30 * n), (60, 90, 60), (230, 255, 230), 4 + n)
    for name, (label, colour) in BUTTONS.items():
        yield "Common/button_%s.tga" % name, button_strip(label, colour)
    yield "Common/check.tga", check_strip()
    yield "UI/UI_xVRradialbuttons_01T.tga", radial_strip()
    yield "UI/UI_xVRscrollline_01T.tga", scroll_thumb()
    yield "UI/But_xVRcheckmark_01T.tga", checkmark()
    for breed in BREEDS:
        yield "UI/But_xVload%s_01T.tga" % breed, load_picture(breed)
    yield "UI/load_list.tga", list_panel()
    yield "UI/list_track.tga", scroll_track(46, 354)
    yield "UI/volume_track.tga", scroll_track(56, 260)
    yield "Kennel/certificate.tga", certificate()
    yield "Common/about_dialog.tga", dialog_face("ABOUT VORN")
    yield "Common/question_dialog.tga", dialog_face("")
    yield "Common/cursor_paw.tga", paw_cursor()
    yield "Common/cursor_arrow.tga", arrow_cursor()
    yield "Common/credits_logo.tga", credits_logo()
    yield from system_cursors()
    yield "Textures/splashscreen.tga", splash_screen()


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: gen_images.py OUTPUT_FOLDER")
    # pictures the Blender menu generator rendered (its list) are kept; these
    # flat ones stand in only where Blender has not run
    rendered = set()
    try:
        with open(os.path.join(sys.argv[1], "menus", "list.txt")) as f:
            rendered = {line.strip() for line in f if line.strip()}
    except OSError:
        pass
    for relative, image in all_images():
        if relative in rendered:
            continue
        if isinstance(image, str):
            with open(os.path.join(sys.argv[1], relative), "w") as f:
                f.write(image)
        else:
            image.save_tga(os.path.join(sys.argv[1], relative))


if __name__ == "__main__":
    main()
