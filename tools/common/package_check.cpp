#include "tools/common/package_check.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <set>
#include <vector>

#include "engine/engine.h"
#include "formats/opcodes.h"
#include "formats/packages.h"
#include "tools/common/code_walk.h"

namespace bs {

namespace {

constexpr size_t kMaxWarnings = 8;

struct Kind {
    const char* magic;
    const char* name;
    const char* entry;  // what an entry stands for, in messages
    const char* entries;
};
// In the order of PackageKind.
constexpr Kind kKinds[] = {
    {BS_MAGIC_SAMPLES, "a sample pack", "sample", "samples"},
    {BS_MAGIC_INSTRUMENTS, "an instrument pack", "instrument", "instruments"},
    {BS_MAGIC_EFFECT, "a sound effect", "channel", "channels"},
    {BS_MAGIC_MUSIC, "a music track", "track", "tracks"},
};

std::string hex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

// The first four bytes as text, with anything unprintable escaped.
std::string shownMagic(const uint8_t* image)
{
    std::string out;
    for (unsigned i = 0; i < BS_MAGIC_SIZE; ++i) {
        const uint8_t c = image[i];
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        }
    }
    return out;
}

void warn(CheckResult& result, const std::string& text)
{
    if (result.warnings.size() < kMaxWarnings)
        result.warnings.push_back(text);
    else if (result.warnings.size() == kMaxWarnings)
        result.warnings.push_back("(further warnings not shown)");
}

// The magic and the entry table; false (with the error set) when the image is not `kind` or
// its table does not fit.
bool checkHeader(const uint8_t* image, uint32_t size, const Kind& kind, uint32_t entrySize,
                 CheckResult& result)
{
    if (size >= BS_MAGIC_SIZE && std::memcmp(image, kind.magic, BS_MAGIC_SIZE) != 0) {
        std::string what = std::string("Not ") + kind.name;
        for (const Kind& other : kKinds)
            if (std::memcmp(image, other.magic, BS_MAGIC_SIZE) == 0)
                what += std::string(": it is ") + other.name;
        if (std::memcmp(image, "RIFF", 4) == 0)
            what += ": it is a WAV file";
        if (what.find(": it is") == std::string::npos)
            what += ": it begins with \"" + shownMagic(image) + "\", not \"" + kind.magic + "\"";
        result.error = what;
        return false;
    }
    if (size < BS_HEADER_SIZE) {
        result.error = std::string("Too short to be ") + kind.name + " (" + std::to_string(size) + " bytes)";
        return false;
    }
    result.count = bs_readU32(image + BS_HEADER_COUNT_OFFSET);
    const uint64_t tableEnd = BS_HEADER_SIZE + uint64_t(result.count) * entrySize;
    if (tableEnd > size) {
        result.error = "Entry table runs past the end of the file (" + std::to_string(result.count) + " " +
                       (result.count == 1 ? std::string(kind.entry) + " needs " : std::string(kind.entries) + " need ") +
                       std::to_string(tableEnd) + " bytes, the file has " + std::to_string(size) + ")";
        return false;
    }
    return true;
}

struct MacroCodeFacts {
    CodeWalk walk;         // where and how reading stopped
    uint32_t loopEnd = 0;  // largest loop end of any "mode looping"
};

// Reads macro code from `start` to `end`.
MacroCodeFacts readMacroCode(const uint8_t* image, uint32_t start, uint32_t end)
{
    MacroCodeFacts facts;
    facts.walk = walkCode(image, start, end, bs_macroOpcode, [&](const CodeElement& element) {
        if (element.info && element.info->opcode == MACRO_LOOPING)
            facts.loopEnd = std::max<uint32_t>(facts.loopEnd, uint32_t(element.operands[1]));
        return true;
    });
    return facts;
}

// Where an instrument's or effect channel's fields lie in its entry.
struct MacroTable {
    uint32_t entrySize;
    uint32_t sampleField;
    uint32_t codeField;
    const char* entryName;  // "Instrument", "Channel"
    bool hasNoteOff;        // instruments: a note-off point, counted from the first code byte
};

// The checks of every instrument or effect channel: code inside the code area, sample known,
// code readable, loop inside the sample, note-off point inside the file. An entry's code runs to the next larger code offset of
// the table or to the end of the file. Each piece of code is read once however many entries
// share it, so the time stays in proportion to the file's size.
void checkMacroTable(const uint8_t* image, uint32_t size, const MacroTable& layout, const SampleTable& samples,
                     CheckResult& result)
{
    const uint8_t* table = image + BS_HEADER_SIZE;
    const uint32_t codeStart = BS_HEADER_SIZE + result.count * layout.entrySize;
    auto codeOffsetOf = [&](uint32_t i) { return bs_readU32(table + i * layout.entrySize + layout.codeField); };
    std::vector<uint32_t> starts(result.count);
    for (uint32_t i = 0; i < result.count; ++i)
        starts[i] = codeOffsetOf(i);
    std::sort(starts.begin(), starts.end());
    starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
    std::vector<MacroCodeFacts> facts(starts.size());
    std::vector<bool> read(starts.size(), false);

    for (uint32_t i = 0; i < result.count; ++i) {
        const uint32_t codeOffset = codeOffsetOf(i);
        const uint32_t sampleIndex = bs_readU32(table + i * layout.entrySize + layout.sampleField);
        auto name = [&] { return layout.entryName + std::string(" ") + std::to_string(i); };
        if (codeOffset < codeStart || codeOffset > size) {
            result.error = name() + "'s code offset " + std::to_string(codeOffset) +
                           " lies outside the code area (" + std::to_string(codeStart) + " to " +
                           std::to_string(size) + ")";
            return;
        }
        if (samples.known && sampleIndex >= samples.count)
            warn(result, name() + " uses sample " + std::to_string(sampleIndex) + ", but the sample pack has only " +
                             std::to_string(samples.count) + ": it plays silence");
        const size_t k = size_t(std::lower_bound(starts.begin(), starts.end(), codeOffset) - starts.begin());
        if (!read[k]) {
            const uint32_t codeEnd = k + 1 < starts.size() ? std::min(starts[k + 1], size) : size;
            facts[k] = readMacroCode(image, codeOffset, codeEnd);
            read[k] = true;
        }
        const CodeWalk& walk = facts[k].walk;
        if (walk.stop == CodeWalk::UnknownOpcode)
            warn(result, name() + ": unknown opcode " + hex(image[walk.position]) + " at file offset " +
                             std::to_string(walk.position));
        else if (walk.stop == CodeWalk::CutInstruction)
            warn(result, name() + ": its code ends inside an instruction at file offset " +
                             std::to_string(walk.position));
        if (sampleIndex < samples.count && facts[k].loopEnd > samples.length(sampleIndex))
            warn(result, name() + " loops up to offset " + std::to_string(facts[k].loopEnd) +
                             ", beyond the end of its sample (" + std::to_string(samples.length(sampleIndex)) +
                             " samples)");
        const uint32_t noteOff =
            layout.hasNoteOff ? bs_readU32(table + i * layout.entrySize + BS_INSTRUMENT_ENTRY_NOTE_OFF) : 0;
        if (uint64_t(codeOffset) + noteOff > size) {
            result.error = name() + "'s note-off point (" + std::to_string(noteOff) +
                           " bytes into its code) lies past the end of the file";
            return;
        }
    }
}

}  // namespace

