// The event-driven shot simulation and the rules it writes the resulting position with.

#include "physics/simulate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <limits>

#include "sim_support.h"

namespace varrowmere {
namespace {

using test::movingLocus;
using test::positionWith;

void expectAt(const GameState& s, int i, double x, double y, double tolerance = 0.0) {
  EXPECT_NEAR(s.stonePos[i][0], x, tolerance) << "stone " << i;
  EXPECT_NEAR(s.stonePos[i][1], y, tolerance) << "stone " << i;
}

// A stone moving down the centre line from y = 9 that stops near y.
StoneLocus stoppingAt(double y) {
  return movingLocus(2.375, 9.0, 0.0, -std::sqrt(2.0 * (9.0 - y) * DECEL_PER_STEP / STEP_DT));
}

GameState play(const GameState& in, const StoneLocus& shot) {
  SimWorld world;
  return test::play(world, in, shot);
}

// The shot ends at its stop; stones delivered before it that are out of play stay out, those
// not delivered yet (7, on the shot's path) are neither met nor written.
TEST(ShotSimulation, ShotThatTouchesNothingEndsAtItsStop) {
  const TrajectoryPoint stop = test::stepsAhead(stoppingAt(5.5), STEPS_NEVER);
  const GameState in = positionWith(5, {{1, 0.0f, 0.0f}, {7, 2.375f, 6.0f}});
  const GameState out = play(in, stoppingAt(5.5));
  expectAt(out, 5, static_cast<float>(stop.x), static_cast<float>(stop.y));
  for (int i = 0; i < 5; ++i) expectAt(out, i, 0.0, 0.0);
  for (int i = 6; i < STONE_COUNT; ++i) expectAt(out, i, -9.0, -9.0);
  EXPECT_EQ(out.shotNum, 6);
  EXPECT_EQ(out.whiteToMove, !in.whiteToMove);
  // Beyond the back line or short of the hog line: out of play.
  expectAt(play(in, stoppingAt(2.8)), 5, 0.0, 0.0);
  expectAt(play(in, movingLocus(2.375, 13.0, 0.0, -3.0)), 5, 0.0, 0.0);
  // At y = 3.0 a stone at rest is in play and a moving one is not: a shot that stops there
  // stays on an empty sheet, and is removed where stones at rest make it look for contacts.
  const TrajectoryPoint back = test::stepsAhead(stoppingAt(3.0), STEPS_NEVER);
  ASSERT_TRUE(back.y > FINAL_Y_MIN && back.y < BACK_LIMIT_Y);
  expectAt(play(in, stoppingAt(3.0)), 5, static_cast<float>(back.x), static_cast<float>(back.y));
  const GameState after = play(positionWith(5, {{0, 0.5f, 3.0f}}), stoppingAt(3.0));
  expectAt(after, 5, 0.0, 0.0);
  expectAt(after, 0, 0.5f, 3.0f);
}

// Running just off the sheet (x = 0.05), the shot first touches a stone at the edge while
// outside the moving area: it is removed and nothing moves. On the sheet the stone is hit.
TEST(ShotSimulation, FirstContactOutsideTheMovingAreaRemovesTheShotOnly) {
  const GameState in = positionWith(2, {{0, 0.2f, 6.0f}, {1, 2.375f, 4.88f}});
  const StoneLocus shot = movingLocus(0.05, 9.0, 0.0, -9.0, -DELIVERY_OMEGA);
  ASSERT_LT(hitSteps(shot, 0.2f, 6.0f), hitSteps(shot, 2.375f, 4.88f));
  const GameState out = play(in, shot);
  expectAt(out, 2, 0.0, 0.0);
  expectAt(out, 0, 0.2f, 6.0f);
  expectAt(out, 1, 2.375f, 4.88f);
  const GameState hit = play(in, movingLocus(0.3, 9.0, 0.0, -9.0, -DELIVERY_OMEGA));
  EXPECT_GT(std::hypot(hit.stonePos[0][0] - 0.2f, hit.stonePos[0][1] - 6.0f), 0.1);
}

// One stone at rest: one collision at the contact, then both slide to their stops. With a
// second stone far away the events run, to the same end.
TEST(ShotSimulation, TakeoutOnASingleStoneEndsAfterOneContact) {
  const StoneLocus shot = movingLocus(2.375, 8.0, 0.0, -12.0);
  const GameState out = play(positionWith(1, {{0, 2.3f, 4.9f}}), shot);
  StoneLocus delivered = shot, target = movingLocus(2.3f, 4.9f, 0.0, 0.0, 0.0);
  target.mirror = 0.0;
  readLocus(delivered, delivered.cur.stepsLeft - hitSteps(delivered, 2.3f, 4.9f));
  SimWorld().collideTwo(delivered, target);
  readLocus(delivered, 0);
  readLocus(target, 0);
  ASSERT_LT(target.cur.y, BACK_LIMIT_Y);
  expectAt(out, 0, 0.0, 0.0);
  expectAt(out, 1, static_cast<float>(delivered.cur.x), static_cast<float>(delivered.cur.y));
  const GameState out3 = play(positionWith(2, {{0, 2.3f, 4.9f}, {1, 0.4f, 10.5f}}), shot);
  expectAt(out3, 2, out.stonePos[1][0], out.stonePos[1][1], 1e-6);
  expectAt(out3, 1, 0.4f, 10.5f);
}

// Two stones on both sides of the path are touched in the same step: the three stones go
// into one Box2D step together, in slot order, then the events run on.
TEST(ShotSimulation, ContactsInTheSameStepAreResolvedTogether) {
  const StoneLocus shot = movingLocus(2.375, 7.0, 0.0, -8.0);
  const TrajectoryPoint p = test::stepsAhead(shot, 60);
  const double ux = p.vx * p.invSpeed, uy = p.vy * p.invSpeed;
  const auto lx = static_cast<float>(p.x - 0.2 * uy + 0.25 * ux);
  const auto ly = static_cast<float>(p.y + 0.2 * ux + 0.25 * uy);
  const auto rx = static_cast<float>(p.x + 0.2 * uy + 0.25 * ux);
  const auto ry = static_cast<float>(p.y - 0.2 * ux + 0.25 * uy);
  const GameState in = positionWith(2, {{0, lx, ly}, {1, rx, ry}});
  const int32_t steps = hitSteps(shot, lx, ly);
  ASSERT_EQ(steps, hitSteps(shot, rx, ry));
  const GameState out = play(in, shot);

  StoneLocus loci[STONE_COUNT];
  int32_t count = 0;
  loadStones(in, loci, count);
  loci[2] = shot;
  loci[2].stoneIndex = loci[2].stateIndex = 2;
  readLocus(loci[2], loci[2].cur.stepsLeft - steps);
  ContactMatrix matrix;
  for (auto& row : matrix) std::fill(std::begin(row), std::end(row), STEPS_NEVER);
  matrix[0][2] = matrix[2][0] = matrix[1][2] = matrix[2][1] = steps;
  SimWorld fresh;
  StoneLocus* all[3] = {&loci[0], &loci[1], &loci[2]};
  fresh.collideMany(all, 3);
  runEvents(fresh, loci, 3, matrix);
  GameState expected = in;
  buildResultState(loci, 3, in, expected);
  for (int s = 0; s < 3; ++s) expectAt(out, s, expected.stonePos[s][0], expected.stonePos[s][1]);
  EXPECT_GT(std::hypot(out.stonePos[0][0] - lx, out.stonePos[0][1] - ly), 0.3);
  EXPECT_GT(std::hypot(out.stonePos[1][0] - rx, out.stonePos[1][1] - ry), 0.3);
}

// On shots 0 to 3 an opponent's stone that was in the free guard zone and is no longer is
// put back; the thrower's own stones and everything on later shots stay where they went.
TEST(ShotSimulation, FreeGuardZoneRuleProtectsTheOpponentsGuardsOnTheFirstFourShots) {
  for (int32_t shotNum = 1; shotNum <= 5; ++shotNum) {
    GameState in, out;
    in.shotNum = shotNum;
    StoneLocus loci[STONE_COUNT];  // all at (0, 0): knocked out
    for (int i = 0; i <= shotNum; ++i) {
      in.stonePos[i][0] = 1.775f + 0.3f * static_cast<float>(i);
      in.stonePos[i][1] = 8.0f;
      loci[i].stateIndex = i;
    }
    buildResultState(loci, shotNum + 1, in, out);
    for (int i = 0; i < shotNum; ++i) {
      const float kept = i % 2 != shotNum % 2 && shotNum < 4 ? 1.0f : 0.0f;
      expectAt(out, i, kept * in.stonePos[i][0], kept * in.stonePos[i][1]);
    }
  }
  // Shot 3: the opponent's stone in the house is no guard; its guard moved within the zone
  // stays moved.
  const GameState in = positionWith(3, {{0, 2.375f, 4.88f}, {2, 2.375f, 8.0f}});
  StoneLocus loci[4];
  for (int i = 0; i < 4; ++i) loci[i].stateIndex = i;
  loci[2].cur.x = 1.5;
  loci[2].cur.y = 9.0;
  GameState out;
  buildResultState(loci, 4, in, out);
  expectAt(out, 2, 1.5, 9.0, 1e-6);
  expectAt(out, 0, 0.0, 0.0);
  // Played: shot 1 takes out the opponent's centre guard, which is put back; on shot 4 not.
  const StoneLocus takeout = movingLocus(2.375, 11.0, 0.0, -14.0);
  expectAt(play(positionWith(1, {{0, 2.375f, 8.0f}}), takeout), 0, 2.375f, 8.0f);
  expectAt(play(positionWith(4, {{1, 2.375f, 8.0f}}), takeout), 1, 0.0, 0.0);
}

// The earliest entry wins; an entry equal to it flags every stone of the tied contacts
// (CONTACT_SEVERAL); an earlier one later replaces the tie. Slots 0, 2 and 3 move; each case
// adds its entry to those before.
TEST(ShotSimulation, EarliestContactFlagsTiedContactsTogether) {
  StoneLocus loci[5];
  for (int s = 0; s < 5; ++s) {
    loci[s].stoneIndex = s;
    loci[s].cur.moving = s == 0 || s == 2 || s == 3;
  }
  StoneLocus* moving[3] = {&loci[0], &loci[2], &loci[3]};
  ContactMatrix matrix;
  for (auto& row : matrix) std::fill(std::begin(row), std::end(row), STEPS_NEVER);
  EventFlags flags;
  std::fill(std::begin(flags), std::end(flags), 1);
  const struct {
    int a, b;
    int32_t t;
    int result, steps, i, j, flagged;
  } cases[] = {{0, 0, STEPS_NEVER, CONTACT_NONE, STEPS_NEVER, -1, -1, 0},
               {0, 1, 10, CONTACT_ONE, 10, 0, 1, 0b00011},
               {2, 4, 10, CONTACT_SEVERAL, 10, -1, -1, 0b10111},
               {3, 4, 5, CONTACT_ONE, 5, 3, 4, 0b11000},
               {0, 2, 4, CONTACT_ONE, 4, 0, 2, 0b00101},  // a moving pair counts once
               {3, 1, 4, CONTACT_SEVERAL, 4, -1, -1, 0b01111}};
  for (const auto& c : cases) {
    matrix[c.a][c.b] = matrix[c.b][c.a] = c.t;
    int32_t steps = 0;
    int i = 0, j = 0, mask = 0;
    EXPECT_EQ(earliestContact(moving, 3, loci, 5, matrix, steps, i, j, flags), c.result);
    for (int s = 0; s < STONE_COUNT; ++s) mask |= flags[s] ? 1 << s : 0;
    EXPECT_TRUE(steps == c.steps && i == c.i && j == c.j) << c.a << " " << c.b;
    EXPECT_EQ(mask, c.flagged) << c.a << " " << c.b;
  }
}

// Crowded, overlapping and wild positions, any shot number: the shot number advances, the
// turn passes, and every delivered stone ends in the final play area or out of play.
TEST(ShotSimulation, WildPositionsAndShotsNeitherCrashNorHang) {
  const float nan = std::numeric_limits<float>::quiet_NaN(), big = 3e38f;
  const float values[] = {nan, std::numeric_limits<float>::infinity(), -big, 1e6f, 2.375f, -3.0f};
  StoneLocus shots[4] = {stoppingAt(4.88), test::delivered({0.0f, -40.0f, true}),
                         movingLocus(2.375, 6.0, 0.0, -20.0), movingLocus(4.5, 9.0, 3.0, -3.0)};
  shots[3].cur.x = nan;
  shots[3].k = -5;
  uint32_t seed = 1;
  const auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
  SimWorld world;
  for (int round = 0; round < 300; ++round) {
    GameState in;
    in.shotNum = static_cast<int32_t>(next() % 17);
    in.whiteToMove = round % 3 == 0;
    for (auto& p : in.stonePos) {
      const uint32_t r = next();
      p[0] = r % 5 == 0 ? values[next() % 6] : 2.3f + 0.01f * static_cast<float>(r % 7);
      p[1] = r % 7 == 0 ? values[next() % 6] : 4.8f + 0.01f * static_cast<float>(r % 11);
    }
    const GameState out = test::play(world, in, shots[round % 4]);
    EXPECT_EQ(out.shotNum, in.shotNum + 1);
    EXPECT_EQ(out.whiteToMove, !in.whiteToMove);
    for (int i = 0; i < std::min(out.shotNum, STONE_COUNT); ++i) {
      const float x = out.stonePos[i][0], y = out.stonePos[i][1];
      EXPECT_TRUE(!stoneInPlay(out, i) || inFinalPlayArea(x, y)) << round << " " << i;
    }
  }
}

}  // namespace
}  // namespace varrowmere
