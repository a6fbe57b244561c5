#!/usr/bin/env python3
"""Generates the game's movies: the intro (the title, a cat walking across,
a chime) and the rain on the house's window, drawn frame by frame here and
encoded with the ffmpeg tool (VP8 pictures, Vorbis sound, in WebM files).

Usage:

    gen_movies.py OUTPUT_FOLDER
"""
import math
import os
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pixelfont  # noqa: E402


class Frame:
    """RGB pixels with the span operations the drawings need."""

    def __init__(self, width, height, pixels=None):
        self.width = width
        self.height = height
        self.pixels = bytearray(pixels) if pixels is not None else bytearray(width * height * 3)

    def copy(self):
        return Frame(self.width, self.height, self.pixels)

    def span(self, y, x0, x1, colour):
        x0, x1 = max(0, int(x0)), min(self.width, int(x1))
        if 0 <= y < self.height and x1 > x0:
            start = (y * self.width + x0) * 3
            self.pixels[start:start + (x1 - x0) * 3] = bytes(colour[:3]) * (x1 - x0)

    def fill_rect(self, x, y, w, h, colour):
        for yy in range(int(y), int(y + h)):
            self.span(yy, x, x + w, colour)

    def ellipse(self, cx, cy, rx, ry, colour):
        for y in range(int(cy - ry), int(cy + ry) + 1):
            d = (y - cy) / ry
            if abs(d) <= 1:
                half = rx * math.sqrt(1 - d * d)
                self.span(y, cx - half, cx + half, colour)

    def triangle(self, a, b, c, colour):
        pts = sorted([a, b, c], key=lambda p: p[1])
        for y in range(int(pts[0][1]), int(pts[2][1]) + 1):
            xs = []
            for p, q in ((pts[0], pts[1]), (pts[1], pts[2]), (pts[0], pts[2])):
                if p[1] != q[1] and min(p[1], q[1]) <= y <= max(p[1], q[1]):
                    xs.append(p[0] + (q[0] - p[0]) * (y - p[1]) / (q[1] - p[1]))
            if len(xs) >= 2:
                self.span(y, min(xs), max(xs) + 1, colour)

    def blend_rect(self, x, y, w, h, colour, amount):
        for yy in range(max(0, y), min(self.height, y + h)):
            for xx in range(max(0, x), min(self.width, x + w)):
                i = (yy * self.width + xx) * 3
                for c in range(3):
                    self.pixels[i + c] = round(self.pixels[i + c] * (1 - amount) + colour[c] * amount)


def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


# ------------------------------------------------------------------ intro
INTRO_W, INTRO_H, INTRO_FPS, INTRO_SECONDS = 640, 360, 15, 4
SILHOUETTE = (24, 16, 30)


def intro_background():
    frame = Frame(INTRO_W, INTRO_H)
    horizon = INTRO_H * 3 // 4
    for y in range(INTRO_H):
        if y < horizon:
            colour = mix((40, 44, 96), (236, 150, 96), y / horizon)
        else:
            colour = mix((70, 52, 60), (40, 30, 40), (y - horizon) / (INTRO_H - horizon))
        frame.span(y, 0, INTRO_W, colour)
    frame.ellipse(520, 70, 26, 26, (250, 240, 210))   # the moon rising
    return frame


def draw_cat(frame, x, ground, phase):
    """A cat in profile walking to the right; `phase` (0..1) is the stride."""
    c = SILHOUETTE
    bob = 2 * math.sin(phase * 4 * math.pi)
    body_y = ground - 44 + bob
    frame.ellipse(x, body_y, 46, 17, c)                         # body
    frame.ellipse(x + 50, body_y - 18, 16, 14, c)               # head
    frame.triangle((x + 38, body_y - 26), (x + 44, body_y - 44), (x + 50, body_y - 29), c)   # ears
    frame.triangle((x + 52, body_y - 29), (x + 60, body_y - 45), (x + 63, body_y - 24), c)
    frame.ellipse(x + 64, body_y - 14, 6, 4, c)                 # muzzle
    for i in range(14):                                         # the tail, curling up
        t = i / 13
        tx = x - 44 - 22 * t
        ty = body_y - 6 - 40 * t + 8 * math.sin(t * math.pi + phase * 2 * math.pi)
        frame.ellipse(tx, ty, 5, 5, c)
    for k, (leg_x, offset) in enumerate(((x + 30, 0.0), (x + 20, 0.5), (x - 28, 0.5), (x - 36, 0.0))):
        swing = 9 * math.sin((phase + offset) * 2 * math.pi)
        top = body_y + 6
        for y in range(int(top), ground):
            t = (y - top) / max(1, ground - top)
            frame.span(y, leg_x + swing * t - 4, leg_x + swing * t + 4, c)


