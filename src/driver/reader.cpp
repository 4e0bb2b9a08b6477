#include "driver/reader.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "driver/protocol.h"

namespace varrowmere {

void LineAssembler::finishLine(const Handler& handle) {
  if (length_m > 0 && !overlong_m) {
    pending_m[length_m] = '\0';
    handle(pending_m);
  }
  length_m = 0;
  overlong_m = false;
}

void LineAssembler::feed(const char* data, std::size_t size, bool filledBlock,
                         const Handler& handle) {
  for (std::size_t i = 0; i < size; ++i) {
    const char c = data[i];
    if (c == '\r' || c == '\n') {
      finishLine(handle);
    } else if (length_m < MAX_LINE_LENGTH) {
      pending_m[length_m++] = c;
    } else {
      overlong_m = true;
    }
  }
  if (!filledBlock) finishLine(handle);
}

namespace {

// A server may hand us pipes in non-blocking mode; then a read or write that would block
// fails with EAGAIN and we wait here for the pipe instead of giving up.
bool wouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK; }

void waitForPipe(int fd, short events) {
  pollfd entry{fd, events, 0};
  while (::poll(&entry, 1, -1) < 0 && errno == EINTR) {
  }
}

}  // namespace

void writeAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      if (wouldBlock(errno)) {
        waitForPipe(fd, POLLOUT);
        continue;
      }
      return;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
}

void readerThread() {
  LineAssembler assembler;
  CommandReply reply;
  const auto handle = [&reply](char* line) {
    dispatchCommand(line, reply);
    if (reply.length > 0) writeAll(STDOUT_FILENO, reply.text, reply.length);
  };
  char block[READ_BLOCK_SIZE];
  for (;;) {
    const ssize_t count = ::read(STDIN_FILENO, block, sizeof(block));
    if (count < 0 && errno == EINTR) continue;
    if (count < 0 && wouldBlock(errno)) {
      waitForPipe(STDIN_FILENO, POLLIN);
      continue;
    }
    if (count <= 0) {
      // End of input: a last line that was waiting for its continuation is still a command.
      assembler.feed(block, 0, false, handle);
      return;
    }
    const auto size = static_cast<std::size_t>(count);
    assembler.feed(block, size, size == sizeof(block), handle);
  }
}

}  // namespace varrowmere
