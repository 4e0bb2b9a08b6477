// The referee's rules, alone and in a game played with scripted players and a stand-in
// simulation.

#include <gtest/gtest.h>

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
    std::vector<int> scoring;
  } cases[] = {
      {{{0, 0, 0.1}, {2, 0, -0.3}, {1, 0, 0.5}, {4, 0, 0.7}}, 0, 2, {0, 2}},
      {{{3, 0, 0.05}, {0, 0, 0.2}, {5, 0, 0.4}, {7, 0, 0.6}}, 1, 1, {3}},
      {{{1, 0, 0}, {3, 0, 1.0}, {5, 0, 1.9}, {7, 0, 2.5}, {0, 0, 3.0}}, 1, 3, {1, 3, 5}},
      {{{6, 0, 1.973}}, 0, 1, {6}},
      {{{6, 0, -1.977}}, -1, 0, {}},
      {{}, -1, 0, {}},
      // Equally near stones of both sides blank the end; behind a shot stone they break the run.
      {{{0, 0.5, -0.38}, {1, -0.5, -0.38}, {2, 0, 0.9}}, -1, 0, {}},
      {{{0, 0, 0.1}, {2, 0.5, -0.38}, {1, -0.5, -0.38}}, 0, 1, {0}},
  };
  for (const auto& c : cases) {
    bool scoring[STONE_COUNT];
    const EndScore score = endScore(position(c.stones), scoring);
    std::vector<int> counted;
    for (int i = 0; i < STONE_COUNT; ++i)
      if (scoring[i]) counted.push_back(i);
    EXPECT_EQ(score.side, c.side) << "case " << &c - cases;
    EXPECT_EQ(score.points, c.points) << "case " << &c - cases;
    EXPECT_EQ(counted, c.scoring) << "case " << &c - cases;
  }
  // {holder, scoring side of the end (1: the holder's), points, next holder}
  for (const auto& c : {std::vector{1, 1, 2, 0}, {1, 0, 1, 1}, {1, -1, 0, 1}, {0, 1, 3, 1},
                        {0, 0, 1, 0}, {0, -1, 0, 0}})
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
  } cases[] = {{1, {0}, false, true},   {2, {1}, false, true},  {3, {0}, false, true},
               {4, {1}, false, false},  {2, {0}, false, false}, {3, {}, true, false},
               {3, {2}, false, false},  {5, {0, 1}, false, false}};
  for (const auto& c : cases) {
    std::vector<Stone> stones(laid.begin(), laid.begin() + std::min(c.shot, 3));
    const GameState before = position(stones, c.shot);
    stones.push_back({c.shot, 0.2, 0.1});
    GameState after = position(stones, c.shot + 1);
    for (int i : c.removed) after.stonePos[i][0] = after.stonePos[i][1] = 0.0f;
    if (c.intoHouse) after.stonePos[0][1] = float(TEE_Y + 1.0);
    const GameState played = after;
    EXPECT_EQ(applyFreeGuardRule(before, after), c.violation) << "shot " << c.shot;
    const GameState& expected = c.violation ? before : played;
    for (int i = 0; i < STONE_COUNT; ++i)
      EXPECT_TRUE(after.stonePos[i][0] == expected.stonePos[i][0] &&
                  after.stonePos[i][1] == expected.stonePos[i][1])
          << "shot " << c.shot << ", stone " << i;
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

using Plan = std::map<std::pair<int, int>, ShotVector>;  // (end, shot) -> shot; else none

// Plays a plan, each answer taking `perShot` seconds, fails at (end, shot) `failAt`, and
// records what it was asked.
struct ScriptedPlayer : Player {
  ScriptedPlayer(const Plan& p, double s) : plan(p), perShot(s) {}
  const std::string& name() const override { return failure; }
  bool newGame(std::string& why) override { return why = "never ready", ready; }
  PlayerAnswer play(const GameState& state, double secondsLeft) override {
    asked.push_back(state);
    left.push_back(secondsLeft);
    const auto it = plan.find({state.curEnd, state.shotNum});
    return PlayerAnswer{std::make_pair(state.curEnd, state.shotNum) != failAt,
                        it == plan.end() ? ShotVector{} : it->second, perShot, failure};
  }
  void stop() override {}
  const Plan& plan;
  double perShot;
  bool ready = true;
  std::pair<int, int> failAt{-1, -1};
  std::string failure = "gave up";
  std::vector<GameState> asked;
  std::vector<double> left;
};

struct Recorder : GameObserver {
  std::vector<ShotRecord> shots;
  std::vector<EndRecord> ends;
  void onShot(const ShotRecord& r) override { shots.push_back(r); }
  void onEnd(const EndRecord& r) override { ends.push_back(r); }
};

GameResult play(ScriptedPlayer& red, ScriptedPlayer& yellow, int ends, Recorder& recorder) {
  Player* const players[PLAYER_COUNT] = {&red, &yellow};
  GameSettings settings;
  settings.ends = ends;
  settings.thinkingTime = 100.0;
  DeliveryNoise exact(NoiseSigmas{1.0, 1.0}, 0.0, 1);
  return playGame(players, settings, exact, recorder, placeStone);
}

ShotVector at(double y) { return ShotVector{float(TEE_X), float(TEE_Y + y), false}; }

}  // namespace

