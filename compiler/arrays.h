// Growable arrays of trivially copyable records: a block, a capacity in elements and a count
// that the user keeps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

// Makes room for `needed` elements. When the capacity is short it becomes the larger of twice
// the old capacity and `needed`, keeping the contents. 0, or -1 after "ERROR- Out of memory"
// (the block and capacity stay as they were) or "ERROR- Unexpected NULL.".
int growArray(void** array, uint32_t* capacity, uint32_t needed, size_t elementSize);

template <typename T>
int growArray(T** array, uint32_t* capacity, uint32_t needed)
{
    static_assert(std::is_trivially_copyable_v<T>, "growArray moves records with realloc");
    if (!array) return growArray(static_cast<void**>(nullptr), capacity, needed, sizeof(T));
    void* block = *array;
    int result = growArray(&block, capacity, needed, sizeof(T));
    *array = static_cast<T*>(block);
    return result;
}
