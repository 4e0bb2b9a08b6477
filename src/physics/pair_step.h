#pragma once
// One Box2D step of two stones in contact, computed as Box2D computes it, without a world.
//
// Most collisions of a search are between exactly two stones. A world step spends most of its
// time on bookkeeping (broad phase, contact lists, islands, timers) around a small solve: one
// circle contact, ten velocity iterations, the position correction. stepStonePair performs that
// solve with Box2D's own types and formulas, in the same order, so that every result is the
// same to the last bit as worldTwo's Step (checked against Box2D by the physics tests and the
// fuzz target). Whatever it does not cover (stones not touching, values far from a sheet's) it
// declines, and the world steps as before.

namespace varrowmere {

// A stone body as placeBody sets it: position (m), velocity (m/s), angular velocity (rad/s).
struct PairBody {
  float x, y, vx, vy, omega;
};

// What the step needs of the stone bodies, read from a Box2D body once.
struct PairMass {
  float mass = 0.0f;
  float invMass = 0.0f;
  float invI = 0.0f;
};

// Steps body a (the contact's first body, worldTwo's bodyA) and body b by one Box2D step at
// angle 0 with warm starting off; returns false, leaving both unchanged, when it declines.
bool stepStonePair(PairBody& a, PairBody& b, const PairMass& mass);

}  // namespace varrowmere
