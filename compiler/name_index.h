// A hash index from names to table positions, so that looking up labels and file names stays
// fast however many definitions a source holds. The index does not copy its keys: they must
// stay alive (and unchanged) while the index is used.
#pragma once

#include <cstdint>

struct NameIndex {
    struct Slot {
        const char* key;  // nullptr: empty slot
        uint32_t value;
    };
    Slot* slots;
    uint32_t capacity;  // a power of two, or 0
    uint32_t count;
};

// Finds the value stored with `key`. True on a match.
bool findName(const NameIndex* index, const char* key, uint32_t* value);

// Stores `value` under `key`, unless the key is there already (the first value stays).
// 0, or -1 after "ERROR- Out of memory".
int addName(NameIndex* index, const char* key, uint32_t value);

// Releases the slots; the index is empty again.
void freeNameIndex(NameIndex* index);

// Looks `key` up in the index of the table `records`, storing the record's position and address
// where asked. 0 on a match, -1 when there is none (or no table).
template <typename Record>
int findRecord(const NameIndex* index, Record* records, const char* key, uint32_t* position, Record** record)
{
    uint32_t found = 0;
    if (!records || !findName(index, key, &found)) return -1;
    if (position) *position = found;
    if (record) *record = &records[found];
    return 0;
}
