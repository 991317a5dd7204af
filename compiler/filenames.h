// Output file names derived from source file names.
#pragma once

// Separators of a script path, on every system the scripts come from: the priority header and
// the sound effect files of "-sfx" go beside the script.
inline constexpr char kScriptPathSeparators[] = "\\/>";

// Builds, in a new malloc'd block stored in *result, the path without its extension followed
// by `suffix`. The extension starts at the last "." that comes after the last separator (any
// character of `separators`) and is not the path's first character:
//   sfx\scripts.txt -> sfx\scripts.h, dir.d/effects -> dir.d/effects.h, .txt -> .txt.h
// 0, or -1: an empty path fails silently; a missing path, result or suffix prints
// "ERROR- Unexpected NULL."; a failed allocation prints "ERROR- Out of memory".
int deriveFileName(const char* path, char** result, const char* suffix, const char* separators);
