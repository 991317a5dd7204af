// The files a run reads, so that none of its outputs replaces one of them. Every reader of a
// run adds the files it opens or names; every writer asks before it puts an output in place.
#pragma once

#include <cstddef>
#include <cstdio>
#include <unordered_set>

#include "files/file_identity.h"

class InputFiles {
public:
    // Records the file open as `stream` (or the existing file named `path`). A name that leads
    // nowhere, or a stream whose file cannot be told, has nothing to protect and is passed
    // over. False only when there is no memory to record it.
    bool add(FILE* stream);
    bool add(const char* path);

    // True when `path` leads to a file the run reads.
    bool contains(const char* path) const;

    void clear() { files_.clear(); }

private:
    struct Hash {
        size_t operator()(const FileIdentity& identity) const
        {
            return static_cast<size_t>(identity.index * 0x9E3779B97F4A7C15u ^ identity.volume);
        }
    };

    bool add(const FileIdentity& identity);

    std::unordered_set<FileIdentity, Hash> files_;
};
