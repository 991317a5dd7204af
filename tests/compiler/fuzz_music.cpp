// Fuzzes the music script parser and the block linker the way "-mus" runs
// them. The input is split at lines "----": the first part is the instruments
// file, each further part one channel script.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "compiler/linker.h"
#include "compiler/macros.h"
#include "compiler/messages.h"
#include "compiler/music.h"
#include "formats/packages.h"

namespace {

constexpr size_t kMaxScripts = 8;

std::vector<std::string> splitScripts(const uint8_t* data, size_t size)
{
    std::vector<std::string> parts(1);
    std::string text(reinterpret_cast<const char*>(data), size);
    size_t start = 0;
    for (;;) {
        size_t separator = text.find("\n----\n", start);
        if (separator == std::string::npos || parts.size() == kMaxScripts) {
            parts.back() = text.substr(start);
            return parts;
        }
        parts.back() = text.substr(start, separator + 1 - start);
        parts.emplace_back();
        start = separator + 6;
    }
}

bool parse(std::string& text, int (*stage)(FILE*, const char*), const char* name)
{
    FILE* file = fmemopen(text.data(), text.size(), "r");
    if (!file)
        return false;
    int result = stage(file, name);
    std::fclose(file);
    return result == 0;
}

int parseInstruments(FILE* file, const char* name)
{
    return parseMacroScript(file, name, false, true);
}

// The linked image must hold every entry and every call inside the stream.
void checkTrack()
{
    uint8_t* image = nullptr;
    uint32_t size = 0;
    if (buildMusicTrack(&image, &size) != 0)
        return;  // an unresolved call
    uint32_t tracks = bs_readU32(image + BS_HEADER_COUNT_OFFSET);
    uint64_t header = BS_HEADER_SIZE + uint64_t(BS_TRACK_ENTRY_SIZE) * tracks;
    if (std::memcmp(image, BS_MAGIC_MUSIC, 4) != 0 || tracks != trackCount() || header > size)
        std::abort();
    for (uint32_t i = 0; i < tracks; ++i) {
        uint32_t offset = bs_readU32(image + BS_HEADER_SIZE + BS_TRACK_ENTRY_SIZE * i + 1);
        if (offset < header || offset > size)
            std::abort();
    }
    for (uint32_t i = 0; i < referenceCount(); ++i) {
        const BlockReference& reference = referenceList()[i];
        int64_t operand = int32_t(bs_readU32(image + header + reference.position));
        int64_t target = int64_t(reference.position) + 4 + operand;
        if (target < 0 || uint64_t(target) > size - header)
            std::abort();
    }
    std::free(image);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FILE* quiet = [] {
        FILE* sink = std::fopen("/dev/null", "w");
        setMessageStreams(sink, sink);
        return sink;
    }();
    (void)quiet;
    std::vector<std::string> scripts = splitScripts(data, size);
    bool ok = parse(scripts[0], parseInstruments, "instruments.txt");
    for (size_t i = 1; ok && i < scripts.size(); ++i)
        ok = parse(scripts[i], parseMusicScript, "channel.txt");
    if (ok)
        checkTrack();
    releaseMusic();
    releaseMacros();
    return 0;
}
