// Reading text sources: the line reader, comment cutting and the tokenizer that every
// stage (sample descriptor, macro scripts, music scripts) uses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

// One line part of up to 2047 characters plus its terminating zero.
constexpr size_t kLineBufferSize = 2048;

// Token separators of the sample descriptor file: every one separates tokens alike.
extern const char* const kDescriptorDelimiters;  // ":{}()[], \t\n"
// Token separators of macro scripts and music scripts.
extern const char* const kScriptDelimiters;  // " ,\t\n"

// Reads the next line part into buffer (kLineBufferSize bytes): at most 2047 characters, or
// through the line feed, whichever comes first, so a longer line arrives as several parts.
// A carriage return that precedes a line feed is dropped, so CR LF sources read exactly like
// LF sources. NUL bytes are ignored. Returns false at end of file (or on a read error, which
// the caller can tell with ferror).
bool readSourceLine(FILE* file, char* buffer);

// After the last line: a read error ends a source like its end would, and must not pass for a
// complete source. 0, or -1 after "ERROR- Can't read source file : " and the name.
int checkSourceRead(FILE* file, const char* name);

// Rewrites buffer in place: each run of characters from `set` becomes one `replacement`
// character, and a replacement left at the very end is removed. With the set ";" and the
// replacement zero this cuts a line at its comment. 0, or -1 after "ERROR- Unexpected NULL.".
int collapseDelimiters(char* buffer, const char* set, char replacement);

// strtok-like tokenizer with explicit state: call first with the buffer, then with nullptr
// to continue on the same buffer. Returns the next token, or nullptr when there is none.
char* nextToken(char* buffer, const char* delimiters, char** state);

// Where a stage is in the source it reads: the file, the line and the tokenizer's place on it.
// Messages about a line name the file and the line ("file,line").
struct SourcePosition {
    const char* fileName;
    uint32_t lineNumber;
    const char* delimiters;  // kDescriptorDelimiters or kScriptDelimiters
    char* tokenState;

    // Cuts the comment off `line` and returns its first token; nullptr for an empty line.
    char* firstToken(char* line);
    // The line's next token; nullptr at its end.
    const char* nextOperand();
    // "message file,line" and "message subject in : file,line", to standard error.
    void printAtLine(const char* message) const;
    void printSubjectAtLine(const char* message, const char* subject) const;
    // Every line holds one item: a token after it is an error. 0, or -1 after
    // "ERROR- Garbage at end of line in : ".
    int checkEndOfLine();
};

// The entry of a command table (a struct with `longKeyword` and `shortKeyword`) whose long or
// short keyword is `token`; nullptr when none is.
template <typename Command, size_t N>
const Command* findCommand(const Command (&table)[N], const char* token)
{
    for (const Command& command : table)
        if (std::strcmp(token, command.longKeyword) == 0 || std::strcmp(token, command.shortKeyword) == 0)
            return &command;
    return nullptr;
}
