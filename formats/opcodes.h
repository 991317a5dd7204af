/* The two bytecodes: macro code (instrument and sound-effect channels) and
 * music code (one stream per track), with the wait runs both use.
 *
 * A byte below 0x80 is an opcode followed by its little-endian operands.
 * A byte with bit 7 set belongs to a wait run: one to four such bytes, seven
 * bits of the tick count each, least significant group first.
 *
 * Each opcode is described once, in the tables behind bs_macroOpcode and
 * bs_musicOpcode: how a script writes it, its operands, and what the engine
 * does with a malformed one.  The compiler writes instructions from them, the
 * engine reads operands by them, and the tools check and list code with them. */
#ifndef BS_FORMATS_OPCODES_H
#define BS_FORMATS_OPCODES_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Macro code (instrument and sound-effect channels). */
enum MacroOpcode {
    MACRO_END = 0x00,
    MACRO_SINGLESHOT = 0x01,
    MACRO_LOOPING = 0x02,
    MACRO_VOLUME = 0x03,
    MACRO_FREQUENCY = 0x04,
    MACRO_LOOP = 0x05,
    MACRO_ENDLOOP = 0x06,
    MACRO_NOP = 0x07
};

/* Music code (one stream per track). */
enum MusicOpcode {
    MUSIC_PRIORITY = 0x00, /* "end" is priority 0 */
    MUSIC_PAN = 0x01,
    MUSIC_USING = 0x02,
    MUSIC_NOTE = 0x03,
    MUSIC_NOTE_OFF = 0x04,
    MUSIC_PITCH = 0x05,
    MUSIC_LOOP = 0x06,
    MUSIC_ENDLOOP = 0x07,
    MUSIC_CALL = 0x08,
    MUSIC_RETURN = 0x09,
    MUSIC_BREAK = 0x0A,
    MUSIC_NOP = 0x0B
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

/* What one operand is, which fixes its size and how it reads. */
typedef enum BsOperand {
    BS_OPERAND_NONE = 0,      /* after an opcode's last operand */
    BS_OPERAND_INT8,          /* signed byte: a loop count, a pan level, a priority */
    BS_OPERAND_LEVEL,         /* unsigned byte: a volume level */
    BS_OPERAND_INSTRUMENT,    /* unsigned byte: an entry of the instrument pack */
    BS_OPERAND_NOTE,          /* unsigned byte: a note, 0 (c.0) to 127 (g.10) */
    BS_OPERAND_SAMPLE_OFFSET, /* unsigned 16 bits: a position in the sample */
    BS_OPERAND_FIXED8,        /* signed 16-bit 8.8: the fraction byte, then the integer byte */
    BS_OPERAND_FIXED16,       /* 32-bit 16.16, two's complement: a step or a pitch, a slide */
    BS_OPERAND_DISTANCE       /* signed 32 bits: from the end of the operand to the block called */
} BsOperand;

/* How a script writes an opcode. */
typedef enum BsForm {
    BS_FORM_COMMAND, /* the command `name`, then the operands in order */
    BS_FORM_NOTE,    /* a note's name and octave ("c.4"), then its length: the wait run after it */
    BS_FORM_RELEASE, /* nothing of its own: "rest" and "end" write it while a note sounds */
    BS_FORM_NONE     /* no script writes it */
} BsForm;

/* What the engine does with a malformed instruction.  Whatever the opcode,
 * operands cut off by the end of the image stop the channel or track as "end"
 * does, and so does a byte that is no opcode (the table gives NULL).  Beyond
 * that, per opcode, any of: */
enum {
    BS_MALFORMED_NOTHING_OPEN = 1 << 0,  /* no loop open, no call on top: nothing happens */
    BS_MALFORMED_TOO_DEEP = 1 << 1,      /* a fifth nested loop or call: nothing is pushed and
                                           the operand is passed over (the body runs once, the
                                           call is not made) */
    BS_MALFORMED_NO_NOTE = 1 << 2,       /* a note above 127, or with an instrument the pack
                                           lacks: skipped, its length still passes */
    BS_MALFORMED_NO_INSTRUMENT = 1 << 3, /* an instrument the pack lacks: its notes are skipped */
    BS_MALFORMED_OUTSIDE = 1 << 4,       /* leading outside the image: the track stops there */
    BS_MALFORMED_IGNORED = 1 << 5        /* does nothing at all */
};

enum {
    BS_MAX_OPERANDS = 2,
    BS_MAX_INSTRUCTION_BYTES = 9 /* the opcode and two 32-bit operands */
};

typedef struct BsOpcodeInfo {
    uint8_t opcode;
    uint8_t form;                      /* BsForm */
    const char* name;                  /* the script's command; for other forms what it is */
    uint8_t operands[BS_MAX_OPERANDS]; /* BsOperand, in order */
    uint8_t malformed;                 /* BS_MALFORMED_ flags */
} BsOpcodeInfo;

/* The macro opcode `byte`, or NULL when there is none. */
static inline const BsOpcodeInfo* bs_macroOpcode(uint8_t byte)
{
    static const BsOpcodeInfo table[] = {
        {MACRO_END, BS_FORM_COMMAND, "end", {0, 0}, 0},
        {MACRO_SINGLESHOT, BS_FORM_COMMAND, "mode singleshot", {0, 0}, 0},
        {MACRO_LOOPING, BS_FORM_COMMAND, "mode looping", {BS_OPERAND_SAMPLE_OFFSET, BS_OPERAND_SAMPLE_OFFSET}, 0},
        {MACRO_VOLUME, BS_FORM_COMMAND, "volume", {BS_OPERAND_LEVEL, BS_OPERAND_FIXED8}, 0},
        {MACRO_FREQUENCY, BS_FORM_COMMAND, "frequency", {BS_OPERAND_FIXED16, BS_OPERAND_FIXED16}, 0},
        {MACRO_LOOP, BS_FORM_COMMAND, "loop", {BS_OPERAND_INT8, 0}, BS_MALFORMED_TOO_DEEP},
        {MACRO_ENDLOOP, BS_FORM_COMMAND, "endloop", {0, 0}, BS_MALFORMED_NOTHING_OPEN},
        {MACRO_NOP, BS_FORM_NONE, "no operation", {0, 0}, BS_MALFORMED_IGNORED},
    };
    return byte < sizeof table / sizeof table[0] ? &table[byte] : NULL;
}

/* The music opcode `byte`, or NULL when there is none. */
static inline const BsOpcodeInfo* bs_musicOpcode(uint8_t byte)
{
    static const BsOpcodeInfo table[] = {
        /* The engine takes the priority as unsigned, 0 to 255; scripts write -128 to 127. */
        {MUSIC_PRIORITY, BS_FORM_COMMAND, "priority", {BS_OPERAND_INT8, 0}, 0},
        {MUSIC_PAN, BS_FORM_COMMAND, "pan", {BS_OPERAND_INT8, BS_OPERAND_INT8}, 0},
        {MUSIC_USING, BS_FORM_COMMAND, "using", {BS_OPERAND_INSTRUMENT, 0}, BS_MALFORMED_NO_INSTRUMENT},
        {MUSIC_NOTE, BS_FORM_NOTE, "note", {BS_OPERAND_NOTE, 0}, BS_MALFORMED_NO_NOTE},
        {MUSIC_NOTE_OFF, BS_FORM_RELEASE, "release", {0, 0}, 0},
        {MUSIC_PITCH, BS_FORM_COMMAND, "pitch", {BS_OPERAND_FIXED16, BS_OPERAND_FIXED16}, 0},
        {MUSIC_LOOP, BS_FORM_COMMAND, "loop", {BS_OPERAND_INT8, 0}, BS_MALFORMED_TOO_DEEP},
        {MUSIC_ENDLOOP, BS_FORM_COMMAND, "endloop", {0, 0}, BS_MALFORMED_NOTHING_OPEN},
        {MUSIC_CALL, BS_FORM_COMMAND, "call", {BS_OPERAND_DISTANCE, 0}, BS_MALFORMED_TOO_DEEP | BS_MALFORMED_OUTSIDE},
        {MUSIC_RETURN, BS_FORM_COMMAND, "return", {0, 0}, BS_MALFORMED_NOTHING_OPEN},
        {MUSIC_BREAK, BS_FORM_COMMAND, "break", {0, 0}, 0},
        {MUSIC_NOP, BS_FORM_NONE, "no operation", {0, 0}, BS_MALFORMED_IGNORED},
    };
    return byte < sizeof table / sizeof table[0] ? &table[byte] : NULL;
}

/* What the engine does in the case of one BS_MALFORMED_ flag. */
static inline const char* bs_malformedText(unsigned flag)
{
    switch (flag) {
    case BS_MALFORMED_NOTHING_OPEN: return "with nothing open it does nothing";
    case BS_MALFORMED_TOO_DEEP: return "a fifth nested one pushes nothing and is passed over";
    case BS_MALFORMED_NO_NOTE: return "the engine skips the note";
    case BS_MALFORMED_NO_INSTRUMENT: return "the engine skips the notes played with it";
    case BS_MALFORMED_OUTSIDE: return "the track stops where it leads outside the file";
    case BS_MALFORMED_IGNORED: return "the engine does nothing with it";
    default: return "";
    }
}

static inline uint32_t bs_operandSize(uint8_t operand)
{
    switch (operand) {
    case BS_OPERAND_INT8:
    case BS_OPERAND_LEVEL:
    case BS_OPERAND_INSTRUMENT:
    case BS_OPERAND_NOTE: return 1;
    case BS_OPERAND_SAMPLE_OFFSET:
    case BS_OPERAND_FIXED8: return 2;
    case BS_OPERAND_FIXED16:
    case BS_OPERAND_DISTANCE: return 4;
    default: return 0;
    }
}

/* The bytes of the operands that follow the opcode byte. */
static inline uint32_t bs_operandBytes(const BsOpcodeInfo* info)
{
    uint32_t bytes = 0;
    for (unsigned i = 0; i < BS_MAX_OPERANDS; ++i)
        bytes += bs_operandSize(info->operands[i]);
    return bytes;
}

/* One operand at `p`, sign-extended when its kind is signed. */
static inline int32_t bs_readOperand(const uint8_t* p, uint8_t operand)
{
    switch (bs_operandSize(operand)) {
    case 1: return operand == BS_OPERAND_INT8 ? (int32_t)(int8_t)p[0] : (int32_t)p[0];
    case 2: {
        const uint16_t value = (uint16_t)(p[0] | (p[1] << 8));
        return operand == BS_OPERAND_FIXED8 ? (int32_t)(int16_t)value : (int32_t)value;
    }
    case 4:
        return (int32_t)((uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) |
                         ((uint32_t)p[3] << 24));
    default: return 0;
    }
}

/* Writes the low bytes of `value` that the operand holds; returns their number. */
static inline uint32_t bs_writeOperand(uint8_t* p, uint8_t operand, int32_t value)
{
    const uint32_t size = bs_operandSize(operand);
    for (uint32_t i = 0; i < size; ++i)
        p[i] = (uint8_t)((uint32_t)value >> (8 * i));
    return size;
}

/* Reads the operands of `info` from `p`, which holds them all, into `values`
 * (0 where there is none); returns their size in bytes. */
static inline uint32_t bs_readOperands(const BsOpcodeInfo* info, const uint8_t* p,
                                       int32_t values[BS_MAX_OPERANDS])
{
    uint32_t offset = 0;
    for (unsigned i = 0; i < BS_MAX_OPERANDS; ++i) {
        values[i] = bs_readOperand(p + offset, info->operands[i]);
        offset += bs_operandSize(info->operands[i]);
    }
    return offset;
}

/* Writes the opcode of `info` and its operands `values` into `out`; returns
 * the instruction's length. */
static inline uint32_t bs_writeInstruction(const BsOpcodeInfo* info, const int32_t values[BS_MAX_OPERANDS],
                                           uint8_t out[BS_MAX_INSTRUCTION_BYTES])
{
    uint32_t length = 0;
    out[length++] = info->opcode;
    for (unsigned i = 0; i < BS_MAX_OPERANDS; ++i)
        length += bs_writeOperand(out + length, info->operands[i], values[i]);
    return length;
}

/* Encodes `ticks` (1..BS_WAIT_MAX) as a wait run into `out`; returns its
 * length in bytes (1 to 4).  A count of 0 is encoded as nothing. */
static inline unsigned bs_encodeWaitRun(uint32_t ticks, uint8_t out[BS_WAIT_MAX_BYTES])
{
    unsigned length = ticks < 0x80u ? 1u : ticks < 0x4000u ? 2u
                                       : ticks < 0x200000u ? 3u
                                                           : 4u;
    if (ticks == 0)
        return 0;
    for (unsigned i = 0; i < length; ++i)
        out[i] = (uint8_t)(BS_WAIT_FLAG | ((ticks >> (BS_WAIT_GROUP_BITS * i)) & 0x7Fu));
    return length;
}

/* Reads the wait run at `p` as the engine does: up to four bytes with bit 7
 * set, of the `available` ones (at least 1, and `p[0]` has bit 7 set).
 * Returns the bytes read and sets `ticks`. */
static inline unsigned bs_readWaitRun(const uint8_t* p, size_t available, uint32_t* ticks)
{
    unsigned length = 0;
    uint32_t value = 0;
    while (length < BS_WAIT_MAX_BYTES && length < available && (p[length] & BS_WAIT_FLAG)) {
        value |= (uint32_t)(p[length] & 0x7Fu) << (BS_WAIT_GROUP_BITS * length);
        ++length;
    }
    *ticks = value;
    return length;
}

#ifdef __cplusplus
}
#endif

#endif
