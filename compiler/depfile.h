// The dependency file of "-MF FILE": every source and sample file a run read, in Makefile syntax,
// for build tools that rebuild a package exactly when one of its inputs changes.
#pragma once

#include "compiler/driver.h"

// Takes a leading "-MF FILE" off the command line (argv[1] and argv[2]), so that the mode comes
// first again. 0 (with or without the option), or -1 when "-MF" is not followed by a file name.
int takeDependencyFileOption(int* argc, char** argv);

// Records a file the run reads, as it was named. 0, or -1 after "ERROR- Out of memory".
int noteDependency(const char* path);

// With "-MF", writes the rule "TARGET: INPUT ..." to the dependency file (safely, like every
// output), where TARGET is the mode's output (the priority header for -sfx) and the inputs are
// the recorded files; every name is written as an absolute path, so the file means the same
// whatever folder the build tool reads it from. Without "-MF", does nothing. 0, or -1 after a
// message.
int writeDependencyFile(const ModeEntry& entry, char** argv);

// Forgets the option and the recorded files; called by the driver's clean-up.
void releaseDependencies();
