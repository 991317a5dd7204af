// Bytecode emission shared by macro channels and music blocks: the growable
// code buffer, wait runs that join consecutive waits, and the encoding of
// every macro command.
#pragma once

#include <cstdint>

#include "formats/opcodes.h"

// A growable byte buffer. Records holding one live in growable arrays, so it
// stays trivially copyable (the bytes are malloc'd).
struct CodeBuffer {
    uint8_t* bytes;
    uint32_t length;
    uint32_t capacity;
};

// The wait run at the end of a code buffer, if it is still open: its bytes may
// be replaced by one longer run when the next wait follows directly.
struct WaitRun {
    bool open;
    int32_t total;
    uint32_t length;
};

struct CompiledChannel;

// Initial capacity of a macro channel's code. Most channels are a few dozen
// bytes; the buffer doubles when it fills, so scripts with many thousands of
// macros stay small in memory.
constexpr uint32_t kChannelCodeCapacity = 64;

// Largest wait a run can hold, single or joined: 2^28 - 1 ticks.
constexpr uint32_t kMaxWaitTicks = BS_WAIT_MAX;

// Appends one byte, growing the buffer. 0, or -1 after "Out of memory".
int appendCode(CodeBuffer* code, uint8_t byte);
int appendCodeBytes(CodeBuffer* code, const uint8_t* bytes, uint32_t count);

// Emits a wait of `ticks` (0 or more), joined with the open run if there is
// one. Returns 0; 1 after "Value out of range" when the single or joined
// count does not fit a run; -1 after "Out of memory".
int emitWait(CodeBuffer* code, WaitRun* run, int32_t ticks);
int emitWait(CompiledChannel* channel, int32_t ticks);

// Ends the open run: the next wait starts a run of its own.
void closeWaitRun(WaitRun* run);

// One instruction: the opcode of `info` and its operands `first` and `second` (as many as it
// has), laid out as the bytecode table says (formats/opcodes.h). 0, or -1 after "Out of memory".
int appendInstruction(CodeBuffer* code, const BsOpcodeInfo* info, int32_t first = 0, int32_t second = 0);
// The operands alone, when the opcode byte went first.
int appendOperands(CodeBuffer* code, const BsOpcodeInfo* info, int32_t first = 0, int32_t second = 0);

// Macro opcodes with their operands. Each returns 0 or -1 (out of memory).
int emitEnd(CompiledChannel* channel);
int emitSingleShot(CompiledChannel* channel);
int emitLooping(CompiledChannel* channel, uint16_t start, uint16_t end);
// LEVEL and SLIDE are 8.8 values from parseFixed8.
int emitVolume(CompiledChannel* channel, uint32_t level, uint32_t slide);
// FREQ and SLIDE are 16.16 values from parseFixed16.
int emitFrequency(CompiledChannel* channel, uint32_t frequency, uint32_t slide);
int emitLoop(CompiledChannel* channel, int8_t count);
int emitEndLoop(CompiledChannel* channel);
