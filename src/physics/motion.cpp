#include "physics/motion.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <thread>
#include <utility>

#include "physics/path_bound.h"
#include "platform/os.h"
#include "tables/message.h"

namespace varrowmere {

TrajectoryRows<TableRow> stepTable;
TableRow stopRows[TRAJECTORY_COUNT];
int32_t trajectoryRowCount[TRAJECTORY_COUNT];
std::vector<double> stopX, stopY;
TrajectoryRows<int32_t> distStepIndex;
TrajectoryRows<BinRow> distRow;
int32_t binCount[TRAJECTORY_COUNT];
std::vector<double> chordTable;

namespace {
// Tables are large (about 80 MB) and built once: ask for huge pages to make filling cheaper.
constexpr std::size_t HUGE_PAGE_BYTES = std::size_t{2} << 20;

TrajectoryPoint makePoint(double x, double y, double vx, double vy, double speed, double toStopX,
                          double toStopY, int32_t stepsLeft) {
  TrajectoryPoint p;
  p.x = x;
  p.y = y;
  p.vx = vx;
  p.vy = vy;
  p.speed = speed;
  p.invSpeed = speed == 0.0 ? INVERSE_OF_ZERO : 1.0 / speed;
  p.dist = std::sqrt((toStopX - x) * (toStopX - x) + (toStopY - y) * (toStopY - y));
  p.invDist = p.dist == 0.0 ? INVERSE_OF_ZERO : 1.0 / p.dist;
  p.stepsLeft = stepsLeft;
  p.moving = speed != 0.0 ? 1 : 0;
  return p;
}

// Fills trajectory k: a straight delivery of the given speed with curl sign +1, every step
// stored at its stepsLeft, and the distance bins from the farthest to the stop.
void buildTrajectory(int32_t k, double speed) {
  const StopPrediction stop = predictStop(0.0, -speed, 1.0);
  stopX[k] = stop.x;
  stopY[k] = stop.y;
  trajectoryRowCount[k] = std::min(stop.steps + 1, stepTable.stride());

  TableRow* rows = stepTable.row0(k);
  int32_t* binSteps = distStepIndex.row0(k);
  BinRow* binRows = distRow.row0(k);
  const int32_t binCapacity = distRow.stride();

  double x = DELIVERY_X, y = DELIVERY_Y, vx = 0.0, vy = -speed, v = speed;
  int32_t stepsLeft = trajectoryRowCount[k] - 1;
  int64_t previousBin = -1;
  for (;;) {
    const TrajectoryPoint point = makePoint(x, y, vx, vy, v, stop.x, stop.y, stepsLeft);
    rows[stepsLeft] = TableRow{point.x,     point.y,        point.vx,   point.vy,
                               point.speed, point.invSpeed, point.dist, point.invDist};
    const int64_t bin = std::min<int64_t>(
        static_cast<int64_t>(std::floor(point.dist * STEPS_PER_SPEED)), binCapacity - 1);
    // What a bin this row is the nearest of names: the row, and the trajectory of its speed.
    const BinRow binRow{static_cast<int16_t>(stepsLeft),
                        static_cast<int16_t>(trajectoryForSpeed(point.speed))};
    if (previousBin < 0) {
      // The farthest bin keeps stepsLeft 0 unless a second point falls into it.
      binCount[k] = static_cast<int32_t>(bin) + 1;
      binSteps[bin] = 0;
      binRows[bin] = binRow;
    } else {
      // Bins that no point fell into repeat their farther neighbour.
      for (int64_t skipped = previousBin - 1; skipped > bin; --skipped) {
        binSteps[skipped] = stepsLeft + 1;
        binRows[skipped] = binRows[skipped + 1];
      }
      binSteps[bin] = stepsLeft;
      binRows[bin] = binRow;
    }
    previousBin = bin;
    if (v == 0.0 || stepsLeft == 0) break;
    x += vx * STEP_DT;
    y += vy * STEP_DT;
    v = frictionStep(vx, vy, 1.0);
    --stepsLeft;
  }
  stopRows[k] = rows[0];
}

}  // namespace

template <typename Element>
void TrajectoryRows<Element>::reset(int32_t stride) {
  freeTableMemory(data_m);
  stride_m = stride;
  const std::size_t bytes = sizeof(Element) * std::size_t(stride) * TRAJECTORY_COUNT;
  bytes_m = (bytes + HUGE_PAGE_BYTES - 1) / HUGE_PAGE_BYTES * HUGE_PAGE_BYTES;
  data_m = static_cast<Element*>(allocateTableMemory(bytes_m, HUGE_PAGE_BYTES));
  if (data_m == nullptr) std::abort();
}

template <typename Element>
TrajectoryRows<Element>::TrajectoryRows(TrajectoryRows&& other) noexcept
    : data_m(std::exchange(other.data_m, nullptr)),
      bytes_m(std::exchange(other.bytes_m, 0)),
      stride_m(std::exchange(other.stride_m, 0)) {}

template <typename Element>
TrajectoryRows<Element>& TrajectoryRows<Element>::operator=(TrajectoryRows&& other) noexcept {
  if (this != &other) {
    freeTableMemory(data_m);
    data_m = std::exchange(other.data_m, nullptr);
    bytes_m = std::exchange(other.bytes_m, 0);
    stride_m = std::exchange(other.stride_m, 0);
  }
  return *this;
}

template <typename Element>
TrajectoryRows<Element>::~TrajectoryRows() {
  freeTableMemory(data_m);
}

template class TrajectoryRows<TableRow>;
template class TrajectoryRows<int32_t>;
template class TrajectoryRows<BinRow>;

TrajectoryPoint tablePoint(int32_t k, int32_t row) {
  const TableRow& r = stepTable[k][row];
  TrajectoryPoint p;
  p.x = r.x;
  p.y = r.y;
  p.vx = r.vx;
  p.vy = r.vy;
  p.speed = r.speed;
  p.invSpeed = r.invSpeed;
  p.dist = r.dist;
  p.invDist = r.invDist;
  p.stepsLeft = row;
  p.moving = r.speed != 0.0 ? 1 : 0;
  return p;
}

double frictionStep(double& vx, double& vy, double curlSign, double decel, double curl) {
  const double v = std::sqrt(vx * vx + vy * vy);
  const double slower = v - decel;
  // Written as a negated comparison so that a speed that is not a number stops too.
  if (!(slower >= STOP_SPEED)) {
    vx = 0.0;
    vy = 0.0;
    return 0.0;
  }
  const double ux = vx / v, uy = vy / v;
  const double wx = vx - ux * decel - curlSign * uy * curl;
  const double wy = vy - uy * decel + curlSign * ux * curl;
  const double scale = slower / std::sqrt(wx * wx + wy * wy);
  vx = wx * scale;
  vy = wy * scale;
  return slower;
}

StopPrediction predictStop(double vx, double vy, double curlSign) {
  StopPrediction result;
  if (vx == 0.0 && vy == 0.0) return result;
  double x = DELIVERY_X, y = DELIVERY_Y;
  for (;;) {
    ++result.steps;
    x += vx * STEP_DT;
    y += vy * STEP_DT;
    if (frictionStep(vx, vy, curlSign) == 0.0) break;
  }
  result.x = x;
  result.y = y;
  return result;
}

void buildChordTable() {
  chordTable.clear();
  // Repeated addition on purpose: it gives exactly 580 entries.
  for (double d = 0.0; d <= CHORD_LIMIT; d += CHORD_STEP) {
    const double radicand = CONTACT_DIST_SQ - d * d;
    chordTable.push_back(radicand >= 0.0 ? std::sqrt(radicand) : 0.0);
  }
}

void buildTrajectoryTables() {
  stepTable.reset(TRAJECTORY_ROW_CAPACITY);
  distStepIndex.reset(TRAJECTORY_ROW_CAPACITY);
  distRow.reset(TRAJECTORY_ROW_CAPACITY);
  stopX.assign(TRAJECTORY_COUNT, 0.0);
  stopY.assign(TRAJECTORY_COUNT, 0.0);

  // Speeds by repeated addition, as the trajectories are defined; then two threads build
  // disjoint halves (the work is mostly first touches of fresh memory).
  double speeds[TRAJECTORY_COUNT];
  speeds[0] =
      (std::floor(STEPS_PER_SPEED * TABLE_TOP_SPEED_HINT) - TABLE_TOP_STEP_MARGIN) * DECEL_PER_STEP;
  for (int k = 1; k < TRAJECTORY_COUNT; ++k) speeds[k] = speeds[k - 1] + STOP_SPEED_UNIT;

  const auto buildRange = [&speeds](int32_t first, int32_t last) {
    for (int32_t k = first; k < last; ++k) buildTrajectory(k, speeds[k]);
  };
  std::thread helper(buildRange, TRAJECTORY_COUNT / 2, TRAJECTORY_COUNT);
  buildRange(0, TRAJECTORY_COUNT / 2);
  helper.join();
  buildPathMargins();
}

int32_t rowForSpeed(int32_t k, double speed) {
  const double t = speed * STEPS_PER_SPEED;
  if (speed == 0.0 || !(t >= 0.0)) return 0;
  if (!(t < STEP_COUNT_CEILING)) return lastRow(k);
  const auto whole = static_cast<int64_t>(std::floor(t));
  const int64_t row = k != 0 ? whole + 1 : whole;
  return static_cast<int32_t>(std::min<int64_t>(row, lastRow(k)));
}

void readLocus(StoneLocus& locus, int32_t row) { locusPoint(locus, locus.k, row, locus.cur); }

void prefetchAnchorRow(double v) {
  const int32_t k = trajectoryForSpeed(v);
  __builtin_prefetch(&tableRow(k, rowForSpeed(k, v)));
}

void anchorLocus(StoneLocus& locus, double x, double y, double vx, double vy, double v,
                 double invSpeed, double omega) {
  locus.mirror = omega < 0.0 ? -1.0 : 1.0;
  locus.k = trajectoryForSpeed(v);
  const int32_t row = rowForSpeed(locus.k, v);
  const TableRow& r = tableRow(locus.k, row);

  locus.offX = r.x * locus.mirror - x;
  locus.offY = r.y - y;
  locus.anchorX = x;
  locus.anchorY = y;

  // Unit rotation taking the table heading onto the stone's heading; both 0 for a stopped
  // stone, so that every later reading returns the anchoring position.
  const double a = r.vx * locus.mirror, b = r.vy;
  const double inv = std::min(invSpeed, INVERSE_OF_ZERO);
  locus.rotC = (b * vx - a * vy) * inv * r.invSpeed;
  locus.rotS = (b * vy + a * vx) * inv * r.invSpeed;

  const double dx = (stopX[locus.k] - r.x) * locus.mirror;
  const double dy = stopY[locus.k] - r.y;
  locus.stopX = locus.rotC * dy + locus.rotS * dx + x;
  locus.stopY = locus.rotS * dy - locus.rotC * dx + y;

  locus.omega = omega;
  locus.active = 1;
  mapRowToSheet(locus, r, row, locus.cur);
  // The mapping returns (x, y) only up to rounding (it subtracts the offsets it was built
  // from); the anchored stone must sit exactly where it was given.
  locus.cur.x = x;
  locus.cur.y = y;
}

void advanceLoci(StoneLocus* const* loci, int count, int32_t steps) {
  // The rows lie far apart in a large table: ask for all of them before reading any.
  for (int i = 0; i < count; ++i) {
    const StoneLocus& locus = *loci[i];
    const int64_t row = std::max<int64_t>(0, int64_t{locus.cur.stepsLeft} - steps);
    const int32_t k = std::clamp(locus.k, 0, TRAJECTORY_COUNT - 1);
    __builtin_prefetch(&tableRow(k, static_cast<int32_t>(std::min<int64_t>(row, lastRow(k)))));
  }
  for (int i = 0; i < count; ++i) {
    StoneLocus& locus = *loci[i];
    const int64_t row = std::max<int64_t>(0, int64_t{locus.cur.stepsLeft} - steps);
    readLocus(locus, static_cast<int32_t>(row));
  }
}

bool vec_to_locus_deliver(const ShotVector& shot, StoneLocus& out, bool report) {
  const double v = std::sqrt(double{shot.vx} * shot.vx + double{shot.vy} * shot.vy);
  const double s = curlSign(shot.spin);
  double vx = shot.vx, vy = shot.vy;

  // Half a step first: the release sits half a step before the first full step.
  const double vHalf = v - DECEL_PER_STEP * 0.5;
  if (!(vHalf >= STOP_SPEED)) {
    vx = 0.0;
    vy = 0.0;
  } else {
    frictionStep(vx, vy, s, DECEL_PER_STEP * 0.5, CURL_PER_STEP * 0.5);
  }

  double x = DELIVERY_X, y = DELIVERY_Y;
  double speed = 0.0;
  bool delivered = false;
  for (int32_t step = 0; step < MAX_DELIVERY_STEPS; ++step) {
    x += vx * STEP_DT;
    y += vy * STEP_DT;
    speed = frictionStep(vx, vy, s);
    if (!(speed > 0.0)) break;
    if (y < TABLE_MOTION_Y) {
      delivered = true;
      break;
    }
  }

  const double omega = s * DELIVERY_OMEGA;
  if (!delivered) {
    if (report) showMessage(MSG_UNDELIVERABLE, CAPTION_DELIVER);
    if (!(std::isfinite(x) && std::isfinite(y))) {
      x = DELIVERY_X;
      y = DELIVERY_Y;
    }
    anchorLocus(out, x, y, 0.0, 0.0, 0.0, INVERSE_OF_ZERO, omega);
  } else {
    anchorLocus(out, x, y, vx, vy, speed, 1.0 / speed, omega);
    // One step back from the anchoring row.
    readLocus(out, out.cur.stepsLeft + 1);
  }
  out.shot[0] = shot.vx;
  out.shot[1] = shot.vy;
  out.spin = shot.spin ? 1 : 0;
  return delivered;
}

}  // namespace varrowmere
