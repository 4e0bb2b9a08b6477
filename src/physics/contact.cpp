#include "physics/contact.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "physics/path_bound.h"

namespace varrowmere {

namespace {

struct Direction {
  double x, y;
};

// Rows above the even-deceleration guess that a distance bin's row may lie (see
// prefetchRowsOfBin).
constexpr int32_t BIN_ROW_SPREAD = 2;

double distSq(const TrajectoryPoint& p, double x, double y) {
  const double dx = p.x - x, dy = p.y - y;
  return dx * dx + dy * dy;
}

int32_t clampTrajectory(int32_t k) { return std::clamp(k, 0, TRAJECTORY_COUNT - 1); }

// Distance bin of trajectory k for a distance d >= 0 to the stop, clamped to the table.
int32_t binFor(int32_t k, double d) {
  const double bin = d * STEPS_PER_SPEED;
  const int32_t last = lastBin(k);
  if (!(bin < last)) return last;
  return bin > 0.0 ? static_cast<int32_t>(bin) : 0;
}

// Unit vector from the stone towards its stopping point.
Direction towardsStop(const StoneLocus& m) {
  return {(m.stopX - m.cur.x) * m.cur.invDist, (m.stopY - m.cur.y) * m.cur.invDist};
}

// Unit vector along the stone's present heading.
Direction heading(const StoneLocus& m) {
  return {m.cur.vx * m.cur.invSpeed, m.cur.vy * m.cur.invSpeed};
}

// A step count from 64-bit arithmetic: never negative, and never taken for STEPS_NEVER.
int32_t toSteps(int64_t steps) {
  return static_cast<int32_t>(std::clamp<int64_t>(steps, 0, STEPS_NEVER - 1));
}

void store(ContactMatrix matrix, const StoneLocus& a, const StoneLocus& b, int32_t steps) {
  const int32_t i = a.stoneIndex, j = b.stoneIndex;
  if (i < 0 || i >= STONE_COUNT || j < 0 || j >= STONE_COUNT) return;
  matrix[i][j] = steps;
  matrix[j][i] = steps;
}

// Asks for the rows that distance bin `bin` of trajectory k names, before the distance table
// says which it is, so that the two reads overlap. A stone decelerating evenly from the stop's
// row on has covered bin * DECEL_PER_STEP metres after sqrt(2 bin / STEP_DT) steps; the row
// the table names lies from there to two rows above on every trajectory. The row search after
// the second estimate mostly runs on trajectory k - 1 (the speeds of k's rows fall just below
// k's share of a step), within two rows of that guess: those rows are asked for too.
void prefetchRowsOfBin(int32_t k, int32_t bin) {
  const auto guess = static_cast<int32_t>(std::sqrt(2.0 * bin / STEP_DT));
  const TableRow* rows = stepTable[k];
  const int32_t last = lastRow(k);
  for (int32_t r = guess; r <= guess + BIN_ROW_SPREAD; ++r)
    __builtin_prefetch(&rows[std::min(r, last)]);
  const int32_t below = k == 0 ? TRAJECTORY_COUNT - 1 : k - 1;
  const TableRow* belowRows = stepTable[below];
  const int32_t belowLast = lastRow(below);
  for (int32_t r = guess - BIN_ROW_SPREAD; r <= guess + BIN_ROW_SPREAD; ++r)
    __builtin_prefetch(&belowRows[std::clamp(r, 0, belowLast)]);
}

// One straight-line estimate for hitSteps from (px, py), dist from the stop, along d: the
// distance bin of trajectory k where the centre is 2R from (x, y), or -1 when the estimate
// rules a contact out.
int32_t estimateBin(int32_t k, double px, double py, double dist, double x, double y,
                    const Direction& d) {
  const double rx = x - px, ry = y - py;
  // Past the test the lateral offset is a number of at most two radii: the chord index is at
  // most 290.
  if (lateralTooFar(rx, ry, d.x, d.y)) return -1;
  const double lateral = std::fabs(ry * d.x - rx * d.y);
  const double along = rx * d.x + ry * d.y;
  dist -= along - chordTable[static_cast<std::size_t>(lateral * CHORD_INDEX_PER_METRE)];
  if (!(dist >= 0.0)) return -1;
  return binFor(k, dist);
}

}  // namespace

ContactProbe::ContactProbe(const StoneLocus& m) : x(m.cur.x), y(m.cur.y) {
  const Direction stop = towardsStop(m), ahead = heading(m);
  stopDirX = stop.x;
  stopDirY = stop.y;
  headingX = ahead.x;
  headingY = ahead.y;
}

int32_t hitSteps(const StoneLocus& m, double x, double y) {
  const TrajectoryPoint& now = m.cur;
  const int32_t k = clampTrajectory(m.k);

  const double cross = (y - now.y) * now.vx - (x - now.x) * now.vy;
  const Direction d = -cross * m.mirror <= 0.0 ? towardsStop(m) : heading(m);

  // Two straight-line estimates of the point where the centre is 2R from the target, each as
  // a distance bin. The first bin's row starts the second estimate; of the second bin only its
  // row and the trajectory that row's speed names are needed, and the bin holds both.
  const int32_t firstBin = estimateBin(k, now.x, now.y, now.dist, x, y, d);
  if (firstBin < 0) return STEPS_NEVER;
  prefetchRowsOfBin(k, firstBin);
  TrajectoryPoint p;
  locusPoint(m, k, distRowIndex(k, firstBin), p);
  const int32_t secondBin = estimateBin(k, p.x, p.y, p.dist, x, y, d);
  if (secondBin < 0) return STEPS_NEVER;
  const BinRow second = distRow[k][secondBin];

  // Row search on the trajectory that the second row's speed names, in the locus's transform.
  // Only positions are compared on the way, so rows are mapped for their position alone.
  const int32_t kq = second.speedTrajectory;
  const int32_t last = lastRow(kq);
  const TableRow* rows = stepTable[kq];
  const auto s2At = [&](int32_t row) {
    double px, py;
    mapRowPosition(m, rows[row], px, py);
    return (px - x) * (px - x) + (py - y) * (py - y);
  };
  int32_t q = std::clamp<int32_t>(second.row, 0, last);
  // The search usually ends a row nearer the stop than here, or up to two rows farther: those
  // rows are asked for while this one is read.
  __builtin_prefetch(&rows[std::max(q - 1, 0)]);
  __builtin_prefetch(&rows[std::min(q + 1, last)]);
  __builtin_prefetch(&rows[std::min(q + 2, last)]);
  double s2 = s2At(q);
  // Already touching: go back in time to the last row without contact.
  while (s2 <= CONTACT_DIST_SQ && q < last) s2 = s2At(++q);
  // Then forward to the first row with contact, giving up at the stop or when moving away.
  double previous = std::numeric_limits<double>::infinity();
  while (s2 >= CONTACT_DIST_SQ) {
    if (q == 0 || s2 > previous) return STEPS_NEVER;
    previous = s2;
    s2 = s2At(--q);
  }
  if (std::isnan(s2)) return STEPS_NEVER;
  // A contact behind the stone's present point is no contact.
  if (rows[q].dist > now.dist) return STEPS_NEVER;
  return toSteps(int64_t{now.stepsLeft} - q);
}

int32_t pairSteps(const StoneLocus& a, const StoneLocus& b) {
  const TrajectoryPoint& pa = a.cur;
  const TrajectoryPoint& pb = b.cur;

  // Each stone's line, chosen with the opposite sign test of hitSteps.
  const double crossA = (pb.y - pa.y) * pa.vx - (pb.x - pa.x) * pa.vy;
  const Direction dA = crossA * a.mirror <= 0.0 ? towardsStop(a) : heading(a);
  const double crossB = (pa.y - pb.y) * pb.vx - (pa.x - pb.x) * pb.vy;
  const Direction dB = crossB * b.mirror <= 0.0 ? towardsStop(b) : heading(b);

  // Lines that do not meet ahead of both stones never bring them together.
  const double dx = pb.x - pa.x, dy = pb.y - pa.y;
  const double num = dx * dB.y - dy * dB.x;
  const double den = dB.y * dA.x - dB.x * dA.y;
  if (den * num < 0.0) return STEPS_NEVER;
  if (((pa.x - pb.x) * dA.y - (pa.y - pb.y) * dA.x) * (-den) < 0.0) return STEPS_NEVER;

  // Distances along both lines to where the lines, shifted sideways by 2R, cross.
  const double sigma = num >= 0.0 ? -1.0 : 1.0;
  const double tA =
      ((dx + sigma * dB.y * TWO_RADII) * dB.y - (dy - sigma * dB.x * TWO_RADII) * dB.x) / den;
  const double tB =
      ((-dx - sigma * dA.y * TWO_RADII) * dA.y - (-dy + sigma * dA.x * TWO_RADII) * dA.x) / (-den);

  // Jump both stones by the steps the earlier of them needs to get there.
  int64_t jump = 0;
  TrajectoryPoint ra = pa, rb = pb;
  if (tA > 0.0 && tB > 0.0) {
    const double distA = pa.dist - tA * std::sqrt(dA.x * dA.x + dA.y * dA.y);
    const double distB = pb.dist - tB * std::sqrt(dB.x * dB.x + dB.y * dB.y);
    if (!(distA >= 0.0 && distB >= 0.0)) return STEPS_NEVER;
    const int32_t kA = clampTrajectory(a.k), kB = clampTrajectory(b.k);
    const int64_t jumpA = int64_t{pa.stepsLeft} - distStepIndex[kA][binFor(kA, distA)];
    const int64_t jumpB = int64_t{pb.stepsLeft} - distStepIndex[kB][binFor(kB, distB)];
    jump = std::clamp<int64_t>(std::min(jumpA, jumpB), 0, TRAJECTORY_ROW_CAPACITY);
    locusPoint(a, kA, static_cast<int32_t>(std::max<int64_t>(0, pa.stepsLeft - jump)), ra);
    locusPoint(b, kB, static_cast<int32_t>(std::max<int64_t>(0, pb.stepsLeft - jump)), rb);
  }
  double d2 = distSq(ra, rb.x, rb.y);
  if (d2 < CONTACT_DIST_SQ) return toSteps(jump);

  // Walk both stones row by row until they touch, move apart, or one of them stops.
  const int32_t kA = trajectoryForSpeed(ra.speed), kB = trajectoryForSpeed(rb.speed);
  int32_t rowA = std::clamp(ra.stepsLeft, 0, lastRow(kA));
  int32_t rowB = std::clamp(rb.stepsLeft, 0, lastRow(kB));
  int64_t walked = 0;
  for (;;) {
    if (ra.stepsLeft == 0 || rowA == 0 || rb.stepsLeft == 0 || rowB == 0) break;
    locusPoint(a, kA, --rowA, ra);
    locusPoint(b, kB, --rowB, rb);
    ++walked;
    const double next = distSq(ra, rb.x, rb.y);
    if (next > d2) return STEPS_NEVER;
    if (next < CONTACT_DIST_SQ) return toSteps(jump + walked);
    d2 = next;
  }

  // One has stopped: the other, from where it is now, against the stopped one.
  const bool aStopped = ra.stepsLeft == 0 || rowA == 0;
  const bool bStopped = rb.stepsLeft == 0 || rowB == 0;
  if (aStopped && bStopped) return STEPS_NEVER;
  StoneLocus mover = aStopped ? b : a;
  mover.cur = aStopped ? rb : ra;
  const TrajectoryPoint& still = aStopped ? ra : rb;
  const int32_t hit = hitSteps(mover, still.x, still.y);
  if (hit == STEPS_NEVER) return STEPS_NEVER;
  return toSteps(jump + walked + hit);
}

namespace {

// hitSteps of a moving stone against every listed stone at rest; the clear misses are
// answered by the probe, then by the bound of the stone's path (made when first needed),
// without the full estimate. With known, a stone whose known[j] is not negative takes it.
void predictAgainstResting(const StoneLocus& m, StoneLocus* const* resting, int restingCount,
                           ContactMatrix matrix, const int32_t* known = nullptr) {
  const ContactProbe probe(m);
  PathBound path;
  // Against a single stone the bound costs about what it saves.
  bool pathMade = restingCount < 2;
  for (int j = 0; j < restingCount; ++j) {
    const double x = resting[j]->cur.x, y = resting[j]->cur.y;
    int32_t steps = STEPS_NEVER;
    if (known != nullptr && known[j] >= 0) {
      steps = known[j];
    } else if (!probe.misses(x, y)) {
      if (!pathMade) {
        path = PathBound::wholePath(m);
        pathMade = true;
      }
      if (!path.clear(x, y)) steps = hitSteps(m, x, y);
    }
    store(matrix, m, *resting[j], steps);
  }
}

}  // namespace

void predictShotContacts(const StoneLocus& shot, StoneLocus* const* resting, int restingCount,
                         ContactMatrix matrix, const int32_t* known) {
  predictAgainstResting(shot, resting, restingCount, matrix, known);
}

void predictMovingVsResting(StoneLocus* const* moving, int movingCount, StoneLocus* const* resting,
                            int restingCount, ContactMatrix matrix) {
  for (int i = 0; i < movingCount; ++i) {
    if (moving[i]->active == 1) predictAgainstResting(*moving[i], resting, restingCount, matrix);
  }
}

void predictMovingPairs(StoneLocus* const* moving, int movingCount, ContactMatrix matrix) {
  for (int i = 0; i < movingCount; ++i) {
    for (int j = i + 1; j < movingCount; ++j) {
      if (moving[i]->active != 1 && moving[j]->active != 1) continue;
      store(matrix, *moving[i], *moving[j], pairSteps(*moving[i], *moving[j]));
    }
  }
}

}  // namespace varrowmere
