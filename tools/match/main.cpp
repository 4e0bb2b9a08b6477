// varrowmere-match: the referee. Starts two players, plays games between them through the
// protocol with the reference simulation and delivery noise, and reports the result.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <vector>

#include "builtin_player.h"
#include "game.h"
#include "house_svg.h"
#include "match_console.h"
#include "match_log.h"
#include "match_log_reader.h"
#include "match_options.h"
#include "match_stats.h"
#include "physics/motion.h"
#include "physics/reference_sim.h"
#include "process_player.h"
#include "replay_page.h"
#include "tables/message.h"

using namespace varrowmere;
using namespace varrowmere::match;

namespace {

constexpr char CAPTION[] = "varrowmere-match";

std::string shellQuoted(const std::string& path) {
  std::string out = "'";
  for (char c : path) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// The built player: next to this program, else where the build put it.
std::string defaultPlayer() {
  std::error_code error;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) {
    const auto beside = self.parent_path() / "varrowmere";
    if (::access(beside.c_str(), X_OK) == 0) return shellQuoted(beside.string());
  }
  return shellQuoted(VARROWMERE_PLAYER_PATH);
}

// The built player gets the match's seed for its random choice, so that the seed replays
// the whole game; a command line given by the user runs as it is.
std::unique_ptr<Player> makePlayer(const std::string& what, const MatchOptions& options,
                                   uint64_t seed) {
  if (auto builtin = makeBuiltinPlayer(what)) return builtin;
  if (what.empty()) {
    const std::string command = defaultPlayer() + " --seed " + std::to_string(uint32_t(seed));
    return std::make_unique<ProcessPlayer>(command, options.readyTimeout, "varrowmere");
  }
  return std::make_unique<ProcessPlayer>(what, options.readyTimeout);
}

// Makes the folder a file is to be written into.
void makeFolderOf(const std::string& path) {
  const auto folder = std::filesystem::path(path).parent_path();
  std::error_code made;
  if (!folder.empty()) std::filesystem::create_directories(folder, made);
}

void printPage(const ReplayPageWriter& page, const std::string& path) {
  if (page.written())
    std::printf("replay page (%zu bytes) in %s\n", page.size(),
                std::filesystem::absolute(path).c_str());
}

// --replay: the page of a log written earlier.
int replay(const MatchOptions& options) {
  std::ifstream in(options.replayLog);
  std::vector<LoggedGame> games;
  std::string error;
  if (!in) error = "cannot be opened";
  if (!error.empty() || !readMatchLog(in, games, error)) {
    showMessage(options.replayLog + ": " + error, CAPTION);
    return 1;
  }
  makeFolderOf(options.htmlFile);
  ReplayPageWriter page(options.htmlFile);
  replayGames(games, page);
  printPage(page, options.htmlFile);
  return page.written() ? 0 : 1;
}

uint64_t randomSeed() {
  std::random_device device;
  return (uint64_t(device()) << 32) ^ device();
}

void printSummary(const std::vector<GameResult>& results, const std::string names[PLAYER_COUNT],
                  double wallSeconds) {
  const MatchSummary s = summarize(results);
  double thinking[PLAYER_COUNT] = {};
  for (const GameResult& g : results)
    for (int p = 0; p < PLAYER_COUNT; ++p) thinking[p] += g.seconds[p];
  std::printf("\n%s against %s over %d games:\n", playerLabel(0, names[0]).c_str(),
              playerLabel(1, names[1]).c_str(), s.games);
  std::printf("  red: %d wins, %d losses, %d draws\n", s.wins, s.losses, s.draws);
  std::printf("  mean score difference (red - yellow): %+.3f, 95%% interval %+.3f .. %+.3f\n",
              s.meanDifference, s.meanDifference - s.halfWidth, s.meanDifference + s.halfWidth);
  std::printf("  per game: %.1f s wall time, thinking red %.1f s, yellow %.1f s\n",
              wallSeconds / s.games, thinking[0] / s.games, thinking[1] / s.games);
}

}  // namespace

int main(int argc, char** argv) {
  process::installSignalHandlers();
  MatchOptions options;
  std::string error;
  if (!parseOptions(argc, argv, options, error)) {
    showMessage(error, CAPTION);
    std::fputs(usageText().c_str(), stderr);
    return 2;
  }
  if (options.help) {
    std::fputs(usageText().c_str(), stdout);
    return 0;
  }

  if (!options.replayLog.empty()) return replay(options);

  buildChordTable();
  buildTrajectoryTables();
  const NoiseSigmas sigmas = deriveNoiseSigmas();
  const uint64_t seed = options.seedGiven ? options.seed : randomSeed();
  DeliveryNoise noise(sigmas, options.noise, seed);
  std::printf("seed %llu; delivery noise x%g: speed sigma %.4f m/s, direction sigma %.5f rad\n",
              static_cast<unsigned long long>(seed), options.noise, sigmas.speed * options.noise,
              sigmas.angle * options.noise);

  std::unique_ptr<Player> players[PLAYER_COUNT] = {makePlayer(options.red, options, seed),
                                                   makePlayer(options.yellow, options, seed)};
  Player* const active[PLAYER_COUNT] = {players[0].get(), players[1].get()};
  const std::string names[PLAYER_COUNT] = {players[0]->name(), players[1]->name()};

  ObserverList observers;
  ConsoleReport console(stdout, names, options.ends, options.quiet, options.games);
  observers.add(&console);
  std::unique_ptr<HousePictures> pictures;
  if (!options.svgFolder.empty()) {
    std::error_code made;
    std::filesystem::create_directories(options.svgFolder, made);
    pictures = std::make_unique<HousePictures>(options.svgFolder, names);
    observers.add(pictures.get());
  }
  std::unique_ptr<ReplayPageWriter> page;
  if (!options.htmlFile.empty()) {
    makeFolderOf(options.htmlFile);
    page = std::make_unique<ReplayPageWriter>(options.htmlFile);
    observers.add(page.get());
  }
  std::ofstream logFile;
  std::unique_ptr<MatchLog> log;
  if (!options.logFile.empty()) {
    makeFolderOf(options.logFile);
    logFile.open(options.logFile);
    if (!logFile) {
      showMessage(options.logFile + " cannot be written", CAPTION);
      return 1;
    }
    log = std::make_unique<MatchLog>(logFile);
    observers.add(log.get());
  }
  std::vector<GameResult> results;
  const auto start = std::chrono::steady_clock::now();
  for (int g = 0; g < options.games; ++g) {
    GameSettings settings;
    settings.game = g;
    settings.ends = options.ends;
    settings.thinkingTime = options.thinkingTime;
    // The first game's first hammer is --hammer's (yellow unless told), the next game's the
    // other side's, and so on.
    settings.firstHammer = g % 2 == 0 ? options.firstHammer : 1 - options.firstHammer;
    settings.seed = seed;
    for (int p = 0; p < PLAYER_COUNT; ++p) settings.names[p] = names[p];
    const GameResult result = playGame(active, settings, noise, observers, simulateReference);
    // A player that forfeited may be stuck mid-thought: start it afresh for the next game.
    if (result.forfeit >= 0) players[result.forfeit]->stop();
    results.push_back(result);
  }
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  for (auto& player : players) player->stop();

  if (options.games > 1) printSummary(results, names, wall);
  if (pictures)
    std::printf("%zu pictures of the house in %s\n", pictures->written().size(),
                std::filesystem::absolute(options.svgFolder).c_str());
  if (log) std::printf("log in %s\n", std::filesystem::absolute(options.logFile).c_str());
  if (page) printPage(*page, options.htmlFile);
  return 0;
}
