#!/usr/bin/env python3
"""Synthesizes the game's sound effects into data/SOUNDS/.

Every effect is built from sines, decaying partials and a little filtered noise, so nothing is
sampled from anywhere. The files are 16-bit PCM mono at 44100 Hz, peak-normalised to a calm
-6 dBFS, with a short fade at each end so that no effect starts or stops with a click.

    tools/make_sounds.py            write the effects into data/SOUNDS/
    tools/make_sounds.py --out DIR  write them somewhere else
    tools/make_sounds.py --check    check the files in data/SOUNDS/ (format, length, level, fades)

The output is deterministic: the noise comes from a seeded generator, so running the script twice
writes the same bytes.
"""

import argparse
import math
import os
import random
import struct
import sys
import wave

RATE = 44100
PEAK_DBFS = -6.0
# Limits that --check enforces on every effect.
MIN_SECONDS, MAX_SECONDS = 0.05, 1.2
PEAK_RANGE_DBFS = (-7.0, -5.0)
# The first and last samples must be near silence (fraction of full scale).
EDGE_LIMIT = 0.002

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_OUT = os.path.join(os.path.dirname(HERE), "data", "SOUNDS")


# --------------------------------------------------------------------------------------------
# Building blocks. A signal is a plain list of floats at RATE samples per second.


def samples(seconds):
    return int(round(seconds * RATE))


def decaying_partial(n, freq, amp, tau, phase=0.0, glide_to=None, glide_tau=None):
    """A sine of frequency freq (Hz) whose amplitude decays as exp(-t / tau).

    With glide_to the frequency slides exponentially from freq towards glide_to with the
    time constant glide_tau, which gives taps and pops their pitch movement.
    """
    out = [0.0] * n
    ph = phase
    for i in range(n):
        t = i / RATE
        f = freq
        if glide_to is not None:
            f = glide_to + (freq - glide_to) * math.exp(-t / glide_tau)
        out[i] = amp * math.exp(-t / tau) * math.sin(ph)
        ph += 2.0 * math.pi * f / RATE
    return out


def noise(n, rng):
    return [rng.random() * 2.0 - 1.0 for _ in range(n)]


def lowpass(sig, cutoff):
    """One-pole low-pass filter; softens noise into a thud."""
    a = math.exp(-2.0 * math.pi * cutoff / RATE)
    out, y = [], 0.0
    for x in sig:
        y = (1.0 - a) * x + a * y
        out.append(y)
    return out


def highpass(sig, cutoff):
    """One-pole high-pass filter (the input minus its low-passed self)."""
    low = lowpass(sig, cutoff)
    return [x - l for x, l in zip(sig, low)]


def envelope_exp(sig, tau):
    return [x * math.exp(-(i / RATE) / tau) for i, x in enumerate(sig)]


def attack(sig, tau):
    """A quick exponential rise, so a struck tone starts without a broadband click."""
    return [x * (1.0 - math.exp(-(i / RATE) / tau)) for i, x in enumerate(sig)]


def mix(*signals):
    n = max(len(s) for s in signals)
    out = [0.0] * n
    for s in signals:
        for i, x in enumerate(s):
            out[i] += x
    return out


def delayed(sig, seconds):
    return [0.0] * samples(seconds) + sig


def fit(sig, seconds):
    """Cuts or pads the signal to exactly the given length."""
    n = samples(seconds)
    return (sig + [0.0] * n)[:n]


def remove_dc(sig):
    mean = sum(sig) / len(sig)
    return [x - mean for x in sig]


def fade(sig, fade_in, fade_out):
    """Raised-cosine fades at both ends; the first and last samples become exactly zero."""
    out = list(sig)
    n_in, n_out = max(2, samples(fade_in)), max(2, samples(fade_out))
    for i in range(min(n_in, len(out))):
        out[i] *= 0.5 - 0.5 * math.cos(math.pi * i / n_in)
    for i in range(min(n_out, len(out))):
        out[-1 - i] *= 0.5 - 0.5 * math.cos(math.pi * i / n_out)
    return out


def normalise(sig, peak_dbfs):
    peak = max(abs(x) for x in sig)
    gain = 10.0 ** (peak_dbfs / 20.0) / peak
    return [x * gain for x in sig]


