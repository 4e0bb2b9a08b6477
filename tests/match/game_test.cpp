#include "game.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <utility>
#include <vector>

using namespace varrowmere;
using namespace varrowmere::match;

namespace {

// Stand-in simulation: a shot (x, y) puts the delivered stone at rest at (x, y); a shot with
// negative vx -k also takes stone k - 1 out of play and rests at the tee line.
void placeStone(const GameState& in, const ShotVector& shot, GameState& out, ShotPaths&) {
  out = in;
  out.shotNum = in.shotNum + 1;
  out.whiteToMove = !in.whiteToMove;
  if (shot.vx < 0.0f) {
    const int k = int(-shot.vx) - 1;
    out.stonePos[k][0] = out.stonePos[k][1] = 0.0f;
    out.stonePos[in.shotNum][0] = float(TEE_X);
    out.stonePos[in.shotNum][1] = float(TEE_Y);
    return;
  }
  out.stonePos[in.shotNum][0] = shot.vx;
  out.stonePos[in.shotNum][1] = shot.vy;
}

// Where stone `shot` of end `end` goes; (0, 0) when absent from the plan.
using Plan = std::map<std::pair<int, int>, ShotVector>;

ShotVector at(double teeOffset) {
  return ShotVector{float(TEE_X), float(TEE_Y + teeOffset), false};
}

// A player that plays a plan, reports a fixed thinking time per shot, and records what it
// was asked. It fails at `failAt` (end, shot) when set.
class ScriptedPlayer : public Player {
 public:
  ScriptedPlayer(const Plan& plan, double secondsPerShot)
      : plan_m(plan), perShot_m(secondsPerShot) {}
  const std::string& name() const override { return name_m; }
  bool newGame(std::string& failure) override {
    failure = "never ready";
    return ready;
  }
  PlayerAnswer play(const GameState& state, double secondsLeft) override {
    asked.push_back({state.curEnd, state.shotNum});
    left.push_back(secondsLeft);
    lastEnds.push_back(state.lastEnd);
    whiteToMove.push_back(state.whiteToMove);
    PlayerAnswer answer;
    answer.seconds = perShot_m;
    if (std::make_pair(state.curEnd, state.shotNum) == failAt) {
      answer.failure = "gave up";
      return answer;
    }
    const auto it = plan_m.find({state.curEnd, state.shotNum});
    answer.shot = it == plan_m.end() ? ShotVector{} : it->second;
    answer.ok = true;
    return answer;
  }
  void stop() override {}

  bool ready = true;
  std::pair<int, int> failAt = {-1, -1};
  std::vector<std::pair<int, int>> asked;
  std::vector<double> left;
  std::vector<int> lastEnds;
  std::vector<bool> whiteToMove;

 private:
  const Plan& plan_m;
  double perShot_m;
  std::string name_m = "scripted";
};

struct Recorder : GameObserver {
  std::vector<ShotRecord> shots;
  std::vector<EndRecord> ends;
  std::vector<GameResult> games;
  void onShot(const ShotRecord& r) override { shots.push_back(r); }
  void onEnd(const EndRecord& r) override { ends.push_back(r); }
  void onGameOver(const GameResult& r) override { games.push_back(r); }
};

DeliveryNoise exact() { return DeliveryNoise(NoiseSigmas{1.0, 1.0}, 0.0, 1); }

}  // namespace

TEST(Game, HammerPassesToTheSideThatDidNotScoreAndStaysAfterBlankOrSteal) {
  Plan plan;
  // End 1: yellow holds the hammer (odd stones) and scores one.
  plan[{0, 1}] = at(0.2);
  plan[{0, 0}] = at(1.0);
  // End 2: blank (nothing in play); red has the hammer now and keeps it.
  // End 3: red has the hammer; yellow (even stones) steals two, its third stone lies behind
  // a red one and does not count.
  plan[{2, 0}] = at(0.2);
  plan[{2, 2}] = at(-0.4);
  plan[{2, 1}] = at(0.6);
  plan[{2, 4}] = at(0.8);
  // End 4: red still has the hammer and scores three; yellow gets the hammer.
  plan[{3, 1}] = at(0.1);
  plan[{3, 3}] = at(0.2);
  plan[{3, 5}] = at(-0.3);
  plan[{3, 0}] = at(1.5);

  ScriptedPlayer red(plan, 0.0), yellow(plan, 0.0);
  Player* const players[2] = {&red, &yellow};
  GameSettings settings;
  settings.ends = 4;
  settings.firstHammer = 1;
  DeliveryNoise noise = exact();
  Recorder recorder;
  const GameResult result = playGame(players, settings, noise, recorder, placeStone);

  ASSERT_EQ(recorder.ends.size(), 4u);
  const int hammer[4] = {1, 0, 0, 0};
  const int next[4] = {0, 0, 0, 1};
  const int redPoints[4] = {0, 0, 0, 3};
  const int yellowPoints[4] = {1, 0, 2, 0};
  for (int e = 0; e < 4; ++e) {
    EXPECT_EQ(recorder.ends[e].hammer, hammer[e]) << "end " << e;
    EXPECT_EQ(recorder.ends[e].nextHammer, next[e]) << "end " << e;
    EXPECT_EQ(recorder.ends[e].points[0], redPoints[e]) << "end " << e;
    EXPECT_EQ(recorder.ends[e].points[1], yellowPoints[e]) << "end " << e;
  }
  EXPECT_EQ(result.total[0], 3);
  EXPECT_EQ(result.total[1], 3);
  EXPECT_EQ(result.winner, -1);
  EXPECT_EQ(result.forfeit, -1);
  EXPECT_EQ(result.endsPlayed, 4);
  ASSERT_EQ(recorder.games.size(), 1u);

  // Each player is asked for exactly the stones of its side: in end 1 yellow throws the odd
  // stones, from end 2 on red does.
  ASSERT_EQ(red.asked.size(), 32u);
  ASSERT_EQ(yellow.asked.size(), 32u);
  for (const auto& [end, shot] : red.asked) EXPECT_EQ(shot % 2, end == 0 ? 0 : 1);
  for (const auto& [end, shot] : yellow.asked) EXPECT_EQ(shot % 2, end == 0 ? 1 : 0);
  for (int lastEnd : red.lastEnds) EXPECT_EQ(lastEnd, 4);
  for (std::size_t i = 0; i < red.asked.size(); ++i)
    EXPECT_EQ(red.whiteToMove[i], red.asked[i].second % 2 == 1);
}

