#include "judge_options.h"

#include <climits>
#include <cstring>

#include "match_options.h"

namespace varrowmere::judge {

using match::readDouble;
using match::readLong;
using match::readSeed;

std::string judgeUsageText() {
  return "usage: varrowmere-judge --positions FILE --player P --player P [options]\n"
         "       varrowmere-judge --extract LOG...\n"
         "Asks each player for its shot on every last-stone position of FILE, then plays each\n"
         "shot many times under the referee's delivery noise and reference physics and scores\n"
         "the end: the shot's expected end score and chance to win the game. All shots on a\n"
         "position meet the same delivery errors. Prints each player's figures per position\n"
         "and, against the first player, the mean paired difference over the positions with\n"
         "its 95% interval (Student's t), in points per end and in chance to win.\n"
         "  --positions FILE  positions: id shot end lastEnd lead x0 y0 ... x15 y15 a line\n"
         "  --player P        a player (two or more): 'varrowmere' is the built player,\n"
         "                    'varrowmere:OPTIONS' the built player with OPTIONS (e.g.\n"
         "                    'varrowmere:--depth 1'), both started with --seed and --threads\n"
         "                    of the run; 'draw' and 'takeout' are the referee's built-in\n"
         "                    players; anything else is a command line for /bin/sh -c.\n"
         "                    Every player is started afresh for each position and first\n"
         "                    plays the game's first stone (then thrown away), so that its\n"
         "                    clock is full (never short) for every position\n"
         "  --samples N       noisy deliveries of each shot (default 500)\n"
         "  --seed N          seed of the delivery errors and of the built players (default 1)\n"
         "  --noise F         scale of the delivery noise, 0 = exact shots (default 1)\n"
         "  --jobs N          positions at a time (default: one per hardware thread)\n"
         "  --threads N       threads per position for the deliveries and the built player's\n"
         "                    search (default: hardware threads / jobs, at least 1)\n"
         "  --limit N         only the first N positions\n"
         "  --table FILE      a line per position and player: id, player, shot, think time,\n"
         "                    expected end score, chance to win (tab-separated)\n"
         "  --extract LOG...  print the position before the last stone of every end in the\n"
         "                    referee's logs (varrowmere-match --log) instead; ids are\n"
         "                    LOGNAME.gGAME.eEND.THROWER\n"
         "  --help            this text\n";
}

bool parseJudgeOptions(int argc, const char* const* argv, JudgeOptions& options,
                       std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (name == "--help" || name == "-h") {
      options.help = true;
      continue;
    }
    if (name == "--extract") {
      while (i + 1 < argc && std::strncmp(argv[i + 1], "--", 2) != 0)
        options.extractLogs.push_back(argv[++i]);
      if (options.extractLogs.empty()) {
        error = "--extract needs the logs to read";
        return false;
      }
      continue;
    }
    if (i + 1 >= argc) {
      error = name + (name.rfind("--", 0) == 0 ? " needs a value" : ": not an option");
      return false;
    }
    const char* value = argv[++i];
    long number = 0;
    bool good = std::strlen(value) > 0;
    if (name == "--positions") {
      options.positionsFile = value;
    } else if (name == "--player") {
      options.players.push_back(value);
      good = good && options.players.size() <= MAX_JUDGE_PLAYERS;
    } else if (name == "--samples") {
      good = readLong(value, 1, MAX_DELIVERIES, number);
      options.deliveries = int32_t(number);
    } else if (name == "--seed") {
      good = readSeed(value, options.seed);
    } else if (name == "--noise") {
      good = readDouble(value, 0.0, options.noise);
    } else if (name == "--jobs" || name == "--threads") {
      good = readLong(value, 1, MAX_JUDGE_THREADS, number);
      (name == "--jobs" ? options.jobs : options.threads) = int32_t(number);
    } else if (name == "--limit") {
      good = readLong(value, 1, LONG_MAX, number);
      options.limit = number;
    } else if (name == "--table") {
      options.tableFile = value;
    } else {
      error = name + ": not an option";
      return false;
    }
    if (!good) {
      error = name + ": bad value \"" + value + "\"";
      return false;
    }
  }
  if (options.help || !options.extractLogs.empty()) return true;
  if (options.positionsFile.empty() || options.players.size() < 2) {
    error = "needs --positions FILE and at least two --player";
    return false;
  }
  return true;
}

std::string playerCommand(const std::string& player, const std::string& builtPath, uint64_t seed,
                          int32_t threads) {
  const std::string built = BUILT_PLAYER;
  const bool plain = player == built;
  if (!plain && player.rfind(built + ":", 0) != 0) return player;
  // Built by appending: GCC 12 warns falsely about "literal" + std::string chains.
  std::string command = builtPath;
  command += " --seed ";
  command += std::to_string(uint32_t(seed));
  command += " --threads ";
  command += std::to_string(threads);
  if (!plain) command += " ";
  if (!plain) command += player.substr(built.size() + 1);
  return command;
}

}  // namespace varrowmere::judge
