// The bscomp command line: mode table, argument checks, opening of output and sources, stage
// dispatch and clean-up.
#pragma once

#include <cstdint>

// Exit statuses of bscomp.
enum ExitStatus : int {
    kExitSuccess = 0,  // the mode ran through (warnings allowed)
    kExitFailure = 1,  // an "ERROR- " message was printed
    kExitUsage = 2,    // wrong argument list: the usage text was printed
};

// One operating mode. Flags hold -1 when set and 0 when clear.
struct ModeEntry {
    char name[8];         // the switch, e.g. "-smp"
    int32_t mode;         // 0 to 3, see the Mode values
    int32_t exactCount;   // the argument count must equal argCount (else: at least argCount)
    int32_t argCount;     // arguments including the program name
    int32_t hasOutput;    // the mode writes the file named by argument outputIndex
    int32_t outputIndex;  // argument index of the output file (read only with hasOutput)
    int32_t firstSource;  // argument index of the first source file
};

enum Mode : int32_t {
    kModeSamples = 0,      // -smp
    kModeEffects = 1,      // -sfx
    kModeInstruments = 2,  // -ins
    kModeMusic = 3,        // -mus
};

extern const ModeEntry kModeTable[4];

// Runs bscomp on its command line and returns the process exit status.
int runCompiler(int argc, char** argv);
