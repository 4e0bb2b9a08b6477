#include "platform/shot_maker.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "physics/motion.h"
#include "platform/portable_math.h"

namespace varrowmere {

namespace {

// One step of the straight reference delivery, in its own frame: it starts at the origin
// heading towards -y with curl sign +1 and full steps from the first. Also a point between
// two steps, every field interpolated linearly.
struct ReferencePoint {
  double x, y;
  double heading;    // direction of motion (rad), unwrapped
  double speed;      // m/s; 0 on the last row, the rest point
  double stopDist;   // distance to the rest point (m)
  double stopAngle;  // angle from the heading to the rest point (rad, counter-clockwise > 0)
};

std::vector<ReferencePoint> buildReference() {
  std::vector<ReferencePoint> rows;
  rows.reserve(static_cast<std::size_t>(SHOT_REFERENCE_TOP_SPEED * STEPS_PER_SPEED) + 2);
  double x = 0.0, y = 0.0, vx = 0.0, vy = -SHOT_REFERENCE_TOP_SPEED;
  double v = SHOT_REFERENCE_TOP_SPEED;
  double heading = portable::atan2(vy, vx);
  for (;;) {
    rows.push_back({x, y, heading, v, 0.0, 0.0});
    if (v == 0.0) break;
    x += vx * STEP_DT;
    y += vy * STEP_DT;
    v = frictionStep(vx, vy, 1.0);
    // The last moving steps turn sharply; keep the heading continuous across +-pi.
    if (v != 0.0)
      heading += std::remainder(portable::atan2(vy, vx) - heading, 2.0 * std::numbers::pi);
  }
  const ReferencePoint rest = rows.back();
  for (ReferencePoint& row : rows) {
    const double dx = rest.x - row.x, dy = rest.y - row.y;
    const double hx = portable::cos(row.heading), hy = portable::sin(row.heading);
    row.stopDist = portable::hypot(dx, dy);
    row.stopAngle = portable::atan2(hx * dy - hy * dx, hx * dx + hy * dy);
  }
  // The rest row has no direction to the rest point: it keeps the one before it.
  if (rows.size() > 1) rows.back().stopAngle = rows[rows.size() - 2].stopAngle;
  return rows;
}

const std::vector<ReferencePoint>& reference() {
  static const std::vector<ReferencePoint> rows = buildReference();
  return rows;
}

// The reference at fractional row u (clamped to the reference).
ReferencePoint referenceAt(double u) {
  const std::vector<ReferencePoint>& rows = reference();
  const auto last = static_cast<int32_t>(rows.size()) - 1;
  if (!(u > 0.0)) u = 0.0;
  if (u > last) u = last;
  const int32_t n = std::clamp(static_cast<int32_t>(std::floor(u)), 0, last - 1);
  const double f = u - n;
  const ReferencePoint& a = rows[n];
  const ReferencePoint& b = rows[n + 1];
  const auto mix = [f](double p, double q) { return p + (q - p) * f; };
  return {mix(a.x, b.x),
          mix(a.y, b.y),
          mix(a.heading, b.heading),
          mix(a.speed, b.speed),
          mix(a.stopDist, b.stopDist),
          mix(a.stopAngle, b.stopAngle)};
}

// Fractional row of the reference where it moves at `speed` (speeds fall along the rows).
double rowOfSpeed(double speed) {
  const std::vector<ReferencePoint>& rows = reference();
  const auto it = std::partition_point(
      rows.begin(), rows.end(), [speed](const ReferencePoint& r) { return r.speed >= speed; });
  const auto n = std::clamp<std::ptrdiff_t>(it - rows.begin() - 1, 0, rows.size() - 2);
  const double a = rows[n].speed, b = rows[n + 1].speed;
  return n + std::clamp((a - speed) / (a - b), 0.0, 1.0);
}

// A solved delivery: the speed and heading just after the release's half step, with the
// reference point it corresponds to.
struct Delivery {
  double u;        // fractional reference row at the delivery point
  double heading;  // sheet heading (rad) after the half step
};

// Turns a solved delivery into the shot: undoes the half step of the release.
ShotVector shotOf(const Delivery& d, double s, bool spin) {
  const double v1 = referenceAt(d.u).speed;
  const double v0 = v1 + DECEL_PER_STEP * 0.5;
  const double heading0 = d.heading - s * portable::atan2(CURL_PER_STEP * 0.5, v1);
  return ShotVector{static_cast<float>(v0 * portable::cos(heading0)),
                    static_cast<float>(v0 * portable::sin(heading0)), spin};
}

// The sheet position of reference point `to` for a delivery d with curl sign s: the
// reference is moved onto the delivery point, turned onto d's heading and, for s = -1,
// mirrored.
void mapReference(const Delivery& d, double s, const ReferencePoint& to, double& x, double& y) {
  const ReferencePoint from = referenceAt(d.u);
  const double dx = to.x - from.x, dy = to.y - from.y;
  const double hx = portable::cos(from.heading), hy = portable::sin(from.heading);
  const double along = hx * dx + hy * dy, left = s * (hx * dy - hy * dx);
  const double sx = portable::cos(d.heading), sy = portable::sin(d.heading);
  x = DELIVERY_X + along * sx - left * sy;
  y = DELIVERY_Y + along * sy + left * sx;
}

// The draw that comes to rest at the aim point. Returns false when the aim lies beyond the
// fastest delivery (d is then that delivery towards the aim).
bool solveDraw(double aimX, double aimY, double s, Delivery& d) {
  const std::vector<ReferencePoint>& rows = reference();
  const double dx = aimX - DELIVERY_X, dy = aimY - DELIVERY_Y;
  const double reach = portable::hypot(dx, dy);
  const double length = std::min(reach, rows.front().stopDist);
  const auto it = std::partition_point(
      rows.begin(), rows.end(), [length](const ReferencePoint& r) { return r.stopDist >= length; });
  const auto n = std::clamp<std::ptrdiff_t>(it - rows.begin() - 1, 0, rows.size() - 2);
  const double a = rows[n].stopDist, b = rows[n + 1].stopDist;
  d.u = n + std::clamp((a - length) / (a - b), 0.0, 1.0);
  d.heading = portable::atan2(dy, dx) - s * referenceAt(d.u).stopAngle;
  return reach <= rows.front().stopDist;
}

// The delivery that passes the aim point at speed `power`. Returns false when even the
// fastest delivery is too slow for it (d is then that delivery towards the aim).
bool solveHit(double aimX, double aimY, double s, double power, Delivery& d) {
  const double uPass = rowOfSpeed(power);
  const ReferencePoint pass = referenceAt(uPass);
  const double dx = aimX - DELIVERY_X, dy = aimY - DELIVERY_Y;
  const double reach = portable::hypot(dx, dy);
  const auto distanceAt = [&pass](double u) {
    const ReferencePoint p = referenceAt(u);
    return portable::hypot(pass.x - p.x, pass.y - p.y);
  };
  // Distance to the passing point falls along the rows up to it; find where it equals reach.
  const double farthest = distanceAt(0.0);
  const double length = std::min(reach, farthest);
  int32_t lo = 0, hi = static_cast<int32_t>(std::floor(uPass));
  while (lo < hi) {
    const int32_t mid = (lo + hi + 1) / 2;
    if (distanceAt(mid) >= length) {
      lo = mid;
    } else {
      hi = mid - 1;
    }
  }
  const double uEnd = std::min(lo + 1.0, uPass);
  const double a = distanceAt(lo), b = distanceAt(uEnd);
  d.u = a > b ? lo + (uEnd - lo) * std::clamp((a - length) / (a - b), 0.0, 1.0) : lo;
  const ReferencePoint from = referenceAt(d.u);
  const double px = pass.x - from.x, py = pass.y - from.y;
  const double hx = portable::cos(from.heading), hy = portable::sin(from.heading);
  const double angle = portable::atan2(hx * py - hy * px, hx * px + hy * py);
  d.heading = portable::atan2(dy, dx) - s * angle;
  return reach <= farthest;
}

// True when the stone of delivery d reaches the table region while moving, so that
// vec_to_locus_deliver accepts it: its rest point lies clearly below TABLE_MOTION_Y.
bool deliverable(const Delivery& d, double s) {
  double x = 0.0, y = 0.0;
  mapReference(d, s, reference().back(), x, y);
  return y < TABLE_MOTION_Y - SHOT_DELIVERY_MARGIN;
}

// Where the delivered locus moves at `power`, interpolated between its steps. False when
// that moment lies before the locus's first row (still in free flight).
bool passingPoint(const StoneLocus& locus, double power, double& x, double& y) {
  const TableRow* rows = stepTable[locus.k];
  const int32_t top = std::clamp(locus.cur.stepsLeft, 0, lastRow(locus.k));
  if (top < 1 || rows[top].speed < power) return false;
  int32_t r = std::clamp(static_cast<int32_t>(power * STEPS_PER_SPEED) + 1, 1, top);
  while (r < top && rows[r].speed < power) ++r;
  while (r > 1 && rows[r - 1].speed >= power) --r;
  const double f = (rows[r].speed - power) / (rows[r].speed - rows[r - 1].speed);
  TrajectoryPoint a, b;
  locusPoint(locus, locus.k, r, a);
  locusPoint(locus, locus.k, r - 1, b);
  x = a.x + (b.x - a.x) * f;
  y = a.y + (b.y - a.y) * f;
  return true;
}

bool finiteTarget(const ShotTarget& target) {
  return std::isfinite(target.x) && std::isfinite(target.y);
}

// One shot to make: a draw (power 0) or a hit passing the target at `power`.
struct Request {
  ShotTarget target;
  double s;      // curl sign
  double power;  // m/s; 0 for a draw
};

bool solve(const Request& r, double aimX, double aimY, Delivery& d) {
  return r.power > 0.0 ? solveHit(aimX, aimY, r.s, r.power, d) : solveDraw(aimX, aimY, r.s, d);
}

// The point of a delivered stone that should meet the target: its rest point for a draw,
// the point where it moves at the power for a hit. False when it cannot be read (a hit
// passing before the tables take over).
bool landing(const Request& r, const StoneLocus& locus, double& x, double& y) {
  if (r.power > 0.0) return passingPoint(locus, r.power, x, y);
  TrajectoryPoint rest;
  locusPoint(locus, locus.k, 0, rest);
  x = rest.x;
  y = rest.y;
  return true;
}

// Solves the request on the reference, then delivers trial shots for real, aiming off by
// what each one missed, until one lands within SHOT_CORRECTION_GOAL; keeps the best.
bool makeShot(const Request& r, ShotVector* shot, StoneLocus* delivered) {
  Delivery d{};
  const bool reachable = solve(r, r.target.x, r.target.y, d);
  *shot = shotOf(d, r.s, r.target.spin);
  if (!reachable || !deliverable(d, r.s)) {
    if (delivered != nullptr) vec_to_locus_deliver(*shot, *delivered);
    return reachable;
  }

  double aimX = r.target.x, aimY = r.target.y;
  double bestMiss = INVERSE_OF_ZERO;
  StoneLocus locus;
  for (int attempt = 0; attempt < SHOT_CORRECTION_LIMIT; ++attempt) {
    const ShotVector trial = shotOf(d, r.s, r.target.spin);
    const bool arrived = vec_to_locus_deliver(trial, locus);
    double x = 0.0, y = 0.0;
    if (!arrived || !landing(r, locus, x, y)) {
      // Nothing to measure (a hit passing in free flight): the reference's answer stands.
      if (attempt > 0) break;
      if (delivered != nullptr) *delivered = locus;
      return arrived;
    }
    const double missX = r.target.x - x, missY = r.target.y - y;
    const double miss = portable::hypot(missX, missY);
    if (miss < bestMiss) {
      bestMiss = miss;
      *shot = trial;
      if (delivered != nullptr) *delivered = locus;
    }
    if (miss <= SHOT_CORRECTION_GOAL) break;
    aimX += missX;
    aimY += missY;
    if (!solve(r, aimX, aimY, d)) break;
  }
  return bestMiss <= SHOT_POSITION_TOLERANCE;
}

}  // namespace

bool CreateShot(ShotTarget target, ShotVector* shot, StoneLocus* delivered) {
  *shot = ShotVector{0.0f, 0.0f, target.spin};
  if (!finiteTarget(target)) {
    if (delivered != nullptr) vec_to_locus_deliver(*shot, *delivered);
    return false;
  }
  return makeShot({target, curlSign(target.spin), 0.0}, shot, delivered);
}

bool CreateHitShot(ShotTarget target, float power, ShotVector* shot, StoneLocus* delivered) {
  *shot = ShotVector{0.0f, 0.0f, target.spin};
  const double speed = power;
  if (!finiteTarget(target) || !(speed > 0.0 && speed < SHOT_REFERENCE_TOP_SPEED)) {
    if (delivered != nullptr) vec_to_locus_deliver(*shot, *delivered);
    return false;
  }
  return makeShot({target, curlSign(target.spin), speed}, shot, delivered);
}

bool CreateShot(ShotTarget target, ShotVector* shot) { return CreateShot(target, shot, nullptr); }

bool CreateHitShot(ShotTarget target, float power, ShotVector* shot) {
  return CreateHitShot(target, power, shot, nullptr);
}

}  // namespace varrowmere
