#include "physics/pair_step.h"

#include <box2d/box2d.h>

#include <cmath>
#include <cstring>

#include "physics/sheet.h"
#include "physics/sim_world.h"

namespace varrowmere {

namespace {

// Inputs the step takes: coordinates between these magnitudes (m; never 0, whose sign Box2D's
// transforms could turn), and speeds (m/s, rad/s) below the other limit, far below the clamps
// of a step. Real stones are well inside; anything else goes to the world.
constexpr float PAIR_COORDINATE_MIN = 1.0e-3f;
constexpr float PAIR_COORDINATE_MAX = 1.0e3f;
constexpr float PAIR_SPEED_MAX = 1.0e2f;

bool coordinateFits(float v) {
  const float a = std::fabs(v);
  return a >= PAIR_COORDINATE_MIN && a <= PAIR_COORDINATE_MAX;
}

bool speedFits(float v) { return std::fabs(v) <= PAIR_SPEED_MAX; }

bool fits(const PairBody& body) {
  return coordinateFits(body.x) && coordinateFits(body.y) && speedFits(body.vx) &&
         speedFits(body.vy) && speedFits(body.omega);
}

// A body's state through the step (b2Position and b2Velocity together).
struct State {
  b2Vec2 c;
  float a;
  b2Vec2 v;
  float w;
};

// The body's transform for centre c at angle a. Box2D rotates only the body's origin (0, 0)
// here, which gives (+0, +0) for every rotation whose cosine is positive, and the angles of a
// step stay within a few hundredths of a radian: the identity rotation gives the same bits
// without the sine and cosine.
b2Transform transformOf(const b2Vec2& c, float /*a*/) {
  b2Transform xf;
  xf.q.SetIdentity();
  xf.p = c - b2Mul(xf.q, b2Vec2(0.0f, 0.0f));
  return xf;
}

}  // namespace

bool stepStonePair(PairBody& bodyA, PairBody& bodyB, const PairMass& mass) {
  if (!fits(bodyA) || !fits(bodyB)) return false;
  const b2Vec2 origin(0.0f, 0.0f);
  const float h = BOX2D_STEP;

  // The bodies as SetTransform and the velocity setters leave them (angle 0).
  State s[2];
  const PairBody* in[2] = {&bodyA, &bodyB};
  b2Transform start[2];
  for (int i = 0; i < 2; ++i) {
    start[i].q.SetIdentity();
    start[i].p.Set(in[i]->x, in[i]->y);
    s[i].c = b2Mul(start[i], origin);
    s[i].a = 0.0f;
    s[i].v.Set(in[i]->vx, in[i]->vy);
    s[i].w = in[i]->omega;
  }

  // The contact's manifold (b2Contact::Update); not touching: no contact to solve.
  b2CircleShape circle;
  circle.m_radius = STONE_RADIUS;
  b2Manifold manifold;
  b2CollideCircles(&manifold, &circle, start[0], &circle, start[1]);
  if (manifold.pointCount == 0) return false;

  // b2Island::Solve: velocities under no gravity, force or damping.
  const b2Vec2 gravity(0.0f, 0.0f), force(0.0f, 0.0f);
  const float gravityScale = b2BodyDef().gravityScale;
  for (State& b : s) {
    b.v += h * mass.invMass * (gravityScale * mass.mass * gravity + force);
    b.w += h * mass.invI * 0.0f;
    b.v *= 1.0f / (1.0f + h * 0.0f);
    b.w *= 1.0f / (1.0f + h * 0.0f);
  }

  // b2ContactSolver: the contact's constants, then InitializeVelocityConstraints.
  const b2FixtureDef fixture;
  const float friction = b2MixFriction(STONE_FRICTION, STONE_FRICTION);
  const float restitution = b2MixRestitution(STONE_RESTITUTION, STONE_RESTITUTION);
  const float threshold =
      b2MixRestitutionThreshold(fixture.restitutionThreshold, fixture.restitutionThreshold);
  const float tangentSpeed = 0.0f;
  const float mA = mass.invMass, mB = mass.invMass, iA = mass.invI, iB = mass.invI;
  float normalImpulse = 0.0f, tangentImpulse = 0.0f;

  b2WorldManifold world;
  world.Initialize(&manifold, transformOf(s[0].c, s[0].a), STONE_RADIUS,
                   transformOf(s[1].c, s[1].a), STONE_RADIUS);
  const b2Vec2 normal = world.normal;
  const b2Vec2 rA = world.points[0] - s[0].c;
  const b2Vec2 rB = world.points[0] - s[1].c;
  const float rnA = b2Cross(rA, normal);
  const float rnB = b2Cross(rB, normal);
  const float kNormal = mA + mB + iA * rnA * rnA + iB * rnB * rnB;
  const float normalMass = kNormal > 0.0f ? 1.0f / kNormal : 0.0f;
  const b2Vec2 tangent = b2Cross(normal, 1.0f);
  const float rtA = b2Cross(rA, tangent);
  const float rtB = b2Cross(rB, tangent);
  const float kTangent = mA + mB + iA * rtA * rtA + iB * rtB * rtB;
  const float tangentMass = kTangent > 0.0f ? 1.0f / kTangent : 0.0f;
  float velocityBias = 0.0f;
  {
    const float vRel =
        b2Dot(normal, s[1].v + b2Cross(s[1].w, rB) - s[0].v - b2Cross(s[0].w, rA));
    if (vRel < -threshold) velocityBias = -restitution * vRel;
  }

  // SolveVelocityConstraints, one point, friction first. An iteration is a fixed map of the
  // eight values below, so once a state repeats the rest only repeat it: after an iteration
  // that changes nothing (to the bit), or one that returns the state of two iterations before,
  // the last iteration's state is known and the rest are skipped.
  b2Vec2 vA = s[0].v, vB = s[1].v;
  float wA = s[0].w, wB = s[1].w;
  // An impulse P on B, and -P on A, at the contact point.
  const auto applyImpulse = [&](const b2Vec2 P) {
    vA -= mA * P;
    wA -= iA * b2Cross(rA, P);
    vB += mB * P;
    wB += iB * b2Cross(rB, P);
  };
  float twoBefore[8];
  for (int iteration = 0; iteration < VELOCITY_ITERATIONS; ++iteration) {
    const float before[8] = {vA.x, vA.y, wA, vB.x, vB.y, wB, normalImpulse, tangentImpulse};
    {
      const b2Vec2 dv = vB + b2Cross(wB, rB) - vA - b2Cross(wA, rA);
      const float vt = b2Dot(dv, tangent) - tangentSpeed;
      float lambda = tangentMass * (-vt);
      const float maxFriction = friction * normalImpulse;
      const float newImpulse = b2Clamp(tangentImpulse + lambda, -maxFriction, maxFriction);
      lambda = newImpulse - tangentImpulse;
      tangentImpulse = newImpulse;
      applyImpulse(lambda * tangent);
    }
    {
      const b2Vec2 dv = vB + b2Cross(wB, rB) - vA - b2Cross(wA, rA);
      const float vn = b2Dot(dv, normal);
      float lambda = -normalMass * (vn - velocityBias);
      const float newImpulse = b2Max(normalImpulse + lambda, 0.0f);
      lambda = newImpulse - normalImpulse;
      normalImpulse = newImpulse;
      applyImpulse(lambda * normal);
    }
    const float after[8] = {vA.x, vA.y, wA, vB.x, vB.y, wB, normalImpulse, tangentImpulse};
    if (std::memcmp(before, after, sizeof(before)) == 0) break;
    if (iteration > 0 && std::memcmp(twoBefore, after, sizeof(after)) == 0) {
      // Alternating: the last iteration ends on this state or on the one before it.
      if ((VELOCITY_ITERATIONS - 1 - iteration) % 2 != 0) {
        vA.Set(before[0], before[1]);
        wA = before[2];
        vB.Set(before[3], before[4]);
        wB = before[5];
        normalImpulse = before[6];
        tangentImpulse = before[7];
      }
      break;
    }
    std::memcpy(twoBefore, before, sizeof(before));
  }
  s[0].v = vA;
  s[0].w = wA;
  s[1].v = vB;
  s[1].w = wB;

  // Integrate positions, with Box2D's limits on one step's motion.
  for (State& b : s) {
    const b2Vec2 translation = h * b.v;
    if (b2Dot(translation, translation) > b2_maxTranslationSquared) {
      const float ratio = b2_maxTranslation / translation.Length();
      b.v *= ratio;
    }
    const float rotation = h * b.w;
    if (rotation * rotation > b2_maxRotationSquared) {
      const float ratio = b2_maxRotation / b2Abs(rotation);
      b.w *= ratio;
    }
    b.c += h * b.v;
    b.a += h * b.w;
  }

  // SolvePositionConstraints until the separation is small enough.
  for (int iteration = 0; iteration < POSITION_ITERATIONS; ++iteration) {
    b2Vec2 cA = s[0].c, cB = s[1].c;
    float aA = s[0].a, aB = s[1].a;
    const b2Transform xfA = transformOf(cA, aA), xfB = transformOf(cB, aB);
    const b2Vec2 pointA = b2Mul(xfA, manifold.localPoint);
    const b2Vec2 pointB = b2Mul(xfB, manifold.points[0].localPoint);
    b2Vec2 n = pointB - pointA;
    n.Normalize();
    const b2Vec2 point = 0.5f * (pointA + pointB);
    const float separation = b2Dot(pointB - pointA, n) - STONE_RADIUS - STONE_RADIUS;
    const b2Vec2 pA = point - cA;
    const b2Vec2 pB = point - cB;
    const float minSeparation = b2Min(0.0f, separation);
    const float C = b2Clamp(b2_baumgarte * (separation + b2_linearSlop), -b2_maxLinearCorrection, 0.0f);
    const float pnA = b2Cross(pA, n);
    const float pnB = b2Cross(pB, n);
    const float K = mA + mB + iA * pnA * pnA + iB * pnB * pnB;
    const float impulse = K > 0.0f ? -C / K : 0.0f;
    const b2Vec2 P = impulse * n;
    cA -= mA * P;
    aA -= iA * b2Cross(pA, P);
    cB += mB * P;
    aB += iB * b2Cross(pB, P);
    s[0].c = cA;
    s[0].a = aA;
    s[1].c = cB;
    s[1].a = aB;
    if (minSeparation >= -3.0f * b2_linearSlop) break;
  }

  // What the bodies report afterwards (SynchronizeTransform, then the getters).
  PairBody* out[2] = {&bodyA, &bodyB};
  for (int i = 0; i < 2; ++i) {
    const b2Vec2 position = transformOf(s[i].c, s[i].a).p;
    out[i]->x = position.x;
    out[i]->y = position.y;
    out[i]->vx = s[i].v.x;
    out[i]->vy = s[i].v.y;
    out[i]->omega = s[i].w;
  }
  return true;
}

}  // namespace varrowmere
