// Fuzzes the shot simulation: arbitrary stone positions (on the sheet, overlapping, huge, not
// finite) and arbitrary shot vectors go through vec_to_locus_deliver, loadStones and
// simulateShot, and the position after the shot through both evaluators and the end score;
// some inputs also through the step-by-step reference simulation. Checked on every input:
// every stone delivered so far is at rest in the final play area or out of play at (0, 0),
// later stones are untouched, the evaluations of that position are finite, and the same shot
// played again in the same (now used) collision world gives the same bytes.
//
// Input, read front to back (missing bytes read as 0):
//   shot number selector, flags (bit 0 whiteToMove, bit 1 run the reference, bit 2 side),
//   the shot (a mode byte, 8 bytes), then 16 stones (a mode byte, 8 bytes each).

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "driver/game_state.h"
#include "evaluation/evaluation_cig.h"
#include "evaluation/standard_evaluation.h"
#include "physics/motion.h"
#include "physics/reference_sim.h"
#include "physics/sim_world.h"
#include "physics/simulate.h"
#include "platform/shot_maker.h"
#include "search/end_score.h"

using namespace varrowmere;

namespace {

constexpr float INF = std::numeric_limits<float>::infinity();
constexpr float FLT_TOP = std::numeric_limits<float>::max();
// Values that sit on limits of the sheet and of the number types.
constexpr float SPECIAL[] = {0.0f,       -0.0f,   std::numeric_limits<float>::quiet_NaN(),
                             INF,        -INF,    FLT_TOP,
                             -FLT_TOP,   1e-45f,  std::numeric_limits<float>::min(),
                             1e20f,      -1e20f,  2.375f,
                             4.88f,      41.28f,  1000.1f,
                             -1000.1f,   11.28f,  3.05f,
                             0.145f,     4.605f,  -30.0f,
                             2.9049999f, 11.135f, 45.405f};
constexpr int SPECIAL_COUNT = sizeof(SPECIAL) / sizeof(SPECIAL[0]);
// Shot numbers no game has, besides 0..15.
constexpr int32_t ODD_SHOT_NUMBERS[] = {-1, 16, 17, -100, 1000, INT32_MIN, INT32_MAX};

[[noreturn]] void fail(const char* what, int stone = -1) {
  std::fprintf(stderr, "fuzz_simulate: %s %d\n", what, stone);
  std::abort();
}

class Reader {
 public:
  Reader(const uint8_t* data, std::size_t size) : data_m(data), size_m(size) {}
  uint8_t byte() { return pos_m < size_m ? data_m[pos_m++] : 0; }
  uint16_t u16() { return static_cast<uint16_t>(byte() | (byte() << 8)); }
  uint32_t u32() { return u16() | (uint32_t{u16()} << 16); }
  float bits() {
    const uint32_t raw = u32();
    float f;
    std::memcpy(&f, &raw, sizeof(f));
    return f;
  }
  // lo .. hi in 65536 steps.
  float range(float lo, float hi) {
    return lo + (hi - lo) * (static_cast<float>(u16()) / 65535.0f);
  }
  float special() { return SPECIAL[byte() % SPECIAL_COUNT]; }

