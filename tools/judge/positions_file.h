#pragma once
// The judge's positions: last-stone positions with the state of the game, one a line in a
// text file, and how they are taken from the referee's logs.
//
// A line is `id shot end lastEnd lead x0 y0 x1 y1 ... x15 y15`, words separated by blanks:
// a name without blanks, the protocol's shot (15: the last stone of the end), end and last
// end, the lead in points of the side to throw (positive: it is ahead) before this end, and
// the 16 stones in the sheet frame (m), (0, 0) for a stone not in play. '#' starts a comment
// line; blank lines are skipped.

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "driver/game_state.h"
#include "match_log_reader.h"

namespace varrowmere::judge {

// The one shot the judge values: the last stone of an end, thrown by the side with the hammer.
inline constexpr int32_t JUDGED_SHOT = STONE_COUNT - 1;
// Words before the stones on a line: id, shot, end, last end, lead.
inline constexpr int POSITION_HEAD_WORDS = 5;
// A lead beyond this many points either way is refused as a typing mistake.
inline constexpr int64_t MAX_POSITION_LEAD = 1000;

struct JudgePosition {
  std::string id;
  GameState state;   // shotNum, curEnd, lastEnd, whiteToMove (set: the hammer throws) and stones
  int64_t lead = 0;  // of the side to throw, before this end (points)
};

// Reads every position of a file. Returns false with "line N: what is wrong" at the first line
// that is not a position of shot JUDGED_SHOT with finite stones.
bool readPositions(std::istream& in, std::vector<JudgePosition>& positions, std::string& error);

// One line of the file (with its line end); floats with nine digits, so they read back exactly.
std::string positionLine(const JudgePosition& position);

// The positions before the last stone of every end played to that stone in the games of a log,
// named `label.gG.eE.NAME` (NAME: who threw the last stone, the log's name up to its first
// blank or slash).
void positionsOfGames(const std::vector<match::LoggedGame>& games, const std::string& label,
                      std::vector<JudgePosition>& positions);

}  // namespace varrowmere::judge
