// The PCM files and descriptor lines that rebuild a sample pack. A pack keeps neither the files'
// names nor where one file ends and the next begins, only each sample's stretch of the data;
// bscomp stores every distinct file whole, in the order the descriptor first names it. So the
// data is cut into files such that every sample lies in one of them at offsets a descriptor can
// give, in the order the samples first use them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace bsinspect {

struct PcmFile {
    std::string name;     // "sample_N.raw", after the first sample that uses it
    uint32_t offset = 0;  // of its first byte in the pack
    uint32_t size = 0;
    bool silent = false;  // no bytes in the pack (or too many): one zero byte stands for them
};

// One descriptor line's file and offsets (none given: the whole file; a start alone: to its end).
struct SampleSource {
    uint32_t file = 0;
    std::optional<uint32_t> start;
    std::optional<uint32_t> end;
};

struct SampleLayout {
    std::vector<PcmFile> files;
    std::vector<SampleSource> samples;  // one per entry
    std::string inexact;                // why bscomp cannot rebuild the pack byte for byte; empty when it can
};

// The layout of the sample pack `image` of `size` bytes, whose entry table lies inside it.
SampleLayout layOutSamples(const uint8_t* image, uint32_t size);

}  // namespace bsinspect
