// The priority definitions header that "bscomp -sfx" writes beside the effects: one line
// "#define BPRI_<label>\t\t<priority>" per sound effect, the label being the effect's file name.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace bs {

// Priorities by effect label.
using PriorityTable = std::map<std::string, int8_t>;

// Reads the header text. Blank lines, comments and other preprocessor lines are passed over, so
// a header that a programmer has added to still reads; false, with `error` naming the line, when
// a BPRI_ definition has no label or no priority from -128 to 127. A later definition of a label
// replaces an earlier one.
bool parsePriorityHeader(const std::string& text, PriorityTable* table, std::string* error);

// Reads the header at `path`; errors name the file.
bool loadPriorityHeader(const std::string& path, PriorityTable* table, std::string* error);

// The label of an effect file: its name without folder and extension ("fx/boom.sfx" -> "boom").
std::string effectLabel(const std::string& path);

// The priority `table` gives the effect file at `path`. False, with `problem` saying why, when it
// gives none or gives 0, which plays nothing.
bool effectPriority(const PriorityTable& table, const std::string& path, int8_t* priority,
                    std::string* problem);

}  // namespace bs
