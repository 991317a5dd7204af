// Writing the sources of packages into a folder, for bscomp to compile there.
#pragma once

#include <string>
#include <vector>

#include "tools/bsinspect/disassembly.h"

namespace bsinspect {

// Writes every script and PCM file of `sources` into `folder`, making the folders they need,
// each file put in place whole. None may be one of the run's inputs (`inputs`), under any name.
// False, with `error` naming the file, at the first that cannot be written.
bool extractSources(const std::string& folder, const Sources& sources, const std::vector<std::string>& inputs,
                    std::string* error);

// A bscomp run as a shell line, its arguments quoted where they need it.
std::string commandLine(const std::vector<std::string>& arguments);

}  // namespace bsinspect