 private:
  const uint8_t* data_m;
  std::size_t size_m;
  std::size_t pos_m = 0;
};

// Eight bytes of the input as a pair of values, in the way the mode byte says.
void readPair(Reader& in, uint8_t mode, float previous[2], float out[2]) {
  switch (mode % 6) {
    case 0:  // not in play
      out[0] = out[1] = 0.0f;
      in.u32(), in.u32();
      break;
    case 1:  // anywhere a stone may rest
      out[0] = in.range(static_cast<float>(SHEET_X_MIN), static_cast<float>(SHEET_X_MAX));
      out[1] = in.range(static_cast<float>(BACK_LIMIT_Y), static_cast<float>(HOG_LINE_Y));
      in.u32();
      break;
    case 2:  // near the previous stone: touching or overlapping
      out[0] = previous[0] + in.range(-0.3f, 0.3f);
      out[1] = previous[1] + in.range(-0.3f, 0.3f);
      in.u32();
      break;
    case 3:  // any bits
      out[0] = in.bits();
      out[1] = in.bits();
      break;
    case 4:
      out[0] = in.special();
      out[1] = in.special();
      in.u16(), in.u32();
      break;
    default:  // in and around the house
      out[0] = static_cast<float>(TEE_X) + in.range(-2.0f, 2.0f);
      out[1] = static_cast<float>(TEE_Y) + in.range(-2.0f, 2.0f);
      in.u32();
      break;
  }
}

ShotVector readShot(Reader& in) {
  const uint8_t mode = in.byte();
  ShotVector shot;
  shot.spin = (mode & 0x80) != 0;
  switch (mode % 5) {
    case 0:  // the speeds of draws and hits
      shot.vx = in.range(-2.0f, 2.0f);
      shot.vy = in.range(-40.0f, -20.0f);
      in.u32();
      break;
    case 1:
      shot.vx = in.bits();
      shot.vy = in.bits();
      break;
    case 2: {
      ShotTarget target{in.range(-1.0f, 6.0f), in.range(0.0f, 46.0f), shot.spin};
      in.u32();
      CreateShot(target, &shot);
      break;
    }
    case 3: {
      ShotTarget target{in.range(0.0f, 4.75f), in.range(2.0f, 12.0f), shot.spin};
      const float power = in.range(-1.0f, 40.0f);
      in.u16();
      CreateHitShot(target, power, &shot);
      break;
    }
    default:
      shot.vx = in.special();
      shot.vy = in.special();
      in.u16(), in.u32();
      break;
  }
  return shot;
}

bool outOfPlay(const float pos[2]) { return pos[0] == 0.0f && pos[1] == 0.0f; }

// The rules of a resulting position: every stone up to the one just played rests in the final
// play area or is out of play; the stones after it are as they were.
void checkResult(const GameState& in, const GameState& out) {
  if (out.shotNum != static_cast<int32_t>(static_cast<uint32_t>(in.shotNum) + 1u))
    fail("shot number");
  if (out.whiteToMove == in.whiteToMove) fail("whiteToMove not flipped");
  // Stones 0..shotNum have been delivered (all of them for a shot number beyond the end).
  const int64_t played = std::clamp<int64_t>(int64_t{in.shotNum} + 1, 0, STONE_COUNT);
  for (int i = 0; i < STONE_COUNT; ++i) {
    const float* pos = out.stonePos[i];
    if (i < played) {
      if (!outOfPlay(pos) && !inFinalPlayArea(pos[0], pos[1])) fail("stone outside play", i);
    } else if (std::memcmp(pos, in.stonePos[i], sizeof(in.stonePos[i])) != 0) {
      fail("stone not yet played was moved", i);
    }
  }
}

bool sameResult(const GameState& a, const GameState& b) {
  return a.shotNum == b.shotNum && a.whiteToMove == b.whiteToMove &&
         std::memcmp(a.stonePos, b.stonePos, sizeof(a.stonePos)) == 0;
}

// No two stones at rest closer than two radii (a coordinate that is not a number is close).
bool apart(const StoneLocus* stones, int32_t count) {
  for (int32_t a = 0; a < count; ++a) {
    for (int32_t b = a + 1; b < count; ++b) {
      const double dx = stones[a].cur.x - stones[b].cur.x;
      const double dy = stones[a].cur.y - stones[b].cur.y;
      if (!(dx * dx + dy * dy >= CONTACT_DIST_SQ)) return false;
    }
  }
  return true;
}

bool legalShotCount(int32_t shotNum) { return shotNum >= 1 && shotNum <= STONE_COUNT; }

void checkEvaluations(const GameState& position, int side) {
  if (!legalShotCount(position.shotNum)) return;
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
  Reader reader(data, size);
  GameState in;
  const uint8_t shotSelector = reader.byte();
  in.shotNum = shotSelector < 240
                   ? shotSelector % STONE_COUNT
                   : ODD_SHOT_NUMBERS[shotSelector % (sizeof(ODD_SHOT_NUMBERS) / sizeof(int32_t))];
  const uint8_t flags = reader.byte();
  in.whiteToMove = (flags & 1) != 0;
  const int side = (flags >> 2) & 1;

  const ShotVector shot = readShot(reader);
  float previous[2] = {static_cast<float>(TEE_X), static_cast<float>(TEE_Y)};
  for (auto& stone : in.stonePos) {
    readPair(reader, reader.byte(), previous, stone);
    previous[0] = stone[0];
    previous[1] = stone[1];
  }

  StoneLocus delivered;
  vec_to_locus_deliver(shot, delivered);
  StoneLocus stones[STONE_COUNT];
  int32_t count = 0;
  loadStones(in, stones, count);
  if (count < 0 || count > std::clamp(in.shotNum, 0, STONE_COUNT)) fail("stone count");

  SimWorld world;
  GameState out = in;
  simulateShot(world, delivered, stones, count, in, out);
  checkResult(in, out);
  // Nothing but the input decides the result: a second fresh world gives the same bytes.
  {
    SimWorld other;
    GameState fresh = in;
    simulateShot(other, delivered, stones, count, in, fresh);
    if (!sameResult(fresh, out)) fail("two fresh worlds differ");
  }
  // The same shot again, in the world the first one used: the same bytes. Where stones
  // overlap, Box2D resolves several contacts in one step in an order that follows the history
  // of its broad phase, so there only the rules are checked.
  GameState again = in;
  simulateShot(world, delivered, stones, count, in, again);
  checkResult(in, again);
  if (apart(stones, count) && !sameResult(again, out))
    fail("second play in the used world differs");
  checkEvaluations(out, side);

  if ((flags & 2) != 0 && in.shotNum >= 0 && in.shotNum < STONE_COUNT) {
    GameState reference;
    simulateReference(in, shot, reference);
    if (reference.shotNum != in.shotNum + 1) fail("reference shot number");
    for (int i = 0; i <= in.shotNum; ++i) {
      const float* pos = reference.stonePos[i];
      if (!outOfPlay(pos) && !inFinalPlayArea(pos[0], pos[1])) fail("reference stone", i);
    }
    checkEvaluations(reference, side);
  }
  return 0;
}
