#!/usr/bin/env python3
"""The game's sounds, synthesised: 22050 Hz, 16-bit, mono PCM WAV files.

Usage: gen_sounds.py OUTPUT_FOLDER

Everything here is made from oscillators, noise and filters; nothing is
sampled.  The voice sounds (meows, the kitten's mew) are harmonics of a
gliding pitch, each weighted by formants whose targets move from an "i"
through "a" to "u", which is what makes a meow read as one.  Random numbers come
from a fixed seed, so every build writes the same files.
"""
import math
import os
import random
import struct
import sys
import wave

RATE = 22050
TAU = 2.0 * math.pi


# ------------------------------------------------------------- building blocks
def silence(seconds):
    return [0.0] * int(seconds * RATE)


def noise(seconds, rng):
    return [rng.uniform(-1.0, 1.0) for _ in range(int(seconds * RATE))]


def sine(freq, seconds, phase=0.0):
    """freq may be a number or a function of time in seconds."""
    out, ph = [], phase
    for i in range(int(seconds * RATE)):
        f = freq(i / RATE) if callable(freq) else freq
        out.append(math.sin(ph))
        ph += TAU * f / RATE
    return out


def envelope(samples, attack, decay_rate=0.0, release=0.0, hold=None):
    """Linear attack, exponential decay (per second), linear release at the end."""
    n = len(samples)
    a, r = int(attack * RATE), int(release * RATE)
    out = []
    for i, s in enumerate(samples):
        g = 1.0
        if a and i < a:
            g = i / a
        t = i / RATE
        if decay_rate:
            g *= math.exp(-decay_rate * max(0.0, t - attack))
        if r and i > n - r:
            g *= (n - i) / r
        out.append(s * g)
    return out


def mix(*tracks, at=None):
    """Sums tracks; `at` gives each one's start in seconds."""
    at = at or [0.0] * len(tracks)
    length = max(int(t0 * RATE) + len(tr) for tr, t0 in zip(tracks, at))
    out = [0.0] * length
    for tr, t0 in zip(tracks, at):
        base = int(t0 * RATE)
        for i, s in enumerate(tr):
            out[base + i] += s
    return out


def gain(samples, g):
    return [s * g for s in samples]


def normalise(samples, peak=0.8):
    top = max(1e-9, max(abs(s) for s in samples))
    return [s * peak / top for s in samples]


def lowpass(samples, cutoff):
    k = 1.0 - math.exp(-TAU * cutoff / RATE)
    y, out = 0.0, []
    for s in samples:
        y += k * (s - y)
        out.append(y)
    return out


def highpass(samples, cutoff):
    low = lowpass(samples, cutoff)
    return [s - l for s, l in zip(samples, low)]


def resonator(samples, freq, bandwidth):
    """Two-pole resonance; freq and bandwidth may be functions of time."""
    y1 = y2 = 0.0
    out = []
    for i, s in enumerate(samples):
        t = i / RATE
        f = freq(t) if callable(freq) else freq
        bw = bandwidth(t) if callable(bandwidth) else bandwidth
        r = math.exp(-math.pi * bw / RATE)
        c = 2.0 * r * math.cos(TAU * f / RATE)
        y = (1.0 - r) * s + c * y1 - r * r * y2
        y2, y1 = y1, y
        out.append(y)
    return out


def bandpass(samples, freq, q):
    if callable(freq):
        return resonator(samples, freq, lambda t: freq(t) / q)
    return resonator(samples, freq, freq / q)


def glide(points):
    """A function of time through (time, value) points, linear between them."""
    def value(t):
        if t <= points[0][0]:
            return points[0][1]
        for (t0, v0), (t1, v1) in zip(points, points[1:]):
            if t <= t1:
                return v0 + (v1 - v0) * (t - t0) / (t1 - t0)
        return points[-1][1]
    return value


def trim_to_zero_crossings(samples):
    """Cuts the ends to rising zero crossings so a loop joins without a click."""
    def rising(i):
        return samples[i - 1] < 0.0 <= samples[i]
    start = next(i for i in range(1, len(samples)) if rising(i))
    end = next(i for i in range(len(samples) - 1, start, -1) if rising(i))
    return samples[start:end]


