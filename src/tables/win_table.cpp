#include "tables/win_table.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace varrowmere {

WinTable::WinTable(const ScoreDist& hammerScores)
    : chance_m(size_t(WIN_TABLE_MAX_ENDS + 1) * 2 * LEADS),
      hammerWorth_m(size_t(WIN_TABLE_MAX_ENDS + 1), 0.0) {
  double p[SCORE_BINS] = {};
  double mass = 0.0;
  for (int b = 0; b < SCORE_BINS && b < int(hammerScores.size()); ++b) {
    // A weight that is negative or not a finite number counts as none.
    const double w = hammerScores[b];
    p[b] = std::isfinite(w) && w > 0.0 ? w : 0.0;
    mass += p[b];
  }
  if (!(mass > 0.0) || !std::isfinite(mass)) {
    std::fill(std::begin(p), std::end(p), 0.0);
    p[SCORE_OFFSET] = 1.0;
    mass = 1.0;
  }
  for (double& w : p) w /= mass;

  // Extra ends: the side with the hammer wins one that is not blank with chance
  // P(score > 0) / P(score != 0), since a blank one repeats with the hammer kept.
  double ahead = 0.0, behind = 0.0;
  for (int b = 0; b < SCORE_BINS; ++b) {
    if (b > SCORE_OFFSET) ahead += p[b];
    if (b < SCORE_OFFSET) behind += p[b];
  }
  const double extraEnd = ahead + behind > 0.0 ? ahead / (ahead + behind) : 0.5;
  for (int h = 0; h < 2; ++h)
    for (int32_t lead = -SPAN; lead <= SPAN; ++lead)
      at(0, h, lead) = lead > 0 ? 1.0 : lead < 0 ? 0.0 : (h ? extraEnd : 1.0 - extraEnd);

  for (int32_t ends = 1; ends <= WIN_TABLE_MAX_ENDS; ++ends) {
    for (int32_t lead = -SPAN; lead <= SPAN; ++lead) {
      double withHammer = 0.0, without = 0.0;
      for (int b = 0; b < SCORE_BINS; ++b) {
        const int32_t e = b - SCORE_OFFSET;
        // Leads beyond the span are reached only from entries outside the exact range.
        const auto next = [&](int32_t l, int h) {
          return at(ends - 1, h, std::clamp(l, -SPAN, SPAN));
        };
        // With the hammer the side scores e; it keeps the hammer unless it scored.
        withHammer += p[b] * next(lead + e, e > 0 ? 0 : 1);
        // Without it the other side scores e; the side gets the hammer when it did.
        without += p[b] * next(lead - e, e > 0 ? 1 : 0);
      }
      at(ends, 1, lead) = withHammer;
      at(ends, 0, lead) = without;
    }
    double worth = 0.0;
    for (int b = 0; b < SCORE_BINS; ++b)
      worth += p[b] * endWorth(b - SCORE_OFFSET, hammerWorth_m[ends - 1]);
    hammerWorth_m[ends] = worth;
  }
}

double WinTable::hammerWorth(int64_t endsLeft) const {
  return hammerWorth_m[size_t(std::clamp<int64_t>(endsLeft, 0, WIN_TABLE_MAX_ENDS))];
}

double WinTable::winChance(int64_t lead, int64_t endsLeft, bool hammer) const {
  const int64_t l = std::clamp<int64_t>(lead, -WIN_TABLE_MAX_LEAD, WIN_TABLE_MAX_LEAD);
  const int64_t n = std::clamp<int64_t>(endsLeft, 0, WIN_TABLE_MAX_ENDS);
  return chance_m[size_t((n * 2 + (hammer ? 1 : 0)) * LEADS + l + SPAN)];
}

double WinTable::afterEnd(int64_t leadBefore, int64_t score, bool hadHammer,
                          int64_t endsLeftAfter) const {
  const bool hammer = score > 0 ? false : score < 0 ? true : hadHammer;
  const int64_t s = std::clamp<int64_t>(score, -SCORE_OFFSET, SCORE_OFFSET);
  return winChance(std::clamp<int64_t>(leadBefore, -SPAN, SPAN) + s, endsLeftAfter, hammer);
}

const WinTable& winTable() {
  static const WinTable table = [] {
    ScoreDist d;
    loadScoreDist(SCORE_FILE_PLAIN, d);
    return WinTable(d);
  }();
  return table;
}

}  // namespace varrowmere
