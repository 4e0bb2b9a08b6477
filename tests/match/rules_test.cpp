// The referee's rules, alone and in games played by scripted players on a stand-in simulation.

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

#include "game.h"

using namespace varrowmere;
using namespace varrowmere::match;

namespace {

struct Stone {
  int i;
  double dx, dy;  // from the tee (m)
};

GameState position(const std::vector<Stone>& stones, int shot = STONE_COUNT) {
  GameState p;
  p.shotNum = shot;
  for (const Stone& s : stones) p.stonePos[s.i][0] = float(TEE_X + s.dx);
  for (const Stone& s : stones) p.stonePos[s.i][1] = float(TEE_Y + s.dy);
  return p;
}

}  // namespace

// The house edge is 1.83 + 0.145 = 1.975 m from the tee; even stones are side 0's.
TEST(EndScore, CountsTheUnbrokenRunOfTheSideNearestTheTee) {
  const struct {
    std::vector<Stone> stones;
    int side, points;
  } cases[] = {
      {{{0, 0, 0.1}, {2, 0, -0.3}, {1, 0, 0.5}, {4, 0, 0.7}}, 0, 2},
      {{{3, 0, 0.05}, {0, 0, 0.2}, {5, 0, 0.4}, {7, 0, 0.6}}, 1, 1},
      {{{1, 0, 0}, {3, 0, 1.0}, {5, 0, 1.9}, {7, 0, 2.5}, {0, 0, 3.0}}, 1, 3},
      {{{6, 0, 1.973}}, 0, 1},
      {{{6, 0, -1.977}}, -1, 0},
      {{}, -1, 0},
      // Equally near stones of both sides blank the end; behind a shot stone they end the run.
      {{{0, 0.5, -0.38}, {1, -0.5, -0.38}, {2, 0, 0.9}}, -1, 0},
      {{{0, 0, 0.1}, {2, 0.5, -0.38}, {1, -0.5, -0.38}}, 0, 1},
  };
  for (const auto& c : cases) {
    const EndScore score = endScore(position(c.stones));
    EXPECT_TRUE(score.side == c.side && score.points == c.points) << "case " << &c - cases;
  }
  // {holder, scoring side of the end (1: the holder's), points, next holder}
  const int hammers[][4] = {{1, 1, 2, 0}, {1, 0, 1, 1}, {1, -1, 0, 1},
                            {0, 1, 3, 1}, {0, 0, 1, 0}, {0, -1, 0, 0}};
  for (const auto& c : hammers)
    EXPECT_EQ(nextHammer(c[0], EndScore{c[1], c[2]}), c[3]) << c[0] << c[1] << c[2];
}

// Guards in the free guard zone: stones 0 (side 0) and 1 (side 1); stone 2 (side 0) lies in
// the house. A violation puts every stone back, so the delivered one is gone.
TEST(FreeGuardZone, RemovingTheOtherSidesGuardOnTheFirstFourStonesIsUndone) {
  const std::vector<Stone> laid = {{0, -0.4, 3.1}, {1, 0.4, 4.1}, {2, 0, 0.3}};
  const struct {
    int shot;
    std::vector<int> removed;
    bool intoHouse, violation;  // intoHouse: stone 0 driven into the house, still in play
  } cases[] = {{1, {0}, false, true},  {2, {1}, false, true},    {3, {0}, false, true},
               {4, {1}, false, false}, {2, {0}, false, false},   {3, {}, true, false},
               {3, {2}, false, false}, {5, {0, 1}, false, false}};
  for (const auto& c : cases) {
    std::vector<Stone> stones(laid.begin(), laid.begin() + std::min(c.shot, 3));
    const GameState before = position(stones, c.shot);
    stones.push_back({c.shot, 0.2, 0.1});
    GameState after = position(stones, c.shot + 1);
    for (int i : c.removed) after.stonePos[i][0] = after.stonePos[i][1] = 0.0f;
    if (c.intoHouse) after.stonePos[0][1] = float(TEE_Y + 1.0);
    const GameState expected = c.violation ? before : after;
    EXPECT_EQ(applyFreeGuardRule(before, after), c.violation) << "shot " << c.shot;
    EXPECT_EQ(std::memcmp(after.stonePos, expected.stonePos, sizeof after.stonePos), 0)
        << "shot " << c.shot;
  }
}