def finish(sig, fade_in, fade_out):
    return normalise(fade(remove_dc(sig), fade_in, fade_out), PEAK_DBFS)


# --------------------------------------------------------------------------------------------
# The effects. Pitches are taken from the pentatonic scale the music uses, so a chime over the
# music never sounds out of tune.


def note(midi):
    return 440.0 * 2.0 ** ((midi - 69) / 12.0)


def select_click(rng):
    """A light, bright click: two short high partials and a breath of noise."""
    n = samples(0.07)
    body = mix(
        decaying_partial(n, 2637.0, 1.0, 0.006),
        decaying_partial(n, 3951.0, 0.45, 0.004),
        decaying_partial(n, 1318.5, 0.35, 0.010),
    )
    air = envelope_exp(highpass(noise(n, rng), 3000.0), 0.0015)
    return finish(mix(body, [0.5 * x for x in air]), 0.0008, 0.012)


def remove_chime(rng):
    """A soft two-note chime (G5 then D6) with gently fading upper partials."""
    del rng

    def tone(midi, amp):
        n = samples(1.0)  # longer than the effect, so no partial stops before the fade
        f = note(midi)
        return attack(mix(
            decaying_partial(n, f, amp, 0.30),
            decaying_partial(n, f * 2.0, amp * 0.22, 0.16),
            decaying_partial(n, f * 3.01, amp * 0.08, 0.08),
            decaying_partial(n, f * 5.4, amp * 0.03, 0.04),
        ), 0.002)

    sig = mix(tone(79, 0.8), delayed(tone(86, 0.7), 0.085))
    return finish(fit(sig, 0.95), 0.004, 0.15)


def beside_tap(rng):
    """A dull, low tap for a click beside the tiles: a falling thump and muffled noise."""
    n = samples(0.13)
    thump = decaying_partial(n, 210.0, 1.0, 0.028, glide_to=120.0, glide_tau=0.02)
    knock = decaying_partial(n, 430.0, 0.25, 0.012)
    muffle = envelope_exp(lowpass(noise(n, rng), 700.0), 0.008)
    return finish(mix(thump, knock, [3.0 * x for x in muffle]), 0.0015, 0.04)


def wood_block(rng):
    """A small wood block: three quickly damped inharmonic modes."""
    n = samples(0.2)
    modes = mix(
        decaying_partial(n, 820.0, 1.0, 0.030),
        decaying_partial(n, 1870.0, 0.55, 0.018),
        decaying_partial(n, 3120.0, 0.25, 0.009),
    )
    strike = envelope_exp(highpass(noise(n, rng), 1500.0), 0.001)
    return finish(mix(modes, [0.4 * x for x in strike]), 0.0008, 0.05)


def small_bell(rng):
    """A small temple bell: inharmonic partials, the higher ones dying first."""
    del rng
    n = samples(1.2)
    base = note(81)  # A5
    partials = [  # ratio, amplitude, decay time (s)
        (0.56, 0.40, 0.45),
        (0.92, 0.30, 0.35),
        (1.00, 1.00, 0.40),
        (1.19, 0.25, 0.25),
        (1.71, 0.30, 0.18),
        (2.00, 0.20, 0.15),
        (2.74, 0.15, 0.10),
        (3.00, 0.10, 0.08),
        (3.76, 0.06, 0.06),
    ]
    sig = mix(*[decaying_partial(n, base * r, a, t) for r, a, t in partials])
    return finish(sig, 0.003, 0.25)


def bubble_pop(rng):
    """A round pop: a sine gliding upwards, swelling in and dying quickly."""
    del rng
    n = samples(0.11)
    sweep = decaying_partial(n, 380.0, 1.0, 0.025, glide_to=1250.0, glide_tau=0.03)
    return finish(attack(sweep, 0.006), 0.002, 0.02)


def rising_chime(rng):
    """Three rising pentatonic notes (D6, E6, A6), each a soft struck tone."""
    del rng

    def tone(midi, amp):
        n = samples(1.0)
        f = note(midi)
        return attack(mix(
            decaying_partial(n, f, amp, 0.22),
            decaying_partial(n, f * 2.0, amp * 0.15, 0.10),
            decaying_partial(n, f * 4.2, amp * 0.04, 0.04),
        ), 0.002)

    sig = mix(tone(86, 0.7), delayed(tone(88, 0.65), 0.11), delayed(tone(93, 0.6), 0.22))
    return finish(fit(sig, 1.0), 0.003, 0.18)


