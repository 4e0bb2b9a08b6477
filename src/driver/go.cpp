#include "driver/go.h"

#include <chrono>
#include <cmath>
#include <cstdio>

#include "driver/decision.h"
#include "driver/game_state.h"

namespace varrowmere {

void onGo(CommandReply& reply) {
  ShotVector shot;
  const auto start = std::chrono::steady_clock::now();
  decideShot(shot);
  const auto stop = std::chrono::steady_clock::now();
  const double elapsedMs = std::chrono::duration<double, std::milli>(stop - start).count();
  remainingTime = remainingTime - elapsedMs * 0.001;

  // The server must always get finite numbers, whatever the decision produced.
  const double vx = std::isfinite(shot.vx) ? shot.vx : 0.0;
  const double vy = std::isfinite(shot.vy) ? shot.vy : 0.0;
  const int length = std::snprintf(reply.text, sizeof(reply.text), "BESTSHOT %f %f %d", vx, vy,
                                   shot.spin ? 1 : 0);
  reply.length = length > 0 ? static_cast<std::size_t>(length) : 0;
}

}  // namespace varrowmere
