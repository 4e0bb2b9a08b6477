#pragma once
// The judge's command line, and the built player's shorthand that it shares with
// scripts/gauntlet: `varrowmere` is the built player, `varrowmere:OPTIONS` the built player
// with OPTIONS added; both are started with the run's seed and --threads, so that a run is
// reproducible. Anything else is a command line run by /bin/sh -c as it is.

#include <cstdint>
#include <string>
#include <vector>

namespace varrowmere::judge {

// The built player's shorthand, alone or followed by ':' and its options.
inline constexpr char BUILT_PLAYER[] = "varrowmere";
// Deliveries of each shot unless told otherwise.
inline constexpr int32_t DEFAULT_DELIVERIES = 500;
// Bounds that keep a typing mistake from starting a run that never ends.
inline constexpr long MAX_DELIVERIES = 1000000;
inline constexpr long MAX_JUDGE_THREADS = 256;
// Players one run compares at most.
inline constexpr std::size_t MAX_JUDGE_PLAYERS = 16;

struct JudgeOptions {
  std::string positionsFile;
  std::vector<std::string> players;  // as given: shorthands or command lines
  int32_t deliveries = DEFAULT_DELIVERIES;
  uint64_t seed = 1;
  double noise = 1.0;
  int32_t jobs = 0;       // positions at a time; 0: one per hardware thread
  int32_t threads = 0;    // per position: deliveries and the built player's search; 0: shared
  long limit = 0;         // judge only the first `limit` positions; 0: all
  std::string tableFile;  // a line per position and player, for further study; empty: none
  std::vector<std::string> extractLogs;  // --extract: positions of these logs instead
  bool help = false;
};

// Reads argv into options. Returns false with a message for a person on bad input.
bool parseJudgeOptions(int argc, const char* const* argv, JudgeOptions& options,
                       std::string& error);

std::string judgeUsageText();

// The command that runs `player` (a shorthand or a command line); `builtPath` is the built
// player's program, already quoted for the shell.
std::string playerCommand(const std::string& player, const std::string& builtPath, uint64_t seed,
                          int32_t threads);

}  // namespace varrowmere::judge
