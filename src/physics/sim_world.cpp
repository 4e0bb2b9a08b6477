#include "physics/sim_world.h"

#include <box2d/box2d.h>

#include <cmath>
#include <utility>

#include "physics/pair_step.h"

namespace varrowmere {

namespace {

// Finite and within the limit; a double beyond float range must not be narrowed at all.
bool sane(double value, double limit) { return std::fabs(value) <= limit; }

b2World* makeWorld() {
  auto* world = new b2World(b2Vec2(0.0f, 0.0f));
  world->SetAllowSleeping(true);
  // Every step resolves a new contact, but the bodies are reused and Box2D keeps a contact
  // it saw touching: warm starting would begin the solver from the previous collision's
  // impulses, so a shot's result would depend on what the world simulated before.
  world->SetWarmStarting(false);
  // Box2D's time-of-impact pass only handles bullets and contacts with static bodies; stones
  // are neither, so it never changes a result here, and looking for work costs time.
  world->SetContinuousPhysics(false);
  return world;
}

void stepWorld(b2World& world) { world.Step(BOX2D_STEP, VELOCITY_ITERATIONS, POSITION_ITERATIONS); }

double speedOf(const PairBody& body) {
  const double vx = body.vx, vy = body.vy;
  return std::sqrt((0.0 - vx) * (0.0 - vx) + (0.0 - vy) * (0.0 - vy));
}

// The stone as placeBody would put it on a body; false when placeBody would park it.
bool bodyState(const StoneLocus& stone, PairBody& body) {
  const TrajectoryPoint& p = stone.cur;
  if (!(sane(p.x, BODY_COORDINATE_LIMIT) && sane(p.y, BODY_COORDINATE_LIMIT) &&
        sane(p.vx, BODY_SPEED_LIMIT) && sane(p.vy, BODY_SPEED_LIMIT) &&
        sane(stone.omega, BODY_SPEED_LIMIT)))
    return false;
  body = PairBody{static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.vx),
                  static_cast<float>(p.vy), static_cast<float>(stone.omega)};
  return true;
}

// One model step on a velocity Box2D left (m/s, as floats), with the stone's curl sign.
void modelStep(float& vx, float& vy, double curl) {
  double x = vx, y = vy;
  frictionStep(x, y, curl);
  vx = static_cast<float>(x);
  vy = static_cast<float>(y);
}

}  // namespace

b2Body* makeStoneBody(b2World& world, float x, float y) {
  b2BodyDef def;
  def.type = b2_dynamicBody;
  def.position.Set(x, y);
  def.angle = 0.0f;
  def.linearVelocity.SetZero();
  def.angularVelocity = 0.0f;
  def.linearDamping = 0.0f;
  def.angularDamping = 0.0f;
  def.allowSleep = true;
  def.awake = true;
  def.fixedRotation = false;
  def.bullet = false;
  def.enabled = true;
  b2Body* body = world.CreateBody(&def);

  b2CircleShape circle;
  circle.m_radius = STONE_RADIUS;
  b2FixtureDef fixture;
  fixture.shape = &circle;
  fixture.density = STONE_DENSITY;
  fixture.friction = STONE_FRICTION;
  fixture.restitution = STONE_RESTITUTION;
  fixture.isSensor = false;
  fixture.filter.categoryBits = STONE_CATEGORY_BITS;
  fixture.filter.maskBits = STONE_MASK_BITS;
  fixture.filter.groupIndex = STONE_GROUP_INDEX;
  body->CreateFixture(&fixture);
  return body;
}

void parkBody(b2Body& body, float x) {
  body.SetTransform(b2Vec2(x, 0.0f), 0.0f);
  body.SetLinearVelocity(b2Vec2(0.0f, 0.0f));
  body.SetAngularVelocity(0.0f);
}

