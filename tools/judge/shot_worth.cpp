#include "shot_worth.h"

#include <algorithm>
#include <thread>
#include <vector>

#include "match_rules.h"
#include "physics/reference_sim.h"
#include "tables/win_table.h"

namespace varrowmere::judge {

uint64_t positionSeed(uint64_t seed, uint64_t index) {
  // splitmix64's finaliser, so that neighbouring positions get unrelated streams.
  uint64_t z = seed + 0x9E3779B97F4A7C15ull * (index + 1);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

ShotWorth judgeShot(const JudgePosition& position, uint64_t index, const ShotVector& shot,
                    const NoiseModel& model, int threads) {
  const int32_t n = std::max(model.deliveries, 1);
  // The errors are drawn in delivery order from the position's own stream: the k-th delivery
  // of every shot there meets the same pair of deviates.
  match::DeliveryNoise noise(model.sigmas, model.scale, positionSeed(model.seed, index));
  std::vector<ShotVector> delivered(n);
  for (ShotVector& d : delivered) d = noise.perturb(shot);

  const GameState& state = position.state;
  const int64_t endsAfter = int64_t{state.lastEnd} - state.curEnd - 1;
  std::vector<double> scores(n), wins(n);
  const auto work = [&](int32_t first, int32_t step) {
    for (int32_t k = first; k < n; k += step) {
      GameState after;
      simulateReference(state, delivered[k], after);
      const match::EndScore end = match::endScore(after);
      // The last stone is odd: its side is side 1 of the end.
      const int64_t score = end.side == 1 ? end.points : -end.points;
      scores[k] = double(score);
      wins[k] = winTable().afterEnd(position.lead, score, true, endsAfter);
    }
  };
  const int32_t count = std::clamp<int32_t>(threads, 1, n);
  std::vector<std::thread> helpers;
  for (int32_t t = 1; t < count; ++t) helpers.emplace_back(work, t, count);
  work(0, count);
  for (std::thread& h : helpers) h.join();

  const double hammerWorth = winTable().hammerWorth(endsAfter);
  ShotWorth worth;
  for (int32_t k = 0; k < n; ++k) {
    worth.score += scores[k];
    worth.win += wins[k];
    worth.game += endWorth(scores[k], hammerWorth);
  }
  worth.score /= n;
  worth.win /= n;
  worth.game /= n;
  return worth;
}

}  // namespace varrowmere::judge
