#pragma once
// The evaluation interface: how good a position is for one side, larger being better.

#include "driver/game_state.h"

namespace varrowmere {

// An evaluator. `evaluate` reads the position (never changes it) and returns its value for
// `side` (0 or 1); it has no other effect and may run on several threads at once. Evaluators
// are created and destroyed by their concrete type, hence the protected, non-virtual destructor.
class AbstEvaluation {
 public:
  virtual double evaluate(const GameState& position, int side) const = 0;

 protected:
  AbstEvaluation() = default;
  AbstEvaluation(const AbstEvaluation&) = default;
  AbstEvaluation& operator=(const AbstEvaluation&) = default;
  ~AbstEvaluation() = default;
};

}  // namespace varrowmere
