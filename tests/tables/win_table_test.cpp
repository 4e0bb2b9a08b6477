// The win table worked by hand on a toy distribution, and its sane forms.

#include "tables/win_table.h"

#include <gtest/gtest.h>

namespace varrowmere {
namespace {

// The side with the hammer scores 1 with chance 1/2, blanks with 1/4, gives up 1 with 1/4, so
// it wins an extra end with (1/2) / (3/4) = 2/3. One end left, with the hammer, level:
// 1/2 + 1/4 x 2/3 (blank: an extra end, hammer kept). Without it, one ahead: the other side
// scores 1 (1/2, then it has lost the hammer: 2/3) or not (1/2). Two ends, level, hammer:
// 1/2 x W(1, 1, no hammer) + 1/4 x W(0, 1, hammer) + 1/4 x W(-1, 1, hammer) = 5/8.
TEST(WinTable, SmallCasesWorkedByHand) {
  ScoreDist toy(SCORE_BINS, 0.0);
  toy[SCORE_OFFSET + 1] = 0.5;
  toy[SCORE_OFFSET] = toy[SCORE_OFFSET - 1] = 0.25;
  const WinTable table(toy);
  struct Case {
    int lead, ends;
    bool hammer;
    double chance;
  } const cases[] = {{0, 0, true, 2 / 3.0},   {0, 0, false, 1 / 3.0},   {1, 0, false, 1.0},
                     {-1, 0, true, 0.0},      {-1, 1, true, 1 / 6.0},   {0, 1, true, 2 / 3.0},
                     {1, 1, true, 11 / 12.0}, {-1, 1, false, 1 / 12.0}, {0, 1, false, 1 / 3.0},
                     {1, 1, false, 5 / 6.0},  {0, 2, true, 5 / 8.0},    {0, 2, false, 3 / 8.0}};
  for (const Case& c : cases)
    EXPECT_NEAR(table.winChance(c.lead, c.ends, c.hammer), c.chance, 1e-12) << &c - cases;
  // One behind with the hammer, the last end: scoring 1 ties and hands over the hammer. A
  // blank keeps the hammer where it was; the other side scoring hands it over.
  EXPECT_NEAR(table.afterEnd(-1, 1, true, 0), 1 / 3.0, 1e-12);
  EXPECT_NEAR(table.afterEnd(0, 0, false, 1), 1 / 3.0, 1e-12);
  EXPECT_NEAR(table.afterEnd(0, -1, false, 1), 1 / 6.0, 1e-12);
  // Beyond the table: clamped, never out of [0, 1].
  EXPECT_EQ(table.winChance(INT64_MAX, INT64_MAX, true), table.winChance(24, 16, true));
  EXPECT_EQ(table.afterEnd(INT64_MIN, INT64_MIN, false, -3), 0.0);

  // The hammer's worth in points: 1/2 - 1/4 with one end left; with two, 1/2 (1 - 1/4) +
  // 1/4 (0 + 1/4) + 1/4 (-1 + 1/4): scoring hands the hammer over, a blank or steal keeps it.
  const WinTable always({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1});  // always 2
  EXPECT_EQ(table.hammerWorth(-3), 0.0);
  EXPECT_NEAR(table.hammerWorth(1) + table.hammerWorth(2), 0.5, 1e-12);
  EXPECT_EQ(always.hammerWorth(1) + always.hammerWorth(2) + always.hammerWorth(3), 4.0);
  // An end's worth with the hammer's worth after it: a blank keeps the hammer, a single not.
  EXPECT_EQ(endWorth(0.0, 0.75) - endWorth(1.0, 0.75), 0.5);
  EXPECT_EQ(always.hammerWorth(INT64_MAX), always.hammerWorth(WIN_TABLE_MAX_ENDS));
}

TEST(WinTable, WithoutScoresTheLeadDecidesAndTheSelfPlayTableIsSymmetric) {
  for (const ScoreDist& none : {ScoreDist{}, ScoreDist(SCORE_BINS, 0.0), ScoreDist(3, -1.0)}) {
    const WinTable table(none);
    EXPECT_EQ(table.winChance(0, 5, true), 0.5);
    EXPECT_EQ(table.winChance(-1, 5, true) + table.winChance(2, 0, false), 1.0);
  }
  // The two sides' chances add up to 1; the hammer is worth something; more lead, more chance.
  const WinTable& table = winTable();
  for (int ends = 0; ends <= WIN_TABLE_MAX_ENDS; ends += 3) {
    for (int lead = -WIN_TABLE_MAX_LEAD; lead <= WIN_TABLE_MAX_LEAD; ++lead) {
      EXPECT_NEAR(table.winChance(lead, ends, true) + table.winChance(-lead, ends, false), 1.0,
                  1e-9);
      EXPECT_GE(table.winChance(lead + 1, ends, false), table.winChance(lead, ends, false));
    }
    EXPECT_GT(table.winChance(0, ends, true), 0.55) << ends;
  }
}

}  // namespace
}  // namespace varrowmere
