// Fuzzes the score-file loader, then the look-ahead on what it loaded (the first byte picks the
// depth 1..3, deeper costs up to 34 times more per end for nothing new, the side and the lead).
// Checked: SCORE_BINS entries in 0..1 summing to 1 (all 0 without samples), a probability back.

#include <cmath>
#include <cstdlib>
#include <numeric>

#include "scratch_file.h"
#include "tables/free_guard.h"

using namespace varrowmere;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static const fuzz::ScratchFile file("score");
  file.write(data, size);
  ScoreDist d;
  loadScoreDist(file.name(), d);
  // An entry outside 0..1 makes the sum not a number.
  const double sum = std::accumulate(
      d.begin(), d.end(), 0.0, [](double s, double p) { return p >= 0 && p <= 1 ? s + p : NAN; });
  if (d.size() != SCORE_BINS || (sum != 0.0 && !(std::fabs(sum - 1.0) <= 1e-9))) std::abort();

  // The file as both options of both sides, the guard option seen reversed.
  const ScoreDist reversed(d.rbegin(), d.rend());
  const GuardOptions options = {{reversed, d}, {d, reversed}};
  const int first = size > 0 ? data[0] : 0;
  const GuardChoice choice = expectWin(1 + first % 3, first % 17 - 8, first / 3 % 2, options, 1.0);
  if (choice.option < 0 || choice.option > 1 ||
      !(choice.winProb >= 0.0 && choice.winProb <= 1.0 + 1e-9))
    std::abort();
  return 0;
}
