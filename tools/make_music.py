#!/usr/bin/env python3
"""Composes the game's background music and writes it as standard MIDI files into data/SOUNDS/.

Each piece is composed here by a small rule-based generator: a pentatonic melody built from
four-bar phrases (a motif, its answer and a cadence), paired into periods and arranged in a
song form, over a slow chord progression played by a pad, an arpeggiating plucked instrument and a
bass. Everything is seeded, so the files come out the same on every run. Instruments are General
MIDI programs, so any General MIDI sound font plays them.

Every piece starts with a short introduction on the tonic chord and ends on the tonic chord with all
notes released at the last bar line: when the game restarts the piece at its end, the music goes on
in time, from the last bar of the ending into the first bar of the introduction.

    tools/make_music.py              write the pieces into data/SOUNDS/
    tools/make_music.py --out DIR    write them somewhere else
    tools/make_music.py --check      parse the files back and, when fluidsynth and a General MIDI
                                     sound font are installed, render each and check length and level
"""

import argparse
import math
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import wave

PPQ = 480  # ticks per quarter note
HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_OUT = os.path.join(os.path.dirname(HERE), "data", "SOUNDS")
SOUND_FONTS = ["/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/sounds/sf2/FluidR3_GM.sf2",
               "/usr/share/sounds/sf2/default-GM.sf2"]

# Limits that --check enforces on every piece.
MIN_SECONDS, MAX_SECONDS = 120.0, 300.0

MAJOR_PENTATONIC = (0, 2, 4, 7, 9)
MINOR_PENTATONIC = (0, 3, 5, 7, 10)

# Chords as pitch classes above the tonic. Every chord shares at least three notes with the
# pentatonic scale, so the melody never rubs against the harmony.
CHORDS = {
    "I": (0, 4, 7, 2),      # tonic with added ninth
    "vi": (9, 0, 4, 7),     # relative minor seventh
    "IV": (5, 9, 0, 4),     # subdominant major seventh
    "V": (7, 0, 2),         # dominant with suspended fourth: no leading note, no pull
    "ii": (2, 5, 9, 0),     # minor seventh on the second degree
    "i": (0, 3, 7, 10),     # minor tonic seventh
    "III": (3, 7, 10),      # relative major
    "VI": (8, 0, 3, 7),     # major seventh on the sixth degree
    "VII": (10, 2, 5),      # major chord on the flat seventh
    "iv": (5, 8, 0, 3),     # minor subdominant seventh
    "v": (7, 10, 2, 5),     # minor dominant seventh
}


# --------------------------------------------------------------------------------------------
# MIDI writing.


def vlq(value):
    """A variable-length quantity as MIDI files store delta times."""
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(out))


class Track:
    """One MIDI track: events as (tick, order, bytes); order puts note-offs before note-ons."""

    def __init__(self, name, channel=None):
        self.channel = channel
        self.events = []
        self.notes = []
        self.meta(0, 0x03, name.encode("ascii"))

    def meta(self, tick, kind, data):
        self.events.append((tick, 0, bytes([0xFF, kind]) + vlq(len(data)) + data))

    def control(self, tick, number, value):
        self.events.append((tick, 1, bytes([0xB0 | self.channel, number, value])))

    def program(self, tick, number):
        self.events.append((tick, 1, bytes([0xC0 | self.channel, number])))

    def note(self, start, length, pitch, velocity):
        assert 0 <= pitch <= 127 and 1 <= velocity <= 127 and length > 0
        self.notes.append([start, start + length, pitch, velocity])

    def note_events(self):
        """Note-on and note-off events; a note struck again while it sounds is released first."""
        events, sounding = [], {}
        for note in sorted(self.notes):
            previous = sounding.get(note[2])
            if previous is not None and previous[1] > note[0]:
                previous[1] = note[0]
            sounding[note[2]] = note
        for start, end, pitch, velocity in self.notes:
            if end <= start:
                continue
            events.append((start, 3, bytes([0x90 | self.channel, pitch, velocity])))
            events.append((end, 2, bytes([0x80 | self.channel, pitch, 0])))
        return events

    def chunk(self, end_tick):
        data, now = bytearray(), 0
        events = self.events + self.note_events()
        for tick, _, payload in sorted(events, key=lambda e: (e[0], e[1])):
            assert tick <= end_tick
            data += vlq(tick - now) + payload
            now = tick
        data += vlq(end_tick - now) + b"\xff\x2f\x00"
        return b"MTrk" + struct.pack(">I", len(data)) + bytes(data)