TEST(Game, FreeGuardZoneRuleIsAppliedOnShotsZeroToThreeOnly) {
  Plan plan;
  plan[{0, 0}] = ShotVector{2.375f, 8.0f, false};  // red guard in the zone
  plan[{0, 1}] = ShotVector{-1.0f, 0.0f, false};   // yellow removes it: violation
  plan[{0, 2}] = ShotVector{-1.0f, 0.0f, false};   // red removes its own guard: allowed
  plan[{0, 3}] = ShotVector{2.0f, 8.5f, false};    // yellow guard in the zone
  plan[{0, 4}] = ShotVector{-4.0f, 0.0f, false};   // red removes it on shot 5: allowed
  ScriptedPlayer red(plan, 0.0), yellow(plan, 0.0);
  Player* const players[2] = {&red, &yellow};
  GameSettings settings;
  settings.ends = 1;
  DeliveryNoise noise = exact();
  Recorder recorder;
  playGame(players, settings, noise, recorder, placeStone);

  ASSERT_EQ(recorder.shots.size(), 16u);
  const ShotRecord& violation = recorder.shots[1];
  EXPECT_TRUE(violation.freeGuardViolation);
  EXPECT_EQ(violation.after.stonePos[0][1], 8.0f);
  EXPECT_FALSE(stoneInPlay(violation.after, 1));
  EXPECT_FALSE(recorder.shots[2].freeGuardViolation);
  EXPECT_FALSE(stoneInPlay(recorder.shots[2].after, 0));
  EXPECT_FALSE(recorder.shots[4].freeGuardViolation);
  EXPECT_FALSE(stoneInPlay(recorder.shots[4].after, 3));
  EXPECT_TRUE(stoneInPlay(recorder.shots[4].after, 4));
  // The next player is shown the position after the rule.
  EXPECT_EQ(recorder.shots[2].after.stonePos[1][0], 0.0f);
}

TEST(Game, ClockIsChargedPerAnswerAndAFailureForfeitsAtOnce) {
  Plan plan;
  ScriptedPlayer red(plan, 1.5), yellow(plan, 0.25);
  yellow.failAt = {1, 5};
  Player* const players[2] = {&red, &yellow};
  GameSettings settings;
  settings.ends = 3;
  settings.thinkingTime = 100.0;
  settings.firstHammer = 1;
  DeliveryNoise noise = exact();
  Recorder recorder;
  const GameResult result = playGame(players, settings, noise, recorder, placeStone);

  for (std::size_t i = 0; i < red.left.size(); ++i)
    EXPECT_DOUBLE_EQ(red.left[i], 100.0 - 1.5 * double(i));
  EXPECT_EQ(result.forfeit, 1);
  EXPECT_EQ(result.winner, 0);
  EXPECT_EQ(result.reason, "gave up");
  EXPECT_EQ(result.endsPlayed, 1);
  ASSERT_EQ(recorder.games.size(), 1u);
  EXPECT_EQ(recorder.games[0].forfeit, 1);
  // Nothing is thrown after the failure: end 2 stopped at its sixth stone.
  EXPECT_EQ(recorder.shots.size(), 16u + 5u);
  EXPECT_EQ(yellow.asked.back(), std::make_pair(1, 5));

  ScriptedPlayer late(plan, 0.0), never(plan, 0.0);
  never.ready = false;
  Player* const second[2] = {&late, &never};
  Recorder none;
  const GameResult unready = playGame(second, settings, noise, none, placeStone);
  EXPECT_EQ(unready.forfeit, 1);
  EXPECT_EQ(unready.reason, "never ready");
  EXPECT_TRUE(late.asked.empty());
  EXPECT_TRUE(none.shots.empty());
}
