// Fuzzes the macro script parser in all three ways the driver runs it, and
// checks the packages built from whatever it accepts.
//
// The first input byte picks the dialect: bit 0 sound effects, bit 1 sample
// lookup off. The rest is the script.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "compiler/macro_writers.h"
#include "compiler/macros.h"
#include "compiler/messages.h"
#include "compiler/samples.h"
#include "formats/packages.h"

namespace {

const char kDescriptor[] = "piano piano.raw 22050 261.63\nbass bass.raw 8000 55 0 100\n";

void setUp()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    FILE* quiet = std::fopen("/dev/null", "w");
    setMessageStreams(quiet, quiet);
    FILE* descriptor = fmemopen(const_cast<char*>(kDescriptor), sizeof(kDescriptor) - 1, "r");
    if (!descriptor || parseSampleDescriptor(descriptor, "samples.txt") != 0)
        std::abort();
    std::fclose(descriptor);
}

void checkPackages(bool soundEffects)
{
    const CompiledMacro* macros = macroList();
    uint8_t* image = nullptr;
    uint32_t size = 0;
    if (!soundEffects) {
        if (buildInstrumentPack(&image, &size) != 0)
            std::abort();
        uint32_t count = bs_readU32(image + BS_HEADER_COUNT_OFFSET);
        if (std::memcmp(image, BS_MAGIC_INSTRUMENTS, 4) != 0 || count != macroCount())
            std::abort();
        for (uint32_t i = 0; i < count; ++i) {
            const uint8_t* entry = image + BS_HEADER_SIZE + BS_INSTRUMENT_ENTRY_SIZE * i;
            uint32_t offset = bs_readU32(entry + BS_INSTRUMENT_ENTRY_CODE_OFFSET);
            uint32_t noteOff = bs_readU32(entry + BS_INSTRUMENT_ENTRY_NOTE_OFF);
            if (offset > size || noteOff > macros[i].channels[0].code.length)
                std::abort();
        }
        std::free(image);
        return;
    }
    for (uint32_t m = 0; m < macroCount(); ++m) {
        if (buildSoundEffect(m, &image, &size) != 0)
            std::abort();
        uint32_t channels = bs_readU32(image + BS_HEADER_COUNT_OFFSET);
        if (channels != macros[m].currentChannel + 1)
            std::abort();
        for (uint32_t c = 0; c < channels; ++c) {
            const uint8_t* entry = image + BS_HEADER_SIZE + BS_EFFECT_ENTRY_SIZE * c;
            if (bs_readU32(entry + BS_EFFECT_ENTRY_CODE_OFFSET) > size)
                std::abort();
        }
        std::free(image);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    setUp();
    if (size < 1)
        return 0;
    bool soundEffects = data[0] & 1;
    bool lookupOff = data[0] & 2;
    char* text = static_cast<char*>(std::malloc(size));
    std::memcpy(text, data + 1, size - 1);
    FILE* script = fmemopen(text, size - 1, "r");
    if (script) {
        if (parseMacroScript(script, "fuzz.txt", soundEffects, lookupOff) == 0)
            checkPackages(soundEffects);
        std::fclose(script);
    }
    releaseMacros();
    std::free(text);
    return 0;
}
