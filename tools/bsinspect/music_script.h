// A music track written back as one channel script per track.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/bsinspect/package.h"
#include "tools/bsinspect/script_text.h"

namespace bsinspect {

// The channel scripts of `music`, named `folder`/00.txt and on in track order. The code stream
// is cut into blocks where a track starts and where a call leads, and wherever bscomp would
// otherwise join two wait runs; instrument numbers are checked against `instrumentCount` when
// it is known.
std::vector<Script> musicScripts(const Package& music, const std::string& folder,
                                 std::optional<uint32_t> instrumentCount);

}  // namespace bsinspect
