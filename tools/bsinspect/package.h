// A package as bsinspect reads it: its kind, told by its magic, the shared checks' verdict, and
// its entry table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/bsinspect/sample_layout.h"
#include "tools/common/package_check.h"
#include "tools/common/package_file.h"

namespace bsinspect {

struct SampleEntry {
    uint32_t offset = 0;
    uint32_t length = 0;
    uint32_t rate = 0;     // 16.16 Hz
    uint32_t content = 0;  // 16.16 Hz
};

// An instrument, or a channel of a sound effect.
struct MacroEntry {
    uint32_t sample = 0;
    uint32_t codeOffset = 0;
    uint32_t codeEnd = 0;  // its code runs to the next entry's code, or to the end of the file
    uint32_t noteOff = 0;  // instruments: from the first code byte
    bool inside = true;    // the code offset lies in the code area
};

struct TrackEntry {
    int8_t priority = 0;
    uint32_t codeOffset = 0;
};

// bscomp writes this sample index for a channel without a "sample" command.
inline constexpr uint32_t kNoSample = 0xFFFFFFFFu;

struct Package {
    std::string path;
    std::string problem;  // it could not be read, or is no package
    std::optional<bs::PackageKind> kind;
    bs::PackageImage image;
    bs::CheckResult check;
    uint32_t count = 0;
    bool tableRead = false;  // the entry table lies inside the file and is read below
    std::vector<SampleEntry> samples;
    SampleLayout layout;
    std::vector<MacroEntry> macros;
    bool codeInOrder = true;  // the code lies back to back in entry order, as bscomp lays it out
    std::vector<TrackEntry> tracks;

    const uint8_t* data() const { return image.data(); }
    uint32_t size() const { return image.size(); }
    bool hasProblems() const { return !problem.empty() || !check.ok() || !check.warnings.empty(); }
};

// Reads the package file at `path`, tells its kind and reads its entry table.
Package readPackage(const std::string& path);
// The same for bytes in memory.
Package packageFromBytes(std::string path, const uint8_t* bytes, size_t size);

// Checks every package: instruments and effects against the first sample pack that passes its
// own check, music against the first such instrument pack; without one those cross-checks are
// left out.
void checkPackages(std::vector<Package>& packages);

// What the kind is called ("sample pack"), and what its entries are ("sample", "samples").
const char* kindName(bs::PackageKind kind);
const char* entryName(bs::PackageKind kind, uint32_t count);

}  // namespace bsinspect
