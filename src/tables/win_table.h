#pragma once
// The chance that a side wins the game, by its lead, the ends left and whether it holds the
// hammer (the last stone) in the next end. Built from a distribution of end scores of the
// side with the hammer by the recursion over ends: the hammer passes as in curling (the side
// that scores throws first in the next end, a blank end keeps it), and a level game after the
// last end goes to extra ends until one is not blank, which has a closed form. By the same
// recursion, what the hammer is worth in points. Built once, then only read.

#include <cstdint>
#include <vector>

#include "tables/free_guard.h"

namespace varrowmere {

// Leads beyond this many points either way are looked up as this lead (points). The entries
// within it are exact: the recursion runs on leads wide enough for every end left to score
// the most either way.
inline constexpr int32_t WIN_TABLE_MAX_LEAD = 24;
// More ends left than this are looked up as this many (ends).
inline constexpr int32_t WIN_TABLE_MAX_ENDS = 16;

// What an end that scored `score` for the side with the hammer is worth to that side towards
// the game's score difference, when the hammer is worth `hammerWorth` points in the ends after
// it: scoring hands the hammer over, a blank or a steal keeps it.
inline double endWorth(double score, double hammerWorth) {
  return score > 0.0 ? score - hammerWorth : score + hammerWorth;
}

class WinTable {
 public:
  // From the end scores of the side with the hammer (SCORE_BINS entries, end score b - 8;
  // other sizes are cut or padded with 0). A distribution without mass (a missing or empty
  // score file) counts as blank ends only: the side ahead wins, a level game is 0.5.
  explicit WinTable(const ScoreDist& hammerScores);

  // The chance that a side `lead` points ahead wins with `endsLeft` ends still to play (0:
  // the regular ends are over; a level game plays extra ends), holding the hammer in the next
  // end when `hammer`. Leads and ends beyond the table are clamped to it.
  double winChance(int64_t lead, int64_t endsLeft, bool hammer) const;

  // The chance after an end in which a side `leadBefore` ahead, holding the hammer when
  // `hadHammer`, scored `score` (negative: the other side scored), `endsLeftAfter` ends to
  // play: the hammer passes to the side that did not score and stays after a blank end.
  double afterEnd(int64_t leadBefore, int64_t score, bool hadHammer, int64_t endsLeftAfter) const;

  // What the hammer is worth in points with `endsLeft` ends still to play: the expected score
  // difference over them for the side that holds it in the first (0 with none; ends beyond
  // the table are clamped to it).
  double hammerWorth(int64_t endsLeft) const;

 private:
  // Leads the recursion covers either way (points).
  static constexpr int32_t SPAN = WIN_TABLE_MAX_LEAD + SCORE_OFFSET * WIN_TABLE_MAX_ENDS;
  static constexpr int32_t LEADS = 2 * SPAN + 1;
  // chance_m[(ends * 2 + hammer) * LEADS + lead + SPAN]
  std::vector<double> chance_m;
  std::vector<double> hammerWorth_m;  // by ends left
  double& at(int32_t ends, int hammer, int32_t lead) {
    return chance_m[(ends * 2 + hammer) * LEADS + lead + SPAN];
  }
};

// The table of the self-play score file SCORE_FILE_PLAIN, read and built at the first call.
// Safe from any thread.
const WinTable& winTable();

}  // namespace varrowmere
