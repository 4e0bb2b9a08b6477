#pragma once
// What a last-stone shot is worth under the referee's model: the shot is delivered many times,
// each time perturbed by the referee's delivery noise and played with the reference
// simulation, and the end is scored. The mean end score is the shot's expected end score for
// the side throwing, exact under the model up to sampling error; with the state of the game
// each end score also gives a chance to win the game (win table, hammer passed as in curling)
// and a worth in game points (the hammer's worth in the ends left added).

#include <cstdint>

#include "delivery_noise.h"
#include "positions_file.h"

namespace varrowmere::judge {

// The noise of a judging run: every shot on one position meets the same delivery errors in
// the same order, so that two players' shots there are compared on equal terms.
struct NoiseModel {
  match::NoiseSigmas sigmas;
  double scale = 1.0;  // multiplies both sigmas (0: every delivery exactly as asked)
  uint64_t seed = 0;   // of the run; each position's errors come from it and the position's number
  int32_t deliveries = 0;
};

struct ShotWorth {
  double score = 0.0;  // mean end score for the side throwing (points)
  double win = 0.0;    // mean chance that the side throwing wins the game
  // Mean worth towards the game's score difference: the end's score and what the hammer it
  // leaves is worth in the ends after it (WinTable::hammerWorth).
  double game = 0.0;
};

// The seed of the delivery errors on the position numbered `index` (from 0) of a run.
uint64_t positionSeed(uint64_t seed, uint64_t index);

// The worth of `shot` on the position numbered `index`, over model.deliveries deliveries
// played on `threads` threads (the result does not depend on the thread count).
ShotWorth judgeShot(const JudgePosition& position, uint64_t index, const ShotVector& shot,
                    const NoiseModel& model, int threads);

}  // namespace varrowmere::judge
