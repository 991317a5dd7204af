#include "files/safe_output.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "files/open_file.h"

char* SafeOutputFile::temporaryName(const char* target, const char* tag, const char* suffix)
{
    const size_t folder = folderLength(target);
    const char* base = target + folder;
    // Hidden, named after the output, shortened so that a long name still fits the folder's limit
    // (and cut between characters, not inside one).
    int baseShown = static_cast<int>(strnlen(base, 64));
    while (baseShown > 0 && (static_cast<unsigned char>(base[baseShown]) & 0xC0) == 0x80) --baseShown;
    const size_t length = folder + 1 + static_cast<size_t>(baseShown) + 1 + strlen(tag) + 1 + strlen(suffix) + 1;
    char* name = static_cast<char*>(malloc(length));
    if (name)
        snprintf(name, length, "%.*s.%.*s.%s-%s", static_cast<int>(folder), target, baseShown, base, tag, suffix);
    return name;
}

int SafeOutputFile::keep(int error, char* temp, char* target)
{
    if (error) {
        free(temp);
        free(target);
    } else {
        temp_ = temp;
        target_ = target;
    }
    return error;
}

int SafeOutputFile::commit()
{
    if (!stream_) return EBADF;
    // No fsync: like other compilers we rely on the replacement for atomicity. A sync per file made
    // a script of thousands of sound effects take a minute of disk waits for 0.4 s of work.
    errno = 0;
    int error = 0;
    if (fflush(stream_) != 0 || ferror(stream_)) error = errno ? errno : EIO;
    errno = 0;
    if (fclose(stream_) != 0 && !error) error = errno ? errno : EIO;
    stream_ = nullptr;
    if (!error && temp_) error = replace(temp_, target_);
    if (error && temp_) removeFile(temp_);
    release();
    return error;
}

void SafeOutputFile::discard()
{
    if (stream_) fclose(stream_);
    stream_ = nullptr;
    if (temp_) removeFile(temp_);
    release();
}

void SafeOutputFile::release()
{
    free(temp_);
    free(target_);
    temp_ = nullptr;
    target_ = nullptr;
}