def write_wav(path, samples):
    frames = b"".join(struct.pack("<h", max(-32767, min(32767, int(round(s * 32767))))) for s in samples)
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(frames)


# ------------------------------------------------------------- the sounds
def click(rng):
    tick = envelope(bandpass(noise(0.03, rng), 3200, 3.0), 0.0005, 180.0)
    body = envelope(sine(1400, 0.03), 0.0005, 250.0)
    return normalise(mix(tick, gain(body, 0.5)), 0.7)


def hover(rng):
    blip = envelope(sine(glide([(0, 1500), (0.05, 1900)]), 0.06), 0.004, 60.0, 0.01)
    return normalise(blip, 0.35)


def tip(rng):
    a = envelope(sine(880, 0.5), 0.005, 7.0)
    b = envelope(sine(1318.5, 0.6), 0.005, 6.0)
    return normalise(mix(a, b, at=[0, 0.12]), 0.5)


def voice(rng, pitch, seconds, formant_tracks, breath=0.04, jitter=0.004):
    """Voiced sound by additive synthesis: every harmonic below the Nyquist
    limit, each as loud as the formant envelope at its frequency, so the
    vowel is clear and nothing folds back.  formant_tracks are (frequency
    fn, bandwidth, level)."""
    out, ph = [], 0.0
    limit = 0.45 * RATE
    for i in range(int(seconds * RATE)):
        t = i / RATE
        f0 = pitch(t) * (1.0 + rng.uniform(-jitter, jitter))
        ph = (ph + f0 / RATE) % 1.0
        centres = [(f(t), bw, level) for f, bw, level in formant_tracks]
        value = 0.0
        k = 1
        while k * f0 < limit:
            fk = k * f0
            amp = sum(level / (1.0 + ((fk - fc) / bw) ** 2) for fc, bw, level in centres)
            value += amp * math.sin(TAU * k * ph) * min(1.0, (limit - fk) / 300.0)
            k += 1
        out.append(value + 0.3 * breath * rng.uniform(-1.0, 1.0))
    return out


def meow(rng, pitch_points, seconds, vowel_points, breath=0.04, rough=0.0):
    pitch = glide(pitch_points)
    f1 = glide([(t, v[0]) for t, v in vowel_points])
    f2 = glide([(t, v[1]) for t, v in vowel_points])
    f3 = glide([(t, v[2]) for t, v in vowel_points])
    voiced = voice(rng, pitch, seconds, [(f1, 180, 1.0), (f2, 220, 0.6), (f3, 350, 0.25)], breath)
    if rough:   # an annoyed cat's voice rattles: amplitude flutter at ~31 Hz
        voiced = [s * (1.0 - rough + rough * abs(math.sin(TAU * 31 * i / RATE))) for i, s in enumerate(voiced)]
    shaped = envelope(voiced, 0.06, 0.0, 0.18)
    return normalise(highpass(shaped, 250), 0.75)


# Vowel targets (F1, F2, F3) scaled up for a small animal's short tract.
I_, A_, U_ = (500, 2900, 4200), (1100, 1900, 3800), (650, 1200, 3400)


def meow_happy(rng):
    return meow(rng, [(0, 620), (0.15, 820), (0.45, 700), (0.65, 560)], 0.65,
                [(0, I_), (0.12, I_), (0.3, A_), (0.5, A_), (0.65, U_)])


def meow_asking(rng):
    return meow(rng, [(0, 520), (0.3, 560), (0.6, 700), (0.75, 820)], 0.75,
                [(0, U_), (0.1, I_), (0.35, A_), (0.75, A_)])


def meow_annoyed(rng):
    return meow(rng, [(0, 470), (0.2, 520), (0.6, 430), (0.9, 360)], 0.9,
                [(0, I_), (0.1, A_), (0.6, A_), (0.9, U_)], breath=0.12, rough=0.45)


def kitten_mew(rng):
    return meow(rng, [(0, 950), (0.12, 1150), (0.35, 900)], 0.35,
                [(0, I_), (0.15, A_), (0.35, U_)], breath=0.03)


def hiss(rng):
    n = highpass(noise(1.0, rng), 2500)
    n = mix(n, gain(bandpass(noise(1.0, rng), 5500, 2.0), 0.8))
    return normalise(envelope(n, 0.02, 1.2, 0.25), 0.6)


