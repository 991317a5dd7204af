// Opening files by name. Names are UTF-8 on every system: on Windows they go through the
// wide-character calls, so that any name opens, not only those of the local code page.
#pragma once

#include <cstdint>
#include <cstdio>

// std::fopen for a UTF-8 name.
FILE* openFile(const char* path, const char* mode);

// Removes the file `path`; false when it cannot be removed.
bool removeFile(const char* path);

// Cuts (or extends) the file open as `stream` to `bytes` bytes; false, with errno set, when it
// cannot. Flush the stream first.
bool truncateFile(FILE* stream, uint64_t bytes);

// Opens an input file for reading, in binary mode so that every system reads the same bytes (a
// Ctrl-Z byte does not end a file on Windows; CR LF is left to the reader): a regular file, or
// also a pipe when `allowPipe` (sources may come from a shell's process substitution). A folder
// opens on some systems but cannot be read, and a device may never end, so both are refused.
// Never blocks on a pipe that has no writer (it reads as empty). nullptr when the file cannot be
// opened or is refused.
FILE* openInputFile(const char* path, bool allowPipe);
