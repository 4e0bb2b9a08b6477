#include "search/signature.h"

#include <gtest/gtest.h>

#include "support/start_up_tables.h"

namespace varrowmere {
namespace {

// Signatures of the fixed positions (bench_go prints them all). A change of one of these values
// is a change of play: make it on purpose and say why in the commit. Depth 2 on the empty
// sheet and the four-stone position only: the others cost too much under the sanitizers.
constexpr uint64_t DEPTH_ONE_CHOICE = 0xc60eb68759c3c4bbull;
constexpr uint64_t DEPTH_ONE_CELLS = 0xf65fd8736ed922acull;
constexpr uint64_t DEPTH_TWO_CELLS_FIRST_TWO = 0x3cbbe0c44cf5d297ull;

TEST(Determinism, SignaturesAreUnchanged) {
  testing_support::ensureStartUpTables();
  const Signatures one = searchSignatures(1);
  EXPECT_EQ(one.choice, DEPTH_ONE_CHOICE) << std::hex << one.choice;
  EXPECT_EQ(one.cells, DEPTH_ONE_CELLS) << std::hex << one.cells;
  // A second run in the same process gives the same hash: nothing carries over.
  EXPECT_EQ(searchSignatures(1).cells, DEPTH_ONE_CELLS);
  const std::vector<SignaturePosition> all = signaturePositions();
  const Signatures two = searchSignatures(2, {all[0], all[1]});
  EXPECT_EQ(two.cells, DEPTH_TWO_CELLS_FIRST_TWO) << std::hex << two.cells;
}

}  // namespace
}  // namespace varrowmere
