// Fuzzes the score-file loader with arbitrary file contents, then runs the free-guard look-ahead
// on what it loaded. Checked on every input: the distribution has SCORE_BINS entries in 0..1
// summing to 1 (or all zero for a file without samples), and the chance of leading is a
// probability.
//
// Input: the score file. Its first byte also sets the look-ahead depth (1 + byte % 3; deeper
// look-aheads cost up to 34 times more per end and add nothing new here) and the side.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "scratch_file.h"
#include "tables/free_guard.h"

using namespace varrowmere;

namespace {

// Rounding of a sum of up to a few thousand fractions.
constexpr double SUM_TOLERANCE = 1e-9;
constexpr int MAX_FUZZ_DEPTH = 3;

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "fuzz_score_file: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static fuzz::ScratchFile file("score");
  file.write(data, size);

  ScoreDist d;
  loadScoreDist(file.name(), d);
  if (d.size() != SCORE_BINS) fail("distribution size");
  double sum = 0.0;
  for (double p : d) {
    if (!(p >= 0.0 && p <= 1.0)) fail("entry outside 0..1");
    sum += p;
  }
  if (sum != 0.0 && std::fabs(sum - 1.0) > SUM_TOLERANCE) fail("distribution does not sum to 1");

  // The loaded file as both options of both sides, the guard option seen reversed.
  GuardOptions options;
  const ScoreDist reversed(d.rbegin(), d.rend());
  options[0] = {reversed, d};
  options[1] = {d, reversed};
  const int first = size > 0 ? data[0] : 0;
  const int depth = 1 + first % MAX_FUZZ_DEPTH;
  const int side = (first / MAX_FUZZ_DEPTH) % 2;
  const GuardChoice choice = expectWin(depth, (first % 17) - 8, side, options, ROOT_PROBABILITY);
  if (choice.option < 0 || choice.option > 1) fail("option");
  if (!(choice.winProb >= 0.0 && choice.winProb <= 1.0 + SUM_TOLERANCE)) fail("win chance");
  return 0;
}
