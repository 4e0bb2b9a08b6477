#include <malloc.h>
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>

#include "platform/os.h"

namespace varrowmere {

namespace {

// A server may hand us pipes in non-blocking mode; then a read or write that would block
// fails with EAGAIN and we wait here for the pipe instead of giving up.
bool wouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK; }

void waitForPipe(int fd, short events) {
  pollfd entry{fd, events, 0};
  while (::poll(&entry, 1, -1) < 0 && errno == EINTR) {
  }
}

// Writes all of data to fd; a full non-blocking pipe is waited on only when asked to.
void writeAll(int fd, const char* data, std::size_t size, bool waitWhenFull) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      if (waitWhenFull && wouldBlock(errno)) {
        waitForPipe(fd, POLLOUT);
        continue;
      }
      return;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
}

}  // namespace

std::size_t readStandardInput(char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t count = ::read(STDIN_FILENO, buffer, size);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0 && wouldBlock(errno)) {
      waitForPipe(STDIN_FILENO, POLLIN);
      continue;
    }
    return count > 0 ? static_cast<std::size_t>(count) : 0;
  }
}

void writeStandardOutput(const char* data, std::size_t size) {
  writeAll(STDOUT_FILENO, data, size, true);
}

void showSystemMessage(const char* text, const char* caption) {
  const std::string line = std::string(caption) + ": " + text + "\n";
  writeAll(STDERR_FILENO, line.data(), line.size(), false);
}

void* allocateTableMemory(std::size_t bytes, std::size_t alignment) {
  void* block = std::aligned_alloc(alignment, bytes);
  if (block != nullptr) ::madvise(block, bytes, MADV_HUGEPAGE);
  return block;
}

void freeTableMemory(void* block) { std::free(block); }

void tuneAllocator() {
  mallopt(M_MMAP_THRESHOLD, ALLOCATOR_MMAP_THRESHOLD);
  mallopt(M_TRIM_THRESHOLD, ALLOCATOR_TRIM_THRESHOLD);
}

void ignoreBrokenPipe() { std::signal(SIGPIPE, SIG_IGN); }

}  // namespace varrowmere
