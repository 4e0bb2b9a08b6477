#pragma once
// The player's only contacts with the operating system: standard input and output, messages
// for a person, the motion tables' memory and the allocator's settings. os_posix.cpp and
// os_win32.cpp implement them; a build compiles the one for its system, and no other file
// under src/ includes an operating-system header. The layers below (tables, physics) include
// this header too: it is the one header they may take from here.

#include <cstddef>

namespace varrowmere {

// Bytes below which glibc serves blocks from the heap instead of their own mapping, and the
// free top of a heap that it keeps instead of giving it back to the system.
inline constexpr int ALLOCATOR_MMAP_THRESHOLD = 32 << 20;  // the largest glibc accepts
inline constexpr int ALLOCATOR_TRIM_THRESHOLD = 512 << 20;

// Reads at most size bytes of standard input into buffer; returns how many, 0 at the end of
// the input or on a read error. A pipe left non-blocking is waited on, not taken for an end.
std::size_t readStandardInput(char* buffer, std::size_t size);

// Writes all of data to standard output, retrying short writes and waiting on a full
// non-blocking pipe; gives up quietly when the reader is gone.
void writeStandardOutput(const char* data, std::size_t size);

// Shows text (UTF-8) to a person under caption (UTF-8). POSIX: one line "caption: text" on
// standard error, in one piece, returning at once. Windows: a message box, the texts in
// UTF-16 so that the Japanese shows on any locale; it returns when it is closed.
void showSystemMessage(const char* text, const char* caption);

// A block of bytes (a multiple of alignment) aligned to alignment, with huge pages asked for
// where the system has them; nullptr when there is no memory. Freed by freeTableMemory.
void* allocateTableMemory(std::size_t bytes, std::size_t alignment);
void freeTableMemory(void* block);

// A search makes a new collision world (over 100 kB, most of it Box2D's stack allocator) for
// every contact of several stones at once, hundreds of times per decision. With glibc's
// default settings blocks of that size get a mapping of their own, which goes back to the
// system when freed and is faulted in again next time; keeping them in the heap avoids that.
// Call once, before any thread starts. Nothing to do on Windows.
void tuneAllocator();

// A server that has gone away must not kill the player mid-write (POSIX's SIGPIPE); the next
// read then sees the end of the input.
void ignoreBrokenPipe();

}  // namespace varrowmere
