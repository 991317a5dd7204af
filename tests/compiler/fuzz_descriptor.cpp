// Fuzzes the sample descriptor parser, and the line reader, tokenizer and value parsers under
// it, on arbitrary bytes. Messages are silenced; only crashes, leaks, hangs and sanitizer
// findings count.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "compiler/filenames.h"
#include "compiler/messages.h"
#include "compiler/numbers.h"
#include "compiler/samples.h"
#include "compiler/source.h"

namespace {

FILE* gSilence = nullptr;

// Every token of the input also goes through the number parsers and the name derivation,
// as a macro or music script would use them.
void parseTokens(const uint8_t* data, size_t size)
{
    FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "r");
    if (!file) return;
    char line[kLineBufferSize];
    while (readSourceLine(file, line)) {
        collapseDelimiters(line, ";", '\0');
        char* state = nullptr;
        for (char* token = nextToken(line, kScriptDelimiters, &state); token;
             token = nextToken(nullptr, kScriptDelimiters, &state)) {
            int32_t integer = 0;
            uint32_t fixed = 0;
            parseInteger(token, &integer);
            parseFixed16(&fixed, token);
            parseFixed8(&fixed, token);
            char* name = nullptr;
            if (deriveFileName(token, &name, ".h", "\\/>") == 0) free(name);
        }
    }
    fclose(file);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    gSilence = fopen("/dev/null", "w");
    setMessageStreams(gSilence, gSilence);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;  // fmemopen wants at least one byte
    FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "r");
    if (!file) return 0;
    parseSampleDescriptor(file, "fuzz.txt");
    fclose(file);
    // Whatever the parse left, lookups stay inside the table.
    uint32_t index = 0;
    SampleDefinition* record = nullptr;
    if (findSample("a", &index, &record) == 0 && (index >= sampleCount() || strcmp(record->label, "a") != 0))
        abort();
    freeSamples();
    parseTokens(data, size);
    return 0;
}
