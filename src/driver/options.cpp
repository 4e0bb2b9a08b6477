#include "driver/options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tables/message.h"

namespace varrowmere {

namespace {

// A whole word of decimal digits (an optional leading '+' allowed) within [low, high].
bool readCount(const char* word, uint64_t low, uint64_t high, uint64_t& value) {
  if (word == nullptr || *word == '\0' || *word == '-') return false;
  errno = 0;
  char* end = nullptr;
  const unsigned long long parsed = std::strtoull(word, &end, 10);
  if (errno != 0 || end == word || *end != '\0' || parsed < low || parsed > high) return false;
  value = parsed;
  return true;
}

struct ValueOption {
  const char* name;
  uint64_t low, high;
};

constexpr ValueOption VALUE_OPTIONS[] = {
    {"--threads", 0, MAX_SEARCH_THREADS},
    {"--seed", 0, UINT32_MAX},
    {"--depth", MIN_DEPTH_OPTION, MAX_DEPTH_OPTION},
};

void storeValue(const char* name, uint64_t value, PlayerOptions& options) {
  if (std::strcmp(name, "--threads") == 0) {
    options.threads = static_cast<int32_t>(value);
  } else if (std::strcmp(name, "--seed") == 0) {
    options.seeded = true;
    options.seed = static_cast<uint32_t>(value);
  } else {
    options.depth = static_cast<int32_t>(value);
  }
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
    const bool help = std::strcmp(name, "--help") == 0;
    if (help || std::strcmp(name, "--version") == 0) {
      if (options.action == PlayerAction::Play)
        options.action = help ? PlayerAction::ShowHelp : PlayerAction::ShowVersion;
      continue;
    }
    if (std::strcmp(name, "--strong") == 0) {
      options.strong = true;
      continue;
    }
    const ValueOption* option = nullptr;
    for (const ValueOption& known : VALUE_OPTIONS) {
      if (std::strcmp(name, known.name) == 0) option = &known;
    }
    if (option == nullptr) {
      report(std::string("unknown option ") + name +
             " ignored (known: --threads N, --seed N, --depth 1|2, --strong, --help, --version)");
      continue;
    }
    const char* word = i + 1 < argc ? argv[i + 1] : nullptr;
    uint64_t value = 0;
    if (!readCount(word, option->low, option->high, value)) {
      report(std::string(name) + " needs a whole number from " + std::to_string(option->low) +
             " to " + std::to_string(option->high) +
             (word != nullptr ? std::string(", not ") + word : std::string()) +
             "; the default is kept");
      if (word != nullptr && std::strncmp(word, "--", 2) != 0) ++i;
      continue;
    }
    ++i;
    storeValue(name, value, options);
  }
  return clean;
}

const char* playerHelpText() {
  return "varrowmere " VARROWMERE_VERSION
         ": a computer-curling player.\n"
         "\n"
         "A curling game server starts it with no arguments, as a child process, and speaks\n"
         "the line protocol to it on standard input and standard output (NEWGAME, ISREADY,\n"
         "POSITION, SETSTATE, GO; each GO is answered with one BESTSHOT vx vy spin). Typed at\n"
         "a terminal it waits for those commands; end of input ends it.\n"
         "\n"
         "Options (none is needed to play):\n"
         "  --threads N   worker threads of the search (default 2; 0: one per hardware thread);\n"
         "                the shot never depends on it\n"
         "  --seed N      seeds the one random choice (which side the corner guard goes to),\n"
         "                0 to 4294967295, so that a refereed game can be replayed exactly\n"
         "  --depth 1|2   plies of the search (default 2; one whenever less than 30 s are left)\n"
         "  --strong      the strong mode: beyond the designed player, it spends more of the\n"
         "                game's clock on better shots (see the README)\n"
         "  --help        prints this text and exits\n"
         "  --version     prints the version and exits\n";
}

const char* playerVersionText() { return "varrowmere " VARROWMERE_VERSION "\n"; }

}  // namespace varrowmere
