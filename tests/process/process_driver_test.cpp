#include "process_driver.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/time.h>

#include <fstream>
#include <thread>

namespace varrowmere::process {
namespace {

// Bit 11 (O_NONBLOCK, octal 04000) of the flags of the child's input.
constexpr char NONBLOCK_BIT[] =
    "f=$(sed -n 's/^flags:[[:space:]]*//p' /proc/self/fdinfo/0); echo $(((0$f >> 11) & 1))";

// Command (/bin/sh -c), non-blocking pipe ends, bytes of 'x' sent before the input closes, bytes
// the read waits for (0: the end of output; 0.3 s if it times out, else 10 s; it looks every 5 ms,
// slower than yes writes), how it ends, what was read (timed out: its start), the exit status.
using R = ReadResult;
const struct Case {
  const char* command;
  bool nonBlocking;
  std::size_t inputBytes, wantBytes;
  ReadResult result;
  std::string output;
  std::optional<int> exit;
} CASES[] = {
    {"wc -c | tr -d ' '", false, 1000000, 0, R::Ended, "1000000\n", 0},
    {"head -c 100000 /dev/zero | tr '\\0' x", false, 0, 0, R::Ended, std::string(100000, 'x'), 0},
    {"printf READY; sleep 0.2; printf OK; sleep 30", false, 0, 7, R::Arrived, "READYOK", {}},
    {"exec sleep 30", false, 0, 0, R::Timeout, "", {}},
    {"yes | head -c 1000000", false, 0, 0, R::Timeout, "y\n", 0},  // no pause
    {"exit 3", false, 0, 0, R::Ended, "", 3},
    {"kill -9 $$", false, 0, 0, R::Ended, "", 128 + 9},
    {NONBLOCK_BIT, false, 0, 0, R::Ended, "0\n", 0},
    {NONBLOCK_BIT, true, 0, 0, R::Ended, "1\n", 0},
};

// Then a timer interrupting every millisecond makes polls, reads, writes and waits meet EINTR.
TEST(ProcessDriver, BytesDeadlinesAndExitStatusesWithAndWithoutInterrupts) {
  struct sigaction action = {};
  action.sa_handler = [](int) {};
  itimerval every = {{0, 1000}, {0, 1000}}, off = {};
  for (const bool interrupted : {false, true}) {
    if (interrupted) ::sigaction(SIGALRM, &action, nullptr);
    ::setitimer(ITIMER_REAL, interrupted ? &every : &off, nullptr);
    for (const Case& c : CASES) {
      SCOPED_TRACE(std::string(c.command) + (interrupted ? ", interrupted" : ""));
      ProcessDriver driver;
      std::string failure;
      ASSERT_TRUE(driver.startShell(c.command, failure, c.nonBlocking)) << failure;
      EXPECT_TRUE(driver.send(std::string(c.inputBytes, 'x')));
      driver.closeInput();
      const auto start = Clock::now();
      const auto enough = [&c](auto& o) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return c.wantBytes && o.size() >= c.wantBytes;
      };
      const bool timedOut = c.result == ReadResult::Timeout;
      EXPECT_EQ(driver.readUntil(enough, start + durationOf(timedOut ? 0.3 : 10.0)), c.result);
      const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
      EXPECT_EQ(driver.output().substr(0, timedOut ? c.output.size() : size_t(-1)), c.output);
      EXPECT_TRUE(timedOut ? seconds >= 0.3 && seconds < 0.8 : seconds < 5.0) << seconds;
      EXPECT_EQ(driver.finish(durationOf(0.2)), c.exit);
    }
  }
  ::setitimer(ITIMER_REAL, &off, nullptr);
}

// The sleep would hold the output open, but the group ends with the shell. A program starts
// without a shell (pid() is its own); writing to a child that has gone fails, without SIGPIPE.
TEST(ProcessDriver, GroupsEndTogetherAndProgramsStartWithoutAShell) {
  ProcessDriver driver;
  std::string failure;
  ASSERT_TRUE(driver.startShell("sleep 30 & exit 5", failure)) << failure;
  EXPECT_EQ(driver.waitExit(durationOf(5.0)), 5);
  EXPECT_EQ(driver.readUntil([](auto&) { return false; }, Clock::now() + durationOf(2)), R::Ended);
  ASSERT_TRUE(driver.startProgram("/bin/cat", failure) && driver.send("abc")) << failure;
  const auto echoed = [](const std::string& out) { return out == "abc"; };
  EXPECT_EQ(driver.readUntil(echoed, Clock::now() + durationOf(5.0)), R::Arrived);
  std::ifstream comm("/proc/" + std::to_string(driver.pid()) + "/comm");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(comm), {}), "cat\n");
  EXPECT_EQ(driver.finish(durationOf(5.0)), 0);
  ASSERT_TRUE(driver.startShell("exit 0", failure) && driver.waitExit(durationOf(5.0)) == 0);
  EXPECT_FALSE(driver.send("GO\n"));
}

}  // namespace
}  // namespace varrowmere::process
