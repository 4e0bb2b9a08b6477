#include "candidates/grid.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/portable_math.h"
#include "platform/shot_maker.h"

namespace varrowmere {

namespace {

// Columns (rows) along one axis: the integer part of |hi - lo| / step + 1, or one for a step
// that is not positive (what the GridSpec calls negative; zero and NaN too, which would divide
// by zero).
int32_t countAlong(double step, double lo, double hi) {
  if (!(step > 0.0)) return 1;
  const double count = std::fabs(hi - lo) / step + 1.0;
  if (!(count >= 1.0)) return 1;
  if (count >= GRID_MAX_COUNT) return GRID_MAX_COUNT;
  return static_cast<int32_t>(count);
}

// Relative slack on the pre-test of a pair's squared distance, far above the rounding of the
// exponentials, so that the pre-test never drops a pair the exact test would keep.
constexpr double NEIGHBOUR_REACH_SLACK = 1.0e-6;

}  // namespace

void gridDimensions(const GridSpec& gridParams, GridTable& table) {
  table.countX = countAlong(gridParams.stepX, gridParams.xMin, gridParams.xMax);
  table.countY = countAlong(gridParams.stepY, gridParams.yMin, gridParams.yMax);
  table.total = table.countX * table.countY;
  table.colLo = 0;
  table.colHi = table.countX - 1;
  table.rowLo = 0;
  table.rowHi = table.countY - 1;
}

void gridTarget(const GridSpec& gridParams, int32_t column, int32_t row, float& x, float& y) {
  x = static_cast<float>(column * gridParams.stepX + gridParams.xMin);
  y = static_cast<float>(row * gridParams.stepY + gridParams.yMin);
}

void fillLoci(const GridSpec& gridParams, bool spin, GridTable& table) {
  table.loci.assign(static_cast<std::size_t>(table.total), GridLocus{});
  const auto power = static_cast<float>(gridParams.hitPower);
  for (int32_t row = 0; row < table.countY; ++row) {
    for (int32_t column = 0; column < table.countX; ++column) {
      ShotTarget target;
      gridTarget(gridParams, column, row, target.x, target.y);
      target.spin = spin;
      // The shot maker's verdict is not used: the locus records whatever the shot does. The
      // shot maker hands back vec_to_locus_deliver of its shot, having delivered it already.
      ShotVector shot;
      StoneLocus& locus = table.loci[table.countX * row + column].locus;
      if (power >= 0.0f) {
        CreateHitShot(target, power, &shot, &locus);
      } else {
        CreateShot(target, &shot, &locus);
      }
    }
  }
}

double neighbourThreshold(double cutoff) {
  return (1.0 / std::sqrt(2.0 * std::numbers::pi)) * portable::exp(-cutoff * cutoff / 2.0);
}

void fillNeighbours(const GridSpec& gridParams, GridTable& table) {
  const double n = 1.0 / std::sqrt(NEIGHBOUR_TWO_PI_VARIANCE);
  const double threshold = neighbourThreshold(gridParams.cutoff);
  // w >= threshold needs dx^2 + dy^2 <= 2 sigma^2 ln(n^2 / threshold); pairs farther apart
  // than that are skipped before the exponentials are computed.
  const double reachSq =
      NEIGHBOUR_TWO_VARIANCE * portable::log(n * n / threshold) * (1.0 + NEIGHBOUR_REACH_SLACK);

  const auto total = static_cast<std::size_t>(table.total);
  std::vector<double> stopXs(total), stopYs(total);
  for (std::size_t i = 0; i < total; ++i) {
    stopXs[i] = table.loci[i].locus.stopX;
    stopYs[i] = table.loci[i].locus.stopY;
  }
  std::vector<NeighbourWeight> list;
  list.reserve(total);
  for (std::size_t i = 0; i < total; ++i) {
    list.clear();
    double sum = 0.0;
    for (std::size_t j = 0; j < total; ++j) {
      const double dx = stopXs[j] - stopXs[i];
      const double dy = stopYs[j] - stopYs[i];
      if (dx * dx + dy * dy > reachSq) continue;
      const double w = n * portable::exp(-dx * dx / NEIGHBOUR_TWO_VARIANCE) * n *
                       portable::exp(-dy * dy / NEIGHBOUR_TWO_VARIANCE);
      if (w >= threshold) {
        list.push_back({static_cast<int32_t>(j), w});
        sum += w;
      }
    }
    for (NeighbourWeight& entry : list) entry.weight /= sum;
    table.loci[i].neighbours.assign(list.begin(), list.end());
  }

  table.neighbourRowFirst.assign(static_cast<std::size_t>(table.countY), table.countY);
  table.neighbourRowLast.assign(static_cast<std::size_t>(table.countY), -1);
  for (std::size_t i = 0; i < total; ++i) {
    const auto row = static_cast<std::size_t>(i / static_cast<std::size_t>(table.countX));
    for (const NeighbourWeight& entry : table.loci[i].neighbours) {
      const int32_t other = entry.index / table.countX;
      table.neighbourRowFirst[row] = std::min(table.neighbourRowFirst[row], other);
      table.neighbourRowLast[row] = std::max(table.neighbourRowLast[row], other);
    }
  }
}

}  // namespace varrowmere
