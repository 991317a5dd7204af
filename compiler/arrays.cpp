#include "compiler/arrays.h"

#include <cstdio>
#include <cstdlib>

#include "compiler/messages.h"

int growArray(void** array, uint32_t* capacity, uint32_t needed, size_t elementSize)
{
    if (!array || !capacity) {
        printMessage(stderr, kFormatMessage, kUnexpectedNull);
        return -1;
    }
    if (*capacity >= needed) return 0;

    uint64_t doubled = static_cast<uint64_t>(*capacity) * 2;
    uint64_t wanted = doubled > needed ? doubled : needed;
    if (wanted > UINT32_MAX) wanted = UINT32_MAX;
    if (elementSize == 0) elementSize = 1;
    if (wanted > SIZE_MAX / elementSize) {
        printMessage(stderr, kFormatMessage, kOutOfMemory);
        return -1;
    }
    void* grown = realloc(*array, static_cast<size_t>(wanted) * elementSize);
    if (!grown) {
        printMessage(stderr, kFormatMessage, kOutOfMemory);
        return -1;
    }
    *array = grown;
    *capacity = static_cast<uint32_t>(wanted);
    return 0;
}
