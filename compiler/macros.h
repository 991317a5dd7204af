// Macro scripts (instruments and sound effects).
// Declarations only, until the macro stage lands; see pending_stages.cpp.
#pragma once

#include <cstdint>
#include <cstdio>

struct CompiledMacro;

int parseMacroScript(FILE* file, const char* fileName, bool soundEffectDialect, bool sampleLookupOff);
int findMacro(const char* label, uint32_t* index, CompiledMacro** record);
void releaseMacros();
