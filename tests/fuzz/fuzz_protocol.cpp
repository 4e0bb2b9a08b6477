// Fuzzes the command path: bytes cut into reads of the size byte 0 sets (1 + byte * 1023 / 255)
// through LineAssembler and dispatchCommand. Checked: the lines are a model's, the decision sees
// shots in 0..15 and finite coordinates only, every GO gets one BESTSHOT of finite numbers,
// ISREADY gets READYOK and every other line nothing. The decision is the stand-in below, which
// keeps decision.o out of the link (should go.cpp use more of it, the link fails).

#include <strings.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "driver/decision.h"
#include "driver/game_state.h"
#include "driver/protocol.h"
#include "driver/reader.h"

namespace varrowmere {

int64_t decisions = 0;

// Its shot runs into the GO handler's guard for numbers that are not finite: x times 1e30
// overflows, the root of a negative y is not a number.
void decideShot(ShotVector& out) {
  ++decisions;
  const int32_t s = gameState.shotNum;
  if (s < 0 || s >= STONE_COUNT) std::abort();
  for (const auto& stone : gameState.stonePos)
    if (!std::isfinite(stone[0]) || !std::isfinite(stone[1])) std::abort();
  out = {gameState.stonePos[s][0] * 1e30f, std::sqrt(gameState.stonePos[s][1]),
         gameState.whiteToMove};
}

}  // namespace varrowmere

using namespace varrowmere;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t block = 1 + std::size_t{data[0]} * (READ_BLOCK_SIZE - 1) / 255;
  const std::string stream(reinterpret_cast<const char*>(data + 1), size - 1);
  // The lines: cut at every CR and LF, at the end of every read that did not fill a whole
  // block and at the end of input; the pieces neither empty nor longer than MAX_LINE_LENGTH.
  std::vector<std::string> expected(1);
  for (std::size_t i = 0; i <= stream.size(); ++i) {
    const bool end = i == stream.size() || stream[i] == '\r' || stream[i] == '\n';
    if (!end) expected.back() += stream[i];
    if (end || ((i + 1) % block == 0 && block != READ_BLOCK_SIZE)) {
      if (expected.back().empty() || expected.back().size() > MAX_LINE_LENGTH) expected.pop_back();
      expected.emplace_back();
    }
  }
  expected.pop_back();

  std::size_t handled = 0;
  CommandReply reply;
  const LineAssembler::Handler handle = [&](char* line) {
    // A zero byte ends the text the dispatcher sees, so lines compare as C strings.
    if (handled >= expected.size() || std::strcmp(expected[handled++].c_str(), line) != 0)
      std::abort();
    char word[WORD_CAPACITY], again[REPLY_CAPACITY];
    getWord(word, line, 0);
    const int64_t before = decisions;
    dispatchCommand(line, reply);
    const std::string text(reply.text, reply.length);
    double vx = NAN, vy = NAN;
    int spin = -1;
    if (strcasecmp(word, "GO") == 0) {
      std::sscanf(text.c_str(), "BESTSHOT %lf %lf %d", &vx, &vy, &spin);
      std::snprintf(again, sizeof(again), "BESTSHOT %f %f %d", vx, vy, spin);
      if (decisions != before + 1 || !std::isfinite(vx + vy) || spin < 0 || spin > 1 ||
          text != again)
        std::abort();
    } else if (text != (strcasecmp(word, "ISREADY") == 0 ? "READYOK" : "") || decisions != before) {
      std::abort();
    }
  };
  LineAssembler assembler;
  for (std::size_t start = 0; start < stream.size(); start += block) {
    const std::size_t count = std::min(block, stream.size() - start);
    assembler.feed(stream.data() + start, count, count == READ_BLOCK_SIZE, handle);
  }
  assembler.feed(nullptr, 0, false, handle);  // the end of input, as the reader signals it
  if (handled != expected.size()) std::abort();
  return 0;
}
