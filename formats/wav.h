/* The WAV files the system writes (the host's output log, the tools' renders):
 * a canonical 44-byte RIFF/WAVE header for the engine's output format, PCM,
 * 2 channels, 48000 Hz, 16 bits, then the audio as the engine renders it,
 * signed 16-bit little-endian samples, left first.  The header states the
 * sizes, so a writer leaves room for it and fills it in at the end. */
#ifndef BS_FORMATS_WAV_H
#define BS_FORMATS_WAV_H

#include <stdint.h>
#include <string.h>

#include "formats/packages.h"

#ifdef __cplusplus
extern "C" {
#endif

enum {
    BS_WAV_HEADER_SIZE = 44, /* the audio starts here */
    BS_WAV_FORMAT_PCM = 1,
    BS_WAV_CHANNELS = 2,
    BS_WAV_SAMPLE_RATE = 48000, /* frames per second */
    BS_WAV_BITS_PER_SAMPLE = 16,
    BS_WAV_BYTES_PER_FRAME = 4, /* the block alignment */
    BS_WAV_BYTES_PER_SECOND = 192000
};

/* Fills `header` with the 44 bytes that describe `dataBytes` bytes of audio.
 * The RIFF size is dataBytes + 36, so dataBytes must stay below 4 GiB - 36. */
static inline void bs_makeWavHeader(uint32_t dataBytes, uint8_t header[BS_WAV_HEADER_SIZE])
{
    memcpy(header + 0, "RIFF", 4);
    bs_writeU32(header + 4, dataBytes + (BS_WAV_HEADER_SIZE - 8));
    memcpy(header + 8, "WAVE", 4);
    memcpy(header + 12, "fmt ", 4);
    bs_writeU32(header + 16, 16); /* size of the format chunk */
    bs_writeU16(header + 20, BS_WAV_FORMAT_PCM);
    bs_writeU16(header + 22, BS_WAV_CHANNELS);
    bs_writeU32(header + 24, BS_WAV_SAMPLE_RATE);
    bs_writeU32(header + 28, BS_WAV_BYTES_PER_SECOND);
    bs_writeU16(header + 32, BS_WAV_BYTES_PER_FRAME);
    bs_writeU16(header + 34, BS_WAV_BITS_PER_SAMPLE);
    memcpy(header + 36, "data", 4);
    bs_writeU32(header + 40, dataBytes);
}

#ifdef __cplusplus
}
#endif

#endif
