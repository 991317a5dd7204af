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
    uint16_t u16()
    {
        uint16_t value = static_cast<uint16_t>(code_[position_] | code_[position_ + 1] << 8);
        position_ += 2;
        return value;
    }
    uint32_t u32()
    {
        uint32_t value = static_cast<uint32_t>(code_[position_]) |
                         static_cast<uint32_t>(code_[position_ + 1]) << 8 |
                         static_cast<uint32_t>(code_[position_ + 2]) << 16 |
                         static_cast<uint32_t>(code_[position_ + 3]) << 24;
        position_ += 4;
        return value;
    }

    // A wait run: up to four bytes with bit 7 set, seven bits each, lowest
    // group first.  The caller has seen that the first byte is one.  A run
    // cut short by the end of the image ends there.
    int32_t waitRun()
    {
        uint32_t value = 0;
        for (int group = 0; group < BS_WAIT_MAX_BYTES && has(1) && (peek() & BS_WAIT_FLAG); ++group)
            value |= static_cast<uint32_t>(u8() & 0x7F) << (BS_WAIT_GROUP_BITS * group);
        return static_cast<int32_t>(value);
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
// any other byte is an opcode for `execute`, which returns false for one
// that ends the code, as does running off its end (`stop`).  Code that has
// not waited after kElementsPerTick elements yields until the next tick.
template <typename Owner, typename Execute, typename Stop>
void runUntilWait(Owner& owner, CodeReader& reader, Execute execute, Stop stop)
{
    int budget = kElementsPerTick;
    while (owner.priority != 0 && owner.wait == 0) {
        if (budget-- == 0) {
            owner.wait = 1; // resume with the next tick
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
        if (!execute(byte))
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

} // namespace brimsel

#endif
