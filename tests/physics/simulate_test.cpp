// The event-driven shot simulation, its collision world, and the reference simulation.

#include "physics/simulate.h"

#include <cmath>
#include <complex>
#include <cstring>
#include <iterator>
#include <random>

#include "physics/reference_sim.h"
#include "platform/shot_maker.h"
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
  for (int i = 0; i < STONE_COUNT; ++i) {
    if (i != 5) expectAt(out, i, i == 7 ? 2.375f : 0.0f, i == 7 ? 6.0f : 0.0f);
  }
  EXPECT_TRUE(out.shotNum == 6 && out.whiteToMove == !in.whiteToMove);
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
// outside the moving area: it is removed and nothing moves.
TEST(ShotSimulation, FirstContactOutsideTheMovingAreaRemovesTheShotOnly) {
  const GameState in = positionWith(2, {{0, 0.2f, 6.0f}, {1, 2.375f, 4.88f}});
  const StoneLocus shot = movingLocus(0.05, 9.0, 0.0, -9.0, -DELIVERY_OMEGA);
  ASSERT_LT(hitSteps(shot, 0.2f, 6.0f), hitSteps(shot, 2.375f, 4.88f));
  const GameState out = play(in, shot);
  expectAt(out, 2, 0.0, 0.0);
  expectAt(out, 0, 0.2f, 6.0f);
  expectAt(out, 1, 2.375f, 4.88f);
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
  // Shot 3: the opponent's stone in the house is no guard; one moved within the zone stays.
  const GameState in = positionWith(3, {{0, 2.375f, 4.88f}, {2, 2.375f, 8.0f}});
  StoneLocus loci[4];
  for (int i = 0; i < 4; ++i) loci[i].stateIndex = i;
  loci[2].cur.x = 1.5;
  loci[2].cur.y = 9.0;
  GameState out;
  buildResultState(loci, 4, in, out);
  expectAt(out, 2, 1.5, 9.0, 1e-6);
  expectAt(out, 0, 0.0, 0.0);
}

// The earliest entry wins; one equal to it flags every stone of the tied contacts, an earlier
// one later replaces the tie. Slots 0, 2 and 3 move; each case adds an entry to those before.
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
  const int N = CONTACT_NONE, ONE = CONTACT_ONE, SEVERAL = CONTACT_SEVERAL, NEVER = STEPS_NEVER;
  // a, b, their entry; the result, steps, i, j and the flagged stones.
  const int cases[][8] = {
      {0, 0, NEVER, N, NEVER, -1, -1, 0},       {0, 1, 10, ONE, 10, 0, 1, 0b00011},
      {2, 4, 10, SEVERAL, 10, -1, -1, 0b10111}, {3, 4, 5, ONE, 5, 3, 4, 0b11000},
      {0, 2, 4, ONE, 4, 0, 2, 0b00101},  // a pair of moving stones counts once
      {3, 1, 4, SEVERAL, 4, -1, -1, 0b01111},
  };
  for (const auto& c : cases) {
    matrix[c[0]][c[1]] = matrix[c[1]][c[0]] = c[2];
    int32_t steps = 0;
    int i = 0, j = 0, mask = 0;
    EXPECT_EQ(earliestContact(moving, 3, loci, 5, matrix, steps, i, j, flags), c[3]);
    for (int s = 0; s < STONE_COUNT; ++s) mask |= flags[s] ? 1 << s : 0;
    EXPECT_TRUE(steps == c[4] && i == c[5] && j == c[6] && mask == c[7]) << c[0] << " " << c[1];
  }
}

// A thin hit spins the shooter (curl sign +1) the other way: collideTwo's model step turns it
// by the curl it had (atan(CURL / speed) against collideMany, which adds no step), then it
// rides the table of its new spin.
TEST(CollisionWorld, ModelStepAfterAContactTurnsWithTheCurlTheStoneHad) {
  StoneLocus two[2] = {movingLocus(2.375, 6.0, 0.0, -8.0), movingLocus(2.125, 5.86, 0.0, 0.0)};
  two[1].mirror = two[1].omega = 0.0;  // at rest as loadStones leaves it: no curl, no spin
  StoneLocus many[2] = {two[0], two[1]};
  SimWorld().collideTwo(two[0], two[1]);
  StoneLocus* list[2] = {&many[0], &many[1]};
  SimWorld().collideMany(list, 2);
  EXPECT_TRUE(two[0].omega < 0.0 && two[0].mirror == -1.0 && two[1].active == 1);
  for (int i = 0; i < 2; ++i) {
    const TrajectoryPoint &a = two[i].cur, &b = many[i].cur;
    EXPECT_NEAR(b.speed - a.speed, DECEL_PER_STEP, 5e-5) << i;
    const double turn = std::atan2(b.vx * a.vy - b.vy * a.vx, b.vx * a.vx + b.vy * a.vy);
    EXPECT_NEAR(turn, i == 0 ? std::atan2(CURL_PER_STEP, a.speed) : 0.0, 1e-6) << i;
  }
}

