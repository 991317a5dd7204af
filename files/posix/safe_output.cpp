#include "files/safe_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

// Writing through a symbolic link must update the file it points to, as opening the link for
// writing would, rather than replace the link; a dangling link creates its target. nullptr with
// errno set for a loop of links or no memory.
char* resolveTarget(const char* path)
{
    char* current = strdup(path);
    for (int hops = 0; current && hops < 40; ++hops) {
        struct stat info;
        if (lstat(current, &info) != 0 || !S_ISLNK(info.st_mode)) return current;
        char link[PATH_MAX];
        ssize_t length = readlink(current, link, sizeof link - 1);
        if (length <= 0) return current;
        link[length] = '\0';
        // A relative link counts from the folder that holds it.
        const char* slash = strrchr(current, '/');
        size_t folderLength = link[0] != '/' && slash ? static_cast<size_t>(slash - current) + 1 : 0;
        char* next = static_cast<char*>(malloc(folderLength + static_cast<size_t>(length) + 1));
        if (next) {
            memcpy(next, current, folderLength);
            memcpy(next + folderLength, link, static_cast<size_t>(length) + 1);
        }
        free(current);
        current = next;
    }
    errno = current ? ELOOP : ENOMEM;
    free(current);
    return nullptr;
}

// Permissions the finished file should carry: those of the file it replaces, or what creating a
// new file would give.
mode_t targetMode(const char* path)
{
    struct stat info;
    if (stat(path, &info) == 0) return info.st_mode & 07777;
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

}  // namespace

size_t SafeOutputFile::folderLength(const char* path)
{
    const char* slash = strrchr(path, '/');
    return slash ? static_cast<size_t>(slash - path) + 1 : 0;
}

int SafeOutputFile::replace(const char* temp, const char* target)
{
    return rename(temp, target) == 0 ? 0 : errno;
}

int SafeOutputFile::open(const char* path, bool binary, const char* tag)
{
    discard();
    if (!path || path[0] == '\0' || !tag) return EINVAL;
    const char* mode = binary ? "wb" : "w";

    // A pipe or a device (/dev/null, a shell's process substitution) cannot be replaced by a
    // rename, nor would it keep a previous content: it is written into directly.
    struct stat named;
    if (stat(path, &named) == 0 && !S_ISREG(named.st_mode) && !S_ISDIR(named.st_mode)) {
        stream_ = fopen(path, mode);
        return stream_ ? 0 : errno;
    }

    char* target = resolveTarget(path);
    if (!target) return errno;
    // The final name must be writable as a file, as if it were opened for writing now: an
    // existing folder or read-only file is refused, and so is a name that cannot exist (too long,
    // or under something that is not a folder) although its temporary file could.
    int error = 0;
    struct stat info;
    if (stat(target, &info) == 0) {
        if (S_ISDIR(info.st_mode))
            error = EISDIR;
        else if (access(target, W_OK) != 0)
            error = errno;
    } else if (errno != ENOENT) {
        error = errno;
    }
    // Beside the target, so that the final rename stays on one file system.
    char* temp = error ? nullptr : temporaryName(target, tag, "XXXXXX");
    if (!error && !temp) error = ENOMEM;
    int fd = error ? -1 : mkstemp(temp);
    if (!error && fd < 0) error = errno;
    if (!error) {
        fchmod(fd, targetMode(target));
        stream_ = fdopen(fd, mode);
        if (!stream_) {
            error = errno;
            close(fd);
            unlink(temp);
        }
    }
    return keep(error, temp, target);
}