uint32_t SampleTable::length(uint32_t index) const
{
    if (index >= count)
        return 0;
    return bs_readU32(pack + BS_HEADER_SIZE + index * BS_SAMPLE_ENTRY_SIZE + BS_SAMPLE_ENTRY_LENGTH) & 0xFFFFu;
}

CheckResult checkSamplePack(const uint8_t* image, uint32_t size)
{
    CheckResult result;
    if (!checkHeader(image, size, kKinds[0], BS_SAMPLE_ENTRY_SIZE, result))
        return result;
    if (result.count > BS_LIBRARY_SIZE) {
        result.error = "Holds " + std::to_string(result.count) + " samples; the engine takes at most " +
                       std::to_string(BS_LIBRARY_SIZE);
        return result;
    }
    for (uint32_t e = 0; e < result.count; ++e) {
        const uint8_t* entry = image + BS_HEADER_SIZE + e * BS_SAMPLE_ENTRY_SIZE;
        const uint32_t offset = bs_readU32(entry + BS_SAMPLE_ENTRY_DATA_OFFSET);
        const uint32_t length = bs_readU32(entry + BS_SAMPLE_ENTRY_LENGTH);
        const uint32_t rate = bs_readU32(entry + BS_SAMPLE_ENTRY_SAMPLE_RATE);
        const uint32_t content = bs_readU32(entry + BS_SAMPLE_ENTRY_CONTENT_FREQ);
        const std::string name = "Sample " + std::to_string(e);
        if (uint64_t(offset) + length > size) {
            result.error = name + " lies outside the file (offset " + std::to_string(offset) + ", length " +
                           std::to_string(length) + ", file size " + std::to_string(size) + ")";
            return result;
        }
        if ((rate >> 16) == 0 || (content >> 16) == 0) {
            result.error = name + " has a " + ((rate >> 16) == 0 ? "sample rate" : "content frequency") +
                           " below 1 Hz (" + hex((rate >> 16) == 0 ? rate : content) + " in 16.16)";
            return result;
        }
        if (length == 0)
            warn(result, name + " is empty");
        else if (length > 0xFFFFu)
            warn(result, name + " has " + std::to_string(length) + " samples; the engine plays only the first " +
                             std::to_string(length & 0xFFFFu) + " (lengths count modulo 65536)");
        else if (length > BS_MAX_SAMPLE_LENGTH)
            warn(result, name + " has " + std::to_string(length) + " samples, more than the maximum of " +
                             std::to_string(BS_MAX_SAMPLE_LENGTH) + " the engine reports; it plays all of them, " +
                             "but bscomp's loop points reach only the first " + std::to_string(BS_MAX_SAMPLE_LENGTH));
    }
    return result;
}

