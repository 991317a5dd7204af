/* formats/opcodes.h compiled as C, as a C program that reads packages would. */
#include "formats/opcodes.h"

uint32_t bs_test_readInstructionInC(int music, const uint8_t* code, int32_t* operands);
uint32_t bs_test_writeInstructionInC(int music, uint8_t opcode, const int32_t* operands, uint8_t* out);

/* The length of the instruction at `code`, its operands read into `operands`; 0 for a byte that
 * is no opcode. */
uint32_t bs_test_readInstructionInC(int music, const uint8_t* code, int32_t* operands)
{
    const BsOpcodeInfo* info = music ? bs_musicOpcode(code[0]) : bs_macroOpcode(code[0]);
    return info == NULL ? 0 : 1 + bs_readOperands(info, code + 1, operands);
}

uint32_t bs_test_writeInstructionInC(int music, uint8_t opcode, const int32_t* operands, uint8_t* out)
{
    return bs_writeInstruction(music ? bs_musicOpcode(opcode) : bs_macroOpcode(opcode), operands, out);
}
