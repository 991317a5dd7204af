#include "files/open_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FILE* openFile(const char* path, const char* mode)
{
    return path && mode ? fopen(path, mode) : nullptr;
}

bool removeFile(const char* path)
{
    return path && unlink(path) == 0;
}

bool truncateFile(FILE* stream, uint64_t bytes)
{
    return stream && ftruncate(fileno(stream), static_cast<off_t>(bytes)) == 0;
}

FILE* openInputFile(const char* path, bool allowPipe)
{
    if (!path) return nullptr;
    // Non-blocking, so that opening a pipe that nobody writes to returns at once.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info;
    bool accepted = fstat(fd, &info) == 0 && (S_ISREG(info.st_mode) || (allowPipe && S_ISFIFO(info.st_mode)));
    // Reads wait for data again from here on.
    int flags = accepted ? fcntl(fd, F_GETFL) : -1;
    if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        close(fd);
        return nullptr;
    }
    FILE* file = fdopen(fd, "rb");
    if (!file) close(fd);
    return file;
}
