#include "driver/reader.h"

#include "driver/protocol.h"
#include "platform/os.h"

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

void readerThread() {
  LineAssembler assembler;
  CommandReply reply;
  const auto handle = [&reply](char* line) {
    dispatchCommand(line, reply);
    if (reply.length > 0) writeStandardOutput(reply.text, reply.length);
  };
  char block[READ_BLOCK_SIZE];
  for (;;) {
    const std::size_t size = readStandardInput(block, sizeof(block));
    if (size == 0) {
      // End of input: a last line that was waiting for its continuation is still a command.
      assembler.feed(block, 0, false, handle);
      return;
    }
    assembler.feed(block, size, size == sizeof(block), handle);
  }
}

}  // namespace varrowmere