void placeBody(b2Body& body, const StoneLocus& stone, float parkX) {
  // Awake with a sleep timer of zero, as a new body is: a stone at rest must not carry the
  // time its body spent slow in earlier collisions into this one.
  body.SetAwake(true);
  const TrajectoryPoint& p = stone.cur;
  // Box2D has no defence against positions that are not numbers or absurdly far away; such
  // a stone cannot be in a real contact, so its body stays parked.
  if (!(sane(p.x, BODY_COORDINATE_LIMIT) && sane(p.y, BODY_COORDINATE_LIMIT) &&
        sane(p.vx, BODY_SPEED_LIMIT) && sane(p.vy, BODY_SPEED_LIMIT) &&
        sane(stone.omega, BODY_SPEED_LIMIT))) {
    parkBody(body, parkX);
    return;
  }
  body.SetTransform(b2Vec2(static_cast<float>(p.x), static_cast<float>(p.y)), 0.0f);
  body.SetLinearVelocity(b2Vec2(static_cast<float>(p.vx), static_cast<float>(p.vy)));
  body.SetAngularVelocity(static_cast<float>(stone.omega));
}

void anchorFromBody(StoneLocus& stone, const b2Body& body) {
  const b2Vec2 position = body.GetPosition();
  const b2Vec2 velocity = body.GetLinearVelocity();
  anchorFromState(stone, PairBody{position.x, position.y, velocity.x, velocity.y,
                                  body.GetAngularVelocity()});
}

void anchorFromState(StoneLocus& stone, const PairBody& body) {
  const double vx = body.vx, vy = body.vy;
  const double speed = speedOf(body);
  const double invSpeed = speed == 0.0 ? INVERSE_OF_ZERO : 1.0 / speed;
  anchorLocus(stone, body.x, body.y, vx, vy, speed, invSpeed, body.omega);
}

void SimWorld::makeWorldMany() {
  delete worldMany_m;
  worldMany_m = makeWorld();
  for (int i = 0; i < STONE_COUNT; ++i)
    bodies_m[i] = makeStoneBody(*worldMany_m, parkingX(i), 0.0f);
}

SimWorld::SimWorld() {
  makeWorldMany();
  worldTwo_m = makeWorld();
  bodyA_m = makeStoneBody(*worldTwo_m, parkingX(0), 0.0f);
  bodyB_m = makeStoneBody(*worldTwo_m, parkingX(1), 0.0f);
  // The inverses as Box2D forms them from the body's mass data.
  pairMass_m.mass = bodyA_m->GetMass();
  pairMass_m.invMass = 1.0f / bodyA_m->GetMass();
  pairMass_m.invI = 1.0f / bodyA_m->GetInertia();
}

SimWorld::~SimWorld() {
  delete worldMany_m;
  delete worldTwo_m;
}

void SimWorld::collideTwo(StoneLocus& a, StoneLocus& b) {
  PairBody bodyA, bodyB;
  if (pairStep_m && bodyState(a, bodyA) && bodyState(b, bodyB) &&
      stepStonePair(bodyA, bodyB, pairMass_m)) {
    modelStep(bodyA.vx, bodyA.vy, a.mirror);
    modelStep(bodyB.vx, bodyB.vy, b.mirror);
    prefetchAnchorRow(speedOf(bodyA));
    prefetchAnchorRow(speedOf(bodyB));
    anchorFromState(a, bodyA);
    anchorFromState(b, bodyB);
    return;
  }
  placeBody(*bodyA_m, a, parkingX(0));
  placeBody(*bodyB_m, b, parkingX(1));
  stepWorld(*worldTwo_m);

  // One model step on each resulting velocity, with the curl the stone had before.
  for (const auto& [body, curl] : {std::pair{bodyA_m, a.mirror}, std::pair{bodyB_m, b.mirror}}) {
    b2Vec2 v = body->GetLinearVelocity();
    modelStep(v.x, v.y, curl);
    body->SetLinearVelocity(v);
  }
  anchorFromBody(a, *bodyA_m);
  anchorFromBody(b, *bodyB_m);
}

void SimWorld::collideMany(StoneLocus* const* stones, int count) {
  if (count > STONE_COUNT) count = STONE_COUNT;
  for (int i = 0; i < count; ++i) placeBody(*bodies_m[i], *stones[i], parkingX(i));
  stepWorld(*worldMany_m);
  for (int i = 0; i < count; ++i) anchorFromBody(*stones[i], *bodies_m[i]);
  // Box2D keeps the contacts and the broad-phase tree of this step, and the order in which it
  // solves several contacts follows from them; the next call gets a new world instead, so
  // that its result does not depend on this one. Calls are rare (a few per thousand shots).
  makeWorldMany();
}

}  // namespace varrowmere