// The pair step gives the bits of Box2D's world for two stones at and near contact: speeds up
// to a fast takeout's, both curls, stones at rest and moving.
TEST(PairStep, GivesTheWorldsBits) {
  SimWorld pair, world;
  world.usePairStep(false);
  std::mt19937_64 rng(20261207);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const auto velocity = [&](double top) { return std::polar(top * unit(rng), 6.2832 * unit(rng)); };
  int32_t differing = 0;
  for (int t = 0; t < 5000; ++t) {
    const auto at = std::complex(0.3 + 4.1 * unit(rng), 3.3 + 8.0 * unit(rng));
    const auto v = velocity(t % 3 == 0 ? 30.0 : 5.0);
    const auto gap = std::polar(0.26 + 0.05 * unit(rng), 6.2832 * unit(rng));
    const auto w = t % 2 == 0 ? std::complex(0.0, 0.0) : velocity(3.0);
    StoneLocus a = movingLocus(at.real(), at.imag(), v.real(), v.imag(), 0.2 * unit(rng) - 0.1);
    StoneLocus b = movingLocus(at.real() + gap.real(), at.imag() + gap.imag(), w.real(), w.imag(),
                               t % 5 == 0 ? -DELIVERY_OMEGA : 0.0);
    StoneLocus a2 = a, b2 = b;
    pair.collideTwo(a, b);
    world.collideTwo(a2, b2);
    differing += std::memcmp(&a, &a2, sizeof(a)) != 0 || std::memcmp(&b, &b2, sizeof(b)) != 0;
  }
  EXPECT_EQ(differing, 0);
}

ShotVector hit(float x, float y, float power, bool spin) {
  ShotVector shot;
  EXPECT_TRUE(CreateHitShot({x, y, spin}, power, &shot));
  return shot;
}

// Draws of both spins, a raise, a hit and roll, a double takeout, a stone driven off the side,
// a shot meeting two stones in the same step (resolved in one Box2D step): the reference keeps
// the expected stones in play, the event-driven simulation the same, each within 1 cm.
TEST(ReferenceSimulation, EventDrivenSimulationAgrees) {
  const float between[][2] = {{2.56857038f, 6.06194115f}, {2.17019343f, 6.02594376f}};
  const StoneLocus twoAtOnce = test::delivered(hit(2.375f, 6.0f, 4.0f, false));
  ASSERT_EQ(hitSteps(twoAtOnce, between[0][0], between[0][1]),
            hitSteps(twoAtOnce, between[1][0], between[1][1]));
  const struct {
    GameState in;
    ShotVector shot;
    uint32_t removed;  // stones the shot takes out of play
  } cases[] = {
      {positionWith(5, {{2, 2.375f, 3.0f}}), {-0.8f, -29.4f, false}, 0},
      {positionWith(5, {{2, 2.375f, 3.0f}}), {0.8f, -29.4f, true}, 0},
      {positionWith(5, {{0, 2.375f, 7.5f}}), hit(2.375f, 7.79f, 8.0f, false), 0},
      {positionWith(5, {{0, 2.375f, 4.88f}, {1, 1.4f, 6.5f}}), hit(2.475f, 5.16f, 9.0f, true), 0b1},
      {positionWith(5, {{0, 2.375f, 5.5f}, {2, 2.5f, 4.5f}, {3, 1.2f, 8.0f}}),
       hit(2.25f, 5.8f, 14.0f, false), 0b101},
      {positionWith(5, {{1, 0.3f, 6.0f}}), hit(0.45f, 6.2f, 10.0f, true), 0b10},
      {positionWith(5, {{0, between[0][0], between[0][1]}, {1, between[1][0], between[1][1]}}),
       hit(2.375f, 6.0f, 4.0f, false), 0}};
  SimWorld world;
  for (const auto& c : cases) {
    const GameState fast = test::play(world, c.in, test::delivered(c.shot));
    GameState slow;
    simulateReference(c.in, c.shot, slow);
    EXPECT_TRUE(slow.shotNum == 6 && slow.whiteToMove == !c.in.whiteToMove);
    for (int i = 0; i <= 5; ++i) {
      EXPECT_EQ(stoneInPlay(slow, i), i == 5 || (stoneInPlay(c.in, i) && !(c.removed >> i & 1)));
      EXPECT_EQ(stoneInPlay(fast, i), stoneInPlay(slow, i)) << i;
      EXPECT_LT(std::hypot(fast.stonePos[i][0] - slow.stonePos[i][0],
                           fast.stonePos[i][1] - slow.stonePos[i][1]),
                0.01)
          << i;
    }
  }
}

// A path for every stone that moved, shooter first, from where it started (a struck stone
// where it lay) in samples at most PATH_SAMPLE_STEPS apart to where it stopped or left play.
TEST(ReferenceSimulation, RecordsThePathOfEveryStoneThatMoves) {
  const GameState in = positionWith(5, {{0, 2.375f, 5.5f}, {2, 2.5f, 4.5f}, {3, 1.2f, 8.0f}});
  GameState out;
  ShotPaths paths;
  simulateReference(in, hit(2.25f, 5.8f, 14.0f, false), out, paths);
  ASSERT_EQ(paths.size(), 3u);
  EXPECT_TRUE(paths[0].stone == 5 && paths[0].points.front().y == float(DELIVERY_Y));
  EXPECT_EQ(paths[0].points.back().y, out.stonePos[5][1]);
  for (const StonePath& path : paths) {
    for (std::size_t i = 1; i < path.points.size(); ++i) {
      const int32_t gap = path.points[i].step - path.points[i - 1].step;
      EXPECT_TRUE(gap > 0 && gap <= PATH_SAMPLE_STEPS) << path.stone;
    }
    if (path.stone == 5) continue;
    EXPECT_EQ(path.points.front().y, in.stonePos[path.stone][1]);
    EXPECT_FALSE(inMovingArea(path.points.back().x, path.points.back().y));
  }
}

}  // namespace
}  // namespace varrowmere