CheckResult checkInstrumentPack(const uint8_t* image, uint32_t size, const SampleTable& samples)
{
    CheckResult result;
    if (!checkHeader(image, size, kKinds[1], BS_INSTRUMENT_ENTRY_SIZE, result))
        return result;
    checkMacroTable(image, size,
                    {BS_INSTRUMENT_ENTRY_SIZE, BS_INSTRUMENT_ENTRY_SAMPLE_INDEX, BS_INSTRUMENT_ENTRY_CODE_OFFSET,
                     "Instrument", true},
                    samples, result);
    if (result.ok() && result.count > 256)
        warn(result, "Holds " + std::to_string(result.count) + " instruments; music can choose only the first 256");
    return result;
}

CheckResult checkSoundEffect(const uint8_t* image, uint32_t size, const SampleTable& samples)
{
    CheckResult result;
    if (!checkHeader(image, size, kKinds[2], BS_EFFECT_ENTRY_SIZE, result))
        return result;
    if (result.count == 0) {
        result.error = "Has no channels (the engine ignores such an effect)";
        return result;
    }
    checkMacroTable(image, size,
                    {BS_EFFECT_ENTRY_SIZE, BS_EFFECT_ENTRY_SAMPLE_INDEX, BS_EFFECT_ENTRY_CODE_OFFSET, "Channel", false},
                    samples, result);
    if (result.ok() && result.count > BS_CHANNELS)
        warn(result, "Uses " + std::to_string(result.count) + " channels; the engine has " +
                         std::to_string(BS_CHANNELS) + ", so the extra ones never play");
    return result;
}

