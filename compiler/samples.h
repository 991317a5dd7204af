// The sample table: parsing the sample descriptor file ("-smp", "-sfx", "-ins") and building
// the sample pack ("-smp").
//
// A descriptor line defines one sample:
//   label  pcm-file  sample-rate  content-frequency  [start-offset  [end-offset]]
// with any of ":{}()[], \t" between tokens and ";" starting a comment. A sample's index is its
// position among the definitions, counting from 0, and is its entry in the sample pack.
#pragma once

#include <cstdint>
#include <cstdio>

// `end` of a definition that gave no end offset: above any offset a descriptor may give, and
// replaced by the PCM file's size when the pack is built.
constexpr uint32_t kEndNotGiven = 32769;

struct SampleDefinition {
    char* label;              // as written (owned)
    char* fileName;           // path of the PCM file, as written (owned)
    uint32_t start;           // first byte of the file to use; 0 when not given
    uint32_t end;             // byte after the last one to use; kEndNotGiven when not given
    uint32_t dataOffset;      // where the file's bytes start in the sample pack
    uint32_t fileSize;        // size of the PCM file in bytes
    uint8_t* data;            // the whole PCM file (owned; only by the definition that owns it)
    uint32_t owner;           // the definition whose data this one uses (itself if it owns it)
    int32_t shared;           // -1 when the data belongs to an earlier definition, else 0
    double sampleRate;        // Hz at which the PCM data was recorded
    double contentFrequency;  // Hz, pitch of the recorded content
};

// Builds the sample table from an open descriptor file. 0, or -1 after one message; the
// definitions read so far stay in the table until freeSamples.
int parseSampleDescriptor(FILE* file, const char* fileName);

// Loads the PCM files and writes the sample pack to `out` in one piece, then flushes it
// (the caller closes it). 0, or -1 after one message.
int writeSamplePack(FILE* out, const char* outName);

// Finds the first definition labelled exactly `label`; stores its index and record where
// asked. 0 on a match, -1 when there is none (or no table).
int findSample(const char* label, uint32_t* index, SampleDefinition** record);

// Number of definitions in the table.
uint32_t sampleCount();

// Releases every definition and the table; does nothing when there is none.
void freeSamples();
