// Reading text sources: the line reader, comment cutting and the tokenizer that every
// stage (sample descriptor, macro scripts, music scripts) uses.
#pragma once

#include <cstddef>
#include <cstdio>

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
