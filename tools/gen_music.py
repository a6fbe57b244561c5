#!/usr/bin/env python3
"""The game's music: three short pieces written here as note data, saved
as MIDI, played by FluidSynth through a General MIDI sound font and
encoded to MP3 with lame.

Usage: gen_music.py OUTPUT_FOLDER [SOUND_FONT]

Each piece is a loop.  It is rendered twice over and the second pass is
cut out sample-exactly, so the reverb and release tails of the loop's end
are already sounding under its start, and the loop joins without a gap
or a click.  lame records its encoder delay and padding in the file's
header, which the decoder uses to play the loop back gaplessly.
"""
import array
import os
import struct
import subprocess
import sys
import tempfile
import wave

TPQ = 480          # MIDI ticks per quarter note
RATE = 44100
DEFAULT_FONT = "/usr/share/sounds/sf2/TimGM6mb.sf2"

NOTE = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}


def pitch(name):
    """'C4' -> 60, 'F#3' -> 54, 'Bb2' -> 46."""
    step = NOTE[name[0]]
    rest = name[1:]
    if rest.startswith("#"):
        step, rest = step + 1, rest[1:]
    elif rest.startswith("b"):
        step, rest = step - 1, rest[1:]
    return 12 * (int(rest) + 1) + step


# ------------------------------------------------------------- MIDI writing
def var_len(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.insert(0, 0x80 | (value & 0x7F))
        value >>= 7
    return bytes(out)


def track_chunk(events):
    """events: (tick, bytes) in any order; note-offs sort before note-ons."""
    events = sorted(events, key=lambda e: (e[0], 0 if (e[1][0] & 0xF0) in (0x80, 0xB0, 0xC0) else 1))
    data, now = bytearray(), 0
    for tick, message in events:
        data += var_len(tick - now) + message
        now = tick
    data += var_len(0) + b"\xff\x2f\x00"
    return b"MTrk" + struct.pack(">I", len(data)) + bytes(data)


class Song:
    def __init__(self, tempo_bpm, beats):
        self.tempo = tempo_bpm
        self.beats = beats          # length of one pass of the loop
        self.parts = []             # (channel, program, volume, notes)

    def part(self, channel, program, volume, notes):
        """notes: (beat, length in beats, MIDI pitch, velocity)."""
        self.parts.append((channel, program, volume, notes))

    def midi(self, passes):
        tracks = []
        tempo = int(60_000_000 / self.tempo)
        tracks.append(track_chunk([(0, b"\xff\x51\x03" + tempo.to_bytes(3, "big"))]))
        for channel, program, volume, notes in self.parts:
            events = [(0, bytes([0xB0 | channel, 7, volume])), (0, bytes([0xB0 | channel, 91, 40]))]
            if channel != 9:
                events.append((0, bytes([0xC0 | channel, program])))
            for p in range(passes):
                base = p * self.beats
                for beat, length, note, velocity in notes:
                    on = int(round((base + beat) * TPQ))
                    off = int(round((base + beat + length) * TPQ)) - 1
                    events.append((on, bytes([0x90 | channel, note, velocity])))
                    events.append((off, bytes([0x80 | channel, note, 0])))
            tracks.append(track_chunk(events))
        header = b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), TPQ)
        return header + b"".join(tracks)


# ------------------------------------------------------------- composing helpers
def chord_tones(root, minor=False, octave=3):
    r = pitch(root + str(octave))
    return [r, r + (3 if minor else 4), r + 7]


def arpeggio(chords, beats_per_chord, velocity, pattern=(0, 2, 4, 1, 3, 2, 4, 1), step=0.5):
    """chords: [(root, minor)], each spread over its beats as a broken chord."""
    notes = []
    for i, (root, minor) in enumerate(chords):
        tones = chord_tones(root, minor, 3)
        tones = tones + [t + 12 for t in tones]
        for k in range(int(beats_per_chord / step)):
            notes.append((i * beats_per_chord + k * step, step * 1.5, tones[pattern[k % len(pattern)] % len(tones)], velocity))
    return notes


