#include "replay_page.h"

#include <cstdio>
#include <fstream>

#include "house_svg.h"
#include "match_rules.h"
#include "tables/message.h"

namespace varrowmere::match {

// replay_page.html, made into a string at build time (see CMakeLists.txt).
extern const char REPLAY_PAGE_TEMPLATE[];

namespace {

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof(text), "%.9g", value);
  return text;
}

std::string view(int left, int top, double scale, double yMin, double yMax, bool house) {
  std::string text = "{\"left\":" + std::to_string(left) + ",\"top\":" + std::to_string(top);
  text += ",\"scale\":" + number(scale) + ",\"yMin\":" + number(yMin) + ",\"yMax\":" + number(yMax);
  if (house) return text + ",\"numbers\":true}";
  return text + ",\"house\":{\"yMin\":" + number(PICTURE_Y_MIN) +
         ",\"yMax\":" + number(PICTURE_Y_MAX) + "}}";
}

// What the page's script needs to know of the sheet and of its own layout.
std::string geometry() {
  const int houseWidth = int(SHEET_WIDTH * SVG_PIXELS_PER_METRE) + 2 * REPLAY_VIEW_MARGIN;
  std::string text = "{\"margin\":" + std::to_string(REPLAY_VIEW_MARGIN);
  text += ",\"sheetWidth\":" + number(SHEET_WIDTH);
  text += ",\"tee\":[" + number(TEE_X) + "," + number(TEE_Y) + "]";
  text += ",\"rings\":[" + number(HOUSE_RADIUS) + "," + number(RING_8FT_RADIUS) + "," +
          number(RING_4FT_RADIUS) + "," + number(BUTTON_RADIUS) + "]";
  text += ",\"stoneRadius\":" + number(double(STONE_RADIUS));
  text += ",\"back\":" + number(BACK_LINE_Y) + ",\"hog\":" + number(HOG_LINE_Y);
  text += ",\"stepsPerSecond\":" + number(1.0 / double(BOX2D_STEP));
  text += std::string(",\"colours\":[\"") + STONE_FILL[0] + "\",\"" + STONE_FILL[1] + "\"]";
  text += std::string(",\"textOn\":[\"") + STONE_TEXT[0] + "\",\"" + STONE_TEXT[1] + "\"]";
  text += ",\"strip\":" + view(REPLAY_STRIP_LEFT, REPLAY_HOUSE_TOP, STRIP_PIXELS_PER_METRE,
                               PICTURE_Y_MIN, STRIP_Y_MAX, false);
  text += ",\"house\":" + view(REPLAY_HOUSE_LEFT, REPLAY_HOUSE_TOP, SVG_PIXELS_PER_METRE,
                               PICTURE_Y_MIN, PICTURE_Y_MAX, true);
  text += ",\"sideLeft\":" + std::to_string(REPLAY_HOUSE_LEFT + houseWidth + 16) + "}";
  return text;
}

void replaceOnce(std::string& text, const std::string& what, const std::string& with) {
  const std::size_t at = text.find(what);
  if (at != std::string::npos) text.replace(at, what.size(), with);
}

}  // namespace

double replayHouseX(double x) {
  return REPLAY_HOUSE_LEFT + REPLAY_VIEW_MARGIN + x * SVG_PIXELS_PER_METRE;
}

double replayHouseY(double y) {
  return REPLAY_HOUSE_TOP + REPLAY_VIEW_MARGIN + (PICTURE_Y_MAX - y) * SVG_PIXELS_PER_METRE;
}

std::string replayPage(const std::string& logText) {
  // '<' occurs only inside the log's strings, where \u003c means the same to JSON and keeps
  // a name such as "</script>" from ending the script element.
  std::string rows;
  rows.reserve(logText.size());
  for (char c : logText) rows += c == '<' ? std::string("\\u003c") : std::string(1, c);
  std::string page = REPLAY_PAGE_TEMPLATE;
  replaceOnce(page, "{{GEOMETRY}}", geometry());
  replaceOnce(page, "{{LOG}}", rows);
  return page;
}

void ReplayPageWriter::onEnd(const EndRecord& r) {
  log_m.onEnd(r);
  write();
}

void ReplayPageWriter::onGameOver(const GameResult& r) {
  log_m.onGameOver(r);
  write();
}

void ReplayPageWriter::write() {
  const std::string page = replayPage(text_m.str());
  std::ofstream file(path_m, std::ios::trunc);
  file << page;
  file.close();
  written_m = bool(file);
  size_m = page.size();
  if (!written_m && !reported_m)
    showMessage(path_m + " cannot be written", "varrowmere-match --html");
  reported_m = reported_m || !written_m;
}

}  // namespace varrowmere::match
