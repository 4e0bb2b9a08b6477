#include "driver/decision.h"

namespace varrowmere {

int32_t lastDecisionDepth() { return 0; }

// Until the search exists the decision answers the zero shot.
void decideShot(ShotVector& out) { out = ShotVector{}; }

}  // namespace varrowmere