def pads(chords, beats_per_chord, velocity, octave=4):
    notes = []
    for i, (root, minor) in enumerate(chords):
        for t in chord_tones(root, minor, octave):
            notes.append((i * beats_per_chord, beats_per_chord, t, velocity))
    return notes


def bass_line(chords, beats_per_chord, velocity, rhythm=(0, 2), octave=2):
    notes = []
    for i, (root, minor) in enumerate(chords):
        r = pitch(root + str(octave))
        for k, beat in enumerate(rhythm):
            notes.append((i * beats_per_chord + beat, 1.8 if len(rhythm) < 3 else 0.9, r + (7 if k % 2 else 0), velocity))
    return notes


def melody(text, velocity, start=0.0):
    """'E5:1 G5:0.5 -:0.5 ...' with '-' for a rest."""
    notes, beat = [], start
    for item in text.split():
        name, length = item.split(":")
        length = float(length)
        if name != "-":
            notes.append((beat, length * 0.95, pitch(name), velocity))
        beat += length
    return notes


def drums(beats, pattern):
    """pattern: {drum note: [beats within a bar]}; bars of 4 beats."""
    notes = []
    for bar in range(int(beats / 4)):
        for note, hits in pattern.items():
            for beat, velocity in hits:
                notes.append((bar * 4 + beat, 0.25, note, velocity))
    return notes


# ------------------------------------------------------------- the pieces
def menu_theme():
    chords = [("C", False), ("A", True), ("F", False), ("G", False),
              ("C", False), ("A", True), ("D", True), ("G", False)]
    song = Song(88, 32)
    song.part(0, 10, 90, melody(
        "E5:1.5 D5:0.5 C5:1 G4:1 A4:1.5 C5:0.5 E5:2 "
        "F5:1.5 E5:0.5 D5:1 C5:1 D5:3 -:1 "
        "E5:1.5 G5:0.5 E5:1 C5:1 A4:1.5 C5:0.5 E5:2 "
        "D5:1.5 F5:0.5 E5:1 D5:1 B4:2 G4:2", 82))
    song.part(1, 0, 70, arpeggio(chords, 4, 58))
    song.part(2, 48, 60, pads(chords, 4, 45))
    song.part(3, 32, 80, bass_line(chords, 4, 70))
    return song


def house_theme():
    chords = [("F", False), ("D", True), ("Bb", False), ("C", False),
              ("F", False), ("D", True), ("G", True), ("C", False)]
    song = Song(100, 32)
    song.part(0, 12, 95, melody(
        "A4:0.5 C5:0.5 F5:1 E5:0.5 D5:0.5 C5:1 A4:1 D5:1 F5:0.5 E5:0.5 D5:1 A4:1 "
        "Bb4:0.5 D5:0.5 F5:1 D5:1 C5:1 E5:1 G5:1 E5:1 C5:1 "
        "A4:0.5 C5:0.5 F5:1 A5:1 G5:0.5 F5:0.5 E5:1 D5:1 F5:1 A4:1 "
        "Bb4:1 D5:1 G5:1 F5:0.5 E5:0.5 C5:2 -:2", 80))
    song.part(1, 24, 75, arpeggio(chords, 4, 60, pattern=(0, 2, 1, 2), step=1.0))
    song.part(2, 45, 85, bass_line(chords, 4, 75, rhythm=(0, 1.5, 2, 3)))
    song.part(9, 0, 60, drums(32, {70: [(b * 0.5, 40 + 20 * (b % 2 == 0)) for b in range(8)],
                                  37: [(1, 50), (3, 50)]}))
    return song


