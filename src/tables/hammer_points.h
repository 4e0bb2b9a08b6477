#pragma once
// What the hammer is worth in points: the expected score difference over the ends still to
// play for the side that holds the hammer in the first of them, both sides scoring as in a
// distribution of end scores of the side with the hammer. The hammer passes as in curling
// (the side that scores throws first in the next end, a blank end keeps it), so an end's
// score and the hammer it leaves add up to what the end is worth towards the game's score
// difference. Built once, then only read.

#include <cstdint>
#include <vector>

#include "tables/free_guard.h"

namespace varrowmere {

class HammerPoints {
 public:
  // From the end scores of the side with the hammer, as WinTable takes them.
  explicit HammerPoints(const ScoreDist& hammerScores);

  // The hammer's worth with `endsLeft` ends still to play (0 or fewer: none); ends beyond
  // WIN_TABLE_MAX_ENDS are looked up as that many.
  double worth(int64_t endsLeft) const;

 private:
  std::vector<double> points_m;  // points_m[ends]
};

// What an end that scored `score` for the side with the hammer is worth to that side towards
// the game's score difference, when the hammer is worth `hammerWorth` points in the ends after
// it: scoring hands the hammer over, a blank or a steal keeps it.
inline double endWorth(double score, double hammerWorth) {
  return score > 0.0 ? score - hammerWorth : score + hammerWorth;
}

// The table of the self-play score file SCORE_FILE_PLAIN, read and built at the first call.
// Safe from any thread.
const HammerPoints& hammerPoints();

}  // namespace varrowmere
