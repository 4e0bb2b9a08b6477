#pragma once
// The reader thread: reads standard input in blocks, cuts them into command lines and
// hands each to the dispatcher in order.

#include <cstddef>
#include <functional>

namespace varrowmere {

// Bytes asked for per read of standard input.
inline constexpr std::size_t READ_BLOCK_SIZE = 1024;
// Longest command line kept (bytes, without its line end); a longer one is dropped whole.
inline constexpr std::size_t MAX_LINE_LENGTH = 1023;

// Cuts read blocks at every CR or LF. Every non-empty piece is a command. A trailing piece
// without a line end is a command as well, unless the read filled the whole block: then it
// waits to be joined with the next read, since the writer may have been cut mid-line.
class LineAssembler {
 public:
  using Handler = std::function<void(char* line)>;

  void feed(const char* data, std::size_t size, bool filledBlock, const Handler& handle);

 private:
  void finishLine(const Handler& handle);

  char pending_m[MAX_LINE_LENGTH + 1] = {};
  std::size_t length_m = 0;
  bool overlong_m = false;
};

// Reads commands from standard input and answers on standard output until the input ends
// or fails; then returns. Non-blocking standard input is waited on, not taken for an end.
void readerThread();

}  // namespace varrowmere
