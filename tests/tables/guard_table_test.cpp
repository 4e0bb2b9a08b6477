#include "tables/guard_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <latch>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "evaluation/guard_fixture.h"
#include "physics/sheet.h"

namespace varrowmere {
namespace {

using testing::guardFileText;
using testing::GuardFixtureDir;
using testing::guardHeader;

constexpr float TEE_XF = static_cast<float>(TEE_X);
constexpr float TEE_YF = static_cast<float>(TEE_Y);

// A family whose cell [k][i] reads (k % 100, k / 100, i, f, 1, 0, ...) from file f, so that a
// lookup tells which cell it hit; the zero result has a 0 in entry 4.
struct CellIndexFixture {
  CellIndexFixture(GuardSide side, int sideCount, int distCount)
      : name0(dir.write("a0.txt", text(sideCount, distCount, 0))),
        name1(dir.write("a1.txt", text(sideCount, distCount, 1))),
        table(side, sideCount, distCount, GUARD_VALUES_PER_CELL, name0.c_str(), name1.c_str()) {}

  static std::string text(int sideCount, int distCount, int f) {
    return guardFileText(sideCount, distCount, GUARD_VALUES_PER_CELL, [f](int k, int i, int j) {
      const int word[5] = {k % 100, k / 100, i, f, 1};
      return std::to_string(j < 5 ? word[j] : 0);
    });
  }

  // The cell [k][i] a lookup lands in, or (-1, -1) for the zero result.
  std::pair<int, int> cellOf(float x0, float y0, float x1, float y1) {
    table_lookup(x0, y0, x1, y1);
    if (out0[4] == 0.0) return {-1, -1};
    EXPECT_EQ(out0[3], 0.0);
    EXPECT_EQ(out1[3], 1.0);
    return {static_cast<int>(out0[0] + 100 * out0[1]), static_cast<int>(out0[2])};
  }
  void table_lookup(float x0, float y0, float x1, float y1) {
    lookupGuardTable(table, out0, out1, x0, y0, x1, y1);
  }

