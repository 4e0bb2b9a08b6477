// Golden protocol transcripts: every tests/driver/transcripts/*.txt is played against the
// built player, and the bytes it writes back must be exactly the expected ones.
//
// Transcript lines:
//   # ...        a comment; empty lines are skipped too
//   > TEXT       TEXT and a line feed, sent in one write
//   >| TEXT      TEXT alone, sent in one write (for several lines in one block, CR endings)
//   < TEXT       TEXT expected back, byte for byte, right after what was expected before
//   < {BESTSHOT} one BESTSHOT reply with finite numbers; its numbers depend on the decision
// In TEXT, \n \r \t and \\ stand for line feed, carriage return, tab and backslash, and a
// trailing space is written \s. The input ends after the last line; the player must then
// exit with status 0.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/player_process.h"

namespace varrowmere::testing {
namespace {

namespace fs = std::filesystem;

struct Expected {
  bool bestShot = false;
  std::string bytes;
};

struct Transcript {
  std::vector<std::string> writes;
  std::vector<Expected> replies;
  std::string error;
};

std::string unescape(const std::string& text, std::string& error) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    const char code = i + 1 < text.size() ? text[++i] : '\0';
    switch (code) {
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 't':
        out += '\t';
        break;
      case 's':
        out += ' ';
        break;
      case '\\':
        out += '\\';
        break;
      default:
        error = "unknown escape in: " + text;
    }
  }
  return out;
}

Transcript parseTranscript(const fs::path& path) {
  Transcript transcript;
  std::ifstream file(path);
  std::string line;
  int number = 0;
  while (std::getline(file, line)) {
    ++number;
    if (line.empty() || line[0] == '#') continue;
    std::string problem;
    if (line.rfind(">| ", 0) == 0) {
      transcript.writes.push_back(unescape(line.substr(3), problem));
    } else if (line.rfind("> ", 0) == 0) {
      transcript.writes.push_back(unescape(line.substr(2), problem) + "\n");
    } else if (line == "< {BESTSHOT}") {
      transcript.replies.push_back({true, {}});
    } else if (line.rfind("< ", 0) == 0) {
      transcript.replies.push_back({false, unescape(line.substr(2), problem)});
    } else {
      problem = "not a transcript line: " + line;
    }
    if (!problem.empty()) {
      transcript.error = path.filename().string() + ":" + std::to_string(number) + ": " + problem;
      break;
    }
  }
  return transcript;
}

// Checks out against the expected replies in order; an empty result means it matched.
std::string compareReplies(const std::vector<Expected>& replies, const std::string& out) {
  std::size_t pos = 0;
  for (std::size_t i = 0; i < replies.size(); ++i) {
    const Expected& reply = replies[i];
    if (reply.bestShot) {
      const auto end = matchBestShot(out, pos);
      if (!end)
        return "reply " + std::to_string(i + 1) + ": no BESTSHOT at byte " + std::to_string(pos);
      pos = *end;
    } else {
      if (out.compare(pos, reply.bytes.size(), reply.bytes) != 0)
        return "reply " + std::to_string(i + 1) + ": expected \"" + reply.bytes + "\" at byte " +
               std::to_string(pos);
      pos += reply.bytes.size();
    }
  }
  if (pos != out.size()) return "unexpected bytes from byte " + std::to_string(pos);
  return {};
}

std::vector<fs::path> transcriptFiles() {
  std::vector<fs::path> files;
  const fs::path folder = fs::path(VARROWMERE_TEST_SOURCE_DIR) / "driver" / "transcripts";
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() == ".txt") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

TEST(ProtocolTranscripts, EveryTranscriptReplaysExactly) {
  const auto files = transcriptFiles();
  ASSERT_FALSE(files.empty());
  for (const fs::path& path : files) {
    SCOPED_TRACE(path.filename().string());
    const Transcript transcript = parseTranscript(path);
    ASSERT_EQ(transcript.error, "");
    ASSERT_FALSE(transcript.writes.empty());

    PlayerProcess player;
    ASSERT_TRUE(player.started());
    for (const std::string& bytes : transcript.writes) ASSERT_TRUE(player.send(bytes));
    player.closeInput();
    ASSERT_TRUE(player.readToEnd(FIRST_REPLY_DEADLINE)) << "output did not end";
    EXPECT_EQ(compareReplies(transcript.replies, player.output()), "")
        << "player wrote: \"" << player.output() << "\"";
    EXPECT_EQ(player.waitExit(EXIT_DEADLINE), 0);
  }
}

// The checker itself must reject what the player must not write.
TEST(ProtocolTranscripts, ReplyCheckerRejectsNearMisses) {
  const std::vector<Expected> ready = {{false, "READYOK"}};
  EXPECT_EQ(compareReplies(ready, "READYOK"), "");
  EXPECT_NE(compareReplies(ready, "READYOK\n"), "");
  EXPECT_NE(compareReplies(ready, "READYOKREADYOK"), "");
  EXPECT_NE(compareReplies(ready, "READYO"), "");

  const std::vector<Expected> shot = {{true, {}}, {false, "READYOK"}};
  EXPECT_EQ(compareReplies(shot, "BESTSHOT 0.000000 0.000000 0READYOK"), "");
  EXPECT_EQ(compareReplies(shot, "BESTSHOT -0.123456 -29.500000 1READYOK"), "");
  EXPECT_NE(compareReplies(shot, "BESTSHOT 0.000000 0.000000 2READYOK"), "");
  EXPECT_NE(compareReplies(shot, "BESTSHOT 0.000000 0.000000 10READYOK"), "");
  EXPECT_NE(compareReplies(shot, "BESTSHOT nan 0.000000 0READYOK"), "");
  EXPECT_NE(compareReplies(shot, "BESTSHOT inf -inf 0READYOK"), "");
  EXPECT_NE(compareReplies(shot, "BESTSHOT 0.00000 0.000000 0READYOK"), "");
  EXPECT_NE(compareReplies(shot, "BESTSHOT 0.000000 0.000000 0\nREADYOK"), "");
  EXPECT_NE(compareReplies(shot, "BESTSHOT  0.000000 0.000000 0READYOK"), "");
}

}  // namespace
}  // namespace varrowmere::testing
