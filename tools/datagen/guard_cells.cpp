#include "guard_cells.h"

#include <cmath>

namespace varrowmere::guardgen {

namespace {

// Unit vector from the delivery point towards the target, and the lookup's positive lateral
// direction (the side where it takes sign +1).
void lineFrame(double& ux, double& uy, double& wx, double& wy) {
  const double dx = TARGET_X - DELIVERY_X, dy = TARGET_Y - DELIVERY_Y;
  const double len = std::hypot(dx, dy);
  ux = dx / len;
  uy = dy / len;
  wx = -uy;
  wy = ux;
}

}  // namespace

std::vector<TakeoutPath> buildTakeouts(bool spin) {
  std::vector<TakeoutPath> takeouts;
  for (int j = 0; j < OFFSET_ENTRIES; ++j) {
    takeouts.push_back(buildTakeout(TARGET_X, TARGET_Y, (j - OFFSET_CENTRE) * OFFSET_STEP, spin));
  }
  return takeouts;
}

void cellCentre(const GuardFamily& family, int32_t k, int32_t i, double& x, double& y) {
  const double step = GRID_STEP;
  const int32_t fromCentre = i - (family.sideCount - 1) / 2;
  double lateral = 0.0;
  if (fromCentre > 0) lateral = (fromCentre + 0.5) * step;
  if (fromCentre < 0) lateral = (fromCentre - 0.5) * step;

  // Signed distance along the line: negative in front of the target, positive behind it.
  double along = 0.0;
  if (family.side == GuardSide::InFront) {
    along = -(k + 0.5) * step;
  } else {
    const double reach = BACK_REACH;
    const double nearEnd = std::max(0.0, reach - (k + 1) * step);
    along = 0.5 * (nearEnd + (reach - k * step));
  }

  double ux, uy, wx, wy;
  lineFrame(ux, uy, wx, wy);
  x = TARGET_X + along * ux + lateral * wx;
  y = TARGET_Y + along * uy + lateral * wy;
}

int cellEntry(const GuardFamily& family, const std::vector<TakeoutPath>& takeouts, int32_t k,
              int32_t i, int j) {
  double x, y;
  cellCentre(family, k, i, x, y);
  const TakeoutPath& path = takeouts[std::size_t(j)];
  if (family.side == GuardSide::InFront) return spoilsFromFront(path, x, y) ? 1 : 0;
  return spoilsFromBehind(path, TARGET_X, TARGET_Y, BACK_REACH, x, y) ? 1 : 0;
}

std::string dataLine(const GuardFamily& family, const std::vector<TakeoutPath>& takeouts, int32_t k,
                     int64_t& ones) {
  std::string line;
  line.reserve(std::size_t(family.sideCount) * (2 * OFFSET_ENTRIES + 1));
  for (int32_t i = 0; i < family.sideCount; ++i) {
    for (int j = 0; j < OFFSET_ENTRIES; ++j) {
      const int value = cellEntry(family, takeouts, k, i, j);
      ones += value;
      if (j > 0) line += ' ';
      line += static_cast<char>('0' + value);
    }
    line += ',';
  }
  return line;
}

std::string fileText(const GuardFamily& family, bool spin,
                     const std::vector<TakeoutPath>& takeouts) {
  int64_t ones = 0;
  std::string data;
  for (int32_t k = 0; k < family.distCount; ++k) {
    data += dataLine(family, takeouts, k, ones);
    data += '\n';
  }

  const std::string name = std::string(family.name) + (spin ? "_angle1" : "_angle0");
  const std::string meaning =
      family.side == GuardSide::InFront
          ? "Value 1: the thrown stone's path meets the second stone before it reaches the "
            "target.\n"
          : "Value 1: the target driven along the line of centres meets the second stone within "
            "1.22 m.\n";
  std::string text;
  text += "Varrowmere guard table " + name + ": takeouts thrown with spin " +
          std::string(spin ? "1" : "0") + ".\n";
  text +=
      "Made by varrowmere-guardgen (tools/datagen) from the stone motion model; see "
      "data/README.md.\n";
  text += "Line 15 + k is distance cell k; its comma-terminated cell i is lateral cell i.\n";
  text +=
      "Cells as the lookup counts them along and across the line from the delivery point "
      "through the target.\n";
  text +=
      "Entry j of a cell: a takeout aimed at the target with lateral offset (j - 11) x 0.29 / "
      "11 m from its centre.\n";
  text += "The takeout passes its aim point at 16 m/s (model); the target stands on the tee.\n";
  text += meaning;
  text +=
      "Meeting means centres closer than two stone radii; the second stone stands at the "
      "cell's middle.\n";
  text +=
      "Otherwise the value is 0. Entries equal to 1 in this file: " + std::to_string(ones) + ".\n";
  text += "Regenerate with: varrowmere-guardgen --out data/\n";
  text += "Lines 12 to 14 give sideCount and distCount and valuesPerCell; data from line 15.\n";
  text += "sideCount " + std::to_string(family.sideCount) + ",\n";
  text += "distCount " + std::to_string(family.distCount) + ",\n";
  text += "valuesPerCell " + std::to_string(OFFSET_ENTRIES) + ",\n";
  return text + data;
}

}  // namespace varrowmere::guardgen
