#include "driver/game_state.h"

namespace varrowmere {

GameState gameState;
double remainingTime = 0.0;
bool timeShort = false;
ShotVector emptySheetShot[2] = {};
bool emptySheetStale[2] = {true, true};

}  // namespace varrowmere
