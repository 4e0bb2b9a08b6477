#include "physics/simulate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "sim_support.h"

namespace varrowmere {
namespace {

using test::aimDraw;
using test::movingLocus;
using test::PlacedStone;
using test::positionWith;
using test::stepsAhead;

class ShotSimulation : public ::testing::Test {
 protected:
  void SetUp() override { test::ensureMotionTables(); }

  // Plays a locus on a position through loadStones and simulateShot; out starts as a copy
  // of `in` with a marker in every stone slot, to show what the simulation leaves alone.
  GameState play(const GameState& in, const StoneLocus& shot) {
    StoneLocus stones[STONE_COUNT];
    int32_t count = 0;
    loadStones(in, stones, count);
    GameState out = in;
    for (auto& p : out.stonePos) p[0] = p[1] = -9.0f;
    simulateShot(world, shot, stones, count, in, out);
    return out;
  }

  SimWorld world;
};

void expectAt(const GameState& s, int i, double x, double y, double tolerance = 0.0) {
  EXPECT_NEAR(s.stonePos[i][0], x, tolerance) << "stone " << i;
  EXPECT_NEAR(s.stonePos[i][1], y, tolerance) << "stone " << i;
}

TEST_F(ShotSimulation, ShotOnAnEmptySheetEndsAtItsStopOrNowhere) {
  StoneLocus draw;
  ASSERT_TRUE(vec_to_locus_deliver(aimDraw(2.0, 5.5, false), draw));
  GameState in = positionWith(5, (PlacedStone[]){{1, 0.0f, 0.0f}});
  GameState out = play(in, draw);
  TrajectoryPoint stop;
  locusPoint(draw, draw.k, 0, stop);
  expectAt(out, 5, static_cast<float>(stop.x), static_cast<float>(stop.y));
  EXPECT_NEAR(stop.x, 2.0, 1e-3);
  EXPECT_NEAR(stop.y, 5.5, 1e-3);
  for (int i = 0; i < 5; ++i) expectAt(out, i, 0.0, 0.0);
  // Stones not delivered yet are the caller's.
  for (int i = 6; i < STONE_COUNT; ++i) expectAt(out, i, -9.0, -9.0);
  EXPECT_EQ(out.shotNum, 6);
  EXPECT_EQ(out.whiteToMove, !in.whiteToMove);

  // Stopping behind the back line, or short of the hog line: nothing.
  for (const double y : {2.6, 11.4}) {
    StoneLocus miss;
    ASSERT_TRUE(vec_to_locus_deliver(aimDraw(2.375, y, true), miss));
    expectAt(play(in, miss), 5, 0.0, 0.0);
  }
}

TEST_F(ShotSimulation, FirstContactOutsideTheMovingAreaRemovesTheShotOnly) {
  // The shot runs down just off the left edge of the sheet (x = 0.05) and first touches a
  // stone at the edge; there it is out of the moving area: removed, nothing moves.
  const GameState in = positionWith(2, (PlacedStone[]){{0, 0.2f, 6.0f}, {1, 2.375f, 4.88f}});
  const StoneLocus shot = movingLocus(0.05, 9.0, 0.0, -9.0, -DELIVERY_OMEGA);
  const int32_t contact = hitSteps(shot, 0.2f, 6.0f);
  ASSERT_NE(contact, STEPS_NEVER);
  ASSERT_LT(contact, hitSteps(shot, 2.375f, 4.88f));
  const GameState out = play(in, shot);
  expectAt(out, 2, 0.0, 0.0);
  expectAt(out, 0, 0.2f, 6.0f);
  expectAt(out, 1, 2.375f, 4.88f);

  // The same on the sheet (x = 0.2 + 0.1): the stone is hit.
  const GameState hit = play(in, movingLocus(0.3, 9.0, 0.0, -9.0, -DELIVERY_OMEGA));
  EXPECT_GT(std::fabs(hit.stonePos[0][1] - 6.0f) + std::fabs(hit.stonePos[0][0] - 0.2f), 0.1);
}

TEST_F(ShotSimulation, TakeoutOnASingleStoneEndsAfterOneContact) {
  const GameState in = positionWith(1, (PlacedStone[]){{0, 2.3f, 4.9f}});
  const StoneLocus shot = movingLocus(2.375, 8.0, 0.0, -12.0);
  const GameState out = play(in, shot);

  // By hand: jump to the contact, one collision, both slide to their stops.
  StoneLocus delivered = shot, target;
  StoneLocus stones[STONE_COUNT];
  int32_t count = 0;
  loadStones(in, stones, count);
  target = stones[0];
  const int32_t steps = hitSteps(delivered, target.cur.x, target.cur.y);
  ASSERT_NE(steps, STEPS_NEVER);
  readLocus(delivered, delivered.cur.stepsLeft - steps);
  SimWorld fresh;
  fresh.collideTwo(delivered, target);
  readLocus(delivered, 0);
  readLocus(target, 0);
  expectAt(out, 1, static_cast<float>(delivered.cur.x), static_cast<float>(delivered.cur.y));
  ASSERT_TRUE(inFinalPlayArea(delivered.cur.x, delivered.cur.y));
  // The target went out of play.
  EXPECT_LT(target.cur.y, BACK_LIMIT_Y);
  expectAt(out, 0, 0.0, 0.0);

  // A far stone makes the events run; it is not touched and nothing else changes.
  const GameState in3 = positionWith(2, (PlacedStone[]){{0, 2.3f, 4.9f}, {1, 0.4f, 10.5f}});
  const GameState out3 = play(in3, shot);
  expectAt(out3, 2, out.stonePos[1][0], out.stonePos[1][1], 1e-6);
  expectAt(out3, 1, 0.4f, 10.5f);
}

TEST_F(ShotSimulation, TwoContactsInTheSameStepAreResolvedTogether) {
  // Two stones placed symmetrically on both sides of the path: touched in the same step.
  const StoneLocus shot = movingLocus(2.375, 7.0, 0.0, -8.0);
  const TrajectoryPoint p = stepsAhead(shot, 60);
  const double nx = -p.vy * p.invSpeed, ny = p.vx * p.invSpeed;
  const double ux = p.vx * p.invSpeed, uy = p.vy * p.invSpeed;
  const auto lx = static_cast<float>(p.x + 0.2 * nx + 0.25 * ux);
  const auto ly = static_cast<float>(p.y + 0.2 * ny + 0.25 * uy);
  const auto rx = static_cast<float>(p.x - 0.2 * nx + 0.25 * ux);
  const auto ry = static_cast<float>(p.y - 0.2 * ny + 0.25 * uy);
  const GameState in = positionWith(2, (PlacedStone[]){{0, lx, ly}, {1, rx, ry}});
  ASSERT_EQ(hitSteps(shot, lx, ly), hitSteps(shot, rx, ry));
  const GameState out = play(in, shot);

  // By hand: the three stones in one Box2D step (slot order), then the events.
  StoneLocus loci[STONE_COUNT];
  int32_t count = 0;
  loadStones(in, loci, count);
  loci[2] = shot;
  loci[2].stoneIndex = 2;
  loci[2].stateIndex = 2;
  ContactMatrix matrix;
  for (auto& row : matrix)
    for (int32_t& e : row) e = STEPS_NEVER;
  StoneLocus* resting[2] = {&loci[0], &loci[1]};
  predictShotContacts(loci[2], resting, 2, matrix);
  StoneLocus* moving[1] = {&loci[2]};
  EventFlags flags;
  int32_t steps = 0;
  int i = 0, j = 0;
  ASSERT_EQ(earliestContact(moving, 1, loci, 3, matrix, steps, i, j, flags), CONTACT_SEVERAL);
  EXPECT_EQ(flags[0] + flags[1] + flags[2], 3);
  readLocus(loci[2], loci[2].cur.stepsLeft - steps);
  SimWorld fresh;
  StoneLocus* all[3] = {&loci[0], &loci[1], &loci[2]};
  fresh.collideMany(all, 3);
  runEvents(fresh, loci, 3, matrix);
  GameState expected = in;
  buildResultState(loci, 3, in, expected);
  for (int s = 0; s < 3; ++s) expectAt(out, s, expected.stonePos[s][0], expected.stonePos[s][1]);
  // Both stones were driven apart, to either side.
  EXPECT_GT(std::hypot(out.stonePos[0][0] - lx, out.stonePos[0][1] - ly), 0.3);
  EXPECT_GT(std::hypot(out.stonePos[1][0] - rx, out.stonePos[1][1] - ry), 0.3);
}

TEST_F(ShotSimulation, FreeGuardZoneRuleProtectsOnlyTheOpponentsGuardsOnTheFirstFourShots) {
  const float guardX = 2.375f, guardY = 8.0f;
  ASSERT_TRUE(inFreeGuardZone(guardX, guardY));
  // Every stone already delivered is a guard; after the shot each is knocked out of play.
  for (int32_t shotNum = 1; shotNum <= 5; ++shotNum) {
    GameState in;
    in.shotNum = shotNum;
    StoneLocus loci[STONE_COUNT];
    for (int i = 0; i <= shotNum; ++i) {
      in.stonePos[i][0] = guardX + 0.3f * static_cast<float>(i) - 0.6f;
      in.stonePos[i][1] = guardY;
      loci[i].stateIndex = i;
      loci[i].cur.x = 0.0;
      loci[i].cur.y = 0.0;
    }
    loci[shotNum].cur.x = 2.375;
    loci[shotNum].cur.y = 5.0;
    GameState out;
    buildResultState(loci, shotNum + 1, in, out);
    for (int i = 0; i < shotNum; ++i) {
      const bool opponent = i % 2 != shotNum % 2;
      const bool restored = opponent && shotNum < FREE_GUARD_SHOTS;
      EXPECT_EQ(out.stonePos[i][0], restored ? in.stonePos[i][0] : 0.0f)
          << "shot " << shotNum << " stone " << i;
      EXPECT_EQ(out.stonePos[i][1], restored ? in.stonePos[i][1] : 0.0f)
          << "shot " << shotNum << " stone " << i;
    }
    expectAt(out, shotNum, 2.375, 5.0, 1e-6);
  }

  // A guard moved within the zone stays moved; a stone in the house is not a guard.
  GameState in = positionWith(2, (PlacedStone[]){{1, guardX, guardY}});
  in.stonePos[0][0] = 2.375f;
  in.stonePos[0][1] = 4.88f;
  StoneLocus loci[3];
  loci[0].stateIndex = 0;
  loci[1].stateIndex = 1;
  loci[1].cur.x = 1.5;
  loci[1].cur.y = 9.0;
  loci[2].stateIndex = 2;
  GameState out;
  buildResultState(loci, 3, in, out);
  expectAt(out, 1, 1.5, 9.0, 1e-6);
  // Stone 0 belongs to the thrower anyway, and stone 2 (the shot, at (0, 0)) is out.
  expectAt(out, 0, 0.0, 0.0);
  expectAt(out, 2, 0.0, 0.0);

  // End to end: shot 1 takes out the opponent's centre guard, which is put back; the same
  // takeout on shot 4 removes it.
  const StoneLocus takeout = movingLocus(2.375, 11.0, 0.0, -14.0);
  const GameState guarded = positionWith(1, (PlacedStone[]){{0, guardX, guardY}});
  const GameState after = play(guarded, takeout);
  expectAt(after, 0, guardX, guardY);
  EXPECT_EQ(after.shotNum, 2);
  const GameState late = positionWith(4, (PlacedStone[]){{1, guardX, guardY}});
  expectAt(play(late, takeout), 1, 0.0, 0.0);
}

TEST_F(ShotSimulation, ShotNumberAndTurnAlwaysAdvance) {
  const StoneLocus shots[] = {movingLocus(2.375, 8.0, 0.0, -12.0),
                              movingLocus(2.375, 8.0, 0.0, -3.0), movingLocus(0.05, 9.0, 0.0, -9.0),
                              movingLocus(4.5, 9.0, 3.0, -3.0)};
  for (const StoneLocus& shot : shots) {
    for (int32_t shotNum = 0; shotNum < STONE_COUNT; ++shotNum) {
      for (const bool white : {false, true}) {
        GameState in = positionWith(shotNum, (PlacedStone[]){{0, 2.3f, 4.9f}, {1, 2.4f, 5.6f}});
        in.whiteToMove = white;
        const GameState out = play(in, shot);
        EXPECT_EQ(out.shotNum, shotNum + 1);
        EXPECT_EQ(out.whiteToMove, !white);
      }
    }
  }
}

TEST_F(ShotSimulation, EarliestContactBreaksTiesAsWritten) {
  // Slots 0, 2, 3 move; 1 and 4 rest.
  StoneLocus loci[5];
  for (int s = 0; s < 5; ++s) {
    loci[s].stoneIndex = s;
    loci[s].cur.moving = (s == 0 || s == 2 || s == 3) ? 1 : 0;
  }
  StoneLocus* moving[3] = {&loci[0], &loci[2], &loci[3]};
  ContactMatrix matrix;
  const auto reset = [&matrix] {
    for (auto& row : matrix)
      for (int32_t& e : row) e = STEPS_NEVER;
  };
  const auto set = [&matrix](int a, int b, int32_t t) { matrix[a][b] = matrix[b][a] = t; };
  EventFlags flags;
  int32_t steps = 0;
  int i = 0, j = 0;
  const auto flagged = [&flags] {
    int mask = 0;
    for (int s = 0; s < STONE_COUNT; ++s) mask |= flags[s] ? 1 << s : 0;
    return mask;
  };

  reset();
  for (uint8_t& f : flags) f = 1;
  EXPECT_EQ(earliestContact(moving, 3, loci, 5, matrix, steps, i, j, flags), CONTACT_NONE);
  EXPECT_EQ(steps, STEPS_NEVER);
  EXPECT_EQ(flagged(), 0);

  set(0, 1, 10);
  set(2, 4, 20);
  EXPECT_EQ(earliestContact(moving, 3, loci, 5, matrix, steps, i, j, flags), CONTACT_ONE);
  EXPECT_EQ(steps, 10);
  EXPECT_EQ(i, 0);
  EXPECT_EQ(j, 1);
  EXPECT_EQ(flagged(), 0b00011);

  set(2, 4, 10);
  EXPECT_EQ(earliestContact(moving, 3, loci, 5, matrix, steps, i, j, flags), CONTACT_SEVERAL);
  EXPECT_EQ(steps, 10);
  EXPECT_EQ(i, -1);
  EXPECT_EQ(j, -1);
  EXPECT_EQ(flagged(), 0b10111);

  // A later, earlier contact replaces the tie.
  set(3, 4, 5);
  EXPECT_EQ(earliestContact(moving, 3, loci, 5, matrix, steps, i, j, flags), CONTACT_ONE);
  EXPECT_EQ(steps, 5);
  EXPECT_EQ(i, 3);
  EXPECT_EQ(j, 4);
  EXPECT_EQ(flagged(), 0b11000);

  // A pair of moving stones counts once (no tie with itself); three-way ties flag all.
  reset();
  set(0, 2, 7);
  EXPECT_EQ(earliestContact(moving, 3, loci, 5, matrix, steps, i, j, flags), CONTACT_ONE);
  EXPECT_EQ(i, 0);
  EXPECT_EQ(j, 2);
  set(3, 1, 7);
  set(2, 4, 7);
  EXPECT_EQ(earliestContact(moving, 3, loci, 5, matrix, steps, i, j, flags), CONTACT_SEVERAL);
  EXPECT_EQ(flagged(), 0b11111);
  EXPECT_EQ(steps, 7);
}

TEST_F(ShotSimulation, RemovalAndElapsedStepsKeepTheMatrixConsistent) {
  StoneLocus loci[3];
  for (int s = 0; s < 3; ++s) {
    loci[s].stoneIndex = s;
    loci[s].cur.moving = 1;
    loci[s].cur.x = 2.0;
    loci[s].cur.y = 6.0;
  }
  loci[1].cur.y = 3.0;  // behind the back line's inner limit
  StoneLocus* moving[3] = {&loci[0], &loci[1], &loci[2]};
  ContactMatrix matrix;
  for (auto& row : matrix)
    for (int32_t& e : row) e = 40;
  matrix[0][2] = matrix[2][0] = STEPS_NEVER;
  EventFlags flags = {1, 1, 1};
  removeOutOfPlay(moving, 3, flags, matrix, 3);
  EXPECT_EQ(loci[1].cur.x, 0.0);
  EXPECT_EQ(loci[1].cur.y, 0.0);
  EXPECT_EQ(loci[1].cur.moving, 0);
  EXPECT_EQ(flags[1], 0);
  EXPECT_EQ(flags[0] + flags[2], 2);
  for (int s = 0; s < 3; ++s) {
    EXPECT_EQ(matrix[1][s], STEPS_NEVER);
    EXPECT_EQ(matrix[s][1], STEPS_NEVER);
  }
  EXPECT_EQ(loci[0].cur.y, 6.0);

  subtractElapsed(matrix, 3, 15);
  EXPECT_EQ(matrix[0][0], 25);
  EXPECT_EQ(matrix[0][2], STEPS_NEVER);
  EXPECT_EQ(matrix[1][0], STEPS_NEVER);
  EXPECT_EQ(matrix[0][3], 40);  // outside slots 0..n-1
}

TEST_F(ShotSimulation, LoadStonesBuildsRestingLociInDeliveryOrder) {
  GameState gs =
      positionWith(6, (PlacedStone[]){{0, 2.0f, 5.0f}, {2, 1.0f, 6.0f}, {5, 3.0f, 4.0f}});
  gs.stonePos[7][0] = 2.2f;  // not delivered yet: ignored
  gs.stonePos[7][1] = 5.2f;
  StoneLocus stones[STONE_COUNT];
  stones[1].k = 321;
  int32_t count = -1;
  loadStones(gs, stones, count);
  ASSERT_EQ(count, 3);
  const int expectedState[3] = {0, 2, 5};
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(stones[c].stoneIndex, c);
    EXPECT_EQ(stones[c].stateIndex, expectedState[c]);
    EXPECT_EQ(stones[c].cur.x, gs.stonePos[expectedState[c]][0]);
    EXPECT_EQ(stones[c].cur.moving, 0);
    EXPECT_EQ(stones[c].cur.stepsLeft, 0);
    EXPECT_EQ(stones[c].cur.invSpeed, INVERSE_OF_ZERO);
    EXPECT_EQ(stones[c].mirror, 0.0);
    EXPECT_EQ(stones[c].active, 0);
  }
  EXPECT_EQ(stones[1].k, 321);  // other fields are left as they were
}

TEST_F(ShotSimulation, WildPositionsAndShotsNeitherCrashNorHang) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const float big = std::numeric_limits<float>::max();
  const float values[] = {nan, inf, -inf, big, -big, 1e6f, 2.375f, 4.88f, 5.0f, 0.0f, -3.0f};
  StoneLocus shots[4];
  vec_to_locus_deliver(aimDraw(2.375, 4.88, false), shots[0]);
  vec_to_locus_deliver(ShotVector{0.0f, -40.0f, true}, shots[1]);
  shots[2] = movingLocus(2.375, 6.0, 0.0, -20.0);
  shots[3] = movingLocus(2.375, 6.0, 0.0, -20.0);
  shots[3].cur.x = nan;
  shots[3].k = -5;
  uint32_t seed = 1;
  const auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
  for (int round = 0; round < 300; ++round) {
    GameState in;
    in.shotNum = static_cast<int32_t>(next() % 17);
    for (int i = 0; i < STONE_COUNT; ++i) {
      // Mostly a crowded house with every stone overlapping others, some wild values.
      const uint32_t r = next();
      in.stonePos[i][0] =
          r % 5 == 0 ? values[next() % 11] : 2.3f + 0.01f * static_cast<float>(r % 7);
      in.stonePos[i][1] =
          r % 7 == 0 ? values[next() % 11] : 4.8f + 0.01f * static_cast<float>(r % 11);
    }
    const GameState out = play(in, shots[round % 4]);
    EXPECT_EQ(out.shotNum, in.shotNum + 1);
    for (int i = 0; i < std::min(out.shotNum, STONE_COUNT); ++i) {
      const float x = out.stonePos[i][0], y = out.stonePos[i][1];
      EXPECT_TRUE((x == 0.0f && y == 0.0f) || inFinalPlayArea(x, y)) << round << " " << i;
    }
  }
}

}  // namespace
}  // namespace varrowmere