def talent_theme():
    chords = [("G", False), ("E", True), ("C", False), ("D", False),
              ("G", False), ("E", True), ("A", True), ("D", False)]
    song = Song(124, 32)
    song.part(0, 61, 90, melody(
        "D5:0.5 G5:0.5 B5:1 A5:0.5 G5:0.5 E5:1 G5:0.5 B5:0.5 E5:2 "
        "C5:0.5 E5:0.5 G5:1 E5:0.5 C5:0.5 A5:1 F#5:1 D5:1 -:1 "
        "D5:0.5 G5:0.5 B5:1 D6:1 B5:0.5 G5:0.5 E5:1 G5:1 B5:1 "
        "C6:1 A5:0.5 E5:0.5 A5:1 F#5:0.5 E5:0.5 D5:2 -:2", 96))
    song.part(1, 0, 70, [(i * 4 + b, 0.4, t, 62) for i, (r, m) in enumerate(chords)
                         for b in (0.5, 1.5, 2.5, 3.5) for t in chord_tones(r, m, 4)])
    song.part(2, 33, 95, bass_line(chords, 4, 85, rhythm=(0, 1, 2, 3)))
    song.part(9, 0, 80, drums(32, {36: [(0, 100), (2, 90)], 38: [(1, 90), (3, 95)],
                                  42: [(b * 0.5, 60) for b in range(8)]}))
    return song


PIECES = {"menu.mp3": menu_theme, "house.mp3": house_theme, "talent.mp3": talent_theme}


# ------------------------------------------------------------- rendering
def best_join(samples, channels, start, nominal, reach=160, span=3000):
    """The shift from `nominal` whose frames best repeat those at `start`."""
    def distance(shift):
        a, b = start * channels, (nominal + shift) * channels
        return sum((samples[a + i] - samples[b + i]) ** 2 for i in range(0, span * channels, 3))
    return min(range(-reach, reach + 1), key=distance)


def render_loop(song, font, work, name):
    mid = os.path.join(work, name + ".mid")
    raw = os.path.join(work, name + "-two.wav")
    cut = os.path.join(work, name + ".wav")
    with open(mid, "wb") as f:
        f.write(song.midi(passes=3))    # the third pass only rings the second's tail out
    subprocess.run(["fluidsynth", "-ni", "-q", "-g", "0.7", "-r", str(RATE), "-F", raw, font, mid],
                   check=True, stdout=subprocess.DEVNULL)
    loop = int(round(song.beats * 60.0 / song.tempo * RATE))
    with wave.open(raw, "rb") as w:
        channels, width = w.getnchannels(), w.getsampwidth()
        every = array.array("h", w.readframes(w.getnframes()))
    # The synthesiser starts notes on its own block boundaries, so the third
    # pass may begin a few samples off the nominal length: the cut ends where
    # the third pass's opening matches the second's best.  Chorus and reverb
    # never repeat to the sample, so the loop's last moments fade into what
    # led into its first sample (the end of the first pass).
    end = 2 * loop + best_join(every, channels, loop, 2 * loop)
    length = end - loop
    frames = every[loop * channels:end * channels]
    fade = 4096
    for i in range(length - fade, length):
        w = (i - (length - fade) + 1) / fade
        for c in range(channels):
            here = frames[i * channels + c]
            before_start = every[(loop + i - length) * channels + c]
            frames[i * channels + c] = int(round((1.0 - w) * here + w * before_start))
    if sys.byteorder != "little":
        frames.byteswap()
    # The sound font plays softly; the loop is brought up to a common peak.
    scale = 0.85 * 32767 / max(1, max(abs(v) for v in frames))
    frames = array.array("h", (int(v * scale) for v in frames))
    if sys.byteorder != "little":
        frames.byteswap()
    with wave.open(cut, "wb") as w:
        w.setnchannels(channels)
        w.setsampwidth(width)
        w.setframerate(RATE)
        w.writeframes(frames.tobytes())
    return cut


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    folder = sys.argv[1]
    font = sys.argv[2] if len(sys.argv) == 3 else DEFAULT_FONT
    os.makedirs(folder, exist_ok=True)
    with tempfile.TemporaryDirectory() as work:
        for name, compose in PIECES.items():
            wav = render_loop(compose(), font, work, name[:-4])
            subprocess.run(["lame", "--quiet", "-V", "4", wav, os.path.join(folder, name)], check=True)


if __name__ == "__main__":
    main()
