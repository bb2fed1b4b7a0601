// How the program's memory goes back to the system.
#pragma once

namespace kestrum {

// Has the allocator map every block of 128 KiB or more on its own, so that freeing one
// gives its pages back at once. By default glibc raises that bound each time such a
// block is freed; the grown vectors of large area and link sets then stay in the heaps
// of the threads that made them, and the peak memory of a run grows by what later
// steps allocate beside them. Elsewhere it does nothing.
void MapLargeBlocksApart();

// Returns the free memory the allocator still holds (in every thread's heap) to the
// system, where the C library offers a way; called once a large working set is gone.
void ReturnFreedMemory();

}  // namespace kestrum
