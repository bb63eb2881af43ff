#pragma once
// Keeps a recognising process near its idle size, and its network buffers warm. The
// first two are process-wide settings: a program's main() makes them once, before any
// worker starts.

namespace ocrgated {

// glibc gives each allocating thread an arena of its own and keeps freed memory there,
// so a burst of large pictures would stay resident: the arenas are capped at a few more
// than the recognition workers.
void LimitMallocArenas(int workers);

// Every new input size makes the networks free buffers of tens of MiB and allocate new
// ones; served from fresh mappings, each costs its page faults again (some 50 ms a
// picture for the detector), while kept in the heap they are reused.
void KeepNetworkBuffersInHeap();

// Hands memory that is free in every arena back to the system; the service calls it
// after each recognition, so buffers kept on the heap for reuse within one picture do
// not outlive it.
void ReturnFreeMemory();

}  // namespace ocrgated