def soft_knock(rng):
    """A knuckle on a wooden table: a low body and a short woody click."""
    n = samples(0.16)
    body = decaying_partial(n, 160.0, 1.0, 0.035, glide_to=110.0, glide_tau=0.03)
    wood = decaying_partial(n, 640.0, 0.35, 0.015)
    click = envelope_exp(lowpass(noise(n, rng), 1800.0), 0.003)
    return finish(mix(body, wood, [2.0 * x for x in click]), 0.001, 0.05)


# File name, maker, noise seed. The first three are the defaults of the three sound settings.
EFFECTS = [
    ("Select.wav", select_click, 11),
    ("Remove.wav", remove_chime, 12),
    ("Beside.wav", beside_tap, 13),
    ("Wood.wav", wood_block, 14),
    ("Bell.wav", small_bell, 15),
    ("Pop.wav", bubble_pop, 16),
    ("Chime2.wav", rising_chime, 17),
    ("Knock.wav", soft_knock, 18),
]


# --------------------------------------------------------------------------------------------
# Writing and checking.


def write_wav(path, sig):
    frames = bytearray()
    for x in sig:
        v = int(round(x * 32767.0))
        frames += struct.pack("<h", max(-32767, min(32767, v)))
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(bytes(frames))


def read_wav(path):
    """Returns (channels, sample width, rate, samples as floats of the first channel)."""
    with wave.open(path, "rb") as w:
        ch, width, rate, n = w.getnchannels(), w.getsampwidth(), w.getframerate(), w.getnframes()
        raw = w.readframes(n)
    if width != 2:
        return ch, width, rate, []
    values = struct.unpack("<%dh" % (len(raw) // 2), raw)
    return ch, width, rate, [v / 32768.0 for v in values[::ch]]


def check_file(path):
    """Returns a list of problems with one effect file (empty when it is fine)."""
    problems = []
    try:
        ch, width, rate, sig = read_wav(path)
    except (wave.Error, EOFError, OSError) as err:
        return ["cannot be read as a wave file (%s)" % err]
    if width != 2:
        problems.append("is not 16-bit PCM")
    if rate != RATE:
        problems.append("is %d Hz, not %d Hz" % (rate, RATE))
    if ch not in (1, 2):
        problems.append("has %d channels" % ch)
    if not sig:
        return problems + ["holds no samples"]
    seconds = len(sig) / rate
    if not MIN_SECONDS <= seconds <= MAX_SECONDS:
        problems.append("lasts %.3f s" % seconds)
    peak = max(abs(x) for x in sig)
    if peak >= 32767 / 32768.0:
        problems.append("clips")
    peak_db = 20.0 * math.log10(peak) if peak > 0 else -200.0
    if not PEAK_RANGE_DBFS[0] <= peak_db <= PEAK_RANGE_DBFS[1]:
        problems.append("peaks at %.1f dBFS" % peak_db)
    if abs(sig[0]) > EDGE_LIMIT or abs(sig[-1]) > EDGE_LIMIT:
        problems.append("does not start and end in silence")
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=DEFAULT_OUT, help="folder to write the effects into")
    parser.add_argument("--check", action="store_true", help="check the files instead")
    args = parser.parse_args()

    if args.check:
        failed = 0
        for name, _, _ in EFFECTS:
            path = os.path.join(args.out, name)
            problems = check_file(path) if os.path.exists(path) else ["is missing"]
            if problems:
                failed += 1
                print("%s: %s" % (name, "; ".join(problems)))
            else:
                ch, _, rate, sig = read_wav(path)
                peak = max(abs(x) for x in sig)
                print("%-11s %.3f s  peak %.1f dBFS  ok" % (name, len(sig) / rate,
                                                             20.0 * math.log10(peak)))
        return 1 if failed else 0

    os.makedirs(args.out, exist_ok=True)
    for name, make, seed in EFFECTS:
        sig = make(random.Random(seed))
        write_wav(os.path.join(args.out, name), sig)
        print("wrote %s (%.3f s)" % (name, len(sig) / RATE))
    return 0


if __name__ == "__main__":
    sys.exit(main())
