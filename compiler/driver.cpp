#include "compiler/driver.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "compiler/depfile.h"
#include "compiler/linker.h"
#include "compiler/macro_writers.h"
#include "compiler/macros.h"
#include "compiler/messages.h"
#include "compiler/music.h"
#include "compiler/output.h"
#include "compiler/samples.h"
#include "compiler/source.h"
#include "files/open_file.h"

const ModeEntry kModeTable[4] = {
    {"-smp", kModeSamples, -1, 4, -1, 2, 3},
    {"-sfx", kModeEffects, -1, 4, 0, 0, 2},
    {"-ins", kModeInstruments, -1, 5, -1, 2, 3},
    {"-mus", kModeMusic, 0, 5, -1, 2, 3},
};

namespace {

const ModeEntry* findMode(const char* name)
{
    for (const ModeEntry& entry : kModeTable) {
        if (strcmp(entry.name, name) == 0) return &entry;
    }
    return nullptr;
}

bool argumentCountFits(const ModeEntry& entry, int argc)
{
    return entry.exactCount ? argc == entry.argCount : argc >= entry.argCount;
}

struct Run {
    FILE** sources;
    char** names;
    int sourceCount;
    FILE* out;
    const char* outName;
};

int runSamples(const Run& run)
{
    if (parseSampleDescriptor(run.sources[0], run.names[0]) != 0) return -1;
    return writeSamplePack(run.out, run.outName) != 0 ? -1 : 0;
}

int runMacros(const Run& run, bool soundEffects)
{
    if (parseSampleDescriptor(run.sources[0], run.names[0]) != 0) return -1;
    if (parseMacroScript(run.sources[1], run.names[1], soundEffects, false) != 0) return -1;
    if (soundEffects) return writeSoundEffects() != 0 ? -1 : 0;
    return writeInstrumentPack(run.out, run.outName) != 0 ? -1 : 0;
}

int runMusic(const Run& run)
{
    if (parseMacroScript(run.sources[0], run.names[0], false, true) != 0) return -1;
    for (int i = 1; i < run.sourceCount; ++i) {
        if (parseMusicScript(run.sources[i], run.names[i]) != 0) return -1;
    }
    return linkMusicTrack(run.out, run.outName) != 0 ? -1 : 0;
}

int runMode(const ModeEntry& entry, const Run& run)
{
    switch (entry.mode) {
    case kModeSamples:
        return runSamples(run);
    case kModeEffects:
        return runMacros(run, true);
    case kModeInstruments:
        return runMacros(run, false);
    case kModeMusic:
        return runMusic(run);
    default:
        printMessage(stderr, kFormatMessage, kUnknownFailure);
        return -1;
    }
}

}  // namespace

int runCompiler(int argc, char** argv)
{
    if (takeDependencyFileOption(&argc, argv) != 0) return kExitUsage;
    if (argc < 2) {
        printMessage(stderr, kFormatMessage, kUsageText);
        return kExitUsage;
    }
    const ModeEntry* entry = findMode(argv[1]);
    if (!entry) {
        printMessage(stderr, kFormatSubject, kInvalidOperatingMode, argv[1]);
        return kExitFailure;
    }
    if (!argumentCountFits(*entry, argc)) {
        printMessage(stderr, kFormatMessage, kUsageText);
        return kExitUsage;
    }

    // The output is claimed before any source is opened. It is written to a temporary file
    // and only put in place when the whole mode succeeded.
    OutputFile output = {};
    const char* outName = nullptr;
    if (entry->hasOutput) {
        outName = argv[entry->outputIndex];
        if (openOutputFile(&output, outName, true) != 0) {
            printMessage(stderr, kFormatSubject, kCantWriteDestination, outName);
            return kExitFailure;
        }
    }

    int status = -1;
    const int sourceCount = argc - entry->firstSource;
    FILE** sources = static_cast<FILE**>(calloc(static_cast<size_t>(sourceCount), sizeof(FILE*)));
    if (!sources) {
        printMessage(stderr, kFormatMessage, kOutOfMemory);
    } else {
        bool allOpen = true;
        for (int i = 0; i < sourceCount && allOpen; ++i) {
            const char* name = argv[entry->firstSource + i];
            sources[i] = openInputFile(name, true);
            if (!sources[i]) {
                printMessage(stderr, kFormatSubject, kCantOpenSourceFile, name);
                allOpen = false;
            } else if (noteInputFile(sources[i]) != 0 || noteDependency(name) != 0) {
                allOpen = false;
            }
        }
        // The same file named as output and as a source (a slip of the keyboard) would lose the
        // source to the package; nothing has been read yet, so stop here.
        if (allOpen && entry->hasOutput && replacesInputFile(outName)) {
            printMessage(stderr, kFormatSubject, kOutputIsSource, outName);
            allOpen = false;
        }
        if (allOpen) {
            printMessage(stdout, kFormatMessage, kModeBanners[entry->mode]);
            const Run run{sources, argv + entry->firstSource, sourceCount, output.stream, outName};
            status = runMode(*entry, run);
            if (status == 0) status = writeDependencyFile(*entry, argv);
        }
    }

    if (entry->hasOutput) {
        if (status == 0) {
            if (commitOutputFile(&output) != 0) status = -1;
        } else {
            discardOutputFile(&output);
        }
    }

    fflush(stdout);
    fflush(stderr);
    releaseMusic();
    releaseMacros();
    freeSamples();
    releaseInputFiles();
    releaseDependencies();
    if (sources) {
        for (int i = 0; i < sourceCount; ++i) {
            if (sources[i]) fclose(sources[i]);
        }
        free(sources);
    }
    return status == 0 && !errorReported() ? kExitSuccess : kExitFailure;
}
