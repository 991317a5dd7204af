// Macro and music code read the way the engine reads it, element by element, for the tools that
// check it and list it. What each opcode's operands are comes from the bytecode tables of
// formats/opcodes.h.
#pragma once

#include <cstdint>

#include "formats/opcodes.h"

namespace bs {

// A wait run (`info` null), or an instruction with its operands.
struct CodeElement {
    uint32_t position = 0;               // of the first byte, from the start of the image
    uint32_t length = 0;                 // in bytes
    const BsOpcodeInfo* info = nullptr;  // null for a wait run
    int32_t operands[BS_MAX_OPERANDS] = {};
    uint32_t ticks = 0;  // a wait run's count
};

// How a walk through code ended.
struct CodeWalk {
    enum Stop {
        Done,
        UnknownOpcode,
        CutInstruction,
        Visitor
    } stop = Done;
    uint32_t position = 0;  // of the element it stopped at, or the end
};

using OpcodeTable = const BsOpcodeInfo* (*)(uint8_t);

// Reads the code from `start` to `end` of `image` with the opcodes of `opcodes` and calls
// `visit(element)` for every wait run and every instruction whose operands lie inside; a visit
// that returns false stops the walk. A byte that is no opcode, or an instruction cut off by
// `end`, stops it too: that is where the engine stops the channel or track.
template <typename Visit>
CodeWalk walkCode(const uint8_t* image, uint32_t start, uint32_t end, OpcodeTable opcodes, Visit visit)
{
    uint32_t position = start;
    while (position < end) {
        CodeElement element;
        element.position = position;
        if (image[position] & BS_WAIT_FLAG) {
            element.length = bs_readWaitRun(image + position, end - position, &element.ticks);
        } else {
            element.info = opcodes(image[position]);
            if (!element.info)
                return {CodeWalk::UnknownOpcode, position};
            element.length = 1 + bs_operandBytes(element.info);
            if (element.length > end - position)
                return {CodeWalk::CutInstruction, position};
            bs_readOperands(element.info, image + position + 1, element.operands);
        }
        if (!visit(static_cast<const CodeElement&>(element)))
            return {CodeWalk::Visitor, position};
        position += element.length;
    }
    return {CodeWalk::Done, position};
}

}  // namespace bs
