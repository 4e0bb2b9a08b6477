// varrowmere-judge: values the shots of several players on a fixed set of last-stone positions
// under the referee's delivery noise and reference physics, paired by position.

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <thread>

#include "builtin_player.h"
#include "judge_options.h"
#include "judge_report.h"
#include "physics/motion.h"
#include "process_player.h"
#include "tables/message.h"
#include "tables/win_table.h"

using namespace varrowmere;
using namespace varrowmere::judge;

namespace {

constexpr char CAPTION[] = "varrowmere-judge";
// Least time between two progress lines (s).
constexpr double PROGRESS_INTERVAL = 10.0;

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string shellQuoted(const std::string& path) {
  std::string out = "'";
  for (char c : path) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// The built player: next to this program, else where the build put it.
std::string builtPlayer() {
  std::error_code error;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) {
    const auto beside = self.parent_path() / BUILT_PLAYER;
    if (::access(beside.c_str(), X_OK) == 0) return shellQuoted(beside.string());
  }
  return shellQuoted(VARROWMERE_PLAYER_PATH);
}

int extract(const JudgeOptions& options) {
  std::printf("# id shot end lastEnd lead x0 y0 ... x15 y15 (lead: of the side to throw)\n");
  for (const std::string& log : options.extractLogs) {
    std::ifstream in(log);
    std::vector<match::LoggedGame> games;
    std::string error = in ? "" : "cannot be opened";
    if (!error.empty() || !match::readMatchLog(in, games, error)) {
      showMessage(log + ": " + error, CAPTION);
      return 1;
    }
    std::vector<JudgePosition> positions;
    positionsOfGames(games, std::filesystem::path(log).stem().string(), positions);
    for (const JudgePosition& p : positions) std::fputs(positionLine(p).c_str(), stdout);
  }
  return 0;
}

// One run over the positions: workers take positions in turn; rows are printed in order.
class JudgeRun {
 public:
  JudgeRun(const JudgeOptions& options, std::vector<JudgePosition> positions, NoiseModel model,
           int32_t threads)
      : options_m(options),
        positions_m(std::move(positions)),
        model_m(model),
        threads_m(threads),
        results_m(positions_m.size()),
        ready_m(positions_m.size(), false) {
    const std::string built = builtPlayer();
    for (const std::string& p : options.players)
      commands_m.push_back(playerCommand(p, built, options.seed, threads));
  }

  // Judges every position with `jobs` workers. False when a player failed (the reason shown).
  bool run(int32_t jobs) {
    start_m = lastProgress_m = Clock::now();
    std::fputs(rowHeader(commands_m.size()).c_str(), stdout);
    std::vector<std::thread> workers;
    for (int32_t w = 0; w < jobs; ++w) workers.emplace_back([this] { work(); });
    for (std::thread& w : workers) w.join();
    if (!failure_m.empty()) {
      showMessage(failure_m, CAPTION);
      return false;
    }
    printSummary(stdout, options_m.players, results_m, secondsSince(start_m));
    return writeTable();
  }

 private:
  void work() {
    for (std::size_t i; !failed_m && (i = next_m++) < positions_m.size();) {
      std::vector<PlayerResult> results;
      if (!judgePosition(i, results)) return;
      const std::lock_guard<std::mutex> lock(mutex_m);
      results_m[i] = std::move(results);
      ready_m[i] = true;
      for (; printed_m < positions_m.size() && ready_m[printed_m]; ++printed_m)
        std::fputs(positionRow(positions_m[printed_m], results_m[printed_m]).c_str(), stdout);
      std::fflush(stdout);
      ++done_m;
      if (secondsSince(lastProgress_m) >= PROGRESS_INTERVAL || done_m == positions_m.size()) {
        lastProgress_m = Clock::now();
        const double elapsed = secondsSince(start_m);
        std::fprintf(stderr, "%s: %zu/%zu positions, %.0f s, about %.0f s left\n", CAPTION, done_m,
                     positions_m.size(), elapsed,
                     elapsed * double(positions_m.size() - done_m) / double(done_m));
      }
    }
  }

  bool fail(std::size_t i, std::size_t player, const std::string& why) {
    const std::lock_guard<std::mutex> lock(mutex_m);
    if (failure_m.empty())
      failure_m = "player p" + std::to_string(player + 1) + " (" + options_m.players[player] +
                  ") on position " + positions_m[i].id + ": " + why;
    failed_m = true;
    return false;
  }

