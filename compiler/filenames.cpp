#include "compiler/filenames.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "compiler/messages.h"

int deriveFileName(const char* path, char** result, const char* suffix, const char* separators)
{
    if (!path || !result || !suffix) {
        printMessage(stderr, kFormatMessage, kUnexpectedNull);
        return -1;
    }
    size_t length = strlen(path);
    if (length == 0) return -1;
    if (!separators) separators = "";

    size_t keep = length;
    for (size_t i = length - 1; i >= 1; --i) {
        if (path[i] == '.') {
            keep = i;
            break;
        }
        if (strchr(separators, path[i])) break;
    }

    size_t suffixLength = strlen(suffix);
    char* name = static_cast<char*>(malloc(keep + suffixLength + 1));
    if (!name) {
        printMessage(stderr, kFormatMessage, kOutOfMemory);
        return -1;
    }
    memcpy(name, path, keep);
    memcpy(name + keep, suffix, suffixLength + 1);
    *result = name;
    return 0;
}
