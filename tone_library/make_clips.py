#!/usr/bin/env python3
"""Writes the sixteen DTMF tone clips of the tone library as RIFF WAVE files.

Every clip is one 100 ms burst of two equal sines (the key's low-group and
high-group frequency) with 64-sample linear ramps, behind a short lead-in of
silence, padded or cut to the clip's sample count, and followed by a 74-byte
trailer inside the RIFF body.  The clips must stay byte for byte the same, so
every number below is fixed.

usage: make_clips.py OUTPUT_DIR   (writes clip_<id>.wav for each clip id)
"""
import math
import os
import struct
import sys

RATE = 44100
BURST_SAMPLES = 4411          # k = 0 .. 4410: exactly 100 ms between the end points
RAMP_SAMPLES = 64             # linear rise and fall
TONE_SCALE = 4115.371         # each sine at -12 dBFS once doubled
TRAILER_BYTES = 74

# clip id: (key, low Hz, high Hz, sample count, lead-in samples)
CLIPS = {
    104: ("0", 941, 1336, 4432, 12),
    106: ("1", 697, 1209, 4417, 0),
    107: ("2", 697, 1336, 4408, 3),
    108: ("#", 941, 1477, 4424, 12),
    109: ("3", 697, 1477, 4424, 7),
    110: ("4", 770, 1209, 4424, 11),
    111: ("5", 770, 1336, 4408, 7),
    112: ("6", 770, 1477, 4416, 3),
    113: ("7", 852, 1209, 4416, 8),
    114: ("8", 852, 1336, 4424, 12),
    115: ("9", 852, 1477, 4432, 8),
    116: ("A", 697, 1633, 4432, 8),
    117: ("*", 941, 1209, 4432, 8),
    118: ("B", 770, 1633, 4424, 12),
    119: ("C", 852, 1633, 4424, 8),
    120: ("D", 941, 1633, 4424, 12),
}

# Clip 118 carries an empty LIST chunk as its trailer; the others carry zeros.
LIST_TRAILER_CLIP = 118


def burst_sample(k, f_low, f_high):
    s = math.sin(2 * math.pi * f_low * k / RATE) + math.sin(2 * math.pi * f_high * k / RATE)
    q = int(s * TONE_SCALE)                      # truncates toward zero
    ramp = min(k, BURST_SAMPLES - 1 - k, RAMP_SAMPLES)
    r = int(q * ramp / RAMP_SAMPLES)             # exact: q * m / 64, toward zero
    return 2 * r


def clip_samples(f_low, f_high, count, lead_in):
    burst = [burst_sample(k, f_low, f_high) for k in range(min(BURST_SAMPLES, count - lead_in))]
    samples = [0] * lead_in + burst
    return samples + [0] * (count - len(samples))


def trailer(clip_id):
    if clip_id == LIST_TRAILER_CLIP:
        return b"LIST" + struct.pack("<I", TRAILER_BYTES - 8) + bytes(TRAILER_BYTES - 8)
    return bytes(TRAILER_BYTES)


def clip_bytes(clip_id):
    _key, f_low, f_high, count, lead_in = CLIPS[clip_id]
    data = struct.pack("<%dh" % count, *clip_samples(f_low, f_high, count, lead_in))
    fmt = struct.pack("<4sIHHIIHH", b"fmt ", 16, 1, 1, RATE, RATE * 2, 2, 16)
    body = b"WAVE" + fmt + b"data" + struct.pack("<I", len(data)) + data + trailer(clip_id)
    return b"RIFF" + struct.pack("<I", len(body)) + body


def main():
    out_dir = sys.argv[1]
    os.makedirs(out_dir, exist_ok=True)
    for clip_id in CLIPS:
        with open(os.path.join(out_dir, "clip_%d.wav" % clip_id), "wb") as f:
            f.write(clip_bytes(clip_id))


if __name__ == "__main__":
    main()
