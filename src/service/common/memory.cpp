#include "service/common/memory.h"

#include <malloc.h>

namespace ocrgated {

void LimitMallocArenas(int workers) {
    mallopt(M_ARENA_MAX, workers + 2);
}

void KeepNetworkBuffersInHeap() {
    mallopt(M_MMAP_THRESHOLD, 512 << 20);
}

void ReturnFreeMemory() {
    malloc_trim(0);
}

}  // namespace ocrgated