namespace {

// Stand-in simulation: a shot (x, y) rests the delivered stone at (x, y); vx = -k takes stone
// k - 1 out of play and rests at the tee.
void placeStone(const GameState& in, const ShotVector& shot, GameState& out, ShotPaths&) {
  out = in;
  const bool hit = shot.vx < 0.0f;
  if (hit) out.stonePos[int(-shot.vx) - 1][0] = out.stonePos[int(-shot.vx) - 1][1] = 0.0f;
  out.stonePos[in.shotNum][0] = hit ? float(TEE_X) : shot.vx;
  out.stonePos[in.shotNum][1] = hit ? float(TEE_Y) : shot.vy;
}

// Plays `plan`, (end, shot) -> shot (else none), an answer taking `perShot` s; fails at `failAt`,
// or to get ready when failAt.first is -2. As an observer it keeps what was played.
struct Scripted : Player, GameObserver {
  std::map<std::pair<int, int>, ShotVector> plan;
  double perShot = 0.0;
  std::pair<int, int> failAt{-1, -1};
  std::string failure = "gave up";
  std::vector<std::pair<GameState, double>> asked;  // and the seconds left then
  std::vector<ShotRecord> shots;
  std::vector<EndRecord> ends;
  const std::string& name() const override { return failure; }
  bool newGame(std::string& why) override { return why = failure, failAt.first != -2; }
  PlayerAnswer play(const GameState& s, double left) override {
    asked.emplace_back(s, left);
    const std::pair<int, int> at{s.curEnd, s.shotNum};
    return {at != failAt, plan.count(at) ? plan[at] : ShotVector{}, perShot, failure};
  }
  void stop() override {}
  void onShot(const ShotRecord& r) override { shots.push_back(r); }
  void onEnd(const EndRecord& r) override { ends.push_back(r); }
};

GameResult play(Scripted& red, Scripted& yellow, int ends) {
  Player* const players[PLAYER_COUNT] = {&red, &yellow};
  GameSettings settings;
  settings.ends = ends;
  settings.thinkingTime = 100.0;
  DeliveryNoise exact(NoiseSigmas{1.0, 1.0}, 0.0, 1);
  return playGame(players, settings, exact, red, placeStone);
}

ShotVector at(double y) { return ShotVector{float(TEE_X), float(TEE_Y + y), false}; }

}  // namespace

// End 1, yellow's hammer: red's guard, yellow takes it out (undone), yellow scores one. End 2,
// red's hammer: red scores two (yellow's stone lies behind red's first); yellow gets it back.
// Then a game of three ends in which yellow fails at its third stone of the second.
TEST(Game, EndsScoreForTheirThrowersAndClocksAndForfeitsFollowThePlayers) {
  Scripted red, yellow;
  red.plan = {{{0, 0}, at(3.12)}, {{0, 2}, at(1.0)}, {{1, 1}, at(0.1)}, {{1, 3}, at(-0.3)}};
  yellow.plan = {{{0, 1}, ShotVector{-1.0f, 0.0f, false}}, {{0, 3}, at(0.2)}, {{1, 0}, at(0.5)}};
  const GameResult result = play(red, yellow, 2);
  EXPECT_TRUE(red.shots[1].freeGuardViolation && stoneInPlay(red.shots[1].after, 0));
  ASSERT_EQ(red.ends.size(), 2u);
  const EndRecord &first = red.ends[0], &second = red.ends[1];
  EXPECT_EQ((std::vector{first.hammer, first.points[0], first.points[1], first.nextHammer}),
            (std::vector{1, 0, 1, 0}));
  EXPECT_EQ((std::vector{second.hammer, second.points[0], second.points[1], second.nextHammer}),
            (std::vector{0, 2, 0, 1}));
  EXPECT_TRUE(result.total[0] == 2 && result.total[1] == 1 && result.winner == 0);
  // Each player is asked for its own stones; SETSTATE's whiteToMove marks the hammer's.
  ASSERT_EQ(red.asked.size() + yellow.asked.size(), 32u);
  for (const Scripted* p : {&red, &yellow})
    for (const auto& [s, left] : p->asked)
      EXPECT_TRUE(s.shotNum % 2 == (p == &red ? s.curEnd : 1 - s.curEnd) && s.lastEnd == 2 &&
                  s.whiteToMove == (s.shotNum % 2 == 1));

  // Each answer is charged to its player; a failure forfeits at once.
  Scripted charged, failing, never;
  charged.perShot = 1.5, failing.perShot = 0.25, failing.failAt = {1, 5}, never.failAt = {-2, 0};
  const GameResult forfeit = play(charged, failing, 3);
  for (const Scripted* p : {&charged, &failing})
    for (std::size_t i = 0; i < p->asked.size(); ++i)
      EXPECT_EQ(p->asked[i].second, 100.0 - p->perShot * double(i));
  EXPECT_TRUE(forfeit.forfeit == 1 && forfeit.winner == 0 && forfeit.reason == "gave up");
  EXPECT_TRUE(forfeit.endsPlayed == 1 && charged.shots.size() == 16u + 5u);
  const GameResult unready = play(never, charged, 1);
  EXPECT_TRUE(unready.forfeit == 0 && unready.winner == 1 && never.shots.empty());
}
