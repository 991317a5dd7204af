// Package images built by hand for the bsrender tests, laid out as bscomp writes them.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "formats/opcodes.h"
#include "formats/packages.h"
#include "package_images.h"

namespace testing_packages {

using Bytes = std::vector<uint8_t>;

inline void putU32(Bytes& out, uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(uint8_t(v >> shift));
}

inline Bytes header(const char* magic, uint32_t count)
{
    Bytes out;
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(magic[i]));
    putU32(out, count);
    return out;
}

struct Sample {
    std::vector<int8_t> data;
    uint32_t rateQ16 = 48000u << 16;
    uint32_t contentQ16 = 440u << 16;
};

struct Macro {
    uint32_t sampleIndex = 0;
    Bytes code;
    uint32_t noteOff = 0;  // instruments only
};

struct Track {
    int8_t priority = 10;
    Bytes code;
};

// The layouts themselves come from the test suites' shared image builder.
inline Bytes bytesOf(const testing_images::Image& image)
{
    return Bytes(image.data(), image.data() + image.size());
}

// Each sample gets its own copy of the data, in order.
inline Bytes samplePack(const std::vector<Sample>& samples)
{
    std::vector<testing_images::SampleDef> defs;
    for (const Sample& s : samples)
        defs.push_back({s.data, s.rateQ16, s.contentQ16});
    return bytesOf(testing_images::samplePack(defs));
}

inline Bytes instrumentPack(const std::vector<Macro>& instruments)
{
    std::vector<testing_images::InstrumentDef> defs;
    for (const Macro& m : instruments)
        defs.push_back({m.sampleIndex, m.code, m.noteOff});
    return bytesOf(testing_images::instrumentPack(defs));
}

inline Bytes soundEffect(const std::vector<Macro>& channels)
{
    std::vector<testing_images::EffectChannelDef> defs;
    for (const Macro& m : channels)
        defs.push_back({m.sampleIndex, m.code});
    return bytesOf(testing_images::effect(defs));
}

// The tracks' code back to back, each track starting at its own code.
inline Bytes musicTrack(const std::vector<Track>& tracks)
{
    testing_images::Music music;
    std::vector<std::pair<int8_t, std::string>> starts;
    for (size_t i = 0; i < tracks.size(); ++i) {
        const std::string label = "track" + std::to_string(i);
        music.label(label).raw(tracks[i].code);
        starts.emplace_back(tracks[i].priority, label);
    }
    return bytesOf(music.build(starts));
}

// A ramp of `length` samples: -50, -49, ... (wrapping within int8).
inline std::vector<int8_t> ramp(size_t length, int start = -50)
{
    std::vector<int8_t> data(length);
    for (size_t i = 0; i < length; ++i)
        data[i] = int8_t(start + int(i));
    return data;
}

}  // namespace testing_packages
