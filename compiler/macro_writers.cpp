#include "compiler/macro_writers.h"

#include <cstdlib>
#include <cstring>

#include "compiler/filenames.h"
#include "compiler/macros.h"
#include "compiler/messages.h"
#include "compiler/output.h"
#include "formats/packages.h"

namespace {

int allocateImage(uint64_t size, uint8_t** image)
{
    *image = size <= UINT32_MAX ? static_cast<uint8_t*>(std::malloc(size_t(size))) : nullptr;
    if (!*image) {
        printMessage(stderr, kFormatMessage, kOutOfMemory);
        return -1;
    }
    return 0;
}

void writeHeader(uint8_t* image, const char* magic, uint32_t count)
{
    std::memcpy(image, magic, BS_MAGIC_SIZE);
    bs_writeU32(image + BS_HEADER_COUNT_OFFSET, count);
}

// Writes a finished image to `out` and flushes it, so that a full disk is reported here rather
// than after a success line; a short write prints the message.
int writeEffectFile(uint32_t index, const char* fileName)
{
    printMessage(stdout, kFormatSubject, kSavingSoundEffect, fileName);
    uint8_t* image = nullptr;
    uint32_t size = 0;
    if (buildSoundEffect(index, &image, &size) != 0)
        return -1;
    OutputFile out{};
    if (openOutputFile(&out, fileName, true) != 0) {
        printMessage(stderr, kFormatSubject, kCantWriteDestination, fileName);
        std::free(image);
        return -1;
    }
    int result = writePackageImage(out.stream, fileName, image, size, kCouldntWriteOutput);
    std::free(image);
    if (result != 0) {
        discardOutputFile(&out);
        return -1;
    }
    return commitOutputFile(&out);
}

int writePriorityHeader(const char* scriptPath)
{
    char* headerName = nullptr;
    if (deriveFileName(scriptPath, &headerName, ".h", kScriptPathSeparators) != 0 ||
        std::strcmp(headerName, scriptPath) == 0) {
        // Never overwrite the script itself (a script named *.h); other spellings of an input
        // were refused before any file was written.
        printMessage(stderr, kFormatMessage, kCantCreatePriorityHeader);
        std::free(headerName);
        return -1;
    }
    OutputFile out{};
    if (openOutputFile(&out, headerName, false) != 0) {
        printMessage(stderr, kFormatSubject, kCantWriteDestination, headerName);
        std::free(headerName);
        return -1;
    }
    const CompiledMacro* macros = macroList();
    bool failed = false;
    for (uint32_t i = 0; i < macroCount() && !failed; ++i)
        failed = std::fprintf(out.stream, "#define BPRI_%s\t\t%i\n", macros[i].label,
                              int(macros[i].priority)) < 0;
    if (failed) {
        printMessage(stderr, kFormatSubject, kCouldntWriteOutput, headerName);
        discardOutputFile(&out);
        std::free(headerName);
        return -1;
    }
    if (commitOutputFile(&out) != 0) {
        std::free(headerName);
        return -1;
    }
    printMessage(stdout, kPriorityHeaderSavedLine, headerName);
    std::free(headerName);
    return 0;
}

// Calls `visit` with each effect's index and file name, up to the first that fails.
template <typename Visit>
int forEachEffectFile(const char* scriptPath, Visit visit)
{
    for (uint32_t i = 0; i < macroCount(); ++i) {
        char* fileName = effectFileName(scriptPath, macroList()[i].label);
        if (!fileName) {
            printMessage(stderr, kFormatMessage, kOutOfMemory);
            return -1;
        }
        int result = visit(i, fileName);
        std::free(fileName);
        if (result != 0)
            return -1;
    }
    return 0;
}

// A destination that is a file the run reads: refused with the message. 0 when it is not.
int refuseInputFile(const char* fileName)
{
    if (!replacesInputFile(fileName))
        return 0;
    printMessage(stderr, kFormatSubject, kOutputIsSource, fileName);
    return -1;
}

// The effect files and the header, checked against every file the run reads before the first
// of them is written, so that a slip refuses the whole run instead of losing a source half-way.
// A header spelt exactly like the script is left to writePriorityHeader's own message.
int checkEffectOutputs(const char* scriptPath)
{
    if (forEachEffectFile(scriptPath, [](uint32_t, const char* fileName) { return refuseInputFile(fileName); }) != 0)
        return -1;
    char* headerName = nullptr;
    if (deriveFileName(scriptPath, &headerName, ".h", kScriptPathSeparators) != 0)
        return 0;
    const int result = std::strcmp(headerName, scriptPath) != 0 ? refuseInputFile(headerName) : 0;
    std::free(headerName);
    return result;
}

}  // namespace