CheckResult checkMusicTrack(const uint8_t* image, uint32_t size, std::optional<uint32_t> instrumentCount)
{
    CheckResult result;
    if (!checkHeader(image, size, kKinds[3], BS_TRACK_ENTRY_SIZE, result))
        return result;
    const uint32_t codeStart = BS_HEADER_SIZE + result.count * BS_TRACK_ENTRY_SIZE;
    uint32_t playing = 0;
    for (uint32_t t = 0; t < result.count; ++t) {
        const uint8_t* entry = image + BS_HEADER_SIZE + t * BS_TRACK_ENTRY_SIZE;
        const uint32_t offset = bs_readU32(entry + BS_TRACK_ENTRY_CODE_OFFSET);
        if (offset < codeStart || offset > size) {
            result.error = "Track " + std::to_string(t) + "'s code offset " + std::to_string(offset) +
                           " lies outside the code area (" + std::to_string(codeStart) + " to " +
                           std::to_string(size) + ")";
            return result;
        }
        if (t < BS_CHANNELS && entry[BS_TRACK_ENTRY_PRIORITY] != 0)
            ++playing;
    }
    if (result.count > BS_CHANNELS)
        warn(result, "Has " + std::to_string(result.count) + " tracks; the engine plays the first " +
                         std::to_string(BS_CHANNELS) + " and drops the rest");
    if (playing == 0)
        warn(result, "No track has a priority: nothing plays");

    // The code stream is the blocks back to back, so it reads instruction by instruction.
    std::set<uint32_t> missingInstruments;
    const CodeWalk walk = walkCode(image, codeStart, size, bs_musicOpcode, [&](const CodeElement& element) {
        const uint8_t op = element.info ? element.info->opcode : uint8_t(BS_WAIT_FLAG);
        if (op == MUSIC_USING && instrumentCount && uint32_t(element.operands[0]) >= *instrumentCount)
            missingInstruments.insert(uint32_t(element.operands[0]));
        if (op == MUSIC_CALL) {
            const int64_t target = int64_t(element.position) + element.length + element.operands[0];
            if (target < codeStart || target >= size) {
                result.error = "The call at file offset " + std::to_string(element.position) +
                               " leads outside the code (to " + std::to_string(target) + ")";
                return false;
            }
        }
        return true;
    });
    if (walk.stop == CodeWalk::Visitor)
        return result;
    if (walk.stop == CodeWalk::UnknownOpcode)
        warn(result, "Unknown opcode " + hex(image[walk.position]) + " at file offset " + std::to_string(walk.position));
    else if (walk.stop == CodeWalk::CutInstruction)
        warn(result, "Code ends inside an instruction at file offset " + std::to_string(walk.position));
    for (uint32_t instrument : missingInstruments)
        warn(result, "Uses instrument " + std::to_string(instrument) + ", but the instrument pack has only " +
                         std::to_string(*instrumentCount) + " (were both built from the same instruments file?)");
    return result;
}

std::optional<PackageKind> packageKindOf(const uint8_t* image, uint32_t size, std::string* problem)
{
    if (size < BS_MAGIC_SIZE) {
        *problem = "Too short to be a package (" + std::to_string(size) + " bytes)";
        return std::nullopt;
    }
    for (size_t k = 0; k < std::size(kKinds); ++k)
        if (std::memcmp(image, kKinds[k].magic, BS_MAGIC_SIZE) == 0)
            return static_cast<PackageKind>(k);
    *problem = std::memcmp(image, "RIFF", 4) == 0 ? std::string("Not a package: it is a WAV file")
                                                  : "Not a package: it begins with \"" + shownMagic(image) + "\"";
    return std::nullopt;
}

CheckResult checkPackage(PackageKind kind, const uint8_t* image, uint32_t size, const CheckContext& context)
{
    switch (kind) {
    case PackageKind::Samples:
        return checkSamplePack(image, size);
    case PackageKind::Instruments:
        return checkInstrumentPack(image, size, context.samples);
    case PackageKind::Effect:
        return checkSoundEffect(image, size, context.samples);
    case PackageKind::Music:
        break;
    }
    return checkMusicTrack(image, size, context.instrumentCount);
}

}  // namespace bs
