#include "driver/options.h"

#include <gtest/gtest.h>

#include <vector>

namespace varrowmere {
namespace {

TEST(PlayerOptions, ReadsThreadsAndSeedAndReportsTheRest) {
  struct Case {
    std::vector<const char*> args;
    int32_t threads;
    bool seeded;
    uint32_t seed;
    bool clean;
  };
  const Case cases[] = {
      {{}, DEFAULT_SEARCH_THREADS, false, 0, true},
      {{"--threads", "0"}, 0, false, 0, true},
      {{"--threads", "5", "--seed", "4294967295"}, 5, true, 4294967295u, true},
      {{"--threads", "-1"}, DEFAULT_SEARCH_THREADS, false, 0, false},
      {{"--threads", "2x"}, DEFAULT_SEARCH_THREADS, false, 0, false},
      {{"--threads", "1025"}, DEFAULT_SEARCH_THREADS, false, 0, false},
      {{"--seed", "4294967296"}, DEFAULT_SEARCH_THREADS, false, 0, false},
      // A missing value does not swallow the next option.
      {{"--seed", "--threads", "3"}, 3, false, 0, false},
      {{"--fast", "--seed", "7"}, DEFAULT_SEARCH_THREADS, true, 7, false},
  };
  for (const Case& c : cases) {
    std::vector<const char*> argv = {"varrowmere"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    PlayerOptions options;
    testing::internal::CaptureStderr();
    const bool clean = parsePlayerOptions(static_cast<int>(argv.size()), argv.data(), options);
    const std::string messages = testing::internal::GetCapturedStderr();
    const std::string what = c.args.empty() ? "(none)" : c.args[0];
    EXPECT_EQ(clean, c.clean) << what;
    EXPECT_EQ(messages.empty(), c.clean) << what << ": " << messages;
    EXPECT_EQ(options.threads, c.threads) << what;
    EXPECT_EQ(options.seeded, c.seeded) << what;
    EXPECT_EQ(options.seed, c.seed) << what;
  }
}

}  // namespace
}  // namespace varrowmere
