// The text readers: lines, rows and fields of data files, and the message for a missing file.

#include "tables/text_input.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tables/message.h"

namespace varrowmere {
namespace {

namespace fs = std::filesystem;

using Lines = std::vector<std::string>;
using Table = std::vector<std::vector<std::string>>;

// Fixture files live in the build folder; the readers get their names relative to dataDir,
// the only way a name can reach them.
class TextInput : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder() = fs::path(VARROWMERE_TEST_BINARY_DIR) / ("text_input_" + std::to_string(::getpid()));
    fs::create_directories(folder());
  }
  static void TearDownTestSuite() { fs::remove_all(folder()); }

  static fs::path& folder() {
    static fs::path path;
    return path;
  }

  // Writes bytes to a fixture file; returns its name relative to dataDir.
  static std::string fixture(const std::string& file, const std::string& bytes) {
    const fs::path path = folder() / file;
    std::ofstream(path, std::ios::binary) << bytes;
    return fs::relative(path, dataDir).generic_string();
  }

  static Lines lines(const std::string& name) {
    Lines result = {"stale"};
    EXPECT_TRUE(InputFile_Lines(name.c_str(), result));
    return result;
  }
};

TEST(SplitLine, FieldRules) {
  std::vector<std::string> fields = {"stale"};
  splitLine("a,b", ',', fields);
  EXPECT_EQ(fields, (Lines{"a", "b"}));
  splitLine("a,,b", ',', fields);
  EXPECT_EQ(fields, (Lines{"a", "", "b"}));
  splitLine("a,", ',', fields);
  EXPECT_EQ(fields, (Lines{"a"}));
  splitLine(",a", ',', fields);
  EXPECT_EQ(fields, (Lines{"", "a"}));
  splitLine(",", ',', fields);
  EXPECT_EQ(fields, (Lines{""}));
  splitLine(",,", ',', fields);
  EXPECT_EQ(fields, (Lines{"", ""}));
  splitLine("", ',', fields);
  EXPECT_TRUE(fields.empty());
  splitLine("whole line", ',', fields);
  EXPECT_EQ(fields, (Lines{"whole line"}));
  splitLine("1  2", ' ', fields);
  EXPECT_EQ(fields, (Lines{"1", "", "2"}));
  splitLine("0 1 0 ", ' ', fields);
  EXPECT_EQ(fields, (Lines{"0", "1", "0"}));
}

TEST_F(TextInput, LinesFollowLineFeeds) {
  EXPECT_EQ(lines(fixture("last_without_lf.txt", "a\nb")), (Lines{"a", "b"}));
  EXPECT_EQ(lines(fixture("last_with_lf.txt", "a\nb\n")), (Lines{"a", "b"}));
  EXPECT_EQ(lines(fixture("empty_middle.txt", "a\n\nb\n")), (Lines{"a", "", "b"}));
  EXPECT_EQ(lines(fixture("only_lf.txt", "\n")), (Lines{""}));
  EXPECT_EQ(lines(fixture("zero_bytes.txt", "")), Lines{});
}

TEST_F(TextInput, CarriageReturnBeforeLineFeedBelongsToTheLineEnd) {
  const std::string lf = "1,2\n\n3,4\nend";
  const std::string crlf = "1,2\r\n\r\n3,4\r\nend";
  EXPECT_EQ(lines(fixture("crlf.txt", crlf)), lines(fixture("lf.txt", lf)));
  EXPECT_EQ(lines(fixture("crlf.txt", crlf)), (Lines{"1,2", "", "3,4", "end"}));
  // A carriage return elsewhere is an ordinary character.
  EXPECT_EQ(lines(fixture("inner_cr.txt", "a\rb\n")), (Lines{"a\rb"}));
}

TEST_F(TextInput, TableRowsStandForLines) {
  Table table = {{"stale"}};
  ASSERT_TRUE(
      InputFile_Table(fixture("table.txt", "1,2,3\r\n\r\n4,,6\r\n7,\n,8").c_str(), ',', table));
  const Table expected = {{"1", "2", "3"}, {}, {"4", "", "6"}, {"7"}, {"", "8"}};
  EXPECT_EQ(table, expected);

  ASSERT_TRUE(InputFile_Table(fixture("empty_table.txt", "").c_str(), ',', table));
  EXPECT_TRUE(table.empty());
}

TEST_F(TextInput, MissingFileIsReportedAndChangesNothing) {
  const std::string name = fixture("present.txt", "x") + ".missing";
  const std::string expectedMessage =
      std::string(CAPTION_INPUT_FILE_LINES) + ": " + dataDir + name + "を開けません\n";

  Lines lines = {"old"};
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(InputFile_Lines(name.c_str(), lines));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), expectedMessage);
  EXPECT_TRUE(lines.empty());

  const Table before = {{"1", "2"}, {}, {"3"}};
  Table table = before;
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(InputFile_Table(name.c_str(), ',', table));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), expectedMessage);
  EXPECT_EQ(table, before);
}

TEST(Message, OneLineWithCaptionOnStandardError) {
  ::testing::internal::CaptureStderr();
  showMessage(MSG_UNDELIVERABLE, CAPTION_DELIVER);
  showMessage(std::string(MSG_ERROR), CAPTION_SWITCH_EVALUATE);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "vec_to_locus_deliver: この初速度ではプレイエリアに届きません\n"
            "switchEvaluate: error\n");
  EXPECT_STREQ(CAPTION_SET_E, "setE switch (pruningType_m)");
  EXPECT_EQ(std::string(MSG_CANNOT_OPEN).size(), 18u);  // six characters of three bytes
}

TEST(DataDir, AbsoluteWithTrailingSlash) {
  ASSERT_FALSE(dataDir.empty());
  EXPECT_EQ(dataDir.front(), '/');
  EXPECT_EQ(dataDir.back(), '/');
  EXPECT_EQ(dataDir, VARROWMERE_TEST_DATA_DIR);
}

}  // namespace
}  // namespace varrowmere