  GuardFixtureDir dir;
  std::string name0, name1;
  GuardTable table;
  std::vector<double> out0, out1;
};

bool allZero(const std::vector<double>& values) {
  for (const double v : values) {
    if (v != 0.0) return false;
  }
  return true;
}

TEST(GuardTableLoad, ReadsHeaderCellsAndSignedBytes) {
  GuardFixtureDir dir;
  const std::string name0 = dir.write("f0.txt", guardFileText(3, 2, 23, [](int k, int i, int j) {
                                        if (k == 1 && i == 2 && j == 0) return std::string("200");
                                        if (k == 1 && i == 2 && j == 1) return std::string("-1");
                                        if (k == 1 && i == 2 && j == 2) return std::string("300");
                                        if (k == 1 && i == 2 && j == 3) return std::string("abc");
                                        if (k == 1 && i == 2 && j == 4) return std::string("7x");
                                        return std::to_string(10 * k + i + j);
                                      }));
  const std::string name1 = dir.write("f1.txt", guardFileText(3, 2, 23, [](int k, int i, int j) {
                                        return std::to_string(k - i - j);
                                      }));
  GuardTable table(GuardSide::InFront, 60, 329, 23, name0.c_str(), name1.c_str());
  loadGuardTable(table, name0.c_str(), name1.c_str());

  EXPECT_EQ(table.sideCount, 3);
  EXPECT_EQ(table.distCount, 2);
  EXPECT_EQ(table.valuesPerCell, 23);
  ASSERT_EQ(table.cells[0].size(), 3u * 2u * 23u);
  ASSERT_EQ(table.cells[1].size(), 3u * 2u * 23u);
  // Line 15 + k, cell i, word j.
  EXPECT_EQ(table.cell(0, 0, 0)[0], 0);
  EXPECT_EQ(table.cell(0, 0, 1)[5], 6);
  EXPECT_EQ(table.cell(0, 1, 0)[22], 32);
  EXPECT_EQ(table.cell(0, 1, 1)[0], 11);
  // The low byte as a signed value; a word that is no number is 0; digits end at a letter.
  EXPECT_EQ(table.cell(0, 1, 2)[0], -56);
  EXPECT_EQ(table.cell(0, 1, 2)[1], -1);
  EXPECT_EQ(table.cell(0, 1, 2)[2], 44);
  EXPECT_EQ(table.cell(0, 1, 2)[3], 0);
  EXPECT_EQ(table.cell(0, 1, 2)[4], 7);
  EXPECT_EQ(table.cell(1, 1, 2)[22], 1 - 2 - 22);
  EXPECT_EQ(table.cell(1, 0, 1)[3], -4);
  EXPECT_EQ(table.loadCount, 1);

  // Through a lookup the bytes arrive widened to double: a stone level with the target and
  // half a cell to the side is in the centre cell [0][1].
  std::vector<double> out0, out1;
  lookupGuardTable(table, out0, out1, TEE_XF, TEE_YF, TEE_XF + 0.5f * GRID_STEP, TEE_YF);
  ASSERT_EQ(out0.size(), 23u);
  EXPECT_EQ(out0[5], 6.0);
  EXPECT_EQ(out1[5], -6.0);
}

TEST(GuardTableLoad, ShortAndMissingPartsReadAsZeros) {
  GuardFixtureDir dir;
  // Declares 4 x 3 cells but has one data line with two cells, the second of 5 words.
  std::string text = guardHeader("4", "3", "23");
  for (int j = 0; j < 23; ++j) text += "5 ";
  text += ",1 2 3 4 5\n";
  const std::string name0 = dir.write("short.txt", text);
  const std::string name1 = dir.name("absent.txt");
  GuardTable table(GuardSide::Behind, 51, 51, 23, name0.c_str(), name1.c_str());

  ::testing::internal::CaptureStderr();
  loadGuardTable(table, name0.c_str(), name1.c_str());
  const std::string messages = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(messages.find("absent.txt"), std::string::npos) << messages;
  EXPECT_NE(messages.find("InputFile_Lines"), std::string::npos) << messages;

  EXPECT_EQ(table.sideCount, 4);
  EXPECT_EQ(table.distCount, 3);
  EXPECT_EQ(table.cell(0, 0, 0)[22], 5);
  EXPECT_EQ(table.cell(0, 0, 1)[4], 5);
  EXPECT_EQ(table.cell(0, 0, 1)[5], 0);
  EXPECT_EQ(table.cell(0, 0, 2)[0], 0);
  EXPECT_EQ(table.cell(0, 2, 3)[22], 0);
  for (const int8_t v : table.cells[1]) ASSERT_EQ(v, 0);
}

TEST(GuardTableLoad, UnsoundHeaderLeavesZerosWithStartDimensions) {
  struct Case {
    const char* what;
    std::string text;
  };
  const std::string body = "1 1 1,\n";
  const std::vector<Case> cases = {
      {"no lateral cells", guardHeader("0", "2", "23") + body},
      {"too many distance cells", guardHeader("3", "1001", "23") + body},
      {"negative count", guardHeader("-3", "2", "23") + body},
      {"another values count", guardHeader("3", "2", "22") + body},
      {"values count 0", guardHeader("3", "2", "0") + body},
      {"huge number", guardHeader("99999999999999999999", "2", "23") + body},
      {"header lines missing", "one\ntwo\nthree\n"},
      {"empty file", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    GuardFixtureDir dir;
    const std::string name0 = dir.write("h0.txt", c.text);
    const std::string name1 = dir.write("h1.txt", c.text);
    GuardTable table(GuardSide::InFront, 60, 329, 23, name0.c_str(), name1.c_str());
    std::vector<double> out0(3, 9.0), out1;

    ::testing::internal::CaptureStderr();
    lookupGuardTable(table, out0, out1, TEE_XF, TEE_YF, TEE_XF, TEE_YF + 0.1f);
    const std::string messages = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(messages.find("loadGuardTable: "), std::string::npos) << messages;

    EXPECT_FALSE(table.pending);
    EXPECT_EQ(table.sideCount, 60);
    EXPECT_EQ(table.distCount, 329);
    EXPECT_EQ(table.cells[0].size(), 60u * 329u * 23u);
    for (const int8_t v : table.cells[0]) ASSERT_EQ(v, 0);
    EXPECT_EQ(out0.size(), 23u);
    EXPECT_EQ(out1.size(), 23u);
    EXPECT_TRUE(allZero(out0) && allZero(out1));
  }
}

TEST(GuardTableLoad, MissingFirstFileGivesZeros) {
  GuardFixtureDir dir;
  const std::string name0 = dir.name("nowhere0.txt");
  const std::string name1 = dir.write(
      "there1.txt", guardFileText(3, 2, 23, [](int, int, int) { return std::string("1"); }));
  GuardTable table(GuardSide::Behind, 51, 51, 23, name0.c_str(), name1.c_str());
  std::vector<double> out0, out1;
  ::testing::internal::CaptureStderr();
  lookupGuardTable(table, out0, out1, TEE_XF, TEE_YF, TEE_XF, TEE_YF - 0.5f);
  const std::string messages = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(messages, "InputFile_Lines: " + dataDir + name0 + "を開けません\n");
  EXPECT_EQ(table.sideCount, 51);
  EXPECT_EQ(table.distCount, 51);
  EXPECT_EQ(out0.size(), 23u);
  EXPECT_TRUE(allZero(out0) && allZero(out1));
}

TEST(GuardLookup, SideTests) {
  CellIndexFixture back(GuardSide::Behind, 51, 51);
  CellIndexFixture front(GuardSide::InFront, 60, 329);
  const float x0 = TEE_XF, y0 = TEE_YF;
  // Level with the target passes both; along is 0 there.
  EXPECT_EQ(back.cellOf(x0, y0, x0 + 2.5f * GRID_STEP, y0), std::make_pair(50, 27));
  EXPECT_EQ(front.cellOf(x0, y0, x0 + 2.5f * GRID_STEP, y0), std::make_pair(0, 31));
  // BackBlock wants the second stone behind (smaller y), FrontGuard in front.
  EXPECT_EQ(back.cellOf(x0, y0, x0, y0 + 0.01f), std::make_pair(-1, -1));
  EXPECT_EQ(front.cellOf(x0, y0, x0, y0 - 0.01f), std::make_pair(-1, -1));
  EXPECT_EQ(back.cellOf(x0, y0, x0, y0 - 0.01f).first, 50);
  EXPECT_EQ(front.cellOf(x0, y0, x0, y0 + 0.01f).first, 0);
}

TEST(GuardLookup, LateralCellCountsFromTheCentre) {
  CellIndexFixture front(GuardSide::InFront, 60, 329);
  CellIndexFixture back(GuardSide::Behind, 51, 51);
  const float x0 = TEE_XF, y0 = TEE_YF, yf = y0 + 5.5f * GRID_STEP, yb = y0 - 0.5f;
  // On the delivery line (cross exactly 0): sign +1, centre (60 - 1) / 2 = 29 and 25.
  EXPECT_EQ(front.cellOf(x0, y0, x0, yf), std::make_pair(5, 29));
  EXPECT_EQ(back.cellOf(x0, y0, x0, yb).second, 25);
  // The centre cell spans one GRID_STEP to either side; +x is the + side.
  EXPECT_EQ(front.cellOf(x0, y0, x0 + 0.5f * GRID_STEP, yf).second, 29);
  EXPECT_EQ(front.cellOf(x0, y0, x0 - 0.5f * GRID_STEP, yf).second, 29);
  EXPECT_EQ(front.cellOf(x0, y0, x0 + 1.5f * GRID_STEP, yf).second, 30);
  EXPECT_EQ(front.cellOf(x0, y0, x0 - 1.5f * GRID_STEP, yf).second, 28);
  // With 60 cells: m up to 29 on the - side and 30 on the + side.
  EXPECT_EQ(front.cellOf(x0, y0, x0 - 29.5f * GRID_STEP, yf).second, 0);
  EXPECT_EQ(front.cellOf(x0, y0, x0 - 30.5f * GRID_STEP, yf).second, -1);
  EXPECT_EQ(front.cellOf(x0, y0, x0 + 30.5f * GRID_STEP, yf).second, 59);
  EXPECT_EQ(front.cellOf(x0, y0, x0 + 31.5f * GRID_STEP, yf).second, -1);
  EXPECT_EQ(back.cellOf(x0, y0, x0 - 25.5f * GRID_STEP, yb).second, 0);
  EXPECT_EQ(back.cellOf(x0, y0, x0 + 25.5f * GRID_STEP, yb).second, 50);
  EXPECT_EQ(back.cellOf(x0, y0, x0 + 26.5f * GRID_STEP, yb).second, -1);
}

TEST(GuardLookup, DistanceCells) {
  CellIndexFixture front(GuardSide::InFront, 60, 329);
  CellIndexFixture back(GuardSide::Behind, 51, 51);
  const float x0 = TEE_XF, y0 = TEE_YF;
  // FrontGuard counts up from the target.
  EXPECT_EQ(front.cellOf(x0, y0, x0, y0 + 0.5f * GRID_STEP).first, 0);
  EXPECT_EQ(front.cellOf(x0, y0, x0, y0 + 10.5f * GRID_STEP).first, 10);
  EXPECT_EQ(front.cellOf(x0, y0, x0, y0 + 328.5f * GRID_STEP).first, 328);
  EXPECT_EQ(front.cellOf(x0, y0, x0, y0 + 329.5f * GRID_STEP).first, -1);
  // BackBlock counts down from BACK_REACH; just beyond it still cell 0 (truncation toward 0).
  EXPECT_EQ(back.cellOf(x0, y0, x0, y0 - (BACK_REACH - 1.5f * GRID_STEP)).first, 1);
  EXPECT_EQ(back.cellOf(x0, y0, x0, y0 - (BACK_REACH - 0.5f * GRID_STEP)).first, 0);
  EXPECT_EQ(back.cellOf(x0, y0, x0, y0 - (BACK_REACH + 0.5f * GRID_STEP)).first, 0);
  EXPECT_EQ(back.cellOf(x0, y0, x0, y0 - (BACK_REACH + 1.5f * GRID_STEP)).first, -1);
  EXPECT_EQ(back.cellOf(x0, y0, x0, y0 - 0.005f).first, 50);

  // A slanted delivery line (target far left): level stones on either side lie slightly
  // behind and slightly before the target along the line; BackBlock takes |along| for both.
  const float xs = 0.5f, ys = 5.0f;
  EXPECT_EQ(back.cellOf(xs, ys, xs - 0.3f, ys), std::make_pair(49, 13));
  EXPECT_EQ(back.cellOf(xs, ys, xs + 0.3f, ys), std::make_pair(49, 37));
}

TEST(GuardLookup, EveryResultHasValuesPerCellEntries) {
  CellIndexFixture front(GuardSide::InFront, 60, 329);
  const float x0 = TEE_XF, y0 = TEE_YF;
  struct Probe {
    float x1, y1;
  };
  const Probe probes[] = {{x0, y0 + 0.3f},
                          {x0, y0 - 0.3f},
                          {x0 + 3.0f, y0 + 0.3f},
                          {x0, y0 + 20.0f},
                          {std::numeric_limits<float>::infinity(), y0}};
  for (const Probe& p : probes) {
    for (const std::size_t before : {0u, 5u, 23u, 100u}) {
      front.out0.assign(before, 7.0);
      front.out1.assign(before, 7.0);
      front.table_lookup(x0, y0, p.x1, p.y1);
      EXPECT_EQ(front.out0.size(), 23u);
      EXPECT_EQ(front.out1.size(), 23u);
      EXPECT_EQ(front.out0[22], 0.0);
    }
  }
}

TEST(GuardLookup, NotANumberGivesZeros) {
  CellIndexFixture back(GuardSide::Behind, 51, 51);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(back.cellOf(TEE_XF, TEE_YF, TEE_XF, nan).first, -1);
  EXPECT_EQ(back.cellOf(TEE_XF, nan, TEE_XF, TEE_YF).first, -1);
  EXPECT_EQ(back.cellOf(nan, TEE_YF, TEE_XF, TEE_YF - 0.5f).first, -1);
  // A target on the delivery point has no line.
  EXPECT_EQ(back.cellOf(static_cast<float>(DELIVERY_X), static_cast<float>(DELIVERY_Y), 2.0f, 30.0f)
                .first,
            -1);
}

TEST(GuardLookup, ConcurrentFirstLookupsLoadOnce) {
  // The committed FrontGuard files (large enough that the load takes a while) in a family of
  // their own, and a fixture family; eight threads look up both at once.
  CellIndexFixture fixture(GuardSide::InFront, 60, 329);
  GuardTable table(GuardSide::InFront, 60, 329, 23, FRONT_GUARD_FILE0, FRONT_GUARD_FILE1);
  constexpr int THREADS = 8;
  std::vector<std::vector<double>> results(THREADS);
  std::vector<std::pair<int, int>> cells(THREADS);
  std::latch start(THREADS);
  std::vector<std::thread> threads;
  for (int t = 0; t < THREADS; ++t) {
    threads.emplace_back([&, t] {
      std::vector<double> out0, out1;
      start.arrive_and_wait();
      lookupGuardTable(table, out0, out1, TEE_XF, TEE_YF, TEE_XF, TEE_YF + 1.0f);
      std::vector<double> f0, f1;
      lookupGuardTable(fixture.table, f0, f1, TEE_XF, TEE_YF, TEE_XF + (t + 0.5f) * GRID_STEP,
                       TEE_YF + (t + 0.5f) * GRID_STEP);
      results[t] = out0;
      cells[t] = {static_cast<int>(f0[0] + 100 * f0[1]), static_cast<int>(f0[2])};
    });
  }
  for (std::thread& thread : threads) thread.join();

  EXPECT_EQ(table.loadCount, 1);
  EXPECT_EQ(fixture.table.loadCount, 1);
  EXPECT_FALSE(table.pending);
  std::vector<double> out0, out1;
  lookupGuardTable(table, out0, out1, TEE_XF, TEE_YF, TEE_XF, TEE_YF + 1.0f);
  EXPECT_EQ(out0[11], 1.0);
  for (int t = 0; t < THREADS; ++t) {
    EXPECT_EQ(results[t], out0);
    EXPECT_EQ(cells[t], std::make_pair(t, 29 + t));
  }
  EXPECT_EQ(table.loadCount, 1);
}

TEST(GuardTables, CommittedFilesSayWhatStandsInATakeoutsWay) {
  // Readable before anything was loaded, and never changed by loading.
  EXPECT_EQ(frontGuard.valuesPerCell, 23);
  EXPECT_EQ(backBlock.valuesPerCell, 23);
  std::vector<double> out0, out1;
  ::testing::internal::CaptureStderr();
  // A guard 1 m straight in front of a stone on the tee blocks the full hit of both spins,
  // a stone 1 m beside that guard blocks nothing.
  lookupFrontGuard(out0, out1, TEE_XF, TEE_YF, TEE_XF, TEE_YF + 1.0f);
  EXPECT_EQ(out0[11], 1.0);
  EXPECT_EQ(out1[11], 1.0);
  lookupFrontGuard(out0, out1, TEE_XF, TEE_YF, TEE_XF + 1.0f, TEE_YF + 1.0f);
  EXPECT_TRUE(allZero(out0) && allZero(out1));
  // A stone 0.5 m straight behind is driven into by the full hit; a thin hit on the -x side
  // (entry 0) drives the target towards +x, into a stone behind on that side, and not into
  // one on the other side.
  lookupBackBlock(out0, out1, TEE_XF, TEE_YF, TEE_XF, TEE_YF - 0.5f);
  EXPECT_EQ(out0[11], 1.0);
  EXPECT_EQ(out1[11], 1.0);
  lookupBackBlock(out0, out1, TEE_XF, TEE_YF, TEE_XF + 0.4f, TEE_YF - 0.1f);
  EXPECT_EQ(out0[0], 1.0);
  EXPECT_EQ(out0[22], 0.0);
  lookupBackBlock(out0, out1, TEE_XF, TEE_YF, TEE_XF - 0.4f, TEE_YF - 0.1f);
  EXPECT_EQ(out1[0], 0.0);
  EXPECT_EQ(out1[22], 1.0);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(frontGuard.sideCount, 60);
  EXPECT_EQ(frontGuard.distCount, 329);
  EXPECT_EQ(backBlock.sideCount, 51);
  EXPECT_EQ(backBlock.distCount, 51);
}

}  // namespace
}  // namespace varrowmere
