// Music track linker.
// Declarations only, until the music stage lands; see pending_stages.cpp.
#pragma once

#include <cstdio>

int linkMusicTrack(FILE* out, const char* outName);
