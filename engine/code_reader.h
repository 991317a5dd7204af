// Reading macro and music bytecode: opcodes, little-endian operands and wait
// runs, every byte checked against the bounds of the image the code lies in.
#ifndef BRIMSEL_CODE_READER_H
#define BRIMSEL_CODE_READER_H

#include <cstdint>

#include "engine/state.h"
#include "formats/opcodes.h"

namespace brimsel {

// Elements one channel or track may carry out in one tick.  Code that loops
// without ever waiting would otherwise hold the tick for good; past this many
// it simply goes on at the next tick.
constexpr int kElementsPerTick = 1024;

class CodeReader {
public:
    CodeReader(const uint8_t* code, int32_t position, CodeBounds bounds)
        : code_(code), position_(position), bounds_(bounds)
    {
    }

    // True when the next `count` bytes may be read.
    bool has(int64_t count) const
    {
        return position_ >= bounds_.low && position_ <= bounds_.high - count;
    }
    uint8_t peek() const { return code_[position_]; }
    uint8_t u8() { return code_[position_++]; }

    // A wait run.  The caller has seen that the next byte may be read and is
    // one; a run cut short by the end of the image ends there.
    int32_t waitRun()
    {
        const size_t left = has(BS_WAIT_MAX_BYTES) ? size_t{BS_WAIT_MAX_BYTES} : size_t(bounds_.high - position_);
        uint32_t ticks = 0;
        position_ += bs_readWaitRun(code_ + position_, left, &ticks);
        return static_cast<int32_t>(ticks);
    }

    // The operands of `info`, laid out as the bytecode table says.  The caller
    // has seen that they may be read.
    void operands(const BsOpcodeInfo* info, int32_t values[BS_MAX_OPERANDS])
    {
        position_ += bs_readOperands(info, code_ + position_, values);
    }

    // Positions stay 32-bit as the tables store them; jumps wrap like them.
    int32_t position() const { return static_cast<int32_t>(static_cast<uint32_t>(position_)); }
    void jump(int32_t position) { position_ = position; }

private:
    const uint8_t* code_;
    int64_t position_;
    CodeBounds bounds_;
};

// Runs the code of a macro channel or a music track (`owner`, which has
// `priority` and `wait`) until it waits or stops: a wait run sets `wait`;
// any other byte is an opcode of the bytecode `opcodes` describes, carried
// out with its operands by `execute`, which returns false for one that ends
// the code.  A byte that is no opcode, operands cut off by the end of the
// image and running off its end all stop the code as "end" does (`stop`).
// Code that has not waited after kElementsPerTick elements yields until the
// next tick.
template <typename Owner, typename Execute, typename Stop>
void runUntilWait(Owner& owner, CodeReader& reader, const BsOpcodeInfo* (*opcodes)(uint8_t), Execute execute,
                  Stop stop)
{
    int budget = kElementsPerTick;
    while (owner.priority != 0 && owner.wait == 0) {
        if (budget-- == 0) {
            owner.wait = 1;  // resume with the next tick
            break;
        }
        if (!reader.has(1)) {
            stop();
            break;
        }
        const uint8_t byte = reader.peek();
        if (byte & BS_WAIT_FLAG) {
            owner.wait = reader.waitRun();
            continue;
        }
        reader.u8();
        const BsOpcodeInfo* info = opcodes(byte);
        int32_t operands[BS_MAX_OPERANDS];
        if (info == nullptr || !reader.has(bs_operandBytes(info))) {
            stop();
            continue;
        }
        reader.operands(info, operands);
        if (!execute(byte, operands))
            stop();
    }
}

// Counts down with the 32-bit wrap of the tables (an idle counter may run on).
inline int32_t countDown(int32_t wait)
{
    return static_cast<int32_t>(static_cast<uint32_t>(wait) - 1u);
}

inline int32_t wrappingAdd(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

}  // namespace brimsel

#endif