def write_midi(path, tracks, end_tick):
    head = b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), PPQ)
    with open(path, "wb") as f:
        f.write(head + b"".join(t.chunk(end_tick) for t in tracks))


# --------------------------------------------------------------------------------------------
# Composition.


class Piece:
    def __init__(self, **kw):
        self.__dict__.update(kw)


class Composer:
    """Composes one piece from its description; all choices come from one seeded generator."""

    def __init__(self, piece):
        self.p = piece
        self.rng = random.Random(piece.seed)
        self.beats = piece.beats_per_bar
        self.bar = self.beats * PPQ
        self.eighths = self.beats * 2
        scale = [n for n in range(piece.tonic - 12, piece.tonic + 31)
                 if (n - piece.tonic) % 12 in piece.scale]
        self.scale = scale

    # ---- melody ----

    def rhythms(self, cadence):
        """Rhythm patterns of one bar, in eighths; a negative length is a rest."""
        if self.beats == 3:
            if cadence:
                return [[6], [4, -2], [2, 4]]
            return [[2, 2, 2], [4, 2], [3, 1, 2], [2, 4], [6], [2, 1, 1, 2]]
        if cadence:
            return [[8], [6, -2], [4, 4], [2, 6]]
        return [[4, 4], [2, 2, 4], [3, 1, 4], [2, 2, 2, 2], [6, 2], [4, 2, 2], [2, 4, 2],
                [8], [3, 1, 2, 2]]

    def chord_tones(self, chord, lo, hi):
        pcs = CHORDS[chord]
        return [i for i, n in enumerate(self.scale)
                if lo <= n <= hi and (n - self.p.tonic) % 12 in pcs]

    def nearest(self, candidates, index):
        return min(candidates, key=lambda c: (abs(c - index), c))

    def bar_melody(self, chord, index, lo, hi, rhythm=None, shape=None):
        """One bar: a list of (eighth offset, eighths, scale index or None for a rest).

        shape, when given, is the interval contour of an earlier bar; repeating it over the new
        chord turns a bar into a sequence of the motif, which keeps the tune recognisable.
        """
        rhythm = rhythm or self.rng.choice(self.rhythms(False))
        chord_idx = self.chord_tones(chord, lo, hi)
        notes, pos, contour = [], 0, []
        for k, length in enumerate(rhythm):
            if length < 0:
                notes.append((pos, -length, None))
                pos -= length
                continue
            if k == 0:
                index = self.nearest(chord_idx, index)
            elif shape and k - 1 < len(shape):
                index += shape[k - 1]
            else:
                steps = [-2, -1, -1, 0, 1, 1, 2]
                centre = (lo + hi) // 2
                step = self.rng.choice(steps)
                if self.scale[index] > centre + 5:
                    step = -abs(step)
                elif self.scale[index] < centre - 5:
                    step = abs(step)
                index += step
            index = max(0, min(len(self.scale) - 1, index))
            while self.scale[index] > hi:
                index -= 1
            while self.scale[index] < lo:
                index += 1
            if notes and notes[-1][2] is not None and k > 0:
                contour.append(index - notes[-1][2])
            notes.append((pos, length, index))
            pos += length
        return notes, index, rhythm, contour

    def cadence_bar(self, chord, index, lo, hi, final):
        """The last bar of a phrase: a long note on the chord's root (final) or another chord tone."""
        rhythm = self.rng.choice(self.rhythms(True))
        pcs = CHORDS[chord]
        want = (pcs[0],) if final else pcs[1:3]
        targets = [i for i, n in enumerate(self.scale)
                   if lo <= n <= hi and (n - self.p.tonic) % 12 in want]
        notes, pos = [], 0
        sounding = [length for length in rhythm if length > 0]
        for k, length in enumerate(rhythm):
            if length < 0:
                notes.append((pos, -length, None))
                pos -= length
                continue
            if k == len(sounding) - 1:
                index = self.nearest(targets, index)
            else:
                index = self.nearest(self.chord_tones(chord, lo, hi), index + 1)
            notes.append((pos, length, index))
            pos += length
        return notes, index

    def phrase(self, chords, index, lo, hi, final, opening=None):
        """Four bars: motif, continuation, the motif's sequence, cadence.

        opening, when given, is the first two bars of an earlier phrase, so the answer of a period
        begins like its question.
        """
        bars = []
        if opening:
            bars.extend(opening)
            index = opening[-1][-1][2] if opening[-1][-1][2] is not None else index
            first = opening[0]
            motif_rhythm = [n[1] if n[2] is not None else -n[1] for n in first]
            motif_shape = [b[2] - a[2] for a, b in zip(first, first[1:])
                           if a[2] is not None and b[2] is not None]
        else:
            b1, index, motif_rhythm, motif_shape = self.bar_melody(chords[0], index, lo, hi)
            b2, index, _, _ = self.bar_melody(chords[1], index, lo, hi)
            bars += [b1, b2]
        if opening and self.rng.random() < 0.5:
            b3, index, _, _ = self.bar_melody(chords[2], index, lo, hi)
        else:
            b3, index, _, _ = self.bar_melody(chords[2], index, lo, hi, motif_rhythm, motif_shape)
        b4, index = self.cadence_bar(chords[3], index, lo, hi, final)
        return bars + [b3, b4], index

    def period(self, chords, index, lo, hi):
        """Eight bars: a question ending open and an answer beginning alike and ending home."""
        question, index = self.phrase(chords[:4], index, lo, hi, final=False)
        answer, index = self.phrase(chords[4:], index, lo, hi, final=True, opening=question[:2])
        return question + answer, index

    def vary(self, bars, lo, hi):
        """A variation: some long notes split into a note and its upper neighbour."""
        out = []
        for bar in bars:
            new = []
            for pos, length, idx in bar:
                if idx is not None and length >= 4 and self.rng.random() < 0.35:
                    up = min(idx + 1, len(self.scale) - 1)
                    if self.scale[up] > hi:
                        up = idx
                    new += [(pos, length - 2, idx), (pos + length - 2, 1, up),
                            (pos + length - 1, 1, idx)]
                else:
                    new.append((pos, length, idx))
            out.append(new)
        return out

    # ---- arrangement ----

    def voice(self, chord, previous, lo, hi):
        """The voicing of the chord within lo..hi that moves least from the previous voicing."""
        pcs = CHORDS[chord][:3]
        base = self.p.tonic % 12
        options = []
        for bottom in range(lo, hi - 6):
            if (bottom - base) % 12 not in pcs:  # every inversion starts on a chord note
                continue
            notes = []
            for pc in pcs:
                n = bottom
                while (n - base) % 12 != pc:
                    n += 1
                notes.append(n)
            notes.sort()
            if notes[-1] <= hi:
                options.append(notes)
        if previous is None:
            return min(options, key=lambda v: abs(sum(v) / 3 - (lo + hi) / 2))
        return min(options, key=lambda v: sum(abs(a - b) for a, b in zip(v, previous)))

    def compose(self):
        p = self.p
        tracks = []
        conductor = Track(p.title)
        conductor.meta(0, 0x01, ("Varnel's mah-jong: %s, composed by tools/make_music.py"
                                 % p.title).encode("ascii"))
        conductor.meta(0, 0x51, struct.pack(">I", round(60_000_000 / p.tempo))[1:])
        conductor.meta(0, 0x58, bytes([self.beats, 2, 24, 8]))
        tracks.append(conductor)

        parts = {}
        for role, (channel, program, volume, pan, reverb) in p.instruments.items():
            t = Track(role, channel)
            # Everything is set again at tick 0, so a restarted piece sounds like its first play.
            t.control(0, 121, 0)
            t.program(0, program)
            t.control(0, 7, volume)
            t.control(0, 10, pan)
            t.control(0, 91, reverb)
            t.control(0, 93, 20)
            parts[role] = t
            tracks.append(t)

        # Melody, section by section; sections named alike share their tune.
        lo, hi = p.melody_range
        tunes, index, bar_no, plan = {}, self.scale.index(p.tonic + 7), 0, []
        for name in p.form:
            if name in ("intro", "outro"):
                chords = p.sections[name]
                plan.append((name, chords, None))
                bar_no += len(chords)
                continue
            key = name[0]
            chords = p.sections[key]
            shift = p.section_shift.get(key, 0)
            if key not in tunes:
                tunes[key], index = self.period(chords, index, lo + shift, hi + shift)
                bars = tunes[key]
            elif name.endswith("'"):
                bars = self.vary(tunes[key], lo + shift, hi + shift)
            else:
                bars = tunes[key]
            plan.append((name, chords, bars))
            bar_no += len(chords)
        total_bars = bar_no

        bar_no, pad_voicing = 0, None
        for name, chords, bars in plan:
            for k, chord in enumerate(chords):
                start = bar_no * self.bar
                last_bar = bar_no == total_bars - 1
                pad_voicing = self.voice(chord, pad_voicing, *p.pad_range)
                self.pad_bar(parts["pad"], start, pad_voicing)
                self.arpeggio_bar(parts["harp"], start, chord, name, k, last_bar)
                self.bass_bar(parts["bass"], start, chord, last_bar)
                if "drums" in parts:
                    self.drum_bar(parts["drums"], start, name, k, last_bar)
                if bars is not None:
                    role = p.section_voice.get(name[0], "melody")
                    self.melody_bar(parts[role], start, bars[k], k, len(chords))
                if name == "outro" and k == len(chords) - 2:
                    self.closing_notes(parts["melody"], start)
                bar_no += 1
        return tracks, total_bars * self.bar

    def humanise(self, velocity):
        return max(1, min(127, velocity + self.rng.randint(-4, 4)))

    def melody_bar(self, track, start, notes, k, bars):
        arch = math.sin(math.pi * (k % 4 + 0.5) / 4)  # each phrase swells and settles
        for pos, length, idx in notes:
            if idx is None:
                continue
            tick = start + pos * PPQ // 2
            dur = length * PPQ // 2 - 24  # a little air between notes
            track.note(tick, dur, self.scale[idx],
                       self.humanise(self.p.melody_velocity + int(12 * arch)))

    def closing_notes(self, track, start):
        """The tune's last word in the ending: fifth, then the tonic held into the final bar."""
        t = self.p.tonic + 12 if self.p.tonic + 12 <= self.p.melody_range[1] else self.p.tonic
        track.note(start, self.bar // 2 - 24, t + 7 if t + 7 <= 127 else t,
                   self.p.melody_velocity - 4)
        track.note(start + self.bar // 2, self.bar + self.bar // 2, t, self.p.melody_velocity - 8)

    def pad_bar(self, track, start, voicing):
        for j, n in enumerate(voicing):
            # The voices enter one after another, like a slow strum.
            off = j * PPQ // 8
            track.note(start + off, self.bar - off, n, self.humanise(self.p.pad_velocity))

    def arpeggio_bar(self, track, start, chord, section, k, last):
        p = self.p
        pcs = CHORDS[chord]
        base = p.tonic - 12
        tones = sorted({base + pc + 12 * o for pc in pcs for o in (0, 1)
                        if p.harp_range[0] <= base + pc + 12 * o <= p.harp_range[1]})
        if section == "intro" and k == 0:
            pattern = p.harp_pattern[: len(p.harp_pattern) // 2]
        else:
            pattern = p.harp_pattern
        step = self.bar // len(p.harp_pattern)
        for j, which in enumerate(pattern):
            if which is None:
                continue
            tick = start + j * step
            length = step * 2 if not last else self.bar - j * step
            accent = 8 if j == 0 else 0
            track.note(tick, min(length, self.bar - j * step), tones[which % len(tones)],
                       self.humanise(p.harp_velocity + accent))

    def bass_bar(self, track, start, chord, last):
        p = self.p
        root = p.bass_tonic + CHORDS[chord][0]
        if root > p.bass_tonic + 7:
            root -= 12
        if last or self.beats == 3:
            track.note(start, self.bar - 12, root, self.humanise(p.bass_velocity))
            return
        track.note(start, self.bar // 2 + PPQ // 2, root, self.humanise(p.bass_velocity))
        fifth = root + 7
        track.note(start + self.bar * 3 // 4, PPQ - 24, fifth, self.humanise(p.bass_velocity - 10))

    def drum_bar(self, track, start, section, k, last):
        p = self.p
        if section == "intro" or last:
            return
        for beat in range(self.beats):
            note, vel = (77, p.drum_velocity) if beat == 0 else (70, p.drum_velocity - 12)
            track.note(start + beat * PPQ, PPQ // 4, note, self.humanise(vel))
            if beat != 0 and self.rng.random() < 0.4:
                track.note(start + beat * PPQ + PPQ // 2, PPQ // 4, 70,
                           self.humanise(p.drum_velocity - 18))


# Instruments: role -> (channel, General MIDI program, volume, pan, reverb). Channel 9 is drums.
PIECES = [
    Piece(
        file="Tune478.mid", title="Tune 478", seed=478, tempo=76, beats_per_bar=4,
        tonic=62, scale=MAJOR_PENTATONIC,  # D major pentatonic
        instruments={
            "melody": (0, 77, 96, 60, 70),    # shakuhachi
            "counter": (1, 73, 84, 72, 70),   # flute, for the middle section
            "harp": (2, 107, 78, 80, 60),     # koto
            "pad": (3, 49, 62, 50, 80),       # slow strings
            "bass": (4, 42, 76, 64, 50),      # cello
        },
        sections={
            "intro": ["I", "I", "vi", "V"],
            "A": ["I", "vi", "IV", "V", "I", "vi", "IV", "I"],
            "B": ["IV", "I", "vi", "V", "IV", "I", "ii", "V"],
            "outro": ["IV", "V", "I", "I"],
        },
        form=["intro", "A", "A'", "B", "A", "B'", "A'", "outro"],
        section_shift={"B": 2}, section_voice={"B": "counter"},
        melody_range=(62, 81), pad_range=(50, 69), harp_range=(50, 86), bass_tonic=38,
        harp_pattern=[0, 2, 4, 2, 5, 4, 2, 3],
        melody_velocity=76, pad_velocity=44, harp_velocity=52, bass_velocity=58,
    ),
    Piece(
        file="Bamboo.mid", title="Bamboo", seed=1, tempo=88, beats_per_bar=3,
        tonic=57, scale=MINOR_PENTATONIC,  # A minor pentatonic, a slow waltz
        instruments={
            "melody": (0, 75, 96, 56, 64),    # pan flute
            "counter": (1, 79, 88, 72, 64),   # ocarina, for the middle section
            "harp": (2, 108, 80, 84, 50),     # kalimba
            "pad": (3, 89, 60, 44, 80),       # warm pad
            "bass": (4, 35, 80, 64, 40),      # fretless bass
            "drums": (9, 0, 60, 64, 40),      # wood block and shaker
        },
        sections={
            "intro": ["i", "i", "VI", "VII"],
            "A": ["i", "VI", "III", "VII", "i", "iv", "VII", "i"],
            "B": ["III", "VII", "i", "v", "VI", "III", "iv", "VII"],
            "C": ["VI", "VII", "III", "i", "VI", "VII", "v", "i"],
            "outro": ["VI", "VII", "i", "i"],
        },
        form=["intro", "A", "A'", "B", "A", "C", "C'", "B'", "A'", "A", "outro"],
        section_shift={"B": 3, "C": 0}, section_voice={"B": "counter"},
        melody_range=(64, 84), pad_range=(52, 69), harp_range=(57, 88), bass_tonic=45,
        harp_pattern=[0, 3, 5, 3, 4, 2],
        melody_velocity=74, pad_velocity=40, harp_velocity=50, bass_velocity=60,
        drum_velocity=42,
    ),
    Piece(
        file="Lanterns.mid", title="Lanterns", seed=7, tempo=66, beats_per_bar=4,
        tonic=60, scale=MAJOR_PENTATONIC,  # C major pentatonic, a slow evening piece
        instruments={
            "melody": (0, 8, 92, 58, 80),     # celesta
            "counter": (1, 11, 88, 70, 80),   # vibraphone, for the middle sections
            "harp": (2, 46, 80, 78, 70),      # harp
            "pad": (3, 52, 58, 50, 90),       # choir
            "bass": (4, 45, 80, 64, 50),      # pizzicato strings
        },
        sections={
            "intro": ["I", "IV", "I", "V"],
            "A": ["I", "IV", "vi", "V", "I", "IV", "V", "I"],
            "B": ["vi", "IV", "I", "V", "vi", "ii", "V", "I"],
            "C": ["IV", "V", "vi", "I", "IV", "ii", "V", "V"],
            "outro": ["IV", "V", "I", "I"],
        },
        form=["intro", "A", "B", "A'", "C", "A", "B'", "outro"],
        section_shift={"B": 0, "C": 2}, section_voice={"B": "counter", "C": "counter"},
        melody_range=(67, 88), pad_range=(52, 71), harp_range=(48, 84), bass_tonic=36,
        harp_pattern=[0, 2, 4, 5, 4, 2, 3, 1],
        melody_velocity=72, pad_velocity=38, harp_velocity=48, bass_velocity=56,
    ),
]


# --------------------------------------------------------------------------------------------
# Checking: parse the files back, then listen with fluidsynth when it is there.


def read_vlq(data, pos):
    value = 0
    for _ in range(4):
        if pos >= len(data):
            raise ValueError("truncated number")
        b = data[pos]
        pos += 1
        value = (value << 7) | (b & 0x7F)
        if not b & 0x80:
            return value, pos
    raise ValueError("number longer than four bytes")


def parse_midi(path):
    """Returns (tracks, division, tempo map, notes, end tick); raises ValueError when malformed.

    notes are (start tick, end tick, channel, pitch); every note-on must be closed by a note-off.
    """
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"MThd" or len(data) < 14:
        raise ValueError("no MIDI header")
    length, fmt, ntracks, division = struct.unpack(">IHHH", data[4:14])
    if length != 6 or fmt not in (0, 1) or division & 0x8000 or division == 0:
        raise ValueError("unsupported header")
    pos, tempos, notes, end = 8 + length, [], [], 0
    programs = set()
    for _ in range(ntracks):
        if data[pos:pos + 4] != b"MTrk":
            raise ValueError("track chunk expected")
        (size,) = struct.unpack(">I", data[pos + 4:pos + 8])
        chunk, pos = data[pos + 8:pos + 8 + size], pos + 8 + size
        if len(chunk) != size:
            raise ValueError("truncated track")
        i, tick, status, open_notes, ended = 0, 0, 0, {}, False
        while i < len(chunk):
            delta, i = read_vlq(chunk, i)
            tick += delta
            if chunk[i] & 0x80:
                status, i = chunk[i], i + 1
            if status == 0xFF:
                kind = chunk[i]
                n, i = read_vlq(chunk, i + 1)
                if kind == 0x51:
                    tempos.append((tick, int.from_bytes(chunk[i:i + 3], "big")))
                if kind == 0x2F:
                    ended = True
                i += n
                continue
            kind, ch = status & 0xF0, status & 0x0F
            if kind in (0xC0, 0xD0):
                if kind == 0xC0 and tick == 0:
                    programs.add(ch)
                i += 1
                continue
            a, b = chunk[i], chunk[i + 1]
            i += 2
            if kind == 0x90 and b > 0:
                if (ch, a) in open_notes:
                    raise ValueError("note %d on channel %d struck twice" % (a, ch))
                open_notes[(ch, a)] = tick
            elif kind == 0x80 or (kind == 0x90 and b == 0):
                if (ch, a) not in open_notes:
                    raise ValueError("note-off without note-on")
                notes.append((open_notes.pop((ch, a)), tick, ch, a))
        if open_notes:
            raise ValueError("notes left sounding at the end of a track")
        if not ended:
            raise ValueError("track without end")
        end = max(end, tick)
    missing = {ch for _, _, ch, _ in notes if ch != 9} - programs
    if missing:
        raise ValueError("channels without a program at the start: %s" % sorted(missing))
    return ntracks, division, sorted(tempos), notes, end


def seconds_at(tick, division, tempos):
    """Converts a tick to seconds through the tempo map (120 bpm until the first tempo)."""
    total, last_tick, tempo = 0.0, 0, 500000
    for t, us in tempos:
        if t >= tick:
            break
        total += (t - last_tick) * tempo / division / 1e6
        last_tick, tempo = t, us
    return total + (tick - last_tick) * tempo / division / 1e6


def render_level(path, font):
    """Renders the piece with fluidsynth; returns (seconds, peak dBFS, RMS dBFS) of the result."""
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "out.wav")
        # SDL_mixer drives FluidSynth at a gain of 1.2 at full music volume; render the same way.
        subprocess.run(["fluidsynth", "-ni", "-q", "-g", "1.2", "-r", "44100", "-F", out, font,
                        path],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        with wave.open(out, "rb") as w:
            ch, rate, n = w.getnchannels(), w.getframerate(), w.getnframes()
            raw = w.readframes(n)
    values = struct.unpack("<%dh" % (len(raw) // 2), raw)
    peak = max(abs(v) for v in values) / 32768.0
    rms = math.sqrt(sum(v * v for v in values) / len(values)) / 32768.0
    return n / rate, 20 * math.log10(max(peak, 1e-9)), 20 * math.log10(max(rms, 1e-9)), ch


def check(folder):
    failed = 0
    fluid = shutil.which("fluidsynth")
    font = next((f for f in SOUND_FONTS if os.path.exists(f)), None)
    for piece in PIECES:
        path = os.path.join(folder, piece.file)
        try:
            _, division, tempos, notes, end = parse_midi(path)
        except (OSError, ValueError, IndexError) as err:
            print("%s: %s" % (piece.file, err))
            failed += 1
            continue
        seconds = seconds_at(end, division, tempos)
        problems = []
        if not MIN_SECONDS <= seconds <= MAX_SECONDS:
            problems.append("lasts %.1f s" % seconds)
        if not notes or min(n[0] for n in notes) != 0:
            problems.append("does not begin at once")
        if notes and max(n[1] for n in notes) != end:
            problems.append("does not end with its last notes")
        line = "%-12s %3d notes, %.1f s" % (piece.file, len(notes), seconds)
        if fluid and font:
            rendered, peak, rms, _ = render_level(path, font)
            line += ", rendered %.1f s, peak %.1f dBFS, RMS %.1f dBFS" % (rendered, peak, rms)
            if peak > -1.0:
                problems.append("comes too close to clipping when rendered")
            if not -32.0 <= rms <= -16.0:
                problems.append("is too quiet or too loud for background music")
            if rendered < seconds:
                problems.append("renders shorter than it lasts")
        else:
            line += " (fluidsynth or sound font missing: not rendered)"
        print(line + ("  " + "; ".join(problems) if problems else "  ok"))
        failed += bool(problems)
    return 1 if failed else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=DEFAULT_OUT, help="folder to write the pieces into")
    parser.add_argument("--check", action="store_true", help="check the files instead")
    args = parser.parse_args()
    if args.check:
        return check(args.out)
    os.makedirs(args.out, exist_ok=True)
    for piece in PIECES:
        tracks, end = Composer(piece).compose()
        write_midi(os.path.join(args.out, piece.file), tracks, end)
        print("wrote %s (%d bars)" % (piece.file, end // (piece.beats_per_bar * PPQ)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
