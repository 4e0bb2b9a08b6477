#include <gtest/gtest.h>

#include <cmath>

#include "delivery_noise.h"
#include "physics/motion.h"
#include "platform/shot_maker.h"

using namespace varrowmere;
using namespace varrowmere::match;

namespace {

struct Tables {
  Tables() {
    buildChordTable();
    buildTrajectoryTables();
  }
};

void ensureTables() { static Tables tables; }

// Where a shot comes to rest on an empty sheet, delivered as the simulations deliver it.
TrajectoryPoint stopOf(const ShotVector& shot) {
  StoneLocus locus;
  vec_to_locus_deliver(shot, locus);
  readLocus(locus, 0);
  return locus.cur;
}

}  // namespace

TEST(DeliveryNoise, TeeDrawsSpreadByTheChosenDeviationAlongAndAcrossTheLine) {
  ensureTables();
  const NoiseSigmas sigmas = deriveNoiseSigmas();
  // Orders of magnitude: centimetres per second and milliradians.
  EXPECT_GT(sigmas.speed, 0.02);
  EXPECT_LT(sigmas.speed, 0.2);
  EXPECT_GT(sigmas.angle, 0.001);
  EXPECT_LT(sigmas.angle, 0.01);

  ShotVector draw;
  CreateShot(ShotTarget{float(TEE_X), float(TEE_Y), false}, &draw);
  DeliveryNoise noise(sigmas, 1.0, 12345);
  constexpr int SAMPLES = 3000;
  double sx = 0, sy = 0, sxx = 0, syy = 0;
  for (int i = 0; i < SAMPLES; ++i) {
    const ShotVector shot = noise.perturb(draw);
    const TrajectoryPoint stop = stopOf(shot);
    sx += stop.x;
    sy += stop.y;
    sxx += stop.x * stop.x;
    syy += stop.y * stop.y;
  }
  const double mx = sx / SAMPLES, my = sy / SAMPLES;
  const double across = std::sqrt(sxx / SAMPLES - mx * mx);
  const double along = std::sqrt(syy / SAMPLES - my * my);
  // Three thousand samples estimate a deviation within about 3% (one standard error 1.3%).
  EXPECT_NEAR(across, TEE_DRAW_SPREAD, 0.1 * TEE_DRAW_SPREAD);
  EXPECT_NEAR(along, TEE_DRAW_SPREAD, 0.1 * TEE_DRAW_SPREAD);
  EXPECT_NEAR(mx, TEE_X, 0.01);
  EXPECT_NEAR(my, TEE_Y, 0.01);

  // Half the scale, half the spread.
  DeliveryNoise half(sigmas, 0.5, 12345);
  double hyy = 0, hy = 0;
  for (int i = 0; i < SAMPLES; ++i) {
    const ShotVector shot = half.perturb(draw);
    const double y = stopOf(shot).y;
    hy += y;
    hyy += y * y;
  }
  const double halfAlong = std::sqrt(hyy / SAMPLES - (hy / SAMPLES) * (hy / SAMPLES));
  EXPECT_NEAR(halfAlong, 0.5 * TEE_DRAW_SPREAD, 0.05 * TEE_DRAW_SPREAD);
}

TEST(DeliveryNoise, ZeroScaleIsExactSeedRepeatsAndZeroShotStaysZero) {
  const NoiseSigmas sigmas{0.06, 0.004};
  const ShotVector shot{0.3f, -29.5f, true};
  DeliveryNoise none(sigmas, 0.0, 7);
  const ShotVector same = none.perturb(shot);
  EXPECT_EQ(same.vx, shot.vx);
  EXPECT_EQ(same.vy, shot.vy);
  EXPECT_EQ(same.spin, shot.spin);

  DeliveryNoise a(sigmas, 1.0, 99), b(sigmas, 1.0, 99), c(sigmas, 1.0, 100);
  bool anyDifferent = false;
  for (int i = 0; i < 20; ++i) {
    const ShotVector x = a.perturb(shot), y = b.perturb(shot), z = c.perturb(shot);
    EXPECT_EQ(x.vx, y.vx);
    EXPECT_EQ(x.vy, y.vy);
    EXPECT_EQ(x.spin, shot.spin);
    EXPECT_NE(x.vy, shot.vy);
    anyDifferent = anyDifferent || x.vy != z.vy;
  }
  EXPECT_TRUE(anyDifferent);

  // A zero shot delivers nothing, and it uses the same deviates as any shot, so the next shot
  // is perturbed the same way whatever the one before was.
  DeliveryNoise d(sigmas, 1.0, 5), e(sigmas, 1.0, 5);
  const ShotVector zero = d.perturb(ShotVector{});
  EXPECT_EQ(zero.vx, 0.0f);
  EXPECT_EQ(zero.vy, 0.0f);
  e.perturb(shot);
  EXPECT_EQ(d.perturb(shot).vy, e.perturb(shot).vy);
}

TEST(DeliveryNoise, GaussianHasUnitVariance) {
  DeliveryNoise noise(NoiseSigmas{}, 1.0, 2024);
  constexpr int SAMPLES = 200000;
  double sum = 0, squares = 0;
  for (int i = 0; i < SAMPLES; ++i) {
    const double g = noise.gaussian();
    sum += g;
    squares += g * g;
  }
  EXPECT_NEAR(sum / SAMPLES, 0.0, 0.01);
  EXPECT_NEAR(squares / SAMPLES, 1.0, 0.01);
}
