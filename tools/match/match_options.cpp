#include "match_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace varrowmere::match {

bool readLong(const char* text, long low, long high, long& value) {
  char* end = nullptr;
  errno = 0;
  value = std::strtol(text, &end, 10);
  return errno == 0 && end != text && *end == '\0' && value >= low && value <= high;
}

bool readDouble(const char* text, double low, double& value) {
  char* end = nullptr;
  value = std::strtod(text, &end);
  return end != text && *end == '\0' && std::isfinite(value) && value >= low;
}

bool readSeed(const char* text, uint64_t& value) {
  char* end = nullptr;
  errno = 0;
  if (text[0] == '-') return false;
  value = std::strtoull(text, &end, 10);
  return errno == 0 && end != text && *end == '\0';
}

std::string usageText() {
  return "usage: varrowmere-match [options]\n"
         "Plays curling games between two players and referees them.\n"
         "  --red CMD        what plays red: 'draw', 'takeout' or a command line run by\n"
         "                   /bin/sh -c (default: the built varrowmere player)\n"
         "  --yellow CMD     the same for yellow\n"
         "  --ends N         ends per game (default 8)\n"
         "  --games N        games; the hammer of the first end alternates (default 1)\n"
         "  --hammer COLOUR  red or yellow: who holds the hammer in the first end of the\n"
         "                   first game (default yellow)\n"
         "  --time S         thinking time per player and game, seconds (default 438)\n"
         "  --noise F        scale of the delivery noise, 0 = exact shots (default 1)\n"
         "  --seed N         seed of the delivery noise and of the built players' one random\n"
         "                   choice: each is started as 'varrowmere --seed N' (N's low 32 bits)\n"
         "                   (default: random, printed)\n"
         "  --svg DIR        picture of the house after each end into DIR (created)\n"
         "  --log FILE       JSON line per game start, shot (with its paths), end and game\n"
         "  --html FILE      replay page: the games in motion, a file to open in a browser\n"
         "  --replay LOG     with --html: the page of a log written by --log; plays nothing\n"
         "  --quiet          only a line per game\n"
         "  --ready-timeout S  start-up time a player gets to answer ISREADY (default 120)\n"
         "  --help           this text\n";
}

bool parseOptions(int argc, const char* const* argv, MatchOptions& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (name == "--help" || name == "-h") {
      options.help = true;
      continue;
    }
    if (name == "--quiet") {
      options.quiet = true;
      continue;
    }
    if (i + 1 >= argc) {
      error = name + (name.rfind("--", 0) == 0 ? " needs a value" : ": not an option");
      return false;
    }
    const char* value = argv[++i];
    long number = 0;
    bool good = true;
    if (name == "--red") {
      options.red = value;
    } else if (name == "--yellow") {
      options.yellow = value;
    } else if (name == "--ends") {
      good = readLong(value, 1, MAX_ENDS, number);
      options.ends = int(number);
    } else if (name == "--games") {
      good = readLong(value, 1, MAX_GAMES, number);
      options.games = int(number);
    } else if (name == "--hammer") {
      const std::string colour = value;
      good = colour == PLAYER_COLOURS[0] || colour == PLAYER_COLOURS[1];
      options.firstHammer = colour == PLAYER_COLOURS[0] ? 0 : 1;
    } else if (name == "--time") {
      good = readDouble(value, 0.0, options.thinkingTime);
    } else if (name == "--noise") {
      good = readDouble(value, 0.0, options.noise);
    } else if (name == "--seed") {
      good = readSeed(value, options.seed);
      options.seedGiven = true;
    } else if (name == "--svg") {
      options.svgFolder = value;
    } else if (name == "--log") {
      options.logFile = value;
    } else if (name == "--html") {
      options.htmlFile = value;
    } else if (name == "--replay") {
      options.replayLog = value;
    } else if (name == "--ready-timeout") {
      good = readDouble(value, 0.0, options.readyTimeout);
    } else {
      error = name + ": not an option";
      return false;
    }
    if (!good || std::strlen(value) == 0) {
      error = name + ": bad value \"" + value + "\"";
      return false;
    }
  }
  if (!options.replayLog.empty() && options.htmlFile.empty()) {
    error = "--replay needs --html FILE: the page to write";
    return false;
  }
  return true;
}

}  // namespace varrowmere::match
