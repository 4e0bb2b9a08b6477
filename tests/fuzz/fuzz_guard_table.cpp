// Fuzzes the guard-table loader with arbitrary file contents, then looks cells up in what it
// loaded. Checked on every input: the dimensions are the start ones or a sound header's, the
// cells fill exactly distCount x sideCount x valuesPerCell, and every lookup hands back
// valuesPerCell values per spin.
//
// Input: the `_angle0` file, then the line SEPARATOR, then the `_angle1` file. Without the
// separator the `_angle1` file is missing. A first byte with bit 0 set loads a FrontGuard family
// (the other side test and distance cell), otherwise a BackBlock one.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "scratch_file.h"
#include "tables/guard_table.h"

using namespace varrowmere;

namespace {

constexpr char SEPARATOR[] = "\n=====\n";

// Second-stone positions around a target on the centre line: in front, behind, beside, on the
// target, far off and not a number.
constexpr float TARGET_X = 2.375f;
constexpr float TARGET_Y = 4.88f;
constexpr float PROBES[][2] = {{2.375f, 5.3f},
                               {2.375f, 4.3f},
                               {2.6f, 4.0f},
                               {2.1f, 6.2f},
                               {2.375f, 4.88f},
                               {2.4f, 3.67f},
                               {4.5f, 11.0f},
                               {-1e30f, 1e30f},
                               {__builtin_nanf(""), 4.0f},
                               {2.2f, __builtin_inff()}};

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "fuzz_guard_table: %s\n", what);
  std::abort();
}

void checkFamily(GuardTable& table) {
  // The first lookup loads the family.
  std::vector<double> out0, out1;
  for (const auto& probe : PROBES) {
    lookupGuardTable(table, out0, out1, TARGET_X, TARGET_Y, probe[0], probe[1]);
    if (out0.size() != std::size_t(table.valuesPerCell) || out1.size() != out0.size())
      fail("lookup size");
    for (std::size_t j = 0; j < out0.size(); ++j) {
      if (out0[j] < INT8_MIN || out0[j] > INT8_MAX || out1[j] < INT8_MIN || out1[j] > INT8_MAX)
        fail("lookup value outside a byte");
    }
  }
  const bool start =
      table.sideCount == table.startSideCount && table.distCount == table.startDistCount;
  const bool sound = table.sideCount >= 1 && table.sideCount <= GUARD_MAX_COUNT &&
                     table.distCount >= 1 && table.distCount <= GUARD_MAX_COUNT;
  if (!start && !sound) fail("dimensions outside the bounds");
  if (table.valuesPerCell != GUARD_VALUES_PER_CELL) fail("valuesPerCell changed");
  const std::size_t size = std::size_t(table.distCount) * std::size_t(table.sideCount) *
                           std::size_t(table.valuesPerCell);
  if (table.cells[0].size() != size || table.cells[1].size() != size) fail("cells not filled");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static fuzz::ScratchFile file0("guard0");
  static fuzz::ScratchFile file1("guard1");

  const char* text = reinterpret_cast<const char*>(data);
  const char* end = text + size;
  const char* split = std::search(text, end, SEPARATOR, SEPARATOR + std::strlen(SEPARATOR));
  file0.write(data, std::size_t(split - text));
  if (split == end) {
    file1.remove();
  } else {
    const std::size_t skip = std::size_t(split - text) + std::strlen(SEPARATOR);
    file1.write(data + skip, size - skip);
  }

  const bool front = size > 0 && (data[0] & 1) != 0;
  // A fresh family per input; the lookups load it through their once-only path.
  GuardTable table(front ? GuardSide::InFront : GuardSide::Behind,
                   front ? FRONT_GUARD_SIDE_COUNT : BACK_BLOCK_SIDE_COUNT,
                   front ? FRONT_GUARD_DIST_COUNT : BACK_BLOCK_DIST_COUNT, GUARD_VALUES_PER_CELL,
                   file0.name(), file1.name());
  checkFamily(table);
  if (table.loadCount != 1 || table.pending) fail("family not loaded exactly once");
  return 0;
}
