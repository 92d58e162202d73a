// The engine's one container: a growable array of item pointers kept in ascending order by a
// comparator passed on each call. It never owns its items.
#pragma once

#include <cstdint>

constexpr uint32_t INDEX_ALLOW_DUPLICATES = 1u << 0;
constexpr int32_t INDEX_DEFAULT_CAPACITY = 1024; // bytes, 4 an item slot: 256 slots

struct Index;
// Negative when a sorts before b. For IndexFind, a is the search key and b an item.
using IndexCompare = int (*)(const Index* index, const void* a, const void* b);

struct Index {
    char name[128];
    void** items;
    int32_t count;
    int32_t capacity; // bytes of storage, 4 per item slot
    uint32_t flags;
};

void IndexCreate(Index* index, int32_t capacityBytes, const char* name, uint32_t flags);
void IndexFree(Index* index);
// Makes sure the storage holds at least n + 1 slots.
void IndexResize(Index* index, int32_t n);
void IndexAdd(Index* index, void* item);
void IndexInsert(Index* index, void* item, IndexCompare compare);
// Ordered insert without growth: the caller guarantees a free slot (pools reserve with
// IndexResize).
void IndexInsertFixed(Index* index, void* item, IndexCompare compare);
// Removes item by pointer identity; a null compare treats the index as an unordered bag.
void IndexDelete(Index* index, void* item, IndexCompare compare);
void* IndexFind(const Index* index, const void* key, IndexCompare compare);
void IndexClear(Index* index);
