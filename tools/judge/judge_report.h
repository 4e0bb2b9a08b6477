#pragma once
// The judge's figures: each position's row, and the summary of a run with the paired
// differences against the first player.

#include <cstdio>
#include <string>
#include <vector>

#include "positions_file.h"
#include "shot_worth.h"

namespace varrowmere::judge {

// The mean of paired differences and the half width of its 95% interval: Student's t with
// count - 1 degrees of freedom over the pairs; infinite with fewer than two.
struct PairedMean {
  int count = 0;
  double mean = 0.0;
  double halfWidth = 0.0;
};
PairedMean pairedMean(const std::vector<double>& differences);

// One player on one position.
struct PlayerResult {
  ShotVector shot;
  double thinkSeconds = 0.0;   // from GO to the answer
  double playerSeconds = 0.0;  // the process's start, answer and end
  double judgeSeconds = 0.0;   // the deliveries of its shot (0 when an earlier player's same
                               // shot was reused)
  ShotWorth worth;
};

// The header of the position rows, and one row: the position, then each player's expected end
// score and chance to win, each after the first also as its difference to the first.
std::string rowHeader(std::size_t players);
std::string positionRow(const JudgePosition& position, const std::vector<PlayerResult>& results);

// The run's summary: each player's means and times, then each against the first.
void printSummary(std::FILE* out, const std::vector<std::string>& players,
                  const std::vector<std::vector<PlayerResult>>& results, double wallSeconds);

}  // namespace varrowmere::judge
