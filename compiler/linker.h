// The block linker: resolves every "call" across all channel scripts and
// writes the music track ("BMUS").
#pragma once

#include <cstdint>
#include <cstdio>

// Writes the track into `out` (opened by the driver). 0, or -1 after its
// message; nothing is written when a call cannot be resolved.
int linkMusicTrack(FILE* out, const char* outName);

// The linked track image in a new malloc'd block. 0, or -1 after its message.
int buildMusicTrack(uint8_t** image, uint32_t* size);
