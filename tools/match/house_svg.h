#pragma once
// Pictures of the house after each end, as SVG: the sheet from behind the back line to past
// the hog line, seen from the thrower's end (stones arrive from the top), with the sheet
// lines, the house rings and every stone in play coloured by its player and numbered by its
// shot (1 to 16). Stones that scored have a green rim.

#include <string>
#include <vector>

#include "game.h"

namespace varrowmere::match {

// Picture scale (pixels per metre) and the stretch of the sheet drawn (m, sheet y).
inline constexpr double SVG_PIXELS_PER_METRE = 80.0;
inline constexpr double PICTURE_Y_MIN = 2.6;
inline constexpr double PICTURE_Y_MAX = 11.7;
// Radii (m) of the inner circles of the house: the 8-foot and 4-foot rings and the button.
inline constexpr double RING_8FT_RADIUS = 1.22;
inline constexpr double RING_4FT_RADIUS = 0.61;
inline constexpr double BUTTON_RADIUS = 0.15;
// Colours of the stones of red and yellow (CSS), and of the shot numbers written on them.
inline constexpr const char* STONE_FILL[PLAYER_COUNT] = {"#d62828", "#f2c230"};
inline constexpr const char* STONE_TEXT[PLAYER_COUNT] = {"#ffffff", "#222222"};

// The picture of the house at the end of an end.
std::string houseSvg(const EndRecord& record, const std::string names[PLAYER_COUNT]);

// Writes one picture per end into a folder (which must exist): gameGG-endEE.svg.
class HousePictures : public GameObserver {
 public:
  HousePictures(std::string folder, const std::string names[PLAYER_COUNT]);
  void onEnd(const EndRecord& record) override;
  const std::vector<std::string>& written() const { return written_m; }

 private:
  std::string folder_m;
  std::string names_m[PLAYER_COUNT];
  std::vector<std::string> written_m;
  bool failed_m = false;
};

}  // namespace varrowmere::match
