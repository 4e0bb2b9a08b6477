#include "house_svg.h"

#include <cstdio>
#include <fstream>

#include "match_rules.h"
#include "tables/message.h"

namespace varrowmere::match {

namespace {

constexpr double MARGIN = 20.0;        // pixels around the sheet
constexpr double TITLE_HEIGHT = 64.0;  // pixels above it for the title lines

double px(double x) { return MARGIN + x * SVG_PIXELS_PER_METRE; }
double py(double y) { return TITLE_HEIGHT + (PICTURE_Y_MAX - y) * SVG_PIXELS_PER_METRE; }
double pixels(double metres) { return metres * SVG_PIXELS_PER_METRE; }

template <typename... Numbers>
std::string format(const char* pattern, Numbers... numbers) {
  char text[256];
  std::snprintf(text, sizeof(text), pattern, numbers...);
  return text;
}

std::string escapeXml(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '&')
      out += "&amp;";
    else if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else if (c == '"')
      out += "&quot;";
    else
      out += c;
  }
  return out;
}

std::string line(double x1, double y1, double x2, double y2, const char* style) {
  return format("<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" ", px(x1), py(y1), px(x2),
                py(y2)) +
         style + "/>\n";
}

std::string circle(double x, double y, double r, const char* style) {
  return format("<circle cx=\"%.1f\" cy=\"%.1f\" r=\"%.1f\" ", px(x), py(y), pixels(r)) + style +
         "/>\n";
}

std::string label(double x, double y, const std::string& text, const char* style) {
  return format("<text x=\"%.1f\" y=\"%.1f\" ", x, y) + style + ">" + escapeXml(text) + "</text>\n";
}

std::string sheet() {
  std::string svg;
  svg += format(
      "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"#f4f8fb\" "
      "stroke=\"#555\"/>\n",
      px(0.0), py(PICTURE_Y_MAX), pixels(SHEET_WIDTH), pixels(PICTURE_Y_MAX - PICTURE_Y_MIN));
  svg += circle(TEE_X, TEE_Y, HOUSE_RADIUS, "fill=\"#3b6fb6\"");
  svg += circle(TEE_X, TEE_Y, RING_8FT_RADIUS, "fill=\"#f4f8fb\"");
  svg += circle(TEE_X, TEE_Y, RING_4FT_RADIUS, "fill=\"#c8373b\"");
  svg += circle(TEE_X, TEE_Y, BUTTON_RADIUS, "fill=\"#f4f8fb\"");
  const char* thin = "stroke=\"#555\" stroke-width=\"1\"";
  svg += line(TEE_X, PICTURE_Y_MIN, TEE_X, PICTURE_Y_MAX, thin);
  svg += line(0.0, TEE_Y, SHEET_WIDTH, TEE_Y, thin);
  svg += line(0.0, BACK_LINE_Y, SHEET_WIDTH, BACK_LINE_Y, "stroke=\"#555\" stroke-width=\"2\"");
  svg += line(0.0, HOG_LINE_Y, SHEET_WIDTH, HOG_LINE_Y, "stroke=\"#8a1c1c\" stroke-width=\"4\"");
  const char* small = "font-family=\"sans-serif\" font-size=\"10\" fill=\"#555\"";
  svg += label(px(0.05), py(HOG_LINE_Y) - 5, "hog line", small);
  svg += label(px(0.05), py(TEE_Y) - 4, "tee line", small);
  svg += label(px(0.05), py(BACK_LINE_Y) - 4, "back line", small);
  return svg;
}

}  // namespace

std::string houseSvg(const EndRecord& r, const std::string names[PLAYER_COUNT]) {
  const double width = 2 * MARGIN + pixels(SHEET_WIDTH);
  const double height = TITLE_HEIGHT + pixels(PICTURE_Y_MAX - PICTURE_Y_MIN) + MARGIN;
  std::string svg = format(
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" height=\"%.0f\" "
      "viewBox=\"0 0 %.0f %.0f\">\n",
      width, height, width, height);
  svg += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";

  const char* titleStyle = "font-family=\"sans-serif\" font-size=\"15\" font-weight=\"bold\"";
  const char* textStyle = "font-family=\"sans-serif\" font-size=\"11\"";
  const int scorer = r.points[0] > 0 ? 0 : (r.points[1] > 0 ? 1 : -1);
  char text[160];
  std::snprintf(text, sizeof(text), "Game %d, end %d: red %d, yellow %d", r.game + 1, r.end + 1,
                r.total[0], r.total[1]);
  svg += label(MARGIN, 20, text, titleStyle);
  if (scorer < 0)
    std::snprintf(text, sizeof(text), "Blank end; %s had the hammer", PLAYER_COLOURS[r.hammer]);
  else
    std::snprintf(text, sizeof(text), "%s scores %d; %s had the hammer", PLAYER_COLOURS[scorer],
                  r.points[scorer], PLAYER_COLOURS[r.hammer]);
  svg += label(MARGIN, 38, text, textStyle);
  svg += label(MARGIN, 54, "red: " + names[0] + ", yellow: " + names[1], textStyle);

  svg += sheet();

  bool scoring[STONE_COUNT];
  endScore(r.position, scoring);
  for (int i = 0; i < STONE_COUNT; ++i) {
    if (!stoneInPlay(r.position, i)) continue;
    const double x = r.position.stonePos[i][0], y = r.position.stonePos[i][1];
    const int player = throwerOf(i, r.hammer);
    const std::string style =
        std::string("fill=\"") + STONE_FILL[player] + "\" stroke=\"" +
        (scoring[i] ? "#1f9d3a\" stroke-width=\"3\"" : "#333\" stroke-width=\"1\"");
    svg += circle(x, y, double(STONE_RADIUS), style.c_str());
    const std::string numberStyle = std::string(
                                        "font-family=\"sans-serif\" font-size=\"11\" "
                                        "font-weight=\"bold\" text-anchor=\"middle\" fill=\"") +
                                    STONE_TEXT[player] + "\"";
    svg += label(px(x), py(y) + 4, std::to_string(i + 1), numberStyle.c_str());
  }
  return svg + "</svg>\n";
}

HousePictures::HousePictures(std::string folder, const std::string names[PLAYER_COUNT])
    : folder_m(std::move(folder)) {
  for (int p = 0; p < PLAYER_COUNT; ++p) names_m[p] = names[p];
}

void HousePictures::onEnd(const EndRecord& r) {
  char name[48];
  std::snprintf(name, sizeof(name), "game%02d-end%02d.svg", r.game + 1, r.end + 1);
  const std::string path = folder_m + "/" + name;
  std::ofstream file(path);
  file << houseSvg(r, names_m);
  if (!file) {
    if (!failed_m) showMessage(path + " cannot be written", "varrowmere-match --svg");
    failed_m = true;
    return;
  }
  written_m.push_back(path);
}

}  // namespace varrowmere::match
