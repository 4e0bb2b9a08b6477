#include "driver/decision.h"

namespace varrowmere {

// Until the search exists the decision answers the zero shot.
void decideShot(ShotVector& out) { out = ShotVector{}; }

}  // namespace varrowmere
