#!/usr/bin/env python3
"""Writes a stand-in sound for a .dat take, loud where its mouths are open:
    python3 tools/make-take-sound.py TAKE.dat OUT.wav
A voiced hum whose level follows each cue's mouth, for pictures of the
waveform behind the cues; it is not speech."""
import math
import random
import struct
import sys
import wave

RATE = 16000
FPS = 24
LEVEL = {"rest": 0.0, "MBP": 0.05, "FV": 0.2, "etc": 0.35, "L": 0.5, "WQ": 0.55,
         "U": 0.6, "E": 0.7, "O": 0.8, "AI": 0.9}


def main(take, out):
    cues = []
    for line in open(take, encoding="utf-8").read().splitlines()[1:]:
        parts = line.split()
        if len(parts) >= 2 and parts[0].isdigit():
            cues.append((int(parts[0]), parts[1]))
    end = (cues[-1][0] + FPS) / FPS if cues else 1.0
    rng = random.Random(3)
    frames = bytearray()
    at = 0
    for i in range(int(end * RATE)):
        t = i / RATE
        frame = 1 + int(t * FPS)
        while at + 1 < len(cues) and cues[at + 1][0] <= frame:
            at += 1
        level = LEVEL.get(cues[at][1], 0.4) if cues and cues[at][0] <= frame else 0.0
        hum = (0.5 * math.sin(2 * math.pi * 140 * t) + 0.3 * math.sin(2 * math.pi * 280 * t + 1)
               + 0.2 * math.sin(2 * math.pi * 720 * t)) * (0.7 + 0.3 * math.sin(2 * math.pi * 5 * t))
        value = level * hum + level * 0.15 * (rng.random() - 0.5)
        frames += struct.pack("<h", int(max(-1.0, min(1.0, value)) * 20000))
    with wave.open(out, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(bytes(frames))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
