// The replay page in headless Chromium, after the first end of a game between the built-in
// opponents and in the middle of the second: the screenshot's pixels where the log puts stones
// have their side's colour, and the scoreboard says what the log says.

#include "replay_page.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "house_svg.h"
#include "match_log_reader.h"
#include "support/player_process.h"

using namespace varrowmere;
using namespace varrowmere::match;

namespace {

bool succeeds(const std::string& command) {
  return varrowmere::testing::runShell(command, std::chrono::seconds(100)) == 0;
}

std::string fileText(const std::string& path) {
  std::ifstream file(path);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// Whether the pixel of page point (x, y) has the colour "#rrggbb", within 12 of 255 a channel.
bool hasColour(const png_image& image, const std::vector<png_byte>& rgba, double x, double y,
               const char* colour) {
  const long px = long(std::floor(x)), py = long(std::floor(y));
  if (px < 0 || py < 0 || px >= long(image.width) || py >= long(image.height)) return false;
  const png_byte* p = &rgba[(std::size_t(py) * image.width + std::size_t(px)) * 4];
  const unsigned long want = std::strtoul(colour + 1, nullptr, 16);
  for (int c = 0; c < 3; ++c)
    if (std::abs(int(p[c]) - int((want >> (16 - 8 * c)) & 0xFF)) > 12) return false;
  return true;
}

}  // namespace

TEST(ReplayPage, ShowsTheLoggedStonesAndScoreInARealBrowser) {
  const std::string folder = VARROWMERE_TEST_BINARY_DIR, log = folder + "/replay.jsonl",
                    page = folder + "/replay.html", match = VARROWMERE_MATCH_PATH;
  ASSERT_TRUE(succeeds(match + " --red draw --yellow takeout --ends 2 --seed 4 --quiet --log " +
                       log + " --html " + page + " >/dev/null 2>&1"));
  ASSERT_TRUE(succeeds(match + " --replay " + log + " --html " + page + ".again >/dev/null"));
  EXPECT_EQ(fileText(page + ".again"), fileText(page));
  std::ifstream logFile(log);
  std::vector<LoggedGame> games;
  std::string error;
  ASSERT_TRUE(readMatchLog(logFile, games, error) && games[0].shots.size() == 32u) << error;
  const LoggedGame& game = games[0];

  for (const auto& [end, shot] : {std::pair{1, 16}, {2, 11}}) {  // counted from 1
    const std::string fragment = "end=" + std::to_string(end) + "&shot=" + std::to_string(shot);
    const std::string png = folder + "/replay.png", dom = folder + "/replay.dom";
    ASSERT_TRUE(
        succeeds("timeout -k 5 45 chromium --headless --no-sandbox --disable-gpu "
                 "--hide-scrollbars --force-device-scale-factor=1 --window-size=" +
                 std::to_string(REPLAY_PAGE_WIDTH) + "," + std::to_string(REPLAY_PAGE_HEIGHT) +
                 " --screenshot=" + png + " --dump-dom 'file://" + page + "#" + fragment + "' >" +
                 dom + " 2>/dev/null"))
        << "chromium failed, hung or is missing (scripts/install-deps installs it)";
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, png.c_str())) << png;
    image.format = PNG_FORMAT_RGBA;
    std::vector<png_byte> rgba(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr));

    // Two points on each stone, above and below its number.
    const std::size_t first = std::size_t(end - 1) * STONE_COUNT;
    const GameState& at = game.shots[first + std::size_t(shot) - 1].after;
    const double offset = 0.6 * double(STONE_RADIUS) * SVG_PIXELS_PER_METRE;
    int seen[PLAYER_COUNT] = {};
    for (int i = 0; i < shot; ++i) {
      if (!stoneInPlay(at, i)) continue;
      const int side = game.shots[first + std::size_t(i)].player;
      const double x = replayHouseX(at.stonePos[i][0]), y = replayHouseY(at.stonePos[i][1]);
      EXPECT_TRUE(hasColour(image, rgba, x, y - offset, STONE_FILL[side]) &&
                  hasColour(image, rgba, x, y + offset, STONE_FILL[side]))
          << fragment << ": stone " << i + 1;
      ++seen[side];
    }
    EXPECT_TRUE(seen[0] >= 2 && seen[1] >= 2) << fragment;
    // The scoreboard's cells, row by row: each finished end's points, later ones empty, the total.
    const std::string html = fileText(dom);
    std::vector<std::string> cells, expected;
    const std::size_t table = html.find("id=\"scoreboard\""), stop = html.find("</table>", table);
    for (std::size_t at = html.find("<td", table); at < stop; at = html.find("<td", at + 1)) {
      const std::size_t from = html.find('>', at) + 1;
      cells.push_back(html.substr(from, html.find("</td>", from) - from));
    }
    const std::size_t finished = std::size_t(end - 1 + (shot == STONE_COUNT ? 1 : 0));
    for (int p = 0; p < PLAYER_COUNT; ++p) {
      for (std::size_t e = 0; e < 2; ++e)
        expected.push_back(e < finished ? std::to_string(game.ends[e].points[p]) : "");
      expected.push_back(std::to_string(finished > 0 ? game.ends[finished - 1].total[p] : 0));
    }
    EXPECT_EQ(cells, expected) << fragment;
  }
}
