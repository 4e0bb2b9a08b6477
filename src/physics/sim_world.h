#pragma once
// The collision world: Box2D resolves a contact between stones in exactly one step of 1/600 s,
// and each stone is then re-anchored on its reference trajectory from the velocity and spin
// that Box2D leaves. One SimWorld per search worker thread; never shared between threads.

#include <cstdint>

#include "driver/game_state.h"
#include "physics/motion.h"
#include "physics/pair_step.h"

class b2World;
class b2Body;

namespace varrowmere {

// Fixture of every stone: a circle of STONE_RADIUS with these values. Box2D mixes friction
// by the geometric mean and restitution by the maximum, so every stone-stone contact keeps
// them as they are.
// Density (kg/m^2).
inline constexpr float STONE_DENSITY = 10.0f;
// Coulomb friction coefficient between two stones (float bits 0x414025C0).
inline constexpr float STONE_FRICTION = 12.00921630859375f;
// Restitution: fully elastic (Box2D applies it above its 1 m/s restitution threshold).
inline constexpr float STONE_RESTITUTION = 1.0f;
// Collision filter: every stone collides with every stone.
inline constexpr uint16_t STONE_CATEGORY_BITS = 0x0003;
inline constexpr uint16_t STONE_MASK_BITS = 0x0003;
inline constexpr int16_t STONE_GROUP_INDEX = 0;
// Solver iterations of every Box2D step.
inline constexpr int32_t VELOCITY_ITERATIONS = 10;
inline constexpr int32_t POSITION_ITERATIONS = 10;
// Bodies not in use wait off the sheet (x < 0), three radii (m) apart so that they never
// touch each other or a stone on the sheet: body i at (-PARKING_SPACING * (i + 1), 0).
inline constexpr float PARKING_SPACING = 0.435f;
// A position farther than this (m) from the origin, a speed (m/s) or angular velocity
// (rad/s) beyond the other limit, or anything not a number, is never handed to Box2D: the
// body stays parked instead (its stone then reads as out of play). Real stones stay within a
// few tens of metres and metres per second.
inline constexpr double BODY_COORDINATE_LIMIT = 1000.0;
inline constexpr double BODY_SPEED_LIMIT = 1.0e6;

// Creates a dynamic, awake stone body at (x, y) with the stone fixture.
b2Body* makeStoneBody(b2World& world, float x, float y);
// Puts the stone's present state on the body: position (angle 0), velocity and angular
// velocity, as floats. A state outside the limits above parks the body at (parkX, 0) at
// rest instead.
void placeBody(b2Body& body, const StoneLocus& stone, float parkX);
// Re-anchors the stone on its reference trajectory from the body's position, velocity and
// angular velocity (sets active = 1).
void anchorFromBody(StoneLocus& stone, const b2Body& body);
// The same from a body's state as floats.
void anchorFromState(StoneLocus& stone, const PairBody& body);
// Parks a body at (x, 0), angle 0, at rest.
void parkBody(b2Body& body, float x);

// The per-worker pair of Box2D worlds: worldMany with 16 bodies for simultaneous contacts,
// worldTwo with two bodies for a contact between two stones. A collision's result depends only
// on the stones handed in, never on the collisions the world solved before.
class SimWorld {
 public:
  SimWorld();
  ~SimWorld();
  SimWorld(const SimWorld&) = delete;
  SimWorld& operator=(const SimWorld&) = delete;

  // Resolves one contact between a and b: one Box2D step, one model step on each resulting
  // velocity (curl sign = the stone's mirror), then both are re-anchored (active = 1). The
  // Box2D step is stepStonePair's where it applies (the same result), else worldTwo's.
  void collideTwo(StoneLocus& a, StoneLocus& b);
  // Whether collideTwo may use stepStonePair (on by default; off to compare with the world).
  void usePairStep(bool use) { pairStep_m = use; }
  // Resolves simultaneous contacts of up to 16 stones in one Box2D step (no model step
  // afterwards), in a world as new as the first one. Stones beyond the 16th are ignored.
  void collideMany(StoneLocus* const* stones, int count);

 private:
  // (Re)creates worldMany with its 16 bodies parked.
  void makeWorldMany();

  b2World* worldMany_m = nullptr;
  b2Body* bodies_m[STONE_COUNT] = {};
  b2World* worldTwo_m = nullptr;
  b2Body* bodyA_m = nullptr;
  b2Body* bodyB_m = nullptr;
  PairMass pairMass_m;
  bool pairStep_m = true;
};

// Parking x of body i of worldMany (and of bodyA, bodyB for i = 0, 1).
inline float parkingX(int i) { return -PARKING_SPACING * static_cast<float>(i + 1); }

}  // namespace varrowmere
