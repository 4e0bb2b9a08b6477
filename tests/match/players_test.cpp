// The referee's players: the protocol lines and replies, players in child processes (shell
// scripts standing in), the built-in opponents, and the delivery noise on their shots.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cmath>
#include <fstream>

#include "builtin_player.h"
#include "delivery_noise.h"
#include "physics/reference_sim.h"
#include "platform/shot_maker.h"
#include "process_player.h"
#include "support/start_up_tables.h"

using namespace varrowmere;
using namespace varrowmere::match;

TEST(Protocol, PositionsKeepExactFloatsAndRepliesAreTakenOnlyOnceNothingCanChangeThem) {
  GameState state{3, 1, 8, {}, true, {{2.375f, 4.88f}}};  // float(4.88) is 4.88000011...
  std::string expected = "POSITION 2.375 4.88000011";
  for (int i = 2; i < 2 * STONE_COUNT; ++i) expected += " 0";
  EXPECT_EQ(positionCommand(state), expected + "\n");
  EXPECT_EQ(setStateCommand(state), "SETSTATE 3 1 8 1\n");
  using S = ReplyState;
  const std::pair<const char*, ReplyState> shots[] = {
      {"BESTSHOT 0.25 -30.125 1", S::Tentative}, {"BESTSHOT 1 2 10", S::Partial},
      {"BESTSHOT 1 2 10 ", S::Garbage},          {"BESTSHOT 1 2 0.5 ", S::Garbage},
      {"BESTSHOT 1 2 0 7", S::Garbage},          {"bestshot 1 2 0", S::Garbage},
      {"BESTSHOT nan 2 0", S::Garbage},          {"BESTSHOT 1 1e300 0 ", S::Garbage},
      {"BESTSHOT 1x 2 0", S::Garbage},           {"READYOKBESTSHOT 1 2 0", S::Garbage}};
  for (const auto& [text, state] : shots) EXPECT_EQ(parseShotReply(text, nullptr), state) << text;
  const std::string whole = "BESTSHOT 0.123456 -29.876543 0";
  for (std::size_t n = 0; n < whole.size(); ++n)
    EXPECT_EQ(parseShotReply(whole.substr(0, n), nullptr), S::Partial) << n;
  EXPECT_EQ(parseShotReply(std::string(300, ' ') + whole, nullptr), S::Garbage);
  ShotVector shot;
  ASSERT_EQ(parseShotReply("\n BESTSHOT -1 2e1 1\t", &shot), S::Complete);
  EXPECT_TRUE(shot.vx == -1.0f && shot.vy == 20.0f && shot.spin);
  EXPECT_EQ(parseReadyReply("REA"), S::Partial);
  EXPECT_EQ(parseReadyReply("\r\nREADYOK\n"), S::Complete);
  for (const char* text : {"READ ", "READYNOT", "READYOK BESTSHOT"})
    EXPECT_EQ(parseReadyReply(text), S::Garbage) << text;
  EXPECT_EQ(printable("A\n\"b"), "A\\x0a\\x22b");
}

const auto since = [](std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
};

// A player script (the same names each run): it answers ISREADY and runs `onGo` for each GO.
std::string script(const std::string& onGo) {
  static int count = 0;
  const std::string path =
      std::string(VARROWMERE_TEST_BINARY_DIR) + "/match_player_" + std::to_string(count++);
  std::ofstream(path) << "#!/bin/sh\nwhile IFS= read -r l; do case $l in\n"
                         "ISREADY*) printf READYOK ;;\nGO*) "
                      << onGo << " ;;\nesac; done\n";
  ::chmod(path.c_str(), 0755);
  process::installSignalHandlers();
  return path;
}

// A reply may come in pieces, and the grace after it is not charged; each way of losing says
// why. None may hang the referee.
TEST(ProcessPlayers, AnswerInPiecesOrForfeitWithTheReason) {
  const struct {
    const char *onGo, *failure;
    double left;
  } cases[] = {{"printf 'BESTSHOT 0.5 -3'; sleep 0.3; printf '0.25 1'", "", 5.0},
               {"sleep 30", "ran out of thinking time (0.50 s left at GO)", 0.5},
               {"exit 3", "exited with status 3 while thinking", 30.0},
               {"printf 'HELLO'", "answered GO with \"HELLO\", not a BESTSHOT", 30.0}};
  for (const auto& c : cases) {
    ProcessPlayer player(script(c.onGo), 5.0);
    std::string failure;
    ASSERT_TRUE(player.newGame(failure)) << failure;
    const auto start = std::chrono::steady_clock::now();
    const PlayerAnswer answer = player.play(GameState{}, c.left);
    const double wall = since(start);
    EXPECT_EQ(answer.ok, *c.failure == '\0');
    EXPECT_NE(answer.failure.find(c.failure), std::string::npos) << answer.failure;
    EXPECT_GE(answer.seconds, c.left < 1.0 ? c.left : (answer.ok ? 0.3 : 0.0));
    if (answer.ok)
      EXPECT_TRUE(answer.shot.vx == 0.5f && answer.shot.vy == -30.25f && answer.shot.spin &&
                  wall - answer.seconds >= 0.9 * REPLY_GRACE);
    else
      EXPECT_FALSE(player.play(GameState{}, 0.5).ok);
    player.stop();
    EXPECT_LT(since(start), 2.5) << c.onGo;
  }
}

