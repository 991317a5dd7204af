// The safe output file. An output is written to a temporary file beside it and put in place only
// once complete, replacing the previous file in one step (rename on POSIX, MoveFileExW with
// MOVEFILE_REPLACE_EXISTING on Windows; never delete-then-rename, which would leave no file at all
// for a moment). A failed or abandoned run leaves the previous file, or none, exactly as it was.
#pragma once

#include <cstdio>

class SafeOutputFile {
public:
    SafeOutputFile() = default;
    SafeOutputFile(const SafeOutputFile&) = delete;
    SafeOutputFile& operator=(const SafeOutputFile&) = delete;
    ~SafeOutputFile() { discard(); }

    // Claims `path` (UTF-8), opened "wb" (binary) or "w" (text), after checking that it could be
    // written as the final file: not a folder, not read-only, a name that can exist. The temporary
    // file is ".NAME.TAG-XXXXXX" in the folder of the file that is replaced: `path`, or where a
    // symbolic link at `path` leads, so that the link keeps pointing to the new contents. A `path`
    // that is a pipe or a device is opened itself instead (direct()): nothing can replace it and
    // nothing is kept. The replaced file keeps its permissions; a new one gets those of any new
    // file. 0, or an errno value, with nothing left behind.
    int open(const char* path, bool binary, const char* tag);

    std::FILE* stream() const { return stream_; }
    // True when written straight into a pipe or a device, which cannot be rewound either.
    bool direct() const { return stream_ && !temp_; }

    // Flushes and closes the stream and puts the temporary file in place. 0, or an errno value
    // after removing the temporary file. The object is empty afterwards either way.
    int commit();
    // Closes the stream and removes the temporary file; the previous file stays. Does nothing
    // when nothing is open.
    void discard();

private:
    // By the rules of the system (files/posix, files/windows): the length of the folder part of
    // `path`, separator included, and the replacement of `target` by `temp` in one step.
    static size_t folderLength(const char* path);
    static int replace(const char* temp, const char* target);

    // A malloc'd ".NAME.TAG-" name beside `target` followed by `suffix`; nullptr without memory.
    static char* temporaryName(const char* target, const char* tag, const char* suffix);
    // The end of open(): keeps the malloc'd names of the open temporary file and its target, or
    // after an `error` frees them. Returns `error`.
    int keep(int error, char* temp, char* target);
    void release();

    std::FILE* stream_ = nullptr;
    char* temp_ = nullptr;    // the temporary file; nullptr when writing into a pipe or device
    char* target_ = nullptr;  // the file it replaces
};
