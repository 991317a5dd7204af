#include "package_images.h"

#include <cstring>

#include <gtest/gtest.h>

#include "formats/opcodes.h"
#include "formats/packages.h"

namespace testing_images {

Image::Image(const std::vector<uint8_t>& bytes) : words_((bytes.size() + 3) / 4 + 1), size_(bytes.size())
{
    if (!bytes.empty())
        std::memcpy(words_.data(), bytes.data(), bytes.size());
}

const uint8_t* Image::at(uint32_t offset)
{
    shifted_.assign(words_.size() + 2, 0);
    uint8_t* base = reinterpret_cast<uint8_t*>(shifted_.data()) + offset;
    std::memcpy(base, data(), size_);
    return base;
}

namespace {

void put32(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    bs_writeU32(out.data() + at, v);
}

std::vector<uint8_t> header(const char* magic, uint32_t count, size_t entryBytes)
{
    std::vector<uint8_t> out(BS_HEADER_SIZE + entryBytes);
    std::memcpy(out.data(), magic, BS_MAGIC_SIZE);
    put32(out, BS_HEADER_COUNT_OFFSET, count);
    return out;
}

void appendWait(std::vector<uint8_t>& out, uint32_t ticks)
{
    uint8_t run[BS_WAIT_MAX_BYTES];
    const unsigned n = bs_encodeWaitRun(ticks, run);
    out.insert(out.end(), run, run + n);
}

}  // namespace

Image samplePack(const std::vector<SampleDef>& samples)
{
    const uint32_t n = static_cast<uint32_t>(samples.size());
    std::vector<uint8_t> out = header(BS_MAGIC_SAMPLES, n, size_t{n} * BS_SAMPLE_ENTRY_SIZE);
    for (uint32_t e = 0; e < n; ++e) {
        const size_t entry = BS_HEADER_SIZE + size_t{e} * BS_SAMPLE_ENTRY_SIZE;
        put32(out, entry + BS_SAMPLE_ENTRY_DATA_OFFSET, static_cast<uint32_t>(out.size()));
        put32(out, entry + BS_SAMPLE_ENTRY_LENGTH, static_cast<uint32_t>(samples[e].data.size()));
        put32(out, entry + BS_SAMPLE_ENTRY_SAMPLE_RATE, samples[e].sampleRate);
        put32(out, entry + BS_SAMPLE_ENTRY_CONTENT_FREQ, samples[e].contentFrequency);
        for (int8_t s : samples[e].data)
            out.push_back(static_cast<uint8_t>(s));
    }
    return Image(out);
}

Image instrumentPack(const std::vector<InstrumentDef>& instruments)
{
    const uint32_t n = static_cast<uint32_t>(instruments.size());
    std::vector<uint8_t> out = header(BS_MAGIC_INSTRUMENTS, n, size_t{n} * BS_INSTRUMENT_ENTRY_SIZE);
    for (uint32_t e = 0; e < n; ++e) {
        const size_t entry = BS_HEADER_SIZE + size_t{e} * BS_INSTRUMENT_ENTRY_SIZE;
        put32(out, entry + BS_INSTRUMENT_ENTRY_SAMPLE_INDEX, instruments[e].sample);
        put32(out, entry + BS_INSTRUMENT_ENTRY_CODE_OFFSET, static_cast<uint32_t>(out.size()));
        put32(out, entry + BS_INSTRUMENT_ENTRY_NOTE_OFF, instruments[e].noteOff);
        out.insert(out.end(), instruments[e].code.begin(), instruments[e].code.end());
    }
    return Image(out);
}

Image effect(const std::vector<EffectChannelDef>& channels)
{
    const uint32_t n = static_cast<uint32_t>(channels.size());
    std::vector<uint8_t> out = header(BS_MAGIC_EFFECT, n, size_t{n} * BS_EFFECT_ENTRY_SIZE);
    for (uint32_t e = 0; e < n; ++e) {
        const size_t entry = BS_HEADER_SIZE + size_t{e} * BS_EFFECT_ENTRY_SIZE;
        put32(out, entry + BS_EFFECT_ENTRY_SAMPLE_INDEX, channels[e].sample);
        put32(out, entry + BS_EFFECT_ENTRY_CODE_OFFSET, static_cast<uint32_t>(out.size()));
        out.insert(out.end(), channels[e].code.begin(), channels[e].code.end());
    }
    return Image(out);
}

Macro& Macro::wait(uint32_t ticks)
{
    appendWait(bytes_, ticks);
    return *this;
}

Macro& Macro::raw(std::vector<uint8_t> bytes)
{
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

Music& Music::label(const std::string& name)
{
    labels_[name] = static_cast<uint32_t>(bytes_.size());
    return *this;
}

Music& Music::note(uint8_t n, uint32_t length)
{
    op(0x03).u8(n);
    appendWait(bytes_, length);
    return *this;
}

Music& Music::call(const std::string& target)
{
    op(0x08);
    calls_.emplace_back(static_cast<uint32_t>(bytes_.size()), target);
    return u32(0);
}

Music& Music::wait(uint32_t ticks)
{
    appendWait(bytes_, ticks);
    return *this;
}

Music& Music::raw(std::vector<uint8_t> bytes)
{
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

Music& Music::u32(uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        u8(static_cast<uint8_t>(v >> (8 * i)));
    return *this;
}

uint32_t Music::labelAt(const std::string& name) const
{
    const auto found = labels_.find(name);
    if (found == labels_.end()) {
        ADD_FAILURE() << "music code has no label " << name;
        return 0;
    }
    return found->second;
}

Image Music::build(const std::vector<std::pair<int8_t, std::string>>& tracks) const
{
    const uint32_t n = static_cast<uint32_t>(tracks.size());
    std::vector<uint8_t> out = header(BS_MAGIC_MUSIC, n, size_t{n} * BS_TRACK_ENTRY_SIZE);
    const uint32_t codeStart = static_cast<uint32_t>(out.size());
    std::vector<uint8_t> code = bytes_;
    for (const auto& [at, target] : calls_)
        bs_writeU32(code.data() + at, labelAt(target) - (at + 4));
    for (uint32_t i = 0; i < n; ++i) {
        const size_t entry = BS_HEADER_SIZE + size_t{i} * BS_TRACK_ENTRY_SIZE;
        out[entry + BS_TRACK_ENTRY_PRIORITY] = static_cast<uint8_t>(tracks[i].first);
        bs_writeU32(out.data() + entry + BS_TRACK_ENTRY_CODE_OFFSET, codeStart + labelAt(tracks[i].second));
    }
    out.insert(out.end(), code.begin(), code.end());
    return Image(out);
}

}  // namespace testing_images
