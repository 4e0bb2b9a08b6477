#pragma once
// The player's command line. Started without arguments, as a server starts it, the player
// behaves as the protocol describes; the options only extend it:
//   --threads N   worker threads of the search (0: every hardware thread)
//   --seed N      seeds the one random choice (the corner guard) instead of the system
//   --depth 1|2   the search's plies (default 2; one whenever the clock is short)
//   --strong      the strong mode: spends more of the clock on better shots
//   --help        prints what the program is and its options, then exits
//   --version     prints the version, then exits
// An unknown or malformed option is reported through showMessage and the default is kept.

#include <cstdint>

#include "search/search_threads.h"

namespace varrowmere {

// More than this many threads is refused as malformed.
inline constexpr int32_t MAX_SEARCH_THREADS = 1024;
// The plies --depth accepts.
inline constexpr int32_t MIN_DEPTH_OPTION = 1;
inline constexpr int32_t MAX_DEPTH_OPTION = 2;

inline constexpr char CAPTION_OPTIONS[] = "varrowmere";

// What the process does once its options are read.
enum class PlayerAction : uint8_t {
  Play,         // speak the protocol on standard input and output
  ShowHelp,     // print playerHelpText() and exit with status 0
  ShowVersion,  // print playerVersionText() and exit with status 0
};

struct PlayerOptions {
  PlayerAction action = PlayerAction::Play;
  int32_t threads = DEFAULT_SEARCH_THREADS;  // 0 means every hardware thread
  bool seeded = false;
  uint32_t seed = 0;
  int32_t depth = 0;  // 0: as designed (two plies, one when the clock is short)
  bool strong = false;
};

// Reads argv[1..argc-1]. Each problem is reported and skipped; the rest still counts.
// --help or --version anywhere wins over playing (the first of them given wins).
// Returns false when something was reported.
bool parsePlayerOptions(int argc, const char* const* argv, PlayerOptions& options);

// The text of --help and of --version, each ending in a line end.
const char* playerHelpText();
const char* playerVersionText();

}  // namespace varrowmere
