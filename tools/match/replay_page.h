#pragma once
// The replay page: one self-contained HTML file (no server, nothing fetched) that shows the
// games of a match log in motion. The log's rows are embedded as they are; the page's own
// script (replay_page.html, carried by the program) draws the whole sheet and, larger, the
// house end as the pictures of house_svg.h do, moves the stones along their logged paths,
// and lists the shots and the score. Layout in CSS pixels from the page's top left corner.

#include <sstream>
#include <string>

#include "game.h"
#include "match_log.h"

namespace varrowmere::match {

// The window the page is laid out for (px); the browser test renders it at this size.
inline constexpr int REPLAY_PAGE_WIDTH = 1280;
inline constexpr int REPLAY_PAGE_HEIGHT = 820;
// Space (px) around the sheet inside each view.
inline constexpr int REPLAY_VIEW_MARGIN = 10;
// Top left corner (px) of the house-end view: the sheet from PICTURE_Y_MIN to PICTURE_Y_MAX
// at SVG_PIXELS_PER_METRE, x = 0 at REPLAY_HOUSE_LEFT + REPLAY_VIEW_MARGIN.
inline constexpr int REPLAY_HOUSE_LEFT = 126;
inline constexpr int REPLAY_HOUSE_TOP = 52;
// The whole-sheet view left of it: scale (px per m) and the far end shown (m, sheet y),
// beyond the delivery point.
inline constexpr double STRIP_PIXELS_PER_METRE = 18.5;
inline constexpr double STRIP_Y_MAX = 42.0;
inline constexpr int REPLAY_STRIP_LEFT = 10;

// Where a point of the sheet (m) lies in the house-end view (px).
double replayHouseX(double x);
double replayHouseY(double y);

// The page for the rows of a match log (its whole text).
std::string replayPage(const std::string& logText);

// Writes the page of the games played so far into a file, after every end and every game.
class ReplayPageWriter : public GameObserver {
 public:
  explicit ReplayPageWriter(std::string path) : path_m(std::move(path)) {}
  void onGameStart(const GameSettings& s) override { log_m.onGameStart(s); }
  void onShot(const ShotRecord& r) override { log_m.onShot(r); }
  void onEnd(const EndRecord& r) override;
  void onGameOver(const GameResult& r) override;
  // Whether the last write succeeded (a failure is also reported once through showMessage).
  bool written() const { return written_m; }
  // Bytes of the last page written.
  std::size_t size() const { return size_m; }

 private:
  void write();

  std::string path_m;
  std::ostringstream text_m;
  MatchLog log_m{text_m};
  bool written_m = false;
  bool reported_m = false;
  std::size_t size_m = 0;
};

}  // namespace varrowmere::match
