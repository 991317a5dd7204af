// Safe writing of every file bscomp produces, on the shared safe output file (files/): a file is
// written to a temporary file beside its final name and put in place only once it is complete,
// so a failed run never leaves an empty or half-written file behind and the previous good file
// (or none) stays as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "files/safe_output.h"

struct OutputFile {
    FILE* stream = nullptr;  // the temporary file (or the pipe or device itself), open for writing
    char* path = nullptr;    // the output's name, as given
    SafeOutputFile file;
};

// Creates the temporary file ".NAME.bscomp-XXXXXX" in the folder of `path`, opened "wb" (binary)
// or "w" (text), after checking that `path` could be written as the final file (not a folder,
// not a read-only file). A `path` that is a pipe or a device is opened itself instead: there is
// nothing to replace and nothing to keep. Returns 0, or -1 without printing anything (the caller
// prints its own message); on failure *out is left empty.
int openOutputFile(OutputFile* out, const char* path, bool binary);

// Flushes, closes and puts the temporary file in place of `path`. 0, or -1 after printing
// "ERROR- Couldn't write to output file : " and the path (the temporary file is removed).
// Either way *out is left empty.
int commitOutputFile(OutputFile* out);

// Closes and removes the temporary file; the previous file at `path` (or none) stays.
// Does nothing for an empty OutputFile.
void discardOutputFile(OutputFile* out);

// Writes a whole package image to `stream` and flushes it, so that a full disk is reported
// before any success line. A `name` that leads to a file the run reads is refused first, with
// "ERROR- Destination file would overwrite a source file : ". On failure prints `failure` (a
// catalogue text ending " : ") and `name`, and returns -1.
int writePackageImage(FILE* stream, const char* name, const void* image, size_t size,
                      const char* failure);

// A built package: writes `image` (a malloc'd block, freed here) as writePackageImage does, then
// prints the success line with its size and `name`. 0, or -1 after the message.
int writeBuiltPackage(FILE* stream, const char* name, uint8_t* image, uint32_t size, const char* failure);

// The files the run reads: every source and sample file is noted when it is opened or named,
// and no output is put in place over one of them, however it is spelt (another relative path,
// a symbolic or a hard link). Each returns 0, or -1 after "ERROR- Out of memory".
int noteInputFile(FILE* file);
int noteInputName(const char* path);
// True when writing `path` would replace a file the run reads.
bool replacesInputFile(const char* path);
// Forgets the run's inputs; called by the driver's clean-up.
void releaseInputFiles();
