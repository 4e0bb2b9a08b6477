#include "tables/hammer_points.h"

#include <algorithm>

#include "tables/win_table.h"

namespace varrowmere {

HammerPoints::HammerPoints(const ScoreDist& hammerScores)
    : points_m(size_t(WIN_TABLE_MAX_ENDS + 1), 0.0) {
  double p[SCORE_BINS];
  normaliseScores(hammerScores, p);
  for (int32_t ends = 1; ends <= WIN_TABLE_MAX_ENDS; ++ends) {
    double worth = 0.0;
    for (int b = 0; b < SCORE_BINS; ++b) {
      const int32_t e = b - SCORE_OFFSET;
      // Scoring hands the hammer to the other side; a blank or a steal leaves it.
      const double after = points_m[ends - 1];
      worth += p[b] * (e + (e > 0 ? -after : after));
    }
    points_m[ends] = worth;
  }
}

double HammerPoints::worth(int64_t endsLeft) const {
  return points_m[size_t(std::clamp<int64_t>(endsLeft, 0, WIN_TABLE_MAX_ENDS))];
}

const HammerPoints& hammerPoints() {
  static const HammerPoints table = [] {
    ScoreDist d;
    loadScoreDist(SCORE_FILE_PLAIN, d);
    return HammerPoints(d);
  }();
  return table;
}

}  // namespace varrowmere
