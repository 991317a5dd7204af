/* Bytecode shared by the compiler and the engine: macro opcodes (instruments
 * and sound effects), music opcodes, and the wait-run encoding both use.
 *
 * A byte below 0x80 is an opcode followed by its little-endian operands.
 * A byte with bit 7 set belongs to a wait run: one to four such bytes, seven
 * bits of the tick count each, least significant group first. */
#ifndef BS_FORMATS_OPCODES_H
#define BS_FORMATS_OPCODES_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Macro code (instrument and sound-effect channels). */
enum MacroOpcode {
    MACRO_END = 0x00,        /* -                           */
    MACRO_SINGLESHOT = 0x01, /* -                           */
    MACRO_LOOPING = 0x02,    /* uint16 start, uint16 end    */
    MACRO_VOLUME = 0x03,     /* uint8 level, int16 slide (8.8) */
    MACRO_FREQUENCY = 0x04,  /* uint32 freq, uint32 slide (16.16) */
    MACRO_LOOP = 0x05,       /* int8 count                  */
    MACRO_ENDLOOP = 0x06,    /* -                           */
    MACRO_NOP = 0x07         /* never emitted; does nothing */
};

/* Music code (one stream per track). */
enum MusicOpcode {
    MUSIC_PRIORITY = 0x00, /* uint8 priority ("end" is priority 0) */
    MUSIC_PAN = 0x01,      /* int8 left, int8 right    */
    MUSIC_USING = 0x02,    /* uint8 instrument         */
    MUSIC_NOTE = 0x03,     /* uint8 note, then a wait run for its length */
    MUSIC_NOTE_OFF = 0x04, /* -                        */
    MUSIC_PITCH = 0x05,    /* uint32 offset, uint32 slide (16.16) */
    MUSIC_LOOP = 0x06,     /* int8 count               */
    MUSIC_ENDLOOP = 0x07,  /* -                        */
    MUSIC_CALL = 0x08,     /* int32 offset from the end of the operand */
    MUSIC_RETURN = 0x09,   /* -                        */
    MUSIC_BREAK = 0x0A,    /* -                        */
    MUSIC_NOP = 0x0B       /* never emitted; does nothing */
};

/* A loop count of -128 on the music stack marks a call frame. */
enum { MUSIC_CALL_FRAME = -128 };

enum {
    BS_WAIT_FLAG = 0x80,
    BS_WAIT_GROUP_BITS = 7,
    BS_WAIT_MAX_BYTES = 4
};

/* Largest tick count a wait run can hold: 28 bits. */
#define BS_WAIT_MAX 0x0FFFFFFFu

/* Encodes `ticks` (1..BS_WAIT_MAX) as a wait run into `out`; returns its
 * length in bytes (1 to 4).  A count of 0 is encoded as nothing. */
static inline unsigned bs_encodeWaitRun(uint32_t ticks, uint8_t out[BS_WAIT_MAX_BYTES])
{
    unsigned length = ticks < 0x80u ? 1u : ticks < 0x4000u ? 2u : ticks < 0x200000u ? 3u : 4u;
    if (ticks == 0)
        return 0;
    for (unsigned i = 0; i < length; ++i)
        out[i] = (uint8_t)(BS_WAIT_FLAG | ((ticks >> (BS_WAIT_GROUP_BITS * i)) & 0x7Fu));
    return length;
}

#ifdef __cplusplus
}
#endif

#endif
