#pragma once
// The stone motion model: the step rule, the reference trajectory tables built once at
// start-up, and StoneLocus, which ties a stone to one reference trajectory so that any later
// state of it is one table read and a 2x2 rotation.
//
// The tables are filled by buildChordTable and buildTrajectoryTables on the main thread
// before any command is read; afterwards they are only read, by any thread, without locks.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "physics/sheet.h"

namespace varrowmere {

// Reference trajectories, one per thousandth of a step of stopping time.
inline constexpr int TRAJECTORY_COUNT = 1000;
// The fastest reference trajectory starts at (floor(STEPS_PER_SPEED * 23) - 2) decrements.
inline constexpr double TABLE_TOP_SPEED_HINT = 23.0;
inline constexpr int TABLE_TOP_STEP_MARGIN = 2;
// Chord table: one entry per millimetre of lateral offset while the offset is <= 0.58 m.
inline constexpr double CHORD_STEP = 0.001;
inline constexpr double CHORD_LIMIT = 0.58;
// A delivery that has not reached the tables after this many steps is refused; no real shot
// needs more than a few thousand, so only a wild shot vector ever meets it.
inline constexpr int32_t MAX_DELIVERY_STEPS = 100000;

// One state of a stone on a reference trajectory (or, in StoneLocus::cur, on the sheet).
struct TrajectoryPoint {
  double x = 0.0, y = 0.0;
  double vx = 0.0, vy = 0.0;
  double speed = 0.0;
  double invSpeed = INVERSE_OF_ZERO;  // 1/speed, INVERSE_OF_ZERO when stopped
  double dist = 0.0;                  // distance to the trajectory's stopping point
  double invDist = INVERSE_OF_ZERO;   // 1/dist, INVERSE_OF_ZERO at the stop
  int32_t stepsLeft = 0;              // steps until the stone stops; 0 = stopped
  uint8_t moving = 0;                 // 1 while speed != 0
};

// A stone's motion state in the simulation. The table point of row i of trajectory k maps to
// the sheet through (mirror, off, anchor, rot); see locusPoint.
struct StoneLocus {
  TrajectoryPoint cur;                  // present state in sheet coordinates
  int32_t k = 0;                        // which reference trajectory the stone rides
  double offX = 0.0, offY = 0.0;        // table point minus sheet position at anchoring
  double rotC = 0.0, rotS = 0.0;        // rotation from the table frame to the sheet frame
  double anchorX = 0.0, anchorY = 0.0;  // sheet position at anchoring
  double mirror = 0.0;                  // +1 or -1: the table's x is multiplied by it
  double stopX = 0.0, stopY = 0.0;      // predicted stopping point on the sheet
  double omega = 0.0;                   // angular velocity (rad/s); its sign chose mirror
  int32_t stoneIndex = 0;               // slot in the simulation's locus array
  int32_t stateIndex = 0;               // index in GameState::stonePos (delivery order)
  uint8_t active = 0;                   // 1 while the simulation treats it as moving
  float shot[2] = {0.0f, 0.0f};         // vx, vy of the shot that delivered it
  int32_t spin = 0;                     // spin of that shot
};

// Where a straight-line-free, table-free integration of one delivery stops.
struct StopPrediction {
  double x = DELIVERY_X;
  double y = DELIVERY_Y;
  int32_t steps = 0;
};

// Rows a trajectory can have: the fastest point (1148 steps from the stop) down to row 0.
inline constexpr int32_t TRAJECTORY_ROW_CAPACITY = 1149;

// Storage of one family of per-trajectory rows: trajectory k's rows lie contiguously, so
// table[k][row] reads row `row` of trajectory k. One flat block, built once.
template <typename Element>
class TrajectoryRows {
 public:
  TrajectoryRows() = default;
  // Owns its block: moves hand it over, copies would free it twice.
  TrajectoryRows(const TrajectoryRows&) = delete;
  TrajectoryRows& operator=(const TrajectoryRows&) = delete;
  TrajectoryRows(TrajectoryRows&& other) noexcept;
  TrajectoryRows& operator=(TrajectoryRows&& other) noexcept;
  ~TrajectoryRows();