// Where a shot stops on an empty sheet.
const auto stopOf = [](const ShotVector& shot) {
  StoneLocus locus;
  vec_to_locus_deliver(shot, locus);
  readLocus(locus, 0);
  return locus.cur;
};

// Side 1 to play: side 0's stones 0 (1.0 m from the tee) and 2 (0.55 m), its own on the tee.
// The takeout hits stone 2 first; with no stone of the other side in play it draws.
TEST(BuiltinOpponents, TakeoutHitsTheOtherSidesStoneNearestTheTee) {
  testing_support::ensureMotionTables();
  const float laid[3][2] = {
      {2.0f, float(TEE_Y + 0.92)}, {float(TEE_X), float(TEE_Y)}, {2.9f, float(TEE_Y - 0.2)}};
  GameState state, after;
  state.shotNum = 5;
  for (int i = 0; i < 3; ++i) state.stonePos[i][0] = laid[i][0], state.stonePos[i][1] = laid[i][1];
  ShotPaths paths;
  simulateReference(state, takeoutOrDraw(state), after, paths);
  ASSERT_GE(paths.size(), 2u);
  EXPECT_EQ(paths[1].stone, 2);
  state.stonePos[0][0] = state.stonePos[0][1] = state.stonePos[2][0] = state.stonePos[2][1] = 0;
  const TrajectoryPoint stop = stopOf(takeoutOrDraw(state));
  EXPECT_NEAR(std::hypot(stop.x - TEE_X, stop.y - TEE_Y), 0.0, 0.002);
}

// Tee draws spread 0.145 m along and across the line (3000 samples: one standard error 1.3%).
// Shot 1 is a zero shot: it delivers nothing but takes its errors, so that a twin of the same
// seed, which draws there, stays in step. At half the scale the errors halve; at 0 there are none.
TEST(DeliveryNoise, TeeDrawsSpreadByTheChosenDeviationAlongAndAcrossTheLine) {
  testing_support::ensureMotionTables();
  ShotVector draw;
  CreateShot(ShotTarget{float(TEE_X), float(TEE_Y), false}, &draw);
  const NoiseSigmas sigmas = deriveNoiseSigmas();
  DeliveryNoise noise(sigmas, 1.0, 12345), twin(sigmas, 1.0, 12345), half(sigmas, 0.5, 12345);
  const auto speed = [](const ShotVector& s) { return std::hypot(double(s.vx), double(s.vy)); };
  const auto angle = [](const ShotVector& s) { return std::atan2(double(s.vy), double(s.vx)); };
  constexpr int SAMPLES = 3000;
  double sum[2] = {}, squares[2] = {};
  for (int n = 0; n < SAMPLES; ++n) {
    const ShotVector shot = noise.perturb(n == 1 ? ShotVector{} : draw),
                     halved = half.perturb(draw);
    const float twinVy = twin.perturb(draw).vy;
    if (n == 1) {
      EXPECT_TRUE(shot.vx == 0.0f && shot.vy == 0.0f);
      continue;
    }
    EXPECT_EQ(shot.vy, twinVy) << n;
    EXPECT_NEAR(speed(halved) - speed(draw), 0.5 * (speed(shot) - speed(draw)), 1e-5);
    EXPECT_NEAR(angle(halved) - angle(draw), 0.5 * (angle(shot) - angle(draw)), 1e-6);
    const TrajectoryPoint stop = stopOf(shot);
    sum[0] += stop.x, squares[0] += stop.x * stop.x;
    sum[1] += stop.y, squares[1] += stop.y * stop.y;
  }
  for (int c = 0; c < 2; ++c) {
    const double mean = sum[c] / (SAMPLES - 1);
    EXPECT_NEAR(mean, c == 0 ? TEE_X : TEE_Y, 0.01);
    EXPECT_NEAR(std::sqrt(squares[c] / (SAMPLES - 1) - mean * mean), 0.145, 0.145 * 0.05) << c;
  }
  const ShotVector exact = DeliveryNoise(sigmas, 0.0, 1).perturb(draw);
  EXPECT_TRUE(exact.vx == draw.vx && exact.vy == draw.vy && exact.spin == draw.spin);
}
