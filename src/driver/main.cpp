// The player process: builds its tables, then reads commands until standard input ends.

#include <csignal>
#include <thread>

#include "driver/reader.h"

int main() {
  // A server that has gone away must not kill us mid-write; the read then sees end of input.
  std::signal(SIGPIPE, SIG_IGN);

  std::thread reader(varrowmere::readerThread);
  reader.join();
  return 0;
}
