#include "test_packages.h"

#include <cstdio>
#include <cstring>

#include "formats/opcodes.h"
#include "formats/packages.h"

namespace hosttest {

namespace {

constexpr uint32_t kSampleBytes = 30000;

void put32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void put16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void putMagic(std::vector<uint8_t>& out, const char* magic)
{
    out.insert(out.end(), magic, magic + 4);
}

void putWait(std::vector<uint8_t>& out, uint32_t ticks)
{
    uint8_t run[BS_WAIT_MAX_BYTES];
    unsigned length = bs_encodeWaitRun(ticks, run);
    out.insert(out.end(), run, run + length);
}

void putLooping(std::vector<uint8_t>& code)
{
    code.push_back(MACRO_LOOPING);
    put16(code, 0);
    put16(code, kSampleBytes);
}

} // namespace

Image::Image(const std::vector<uint8_t>& bytes)
    : words_((bytes.size() + 3) / 4, 0), size_(static_cast<uint32_t>(bytes.size()))
{
    if (!bytes.empty())
        std::memcpy(words_.data(), bytes.data(), bytes.size());
}

bool Image::save(const std::string& path) const
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = std::fwrite(data(), 1, size_, file) == size_;
    return std::fclose(file) == 0 && ok;
}

Image samplePack()
{
    std::vector<uint8_t> out;
    putMagic(out, BS_MAGIC_SAMPLES);
    put32(out, 1);
    put32(out, BS_HEADER_SIZE + BS_SAMPLE_ENTRY_SIZE); // data offset
    put32(out, kSampleBytes);
    put32(out, 48000u << 16); // sample rate, 16.16
    put32(out, 440u << 16);   // content frequency, 16.16
    uint32_t seed = 0x2545F491u;
    for (uint32_t i = 0; i < kSampleBytes; ++i) {
        seed = seed * 1664525u + 1013904223u;
        out.push_back(static_cast<uint8_t>(seed >> 24));
    }
    return Image(out);
}

Image instrumentPack()
{
    std::vector<uint8_t> code;
    putLooping(code);
    code.push_back(MACRO_VOLUME);
    code.push_back(127);
    put16(code, 0);
    code.push_back(MACRO_LOOP);
    code.push_back(0xFF); // for ever, until note-off
    putWait(code, 100);
    code.push_back(MACRO_ENDLOOP);
    uint32_t noteOff = static_cast<uint32_t>(code.size());
    code.push_back(MACRO_END);

    std::vector<uint8_t> out;
    putMagic(out, BS_MAGIC_INSTRUMENTS);
    put32(out, 1);
    put32(out, 0);                                               // sample index
    put32(out, BS_HEADER_SIZE + BS_INSTRUMENT_ENTRY_SIZE);       // code offset
    put32(out, noteOff);
    out.insert(out.end(), code.begin(), code.end());
    return Image(out);
}

Image loopingEffect(uint32_t ticks)
{
    std::vector<uint8_t> code;
    putLooping(code);
    code.push_back(MACRO_VOLUME);
    code.push_back(100);
    put16(code, 0);
    code.push_back(MACRO_FREQUENCY);
    put32(code, 0xE000); // 7/8 of a sample per frame
    put32(code, 0);
    putWait(code, ticks);
    code.push_back(MACRO_END);

    std::vector<uint8_t> out;
    putMagic(out, BS_MAGIC_EFFECT);
    put32(out, 1);
    put32(out, 0);                                     // sample index
    put32(out, BS_HEADER_SIZE + BS_EFFECT_ENTRY_SIZE); // code offset
    out.insert(out.end(), code.begin(), code.end());
    return Image(out);
}

Image tune(uint32_t notes)
{
    static const uint8_t scale[] = {57, 59, 60, 62, 64, 65, 67, 69, 71, 72};
    std::vector<uint8_t> code;
    code.push_back(MUSIC_USING);
    code.push_back(0);
    for (uint32_t i = 0; i < notes; ++i) {
        code.push_back(MUSIC_NOTE);
        code.push_back(scale[i % sizeof scale]);
        putWait(code, 24);
    }
    code.push_back(MUSIC_NOTE_OFF);
    code.push_back(MUSIC_PRIORITY);
    code.push_back(0); // end

    std::vector<uint8_t> out;
    putMagic(out, BS_MAGIC_MUSIC);
    put32(out, 1);
    out.push_back(10); // priority
    put32(out, BS_HEADER_SIZE + BS_TRACK_ENTRY_SIZE);
    out.insert(out.end(), code.begin(), code.end());
    return Image(out);
}

} // namespace hosttest
