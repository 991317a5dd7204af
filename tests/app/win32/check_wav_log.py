#!/usr/bin/env python3
"""Checks a WAV log of the host: a complete 44-byte header (48000 Hz, 16-bit stereo PCM) whose
sizes match the file, at least MIN_SECONDS of audio, and sound in it (not all near silence).

usage: check_wav_log.py LOG.wav MIN_SECONDS
"""
import struct
import sys


def main(path, min_seconds):
    with open(path, 'rb') as f:
        data = f.read()
    if len(data) < 44:
        return 'the log has no complete header (%d bytes)' % len(data)
    riff, riff_size, wave, fmt, fmt_size, tag, channels, rate, byte_rate, align, bits, \
        data_id, data_size = struct.unpack('<4sI4s4sIHHIIHH4sI', data[:44])
    problems = []
    if (riff, wave, fmt, data_id) != (b'RIFF', b'WAVE', b'fmt ', b'data'):
        problems.append('not a RIFF WAVE header')
    if (fmt_size, tag, channels, rate, byte_rate, align, bits) != (16, 1, 2, 48000, 192000, 4, 16):
        problems.append('not 48000 Hz 16-bit stereo PCM')
    if riff_size != len(data) - 8 or data_size != len(data) - 44:
        problems.append('sizes %d and %d do not match the file of %d bytes' % (riff_size, data_size, len(data)))
    seconds = (len(data) - 44) / 192000
    if seconds < min_seconds:
        problems.append('only %.2f s of audio' % seconds)
    samples = struct.unpack('<%dh' % ((len(data) - 44) // 2), data[44:44 + (len(data) - 44) // 2 * 2])
    loud = sum(1 for s in samples if abs(s) > 512)
    if loud < len(samples) // 100:
        problems.append('silent: %d of %d samples above 512' % (loud, len(samples)))
    print('%s: %.2f s, %d samples above 512, peak %d' % (path, seconds, loud, max(map(abs, samples), default=0)))
    return '; '.join(problems) or None


if __name__ == '__main__':
    if len(sys.argv) != 3:
        sys.stderr.write(__doc__)
        sys.exit(2)
    problem = main(sys.argv[1], float(sys.argv[2]))
    if problem:
        sys.stderr.write('check_wav_log: %s\n' % problem)
        sys.exit(1)
