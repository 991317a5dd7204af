// Safe writing of every file bscomp produces. A file is written to a temporary file in the
// folder of its final name and renamed over that name only once it is complete, so a failed
// run never leaves an empty or half-written file behind and the previous good file (or none)
// stays as it was.
#pragma once

#include <cstddef>
#include <cstdio>

struct OutputFile {
    FILE* stream;    // the temporary file (or the pipe or device itself), open for writing
    char* path;      // the output's name, as given
    char* tempPath;  // the temporary file; nullptr when writing into a pipe or device
    char* target;    // the file the rename replaces: path, or where path links to
};

// Creates a temporary file in the folder of `path`, opened "wb" (binary) or "w" (text), after
// checking that `path` could be written as the final file (not a folder, not a read-only
// file). A `path` that is a pipe or a device is opened itself instead: there is nothing to
// rename over and nothing to keep. Returns 0, or -1 without printing anything (the caller
// prints its own message); on failure *out is left empty.
int openOutputFile(OutputFile* out, const char* path, bool binary);

// Flushes, syncs, closes and renames the temporary file over `path`. 0, or -1 after printing
// "ERROR- Couldn't write to output file : " and the path (the temporary file is removed).
// Either way *out is left empty.
int commitOutputFile(OutputFile* out);

// Closes and removes the temporary file; the previous file at `path` (or none) stays.
// Does nothing for an empty OutputFile.
void discardOutputFile(OutputFile* out);

// Writes a whole package image to `stream` and flushes it, so that a full disk is reported
// before any success line. On failure prints `failure` (a catalogue text ending " : ") and
// `name`, and returns -1.
int writePackageImage(FILE* stream, const char* name, const void* image, size_t size,
                      const char* failure);

// True when `path` names an existing file that is `file` itself, however it is spelt (another
// relative path, a symbolic or a hard link), so that a package never replaces its own source.
bool isOpenFile(const char* path, FILE* file);
// True when both paths name the same existing file.
bool isSameFile(const char* path, const char* other);