  // Each player afresh in its own process, then each different shot over the deliveries.
  bool judgePosition(std::size_t i, std::vector<PlayerResult>& results) {
    const JudgePosition& position = positions_m[i];
    results.assign(commands_m.size(), PlayerResult{});
    for (std::size_t j = 0; j < commands_m.size(); ++j) {
      const auto start = Clock::now();
      std::unique_ptr<match::Player> player = match::makeBuiltinPlayer(commands_m[j]);
      if (!player) player = std::make_unique<match::ProcessPlayer>(commands_m[j]);
      std::string failure;
      if (!player->newGame(failure)) return fail(i, j, failure);
      // A player counts its clock from its first stone of a game: the first stone of end 0,
      // played first and thrown away, gives it a full clock for the position (a built player
      // opens with a guard at once).
      GameState opening{.lastEnd = position.state.lastEnd};
      const match::PlayerAnswer first = player->play(opening, INITIAL_THINKING_TIME);
      if (!first.ok) return fail(i, j, first.failure + " (on the game's first stone)");
      const match::PlayerAnswer answer = player->play(position.state, INITIAL_THINKING_TIME);
      player->stop();
      if (!answer.ok) return fail(i, j, answer.failure);
      results[j].shot = answer.shot;
      results[j].thinkSeconds = answer.seconds;
      results[j].playerSeconds = secondsSince(start);
    }
    for (std::size_t j = 0; j < results.size(); ++j) {
      PlayerResult& r = results[j];
      std::size_t k = 0;
      while (k < j && !(results[k].shot.vx == r.shot.vx && results[k].shot.vy == r.shot.vy &&
                        results[k].shot.spin == r.shot.spin))
        ++k;
      if (k < j) {
        r.worth = results[k].worth;
        continue;
      }
      const auto start = Clock::now();
      r.worth = judgeShot(position, i, r.shot, model_m, threads_m);
      r.judgeSeconds = secondsSince(start);
    }
    return true;
  }

  bool writeTable() {
    if (options_m.tableFile.empty()) return true;
    std::FILE* file = std::fopen(options_m.tableFile.c_str(), "w");
    if (file == nullptr) {
      showMessage(options_m.tableFile + " cannot be written", CAPTION);
      return false;
    }
    std::fprintf(file, "id\tplayer\tvx\tvy\tspin\tthink_s\tscore\twin\tgame\n");
    for (std::size_t i = 0; i < results_m.size(); ++i)
      for (std::size_t j = 0; j < results_m[i].size(); ++j) {
        const PlayerResult& r = results_m[i][j];
        std::fprintf(file, "%s\tp%zu\t%.6f\t%.6f\t%d\t%.3f\t%.4f\t%.5f\t%.4f\n",
                     positions_m[i].id.c_str(), j + 1, r.shot.vx, r.shot.vy, int(r.shot.spin),
                     r.thinkSeconds, r.worth.score, r.worth.win, r.worth.game);
      }
    return std::fclose(file) == 0;
  }

  const JudgeOptions& options_m;
  const std::vector<JudgePosition> positions_m;
  const NoiseModel model_m;
  const int32_t threads_m;
  std::vector<std::string> commands_m;
  std::vector<std::vector<PlayerResult>> results_m;
  std::vector<bool> ready_m;
  std::atomic<std::size_t> next_m{0};
  std::atomic<bool> failed_m{false};
  std::mutex mutex_m;
  std::string failure_m;
  std::size_t printed_m = 0, done_m = 0;
  Clock::time_point start_m, lastProgress_m;
};

}  // namespace

int main(int argc, char** argv) {
  process::installSignalHandlers();
  JudgeOptions options;
  std::string error;
  if (!parseJudgeOptions(argc, argv, options, error)) {
    showMessage(error, CAPTION);
    std::fputs(judgeUsageText().c_str(), stderr);
    return 2;
  }
  if (options.help) {
    std::fputs(judgeUsageText().c_str(), stdout);
    return 0;
  }
  if (!options.extractLogs.empty()) return extract(options);

  std::ifstream in(options.positionsFile);
  std::vector<JudgePosition> positions;
  if (!in) error = "cannot be opened";
  if (!error.empty() || !readPositions(in, positions, error)) {
    showMessage(options.positionsFile + ": " + error, CAPTION);
    return 1;
  }
  if (options.limit > 0 && std::size_t(options.limit) < positions.size())
    positions.resize(std::size_t(options.limit));
  if (positions.empty()) {
    showMessage(options.positionsFile + ": no positions", CAPTION);
    return 1;
  }

  buildChordTable();
  buildTrajectoryTables();
  NoiseModel model{match::deriveNoiseSigmas(), options.noise, options.seed, options.deliveries};
  winTable();
  const int32_t hardware = std::max<int32_t>(1, int32_t(std::thread::hardware_concurrency()));
  const int32_t jobs =
      std::min<int32_t>(options.jobs > 0 ? options.jobs : hardware, int32_t(positions.size()));
  const int32_t threads = options.threads > 0 ? options.threads : std::max(1, hardware / jobs);
  std::printf(
      "%zu positions of %s, %zu players; %d deliveries of each shot, seed %llu, noise "
      "x%g; %d at a time, threads per position %d\n",
      positions.size(), options.positionsFile.c_str(), options.players.size(), model.deliveries,
      static_cast<unsigned long long>(model.seed), model.scale, jobs, threads);
  JudgeRun run(options, std::move(positions), model, threads);
  return run.run(jobs) ? 0 : 1;
}
