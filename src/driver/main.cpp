// The player process: reads its options, builds its tables, then reads commands until
// standard input ends.

#include <cstdio>
#include <thread>

#include "candidates/candidates.h"
#include "driver/decision.h"
#include "driver/options.h"
#include "driver/reader.h"
#include "physics/motion.h"
#include "platform/os.h"
#include "search/search_threads.h"

int main(int argc, char** argv) {
  varrowmere::ignoreBrokenPipe();

  varrowmere::PlayerOptions options;
  varrowmere::parsePlayerOptions(argc, argv, options);
  if (options.action == varrowmere::PlayerAction::ShowHelp) {
    std::fputs(varrowmere::playerHelpText(), stdout);
    return 0;
  }
  if (options.action == varrowmere::PlayerAction::ShowVersion) {
    std::fputs(varrowmere::playerVersionText(), stdout);
    return 0;
  }
  if (options.seeded) varrowmere::seedRandomChoice(options.seed);
  varrowmere::setSearchDepth(options.depth);
  varrowmere::setStrongMode(options.strong);
  varrowmere::setSearchThreads(options.threads);

  varrowmere::tuneAllocator();

  // Start-up tables, in this order, before the first command is read; read-only afterwards.
  varrowmere::buildChordTable();
  varrowmere::buildTrajectoryTables();
  varrowmere::buildCandidateTables();

  std::thread reader(varrowmere::readerThread);
  reader.join();
  return 0;
}
