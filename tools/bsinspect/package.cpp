#include "tools/bsinspect/package.h"

#include <algorithm>
#include <utility>

#include "formats/packages.h"

namespace bsinspect {

namespace {

uint32_t entrySize(bs::PackageKind kind)
{
    switch (kind) {
    case bs::PackageKind::Samples: return BS_SAMPLE_ENTRY_SIZE;
    case bs::PackageKind::Instruments: return BS_INSTRUMENT_ENTRY_SIZE;
    case bs::PackageKind::Effect: return BS_EFFECT_ENTRY_SIZE;
    case bs::PackageKind::Music: break;
    }
    return BS_TRACK_ENTRY_SIZE;
}

// The code of entry i runs to entry i + 1's code, as bscomp lays out one after the other; where
// the entries are not in that order, to the next code in the file.
void readMacroEntries(Package& package)
{
    const bool instruments = package.kind == bs::PackageKind::Instruments;
    const uint32_t size = package.size();
    const uint32_t codeStart = BS_HEADER_SIZE + package.count * entrySize(*package.kind);
    std::vector<uint32_t> starts;
    for (uint32_t i = 0; i < package.count; ++i) {
        const uint8_t* entry = package.data() + BS_HEADER_SIZE + i * entrySize(*package.kind);
        MacroEntry m;
        m.sample = bs_readU32(entry + (instruments ? BS_INSTRUMENT_ENTRY_SAMPLE_INDEX : BS_EFFECT_ENTRY_SAMPLE_INDEX));
        m.codeOffset = bs_readU32(entry + (instruments ? BS_INSTRUMENT_ENTRY_CODE_OFFSET : BS_EFFECT_ENTRY_CODE_OFFSET));
        m.noteOff = instruments ? bs_readU32(entry + BS_INSTRUMENT_ENTRY_NOTE_OFF) : 0;
        m.inside = m.codeOffset >= codeStart && m.codeOffset <= size;
        if (m.inside)
            starts.push_back(m.codeOffset);
        package.macros.push_back(m);
    }
    std::sort(starts.begin(), starts.end());
    uint32_t expected = codeStart;
    for (uint32_t i = 0; i < package.count; ++i) {
        MacroEntry& m = package.macros[i];
        package.codeInOrder = package.codeInOrder && m.inside && m.codeOffset == expected;
        if (!m.inside) {
            m.codeEnd = m.codeOffset;
            continue;
        }
        const uint32_t next = i + 1 < package.count ? package.macros[i + 1].codeOffset : size;
        if (next >= m.codeOffset && next <= size) {
            m.codeEnd = next;
        } else {
            const auto later = std::upper_bound(starts.begin(), starts.end(), m.codeOffset);
            m.codeEnd = later == starts.end() ? size : *later;
        }
        expected = m.codeEnd;
    }
    package.codeInOrder = package.codeInOrder && expected == size;
}

void readEntries(Package& package)
{
    const uint8_t* image = package.data();
    package.count = bs_readU32(image + BS_HEADER_COUNT_OFFSET);
    if (BS_HEADER_SIZE + uint64_t(package.count) * entrySize(*package.kind) > package.size())
        return;
    package.tableRead = true;
    switch (*package.kind) {
    case bs::PackageKind::Samples:
        for (uint32_t e = 0; e < package.count; ++e) {
            const uint8_t* entry = image + BS_HEADER_SIZE + e * BS_SAMPLE_ENTRY_SIZE;
            package.samples.push_back({bs_readU32(entry + BS_SAMPLE_ENTRY_DATA_OFFSET),
                                       bs_readU32(entry + BS_SAMPLE_ENTRY_LENGTH),
                                       bs_readU32(entry + BS_SAMPLE_ENTRY_SAMPLE_RATE),
                                       bs_readU32(entry + BS_SAMPLE_ENTRY_CONTENT_FREQ)});
        }
        package.layout = layOutSamples(image, package.size());
        break;
    case bs::PackageKind::Instruments:
    case bs::PackageKind::Effect:
        readMacroEntries(package);
        break;
    case bs::PackageKind::Music:
        for (uint32_t t = 0; t < package.count; ++t) {
            const uint8_t* entry = image + BS_HEADER_SIZE + t * BS_TRACK_ENTRY_SIZE;
            package.tracks.push_back({int8_t(entry[BS_TRACK_ENTRY_PRIORITY]),
                                      bs_readU32(entry + BS_TRACK_ENTRY_CODE_OFFSET)});
        }
        break;
    }
}

void identify(Package& package)
{
    package.kind = bs::packageKindOf(package.data(), package.size(), &package.problem);
    if (package.kind && package.size() >= BS_HEADER_SIZE)
        readEntries(package);
}

}  // namespace

Package readPackage(const std::string& path)
{
    Package package;
    package.path = path;
    if (bs::loadPackage(path, &package.image, &package.problem))
        identify(package);
    return package;
}

Package packageFromBytes(std::string path, const uint8_t* bytes, size_t size)
{
    Package package;
    package.image = bs::PackageImage(path, bytes, size);
    package.path = std::move(path);
    identify(package);
    return package;
}

void checkPackages(std::vector<Package>& packages)
{
    bs::CheckContext context;
    context.samples.known = false;
    context.instrumentCount.reset();
    // The packs the others refer to first, so that they are known when the others are checked.
    for (bs::PackageKind kind : {bs::PackageKind::Samples, bs::PackageKind::Instruments, bs::PackageKind::Effect,
                                 bs::PackageKind::Music}) {
        for (Package& package : packages) {
            if (package.kind != kind)
                continue;
            package.check = bs::checkPackage(kind, package.data(), package.size(), context);
            if (!package.check.ok())
                continue;
            if (kind == bs::PackageKind::Samples && !context.samples.known)
                context.samples = bs::SampleTable{package.data(), package.check.count, true};
            if (kind == bs::PackageKind::Instruments && !context.instrumentCount)
                context.instrumentCount = package.check.count;
        }
    }
}

const char* kindName(bs::PackageKind kind)
{
    switch (kind) {
    case bs::PackageKind::Samples: return "sample pack";
    case bs::PackageKind::Instruments: return "instrument pack";
    case bs::PackageKind::Effect: return "sound effect";
    case bs::PackageKind::Music: break;
    }
    return "music track";
}

const char* entryName(bs::PackageKind kind, uint32_t count)
{
    const bool one = count == 1;
    switch (kind) {
    case bs::PackageKind::Samples: return one ? "sample" : "samples";
    case bs::PackageKind::Instruments: return one ? "instrument" : "instruments";
    case bs::PackageKind::Effect: return one ? "channel" : "channels";
    case bs::PackageKind::Music: break;
    }
    return one ? "track" : "tracks";
}

}  // namespace bsinspect
