#include "driver/options.h"

#include <gtest/gtest.h>

#include <vector>

namespace varrowmere {
namespace {

TEST(PlayerOptions, ReadsThreadsSeedAndDepthAndReportsTheRest) {
  constexpr int32_t D = DEFAULT_SEARCH_THREADS;
  constexpr PlayerAction P = PlayerAction::Play;
  struct Case {
    std::vector<const char*> args;
    int32_t threads;
    bool seeded;
    uint32_t seed;
    bool clean;
    int32_t depth = 0;
    PlayerAction action = P;
  };
  const Case cases[] = {
      {{}, D, false, 0, true},
      {{"--threads", "0"}, 0, false, 0, true},
      {{"--threads", "5", "--seed", "4294967295"}, 5, true, 4294967295u, true},
      {{"--threads", "-1"}, D, false, 0, false},
      {{"--threads", "2x"}, D, false, 0, false},
      {{"--threads", "1025"}, D, false, 0, false},
      {{"--seed", "4294967296"}, D, false, 0, false},
      // A missing value does not swallow the next option.
      {{"--seed", "--threads", "3"}, 3, false, 0, false},
      {{"--fast", "--seed", "7"}, D, true, 7, false},
      {{"--depth", "1"}, D, false, 0, true, 1},
      {{"--depth", "0"}, D, false, 0, false},
      {{"--depth", "3", "--depth", "2"}, D, false, 0, false, 2},
      // The first of --help and --version wins; the other options are still read.
      {{"--seed", "3", "--version", "--help"}, D, true, 3, true, 0, PlayerAction::ShowVersion},
      {{"-h", "--help"}, D, false, 0, false, 0, PlayerAction::ShowHelp},
  };
  for (const Case& c : cases) {
    std::vector<const char*> argv = {"varrowmere"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    SCOPED_TRACE(argv.size() > 1 ? argv[1] : "(none)");
    PlayerOptions options;
    testing::internal::CaptureStderr();
    EXPECT_EQ(parsePlayerOptions(static_cast<int>(argv.size()), argv.data(), options), c.clean);
    EXPECT_EQ(testing::internal::GetCapturedStderr().empty(), c.clean);
    EXPECT_EQ(options.threads, c.threads);
    EXPECT_EQ(options.seeded, c.seeded);
    EXPECT_EQ(options.seed, c.seed);
    EXPECT_EQ(options.depth, c.depth);
    EXPECT_EQ(options.action, c.action);
  }
}

}  // namespace
}  // namespace varrowmere
