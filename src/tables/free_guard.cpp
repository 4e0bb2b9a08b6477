#include "tables/free_guard.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "tables/text_input.h"

namespace varrowmere {

GuardOptions guardOptions;

namespace {

// Score b and -score swap places: the distribution seen from the other side.
ScoreDist reversed(const ScoreDist& d) { return ScoreDist(d.rbegin(), d.rend()); }

// atoi with a check that the field is a number in -8..8.
bool parseScore(const std::string& field, int& score) {
  if (field.empty()) return false;
  char* end = nullptr;
  const long value = std::strtol(field.c_str(), &end, 10);
  if (end == field.c_str()) return false;
  if (value < -SCORE_OFFSET || value > SCORE_OFFSET) return false;
  score = static_cast<int>(value);
  return true;
}

}  // namespace

void loadScoreDist(const char* name, ScoreDist& d) {
  d.assign(SCORE_BINS, 0.0);
  std::vector<std::vector<std::string>> rows;
  InputFile_Table(name, ' ', rows);
  int64_t count[SCORE_BINS] = {};
  int64_t total = 0;
  for (const auto& row : rows) {
    int score = 0;
    if (row.empty() || !parseScore(row[0], score)) continue;
    ++count[score + SCORE_OFFSET];
    ++total;
  }
  if (total == 0) return;
  for (int b = 0; b < SCORE_BINS; ++b)
    d[b] = static_cast<double>(count[b]) / static_cast<double>(total);
}

GuardChoice expectWin(int depth, int64_t scoreDiff, int side, const GuardOptions& options,
                      double prob) {
  GuardChoice best;
  best.option = -1;
  const std::vector<ScoreDist>& list = options[side];
  for (std::size_t opt = 0; opt < list.size(); ++opt) {
    double value = 0.0;
    for (int b = 0; b < SCORE_BINS && b < static_cast<int>(list[opt].size()); ++b) {
      const int e = b - SCORE_OFFSET;
      const int64_t lead = scoreDiff + e;
      const double p = list[opt][b] * prob;
      // Negated on purpose: a probability that is not a number is dropped too.
      if (!(p > PATH_PROBABILITY_FLOOR)) continue;
      if (depth <= 1) {
        if (lead > 0) value += p;
      } else {
        // As in curling: the side that scores throws first in the next end, so the player
        // keeps the last stone only when the other side scores; a blank end changes nothing.
        const int next = e > 0 ? 0 : (e < 0 ? 1 : side);
        value += expectWin(depth - 1, lead, next, options, p).winProb;
      }
    }
    if (best.option < 0 || value > best.winProb) {
      best.option = static_cast<int32_t>(opt);
      best.winProb = value;
    }
  }
  if (best.option < 0) best.option = 0;
  return best;
}

GuardChoice freeGuardTest(int side, int depth, int scoreDiff) {
  if (guardOptions[0].empty() && guardOptions[1].empty()) {
    ScoreDist d;
    loadScoreDist(SCORE_FILE_CENTER_GUARD, d);
    guardOptions[0].push_back(reversed(d));
    loadScoreDist(SCORE_FILE_PLAIN, d);
    guardOptions[0].push_back(reversed(d));
    loadScoreDist(SCORE_FILE_CORNER_GUARD, d);
    guardOptions[1].push_back(d);
    loadScoreDist(SCORE_FILE_PLAIN, d);
    guardOptions[1].push_back(d);
  }
  side = side != 0 ? 1 : 0;
  depth = std::clamp(depth, 1, MAX_GUARD_DEPTH);
  return expectWin(depth, scoreDiff, side, guardOptions, ROOT_PROBABILITY);
}

}  // namespace varrowmere
