// The referee program end to end, with fake players written as shell scripts.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

class Referee : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/varrowmere-referee-test-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_m = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(folder_m); }

  std::string script(const std::string& name, const std::string& onGo) {
    const std::string path = folder_m + "/" + name;
    std::ofstream file(path);
    file << "#!/bin/sh\nwhile IFS= read -r line; do\n  case \"$line\" in\n"
            "    ISREADY*) printf 'READYOK' ;;\n    GO*) "
         << onGo << " ;;\n  esac\ndone\n";
    file.close();
    ::chmod(path.c_str(), 0755);
    return path;
  }

  // Runs the referee with `arguments`; returns its standard output, sets status and seconds.
  std::string run(const std::string& arguments) {
    const auto start = std::chrono::steady_clock::now();
    const std::string command = std::string(VARROWMERE_MATCH_PATH) + " " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string out;
    char block[4096];
    std::size_t n = 0;
    while ((n = std::fread(block, 1, sizeof(block), pipe)) > 0) out.append(block, n);
    const int raw = ::pclose(pipe);
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return out;
  }

  std::string folder_m;
  int status = -1;
  double seconds = 0.0;
};

int lines(const std::string& path) {
  std::ifstream file(path);
  int n = 0;
  for (std::string line; std::getline(file, line);) ++n;
  return n;
}

}  // namespace

TEST_F(Referee, FailingPlayersLoseWithTheirReasonAndTheRefereeEnds) {
  const std::string quitter = script("quitter", "exit 3");
  std::string out = run("--red " + quitter + " --yellow draw --ends 1 --time 2 --seed 1");
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find("red forfeits: exited with status 3 while thinking"), std::string::npos)
      << out;
  EXPECT_LT(seconds, 10.0);

  // Yellow (the hammer, second stone) sleeps past a one-second budget.
  const std::string sleeper = script("sleeper", "sleep 30; printf 'BESTSHOT 0 0 0'");
  out = run("--red draw --yellow " + sleeper + " --ends 1 --time 1 --seed 1");
  EXPECT_NE(out.find("yellow forfeits: ran out of thinking time"), std::string::npos) << out;
  EXPECT_LT(seconds, 10.0);

  const std::string talker = script("talker", "printf 'I resign'");
  out = run("--red " + talker + " --yellow takeout --ends 1 --time 2 --seed 1");
  EXPECT_NE(out.find("red forfeits: answered GO with \"I resign\""), std::string::npos) << out;

  out = run("--ends 0");
  EXPECT_EQ(status, 2);
  EXPECT_NE(out.find("--ends"), std::string::npos) << out;

  // A log that is not one is refused with its line, and no page is written.
  out = run("--replay " + quitter + " --html " + folder_m + "/page.html");
  EXPECT_EQ(status, 1);
  EXPECT_NE(out.find("quitter: line 1: "), std::string::npos) << out;
  EXPECT_FALSE(std::filesystem::exists(folder_m + "/page.html"));
}

TEST_F(Referee, GameWritesLineScoreboardPicturesAndLog) {
  const std::string zero = script("zero", "printf 'BESTSHOT 0.000000 0.000000 0'");
  const std::string svg = folder_m + "/pictures", log = folder_m + "/game.jsonl";
  const std::string out = run("--red " + zero + " --yellow draw --ends 2 --time 2 --seed 5 --svg " +
                              svg + " --log " + log);
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find("end 1 shot  1  red"), std::string::npos) << out;
  EXPECT_NE(out.find("end 2 shot 16  red"), std::string::npos) << out;
  EXPECT_NE(out.find("(* has the hammer next)"), std::string::npos) << out;
  EXPECT_NE(out.find("yellow wins"), std::string::npos) << out;
  EXPECT_TRUE(std::filesystem::exists(svg + "/game01-end01.svg"));
  EXPECT_TRUE(std::filesystem::exists(svg + "/game01-end02.svg"));
  // The start, 32 shots, 2 ends and the game.
  EXPECT_EQ(lines(log), 36);
}

TEST_F(Referee, SeveralGamesEndWithTheSummary) {
  const std::string out = run("--red draw --yellow draw --ends 1 --games 3 --quiet --seed 9");
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find("game 3/3"), std::string::npos) << out;
  EXPECT_NE(out.find("over 3 games"), std::string::npos) << out;
  EXPECT_NE(out.find("95% interval"), std::string::npos) << out;
  EXPECT_EQ(out.find("shot  1"), std::string::npos) << "quiet prints no shots";
}
