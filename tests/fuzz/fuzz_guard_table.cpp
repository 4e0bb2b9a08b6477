// Fuzzes the guard-table loader and looks cells up in what it loaded. Input: the `_angle0` file,
// the line "=====", the `_angle1` file (missing without that line); a first byte with bit 0 set
// loads a FrontGuard family, else a BackBlock one. Checked: the family loads once, with the start
// dimensions or a sound header's, cells for all of them, and lookups of valuesPerCell values.

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "scratch_file.h"
#include "tables/guard_table.h"

using namespace varrowmere;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static const fuzz::ScratchFile file0("guard0"), file1("guard1");
  static const char separator[] = "\n=====\n";
  const uint8_t* split = std::search(data, data + size, separator, separator + 7);
  file0.write(data, static_cast<std::size_t>(split - data));
  split == data + size ? file1.remove() : file1.write(split + 7, size - (split + 7 - data));

  const bool front = size > 0 && (data[0] & 1) != 0;
  GuardTable table(front ? GuardSide::InFront : GuardSide::Behind,
                   front ? FRONT_GUARD_SIDE_COUNT : BACK_BLOCK_SIDE_COUNT,
                   front ? FRONT_GUARD_DIST_COUNT : BACK_BLOCK_DIST_COUNT, GUARD_VALUES_PER_CELL,
                   file0.name(), file1.name());
  // Second stones around a target on the tee, the first lookup loading the family.
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float probes[][2] = {{2.375f, 5.3f},  {2.375f, 4.3f}, {2.6f, 4.0f},    {2.1f, 6.2f},
                             {2.375f, 4.88f}, {4.5f, 11.0f},  {-1e30f, 1e30f}, {nan, 4.0f}};
  std::vector<double> out0, out1;
  for (const auto& [x, y] : probes) {
    lookupGuardTable(table, out0, out1, 2.375f, 4.88f, x, y);
    if (out0.size() != GUARD_VALUES_PER_CELL || out1.size() != out0.size()) std::abort();
  }
  const bool start =
      table.sideCount == table.startSideCount && table.distCount == table.startDistCount;
  const bool sound = std::min(table.sideCount, table.distCount) >= 1 &&
                     std::max(table.sideCount, table.distCount) <= GUARD_MAX_COUNT;
  const auto cells = std::size_t(table.distCount) * std::size_t(table.sideCount) * 23u;
  if (table.loadCount != 1 || table.pending || !(start || sound) ||
      table.cells[0].size() != cells || table.cells[1].size() != cells)
    std::abort();
  return 0;
}
