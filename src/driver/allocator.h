#pragma once
// Allocator settings for the search's pattern of memory use.

namespace varrowmere {

// Bytes below which blocks come from the heap instead of their own mapping, and the free top
// of a heap that is kept instead of being given back to the system.
inline constexpr int ALLOCATOR_MMAP_THRESHOLD = 32 << 20;  // the largest glibc accepts
inline constexpr int ALLOCATOR_TRIM_THRESHOLD = 512 << 20;

// A search makes a new collision world (over 100 kB, most of it Box2D's stack allocator) for
// every contact of several stones at once, hundreds of times per decision. With the default
// settings blocks of that size get a mapping of their own, which goes back to the system when
// freed and is faulted in again next time; keeping them in the heap avoids that. Call once,
// before any thread starts.
void tuneAllocator();

}  // namespace varrowmere
