#include "physics/path_bound.h"

#include <iterator>
#include <thread>

namespace varrowmere {

namespace {

// Trajectories other than its own that one trajectory's rows may name; more than this and the
// trajectory gets no margin.
constexpr int MAX_NAMED_TRAJECTORIES = 4;

// Turns whose sines sum to less than this turn by less than a right angle (pi/2 * 0.9 < pi/2).
constexpr double MAX_CHAIN_SINE_SUM = 0.9;
// Path (m) before the stop that the chain may leave to the margin.
constexpr double PATH_TAIL_LENGTH = 0.001;

double norm(double x, double y) { return std::sqrt(x * x + y * y); }

// The margin of trajectory k and the lowest row of its turning chain (see the file comment);
// an infinite margin when its rows break the assumptions.
struct TrajectoryBound {
  double margin = INFINITY;
  int32_t chainEnd = 0;
  // Row chainEnd's position and the direction into it (row chainEnd + 1's velocity), kept
  // here so that a whole path's bound reads no row far from the stone's own.
  double endX = 0.0, endY = 0.0, endVx = 0.0, endVy = 0.0;
};

TrajectoryBound boundOf(int32_t k) {
  TrajectoryBound none;
  const TableRow* rows = stepTable[k];
  const int32_t last = lastRow(k);
  if (last < 2) return none;

  // The length of the step from row r down to row r - 1.
  const auto stepLength = [rows](int32_t r) {
    return norm(rows[r].x - rows[r - 1].x, rows[r].y - rows[r - 1].y);
  };
  double backReach = 0.0;  // path length per unit of distance to the stop, at most
  for (int32_t r = 1; r <= last; ++r) {
    const double grow = rows[r].dist - rows[r - 1].dist;
    if (!(grow > 0.0)) return none;
    backReach = std::max(backReach, stepLength(r) / grow);
  }

  // Row r - 1 lies at row r plus row r's velocity times a step, so the velocities of rows
  // last..chainEnd + 1 are the chain's directions: they turn one way, by less than a right
  // angle in all (an angle below a right angle is at most pi/2 times its sine). The last rows
  // before the stop, where the curl turns a nearly stopped stone sharply, are left out of the
  // chain: they are its tail, whose length is added to the margin.
  double turnSign = 0.0, sineSum = 0.0;
  int32_t chainEnd = last - 1;
  for (int32_t r = last; r >= 2; --r) {
    const TableRow &a = rows[r], &b = rows[r - 1];
    const double cross = a.vx * b.vy - a.vy * b.vx;
    const double dot = a.vx * b.vx + a.vy * b.vy;
    if (!(dot > 0.0)) break;
    const double sign = cross > 0.0 ? 1.0 : (cross < 0.0 ? -1.0 : 0.0);
    if (sign != 0.0 && turnSign != 0.0 && sign != turnSign) break;
    const double sine = std::fabs(cross) / (norm(a.vx, a.vy) * norm(b.vx, b.vy));
    if (!(sineSum + sine < MAX_CHAIN_SINE_SUM)) break;
    if (sign != 0.0) turnSign = sign;
    sineSum += sine;
    chainEnd = r - 2;
  }
  // The chain ends no lower than the row PATH_TAIL_LENGTH of path before the stop: below it
  // the stone turns most of its turn in millimetres, which widens a triangle far more than
  // the tail itself widens the margin.
  double below = 0.0;
  int32_t tailTop = 0;
  while (tailTop < last - 1 && below + stepLength(tailTop + 1) <= PATH_TAIL_LENGTH)
    below += stepLength(++tailTop);
  chainEnd = std::max(chainEnd, tailTop);
  double tail = 0.0;
  for (int32_t r = 1; r <= chainEnd; ++r) tail += stepLength(r);

  // The trajectories the rows' speeds name, compared row by row; a stopped row 0 names
  // trajectory 0 at its stop, which the bound's disc covers.
  int32_t named[MAX_NAMED_TRAJECTORIES];
  int namedCount = 0;
  double apart = 0.0, distApart = 0.0;
  for (int32_t r = 0; r <= last; ++r) {
    if (rows[r].speed == 0.0) {
      if (r != 0) return none;
      continue;
    }
    const int32_t kq = trajectoryForSpeed(rows[r].speed);
    if (kq == k || std::find(named, named + namedCount, kq) != named + namedCount) continue;
    if (namedCount == MAX_NAMED_TRAJECTORIES) return none;
    named[namedCount++] = kq;
    const TableRow* other = stepTable[kq];
    for (int32_t q = 0; q <= lastRow(kq); ++q) {
      const TableRow& own = rows[std::min(q, last)];
      apart = std::max(apart, norm(other[q].x - own.x, other[q].y - own.y));
      distApart = std::max(distApart, std::fabs(other[q].dist - own.dist));
    }
  }
  return TrajectoryBound{apart + backReach * distApart + tail, chainEnd, rows[chainEnd].x,
                         rows[chainEnd].y, rows[chainEnd + 1].vx, rows[chainEnd + 1].vy};
}

TrajectoryBound bounds[TRAJECTORY_COUNT];

}  // namespace

void buildPathMargins() {
  const auto buildRange = [](int32_t first, int32_t last) {
    for (int32_t k = first; k < last; ++k) bounds[k] = boundOf(k);
  };
  std::thread helper(buildRange, TRAJECTORY_COUNT / 2, TRAJECTORY_COUNT);
  buildRange(0, TRAJECTORY_COUNT / 2);
  helper.join();
}

double pathMargin(int32_t k) {
  return k >= 0 && k < TRAJECTORY_COUNT ? bounds[k].margin : INFINITY;
}

PathBound PathBound::wholePath(const StoneLocus& m) { return between(m, 0); }

PathBound PathBound::window(const StoneLocus& m, int32_t steps) {
  const int64_t lastRowOfWindow = int64_t{m.cur.stepsLeft} - steps;
  return between(m, static_cast<int32_t>(std::max<int64_t>(lastRowOfWindow, 0)));
}

PathBound PathBound::between(const StoneLocus& m, int32_t lo) {
  PathBound bound;
  const int32_t k = m.k, s = m.cur.stepsLeft;
  const double margin = pathMargin(k);
  if (!std::isfinite(margin) || s < 1 || s > lastRow(k)) return bound;
  // The chain's part of the window; the tail below it is in the margin.
  const TrajectoryBound& trajectory = bounds[k];
  const bool toChainEnd = lo <= trajectory.chainEnd && trajectory.chainEnd < s;
  lo = std::clamp(std::max(lo, trajectory.chainEnd), 0, s);
  const TableRow* rows = stepTable[k];
  double endX = trajectory.endX, endY = trajectory.endY;
  double endVx = trajectory.endVx, endVy = trajectory.endVy;
  if (!toChainEnd) {
    endX = rows[lo].x;
    endY = rows[lo].y;
    endVx = rows[std::min(lo + 1, s)].vx;
    endVy = rows[std::min(lo + 1, s)].vy;
  }

  // The turn from the present heading to the last segment's; the chain lies within the
  // chord's triangle, of height at most half the chord times the tangent of half the turn.
  // The last segment's direction is mapped to the sheet as mapRowToSheet maps a velocity.
  double tanHalfTurn = 0.0;
  if (lo < s) {
    const double pvx = endVx * m.mirror;
    const double sheetVx = pvx * m.rotS + endVy * m.rotC;
    const double sheetVy = endVy * m.rotS - pvx * m.rotC;
    const double cross = std::fabs(m.cur.vx * sheetVy - m.cur.vy * sheetVx);
    const double dot = m.cur.vx * sheetVx + m.cur.vy * sheetVy;
    if (!(dot > 0.0)) return bound;
    tanHalfTurn = cross / (norm(m.cur.vx, m.cur.vy) * norm(sheetVx, sheetVy) + dot);
  }

  double bx, by;
  mapTablePosition(m, endX, endY, bx, by);
  bound.ax_m = m.cur.x;
  bound.ay_m = m.cur.y;
  bound.dx_m = bx - m.cur.x;
  bound.dy_m = by - m.cur.y;
  const double chordSq = bound.dx_m * bound.dx_m + bound.dy_m * bound.dy_m;
  bound.invLengthSq_m = chordSq > 0.0 ? 1.0 / chordSq : 0.0;
  // The map scales table lengths by the length of its rotation.
  const double scale = norm(m.rotC, m.rotS);
  const double radius = TWO_RADII + margin * scale + 0.5 * std::sqrt(chordSq) * tanHalfTurn +
                        PATH_BOUND_SLACK;
  bound.radiusSq_m = radius * radius;

  mapRowPosition(m, stepTable[0][0], bound.stopX_m, bound.stopY_m);
  const double stopRadius = TWO_RADII + PATH_BOUND_SLACK;
  bound.stopRadiusSq_m = stopRadius * stopRadius;
  return bound;
}

void PathBound::extendBox(double& minX, double& minY, double& maxX, double& maxY) const {
  const double ends[] = {ax_m, ay_m, ax_m + dx_m, ay_m + dy_m, stopX_m, stopY_m,
                         radiusSq_m, stopRadiusSq_m};
  if (!std::all_of(std::begin(ends), std::end(ends), [](double v) { return std::isfinite(v); })) {
    minX = minY = -INFINITY;
    maxX = maxY = INFINITY;
    return;
  }
  // Outward by the slack, so that the box's own rounding cannot cut into the bound.
  const double radius = std::sqrt(radiusSq_m) + PATH_BOUND_SLACK;
  const double stopRadius = std::sqrt(stopRadiusSq_m) + PATH_BOUND_SLACK;
  minX = std::min({minX, ax_m - radius, ax_m + dx_m - radius, stopX_m - stopRadius});
  minY = std::min({minY, ay_m - radius, ay_m + dy_m - radius, stopY_m - stopRadius});
  maxX = std::max({maxX, ax_m + radius, ax_m + dx_m + radius, stopX_m + stopRadius});
  maxY = std::max({maxY, ay_m + radius, ay_m + dy_m + radius, stopY_m + stopRadius});
}

}  // namespace varrowmere
