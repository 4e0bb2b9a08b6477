#pragma once
// The shot decision: turns the present gameState into the shot to play.

#include "physics/sheet.h"

namespace varrowmere {

// Fills out with the shot for gameState. Called by the GO handler on the reader thread.
void decideShot(ShotVector& out);

}  // namespace varrowmere
