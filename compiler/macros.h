// Macro scripts: instruments ("-ins", and the instruments file of "-mus") and
// sound effects ("-sfx"). The parser builds one CompiledMacro per macro, with
// one code buffer per channel; the writers of macro_writers.h turn the list
// into packages and the music stage looks instruments up by label.
#pragma once

#include <cstdint>
#include <cstdio>

#include "compiler/macro_code.h"

// The sample index of a channel that has none: the engine plays it as the
// empty sample. Also the index of every channel when sample lookup is off.
constexpr int32_t kNoSampleIndex = -1;

struct CompiledChannel {
    int32_t sampleIndex;
    bool closed;     // its closing brace has been read
    bool sampleSet;  // a "sample" command was accepted
    WaitRun waitRun;
    CodeBuffer code;
};

struct CompiledMacro {
    char* label;
    bool isInstrument;
    int32_t priority;  // sound effects: -128..127; instruments: 0
    bool noteOffSet;
    uint32_t noteOffOffset;  // into channel 0's code
    CompiledChannel* channels;
    uint32_t channelCapacity;
    uint32_t currentChannel;  // channels in use: currentChannel + 1
};

// Parses a whole macro script. Prints "Parsing macro script file : " first.
// Returns 0 when the file was read without error, -1 after the first error.
int parseMacroScript(FILE* file, const char* fileName, bool soundEffectDialect,
                     bool sampleLookupOff);

// Handles one line inside a macro whose first token is `token`; the operands
// are the line's further tokens. Returns 0, 1 for a syntax error (after
// "Invalid command syntax" was printed) or -1 for any other reported error.
int compileMacroCommand(CompiledMacro* macro, const char* token, bool* inChannel);

// First finished macro labelled exactly `label`. 0 when found, -1 otherwise.
int findMacro(const char* label, uint32_t* index, CompiledMacro** record);

// The finished macros, in definition order, and the script they came from.
uint32_t macroCount();
const CompiledMacro* macroList();
const char* macroScriptPath();

// Frees every macro, the line buffer and the script path. Safe to call when
// nothing was parsed.
void releaseMacros();
