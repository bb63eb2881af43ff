#include "service/common/memory.h"

#include <malloc.h>

// A sanitizer replaces the allocator: glibc's heap tuning then works on a heap nobody uses,
// and malloc_trim walks arenas the sanitizer's threads may be changing.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define QUILLORY_SANITIZED_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || \
    __has_feature(memory_sanitizer)
#define QUILLORY_SANITIZED_HEAP 1
#endif
#endif

namespace ocrgated {
namespace {

#ifdef QUILLORY_SANITIZED_HEAP
constexpr bool kGlibcHeap = false;
#else
constexpr bool kGlibcHeap = true;
#endif

}  // namespace

void LimitMallocArenas(int workers) {
    if (kGlibcHeap)
        mallopt(M_ARENA_MAX, workers + 2);
}

void KeepNetworkBuffersInHeap() {
    if (kGlibcHeap)
        mallopt(M_MMAP_THRESHOLD, 512 << 20);
}

void ReturnFreeMemory() {
    if (kGlibcHeap)
        malloc_trim(0);
}

}  // namespace ocrgated
