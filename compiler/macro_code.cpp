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

} // namespace

int appendCodeBytes(CodeBuffer* code, const uint8_t* bytes, uint32_t count)
{
    if (count > kMaxCodeLength - code->length) {
        printMessage(stderr, "%s", kOutOfMemory);
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

int appendCodeU32(CodeBuffer* code, uint32_t value)
{
    const uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                              uint8_t(value >> 24)};
    return appendCodeBytes(code, bytes, 4);
}

int appendCodeByte(CompiledChannel* channel, uint8_t byte)
{
    return appendCode(&channel->code, byte);
}

void closeWaitRun(WaitRun* run)
{
    run->open = false;
}

int emitWait(CodeBuffer* code, WaitRun* run, int32_t ticks)
{
    if (ticks < 0) {
        printMessage(stderr, "%s", kValueOutOfRange);
        return 1;
    }
    uint64_t total = uint64_t(ticks);
    if (run->open)
        total += uint32_t(run->total);
    if (total > kMaxWaitTicks) {
        printMessage(stderr, "%s", kValueOutOfRange);
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
    return appendCodeByte(channel, MACRO_END);
}

int emitSingleShot(CompiledChannel* channel)
{
    return appendCodeByte(channel, MACRO_SINGLESHOT);
}

int emitLooping(CompiledChannel* channel, uint16_t start, uint16_t end)
{
    const uint8_t bytes[5] = {MACRO_LOOPING, uint8_t(start), uint8_t(start >> 8), uint8_t(end),
                              uint8_t(end >> 8)};
    return appendCodeBytes(&channel->code, bytes, 5);
}

int emitVolume(CompiledChannel* channel, uint32_t level, uint32_t slide)
{
    // The level's integer byte, then the slide as 8.8: fraction byte first.
    const uint8_t bytes[4] = {MACRO_VOLUME, uint8_t(level >> 16), uint8_t(slide),
                              uint8_t(slide >> 16)};
    return appendCodeBytes(&channel->code, bytes, 4);
}

int emitFrequency(CompiledChannel* channel, uint32_t frequency, uint32_t slide)
{
    if (appendCodeByte(channel, MACRO_FREQUENCY) != 0 ||
        appendCodeU32(&channel->code, frequency) != 0)
        return -1;
    return appendCodeU32(&channel->code, slide);
}

int emitLoop(CompiledChannel* channel, int8_t count)
{
    const uint8_t bytes[2] = {MACRO_LOOP, uint8_t(count)};
    return appendCodeBytes(&channel->code, bytes, 2);
}

int emitEndLoop(CompiledChannel* channel)
{
    return appendCodeByte(channel, MACRO_ENDLOOP);
}