def purr(rng):
    # Each breath is a train of soft pulses at ~26 Hz through a low body
    # resonance; the exhale is louder than the inhale.
    seconds = 2.2

    def breath_level(t):
        phase = (t % 1.1) / 1.1
        if phase < 0.55:
            return 0.55 + 0.45 * math.sin(math.pi * phase / 0.55)   # the louder exhale
        return 0.55 - 0.2 * math.sin(math.pi * (phase - 0.55) / 0.45)   # the quieter inhale

    out = []
    for i in range(int(seconds * RATE)):
        t = i / RATE
        level = breath_level(t)
        pulse = max(0.0, math.sin(TAU * 26 * t)) ** 6
        out.append(level * (pulse * rng.uniform(0.6, 1.0) + 0.05 * rng.uniform(-1, 1)))
    body = mix(gain(resonator(out, 120, 60), 1.0), gain(resonator(out, 260, 120), 0.6))
    # The rattle of the larynx: throat noise gated by the same pulses.
    pulses = [breath_level(i / RATE) * max(0.0, math.sin(TAU * 26 * i / RATE)) ** 4 for i in range(len(out))]
    rattle = [p * n for p, n in zip(pulses, lowpass(lowpass(noise(seconds, rng), 1200), 1200))]
    body = highpass(mix(body, gain(rattle, 0.6 * max(abs(v) for v in body) / max(1e-9, max(abs(v) for v in rattle)))), 40)
    return normalise(trim_to_zero_crossings(body), 0.6)


def crunch(rng):
    parts, at, t = [], [], 0.0
    while t < 1.1:
        burst = envelope(bandpass(noise(0.05, rng), rng.uniform(1500, 3800), 1.5), 0.001, 70.0)
        parts.append(gain(burst, rng.uniform(0.4, 1.0)))
        at.append(t)
        t += rng.uniform(0.05, 0.16)
    return normalise(mix(*parts, at=at), 0.7)


def lapping(rng):
    parts, at = [], []
    for k in range(5):
        drop = envelope(sine(glide([(0, 500), (0.06, 1300)]), 0.07), 0.003, 40.0)
        splash = envelope(bandpass(noise(0.05, rng), 2500, 2.0), 0.001, 90.0)
        parts += [drop, gain(splash, 0.5)]
        at += [k * 0.24, k * 0.24 + 0.01]
    return normalise(mix(*parts, at=at), 0.6)


def step_wood(rng):
    knock = mix(envelope(sine(190, 0.18), 0.001, 35.0), gain(envelope(sine(430, 0.18), 0.001, 55.0), 0.6),
                gain(envelope(bandpass(noise(0.02, rng), 2000, 2.0), 0.0005, 200.0), 0.5))
    return normalise(knock, 0.7)


def step_grass(rng):
    swish = envelope(bandpass(noise(0.22, rng), 3000, 1.2), 0.02, 12.0, 0.05)
    crackle = [s if rng.random() < 0.02 else 0.0 for s in noise(0.22, rng)]
    return normalise(mix(swish, gain(highpass(crackle, 1500), 0.8)), 0.55)


def ball_bounce(rng):
    thump = envelope(sine(glide([(0, 170), (0.2, 70)]), 0.25), 0.001, 14.0)
    slap = envelope(bandpass(noise(0.03, rng), 900, 1.5), 0.0005, 120.0)
    return normalise(mix(thump, gain(slap, 0.4)), 0.8)


def squeak(rng):
    pitch = glide([(0, 1150), (0.1, 1750), (0.3, 1450)])
    wobble = lambda t: pitch(t) * (1.0 + 0.03 * math.sin(TAU * 18 * t))
    toned = voice(rng, wobble, 0.32, [(lambda t: 2200, 500, 1.0), (lambda t: 3600, 600, 0.5)], 0.02)
    return normalise(envelope(toned, 0.02, 0.0, 0.08), 0.6)


