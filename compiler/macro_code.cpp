#include "compiler/macro_code.h"

#include <cstdio>

#include "compiler/arrays.h"
#include "compiler/macros.h"
#include "compiler/messages.h"
#include "formats/opcodes.h"

namespace {

// Code buffers stay well below 2 GiB so that every offset written into a
// package fits its 32-bit field with room for the headers.
constexpr uint32_t kMaxCodeLength = 0x7FFFFFFFu;

}  // namespace

int appendCodeBytes(CodeBuffer* code, const uint8_t* bytes, uint32_t count)
{
    if (count > kMaxCodeLength - code->length) {
        printMessage(stderr, kFormatMessage, kOutOfMemory);
        return -1;
    }
    uint32_t needed = code->length + count;
    if (needed > code->capacity &&
        growArray(&code->bytes, &code->capacity, needed) != 0)
        return -1;
    for (uint32_t i = 0; i < count; ++i)
        code->bytes[code->length++] = bytes[i];
    return 0;
}

int appendCode(CodeBuffer* code, uint8_t byte)
{
    return appendCodeBytes(code, &byte, 1);
}

int appendOperands(CodeBuffer* code, const BsOpcodeInfo* info, int32_t first, int32_t second)
{
    const int32_t values[BS_MAX_OPERANDS] = {first, second};
    uint8_t bytes[BS_MAX_INSTRUCTION_BYTES];
    const uint32_t length = bs_writeInstruction(info, values, bytes);
    return appendCodeBytes(code, bytes + 1, length - 1);
}

int appendInstruction(CodeBuffer* code, const BsOpcodeInfo* info, int32_t first, int32_t second)
{
    const int32_t values[BS_MAX_OPERANDS] = {first, second};
    uint8_t bytes[BS_MAX_INSTRUCTION_BYTES];
    return appendCodeBytes(code, bytes, bs_writeInstruction(info, values, bytes));
}

void closeWaitRun(WaitRun* run)
{
    run->open = false;
}

int emitWait(CodeBuffer* code, WaitRun* run, int32_t ticks)
{
    if (ticks < 0) {
        printMessage(stderr, kFormatMessage, kValueOutOfRange);
        return 1;
    }
    uint64_t total = uint64_t(ticks);
    if (run->open)
        total += uint32_t(run->total);
    if (total > kMaxWaitTicks) {
        printMessage(stderr, kFormatMessage, kValueOutOfRange);
        return 1;
    }
    // A wait of 0 emits nothing and leaves the run as it was; an open run
    // always holds a non-zero total, so this never drops one.
    if (total == 0)
        return 0;
    if (run->open)
        code->length -= run->length;
    uint8_t bytes[BS_WAIT_MAX_BYTES];
    unsigned length = bs_encodeWaitRun(uint32_t(total), bytes);
    if (appendCodeBytes(code, bytes, length) != 0)
        return -1;
    run->open = true;
    run->total = int32_t(total);
    run->length = length;
    return 0;
}

int emitWait(CompiledChannel* channel, int32_t ticks)
{
    return emitWait(&channel->code, &channel->waitRun, ticks);
}

int emitEnd(CompiledChannel* channel)
{
    return appendInstruction(&channel->code, bs_macroOpcode(MACRO_END));
}

int emitSingleShot(CompiledChannel* channel)
{
    return appendInstruction(&channel->code, bs_macroOpcode(MACRO_SINGLESHOT));
}

int emitLooping(CompiledChannel* channel, uint16_t start, uint16_t end)
{
    return appendInstruction(&channel->code, bs_macroOpcode(MACRO_LOOPING), start, end);
}

int emitVolume(CompiledChannel* channel, uint32_t level, uint32_t slide)
{
    // The level's integer byte; the slide as 8.8, its fraction byte below its integer byte.
    const int32_t slide88 = int32_t(((slide >> 8) & 0xFF00u) | (slide & 0xFFu));
    return appendInstruction(&channel->code, bs_macroOpcode(MACRO_VOLUME), int32_t(level >> 16), slide88);
}

int emitFrequency(CompiledChannel* channel, uint32_t frequency, uint32_t slide)
{
    return appendInstruction(&channel->code, bs_macroOpcode(MACRO_FREQUENCY), int32_t(frequency),
                             int32_t(slide));
}

int emitLoop(CompiledChannel* channel, int8_t count)
{
    return appendInstruction(&channel->code, bs_macroOpcode(MACRO_LOOP), count);
}

int emitEndLoop(CompiledChannel* channel)
{
    return appendInstruction(&channel->code, bs_macroOpcode(MACRO_ENDLOOP));
}
