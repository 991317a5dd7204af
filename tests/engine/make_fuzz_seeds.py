#!/usr/bin/env python3
"""Writes the seed corpus of engine_fuzzer (see the input layout there)."""
import os
import struct

here = os.path.dirname(os.path.abspath(__file__))


def wait(n):
    out = b""
    while True:
        out += bytes([0x80 | (n & 0x7F)])
        n >>= 7
        if not n:
            return out


def sample_pack(samples):
    head = b"BSMP" + struct.pack("<I", len(samples))
    offset = 8 + 16 * len(samples)
    entries, data = b"", b""
    for pcm, rate, freq in samples:
        entries += struct.pack("<IIII", offset + len(data), len(pcm), rate << 16, freq << 16)
        data += pcm
    return head + entries + data


def with_code(magic, entries, entry):
    """entries: list of (fields..., code); entry packs the fields and the code offset."""
    size = len(entry(*([0] * len(entries[0]))))
    offset = 8 + size * len(entries)
    table, code = b"", b""
    for fields in entries:
        table += entry(*fields[:-1], offset + len(code))
        code += fields[-1]
    return magic + struct.pack("<I", len(entries)) + table + code


def instrument_pack(instruments):
    return with_code(b"BINS", [(s, noff, c) for s, c, noff in instruments],
                     lambda s=0, noff=0, off=0: struct.pack("<III", s, off, noff))


def effect(channels):
    return with_code(b"BSFX", channels, lambda s=0, off=0: struct.pack("<II", s, off))


def music(tracks, stream):
    head = b"BMUS" + struct.pack("<I", len(tracks))
    base = 8 + 5 * len(tracks)
    return head + b"".join(struct.pack("<bI", p, base + start) for p, start in tracks) + stream


def seed(name, flags, images, commands):
    out = bytes([flags])
    for image in images:
        out += struct.pack("<H", len(image)) + image
    with open(os.path.join(here, "fuzz_corpus", name), "wb") as f:
        f.write(out + bytes(commands))


ramp = bytes((i * 7) & 0xFF for i in range(600))
samples = sample_pack([(ramp, 48000, 440), (ramp[:200], 22050, 261)])
instrument = bytes([0x01, 0x03, 0x7F, 0x00, 0x00]) + wait(20) + bytes([0x03, 0x40, 0x00, 0xFF]) + wait(5) + b"\x00"
looped = bytes([0x02, 0x10, 0x00, 0x00, 0x02, 0x03, 0x64, 0x00, 0x00, 0x05, 0x03]) + wait(4) + b"\x06" + wait(100) + b"\x00"
instruments = instrument_pack([(0, instrument, 9), (1, looped, 0)])
single = bytes([0x01, 0x03, 0x7F, 0x00, 0x00, 0x04, 0, 0, 1, 0, 0, 1, 0, 0]) + wait(30) + b"\x00"
loop = bytes([0x02, 0, 0, 0x58, 0x02, 0x03, 0x50, 0x00, 0xFF, 0x04, 0, 0x80, 0, 0, 0, 0, 0, 0, 0x05, 0xFF]) + wait(3) + b"\x06"
fx1 = effect([(0, single)])
fx2 = effect([(1, loop), (0, single)])
fx3 = effect([(5, single), (0, bytes([0x05, 0x02, 0x05, 0x02, 0x07]) + wait(2) + b"\x06\x06\x09\x00")])

main0 = bytes([0x01, 0x7F, 0x40, 0x02, 0x00, 0x05, 0, 1, 0, 0, 0x10, 0, 0, 0, 0x06, 0x02])
riff_call = bytes([0x08]) + struct.pack("<i", 0)  # patched below
main0_tail = bytes([0x03, 0x45]) + wait(6) + b"\x04" + wait(3) + b"\x07\x04\x00\x00"
riff = bytes([0x02, 0x01, 0x03, 0x30]) + wait(5) + b"\x0A\x09"
main1 = bytes([0x00, 0x05, 0x02, 0x00, 0x06, 0x04, 0x03, 0x3C]) + wait(4) + b"\x07\x04\x00\x00"
stream = main0 + riff_call + main0_tail
riff_at = len(stream)
stream += riff
main1_at = len(stream)
stream += main1
call_end = len(main0) + len(riff_call)
stream = stream[:len(main0) + 1] + struct.pack("<i", riff_at - call_end) + stream[call_end:]
song = music([(3, 0), (2, main1_at)], stream)

images = [samples, instruments, fx1, fx2, fx3, song]
play = lambda k, p, l, r: [2, k, p & 0xFF, l, r]
seed("effects", 0, images, play(0, 5, 127, 127) + play(1, 6, 64, 127) + [1, 1] + [4, 5] + [1] + play(2, 9, 127, 0) + [1, 1])
seed("music", 0, images, [3, 1, 6, 64, 1, 1] + play(1, 1, 127, 127) + [1, 1, 1, 5, 1])
seed("mixed", 0, images, [3] + play(0, 3, 127, 127) + play(1, 2, 127, 127) + [1, 0x87, 1, 7, 1, 8, 0] + [3, 1, 9, 1, 1])
seed("magic", 0x3F, [b"XXXX" + samples[4:], b"XXXX" + instruments[4:], fx1, fx2, fx3, song], [3] + play(0, 1, 1, 1) + [1, 1])
seed("empty", 0, [b"", b"", b"", b"", b"", b""], [0, 3, 1])
