// bscomp: compiles sample descriptors, macro scripts and music scripts into packages.
#include <exception>
#include <new>

#include "compiler/driver.h"
#include "compiler/messages.h"
#include "files/command_line.h"

int main(int argc, char** argv)
try {
    startCommandLine(&argc, &argv);
    return runCompiler(argc, argv);
} catch (const std::bad_alloc&) {
    // The stages allocate with malloc and report their own failures; nothing is meant to throw,
    // but nothing may end the program without a word either.
    printMessage(stderr, kFormatMessage, kOutOfMemory);
    return kExitFailure;
} catch (const std::exception&) {
    printMessage(stderr, kFormatMessage, kUnknownFailure);
    return kExitFailure;
}
