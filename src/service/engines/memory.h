#pragma once
// Keeps the process near its idle size after large pictures: glibc gives each
// thread that allocates its own arena and keeps freed memory in them, so a
// burst of large pictures would otherwise stay resident for good.

namespace ocrgated {

// Caps the arenas at a few more than the recognition workers, and serves large
// blocks from their own mappings, which go back to the system when freed.
void LimitMallocArenas(int workers);

// Hands memory that is free in every arena back to the system.
void ReturnFreeMemory();

}  // namespace ocrgated
