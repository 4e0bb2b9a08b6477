// The scripts' test (parallel_runs.sh) as a test program, so that faults planted in the scripts
// are caught like any other; it needs the Release programs it compares them with.

#include <gtest/gtest.h>

#include <string>

#include "support/player_process.h"

TEST(ParallelScripts, MergeAndTabulateWhatTheProgramsPlayByHand) {
  const std::string script = VARROWMERE_TEST_SOURCE_DIR "/scripts/parallel_runs.sh";
  EXPECT_EQ(varrowmere::testing::runShell("bash " + script + " " VARROWMERE_TEST_BINARY_DIR "/..",
                                          std::chrono::seconds(190)),
            0);
}
