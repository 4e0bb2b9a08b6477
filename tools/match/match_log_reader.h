#pragma once
// Reads a match log (match_log.h) back into the records the referee reported, so that a
// finished game can be shown again (--replay). Only what the referee writes is accepted:
// rows of the known types with every field in range, in the order of play (a start, the
// shots of each end in turn each followed by its end, the result); the log may stop early,
// as one of an interrupted match does.

#include <istream>
#include <string>
#include <vector>

#include "game.h"

namespace varrowmere::match {

// Logs larger than this (bytes) are refused rather than read into memory.
inline constexpr long long MAX_LOG_BYTES = 1LL << 30;
// Most samples one stone's path may have: a sample every PATH_SAMPLE_STEPS and one per
// contact over MAX_REFERENCE_STEPS leave room to spare.
inline constexpr std::size_t MAX_PATH_POINTS = 40000;

// One game as logged; `over` tells whether its result row was there.
struct LoggedGame {
  GameSettings settings;
  std::vector<ShotRecord> shots;
  std::vector<EndRecord> ends;
  bool over = false;
  GameResult result;
};

// Reads every row of a log. Returns false with "line N: what is wrong" at the first row that
// the referee would not have written there.
bool readMatchLog(std::istream& in, std::vector<LoggedGame>& games, std::string& error);

// Hands the games to an observer row by row, in the order they were played.
void replayGames(const std::vector<LoggedGame>& games, GameObserver& observer);

}  // namespace varrowmere::match
