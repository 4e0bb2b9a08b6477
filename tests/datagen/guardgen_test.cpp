#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "evaluation/guard_fixture.h"
#include "guard_cells.h"
#include "support/start_up_tables.h"
#include "tables/text_input.h"

namespace varrowmere::guardgen {
namespace {

using varrowmere::testing::guardFileText;
using varrowmere::testing::GuardFixtureDir;

class GuardGenerator : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    testing_support::ensureMotionTables();
    takeouts[0] = buildTakeouts(false);
    takeouts[1] = buildTakeouts(true);
  }
  static std::vector<TakeoutPath> takeouts[2];
};
std::vector<TakeoutPath> GuardGenerator::takeouts[2];

// Regenerates some data lines of each committed file (both edges, and lines with entries
// of both values) and compares them byte for byte.
TEST_F(GuardGenerator, RegeneratedSlicesMatchTheCommittedFiles) {
  struct Slice {
    const GuardFamily* family;
    std::vector<int32_t> rows;
  };
  const Slice slices[] = {{&BACK_BLOCK_FAMILY, {0, 20, 38, 39, 45, 50}},
                          {&FRONT_GUARD_FAMILY, {0, 1, 12, 150, 327, 328}}};
  for (const Slice& slice : slices) {
    for (const int spin : {0, 1}) {
      SCOPED_TRACE(slice.family->files[spin]);
      std::vector<std::string> lines;
      ASSERT_TRUE(InputFile_Lines(slice.family->files[spin], lines));
      ASSERT_EQ(lines.size(), std::size_t(GUARD_FIRST_DATA_ROW + slice.family->distCount));
      EXPECT_EQ(lines[GUARD_SIDE_COUNT_ROW],
                "sideCount " + std::to_string(slice.family->sideCount) + ",");
      EXPECT_EQ(lines[GUARD_DIST_COUNT_ROW],
                "distCount " + std::to_string(slice.family->distCount) + ",");
      EXPECT_EQ(lines[GUARD_VALUES_ROW], "valuesPerCell 23,");
      int64_t ones = 0;
      for (const int32_t k : slice.rows) {
        EXPECT_EQ(dataLine(*slice.family, takeouts[spin], k, ones),
                  lines[GUARD_FIRST_DATA_ROW + std::size_t(k)])
            << "line " << GUARD_FIRST_DATA_ROW + k + 1;
      }
      const int64_t entries = int64_t(slice.rows.size()) * slice.family->sideCount * 23;
      EXPECT_GT(ones, 0);
      EXPECT_LT(ones, entries);
    }
  }
}

// The takeouts pass their aim points at the hit speed; the full hit meets the target straight
// on, 0.29 in front of it, the grazing ones beside it.
TEST_F(GuardGenerator, TakeoutsMeetTheTargetWhereTheyAim) {
  for (const int spin : {0, 1}) {
    ASSERT_EQ(takeouts[spin].size(), 23u);
    for (int j = 0; j < 23; ++j) {
      const TakeoutPath& path = takeouts[spin][j];
      EXPECT_LE(path.aimError, AIM_TOLERANCE);
      const double dx = path.contactX - TARGET_X, dy = path.contactY - TARGET_Y;
      EXPECT_NEAR(std::hypot(dx, dy), 0.29, 2e-3) << "spin " << spin << " entry " << j;
      // Entry j passes (j - 11) x 0.29 / 11 beside the target's centre, across its direction
      // (to the left of it, +x, for j > 11).
      const std::size_t n = path.x.size();
      ASSERT_GE(n, 2u);
      const double vx = path.x[n - 1] - path.x[n - 2], vy = path.y[n - 1] - path.y[n - 2];
      const double across = (dx * -vy + dy * vx) / std::hypot(vx, vy);
      EXPECT_NEAR(across, (j - 11) * 0.29 / 11, 1e-3) << "spin " << spin << " entry " << j;
      for (std::size_t p = 1; p < path.y.size(); ++p) ASSERT_LT(path.y[p], path.y[p - 1]);
      EXPECT_GT(path.y.front(), TARGET_Y + GRID_STEP * (FRONT_GUARD_DIST_COUNT + 1) + 0.29);
    }
    EXPECT_TRUE(takeouts[spin][11].touches);
    EXPECT_GT(takeouts[spin][11].contactY, TARGET_Y + 0.28);
  }
  // Spin 1 curls the other way: its full hit comes from the other side of the line.
  EXPECT_LT(takeouts[0][11].x.front(), TARGET_X);
  EXPECT_GT(takeouts[1][11].x.front(), TARGET_X);
}

// Spin 1 is spin 0 mirrored across the centre line: BackBlock (odd width, mirrored cells
// i <-> 50 - i) must agree entry for entry with j <-> 22 - j, but for knife-edge cells.
TEST_F(GuardGenerator, SpinsAreMirrorImages) {
  int differences = 0, total = 0;
  for (int32_t k = 0; k < BACK_BLOCK_DIST_COUNT; ++k) {
    for (int32_t i = 0; i < BACK_BLOCK_SIDE_COUNT; ++i) {
      for (int j = 0; j < 23; ++j) {
        ++total;
        differences +=
            cellEntry(BACK_BLOCK_FAMILY, takeouts[0], k, i, j) !=
            cellEntry(BACK_BLOCK_FAMILY, takeouts[1], k, BACK_BLOCK_SIDE_COUNT - 1 - i, 22 - j);
      }
    }
  }
  EXPECT_LE(differences, total / 1000);
}

// The generator places each cell's stone where the lookup finds that very cell.
TEST_F(GuardGenerator, CellCentresFallIntoTheirCells) {
  for (const GuardFamily* family : {&BACK_BLOCK_FAMILY, &FRONT_GUARD_FAMILY}) {
    GuardFixtureDir dir;
    const std::string text =
        guardFileText(family->sideCount, family->distCount, 23, [](int k, int i, int j) {
          const int word[4] = {k % 100, k / 100, i, 1};
          return std::to_string(j < 4 ? word[j] : 0);
        });
    const std::string name = dir.write("cells.txt", text);
    GuardTable table(family->side, family->sideCount, family->distCount, 23, name.c_str(),
                     name.c_str());
    std::vector<double> out0, out1;
    for (int32_t k = 0; k < family->distCount; ++k) {
      for (int32_t i = 0; i < family->sideCount; ++i) {
        double x, y;
        cellCentre(*family, k, i, x, y);
        lookupGuardTable(table, out0, out1, static_cast<float>(TARGET_X),
                         static_cast<float>(TARGET_Y), static_cast<float>(x),
                         static_cast<float>(y));
        ASSERT_EQ(out0[3], 1.0) << family->name << " k " << k << " i " << i;
        ASSERT_EQ(out0[0] + 100 * out0[1], k) << family->name << " i " << i;
        ASSERT_EQ(out0[2], i) << family->name << " k " << k;
      }
    }
  }
}

}  // namespace
}  // namespace varrowmere::guardgen