TEST(Game, EachEndScoresForItsThrowerAndTheHammerPassesOn) {
  // End 1, yellow's hammer: red's guard, yellow takes it out (undone), yellow scores one.
  // End 2 blank: red keeps the hammer. End 3: yellow steals two (its third lies behind red's).
  // End 4: red, with the hammer, scores four; yellow gets the hammer.
  Plan plan{{{0, 0}, ShotVector{float(TEE_X), 8.0f, false}},
            {{0, 1}, ShotVector{-1.0f, 0.0f, false}},
            {{0, 2}, at(1.0)}, {{0, 3}, at(0.2)}, {{2, 0}, at(0.2)}, {{2, 2}, at(-0.4)},
            {{2, 1}, at(0.6)}, {{2, 4}, at(0.8)}, {{3, 0}, at(1.5)}};
  for (int s : {1, 3, 5, 7}) plan[{3, s}] = at(0.1 * s);
  ScriptedPlayer red(plan, 0.0), yellow(plan, 0.0);
  Recorder rec;
  const GameResult result = play(red, yellow, 4, rec);
  EXPECT_TRUE(rec.shots[1].freeGuardViolation);
  EXPECT_TRUE(stoneInPlay(rec.shots[1].after, 0) && !stoneInPlay(rec.shots[1].after, 1));
  ASSERT_EQ(rec.ends.size(), 4u);
  // {hammer, next hammer, red's points, yellow's points} of each end
  const int ends[4][4] = {{1, 0, 0, 1}, {0, 0, 0, 0}, {0, 0, 0, 2}, {0, 1, 4, 0}};
  for (int e = 0; e < 4; ++e)
    EXPECT_EQ((std::vector{rec.ends[e].hammer, rec.ends[e].nextHammer, rec.ends[e].points[0],
                           rec.ends[e].points[1]}),
              std::vector(ends[e], ends[e] + 4))
        << "end " << e;
  EXPECT_TRUE(result.total[0] == 4 && result.total[1] == 3 && result.winner == 0);
  // Each player is asked for its own stones; SETSTATE's whiteToMove marks the hammer's.
  ASSERT_EQ(red.asked.size() + yellow.asked.size(), 64u);
  for (const GameState& s : red.asked) EXPECT_EQ(s.shotNum % 2, s.curEnd == 0 ? 0 : 1);
  for (const GameState& s : yellow.asked) EXPECT_EQ(s.shotNum % 2, s.curEnd == 0 ? 1 : 0);
  for (const GameState& s : red.asked)
    EXPECT_TRUE(s.lastEnd == 4 && s.whiteToMove == (s.shotNum % 2 == 1));
}

TEST(Game, EachAnswerIsChargedToItsPlayerAndAFailureForfeitsAtOnce) {
  const Plan plan;
  ScriptedPlayer red(plan, 1.5), yellow(plan, 0.25);
  yellow.failAt = {1, 5};
  Recorder rec;
  const GameResult result = play(red, yellow, 3, rec);
  for (std::size_t i = 0; i < red.left.size(); ++i) EXPECT_EQ(red.left[i], 100.0 - 1.5 * i);
  for (std::size_t i = 0; i < yellow.left.size(); ++i) EXPECT_EQ(yellow.left[i], 100 - 0.25 * i);
  EXPECT_TRUE(result.forfeit == 1 && result.winner == 0 && result.reason == "gave up");
  EXPECT_EQ(result.endsPlayed, 1);
  EXPECT_EQ(rec.shots.size(), 16u + 5u);
  ScriptedPlayer never(plan, 0.0), ready(plan, 0.0);
  never.ready = false;
  const GameResult unready = play(never, ready, 1, rec);
  EXPECT_TRUE(unready.forfeit == 0 && unready.winner == 1 && unready.reason == "never ready");
  EXPECT_TRUE(ready.asked.empty());
}
