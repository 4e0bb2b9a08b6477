#include "strong/time_plan.h"

#include <algorithm>

#include "driver/game_state.h"

namespace varrowmere {

int32_t decisionsLeft(int32_t shot, int32_t end, int32_t lastEnd) {
  const int64_t s = std::clamp<int64_t>(shot, 0, STONE_COUNT - 1);
  const int64_t inThisEnd = (STONE_COUNT - s + 1) / 2;
  // Wide arithmetic: SETSTATE may name any ends.
  const int64_t endsAfter = std::clamp<int64_t>(int64_t{lastEnd} - 1 - end, 0, 1000);
  return static_cast<int32_t>(inThisEnd + STONES_PER_SIDE * endsAfter);
}

double strongTimeLeft(double remaining, int32_t lastEnd) {
  const int32_t ends = std::clamp(lastEnd, 1, STANDARD_GAME_ENDS);
  return remaining - INITIAL_THINKING_TIME * (STANDARD_GAME_ENDS - ends) / STANDARD_GAME_ENDS;
}

double decisionAllotment(double remaining, int32_t shot, int32_t end, int32_t lastEnd) {
  const double spendable = remaining - STRONG_TIME_RESERVE;
  // Negated on purpose: a clock that is not a number gives nothing.
  if (!(spendable > 0.0)) return 0.0;
  const double share = STRONG_TIME_SHARE / decisionsLeft(shot, end, lastEnd);
  return std::min({spendable * std::min(share, STRONG_TIME_MAX_PART), STRONG_TIME_CAP});
}

}  // namespace varrowmere
