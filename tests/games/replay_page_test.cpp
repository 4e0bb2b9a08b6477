// The replay page in a real browser: headless Chromium renders the page of a short game
// between the built-in opponents at two positions, after the first end and in the middle of
// the second; the screenshot's pixels where the log puts stones must have their side's
// colour, and the scoreboard must say what the log says.

#include "replay_page.h"

#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "house_svg.h"
#include "match_log_reader.h"

using namespace varrowmere;
using namespace varrowmere::match;

namespace {

// Seconds one browser run may take before it counts as hung.
constexpr int BROWSER_DEADLINE_S = 45;
// Largest difference per colour channel (0..255) between a stone's pixel and its colour.
constexpr int COLOUR_TOLERANCE = 12;

// Runs a shell command; returns its standard output and sets status (-1 if it did not exit).
std::string run(const std::string& command, int& status) {
  FILE* pipe = ::popen(command.c_str(), "r");
  std::string out;
  char block[4096];
  for (std::size_t n; pipe && (n = std::fread(block, 1, sizeof(block), pipe)) > 0;)
    out.append(block, n);
  const int raw = pipe ? ::pclose(pipe) : -1;
  status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return out;
}

std::string fileText(const std::string& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

struct Screenshot {
  png_uint_32 width = 0, height = 0;
  std::vector<png_byte> rgba;

  bool load(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGBA;
    rgba.resize(PNG_IMAGE_SIZE(image));
    width = image.width;
    height = image.height;
    return png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr) != 0;
  }

  // Whether the pixel holding page point (x, y) has the colour "#rrggbb".
  bool hasColour(double x, double y, const char* colour) const {
    const long px = std::lround(std::floor(x)), py = std::lround(std::floor(y));
    if (px < 0 || py < 0 || px >= long(width) || py >= long(height)) return false;
    const png_byte* p = &rgba[(std::size_t(py) * width + std::size_t(px)) * 4];
    const unsigned long want = std::strtoul(colour + 1, nullptr, 16);
    for (int c = 0; c < 3; ++c)
      if (std::abs(int(p[c]) - int((want >> (16 - 8 * c)) & 0xFF)) > COLOUR_TOLERANCE) return false;
    return true;
  }
};

// The text of every cell of the scoreboard table (the points, row by row; names are headers).
std::vector<std::string> scoreCells(const std::string& dom) {
  std::vector<std::string> cells;
  const std::size_t start = dom.find("id=\"scoreboard\""), stop = dom.find("</table>", start);
  for (std::size_t at = dom.find("<td", start); at < stop; at = dom.find("<td", at + 1)) {
    const std::size_t from = dom.find('>', at) + 1;
    cells.push_back(dom.substr(from, dom.find("</td>", from) - from));
  }
  return cells;
}

}  // namespace

TEST(ReplayPage, ShowsTheLoggedStonesAndScoreInARealBrowser) {
  char pattern[] = "/tmp/varrowmere-replay-test-XXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  const std::string folder = pattern, log = folder + "/game.jsonl", page = folder + "/game.html";
  int status = -1;
  const std::string match = std::string(VARROWMERE_MATCH_PATH);
  std::string out = run(match + " --red draw --yellow takeout --ends 2 --seed 4 --quiet --log " +
                            log + " --html " + page + " 2>&1",
                        status);
  ASSERT_EQ(status, 0) << out;
  // The page made again from the log is the same page.
  out = run(match + " --replay " + log + " --html " + folder + "/again.html 2>&1", status);
  ASSERT_EQ(status, 0) << out;
  EXPECT_EQ(fileText(folder + "/again.html"), fileText(page));

  std::ifstream logFile(log);
  std::vector<LoggedGame> games;
  std::string error;
  ASSERT_TRUE(readMatchLog(logFile, games, error)) << error;
  const LoggedGame& game = games.at(0);
  ASSERT_EQ(game.shots.size(), 32u);

  const int positions[2][2] = {{1, 16}, {2, 11}};  // end and shot, from 1
  for (const auto& [end, shot] : positions) {
    const std::string fragment = "end=" + std::to_string(end) + "&shot=" + std::to_string(shot);
    const std::string png = folder + "/end" + std::to_string(end) + ".png";
    const std::string dom =
        run("timeout -k 5 " + std::to_string(BROWSER_DEADLINE_S) +
                " chromium --headless --no-sandbox --disable-gpu --hide-scrollbars"
                " --force-device-scale-factor=1 --window-size=" +
                std::to_string(REPLAY_PAGE_WIDTH) + "," + std::to_string(REPLAY_PAGE_HEIGHT) +
                " --screenshot=" + png + " --dump-dom 'file://" + page + "#" + fragment +
                "' 2>/dev/null",
            status);
    ASSERT_EQ(status, 0)
        << "chromium failed, hung or is missing (scripts/install-deps installs it)";
    Screenshot screen;
    ASSERT_TRUE(screen.load(png)) << png;

    // Two points on each stone, above and below its number.
    const std::size_t first = std::size_t(end - 1) * STONE_COUNT;
    const GameState& position = game.shots[first + std::size_t(shot) - 1].after;
    const double offset = 0.6 * double(STONE_RADIUS) * SVG_PIXELS_PER_METRE;
    int seen[PLAYER_COUNT] = {};
    for (int i = 0; i < shot; ++i) {
      if (!stoneInPlay(position, i)) continue;
      const int side = game.shots[first + std::size_t(i)].player;
      const double x = replayHouseX(position.stonePos[i][0]);
      const double y = replayHouseY(position.stonePos[i][1]);
      EXPECT_TRUE(screen.hasColour(x, y - offset, STONE_FILL[side]) &&
                  screen.hasColour(x, y + offset, STONE_FILL[side]))
          << fragment << ": stone " << i + 1 << " at (" << x << ", " << y << ")";
      ++seen[side];
    }
    EXPECT_GE(seen[0], 2) << fragment;
    EXPECT_GE(seen[1], 2) << fragment;

    // Ends finished by then show their points, later ones nothing; then the total.
    const std::size_t finished = std::size_t(end - 1 + (shot == STONE_COUNT ? 1 : 0));
    std::vector<std::string> expected;
    for (int p = 0; p < PLAYER_COUNT; ++p) {
      for (std::size_t e = 0; e < 2; ++e)
        expected.push_back(e < finished ? std::to_string(game.ends[e].points[p]) : "");
      expected.push_back(std::to_string(finished > 0 ? game.ends[finished - 1].total[p] : 0));
    }
    EXPECT_EQ(scoreCells(dom), expected) << fragment;
  }
  std::filesystem::remove_all(folder);
}
