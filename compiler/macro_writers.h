// Instrument pack and sound effect writers.
// Declarations only, until the macro stage lands; see pending_stages.cpp.
#pragma once

#include <cstdio>

int writeInstrumentPack(FILE* out, const char* outName);
int writeSoundEffects();
