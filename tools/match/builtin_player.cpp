#include "builtin_player.h"

#include <chrono>
#include <cmath>

#include "match_rules.h"
#include "platform/shot_maker.h"

namespace varrowmere::match {

namespace {

// Index of the other side's stone in play nearest the tee, or -1 when there is none.
int nearestOpponentStone(const GameState& state) {
  int best = -1;
  double bestDistance = 0.0;
  for (int i = 1 - sideOfStone(state.shotNum); i < state.shotNum && i < STONE_COUNT; i += 2) {
    if (!stoneInPlay(state, i)) continue;
    const double dx = double(state.stonePos[i][0]) - TEE_X;
    const double dy = double(state.stonePos[i][1]) - TEE_Y;
    const double distance = std::hypot(dx, dy);
    if (best < 0 || distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return best;
}

bool alternatingSpin(const GameState& state) { return (state.shotNum / 2) % 2 == 1; }

class BuiltinPlayer : public Player {
 public:
  using Choose = ShotVector (*)(const GameState&);
  BuiltinPlayer(std::string name, Choose choose) : name_m(std::move(name)), choose_m(choose) {}

  const std::string& name() const override { return name_m; }
  bool newGame(std::string&) override { return true; }
  PlayerAnswer play(const GameState& state, double) override {
    PlayerAnswer answer;
    const auto start = std::chrono::steady_clock::now();
    answer.shot = choose_m(state);
    answer.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    answer.ok = true;
    return answer;
  }
  void stop() override {}

 private:
  std::string name_m;
  Choose choose_m;
};

}  // namespace

ShotVector drawToTee(const GameState& state) {
  ShotVector shot;
  CreateShot(ShotTarget{float(TEE_X), float(TEE_Y), alternatingSpin(state)}, &shot);
  return shot;
}

ShotVector takeoutOrDraw(const GameState& state) {
  const int target = nearestOpponentStone(state);
  if (target < 0) return drawToTee(state);
  ShotVector shot;
  CreateHitShot(
      ShotTarget{state.stonePos[target][0], state.stonePos[target][1], alternatingSpin(state)},
      TAKEOUT_POWER, &shot);
  return shot;
}

std::unique_ptr<Player> makeBuiltinPlayer(const std::string& name) {
  if (name == "draw") return std::make_unique<BuiltinPlayer>(name, drawToTee);
  if (name == "takeout") return std::make_unique<BuiltinPlayer>(name, takeoutOrDraw);
  return nullptr;
}

}  // namespace varrowmere::match
