#pragma once
// The free-guard choice: whether to open an end with a guard, from end-score statistics of
// self-play. Each option's score file becomes a distribution over end scores -8..+8; a small
// expectimax over the ends left gives each option's chance of leading after the last end.
// Reader thread only.

#include <cstdint>
#include <vector>

namespace varrowmere {

// Entries of a score distribution: end scores -8..+8, entry b for score b - 8.
inline constexpr int SCORE_BINS = 17;
inline constexpr int SCORE_OFFSET = 8;
// A branch whose path probability is not above this is dropped.
inline constexpr double PATH_PROBABILITY_FLOOR = 1e-08;
// Path probability at the root (and the value of a winning leaf per unit of probability).
inline constexpr double ROOT_PROBABILITY = 1.0;
// The look-ahead covers at most this many ends. Every end multiplies the work by up to
// 2 options x 17 scores (about 34-fold), and SETSTATE can name any last end, so an absurd
// number of ends left must not hang the player; five ends is about 45 million leaves.
inline constexpr int MAX_GUARD_DEPTH = 5;

// Score files, relative to the data folder. Scores are from the view of the side that throws
// the last stone of the end.
inline constexpr char SCORE_FILE_CENTER_GUARD[] = "FreeGuardTest/2plyCenterGuard-2ply_score.txt";
inline constexpr char SCORE_FILE_PLAIN[] = "FreeGuardTest/2ply-2ply_score.txt";
inline constexpr char SCORE_FILE_CORNER_GUARD[] = "FreeGuardTest/2ply-2plyCornerGuard_score.txt";

// Probability of each end score, SCORE_BINS entries.
using ScoreDist = std::vector<double>;
// Per side (0: throws first in the end, 1: has the last stone): option 0 = play the guard,
// option 1 = the plain strategy.
using GuardOptions = std::vector<ScoreDist>[2];

struct GuardChoice {
  int32_t option = 0;
  double winProb = 0.0;
};

// Filled at the first call of freeGuardTest, then kept.
extern GuardOptions guardOptions;

// Reads one score file into d. Lines whose first field is empty or outside -8..8 are skipped;
// a file without samples (or one that cannot be opened, which is reported) gives all zeros,
// so that option is worth nothing.
void loadScoreDist(const char* name, ScoreDist& d);

// The option for `side` (0 or 1) with `depth` ends left (the present one included; below 1
// counts as 1) and the player's lead `scoreDiff` before this end.
GuardChoice freeGuardTest(int side, int depth, int scoreDiff);

// The best option and its probability (times prob) of leading after `depth` more ends, for
// the player on `side` (1: it has the last stone of this end). The last stone of each later
// end goes to the side that did not score, and stays after a blank end. The first best
// option wins a tie.
GuardChoice expectWin(int depth, int64_t scoreDiff, int side, const GuardOptions& options,
                      double prob);

}  // namespace varrowmere
