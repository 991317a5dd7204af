#include "tools/bsinspect/script_text.h"

#include <cstdio>

#include "tools/bsinspect/script_numbers.h"

namespace bsinspect {

namespace {

std::string operandText(uint8_t operand, int32_t value)
{
    switch (operand) {
    case BS_OPERAND_INSTRUMENT: return "instrument_" + std::to_string(value);
    case BS_OPERAND_NOTE: return noteText(uint8_t(value));
    case BS_OPERAND_FIXED8: return fixed8Text(int16_t(value));
    case BS_OPERAND_FIXED16: return fixed16Text(value);
    default: return std::to_string(value);
    }
}

}  // namespace

void ScriptText::line(unsigned depth, const std::string& text)
{
    script_->text += std::string(4 * depth, ' ') + text + "\n";
}

void ScriptText::comment(unsigned depth, const std::string& text)
{
    line(depth, "; " + text);
}

void ScriptText::cannot(unsigned depth, const std::string& what)
{
    comment(depth, "NOT REBUILT: " + what);
    script_->notes.push_back(what);
}

std::string commandText(const CodeLine& line)
{
    std::string text = line.info->name;
    for (unsigned i = 0; i < BS_MAX_OPERANDS && line.info->operands[i] != BS_OPERAND_NONE; ++i) {
        const uint8_t operand = line.info->operands[i];
        const bool slide = i > 0 && (operand == BS_OPERAND_FIXED8 || operand == BS_OPERAND_FIXED16);
        if (!(slide && line.operands[i] == 0))
            text.append(" ").append(operandText(operand, line.operands[i]));
    }
    return text;
}

std::string opcodeText(const BsOpcodeInfo* info)
{
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", info->opcode);
    return std::string("opcode ") + hex + " (" + info->name + ")";
}

std::string engineText(const BsOpcodeInfo* info, unsigned flag)
{
    return info->malformed & flag ? std::string(": ") + bs_malformedText(flag) : "";
}

std::string bytesText(const uint8_t* image, const CodeLine& line)
{
    std::string text = line.length == 1 ? "the byte" : "the " + std::to_string(line.length) + " bytes";
    for (uint32_t i = 0; i < line.length && i < 12; ++i) {
        char hex[8];
        std::snprintf(hex, sizeof hex, " %02X", image[line.position + i]);
        text += hex;
    }
    if (line.length > 12)
        text += " ...";
    return text + " at file offset " + std::to_string(line.position);
}

}  // namespace bsinspect
