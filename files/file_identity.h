// Which file a name or an open stream stands for. Two names are the same file when they lead
// to the same file on the same volume, however they are spelt: another relative path, a
// symbolic or a hard link. Outputs are compared with inputs this way so that no tool replaces a
// file it reads.
#pragma once

#include <cstdint>
#include <cstdio>

struct FileIdentity {
    uint64_t volume;  // the device (or volume) that holds the file
    uint64_t index;   // the file's number on that volume

    bool operator==(const FileIdentity&) const = default;
};

// The identity of the existing file `path` leads to (links followed). False when there is none.
bool identifyPath(const char* path, FileIdentity* identity);
// The identity of the file open as `stream`. False when it cannot be told.
bool identifyStream(FILE* stream, FileIdentity* identity);

// True when both names lead to the same existing file.
bool sameFile(const char* path, const char* other);
// True when `path` leads to the file open as `stream`.
bool isOpenFile(const char* path, FILE* stream);
