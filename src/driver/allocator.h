#pragma once
// Allocator settings for the search's pattern of memory use.

namespace varrowmere {

// Bytes below which blocks come from the heap instead of their own mapping, and the free top
// of a heap that is kept instead of being given back to the system.
inline constexpr int ALLOCATOR_MMAP_THRESHOLD = 32 << 20;  // the largest glibc accepts
inline constexpr int ALLOCATOR_TRIM_THRESHOLD = 512 << 20;

// Every search node copies its cell templates (about 0.7 MB) and builds its physics worlds
// (about 1.6 MB), thousands of times per decision, on short-lived worker threads. With the
// default settings that memory goes back to the system and is faulted in again each time,
// which costs as much as the search itself; keeping it in the heap avoids that. Call once,
// before any thread starts.
void tuneAllocator();

}  // namespace varrowmere