def bell_partials(f0, seconds, decay):
    partials = [(1.0, 1.0), (2.76, 0.5), (5.40, 0.3), (8.93, 0.15)]
    audible = [(r, a) for r, a in partials if f0 * r < 0.45 * RATE]   # nothing that would fold back
    return mix(*[gain(envelope(sine(f0 * r, seconds), 0.001, decay * (1 + r * 0.4)), a) for r, a in audible])


def bell_toy(rng):
    hits = [bell_partials(f, 0.7, 4.0) for f in (1480, 1620, 1550)]
    return normalise(mix(*hits, at=[0, 0.09, 0.2]), 0.6)


def cash_register(rng):
    clunk = envelope(bandpass(noise(0.08, rng), 700, 1.2), 0.001, 40.0)
    drawer = envelope(lowpass(noise(0.3, rng), 400), 0.05, 6.0, 0.05)
    ching = bell_partials(2093, 1.2, 2.5)
    return normalise(mix(clunk, gain(drawer, 0.5), ching, at=[0, 0.05, 0.12]), 0.7)


def shutter(rng):
    def clack():
        return envelope(bandpass(noise(0.03, rng), 2600, 1.5), 0.0005, 150.0)
    whirr = envelope(bandpass(noise(0.12, rng), 5000, 4.0), 0.01, 10.0, 0.03)
    return normalise(mix(clack(), clack(), gain(whirr, 0.2), at=[0, 0.07, 0.1]), 0.7)


def glitter(rng):
    notes = [1568, 1760, 2093, 2349, 2637, 3136]
    parts = [gain(envelope(sine(f, 0.6), 0.002, 8.0), 0.7) for f in notes]
    sparkle = envelope(highpass(noise(0.9, rng), 6000), 0.05, 4.0)
    return normalise(mix(*parts, gain(sparkle, 0.1), at=[k * 0.06 for k in range(len(notes))] + [0]), 0.6)


def brush(rng):
    def stroke():
        return envelope(bandpass(noise(0.35, rng), 3500, 0.9), 0.12, 0.0, 0.15)
    return normalise(mix(stroke(), stroke(), at=[0, 0.42]), 0.5)


def splash(rng):
    body = envelope(lowpass(noise(0.7, rng), 1800), 0.005, 6.0)
    parts, at = [body], [0.0]
    for _ in range(12):
        f = rng.uniform(700, 1800)
        parts.append(gain(envelope(sine(glide([(0, f), (0.04, f * 1.8)]), 0.05), 0.002, 50.0), 0.3))
        at.append(rng.uniform(0.05, 0.6))
    return normalise(mix(*parts, at=at), 0.7)


def whoosh(rng):
    sweep = envelope(bandpass(noise(0.35, rng), glide([(0, 600), (0.35, 2400)]), 2.0), 0.15, 0.0, 0.15)
    return normalise(sweep, 0.5)


def throw_ducky(rng):
    return normalise(mix(whoosh(rng), gain(squeak(rng), 0.6), at=[0, 0.1]), 0.6)


def throw_jingle(rng):
    return normalise(mix(whoosh(rng), gain(bell_toy(rng), 0.5), at=[0, 0.05]), 0.6)


SOUNDS = {
    "button.wav": click, "hover.wav": hover, "tip.wav": tip,
    "meow_happy.wav": meow_happy, "meow_asking.wav": meow_asking, "meow_annoyed.wav": meow_annoyed,
    "kitten_mew.wav": kitten_mew, "hiss.wav": hiss, "purr_loop.wav": purr,
    "eat_crunch.wav": crunch, "lap_water.wav": lapping,
    "step_wood.wav": step_wood, "step_grass.wav": step_grass,
    "ball_bounce.wav": ball_bounce, "squeak_toy.wav": squeak, "bell_toy.wav": bell_toy,
    "cash_register.wav": cash_register, "camera_shutter.wav": shutter, "glitter_chime.wav": glitter,
    "brush_stroke.wav": brush, "water_splash.wav": splash,
    "land-toy.wav": ball_bounce, "land-ducky.wav": squeak, "land-jingle.wav": bell_toy,
    "throw-ducky.wav": throw_ducky, "throw-jingle.wav": throw_jingle,
}


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, make in SOUNDS.items():
        rng = random.Random(name)
        write_wav(os.path.join(folder, name), make(rng))


if __name__ == "__main__":
    main()
