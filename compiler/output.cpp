#include "compiler/output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "compiler/messages.h"
#include "files/input_files.h"

namespace {

InputFiles gInputs;

char* copyText(const char* text)
{
    size_t length = strlen(text) + 1;
    char* copy = static_cast<char*>(malloc(length));
    if (copy) memcpy(copy, text, length);
    return copy;
}

// Writing through a symbolic link must update the file it points to, as opening the link for
// writing would, rather than replace the link; a dangling link creates its target. nullptr
// for a loop of links or no memory.
char* resolveTarget(const char* path)
{
    char* current = copyText(path);
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
    free(current);
    return nullptr;
}

// Permissions the finished file should carry: those of the file it replaces, or what
// creating a new file would give.
mode_t targetMode(const char* path)
{
    struct stat info;
    if (stat(path, &info) == 0) return info.st_mode & 07777;
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

void clear(OutputFile* out)
{
    out->stream = nullptr;
    out->path = nullptr;
    out->tempPath = nullptr;
    out->target = nullptr;
}

void release(OutputFile* out)
{
    free(out->path);
    free(out->tempPath);
    free(out->target);
    clear(out);
}

}  // namespace

int openOutputFile(OutputFile* out, const char* path, bool binary)
{
    if (!out) return -1;
    clear(out);
    if (!path || path[0] == '\0') return -1;

    // A pipe or a device (/dev/null, a shell's process substitution) cannot be replaced by a
    // rename, nor would it keep a previous content: the package is written into it directly.
    struct stat named;
    if (stat(path, &named) == 0 && !S_ISREG(named.st_mode) && !S_ISDIR(named.st_mode)) {
        char* given = copyText(path);
        FILE* stream = given ? fopen(path, binary ? "wb" : "w") : nullptr;
        if (!stream) {
            free(given);
            return -1;
        }
        out->stream = stream;
        out->path = given;
        return 0;
    }

    char* target = resolveTarget(path);
    if (!target) return -1;

    // The final name must be writable as a file, as if it were opened for writing now: an
    // existing folder or read-only file is refused, and so is a name that cannot exist (too
    // long, or under something that is not a folder) although its temporary file could.
    struct stat info;
    if (stat(target, &info) == 0) {
        if (S_ISDIR(info.st_mode) || access(target, W_OK) != 0) {
            free(target);
            return -1;
        }
    } else if (errno != ENOENT) {
        free(target);
        return -1;
    }

    // The temporary file lives beside the target, so the final rename stays on one file system.
    const char* slash = strrchr(target, '/');
    size_t folderLength = slash ? static_cast<size_t>(slash - target) + 1 : 0;
    const char* base = target + folderLength;
    // Hidden, named after the output (shortened, so a long name still fits the folder's limit).
    static const char kPattern[] = ".bscomp-XXXXXX";
    const int baseShown = static_cast<int>(strnlen(base, 64));
    size_t tempLength = folderLength + 1 + static_cast<size_t>(baseShown) + sizeof kPattern;
    char* temp = static_cast<char*>(malloc(tempLength));
    char* given = copyText(path);
    if (!temp || !given) {
        free(target);
        free(temp);
        free(given);
        return -1;
    }
    snprintf(temp, tempLength, "%.*s.%.*s%s", static_cast<int>(folderLength), target, baseShown, base,
             kPattern);

    int fd = mkstemp(temp);
    if (fd < 0) {
        free(target);
        free(temp);
        free(given);
        return -1;
    }
    fchmod(fd, targetMode(target));
    FILE* stream = fdopen(fd, binary ? "wb" : "w");
    if (!stream) {
        close(fd);
        unlink(temp);
        free(target);
        free(temp);
        free(given);
        return -1;
    }
    out->stream = stream;
    out->path = given;
    out->tempPath = temp;
    out->target = target;
    return 0;
}

int commitOutputFile(OutputFile* out)
{
    if (!out || !out->stream) return -1;
    // No fsync: like other compilers we rely on the rename for atomicity. A sync per file made a
    // script of thousands of sound effects take a minute of disk waits for 0.4 s of work.
    bool ok = fflush(out->stream) == 0 && !ferror(out->stream);
    if (fclose(out->stream) != 0) ok = false;
    out->stream = nullptr;
    if (ok && out->tempPath && rename(out->tempPath, out->target) != 0) ok = false;
    if (!ok) {
        printMessage(stderr, kFormatSubject, kCouldntWriteOutput, out->path);
        if (out->tempPath) unlink(out->tempPath);
    }
    release(out);
    return ok ? 0 : -1;
}

void discardOutputFile(OutputFile* out)
{
    if (!out) return;
    if (out->stream) fclose(out->stream);
    if (out->tempPath) unlink(out->tempPath);
    release(out);
}

int noteInputFile(FILE* file)
{
    if (gInputs.add(file)) return 0;
    printMessage(stderr, kFormatMessage, kOutOfMemory);
    return -1;
}

int noteInputName(const char* path)
{
    if (gInputs.add(path)) return 0;
    printMessage(stderr, kFormatMessage, kOutOfMemory);
    return -1;
}

bool replacesInputFile(const char* path)
{
    return gInputs.contains(path);
}

void releaseInputFiles()
{
    gInputs.clear();
}

int writePackageImage(FILE* stream, const char* name, const void* image, size_t size,
                      const char* failure)
{
    // Every input of the run has been opened or named by now.
    if (replacesInputFile(name)) {
        printMessage(stderr, kFormatSubject, kOutputIsSource, name);
        return -1;
    }
    if (fwrite(image, 1, size, stream) != size || fflush(stream) != 0) {
        printMessage(stderr, kFormatSubject, failure, name);
        return -1;
    }
    return 0;
}
