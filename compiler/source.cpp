#include "compiler/source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "compiler/messages.h"

const char* const kDescriptorDelimiters = ":{}()[], \t\n";
const char* const kScriptDelimiters = " ,\t\n";

FILE* openInputFile(const char* name, bool allowPipe, bool binary)
{
    if (!name) return nullptr;
    int fd = open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info;
    bool accepted = fstat(fd, &info) == 0 && (S_ISREG(info.st_mode) || (allowPipe && S_ISFIFO(info.st_mode)));
    // Reads wait for data again from here on.
    int flags = accepted ? fcntl(fd, F_GETFL) : -1;
    if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        close(fd);
        return nullptr;
    }
    FILE* file = fdopen(fd, binary ? "rb" : "r");
    if (!file) close(fd);
    return file;
}

bool readSourceLine(FILE* file, char* buffer)
{
    if (!file || !buffer) return false;
    // One lock for the whole part instead of one per character: the locking getc took a
    // quarter of the compile time. (The lock is recursive, so ungetc may take it again.)
    flockfile(file);
    size_t length = 0;
    bool any = false;
    while (length < kLineBufferSize - 1) {
        int c = getc_unlocked(file);
        if (c == EOF) break;
        any = true;
        if (c == '\0') continue;  // never part of a text line; skipping keeps the C string whole
        if (c == '\r') {
            // A CR LF pair is one line feed, even across the 2047-character boundary, and even
            // with NUL bytes between the two (ignored like everywhere else).
            int next;
            do {
                next = getc_unlocked(file);
            } while (next == '\0');
            if (next == '\n') {
                c = '\n';
            } else if (next != EOF) {
                ungetc(next, file);
            }
        }
        buffer[length++] = static_cast<char>(c);
        if (c == '\n') break;
    }
    funlockfile(file);
    buffer[length] = '\0';
    return any;
}

int checkSourceRead(FILE* file, const char* name)
{
    if (!file || !ferror(file)) return 0;
    printMessage(stderr, kFormatSubject, kCantReadSourceFile, name ? name : "");
    return -1;
}

int collapseDelimiters(char* buffer, const char* set, char replacement)
{
    if (!buffer || !set) {
        printMessage(stderr, kFormatMessage, kUnexpectedNull);
        return -1;
    }
    size_t out = 0;
    bool inRun = false;
    for (size_t in = 0; buffer[in] != '\0'; ++in) {
        char c = buffer[in];
        if (strchr(set, c)) {
            if (!inRun) buffer[out++] = replacement;
            inRun = true;
        } else {
            buffer[out++] = c;
            inRun = false;
        }
    }
    buffer[out] = '\0';
    if (out > 0 && buffer[out - 1] == replacement) buffer[out - 1] = '\0';
    return 0;
}

char* nextToken(char* buffer, const char* delimiters, char** state)
{
    if (!state) return nullptr;
    char* s = buffer ? buffer : *state;
    if (!s) return nullptr;
    if (!delimiters) delimiters = "";
    s += strspn(s, delimiters);
    if (*s == '\0') {
        *state = s;
        return nullptr;
    }
    char* end = s + strcspn(s, delimiters);
    if (*end != '\0') {
        *end = '\0';
        *state = end + 1;
    } else {
        *state = end;
    }
    return s;
}