  void reset(int32_t stride);
  const Element* operator[](int32_t k) const { return data_m + std::size_t(k) * stride_m; }
  Element* row0(int32_t k) { return data_m + std::size_t(k) * stride_m; }
  int32_t stride() const { return stride_m; }

 private:
  Element* data_m = nullptr;
  std::size_t bytes_m = 0;
  int32_t stride_m = 0;
};

// One row of a reference trajectory as stored: a TrajectoryPoint without the fields that the
// row itself tells (stepsLeft is the row index, moving is speed != 0). Exactly one cache
// line, so that reading a row costs one memory access.
struct alignas(64) TableRow {
  double x, y;
  double vx, vy;
  double speed, invSpeed;
  double dist, invDist;
};
static_assert(sizeof(TableRow) == 64);

// Reference tables (see the file comment for their lifetime).
// stepTable[k][stepsLeft]: every step of trajectory k, row 0 = the stopped point;
// rows 0..lastRow(k). tablePoint(k, row) reads a row as a whole TrajectoryPoint.
extern TrajectoryRows<TableRow> stepTable;
// Row 0 of every trajectory once more, side by side (64 KB): stones are read at their stop
// more often than at any other row, and so those reads stay on a few pages of memory.
extern TableRow stopRows[];
// Row `row` of trajectory k (not clamped), the stop taken from stopRows.
inline const TableRow& tableRow(int32_t k, int32_t row) {
  return row == 0 ? stopRows[k] : stepTable[k][row];
}
// Number of rows of each trajectory (lastRow + 1).
extern int32_t trajectoryRowCount[];
// Stopping point of trajectory k in the table frame.
extern std::vector<double> stopX, stopY;
// Distance bins b = floor(dist * STEPS_PER_SPEED), 0..lastBin(k): distStepIndex[k][b] is the
// stepsLeft of the last point (nearest the stop) whose distance lies in bin b (a bin no point
// fell into repeats its farther neighbour).
extern TrajectoryRows<int32_t> distStepIndex;
// What distance bin b of trajectory k names: the row it describes, and the trajectory that
// row's speed names (trajectoryForSpeed), on which a contact search goes on from that row.
struct BinRow {
  int16_t row;
  int16_t speedTrajectory;
};
static_assert(TRAJECTORY_ROW_CAPACITY <= INT16_MAX && TRAJECTORY_COUNT <= INT16_MAX);
// distRow[k][b]: bin b of trajectory k, bins 0..lastBin(k).
extern TrajectoryRows<BinRow> distRow;
// Number of distance bins of each trajectory (lastBin + 1).
extern int32_t binCount[];
// The row of trajectory k that distance bin b describes.
inline int32_t distRowIndex(int32_t k, int32_t bin) { return distRow[k][bin].row; }
inline int32_t lastBin(int32_t k) { return binCount[k] - 1; }
// chordTable[i] = sqrt(CONTACT_DIST_SQ - (i * 0.001)^2), or 0 where that is negative.
extern std::vector<double> chordTable;

// One model step on the velocity (vx, vy) with curl sign s (+1 turns counter-clockwise):
// the speed falls by decel, the direction turns by curl, and below STOP_SPEED the stone
// stops. Returns the new speed. Position updates are the caller's (old velocity * STEP_DT).
double frictionStep(double& vx, double& vy, double curlSign, double decel = DECEL_PER_STEP,
                    double curl = CURL_PER_STEP);

// Integrates a stone from the delivery point with velocity (vx, vy) until it stops.
StopPrediction predictStop(double vx, double vy, double curlSign);

void buildChordTable();
void buildTrajectoryTables();

// Speeds (times STEPS_PER_SPEED) at or above this are treated as beyond the tables without
// computing a fraction of them, which would overflow an int.
inline constexpr double STEP_COUNT_CEILING = 1.0e9;

// Trajectory index for a speed: floor(frac(speed * STEPS_PER_SPEED) * 1000), always 0..999.
inline int32_t trajectoryForSpeed(double speed) {
  const double t = speed * STEPS_PER_SPEED;
  if (!(t >= 0.0 && t < STEP_COUNT_CEILING)) return 0;
  const auto k = static_cast<int32_t>(std::floor((t - std::floor(t)) * TRAJECTORY_COUNT));
  return std::clamp(k, 0, TRAJECTORY_COUNT - 1);
}
// The table row a stone of this speed sits on in trajectory k, clamped to the table: a stone
// faster than the tables sits on the fastest row.
int32_t rowForSpeed(int32_t k, double speed);
// Last row of trajectory k (its number of steps from the fastest point to the stop).
inline int32_t lastRow(int32_t k) { return trajectoryRowCount[k] - 1; }
// Row `row` of trajectory k (not clamped) as a TrajectoryPoint in the table frame.
TrajectoryPoint tablePoint(int32_t k, int32_t row);

// Asks the memory for the table row a stone of speed v will be anchored on (anchoring reads
// one row far from any other: two anchorings overlap their waits this way).
void prefetchAnchorRow(double v);

// Anchors locus on the trajectory matching speed v at sheet position (x, y) with velocity
// (vx, vy), inverse speed invSpeed and angular velocity omega; sets active = 1.
void anchorLocus(StoneLocus& locus, double x, double y, double vx, double vy, double v,
                 double invSpeed, double omega);

// Row `row` (stepsLeft) of a table, mapped to the sheet through the locus's transform:
// x and vx mirrored, then rotated about the anchor.
inline void mapRowToSheet(const StoneLocus& locus, const TableRow& r, int32_t row,
                          TrajectoryPoint& out) {
  const double px = r.x * locus.mirror;
  const double pvx = r.vx * locus.mirror;
  out.vx = pvx * locus.rotS + r.vy * locus.rotC;
  out.vy = r.vy * locus.rotS - pvx * locus.rotC;
  const double ex = px - locus.offX - locus.anchorX;
  const double ey = r.y - locus.offY - locus.anchorY;
  out.x = ex * locus.rotS + ey * locus.rotC + locus.anchorX;
  out.y = ey * locus.rotS - ex * locus.rotC + locus.anchorY;
  out.speed = r.speed;
  out.invSpeed = r.invSpeed;
  out.dist = r.dist;
  out.invDist = r.invDist;
  out.stepsLeft = row;
  out.moving = r.speed != 0.0 ? 1 : 0;
}

// A table-frame position (tx, ty) mapped to the sheet (as mapRowToSheet maps a row's).
inline void mapTablePosition(const StoneLocus& locus, double tx, double ty, double& x, double& y) {
  const double px = tx * locus.mirror;
  const double ex = px - locus.offX - locus.anchorX;
  const double ey = ty - locus.offY - locus.anchorY;
  x = ex * locus.rotS + ey * locus.rotC + locus.anchorX;
  y = ey * locus.rotS - ex * locus.rotC + locus.anchorY;
}

// The position alone of a table row mapped to the sheet.
inline void mapRowPosition(const StoneLocus& locus, const TableRow& r, double& x, double& y) {
  mapTablePosition(locus, r.x, r.y, x, y);
}

// Row `row` (clamped to the table) of trajectory k, read through the locus's transform.
inline void locusPoint(const StoneLocus& locus, int32_t k, int32_t row, TrajectoryPoint& out) {
  k = k < 0 ? 0 : (k >= TRAJECTORY_COUNT ? TRAJECTORY_COUNT - 1 : k);
  const int32_t last = lastRow(k);
  row = row < 0 ? 0 : (row > last ? last : row);
  mapRowToSheet(locus, tableRow(k, row), row, out);
}
// Sets locus.cur to the locus's own trajectory read at row (clamped to the table).
void readLocus(StoneLocus& locus, int32_t row);

// Moves every listed locus n steps on (n = STEPS_NEVER: to its stopping point).
void advanceLoci(StoneLocus* const* loci, int count, int32_t steps);

// Delivers a shot: integrates it from the delivery point until it enters the table region
// and anchors it there. A shot that stops before (or runs away, see MAX_DELIVERY_STEPS) is
// reported through showMessage (unless report is false: a caller that tries delivery errors
// expects some); it is then handed back stopped where it ended (or at the delivery point when
// that is not a finite position), so the simulation removes it from play. Returns false for
// such a shot.
bool vec_to_locus_deliver(const ShotVector& shot, StoneLocus& out, bool report = true);

}  // namespace varrowmere
