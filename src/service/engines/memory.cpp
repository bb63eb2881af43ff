#include "service/engines/memory.h"

#include <malloc.h>

namespace ocrgated {

void LimitMallocArenas(int workers) {
    mallopt(M_ARENA_MAX, workers + 2);
    // A fixed threshold also stops glibc from raising it after the first large
    // free, which would keep later pictures' buffers on the heap.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
}

void ReturnFreeMemory() {
    malloc_trim(0);
}

}  // namespace ocrgated
