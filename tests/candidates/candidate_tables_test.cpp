// The candidate tables as start-up builds them.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "candidates/candidates.h"
#include "platform/shot_maker.h"
#include "support/start_up_tables.h"

namespace varrowmere {
namespace {

using testing_support::ensureStartUpTables;

class CandidateTablesTest : public ::testing::Test {
 protected:
  void SetUp() override { ensureStartUpTables(); }
};

constexpr GridKind KINDS[] = {GridKind::Draw, GridKind::Hit};

TEST_F(CandidateTablesTest, GridsHaveTheirSizesAndSpecs) {
  for (const int spin : {0, 1}) {
    const GridTable& draw = gridTable(GridKind::Draw, spin);
    EXPECT_EQ(draw.countX, 26);
    EXPECT_EQ(draw.countY, 58);
    EXPECT_EQ(draw.total, 1508);
    EXPECT_EQ(draw.loci.size(), 1508u);
    EXPECT_EQ(draw.colHi, 25);
    EXPECT_EQ(draw.rowHi, 57);
    const GridTable& hit = gridTable(GridKind::Hit, spin);
    EXPECT_EQ(hit.countX, 66);
    EXPECT_EQ(hit.countY, 1);
    EXPECT_EQ(hit.loci.size(), 66u);
    EXPECT_EQ(cellTemplate(GridKind::Draw, spin).size(), 1508u);
    EXPECT_EQ(cellTemplate(GridKind::Hit, spin).size(), 66u);
  }
  EXPECT_EQ(gridSpec(GridKind::Draw).rowStepFar, 6);
  EXPECT_EQ(gridSpec(GridKind::Hit).hitPower, 16.0);
  EXPECT_EQ(columnShare(), 0.5);
}

TEST_F(CandidateTablesTest, LociAreTheDeliveredShotsOfTheTargets) {
  for (const int spin : {0, 1}) {
    const GridTable& draw = gridTable(GridKind::Draw, spin);
    for (int32_t i = 0; i < draw.total; ++i) {
      const StoneLocus& locus = draw.loci[i].locus;
      float x = 0.0f, y = 0.0f;
      gridTarget(DRAW_GRID_SPEC, i % draw.countX, i / draw.countX, x, y);
      ASSERT_EQ(locus.spin, spin);
      ASSERT_NEAR(locus.stopX, x, SHOT_POSITION_TOLERANCE) << i;
      ASSERT_NEAR(locus.stopY, y, SHOT_POSITION_TOLERANCE) << i;
      // The locus is what delivering its own shot gives.
      StoneLocus again;
      ASSERT_TRUE(vec_to_locus_deliver({locus.shot[0], locus.shot[1], spin != 0}, again));
      ASSERT_EQ(again.stopX, locus.stopX);
      ASSERT_EQ(again.cur.stepsLeft, locus.cur.stepsLeft);
    }
    const GridTable& hit = gridTable(GridKind::Hit, spin);
    for (int32_t i = 0; i < hit.total; ++i) {
      const StoneLocus& locus = hit.loci[i].locus;
      ASSERT_EQ(locus.spin, spin);
      ASSERT_EQ(locus.active, 1);
      // Power 16 on the back line: the stone runs on well beyond it.
      ASSERT_LT(locus.stopY, BACK_LINE_Y - 5.0) << i;
      ASSERT_GT(locus.cur.speed, 16.0);
    }
  }
  // Cell i of the hit grid aims further to +x than cell i - 1.
  const GridTable& hit = gridTable(GridKind::Hit, 0);
  for (int32_t i = 1; i < hit.total; ++i) {
    EXPECT_GT(hit.loci[i].locus.shot[0], hit.loci[i - 1].locus.shot[0]);
  }
}

TEST_F(CandidateTablesTest, NeighbourListsHoldTheCellAndSumToOne) {
  for (const GridKind kind : KINDS) {
    for (const int spin : {0, 1}) {
      const GridTable& table = gridTable(kind, spin);
      for (int32_t i = 0; i < table.total; ++i) {
        const std::vector<NeighbourWeight>& list = table.loci[i].neighbours;
        double sum = 0.0;
        bool self = false;
        for (std::size_t e = 0; e < list.size(); ++e) {
          ASSERT_GT(list[e].weight, 0.0);
          ASSERT_TRUE(e == 0 || list[e - 1].index < list[e].index);
          self = self || list[e].index == i;
          sum += list[e].weight;
          // Weights are symmetric before normalising: j lists i when i lists j.
          const std::vector<NeighbourWeight>& other = table.loci[list[e].index].neighbours;
          bool back = false;
          for (const NeighbourWeight& o : other) back = back || o.index == i;
          ASSERT_TRUE(back) << i << " " << list[e].index;
        }
        ASSERT_TRUE(self) << i;
        ASSERT_NEAR(sum, 1.0, 1e-12) << i;
      }
    }
  }
  // Draw stops 0.145 m apart: a cell in the middle of the grid has its 3-sigma disc full
  // (radius about 0.56 m, 3 to 4 cells each way).
  const std::vector<NeighbourWeight>& middle =
      gridTable(GridKind::Draw, 0).loci[30 * 26 + 13].neighbours;
  EXPECT_GT(middle.size(), 40u);
  EXPECT_LT(middle.size(), 60u);
  // The hit grid's stops lie far apart (different aims, long runs): few neighbours.
  EXPECT_LT(gridTable(GridKind::Hit, 0).loci[33].neighbours.size(), 20u);
}

// Draw targets step 0.145 m from y = 2.615 and the stones stop on them, so the looked-ahead
// stop passes the tee line (4.88) at row 16 and the house front (6.71) at row 29: every second
// row up to 14, then every row to 28, then every sixth.
TEST_F(CandidateTablesTest, DrawTemplateSamplesRowsByWhereStonesStop) {
  std::vector<int32_t> expected = {0, 2, 4, 6, 8, 10, 12, 14};
  for (int32_t row = 15; row <= 28; ++row) expected.push_back(row);
  for (const int32_t row : {34, 40, 46, 52}) expected.push_back(row);
  for (const int spin : {0, 1}) {
    const std::vector<CandidateCell>& cells = cellTemplate(GridKind::Draw, spin);
    std::vector<int32_t> rows;
    for (int32_t row = 0; row < 58; ++row) {
      for (int32_t column = 1; column < 26; ++column) {
        ASSERT_EQ(cells[26 * row + column].sampled, cells[26 * row].sampled);
      }
      if (cells[26 * row].sampled) rows.push_back(row);
    }
    EXPECT_EQ(rows, expected);
    // Unsampled rows take the nearest sampled row in the same column, the one above on a tie.
    const auto representativeRow = [&cells](int32_t row, int32_t column) {
      const int32_t r = cells[26 * row + column].representative;
      EXPECT_EQ(r % 26, column);
      return r / 26;
    };
    EXPECT_EQ(representativeRow(1, 5), 0);
    EXPECT_EQ(representativeRow(13, 0), 12);
    EXPECT_EQ(representativeRow(29, 7), 28);
    EXPECT_EQ(representativeRow(31, 25), 28);
    EXPECT_EQ(representativeRow(32, 3), 34);
    EXPECT_EQ(representativeRow(57, 9), 52);
  }
}

TEST_F(CandidateTablesTest, TemplatesStartEmptyAndPointIntoTheTables) {
  for (const GridKind kind : KINDS) {
    for (const int spin : {0, 1}) {
      const GridTable& table = gridTable(kind, spin);
      const std::vector<CandidateCell>& cells = cellTemplate(kind, spin);
      for (int32_t i = 0; i < table.total; ++i) {
        const CandidateCell& cell = cells[i];
        ASSERT_EQ(cell.index, i);
        ASSERT_EQ(cell.locus, &table.loci[i]);
        ASSERT_FALSE(cell.simulated);
        ASSERT_FALSE(cell.chosen);
        ASSERT_FALSE(cell.deep);
        ASSERT_EQ(cell.value, VALUE_NONE);
        ASSERT_EQ(cell.expected, VALUE_NONE);
        ASSERT_TRUE(cells[cell.representative].sampled);
        ASSERT_TRUE(!cell.sampled || cell.representative == i);
        ASSERT_TRUE(kind == GridKind::Draw || cell.sampled);
      }
    }
  }
  // A copy, as a search makes it, still points into the tables.
  std::vector<CandidateCell> copy = cellTemplate(GridKind::Hit, 1);
  EXPECT_EQ(copy[7].locus, &gridTable(GridKind::Hit, 1).loci[7]);
  // Any spin other than 0 reads spin 1.
  EXPECT_EQ(&gridTable(GridKind::Draw, 5), &gridTable(GridKind::Draw, 1));
}

}  // namespace
}  // namespace varrowmere
