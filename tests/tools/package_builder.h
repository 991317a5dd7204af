// Package images built by hand for the bsrender tests, laid out as bscomp writes them.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "formats/opcodes.h"
#include "formats/packages.h"

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

// Each sample gets its own copy of the data, in order.
inline Bytes samplePack(const std::vector<Sample>& samples)
{
    Bytes out = header(BS_MAGIC_SAMPLES, uint32_t(samples.size()));
    uint32_t offset = BS_HEADER_SIZE + BS_SAMPLE_ENTRY_SIZE * uint32_t(samples.size());
    for (const Sample& s : samples) {
        putU32(out, offset);
        putU32(out, uint32_t(s.data.size()));
        putU32(out, s.rateQ16);
        putU32(out, s.contentQ16);
        offset += uint32_t(s.data.size());
    }
    for (const Sample& s : samples)
        for (int8_t v : s.data)
            out.push_back(uint8_t(v));
    return out;
}

struct Macro {
    uint32_t sampleIndex = 0;
    Bytes code;
    uint32_t noteOff = 0;  // instruments only
};

inline Bytes instrumentPack(const std::vector<Macro>& instruments)
{
    Bytes out = header(BS_MAGIC_INSTRUMENTS, uint32_t(instruments.size()));
    uint32_t offset = BS_HEADER_SIZE + BS_INSTRUMENT_ENTRY_SIZE * uint32_t(instruments.size());
    for (const Macro& m : instruments) {
        putU32(out, m.sampleIndex);
        putU32(out, offset);
        putU32(out, m.noteOff);
        offset += uint32_t(m.code.size());
    }
    for (const Macro& m : instruments)
        out.insert(out.end(), m.code.begin(), m.code.end());
    return out;
}

inline Bytes soundEffect(const std::vector<Macro>& channels)
{
    Bytes out = header(BS_MAGIC_EFFECT, uint32_t(channels.size()));
    uint32_t offset = BS_HEADER_SIZE + BS_EFFECT_ENTRY_SIZE * uint32_t(channels.size());
    for (const Macro& m : channels) {
        putU32(out, m.sampleIndex);
        putU32(out, offset);
        offset += uint32_t(m.code.size());
    }
    for (const Macro& m : channels)
        out.insert(out.end(), m.code.begin(), m.code.end());
    return out;
}

struct Track {
    int8_t priority = 10;
    Bytes code;
};

inline Bytes musicTrack(const std::vector<Track>& tracks)
{
    Bytes out = header(BS_MAGIC_MUSIC, uint32_t(tracks.size()));
    uint32_t offset = BS_HEADER_SIZE + BS_TRACK_ENTRY_SIZE * uint32_t(tracks.size());
    for (const Track& t : tracks) {
        out.push_back(uint8_t(t.priority));
        putU32(out, offset);
        offset += uint32_t(t.code.size());
    }
    for (const Track& t : tracks)
        out.insert(out.end(), t.code.begin(), t.code.end());
    return out;
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
