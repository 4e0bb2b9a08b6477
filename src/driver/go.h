#pragma once
// The GO handler: times the shot decision and formats the BESTSHOT reply.

#include "driver/protocol.h"

namespace varrowmere {

// Runs decideShot, subtracts its wall time from remainingTime and writes
// "BESTSHOT %f %f %d" into reply. Reader thread only.
void onGo(CommandReply& reply);

}  // namespace varrowmere
