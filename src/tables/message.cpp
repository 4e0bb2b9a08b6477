#include "tables/message.h"

#include <unistd.h>

#include <cerrno>

namespace varrowmere {

void showMessage(const std::string& text, const char* caption) {
  const std::string line = std::string(caption) + ": " + text + "\n";
  const char* data = line.data();
  std::size_t size = line.size();
  while (size > 0) {
    const ssize_t written = ::write(STDERR_FILENO, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
}

void showMessage(const char* text, const char* caption) { showMessage(std::string(text), caption); }

}  // namespace varrowmere
