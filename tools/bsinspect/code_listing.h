// Code cut into the lines a script writes for it: each instruction, and each wait run as bscomp
// encodes one.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/common/code_walk.h"

namespace bsinspect {

struct CodeLine {
    enum Kind {
        Instruction,
        Wait,
        NotCode
    } kind = Instruction;
    uint32_t position = 0;  // from the start of the image
    uint32_t length = 0;
    const BsOpcodeInfo* info = nullptr;  // an instruction's opcode
    int32_t operands[BS_MAX_OPERANDS] = {};
    uint32_t ticks = 0;    // a wait run's count
    bool joined = false;   // a wait run right after another, which bscomp would join to it
    bool shortest = true;  // a wait run in as few bytes as bscomp writes its count
};

// Lists the code from `start` to `end` of `image`. Wait bytes become runs of at most four bytes,
// cut at every position of `cuts` (sorted) that falls among them: a block's start, a note-off
// point. A byte that is no opcode, or an instruction cut off by `end`, begins a last NotCode
// line that runs to `end`: the engine stops there.
std::vector<CodeLine> listCode(const uint8_t* image, uint32_t start, uint32_t end, bs::OpcodeTable opcodes,
                               const std::vector<uint32_t>& cuts);

}  // namespace bsinspect
