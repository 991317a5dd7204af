/* Package layouts shared by the compiler (which writes them) and the engine
 * (which reads them in place).  Every multi-byte field is little-endian and
 * every offset counts from the first byte of the package file.  Fields are
 * described as offsets rather than structs: the music track packs its 5-byte
 * entries without alignment, and readers must not depend on host layout. */
#ifndef BS_FORMATS_PACKAGES_H
#define BS_FORMATS_PACKAGES_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Every package starts with a four-character magic and an entry count. */
#define BS_MAGIC_SAMPLES "BSMP"
#define BS_MAGIC_INSTRUMENTS "BINS"
#define BS_MAGIC_EFFECT "BSFX"
#define BS_MAGIC_MUSIC "BMUS"

enum {
    BS_MAGIC_SIZE = 4,
    BS_HEADER_COUNT_OFFSET = 4, /* uint32 entry count */
    BS_HEADER_SIZE = 8,         /* entries start here */

    /* Sample pack (.smp): 16-byte entries, then the raw 8-bit signed PCM. */
    BS_SAMPLE_ENTRY_SIZE = 16,
    BS_SAMPLE_ENTRY_DATA_OFFSET = 0,   /* uint32 offset of the first sample byte */
    BS_SAMPLE_ENTRY_LENGTH = 4,        /* uint32 length in samples (bytes) */
    BS_SAMPLE_ENTRY_SAMPLE_RATE = 8,   /* unsigned 16.16 Hz */
    BS_SAMPLE_ENTRY_CONTENT_FREQ = 12, /* unsigned 16.16 Hz */

    /* Instrument pack (.ins): 12-byte entries, then the instruments' code. */
    BS_INSTRUMENT_ENTRY_SIZE = 12,
    BS_INSTRUMENT_ENTRY_SAMPLE_INDEX = 0, /* uint32 */
    BS_INSTRUMENT_ENTRY_CODE_OFFSET = 4,  /* uint32, from the start of the file */
    BS_INSTRUMENT_ENTRY_NOTE_OFF = 8,     /* uint32, from the instrument's first code byte */

    /* Sound effect (.sfx): 8-byte channel entries, then the channels' code. */
    BS_EFFECT_ENTRY_SIZE = 8,
    BS_EFFECT_ENTRY_SAMPLE_INDEX = 0, /* uint32 */
    BS_EFFECT_ENTRY_CODE_OFFSET = 4,  /* uint32, from the start of the file */

    /* Music track (.mus): packed 5-byte track entries, then the code stream. */
    BS_TRACK_ENTRY_SIZE = 5,
    BS_TRACK_ENTRY_PRIORITY = 0,   /* int8 initial priority */
    BS_TRACK_ENTRY_CODE_OFFSET = 1 /* uint32, from the start of the file, unaligned */
};

static inline uint32_t bs_readU32(const uint8_t* p)
{
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

static inline uint16_t bs_readU16(const uint8_t* p)
{
    return (uint16_t)(p[0] | (p[1] << 8));
}

static inline void bs_writeU32(uint8_t* p, uint32_t v)
{
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
    p[2] = (uint8_t)(v >> 16);
    p[3] = (uint8_t)(v >> 24);
}

static inline void bs_writeU16(uint8_t* p, uint16_t v)
{
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
}

#ifdef __cplusplus
}
#endif

#endif
