#include "tables/guard_table.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <thread>

#include "evaluation/guard_fixture.h"
#include "physics/sheet.h"

namespace varrowmere {
namespace {

constexpr float TEE_XF = static_cast<float>(TEE_X), TEE_YF = static_cast<float>(TEE_Y);
using Cell = std::pair<int, int>;

// A family whose cell [k][i] reads (k % 100, k / 100, i, 1, 0, ...), so that a lookup from a
// target on the tee tells which cell it hit ((-1, -1): the zero result).
struct CellFamily {
  CellFamily(GuardSide side, int sideCount, int distCount)
      : name(dir.write("c", text(sideCount, distCount))),
        table(side, sideCount, distCount, 23, name.c_str(), name.c_str()) {}
  static std::string text(int side, int dist) {
    return testing::guardFileText(side, dist, 23, [](int k, int i, int j) {
      return std::to_string(j < 4 ? std::array{k % 100, k / 100, i, 1}[j] : 0);
    });
  }
  Cell cellOf(float dx, float dy) {
    lookupGuardTable(table, out0, out1, TEE_XF, TEE_YF, TEE_XF + dx, TEE_YF + dy);
    if (out0[3] == 0.0) return {-1, -1};
    return {static_cast<int>(out0[0] + 100 * out0[1]), static_cast<int>(out0[2])};
  }
  testing::GuardFixtureDir dir;
  const std::string name;
  GuardTable table;
  std::vector<double> out0, out1;
};

TEST(GuardTableLoad, ReadsTheHeaderAndEachNumbersLowByteAndZerosForWhatIsMissing) {
  // Line 15 + k, cell i, word j; the second file has one data line, and only two cells.
  testing::GuardFixtureDir dir;
  const std::string odd[] = {"200", "-1", "300", "abc", "7x"};
  const std::string name0 =
      dir.write("0", testing::guardFileText(3, 2, 23, [&](int k, int i, int j) {
                  return k == 1 && i == 2 && j < 5 ? odd[j] : std::to_string(10 * k + i + j);
                }));
  const std::string name1 = dir.write("1", testing::guardHeader("9", "9", "23") + "1 2,3 4 5\n");
  GuardTable table(GuardSide::InFront, 60, 329, 23, name0.c_str(), name1.c_str());
  loadGuardTable(table, name0.c_str(), name1.c_str());
  ASSERT_EQ(table.cells[0].size(), 3u * 2u * 23u);
  EXPECT_EQ(table.sideCount * 10 + table.distCount, 32);
  const auto cell = [&](int f, int k, int i) {
    return std::vector<int>(table.cell(f, k, i), table.cell(f, k, i) + 6);
  };
  EXPECT_EQ(cell(0, 1, 0), (std::vector{10, 11, 12, 13, 14, 15}));
  EXPECT_EQ(cell(0, 1, 2), (std::vector{-56, -1, 44, 0, 7, 17}));
  EXPECT_EQ(cell(1, 0, 1), (std::vector{3, 4, 5, 0, 0, 0}));
  EXPECT_EQ(cell(1, 1, 0), (std::vector{0, 0, 0, 0, 0, 0}));
}

TEST(GuardTableLoad, AnUnsoundHeaderOrNoFirstFileLeavesZerosWithTheStartDimensions) {
  const std::string body = "1 1 1,\n";
  for (const std::string& text :
       {testing::guardHeader("0", "2", "23") + body, testing::guardHeader("3", "1001", "23") + body,
        testing::guardHeader("3", "2", "22") + body,
        testing::guardHeader("99999999999999999999", "2", "23") + body, std::string("a\nb\n"),
        std::string()}) {
    testing::GuardFixtureDir dir;
    const std::string name = text.empty() ? dir.name("none") : dir.write("h", text);
    GuardTable table(GuardSide::Behind, 51, 51, 23, name.c_str(), name.c_str());
    ::testing::internal::CaptureStderr();
    loadGuardTable(table, name.c_str(), name.c_str());
    EXPECT_NE(::testing::internal::GetCapturedStderr(), "") << text;
    EXPECT_EQ(table.sideCount * 1000 + table.distCount, 51051) << text;
    EXPECT_EQ(table.cells[0], std::vector<int8_t>(51 * 51 * 23, 0)) << text;
  }
}

TEST(GuardLookup, CellsCountAlongAndAcrossTheLineFromTheDeliveryPoint) {
  CellFamily front(GuardSide::InFront, 60, 329), back(GuardSide::Behind, 51, 51);
  const float s = GRID_STEP, r = BACK_REACH, y = 5.5f * GRID_STEP;
  // Level passes both side tests; FrontGuard wants the stone in front (larger y), BackBlock behind.
  EXPECT_EQ(front.cellOf(2.5f * s, 0), Cell(0, 31));
  EXPECT_EQ(back.cellOf(2.5f * s, 0), Cell(50, 27));
  EXPECT_EQ(front.cellOf(0, -0.01f), Cell(-1, -1));
  EXPECT_EQ(back.cellOf(0, 0.01f), Cell(-1, -1));
  // Across: the centre cell (60 - 1) / 2 spans a step each way, +x the + side; 29 to -, 30 to +.
  EXPECT_EQ(front.cellOf(-0.5f * s, y), Cell(5, 29));
  EXPECT_EQ(front.cellOf(-30.5f * s, y), Cell(-1, -1));
  EXPECT_EQ(front.cellOf(30.5f * s, y), Cell(5, 59));
  EXPECT_EQ(front.cellOf(31.5f * s, y), Cell(-1, -1));
  // Along: FrontGuard up from the target, BackBlock down from 1.22 m behind, truncated toward 0.
  EXPECT_EQ(front.cellOf(0, 328.5f * s), Cell(328, 29));
  EXPECT_EQ(front.cellOf(0, 329.5f * s), Cell(-1, -1));
  EXPECT_EQ(back.cellOf(0, -(r - 1.5f * s)), Cell(1, 25));
  EXPECT_EQ(back.cellOf(0, -(r + 0.5f * s)), Cell(0, 25));
  EXPECT_EQ(back.cellOf(0, -(r + 1.5f * s)), Cell(-1, -1));
  EXPECT_EQ(back.cellOf(NAN, -0.5f), Cell(-1, -1));
}

TEST(GuardLookup, ConcurrentFirstLookupsLoadOnce) {
  CellFamily family(GuardSide::InFront, 60, 329);
  std::vector<int> cells(8);
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      std::vector<double> out0, out1;
      const float d = (t + 0.5f) * GRID_STEP;
      lookupGuardTable(family.table, out0, out1, TEE_XF, TEE_YF, TEE_XF + d, TEE_YF + d);
      cells[t] = static_cast<int>(100 * out0[0] + out0[2]);
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(family.table.loadCount, 1);
  for (int t = 0; t < 8; ++t) EXPECT_EQ(cells[t], 100 * t + 29 + t);
}

// A guard 1 m straight in front of a stone on the tee blocks the full hit (entry 11) of both
// spins; so does a stone 0.5 m straight behind, into which the full hit drives the target.
TEST(GuardTables, CommittedFilesSayWhatStandsInATakeoutsWay) {
  std::vector<double> out0, out1;
  lookupFrontGuard(out0, out1, TEE_XF, TEE_YF, TEE_XF, TEE_YF + 1.0f);
  EXPECT_EQ(out0[11] + out1[11], 2.0);
  lookupBackBlock(out0, out1, TEE_XF, TEE_YF, TEE_XF, TEE_YF - 0.5f);
  EXPECT_EQ(out0[11] + out1[11], 2.0);
}

}  // namespace
}  // namespace varrowmere
