#pragma once
// The summary of a match of several games, from red's point of view.

#include <vector>

#include "game.h"

namespace varrowmere::match {

struct MatchSummary {
  int games = 0;
  int wins = 0, losses = 0, draws = 0;  // red's
  double meanDifference = 0.0;          // mean of red's points minus yellow's per game
  // Half width of the 95% confidence interval of the mean (Student's t over the games);
  // infinite with fewer than two games.
  double halfWidth = 0.0;
};

MatchSummary summarize(const std::vector<GameResult>& results);

// The two-sided 97.5% quantile of Student's t with `df` degrees of freedom (df >= 1).
double studentT975(int df);

}  // namespace varrowmere::match
