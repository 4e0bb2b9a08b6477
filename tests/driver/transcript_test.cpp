// The built player on pipes, byte for byte: every transcripts/*.txt is played against it, then
// its input ends and it must exit with status 0. Lines: "# ..." a comment; "> TEXT" TEXT and a
// line feed in one write; ">| TEXT" TEXT alone; "< TEXT" TEXT expected back right after the
// replies before it; "< {BESTSHOT}" one "BESTSHOT %f %f %d" of finite numbers, spin 0 or 1.
// In TEXT, \n \r \t \s \0 and \\ stand for line feed, carriage return, tab, space, a zero byte
// and backslash.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/player_process.h"

namespace varrowmere::testing {
namespace {

constexpr char TRANSCRIPTS[] = VARROWMERE_TEST_SOURCE_DIR "/driver/transcripts";

std::string unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i] == '\\' && i + 1 < text.size() ? text[++i] : '\0';
    const std::string codes = "nrts0\\", values("\n\r\t \0\\", 6);
    out += c == '\0' ? text[i] : values.at(codes.find(c));
  }
  return out;
}

// Plays one transcript; an empty result means the player wrote exactly what it expects.
std::string replay(const std::filesystem::path& path) {
  PlayerProcess player;
  if (!player.started()) return "player did not start";
  std::ifstream file(path);
  std::vector<std::string> expected;
  for (std::string line; std::getline(file, line);) {
    if (line.rfind(">| ", 0) == 0 || line.rfind("> ", 0) == 0) {
      const bool alone = line[1] == '|';
      player.send(unescape(line.substr(alone ? 3 : 2)) + (alone ? "" : "\n"));
    } else if (line.rfind("< ", 0) == 0) {
      expected.push_back(unescape(line.substr(2)));
    } else if (!line.empty() && line[0] != '#') {
      return "not a transcript line: " + line;
    }
  }
  player.closeInput();
  if (!player.readToEnd(FIRST_REPLY_DEADLINE)) return "output did not end";
  const std::string& out = player.output();
  std::size_t pos = 0;
  for (const std::string& reply : expected) {
    const auto shot = matchBestShot(out, pos);
    if (reply == "{BESTSHOT}" ? !shot : out.compare(pos, reply.size(), reply) != 0)
      return "expected " + reply + " at byte " + std::to_string(pos) + " of: " + out;
    pos = reply == "{BESTSHOT}" ? *shot : pos + reply.size();
  }
  if (pos != out.size()) return "unexpected bytes from byte " + std::to_string(pos) + ": " + out;
  return player.waitExit(EXIT_DEADLINE) == 0 ? "" : "no exit with status 0";
}

TEST(ProtocolTranscripts, EveryTranscriptReplaysExactly) {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(TRANSCRIPTS)) {
    EXPECT_EQ(replay(entry.path()), "") << entry.path().filename();
    ++count;
  }
  EXPECT_GE(count, 2);
}

TEST(PlayerProcess, LongLinesAcrossReadBlocksAndNonBlockingPipes) {
  // A player that takes EAGAIN for the end of its input quits while nothing has come yet.
  PlayerProcess player(/*nonBlocking=*/true);
  ASSERT_TRUE(player.started());
  ASSERT_FALSE(player.waitExit(std::chrono::milliseconds(300))) << "quit on an idle pipe";
  // 1023 bytes is the longest line kept, one more drops it; the lines straddle 1024-byte reads.
  const std::string kept = "ISREADY" + std::string(1023 - 7, ' ');
  ASSERT_TRUE(player.send("NEWGAME\n" + kept + "\n" + kept + " \nisready\n"));
  player.closeInput();
  ASSERT_TRUE(player.readToEnd(FIRST_REPLY_DEADLINE));
  EXPECT_EQ(player.output(), "READYOKREADYOK");
  EXPECT_EQ(player.waitExit(EXIT_DEADLINE), 0);
}

// A person at a terminal: --help and --version print and exit at once, without reading.
TEST(PlayerProcess, HelpAndVersionPrintAndExitWithStatusZero) {
  for (const char* option : {"--help", "--version"}) {
    SCOPED_TRACE(option);
    process::ProcessDriver player;
    std::string failure;
    ASSERT_TRUE(player.startProgram(VARROWMERE_PLAYER_PATH, failure, false, {option})) << failure;
    const auto never = [](const std::string&) { return false; };
    EXPECT_EQ(player.readUntil(never, process::Clock::now() + FIRST_REPLY_DEADLINE),
              process::ReadResult::Ended);
    EXPECT_EQ(player.waitExit(EXIT_DEADLINE), 0);
    const std::string& text = player.output();
    EXPECT_EQ(text.rfind("varrowmere " VARROWMERE_VERSION, 0), 0u) << text;
    if (option[2] == 'v') {
      EXPECT_EQ(text, "varrowmere " VARROWMERE_VERSION "\n");
    } else {
      for (const char* word : {"game server", "standard input", "--threads", "--seed"})
        EXPECT_NE(text.find(word), std::string::npos) << word;
    }
  }
}

}  // namespace
}  // namespace varrowmere::testing
