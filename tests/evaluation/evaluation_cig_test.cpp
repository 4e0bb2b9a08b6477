#include "evaluation/evaluation_cig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "evaluation/guard_fixture.h"

namespace varrowmere {
namespace {

using testing::makePosition;

constexpr double EPS = 1e-12, H = 1.975;

// Guard families of uniform content, so that every cell a lookup reaches gives the same
// values: FrontGuard 1 in entries 0..3 for spin 0 and in all 23 for spin 1, BackBlock 1 in
// entries 0..11 for spin 0 and 2 in all 23 for spin 1.
struct UniformGuards {
  static std::string file(int side, int dist, int ones, const char* value) {
    return testing::guardFileText(side, dist, 23,
                                  [=](int, int, int j) { return j < ones ? value : "0"; });
  }
  testing::GuardFixtureDir dir;
  const std::string f0 = dir.write("f0", file(61, 120, 4, "1")),
                    f1 = dir.write("f1", file(61, 120, 23, "1"));
  const std::string b0 = dir.write("b0", file(51, 51, 12, "1")),
                    b1 = dir.write("b1", file(51, 51, 23, "2"));
  GuardTable front{GuardSide::InFront, 60, 329, 23, f0.c_str(), f1.c_str()};
  GuardTable back{GuardSide::Behind, 51, 51, 23, b0.c_str(), b1.c_str()};
};

TEST(EvaluationCig, PositionValueBands) {
  // A parabola across, (H^2 - ax^2) / H^2; along: flat up to 0.29 in front of the tee line,
  // then exp(0.29 - ay) up to the hog line; behind, ((H - ay) / H)^4 inside the house.
  const Evaluation_CIG cig;
  EXPECT_EQ(cig.positionValue(2.375f, 5.0f), 1.0);
  EXPECT_NEAR(cig.positionValue(3.375f, 5.0f), 1.0 - 1.0 / (H * H), 1e-7);
  EXPECT_NEAR(cig.positionValue(2.375f, 7.0f), std::exp(0.29 - double{7.0f - 4.88f}), 1e-7);
  EXPECT_NEAR(cig.positionValue(2.375f, 4.3f), std::pow((H - double{4.88f - 4.3f}) / H, 4), 1e-7);
  for (const auto& [x, y] :
       {std::pair{2.375f, 4.88f}, {2.375f, 11.3f}, {4.355f, 5.0f}, {2.375f, 2.9f}, {3.875f, 3.5f}})
    EXPECT_EQ(cig.positionValue(x, y), 0.0) << x << " " << y;
}

TEST(EvaluationCig, RankTermAndAvoidFactor) {
  // Stone 1 has the other player's stones 0 and 2 nearer: 1/3, cubed for side 1. Stone 2 lies
  // 1 m straight in front of stone 0, same player, within the reach 1.74: stone 0's avoid factor
  // is lowered to f, and raised five-fold as player 0 threw last and counts first with stone 2.
  const double f =
      0.2 + 0.8 * (1.0 - 0.29) * (2 * (1.74 - 0.29) - (1.0 - 0.29)) / std::pow(1.74 - 0.29, 2);
  const GameState position =
      makePosition(3, {{0, 2.375f, 5.0f}, {1, 3.5f, 5.0f}, {2, 2.375f, 6.0f}});
  const Evaluation_CIG cig;
  CigBoard board;
  for (const int side : {0, 1}) {
    fillCigBoard(position, side, board);
    EXPECT_NEAR(cig.rankTerm(board, 1), side == 1 ? 1.0 / 27 : 1.0 / 3, EPS);
    EXPECT_NEAR(cig.avoidFactor(board, 0), (side == 0 ? 0.1 : 0.5) * 5.0 * f, 1e-7) << side;
    EXPECT_NEAR(cig.avoidFactor(board, 1), side == 0 ? 3.0 : 0.1, EPS) << side;
  }
}

TEST(EvaluationCig, HandWorkedPosition) {
  UniformGuards guards;
  const Evaluation_CIG cig(guards.front, guards.back);
  // Side 0, shotNum 3; every stone's term is (0.4 P + 0.6 R) (G + A). Stone 0 (own) at
  // (2.375, 5.0): P = R = 1; G = the smaller spin's sum: FrontGuard (stone 2 in front) 0.2 x
  // (4 / 11.5)^2 or 0.2 x (23 / 11.5)^2, plus BackBlock (stone 1 behind, the other player's)
  // 0.5 x 12 / 11.5 or 0.5 x 23 sqrt 2 / 11.5; A = 0.1. Stone 1 (other) at (2.375, 4.3):
  // P = ((H - 0.58) / H)^4, R = 1/2, G = 0.2 (4 sqrt 2 / 11.5)^2 (stones 0 and 2 in front),
  // A = 3. Stone 2 (own) at (2.375, 7.0), outside the house: P = exp(0.29 - 2.12), R = G = 0,
  // A = 0.1 x 5 (stone 0 counts first for player 0, who threw last).
  const double g0 = 0.2 * std::pow(4 / 11.5, 2), p0 = std::pow((H - 0.58) / H, 4);
  const double own = (g0 + 0.5 * 12 / 11.5 + 0.1) + 0.4 * std::exp(0.29 - 2.12) * 0.5;
  const double other = (0.4 * p0 + 0.3) * (0.2 * std::pow(4 * std::sqrt(2.0) / 11.5, 2) + 3.0);
  EXPECT_NEAR(
      cig.evaluate(makePosition(3, {{0, 2.375f, 5.0f}, {1, 2.375f, 4.3f}, {2, 2.375f, 7.0f}}), 0),
      own - other, 1e-6);
}

}  // namespace
}  // namespace varrowmere
