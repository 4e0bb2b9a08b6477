// Fuzzes the shot simulation: arbitrary stones (on the sheet, overlapping, huge, not finite)
// and shots through the delivery, simulateShot, both evaluators, the end score and at times
// the reference simulation. Checked: delivered stones rest in the final play area or are out
// of play, later ones are untouched, the evaluations are finite, and a second new world and
// the used one give the same bytes.
// Input (missing bytes read as 0): shot number selector; flags (bit 0 whiteToMove, bit 1 run
// the reference, bit 2 side); the shot and then 16 stones, each a mode byte and 8 bytes.

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "evaluation/evaluation_cig.h"
#include "evaluation/standard_evaluation.h"
#include "physics/reference_sim.h"
#include "physics/simulate.h"
#include "platform/shot_maker.h"
#include "search/end_score.h"

using namespace varrowmere;

namespace {

using Float = std::numeric_limits<float>;
constexpr float NAN_F = Float::quiet_NaN(), INF = Float::infinity(), TOP = Float::max();
// Values on limits of the sheet and of the number types.
constexpr float SPECIAL[] = {0.0f,   -0.0f,  NAN_F,     INF,        -INF,    TOP,
                             -TOP,   1e-45f, 0x1p-126f, 1e20f,      -1e20f,  2.375f,
                             4.88f,  41.28f, 1000.1f,   -1000.1f,   11.28f,  3.05f,
                             0.145f, 4.605f, -30.0f,    2.9049999f, 11.135f, 45.405f};
// Shot numbers no game has, besides 0..15.
constexpr int32_t ODD_SHOT_NUMBERS[] = {-1, 16, 17, -100, 1000, INT32_MIN, INT32_MAX};

[[noreturn]] void fail(const char* what, int stone = -1) {
  std::fprintf(stderr, "fuzz_simulate: %s %d\n", what, stone);
  std::abort();
}

// Eight bytes of the input: two little-endian words a, b.
struct Eight {
  uint32_t a = 0, b = 0;
  // lo .. hi in 65536 steps, by the low 16 bits of `half`.
  static float range(uint32_t half, float lo, float hi) {
    return lo + (hi - lo) * (static_cast<float>(half & 0xFFFF) / 65535.0f);
  }
  float low(float lo, float hi) const { return range(a, lo, hi); }
  float high(float lo, float hi) const { return range(a >> 16, lo, hi); }
  float special(int byte) const { return SPECIAL[(a >> (8 * byte) & 0xFF) % std::size(SPECIAL)]; }
};

struct Reader {
  const uint8_t* data;
  std::size_t size, pos = 0;
  uint8_t byte() { return pos < size ? data[pos++] : 0; }
  uint32_t word() {
    uint32_t w = 0;
    for (int shift = 0; shift < 32; shift += 8) w |= uint32_t{byte()} << shift;
    return w;
  }
  Eight eight() { return Eight{word(), word()}; }
};

// A stone by its mode: out of play, anywhere it may rest, near the previous stone (touching or
// overlapping), any bits, special values, in and around the house.
void readStone(Reader& in, const float previous[2], float out[2]) {
  const uint8_t mode = in.byte();
  const Eight e = in.eight();
  const auto f = [](double v) { return static_cast<float>(v); };
  const float pairs[6][2] = {
      {0.0f, 0.0f},
      {e.low(f(SHEET_X_MIN), f(SHEET_X_MAX)), e.high(f(BACK_LIMIT_Y), f(HOG_LINE_Y))},
      {previous[0] + e.low(-0.3f, 0.3f), previous[1] + e.high(-0.3f, 0.3f)},
      {std::bit_cast<float>(e.a), std::bit_cast<float>(e.b)},
      {e.special(0), e.special(1)},
      {f(TEE_X) + e.low(-2.0f, 2.0f), f(TEE_Y) + e.high(-2.0f, 2.0f)}};
  out[0] = pairs[mode % 6][0];
  out[1] = pairs[mode % 6][1];
}

// A shot by its mode: draw and hit speeds, any bits, the shot maker's draw or hit to a target,
// special values; the mode's top bit is the spin.
ShotVector readShot(Reader& in) {
  const uint8_t mode = in.byte();
  const Eight e = in.eight();
  const bool spin = (mode & 0x80) != 0;
  ShotVector shot{0.0f, 0.0f, spin};
  if (mode % 5 == 2) CreateShot({e.low(-1.0f, 6.0f), e.high(0.0f, 46.0f), spin}, &shot);
  const ShotTarget hit{e.low(0.0f, 4.75f), e.high(2.0f, 12.0f), spin};
  if (mode % 5 == 3) CreateHitShot(hit, Eight::range(e.b, -1.0f, 40.0f), &shot);
  if (mode % 5 == 0) shot = {e.low(-2.0f, 2.0f), e.high(-40.0f, -20.0f), spin};
  if (mode % 5 == 1) shot = {std::bit_cast<float>(e.a), std::bit_cast<float>(e.b), spin};
  if (mode % 5 == 4) shot = {e.special(0), e.special(1), spin};
  return shot;
}

// Stones up to the one just played rest in the final play area or out of play; later ones stay.
void checkResult(const GameState& in, const GameState& out) {
  if (out.shotNum != static_cast<int32_t>(static_cast<uint32_t>(in.shotNum) + 1u))
    fail("shot number");
  if (out.whiteToMove == in.whiteToMove) fail("whiteToMove not flipped");
  const int64_t played = std::clamp<int64_t>(int64_t{in.shotNum} + 1, 0, STONE_COUNT);
  for (int i = 0; i < STONE_COUNT; ++i) {
    const float* pos = out.stonePos[i];
    if (i >= played && std::memcmp(pos, in.stonePos[i], 8) != 0) fail("stone moved", i);
    if (i < played && stoneInPlay(out, i) && !inFinalPlayArea(pos[0], pos[1])) fail("stone", i);
  }
}

bool sameStones(const GameState& a, const GameState& b) {
  return std::memcmp(a.stonePos, b.stonePos, sizeof(a.stonePos)) == 0;
}

// No two stones at rest closer than two radii (a coordinate that is not a number is close).
bool apart(const StoneLocus* stones, int32_t count) {
  for (int32_t a = 0; a < count; ++a) {
    for (int32_t b = a + 1; b < count; ++b) {
      const double dx = stones[a].cur.x - stones[b].cur.x, dy = stones[a].cur.y - stones[b].cur.y;
      if (!(dx * dx + dy * dy >= CONTACT_DIST_SQ)) return false;
    }
  }
  return true;
}

void checkEvaluations(const GameState& position, int side) {
  if (position.shotNum < 1 || position.shotNum > STONE_COUNT) return;
  static const Evaluation_CIG cig;
  if (!std::isfinite(evaluateStandard(position, side))) fail("standard evaluation");
  if (!std::isfinite(cig.evaluate(position, side))) fail("Evaluation_CIG");
  if (!std::isfinite(endScoreOfPosition(position, side))) fail("end score");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  buildChordTable();
  buildTrajectoryTables();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  Reader reader{data, size};
  GameState in;
  const uint8_t selector = reader.byte(), flags = reader.byte();
  in.shotNum = selector < 240 ? selector % STONE_COUNT
                              : ODD_SHOT_NUMBERS[selector % std::size(ODD_SHOT_NUMBERS)];
  in.whiteToMove = (flags & 1) != 0;
  const ShotVector shot = readShot(reader);
  const float tee[2] = {static_cast<float>(TEE_X), static_cast<float>(TEE_Y)};
  for (int i = 0; i < STONE_COUNT; ++i)
    readStone(reader, i == 0 ? tee : in.stonePos[i - 1], in.stonePos[i]);
  StoneLocus delivered, stones[STONE_COUNT];
  vec_to_locus_deliver(shot, delivered);
  int32_t count = 0;
  loadStones(in, stones, count);
  SimWorld world, other;
  GameState out = in, fresh = in, again = in;
  simulateShot(world, delivered, stones, count, in, out);
  checkResult(in, out);
  // Only the input decides: the same bytes in a second new world, and in the used one unless
  // stones overlap (Box2D then orders simultaneous contacts by its broad phase's history).
  simulateShot(other, delivered, stones, count, in, fresh);
  if (!sameStones(fresh, out)) fail("two new worlds differ");
  simulateShot(world, delivered, stones, count, in, again);
  checkResult(in, again);
  if (apart(stones, count) && !sameStones(again, out)) fail("the used world differs");
  checkEvaluations(out, (flags >> 2) & 1);

  if ((flags & 2) != 0 && in.shotNum >= 0 && in.shotNum < STONE_COUNT) {
    GameState reference;
    simulateReference(in, shot, reference);
    checkResult(in, reference);
    checkEvaluations(reference, (flags >> 2) & 1);
  }
  return 0;
}
