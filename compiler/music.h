// Music scripts.
// Declarations only, until the music stage lands; see pending_stages.cpp.
#pragma once

#include <cstdio>

int parseMusicScript(FILE* file, const char* fileName);
void releaseMusic();
