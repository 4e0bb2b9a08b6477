#pragma once
// The referee's command line.

#include <cstdint>
#include <string>

#include "game.h"
#include "process_player.h"

namespace varrowmere::match {

// Upper bounds of --ends and --games, which keep a typing mistake from starting a match
// that never ends.
inline constexpr long MAX_ENDS = 100;
inline constexpr long MAX_GAMES = 100000;

struct MatchOptions {
  // What plays each colour: a built-in opponent's name or a command line for /bin/sh -c;
  // empty: the built player.
  std::string red, yellow;
  int ends = DEFAULT_ENDS;
  int games = 1;
  int firstHammer = 1;  // who holds the hammer in the first end of the first game (1: yellow)
  double thinkingTime = INITIAL_THINKING_TIME;
  double noise = 1.0;  // multiplies the delivery noise; 0 plays every shot exactly
  uint64_t seed = 0;
  bool seedGiven = false;
  std::string svgFolder;  // empty: no pictures
  std::string logFile;    // empty: no log
  std::string htmlFile;   // empty: no replay page
  std::string replayLog;  // a log to make the replay page from instead of playing
  bool quiet = false;     // only a line per game
  double readyTimeout = DEFAULT_READY_TIMEOUT;
  bool help = false;
};

// Option values: a whole decimal number in low..high; a finite number of at least low; a
// seed, 0 .. 2^64 - 1, without a sign. False when the text is anything else.
bool readLong(const char* text, long low, long high, long& value);
bool readDouble(const char* text, double low, double& value);
bool readSeed(const char* text, uint64_t& value);

// Reads argv into options. Returns false with a message for a person on bad input.
bool parseOptions(int argc, const char* const* argv, MatchOptions& options, std::string& error);

// The help text.
std::string usageText();

}  // namespace varrowmere::match
