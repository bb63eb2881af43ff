#pragma once
// Keeps the process near its idle size after large pictures: glibc gives each
// thread that allocates its own arena and keeps freed memory in them, so a
// burst of large pictures would otherwise stay resident for good.

namespace ocrgated {

// Caps the arenas at a few more than the recognition workers.
void LimitMallocArenas(int workers);

// Hands memory that is free in every arena back to the system; the service calls
// it after each recognition, so buffers kept on the heap for reuse within one
// picture do not outlive it.
void ReturnFreeMemory();

}  // namespace ocrgated
