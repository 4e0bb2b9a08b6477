// Cutting read blocks into command lines.

#include "driver/reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace varrowmere {
namespace {

class Lines {
 public:
  // Feeds bytes as one read of that many bytes; full says whether the read filled the block.
  void read(const std::string& bytes, bool full = false) {
    assembler_m.feed(bytes.data(), bytes.size(), full,
                     [this](char* line) { seen.emplace_back(line); });
  }
  // The end of input: a read of nothing.
  void end() { read(std::string()); }

  // Feeds a byte stream the way a pipe hands it out: full blocks, then one short read.
  void stream(const std::string& bytes) {
    std::size_t pos = 0;
    for (; bytes.size() - pos >= READ_BLOCK_SIZE; pos += READ_BLOCK_SIZE)
      read(bytes.substr(pos, READ_BLOCK_SIZE), true);
    if (pos < bytes.size()) read(bytes.substr(pos));
  }

  std::vector<std::string> seen;

 private:
  LineAssembler assembler_m;
};

using Seen = std::vector<std::string>;

TEST(LineAssembler, EveryLineOfABlockIsHandledInOrder) {
  Lines lines;
  lines.read("ISREADY\nGO\n");
  EXPECT_EQ(lines.seen, (Seen{"ISREADY", "GO"}));

  // LF, CR and CRLF all end a line; empty pieces are nothing.
  Lines endings;
  endings.read("A\nB\r\nC\rD\n\n\r\n\rE\r");
  EXPECT_EQ(endings.seen, (Seen{"A", "B", "C", "D", "E"}));

  // Blanks are kept: the dispatcher decides what they mean.
  Lines blanks;
  blanks.read("  GO \n \n");
  EXPECT_EQ(blanks.seen, (Seen{"  GO ", " "}));
}

TEST(LineAssembler, TrailingPieceWaitsOnlyAfterAFullBlock) {
  // A short read ends with a command even without its line end.
  Lines shortRead;
  shortRead.read("NEWGAME\nISREADY");
  EXPECT_EQ(shortRead.seen, (Seen{"NEWGAME", "ISREADY"}));

  // A full read may have cut a line: its tail is joined with the next read.
  Lines fullRead;
  fullRead.read("NEWGAME\nISRE", true);
  EXPECT_EQ(fullRead.seen, (Seen{"NEWGAME"}));
  fullRead.read("ADY\nGO");
  EXPECT_EQ(fullRead.seen, (Seen{"NEWGAME", "ISREADY", "GO"}));

  // A tail kept across several full reads, then ended by the end of input.
  Lines atEnd;
  atEnd.read("SETSTATE 1", true);
  atEnd.read(" 2 3", true);
  EXPECT_TRUE(atEnd.seen.empty());
  atEnd.end();
  EXPECT_EQ(atEnd.seen, (Seen{"SETSTATE 1 2 3"}));
  atEnd.end();
  EXPECT_EQ(atEnd.seen.size(), 1u);

  // A full read that ends on a line end leaves nothing waiting.
  Lines exact;
  exact.read("GO\n", true);
  exact.read("ISREADY\n");
  EXPECT_EQ(exact.seen, (Seen{"GO", "ISREADY"}));
}

TEST(LineAssembler, LinesLongerThan1023BytesAreDroppedWhole) {
  const std::string longest = "POSITION" + std::string(MAX_LINE_LENGTH - 8, '1');
  ASSERT_EQ(longest.size(), 1023u);
  Lines kept;
  kept.read(longest + "\nGO\n");
  ASSERT_EQ(kept.seen.size(), 2u);
  EXPECT_EQ(kept.seen[0], longest);
  EXPECT_EQ(kept.seen[1], "GO");

  // One byte more and the line is gone, but the lines around it are not.
  Lines dropped;
  dropped.read("ISREADY\n" + longest + "1\nGO\n");
  EXPECT_EQ(dropped.seen, (Seen{"ISREADY", "GO"}));

  // An overlong tail that ends at the end of input is dropped too.
  Lines droppedAtEnd;
  droppedAtEnd.read(longest + "1");
  EXPECT_TRUE(droppedAtEnd.seen.empty());
  droppedAtEnd.read("GO\n");
  EXPECT_EQ(droppedAtEnd.seen, (Seen{"GO"}));
}

TEST(LineAssembler, LinesStraddlingFullBlocksComeOutWhole) {
  // A stream of commands as a pipe coalesces them: lines of every length up to the longest
  // kept, with an overlong one among them, cut into full 1024-byte reads.
  std::string bytes;
  Seen expected;
  for (std::size_t length = 1; length <= MAX_LINE_LENGTH; length += 61) {
    std::string line = std::string("L").append(std::to_string(length));
    line.resize(length, 'x');
    bytes += line + (length % 2 ? "\n" : "\r\n");
    expected.push_back(line);
  }
  const std::string longest(MAX_LINE_LENGTH, 'y');
  bytes += longest + "\n" + std::string(MAX_LINE_LENGTH + 1, 'z') + "\nGO";
  expected.push_back(longest);
  expected.push_back("GO");
  ASSERT_GT(bytes.size(), 8 * READ_BLOCK_SIZE);

  Lines lines;
  lines.stream(bytes);
  EXPECT_EQ(lines.seen, expected);
}

}  // namespace
}  // namespace varrowmere
