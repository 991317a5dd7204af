// Music scripts ("-mus"): one script per channel, each a list of labelled
// blocks. Every block's code goes into one code stream common to all the
// scripts of a run; the linker (linker.h) patches the calls between blocks and
// writes the music track.
#pragma once

#include <cstdint>
#include <cstdio>

#include "compiler/macro_code.h"

// A closed block: its code is the stream from startPosition, codeLength long.
struct MusicBlock {
    char* label;
    uint32_t startPosition;
    uint32_t codeLength;
};

// One per channel script, in command-line order.
struct TrackEntry {
    bool hasMain;
    int32_t priority;        // of the main block, -128..127; 0 without one
    uint32_t startPosition;  // stream position of the main block
};

// A "call" whose 4-byte operand the linker fills in.
struct BlockReference {
    char* label;
    uint32_t position;  // stream position of the operand
    uint32_t script;    // index into musicScriptNames()
    uint32_t lineNumber;
};

// Parses one channel script, appending its blocks to the stream. Prints
// "Parsing music script file : " first. 0, or -1 after the first error.
int parseMusicScript(FILE* file, const char* fileName);

// Emits the note named by `token` and its duration (the line's next token).
// 0, 1 for a syntax error, -1 after any other error.
int compileNote(const char* token);

// Records a call to `label` whose operand starts at the current position.
int addBlockReference(const char* label);

// First closed block labelled exactly `label`, across all scripts so far.
// 0 when found, -1 otherwise.
int findBlock(const char* label, uint32_t* index, MusicBlock** record);

// What the linker reads.
const CodeBuffer* musicCodeStream();  // codePosition is its length
uint32_t blockCount();
const MusicBlock* blockList();
uint32_t trackCount();
const TrackEntry* trackList();
uint32_t referenceCount();
const BlockReference* referenceList();
const char* musicScriptName(uint32_t script);

// Frees everything the music stage holds. Safe to call when nothing was
// parsed.
void releaseMusic();
