// Sorted index. `capacity` counts 4 bytes a slot, as the stored sizes and messages always have;
// the real storage holds capacity / 4 pointers of whatever size a pointer has here.
#include "foundation/index.h"

#include "core/log.h"
#include "foundation/mem.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int32_t INDEX_SLOT_BYTES = 4;
constexpr int32_t PTR_BYTES = static_cast<int32_t>(sizeof(void*));

int32_t Slots(const Index* index) {
    return index->capacity / INDEX_SLOT_BYTES;
}

// MemGrow over the real storage, keeping the 4-bytes-a-slot capacity in step.
void IndexGrow(Index* index) {
    int32_t realBytes = Slots(index) * PTR_BYTES;
    index->items = static_cast<void**>(MemGrow(index->items, PTR_BYTES, index->count, realBytes));
    index->capacity = realBytes / PTR_BYTES * INDEX_SLOT_BYTES;
}

void IndexEnsureStorage(Index* index) {
    if (index->capacity < INDEX_SLOT_BYTES) index->capacity = INDEX_SLOT_BYTES;
    if (!index->items) IndexGrow(index);
}

void IndexInsertOrdered(Index* index, void* item, IndexCompare compare, bool grow) {
    if (grow) IndexEnsureStorage(index);
    int32_t oldCount = index->count;
    if (oldCount == 0 || compare(index, item, index->items[oldCount - 1]) > 0) {
        index->count++;
        if (grow) IndexGrow(index);
        index->items[oldCount] = item;
        return;
    }
    index->count++;
    if (grow) IndexGrow(index);

    int32_t lo = 0, hi = oldCount - 1;
    int32_t mid = (lo + hi) / 2;
    while (lo < hi) {
        int r = compare(index, item, index->items[mid]);
        if (r == 0) {
            if (!(index->flags & INDEX_ALLOW_DUPLICATES)) {
                char message[200];
                std::snprintf(message, sizeof(message), "Duplicate index on IndexInsert:%s\n",
                              index->name);
                Log(LOG_ERROR, "%s", message);
            }
            break;
        }
        if (r > 0)
            lo = mid + 1;
        else
            hi = mid - 1;
        mid = (lo + hi) / 2;
    }
    if (mid < 0) mid = 0;
    int32_t pos = compare(index, item, index->items[mid]) > 0 ? mid + 1 : mid;
    std::memmove(&index->items[pos + 1], &index->items[pos],
                 static_cast<size_t>(oldCount - pos) * sizeof(void*));
    index->items[pos] = item;
}

} // namespace

void IndexCreate(Index* index, int32_t capacityBytes, const char* name, uint32_t flags) {
    std::snprintf(index->name, sizeof(index->name), "%s", name ? name : "");
    index->items = nullptr;
    index->count = 0;
    index->capacity = capacityBytes;
    index->flags = flags;
}

void IndexFree(Index* index) {
    if (index->items) {
        MemFree(index->items, static_cast<size_t>(Slots(index)) * sizeof(void*));
        index->items = nullptr;
    }
    index->count = 0;
}

void IndexResize(Index* index, int32_t n) {
    IndexEnsureStorage(index);
    int32_t before;
    do {
        before = index->capacity;
        int32_t realBytes = Slots(index) * PTR_BYTES;
        index->items = static_cast<void**>(MemGrow(index->items, PTR_BYTES, n, realBytes));
        index->capacity = realBytes / PTR_BYTES * INDEX_SLOT_BYTES;
    } while (index->capacity != before);
}

void IndexAdd(Index* index, void* item) {
    IndexEnsureStorage(index);
    index->count++;
    IndexGrow(index);
    index->items[index->count - 1] = item;
}

void IndexInsert(Index* index, void* item, IndexCompare compare) {
    IndexInsertOrdered(index, item, compare, true);
}

void IndexInsertFixed(Index* index, void* item, IndexCompare compare) {
    IndexInsertOrdered(index, item, compare, false);
}

void IndexDelete(Index* index, void* item, IndexCompare compare) {
    int32_t p = 0;
    while (p < index->count && index->items[p] != item)
        ++p;
    if (p >= index->count) {
        char message[200];
        std::snprintf(message, sizeof(message), "IndexDelete: %s: Thing not found\n", index->name);
        Log(LOG_ERROR, "%s", message);
        return;
    }
    int32_t last = index->count - 1;
    if (p != last) {
        index->items[p] = index->items[last];
        if (compare) {
            while (p < last - 1 && compare(index, index->items[p], index->items[p + 1]) > 0) {
                void* t = index->items[p];
                index->items[p] = index->items[p + 1];
                index->items[p + 1] = t;
                ++p;
            }
        }
    }
    index->count--;
}

void* IndexFind(const Index* index, const void* key, IndexCompare compare) {
    if (!index || !index->items || index->count == 0) return nullptr;
    if (!compare) {
        for (int32_t i = 0; i < index->count; ++i)
            if (index->items[i] == key) return const_cast<void*>(key);
        return nullptr;
    }
    int32_t lo = 0, hi = index->count - 1, mid = 0;
    while (hi >= lo) {
        mid = (lo + hi) / 2;
        int r = compare(index, key, index->items[mid]);
        if (r == 0) break;
        if (r < 0)
            hi = mid - 1;
        else
            lo = mid + 1;
    }
    void* found = index->items[mid];
    if (!found || compare(index, key, found) != 0) return nullptr;
    return found;
}

void IndexClear(Index* index) {
    if (index) index->count = 0;
}
