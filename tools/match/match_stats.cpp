#include "match_stats.h"

#include <cmath>
#include <limits>

namespace varrowmere::match {

namespace {

// Quantiles t(0.975, df) for df = 1..30, from the standard tables.
constexpr double T975[30] = {12.706, 4.303, 3.182, 2.776, 2.571, 2.447, 2.365, 2.306, 2.262, 2.228,
                             2.201,  2.179, 2.160, 2.145, 2.131, 2.120, 2.110, 2.101, 2.093, 2.086,
                             2.080,  2.074, 2.069, 2.064, 2.060, 2.056, 2.052, 2.048, 2.045, 2.042};
// The normal quantile z(0.975).
constexpr double Z975 = 1.959964;

}  // namespace

double studentT975(int df) {
  if (df <= 30) return T975[df < 1 ? 0 : df - 1];
  // Beyond the table, the first terms of the Cornish-Fisher expansion (error below 0.001).
  const double z = Z975;
  return z + (z * z * z + z) / (4.0 * df) +
         (5 * std::pow(z, 5) + 16 * z * z * z + 3 * z) / (96.0 * df * df);
}

MatchSummary summarize(const std::vector<GameResult>& results) {
  MatchSummary summary;
  summary.games = int(results.size());
  double sum = 0.0;
  for (const GameResult& g : results) {
    if (g.winner == 0)
      ++summary.wins;
    else if (g.winner == 1)
      ++summary.losses;
    else
      ++summary.draws;
    sum += g.total[0] - g.total[1];
  }
  if (summary.games == 0) return summary;
  summary.meanDifference = sum / summary.games;
  if (summary.games < 2) {
    summary.halfWidth = std::numeric_limits<double>::infinity();
    return summary;
  }
  double squares = 0.0;
  for (const GameResult& g : results) {
    const double d = g.total[0] - g.total[1] - summary.meanDifference;
    squares += d * d;
  }
  const double deviation = std::sqrt(squares / (summary.games - 1));
  summary.halfWidth = studentT975(summary.games - 1) * deviation / std::sqrt(double(summary.games));
  return summary;
}

}  // namespace varrowmere::match
