#include "physics/reference_sim.h"

#include <box2d/box2d.h>

#include <algorithm>
#include <cmath>

#include "physics/motion.h"
#include "physics/sim_world.h"

namespace varrowmere {

namespace {

struct ReferenceStone {
  b2Body* body = nullptr;
  int32_t index = 0;        // index in GameState::stonePos
  bool inPlay = false;      // false once it has left the moving area
  bool moving = false;      // moved in the last recorded step
  int32_t path = -1;        // its path in the recording, -1 until it moves
  b2Vec2 rest{0.0f, 0.0f};  // where it was last at rest
};

// Notes that a contact began during a world step.
class ContactFlag : public b2ContactListener {
 public:
  void BeginContact(b2Contact*) override { began = true; }
  bool began = false;
};

bool placeable(float x, float y) {
  return std::fabs(double{x}) <= BODY_COORDINATE_LIMIT &&
         std::fabs(double{y}) <= BODY_COORDINATE_LIMIT;
}

// The delivered stone's velocity after the release half step, as vec_to_locus_deliver has it.
void releaseVelocity(const ShotVector& shot, double& vx, double& vy) {
  vx = shot.vx;
  vy = shot.vy;
  const double v = std::sqrt(vx * vx + vy * vy);
  const double vHalf = v - DECEL_PER_STEP * 0.5;
  // Too slow to move, or too fast (or not a number) for Box2D: released at rest.
  if (!(vHalf >= STOP_SPEED && v <= BODY_SPEED_LIMIT)) {
    vx = 0.0;
    vy = 0.0;
    return;
  }
  frictionStep(vx, vy, curlSign(shot.spin), DECEL_PER_STEP * 0.5, CURL_PER_STEP * 0.5);
}

// One step rule on every moving stone; stones that moved out of the moving area leave play.
// Returns whether any stone is still moving.
bool applyStepRule(ReferenceStone* stones, int count) {
  bool anyMoving = false;
  for (int s = 0; s < count; ++s) {
    ReferenceStone& stone = stones[s];
    if (!stone.inPlay) continue;
    const b2Vec2 velocity = stone.body->GetLinearVelocity();
    if (velocity.x == 0.0f && velocity.y == 0.0f) continue;
    const b2Vec2 position = stone.body->GetPosition();
    if (!inMovingArea(position.x, position.y)) {
      stone.body->SetEnabled(false);
      stone.inPlay = false;
      continue;
    }
    double vx = velocity.x, vy = velocity.y;
    const double curl = stone.body->GetAngularVelocity() < 0.0f ? -1.0 : 1.0;
    if (frictionStep(vx, vy, curl) > 0.0) anyMoving = true;
    stone.body->SetLinearVelocity(b2Vec2(static_cast<float>(vx), static_cast<float>(vy)));
  }
  return anyMoving;
}

void addPoint(const ReferenceStone& stone, int32_t step, const b2Vec2& at, ShotPaths& paths) {
  paths[std::size_t(stone.path)].points.push_back(PathPoint{step, at.x, at.y});
}

// After step `step`: a sample of every moving stone when `sample` is set, and of each stone
// that started or stopped moving (or left play) in this step; one that started is also
// sampled where it lay the step before.
void recordPaths(ReferenceStone* stones, int count, int32_t step, bool sample, ShotPaths& paths) {
  for (int s = 0; s < count; ++s) {
    ReferenceStone& stone = stones[s];
    const b2Vec2 velocity = stone.body->GetLinearVelocity();
    const b2Vec2 position = stone.body->GetPosition();
    const bool moving = stone.inPlay && (velocity.x != 0.0f || velocity.y != 0.0f);
    if (!moving && !stone.moving) {
      stone.rest = position;
      continue;
    }
    if (stone.path < 0) {
      stone.path = static_cast<int32_t>(paths.size());
      paths.push_back(StonePath{stone.index, {}});
    }
    const std::vector<PathPoint>& points = paths[std::size_t(stone.path)].points;
    if (moving && !stone.moving && step > 0 && (points.empty() || points.back().step < step - 1))
      addPoint(stone, step - 1, stone.rest, paths);
    if (sample || moving != stone.moving) addPoint(stone, step, position, paths);
    stone.moving = moving;
  }
}

void simulate(const GameState& in, const ShotVector& shot, GameState& out, ShotPaths* paths) {
  const int32_t shotNum = in.shotNum;
  const bool whiteToMove = in.whiteToMove;
  if (&out != &in) out = in;

  b2World world(b2Vec2(0.0f, 0.0f));
  world.SetAllowSleeping(true);
  ReferenceStone stones[STONE_COUNT];
  int count = 0;

  // Stones at rest, asleep; one that cannot be placed is taken out of play.
  const int32_t delivered = std::clamp(shotNum, 0, STONE_COUNT);
  for (int32_t i = 0; i < delivered; ++i) {
    if (!stoneInPlay(in, i)) continue;
    const float x = in.stonePos[i][0], y = in.stonePos[i][1];
    if (!placeable(x, y)) {
      out.stonePos[i][0] = 0.0f;
      out.stonePos[i][1] = 0.0f;
      continue;
    }
    ReferenceStone& stone = stones[count++];
    stone.body = makeStoneBody(world, x, y);
    stone.body->SetAwake(false);
    stone.index = i;
    stone.inPlay = true;
  }

  // The delivered stone, released at the delivery point.
  if (shotNum >= 0 && shotNum < STONE_COUNT) {
    double vx = 0.0, vy = 0.0;
    releaseVelocity(shot, vx, vy);
    ReferenceStone& stone = stones[count++];
    stone.body =
        makeStoneBody(world, static_cast<float>(DELIVERY_X), static_cast<float>(DELIVERY_Y));
    stone.body->SetLinearVelocity(b2Vec2(static_cast<float>(vx), static_cast<float>(vy)));
    stone.body->SetAngularVelocity(static_cast<float>(curlSign(shot.spin)) * DELIVERY_OMEGA);
    stone.index = shotNum;
    stone.inPlay = true;
  }

  ContactFlag contacts;
  if (paths != nullptr) {
    paths->clear();
    world.SetContactListener(&contacts);
    recordPaths(stones, count, 0, true, *paths);
  }
  // Step: positions move by the present velocity and contacts are resolved, then the step
  // rule slows and turns every moving stone.
  for (int32_t step = 1; step <= MAX_REFERENCE_STEPS; ++step) {
    contacts.began = false;
    world.Step(BOX2D_STEP, VELOCITY_ITERATIONS, POSITION_ITERATIONS);
    const bool anyMoving = applyStepRule(stones, count);
    if (paths != nullptr) {
      const bool sample =
          contacts.began || step % PATH_SAMPLE_STEPS == 0 || step == MAX_REFERENCE_STEPS;
      recordPaths(stones, count, step, sample, *paths);
    }
    if (!anyMoving) break;
  }

  for (int s = 0; s < count; ++s) {
    const ReferenceStone& stone = stones[s];
    const b2Vec2 position = stone.body->GetPosition();
    const bool keep = stone.inPlay && inFinalPlayArea(position.x, position.y);
    out.stonePos[stone.index][0] = keep ? position.x : 0.0f;
    out.stonePos[stone.index][1] = keep ? position.y : 0.0f;
  }
  out.shotNum = static_cast<int32_t>(static_cast<uint32_t>(shotNum) + 1u);
  out.whiteToMove = !whiteToMove;
  const int32_t inPlay = std::clamp(out.shotNum, 0, STONE_COUNT);
  for (int32_t i = 0; i < inPlay; ++i) {
    if (inFinalPlayArea(out.stonePos[i][0], out.stonePos[i][1])) continue;
    out.stonePos[i][0] = 0.0f;
    out.stonePos[i][1] = 0.0f;
  }
}

}  // namespace

void simulateReference(const GameState& in, const ShotVector& shot, GameState& out) {
  simulate(in, shot, out, nullptr);
}

void simulateReference(const GameState& in, const ShotVector& shot, GameState& out,
                       ShotPaths& paths) {
  simulate(in, shot, out, &paths);
}

}  // namespace varrowmere
