#!/usr/bin/env python3
"""Writes the notification sounds into data/Sounds: a short two-note chime per service.

Only the standard library is used; the output is the same on every run. After writing, each
file is read back and its peak level, length and silent start and end are checked.
"""

import math
import struct
import sys
import wave
from pathlib import Path

RATE = 22050
PEAK = 0.6  # of full scale, about -4.4 dBFS: clearly audible, never harsh
FADE_OUT = 0.03  # seconds at the end that fall smoothly to silence


def note(frequency, start, length, partials, decay, attack=0.006):
    """A struck tone: a short raised-cosine attack, then exponential decay.

    partials: (ratio to the fundamental, relative level, decay speed-up) triples.
    """
    def sample(t):
        t -= start
        if t < 0 or t >= length:
            return 0.0
        rise = 0.5 - 0.5 * math.cos(math.pi * t / attack) if t < attack else 1.0
        value = sum(level * math.exp(-t / decay * speedup) * math.sin(2 * math.pi * frequency * ratio * t)
                    for ratio, level, speedup in partials)
        return rise * value
    return sample


def render(notes, seconds):
    count = int(RATE * seconds)
    raw = [sum(n(i / RATE) for n in notes) for i in range(count)]
    fade = int(RATE * FADE_OUT)
    for i in range(fade):
        raw[count - fade + i] *= 0.5 + 0.5 * math.cos(math.pi * (i + 1) / fade)
    scale = PEAK / max(abs(v) for v in raw)
    return [round(v * scale * 32767) for v in raw]


def write(path, samples):
    with wave.open(str(path), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(struct.pack(f"<{len(samples)}h", *samples))


def verify(path):
    with wave.open(str(path), "rb") as wav:
        assert (wav.getnchannels(), wav.getsampwidth(), wav.getframerate()) == (1, 2, RATE)
        frames = wav.readframes(wav.getnframes())
    samples = struct.unpack(f"<{len(frames) // 2}h", frames)
    peak = max(abs(s) for s in samples)
    seconds = len(samples) / RATE
    # A click is a jump from or to silence; the first and last few samples must stay tiny.
    edge = max(abs(s) for s in samples[:8] + samples[-8:])
    print(f"{path.name}: {seconds:.3f} s, peak {20 * math.log10(peak / 32767):.1f} dBFS, "
          f"first {samples[0]}, last {samples[-1]}, largest edge sample {edge}")
    assert peak < 32767 and 0.25 <= seconds <= 0.45
    assert samples[0] == 0 and samples[-1] == 0 and edge < 600


# A bright bell for ICQ: a rising fifth.
BELL = ((1.0, 1.0, 1.0), (2.0, 0.25, 1.8), (3.0, 0.08, 2.6))
ICQ = [note(880.0, 0.0, 0.36, BELL, 0.09), note(1318.5, 0.11, 0.25, BELL, 0.08)]

# A warmer, wooden tone for MSN: a falling major third.
WOOD = ((1.0, 1.0, 1.0), (3.93, 0.12, 4.0), (0.5, 0.1, 0.7))
MSN = [note(1318.5, 0.0, 0.32, WOOD, 0.07), note(1046.5, 0.1, 0.22, WOOD, 0.075)]


def main():
    folder = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "data" / "Sounds"
    folder.mkdir(parents=True, exist_ok=True)
    for name, notes, seconds in (("Message.wav", ICQ, 0.36), ("MSN_Message.wav", MSN, 0.32)):
        write(folder / name, render(notes, seconds))
        verify(folder / name)


if __name__ == "__main__":
    main()
