#include "search/evaluate_switch.h"

#include <cstdlib>

#include "evaluation/evaluation_cig.h"
#include "evaluation/standard_evaluation.h"
#include "tables/message.h"

namespace varrowmere {

double switchEvaluate(const GameState& gs, int32_t evaluationType) {
  switch (evaluationType) {
    case EVALUATION_TYPE_DEFAULT: {
      // The side of the player who played the last shot.
      const int side = (gs.shotNum + 1) % 2;
      if (!timeShort) return evaluateStandard(gs, side);
      const Evaluation_CIG evaluator;
      return evaluator.evaluate(gs, side);
    }
    default:
      showMessage(MSG_ERROR, CAPTION_SWITCH_EVALUATE);
      std::exit(0);
  }
}

}  // namespace varrowmere
