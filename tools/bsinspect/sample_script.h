// A sample pack written back as a sample descriptor.
#pragma once

#include "tools/bsinspect/package.h"
#include "tools/bsinspect/script_text.h"

namespace bsinspect {

// The descriptor that rebuilds `pack` from the PCM files of its layout, its samples named
// sample_N.
Script sampleDescriptor(const Package& pack);

}  // namespace bsinspect
