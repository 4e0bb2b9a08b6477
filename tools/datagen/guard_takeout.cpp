#include "guard_takeout.h"

#include <algorithm>
#include <cmath>

namespace varrowmere::guardgen {

namespace {

// Longest distance (m) a stone covers in one step within the tables (about 23 m/s / 600),
// with room to spare: segments are searched this far beyond the reach of a stone.
constexpr double SEGMENT_MARGIN = 0.05;
// Aim error (m) at which the shot search stops early.
constexpr double AIM_EXACT = 1.0e-7;

struct Passage {
  double x = 0.0, y = 0.0, vx = 0.0, vy = 0.0;
  bool found = false;
};

// Where the delivered stone passes `speed`, interpolated between the two rows around it.
Passage passageAtSpeed(const StoneLocus& locus, double speed) {
  Passage pass;
  TrajectoryPoint a, b;
  for (int32_t r = locus.cur.stepsLeft; r > 0; --r) {
    const double sa = stepTable[locus.k][r].speed;
    const double sb = stepTable[locus.k][r - 1].speed;
    if (!(sa >= speed && sb < speed)) continue;
    locusPoint(locus, locus.k, r, a);
    locusPoint(locus, locus.k, r - 1, b);
    const double f = (sa - speed) / (sa - sb);
    pass.x = a.x + f * (b.x - a.x);
    pass.y = a.y + f * (b.y - a.y);
    pass.vx = a.vx + f * (b.vx - a.vx);
    pass.vy = a.vy + f * (b.vy - a.vy);
    pass.found = true;
    return pass;
  }
  return pass;
}

// Squared distance from (px, py) to the segment (ax, ay)-(bx, by).
double segmentDistSq(double ax, double ay, double bx, double by, double px, double py) {
  const double dx = bx - ax, dy = by - ay;
  const double lenSq = dx * dx + dy * dy;
  double t = lenSq > 0.0 ? ((px - ax) * dx + (py - ay) * dy) / lenSq : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  const double ex = ax + t * dx - px, ey = ay + t * dy - py;
  return ex * ex + ey * ey;
}

// First t in [0, 1] at which A + t (B - A) comes within two radii of (tx, ty), or -1.
double firstTouch(double ax, double ay, double bx, double by, double tx, double ty) {
  const double fx = ax - tx, fy = ay - ty;
  const double dx = bx - ax, dy = by - ay;
  const double a = dx * dx + dy * dy;
  const double b = fx * dx + fy * dy;
  const double c = fx * fx + fy * fy - CONTACT_DIST_SQ;
  if (c <= 0.0) return 0.0;
  const double disc = b * b - a * c;
  if (a == 0.0 || disc < 0.0) return -1.0;
  const double t = (-b - std::sqrt(disc)) / a;
  return t >= 0.0 && t <= 1.0 ? t : -1.0;
}

// Searches the shot whose stone passes the aim point at TAKEOUT_SPEED; the aim point itself
// moves with the stone's direction there. Returns the delivered locus and the aim error.
double searchShot(double tx, double ty, double offset, bool spin, StoneLocus& locus) {
  const double decel = DECEL_PER_STEP / STEP_DT;
  double ux = tx - DELIVERY_X, uy = ty - DELIVERY_Y;
  const double len = std::hypot(ux, uy);
  ux /= len;
  uy /= len;
  double aimX = tx - offset * uy, aimY = ty + offset * ux;
  double angle = std::atan2(aimY - DELIVERY_Y, aimX - DELIVERY_X);
  double v0 = std::sqrt(TAKEOUT_SPEED * TAKEOUT_SPEED +
                        2.0 * decel * std::hypot(aimX - DELIVERY_X, aimY - DELIVERY_Y));
  double error = INVERSE_OF_ZERO;
  for (int iteration = 0; iteration < AIM_ITERATIONS && error > AIM_EXACT; ++iteration) {
    const ShotVector shot{static_cast<float>(v0 * std::cos(angle)),
                          static_cast<float>(v0 * std::sin(angle)), spin};
    vec_to_locus_deliver(shot, locus);
    const Passage pass = passageAtSpeed(locus, TAKEOUT_SPEED);
    if (!pass.found) return INVERSE_OF_ZERO;
    const double speed = std::hypot(pass.vx, pass.vy);
    aimX = tx - offset * pass.vy / speed;
    aimY = ty + offset * pass.vx / speed;
    error = std::hypot(pass.x - aimX, pass.y - aimY);
    // The whole path turns with the shot about the delivery point; its length grows with the
    // square of the speed.
    angle += std::atan2(aimY - DELIVERY_Y, aimX - DELIVERY_X) -
             std::atan2(pass.y - DELIVERY_Y, pass.x - DELIVERY_X);
    v0 += (std::hypot(aimX - DELIVERY_X, aimY - DELIVERY_Y) -
           std::hypot(pass.x - DELIVERY_X, pass.y - DELIVERY_Y)) *
          decel / v0;
  }
  return error;
}

}  // namespace

TakeoutPath buildTakeout(double tx, double ty, double offset, bool spin) {
  TakeoutPath path;
  StoneLocus locus;
  path.aimError = searchShot(tx, ty, offset, spin, locus);

  // The stone's whole table trajectory through the aim point, in time order, up to the first
  // moment it comes within two radii of the target.
  TrajectoryPoint p;
  double bestDistSq = INVERSE_OF_ZERO;
  std::size_t bestSegment = 0;
  for (int32_t r = lastRow(locus.k); r >= 0; --r) {
    locusPoint(locus, locus.k, r, p);
    if (!path.x.empty()) {
      const double ax = path.x.back(), ay = path.y.back();
      const double t = firstTouch(ax, ay, p.x, p.y, tx, ty);
      if (t >= 0.0) {
        path.contactX = ax + t * (p.x - ax);
        path.contactY = ay + t * (p.y - ay);
        path.touches = true;
        path.x.push_back(path.contactX);
        path.y.push_back(path.contactY);
        return path;
      }
      const double distSq = segmentDistSq(ax, ay, p.x, p.y, tx, ty);
      if (distSq < bestDistSq) {
        bestDistSq = distSq;
        bestSegment = path.x.size() - 1;
      }
    }
    path.x.push_back(p.x);
    path.y.push_back(p.y);
  }

  // A grazing path: the contact is the point of closest approach.
  const double ax = path.x[bestSegment], ay = path.y[bestSegment];
  const double dx = path.x[bestSegment + 1] - ax, dy = path.y[bestSegment + 1] - ay;
  const double lenSq = dx * dx + dy * dy;
  const double t =
      lenSq > 0.0 ? std::clamp(((tx - ax) * dx + (ty - ay) * dy) / lenSq, 0.0, 1.0) : 0.0;
  path.contactX = ax + t * dx;
  path.contactY = ay + t * dy;
  path.x.resize(bestSegment + 1);
  path.y.resize(bestSegment + 1);
  path.x.push_back(path.contactX);
  path.y.push_back(path.contactY);
  return path;
}

bool spoilsFromFront(const TakeoutPath& path, double x, double y) {
  const std::size_t n = path.x.size();
  if (n < 2) return false;
  // The stone moves down the sheet: y falls along the path, so only the points within reach
  // of y need a look.
  const double hi = y + TWO_RADII + SEGMENT_MARGIN;
  const double lo = y - TWO_RADII - SEGMENT_MARGIN;
  const auto first =
      std::partition_point(path.y.begin(), path.y.end(), [hi](double py) { return py > hi; });
  std::size_t i = static_cast<std::size_t>(first - path.y.begin());
  i = i > 0 ? i - 1 : 0;
  for (; i + 1 < n; ++i) {
    if (segmentDistSq(path.x[i], path.y[i], path.x[i + 1], path.y[i + 1], x, y) < CONTACT_DIST_SQ) {
      return true;
    }
    if (path.y[i + 1] < lo) break;
  }
  return false;
}

bool spoilsFromBehind(const TakeoutPath& path, double tx, double ty, double travel, double x,
                      double y) {
  const double ex = tx - path.contactX, ey = ty - path.contactY;
  const double len = std::hypot(ex, ey);
  if (!(len > 0.0)) return false;
  const double endX = tx + travel * ex / len, endY = ty + travel * ey / len;
  return segmentDistSq(tx, ty, endX, endY, x, y) < CONTACT_DIST_SQ;
}

}  // namespace varrowmere::guardgen
