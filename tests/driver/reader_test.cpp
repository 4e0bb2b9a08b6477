// Cutting read blocks into command lines.

#include "driver/reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace varrowmere {
namespace {

using Lines = std::vector<std::string>;

// Feeds each read in turn (a read of exactly READ_BLOCK_SIZE bytes counts as a full block),
// then the end of input; returns the lines handed on.
Lines linesOf(const Lines& reads) {
  LineAssembler assembler;
  Lines seen;
  const auto handle = [&seen](char* line) { seen.emplace_back(line); };
  for (const std::string& bytes : reads)
    assembler.feed(bytes.data(), bytes.size(), bytes.size() == READ_BLOCK_SIZE, handle);
  assembler.feed(nullptr, 0, false, handle);
  return seen;
}

TEST(LineAssembler, EveryLineEndsAtCrOrLfAndEmptyPiecesAreNothing) {
  EXPECT_EQ(linesOf({"A\nB\r\nC\rD\n\n\r\n\rE\r"}), (Lines{"A", "B", "C", "D", "E"}));
  // Blanks are kept: the dispatcher decides what they mean.
  EXPECT_EQ(linesOf({"  GO \n \n"}), (Lines{"  GO ", " "}));
}

TEST(LineAssembler, TrailingPieceWaitsOnlyAfterAFullBlock) {
  // A short read ends with a command even without its line end, before the end of input.
  Lines seen;
  LineAssembler().feed("GO\nISREADY", 10, false, [&seen](char* line) { seen.emplace_back(line); });
  EXPECT_EQ(seen, (Lines{"GO", "ISREADY"}));
  // A full block may have cut a line: its tail waits for the next read or the end of input.
  const std::string filler(READ_BLOCK_SIZE - 9, ' ');  // then "\nSETSTATE" fills the block
  EXPECT_EQ(linesOf({filler + "\nSETSTATE", " 1 2", "\nGO"}),
            (Lines{filler, "SETSTATE 1 2", "GO"}));
  EXPECT_EQ(linesOf({filler + "\nSETSTATE", "1"}), (Lines{filler, "SETSTATE1"}));
}

TEST(LineAssembler, LinesLongerThan1023BytesAreDroppedWhole) {
  const std::string longest = "POSITION" + std::string(MAX_LINE_LENGTH - 8, '1');
  EXPECT_EQ(linesOf({longest + "\nGO\n"}), (Lines{longest, "GO"}));
  EXPECT_EQ(linesOf({"ISREADY\n" + longest + "1\nGO\n"}), (Lines{"ISREADY", "GO"}));
  EXPECT_EQ(linesOf({longest + "1"}), Lines{});

  // Lines of every length up to the longest kept, and an overlong one, coalesced and cut
  // into full 1024-byte reads: every line comes out whole.
  std::string stream = std::string(MAX_LINE_LENGTH + 1, 'z') + "\n";
  Lines expected, reads;
  for (std::size_t length = 1; length <= MAX_LINE_LENGTH; length += 61) {
    expected.push_back(std::string(length, 'x'));
    stream += expected.back() + (length % 2 ? "\n" : "\r\n");
  }
  for (std::size_t pos = 0; pos < stream.size(); pos += READ_BLOCK_SIZE)
    reads.push_back(stream.substr(pos, READ_BLOCK_SIZE));
  EXPECT_EQ(linesOf(reads), expected);
}

}  // namespace
}  // namespace varrowmere
