#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <sstream>

#include "builtin_player.h"
#include "game.h"
#include "match_log.h"
#include "physics/motion.h"
#include "physics/reference_sim.h"

using namespace varrowmere;
using namespace varrowmere::match;

namespace {

void ensureTables() {
  static const bool built = [] {
    buildChordTable();
    buildTrajectoryTables();
    return true;
  }();
  (void)built;
}

// Where the motion model stops a delivered shot.
TrajectoryPoint stopOf(const ShotVector& shot) {
  StoneLocus locus;
  vec_to_locus_deliver(shot, locus);
  readLocus(locus, 0);
  return locus.cur;
}

// Closest approach of the delivered stone's path to (x, y), and its speed there.
void closestPass(const ShotVector& shot, double x, double y, double* distance, double* speed) {
  double px = DELIVERY_X, py = DELIVERY_Y, vx = shot.vx, vy = shot.vy;
  *distance = 1e9;
  for (;;) {
    const double d = std::hypot(px - x, py - y);
    if (d < *distance) {
      *distance = d;
      *speed = std::hypot(vx, vy);
    }
    px += vx * STEP_DT;
    py += vy * STEP_DT;
    if (frictionStep(vx, vy, curlSign(shot.spin)) == 0.0 || py < 0.0) return;
  }
}

// The log with the value (a number, or an object of numbers) of every `key` field replaced
// by T.
std::string blanked(const std::string& text, const std::string& key) {
  // Appended piece by piece: GCC 12 warns falsely about string replace and concatenation here.
  std::string field = "\"";
  field += key;
  field += "\":";
  std::string out;
  std::size_t from = 0;
  for (std::size_t at = text.find(field); at != std::string::npos; at = text.find(field, from)) {
    const std::size_t value = at + field.size();
    out.append(text, from, value - from);
    out.push_back('T');
    from = text[value] == '{' ? text.find('}', value) + 1 : text.find_first_of(",}", value);
  }
  out.append(text, from, std::string::npos);
  return out;
}

// One end between the built-in opponents, logged.
std::string playOneEnd(uint64_t seed) {
  std::unique_ptr<Player> red = makeBuiltinPlayer("takeout"), yellow = makeBuiltinPlayer("draw");
  Player* const players[2] = {red.get(), yellow.get()};
  GameSettings settings;
  settings.ends = 1;
  DeliveryNoise noise(deriveNoiseSigmas(), 1.0, seed);
  std::ostringstream text;
  MatchLog log(text);
  playGame(players, settings, noise, log, simulateReference);
  // Measured thinking times differ from run to run; everything else must not.
  return blanked(blanked(text.str(), "think_s"), "left_s");
}

}  // namespace

TEST(BuiltinOpponents, DrawStopsAtTheTeeWithAlternatingSpin) {
  ensureTables();
  GameState state;
  for (int shot = 0; shot < 6; ++shot) {
    state.shotNum = shot;
    const ShotVector draw = drawToTee(state);
    // Stones 0,1 spin 0; 2,3 spin 1; 4,5 spin 0: each side alternates from stone to stone.
    EXPECT_EQ(draw.spin, (shot / 2) % 2 == 1) << "shot " << shot;
    const TrajectoryPoint stop = stopOf(draw);
    EXPECT_NEAR(stop.x, TEE_X, 0.002) << "shot " << shot;
    EXPECT_NEAR(stop.y, TEE_Y, 0.002) << "shot " << shot;
  }
  EXPECT_EQ(makeBuiltinPlayer("nonsense"), nullptr);
  ASSERT_NE(makeBuiltinPlayer("draw"), nullptr);
  EXPECT_EQ(makeBuiltinPlayer("takeout")->name(), "takeout");
}

TEST(BuiltinOpponents, TakeoutHitsTheOpponentStoneNearestTheTee) {
  ensureTables();
  GameState state;
  state.shotNum = 5;            // side 1 to play; side 0's stones are 0, 2, 4
  state.stonePos[0][0] = 2.0f;  // side 0, 1.0 m from the tee
  state.stonePos[0][1] = float(TEE_Y + 0.93);
  state.stonePos[2][0] = 2.9f;  // side 0, 0.55 m: the target
  state.stonePos[2][1] = float(TEE_Y - 0.2);
  state.stonePos[1][0] = float(TEE_X);  // side 1's own stone on the button is no target
  state.stonePos[1][1] = float(TEE_Y);
  const ShotVector hit = takeoutOrDraw(state);
  double distance = 0, speed = 0;
  closestPass(hit, 2.9, TEE_Y - 0.2, &distance, &speed);
  EXPECT_LT(distance, 0.01);
  EXPECT_NEAR(speed, TAKEOUT_POWER, 0.1);

  // Only its own stones in play: a draw to the tee.
  state.stonePos[0][0] = state.stonePos[0][1] = 0.0f;
  state.stonePos[2][0] = state.stonePos[2][1] = 0.0f;
  const TrajectoryPoint stop = stopOf(takeoutOrDraw(state));
  EXPECT_NEAR(stop.x, TEE_X, 0.002);
  EXPECT_NEAR(stop.y, TEE_Y, 0.002);
}

TEST(BuiltinOpponents, SeededEndBetweenThemGivesTheSameLogTwice) {
  ensureTables();
  const std::string first = playOneEnd(2024);
  const std::string second = playOneEnd(2024);
  EXPECT_EQ(first, second);
  // 16 shots, the end and the game.
  EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), 18);
  EXPECT_NE(first.find("\"type\":\"end\""), std::string::npos);
  // The noise is really there: another seed plays another end.
  EXPECT_NE(first, playOneEnd(2025));
}
