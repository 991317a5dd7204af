// The priority definitions header that "bscomp -sfx" writes beside the effects: one line
// "#define BPRI_<label>\t\t<priority>" per sound effect.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace bsrender {

// Priorities by effect label.
using PriorityTable = std::map<std::string, int8_t>;

// Reads the header text. Lines that are not BPRI_ definitions are ignored; false (with the
// error set, naming the line) when a BPRI_ line has no usable priority.
bool parsePriorityHeader(const std::string& text, PriorityTable* table, std::string* error);

// Reads the header at `path`; errors name the file.
bool loadPriorityHeader(const std::string& path, PriorityTable* table, std::string* error);

// The label of an effect file: its name without folder and extension ("fx/boom.sfx" -> "boom").
std::string effectLabel(const std::string& path);

}  // namespace bsrender
