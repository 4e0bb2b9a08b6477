#include "driver/options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tables/message.h"

namespace varrowmere {

namespace {

// A whole word of decimal digits (an optional leading '+' allowed) within [0, limit].
bool readCount(const char* word, uint64_t limit, uint64_t& value) {
  if (word == nullptr || *word == '\0' || *word == '-') return false;
  errno = 0;
  char* end = nullptr;
  const unsigned long long parsed = std::strtoull(word, &end, 10);
  if (errno != 0 || end == word || *end != '\0' || parsed > limit) return false;
  value = parsed;
  return true;
}

}  // namespace

bool parsePlayerOptions(int argc, const char* const* argv, PlayerOptions& options) {
  bool clean = true;
  const auto report = [&clean](const std::string& text) {
    showMessage(text, CAPTION_OPTIONS);
    clean = false;
  };
  for (int i = 1; i < argc; ++i) {
    const char* name = argv[i];
    const bool threads = std::strcmp(name, "--threads") == 0;
    const bool seed = std::strcmp(name, "--seed") == 0;
    if (!threads && !seed) {
      report(std::string("unknown option ") + name + " ignored (known: --threads N, --seed N)");
      continue;
    }
    const char* word = i + 1 < argc ? argv[i + 1] : nullptr;
    uint64_t value = 0;
    const uint64_t limit = threads ? MAX_SEARCH_THREADS : UINT32_MAX;
    if (!readCount(word, limit, value)) {
      report(std::string(name) + " needs a whole number from 0 to " + std::to_string(limit) +
             (word != nullptr ? std::string(", not ") + word : std::string()) +
             "; the default is kept");
      if (word != nullptr && std::strncmp(word, "--", 2) != 0) ++i;
      continue;
    }
    ++i;
    if (threads) {
      options.threads = static_cast<int32_t>(value);
    } else {
      options.seeded = true;
      options.seed = static_cast<uint32_t>(value);
    }
  }
  return clean;
}

}  // namespace varrowmere
