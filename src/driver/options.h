#pragma once
// The player's command line. Started without arguments, as a server starts it, the player
// behaves as the protocol describes; the options only extend it:
//   --threads N   worker threads of the search (0: every hardware thread)
//   --seed N      seeds the one random choice (the corner guard) instead of the system
// An unknown or malformed option is reported through showMessage and the default is kept.

#include <cstdint>

#include "search/search_threads.h"

namespace varrowmere {

// More than this many threads is refused as malformed.
inline constexpr int32_t MAX_SEARCH_THREADS = 1024;

inline constexpr char CAPTION_OPTIONS[] = "varrowmere";

struct PlayerOptions {
  int32_t threads = DEFAULT_SEARCH_THREADS;  // 0 means every hardware thread
  bool seeded = false;
  uint32_t seed = 0;
};

// Reads argv[1..argc-1]. Each problem is reported and skipped; the rest still counts.
// Returns false when something was reported.
bool parsePlayerOptions(int argc, const char* const* argv, PlayerOptions& options);

}  // namespace varrowmere