char* effectFileName(const char* scriptPath, const char* label)
{
    // The folder is the script's path up to and including its last separator.
    size_t folder = std::strlen(scriptPath);
    while (folder > 0 && !std::strchr(kScriptPathSeparators, scriptPath[folder - 1]))
        --folder;
    size_t size = folder + std::strlen(label) + sizeof(".sfx");
    char* name = static_cast<char*>(std::malloc(size));
    if (name)
        std::snprintf(name, size, "%.*s%s.sfx", int(folder), scriptPath, label);
    return name;
}

int buildInstrumentPack(uint8_t** image, uint32_t* size)
{
    const CompiledMacro* macros = macroList();
    uint32_t count = macroCount();
    uint64_t codeStart = BS_HEADER_SIZE + uint64_t(BS_INSTRUMENT_ENTRY_SIZE) * count;
    uint64_t total = codeStart;
    for (uint32_t i = 0; i < count; ++i)
        total += macros[i].channels[0].code.length;
    if (allocateImage(total, image) != 0)
        return -1;
    writeHeader(*image, BS_MAGIC_INSTRUMENTS, count);
    uint32_t offset = uint32_t(codeStart);
    for (uint32_t i = 0; i < count; ++i) {
        const CompiledChannel& channel = macros[i].channels[0];
        uint8_t* entry = *image + BS_HEADER_SIZE + BS_INSTRUMENT_ENTRY_SIZE * i;
        bs_writeU32(entry + BS_INSTRUMENT_ENTRY_SAMPLE_INDEX, uint32_t(channel.sampleIndex));
        bs_writeU32(entry + BS_INSTRUMENT_ENTRY_CODE_OFFSET, offset);
        bs_writeU32(entry + BS_INSTRUMENT_ENTRY_NOTE_OFF, macros[i].noteOffOffset);
        if (channel.code.length)
            std::memcpy(*image + offset, channel.code.bytes, channel.code.length);
        offset += channel.code.length;
    }
    *size = uint32_t(total);
    return 0;
}

int buildSoundEffect(uint32_t macroIndex, uint8_t** image, uint32_t* size)
{
    const CompiledMacro& macro = macroList()[macroIndex];
    uint32_t channels = macro.currentChannel + 1;
    uint64_t codeStart = BS_HEADER_SIZE + uint64_t(BS_EFFECT_ENTRY_SIZE) * channels;
    uint64_t total = codeStart;
    for (uint32_t c = 0; c < channels; ++c)
        total += macro.channels[c].code.length;
    if (allocateImage(total, image) != 0)
        return -1;
    writeHeader(*image, BS_MAGIC_EFFECT, channels);
    uint32_t offset = uint32_t(codeStart);
    for (uint32_t c = 0; c < channels; ++c) {
        const CompiledChannel& channel = macro.channels[c];
        uint8_t* entry = *image + BS_HEADER_SIZE + BS_EFFECT_ENTRY_SIZE * c;
        bs_writeU32(entry + BS_EFFECT_ENTRY_SAMPLE_INDEX, uint32_t(channel.sampleIndex));
        bs_writeU32(entry + BS_EFFECT_ENTRY_CODE_OFFSET, offset);
        if (channel.code.length)
            std::memcpy(*image + offset, channel.code.bytes, channel.code.length);
        offset += channel.code.length;
    }
    *size = uint32_t(total);
    return 0;
}

int writeInstrumentPack(FILE* out, const char* outName)
{
    printMessage(stdout, kFormatSubject, kSavingInstrumentPack, outName);
    uint8_t* image = nullptr;
    uint32_t size = 0;
    if (buildInstrumentPack(&image, &size) != 0)
        return -1;
    if (writeBuiltPackage(out, outName, image, size, kCouldntWriteOutput) != 0)
        return -1;
    printMessage(stdout, kInstrumentTotalsLine, macroCount());
    return 0;
}

int writeSoundEffects()
{
    const char* scriptPath = macroScriptPath();
    if (!scriptPath) {
        printMessage(stderr, kFormatMessage, kUnexpectedNull);
        return -1;
    }
    if (checkEffectOutputs(scriptPath) != 0 ||
        forEachEffectFile(scriptPath, [](uint32_t i, const char* fileName) { return writeEffectFile(i, fileName); }) != 0)
        return -1;
    if (writePriorityHeader(scriptPath) != 0)
        return -1;
    printMessage(stdout, kEffectTotalsLine, macroCount());
    return 0;
}