def intro_frames():
    background = intro_background()
    count = INTRO_FPS * INTRO_SECONDS
    ground = INTRO_H * 3 // 4 + 20
    for n in range(count):
        t = n / INTRO_FPS
        frame = background.copy()
        # The title fades in over the first second and stays.
        fade = min(1.0, max(0.0, (t - 0.3) / 0.9))
        sky = mix((40, 44, 96), (236, 150, 96), 80 / (INTRO_H * 3 // 4))
        pixelfont.draw_text_centred(frame, "VORN", INTRO_W // 2, 80, 12, mix(sky, (255, 236, 170), fade))
        pixelfont.draw_text_centred(frame, "A CAT OF YOUR OWN", INTRO_W // 2, 150, 3, mix(sky, (255, 250, 235), fade))
        x = -90 + (INTRO_W + 180) * t / INTRO_SECONDS
        draw_cat(frame, x, ground, (t * 1.6) % 1.0)
        yield frame


def chime(rate=22050, seconds=INTRO_SECONDS):
    """Two soft bell strokes as the title appears: partials of a struck bar."""
    samples = [0.0] * int(rate * seconds)
    for start, base in ((0.6, 880.0), (1.0, 1318.5)):
        for ratio, level, decay in ((1.0, 0.5, 2.2), (2.76, 0.22, 4.0), (5.40, 0.10, 7.0)):
            freq = base * ratio
            for i in range(int(start * rate), len(samples)):
                tt = i / rate - start
                samples[i] += level * math.exp(-decay * tt) * math.sin(2 * math.pi * freq * tt) * min(1.0, tt * 400)
    return b"".join(struct.pack("<h", max(-32767, min(32767, int(s * 12000)))) for s in samples)


# ------------------------------------------------------------------ rain
RAIN_W, RAIN_H, RAIN_FPS, RAIN_FRAMES = 160, 120, 12, 24


def rain_frames():
    """Rain running down a night window, as a loop: every drop falls a whole
    number of window heights in the loop's length."""
    glass = Frame(RAIN_W, RAIN_H)
    for y in range(RAIN_H):
        glass.span(y, 0, RAIN_W, mix((26, 36, 58), (52, 66, 92), y / RAIN_H))
    frame_colour = (92, 64, 44)
    drops = [((i * 37) % RAIN_W, (i * 53) % RAIN_H, 1 + i % 2, 4 + i % 5) for i in range(40)]
    for n in range(RAIN_FRAMES):
        frame = glass.copy()
        for x, y0, speed, length in drops:
            y = (y0 + n * speed * RAIN_H // RAIN_FRAMES) % RAIN_H
            for k in range(length):
                frame.span((y + k) % RAIN_H, x, x + 1, mix((120, 140, 170), (200, 215, 235), k / length))
        frame.fill_rect(0, 0, RAIN_W, 6, frame_colour)        # the window frame and its cross
        frame.fill_rect(0, RAIN_H - 6, RAIN_W, 6, frame_colour)
        frame.fill_rect(0, 0, 6, RAIN_H, frame_colour)
        frame.fill_rect(RAIN_W - 6, 0, 6, RAIN_H, frame_colour)
        frame.fill_rect(RAIN_W // 2 - 3, 0, 6, RAIN_H, frame_colour)
        frame.fill_rect(0, RAIN_H // 2 - 3, RAIN_W, 6, frame_colour)
        yield frame


def encode(path, width, height, fps, frames, audio=None):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with tempfile.TemporaryDirectory() as work:
        video = os.path.join(work, "video.rgb")
        with open(video, "wb") as out:
            for frame in frames:
                out.write(frame.pixels)
        command = ["ffmpeg", "-nostdin", "-loglevel", "error", "-y",
                   "-f", "rawvideo", "-pix_fmt", "rgb24", "-s", "%dx%d" % (width, height), "-r", str(fps), "-i", video]
        if audio is not None:
            sound = os.path.join(work, "sound.raw")
            with open(sound, "wb") as out:
                out.write(audio)
            command += ["-f", "s16le", "-ar", "22050", "-ac", "1", "-i", sound, "-c:a", "libvorbis", "-q:a", "3"]
        command += ["-c:v", "libvpx", "-b:v", "900k", "-g", str(fps), "-deadline", "good", "-cpu-used", "4",
                    "-pix_fmt", "yuv420p", "-threads", "1", path + ".part.webm"]
        subprocess.run(command, check=True)
        os.replace(path + ".part.webm", path)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    encode(os.path.join(out, "Common", "intro.webm"), INTRO_W, INTRO_H, INTRO_FPS, intro_frames(), chime())
    encode(os.path.join(out, "House", "rain.webm"), RAIN_W, RAIN_H, RAIN_FPS, rain_frames())


if __name__ == "__main__":
    main()
