// Instrument packs and sound effects written back as macro scripts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/bsinspect/package.h"
#include "tools/bsinspect/script_text.h"

namespace bsinspect {

// A sound effect to write: its package, its label and its priority (none when unknown).
struct EffectSource {
    const Package* package = nullptr;
    std::string label;
    std::optional<int> priority;
};

// The instrument script of an instrument pack, its instruments named instrument_N. Sample
// indices are checked against `sampleCount` when it is known.
Script instrumentScript(const Package& pack, std::optional<uint32_t> sampleCount);
// One sound-effect script for all of `effects`, in their order.
Script effectScript(const std::vector<EffectSource>& effects, std::optional<uint32_t> sampleCount);

}  // namespace bsinspect
