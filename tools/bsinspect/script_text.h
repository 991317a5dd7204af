// Scripts as bsinspect writes them: text for bscomp, with comments where something in the
// package cannot be written so that bscomp gives back the same bytes.
#pragma once

#include <string>
#include <vector>

#include "tools/bsinspect/code_listing.h"

namespace bsinspect {

struct Script {
    std::string name;               // where --extract writes it: "samples.txt", "song/00.txt"
    std::vector<std::string> from;  // the packages it comes from
    std::string text;
    std::vector<std::string> notes;  // what bscomp cannot rebuild exactly from it
};

// Builds a script's text line by line.
class ScriptText {
public:
    explicit ScriptText(Script* script) : script_(script) {}

    void line(unsigned depth, const std::string& text);
    void comment(unsigned depth, const std::string& text);
    void blank() { script_->text += "\n"; }
    // Something bscomp cannot rebuild: said here in a comment and kept among the script's notes.
    void cannot(unsigned depth, const std::string& what);

private:
    Script* script_;
};

// An instruction written as a command: its name, then its operands, a slide of 0 left out.
std::string commandText(const CodeLine& line);
// "opcode 0x07 (no operation)".
std::string opcodeText(const BsOpcodeInfo* info);
// ": " and what the engine does with the opcode of `info` in the malformed case `flag`
// (BS_MALFORMED_), as the bytecode table says; empty when the table names no such case.
std::string engineText(const BsOpcodeInfo* info, unsigned flag);
// "the bytes 0C 01 02 ... at file offset 40": what a NotCode line holds.
std::string bytesText(const uint8_t* image, const CodeLine& line);

}  // namespace bsinspect
