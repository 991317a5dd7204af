#include "compiler/name_index.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "compiler/messages.h"

namespace {

uint64_t hashName(const char* key)
{
    uint64_t hash = UINT64_C(1469598103934665603);  // FNV-1a
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(key); *p; ++p) {
        hash ^= *p;
        hash *= UINT64_C(1099511628211);
    }
    return hash;
}

uint32_t slotOf(const NameIndex::Slot* slots, uint32_t capacity, const char* key)
{
    uint32_t mask = capacity - 1;
    uint32_t i = static_cast<uint32_t>(hashName(key)) & mask;
    while (slots[i].key && strcmp(slots[i].key, key) != 0) i = (i + 1) & mask;
    return i;
}

int rehash(NameIndex* index, uint32_t capacity)
{
    auto* slots = static_cast<NameIndex::Slot*>(calloc(capacity, sizeof(NameIndex::Slot)));
    if (!slots) {
        printMessage(stderr, kFormatMessage, kOutOfMemory);
        return -1;
    }
    for (uint32_t i = 0; i < index->capacity; ++i) {
        if (index->slots[i].key) slots[slotOf(slots, capacity, index->slots[i].key)] = index->slots[i];
    }
    free(index->slots);
    index->slots = slots;
    index->capacity = capacity;
    return 0;
}

}  // namespace

bool findName(const NameIndex* index, const char* key, uint32_t* value)
{
    if (!index || !key || index->capacity == 0) return false;
    const NameIndex::Slot& slot = index->slots[slotOf(index->slots, index->capacity, key)];
    if (!slot.key) return false;
    if (value) *value = slot.value;
    return true;
}

int addName(NameIndex* index, const char* key, uint32_t value)
{
    if (!index || !key) {
        printMessage(stderr, kFormatMessage, kUnexpectedNull);
        return -1;
    }
    // Keep the table at most half full.
    if (static_cast<uint64_t>(index->count + 1) * 2 > index->capacity) {
        if (index->capacity >= (UINT32_C(1) << 31)) {
            printMessage(stderr, kFormatMessage, kOutOfMemory);
            return -1;
        }
        if (rehash(index, index->capacity ? index->capacity * 2 : 64) != 0) return -1;
    }
    NameIndex::Slot& slot = index->slots[slotOf(index->slots, index->capacity, key)];
    if (slot.key) return 0;
    slot.key = key;
    slot.value = value;
    ++index->count;
    return 0;
}

void freeNameIndex(NameIndex* index)
{
    if (!index) return;
    free(index->slots);
    index->slots = nullptr;
    index->capacity = 0;
    index->count = 0;
}
