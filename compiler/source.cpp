#include "compiler/source.h"

#include <cstring>

#include "compiler/messages.h"

const char* const kDescriptorDelimiters = ":{}()[], \t\n";
const char* const kScriptDelimiters = " ,\t\n";

namespace {

// Reading a character without taking the stream's lock each time, under one lock for the part.
// clang-format off
#if defined(_WIN32)
void lockStream(FILE* file) { _lock_file(file); }
void unlockStream(FILE* file) { _unlock_file(file); }
int getUnlocked(FILE* file) { return _getc_nolock(file); }
#else
void lockStream(FILE* file) { flockfile(file); }
void unlockStream(FILE* file) { funlockfile(file); }
int getUnlocked(FILE* file) { return getc_unlocked(file); }
#endif
// clang-format on

}  // namespace

bool readSourceLine(FILE* file, char* buffer)
{
    if (!file || !buffer) return false;
    // One lock for the whole part instead of one per character: the locking getc took a
    // quarter of the compile time. (The lock is recursive, so ungetc may take it again.)
    lockStream(file);
    size_t length = 0;
    bool any = false;
    while (length < kLineBufferSize - 1) {
        int c = getUnlocked(file);
        if (c == EOF) break;
        any = true;
        if (c == '\0') continue;  // never part of a text line; skipping keeps the C string whole
        if (c == '\r') {
            // A CR LF pair is one line feed, even across the 2047-character boundary, and even
            // with NUL bytes between the two (ignored like everywhere else).
            int next;
            do {
                next = getUnlocked(file);
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
    unlockStream(file);
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

char* SourcePosition::firstToken(char* line)
{
    collapseDelimiters(line, ";", '\0');
    return nextToken(line, delimiters, &tokenState);
}

const char* SourcePosition::nextOperand()
{
    return nextToken(nullptr, delimiters, &tokenState);
}

void SourcePosition::printAtLine(const char* message) const
{
    printMessage(stderr, kFormatFileLine, message, fileName, lineNumber);
}

void SourcePosition::printSubjectAtLine(const char* message, const char* subject) const
{
    printMessage(stderr, kFormatSubjectFileLine, message, subject, fileName, lineNumber);
}

int SourcePosition::checkEndOfLine()
{
    if (!nextOperand()) return 0;
    printAtLine(kGarbageAtEndOfLine);
    return -1;
}
