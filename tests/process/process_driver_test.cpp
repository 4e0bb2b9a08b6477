// The process driver against small shell children: every byte arrives, deadlines hold, exit
// statuses come back and the process group ends, also while a timer interrupts every wait.

#include "process_driver.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/time.h>

#include <fstream>
#include <string>

namespace varrowmere::process {
namespace {

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Case {
  const char* what;
  const char* command;  // run through /bin/sh -c
  bool nonBlocking;
  std::size_t inputBytes;  // of 'x', sent in one call before the input is closed
  double readSeconds;      // deadline of the read
  std::size_t wantBytes;   // the read waits for this many bytes; 0: for the end of output
  ReadResult result;
  std::string output;       // all that was read; after a timeout, what it starts with
  std::optional<int> exit;  // from finish; nothing when the child had to be killed
};

// Non-blocking mode is bit 11 (O_NONBLOCK, octal 04000) of the flags of the child's input.
constexpr char NONBLOCK_BIT[] =
    "f=$(sed -n 's/^flags:[[:space:]]*//p' /proc/self/fdinfo/0); echo $(((0$f >> 11) & 1))";

const Case CASES[] = {
    {"a long input reaches the child whole", "wc -c | tr -d ' '", false, 1000000, 10.0, 0,
     ReadResult::Ended, "1000000\n", 0},
    {"a long output arrives whole", "head -c 300000 /dev/zero | tr '\\0' x", false, 0, 10.0, 0,
     ReadResult::Ended, std::string(300000, 'x'), 0},
    {"a reply in two writes without a terminator", "printf READY; sleep 0.2; printf OK; sleep 30",
     false, 0, 10.0, 7, ReadResult::Arrived, "READYOK", std::nullopt},
    {"a silent child is left at the deadline", "exec sleep 30", false, 0, 0.3, 0,
     ReadResult::Timeout, "", std::nullopt},
    {"a child that writes on is left at the deadline",
     "i=0; while [ $i -lt 300 ]; do printf x; sleep 0.01; i=$((i+1)); done", false, 0, 0.3, 0,
     ReadResult::Timeout, "x", std::nullopt},
    {"an exit status", "exit 3", false, 0, 10.0, 0, ReadResult::Ended, "", 3},
    {"a death by a signal", "kill -9 $$", false, 0, 10.0, 0, ReadResult::Ended, "", 128 + 9},
    {"blocking pipes", NONBLOCK_BIT, false, 0, 10.0, 0, ReadResult::Ended, "0\n", 0},
    {"non-blocking pipes", NONBLOCK_BIT, true, 0, 10.0, 0, ReadResult::Ended, "1\n", 0},
};

struct Outcome {
  bool started = false, sent = false;
  ReadResult result = ReadResult::Ended;
  double seconds = 0.0;
  std::string output;
  std::optional<int> exit;
};

// With `interrupted`, a timer interrupts this process every millisecond (handled, without
// SA_RESTART), so that polls, reads, writes and waits all meet EINTR and short counts.
Outcome run(const Case& c, bool interrupted) {
  struct sigaction action = {}, previous = {};
  action.sa_handler = [](int) {};
  itimerval every = {{0, 1000}, {0, 1000}}, off = {};
  if (interrupted) {
    ::sigaction(SIGALRM, &action, &previous);
    ::setitimer(ITIMER_REAL, &every, nullptr);
  }
  Outcome o;
  ProcessDriver driver;
  std::string failure;
  o.started = driver.startShell(c.command, failure, c.nonBlocking);
  o.sent = driver.send(std::string(c.inputBytes, 'x'));
  driver.closeInput();
  const auto start = Clock::now();
  const auto enough = [&c](const std::string& out) {
    return c.wantBytes > 0 && out.size() >= c.wantBytes;
  };
  o.result = driver.readUntil(enough, start + durationOf(c.readSeconds));
  o.seconds = secondsSince(start);
  o.output = driver.output();
  o.exit = driver.finish(durationOf(0.2));
  if (interrupted) {
    ::setitimer(ITIMER_REAL, &off, nullptr);
    ::sigaction(SIGALRM, &previous, nullptr);
  }
  return o;
}

TEST(ProcessDriver, BytesDeadlinesAndExitStatusesWithAndWithoutInterrupts) {
  for (const bool interrupted : {false, true}) {
    for (const Case& c : CASES) {
      SCOPED_TRACE(std::string(c.what) + (interrupted ? ", interrupted" : ""));
      const Outcome o = run(c, interrupted);
      ASSERT_TRUE(o.started);
      EXPECT_TRUE(o.sent);
      EXPECT_EQ(o.result, c.result);
      const bool timedOut = c.result == ReadResult::Timeout;
      EXPECT_EQ(timedOut ? o.output.substr(0, c.output.size()) : o.output, c.output);
      EXPECT_GE(o.seconds, timedOut ? c.readSeconds : 0.0);
      EXPECT_LT(o.seconds, timedOut ? c.readSeconds + 0.5 : 5.0);
      EXPECT_EQ(o.exit, c.exit);
    }
  }
}

TEST(ProcessDriver, AChildThatEndsTakesItsProcessGroupWithIt) {
  ProcessDriver driver;
  std::string failure;
  // The shell leaves at once; the sleep it started holds the output open until it is killed.
  ASSERT_TRUE(driver.startShell("sleep 30 & exit 5", failure)) << failure;
  EXPECT_EQ(driver.waitExit(durationOf(5.0)), 5);
  const auto never = [](const std::string&) { return false; };
  EXPECT_EQ(driver.readUntil(never, Clock::now() + durationOf(5.0)), ReadResult::Ended);
}

TEST(ProcessDriver, ProgramsStartWithoutAShellAndWritesToAGoneChildFail) {
  ProcessDriver driver;
  std::string failure;
  EXPECT_FALSE(driver.startProgram("/nonexistent/player", failure));
  EXPECT_EQ(failure.rfind("cannot start /nonexistent/player: ", 0), 0u) << failure;
  ASSERT_TRUE(driver.startProgram("/bin/cat", failure)) << failure;
  ASSERT_TRUE(driver.send("abc"));
  const auto echoed = [](const std::string& out) { return out.size() >= 3; };
  EXPECT_EQ(driver.readUntil(echoed, Clock::now() + durationOf(5.0)), ReadResult::Arrived);
  // It has answered, so it runs the program by now: pid() is cat's own.
  std::ifstream comm("/proc/" + std::to_string(driver.pid()) + "/comm");
  std::string name;
  EXPECT_TRUE(std::getline(comm, name) && name == "cat") << name;
  driver.closeInput();
  const auto never = [](const std::string&) { return false; };
  EXPECT_EQ(driver.readUntil(never, Clock::now() + durationOf(5.0)), ReadResult::Ended);
  EXPECT_EQ(driver.output(), "abc");
  EXPECT_EQ(driver.waitExit(durationOf(5.0)), 0);
  EXPECT_EQ(driver.exitDescription(), "exited with status 0");

  // Its input is closed once it has gone: the write fails instead of raising SIGPIPE.
  ASSERT_TRUE(driver.startShell("exit 0", failure)) << failure;
  ASSERT_EQ(driver.waitExit(durationOf(5.0)), 0);
  EXPECT_FALSE(driver.send("GO\n"));
}

}  // namespace
}  // namespace varrowmere::process
