// The packages built from a macro script: the instrument pack ("-ins") and one
// sound-effect file per effect plus the priority definitions header ("-sfx").
#pragma once

#include <cstdint>
#include <cstdio>

// Writes every instrument into `out` (opened by the driver) as a "BINS"
// package. 0, or -1 after its message.
int writeInstrumentPack(FILE* out, const char* outName);

// Writes <label>.sfx for every sound effect beside the script, then the
// priority header named after the script with ".h". 0, or -1 after its
// message. Every file is written complete or not at all.
int writeSoundEffects();

// The name of a sound effect's file: <folder of the script><label>.sfx, in a
// new malloc'd block (nullptr when out of memory). A script at the root of the
// file system keeps its effects at the root.
char* effectFileName(const char* scriptPath, const char* label);

// The package images themselves, in a new malloc'd block. 0, or -1 after
// "Out of memory".
int buildInstrumentPack(uint8_t** image, uint32_t* size);
int buildSoundEffect(uint32_t macroIndex, uint8_t** image, uint32_t* size);
