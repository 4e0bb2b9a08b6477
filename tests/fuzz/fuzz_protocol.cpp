// Fuzzes the command path of the reader thread: arbitrary bytes, cut into read blocks, go
// through LineAssembler and dispatchCommand. Checked on every input: the lines handed on are
// exactly those of a simple model of the line rules, the protocol never hands the decision a
// shot number outside 0..15 or a coordinate that is not finite, and every GO line gets exactly
// one well-formed BESTSHOT with finite numbers while every other line but ISREADY gets nothing.
//
// Input: byte 0 sets the read size (1 + byte * 1023 / 255, so 255 gives whole 1024-byte
// blocks); the rest is the stream on standard input.
//
// The shot decision is replaced by the stand-in below, so that thousands of commands run per
// second: this object defines varrowmere::decideShot, and the linker then never takes
// decision.o out of the core library, since nothing else of it is referenced. Should go.cpp
// ever use something more of decision.o, this link fails with a duplicate definition instead
// of quietly running the real search.

#include <strings.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
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

namespace {
int64_t decisions = 0;

[[noreturn]] void fail(const char* what, const std::string& detail = "") {
  std::fprintf(stderr, "fuzz_protocol: %s %s\n", what, detail.c_str());
  std::abort();
}
}  // namespace

// The stand-in decision. The shot it returns runs through the GO handler's guard for numbers
// that are not finite: a huge x times 1e30 overflows to an infinity, the root of a negative y
// is not a number, and ordinary coordinates print as very long or very small numbers.
void decideShot(ShotVector& out) {
  ++decisions;
  const int32_t s = gameState.shotNum;
  if (s < 0 || s >= STONE_COUNT) fail("decision sees shot number", std::to_string(s));
  for (const auto& stone : gameState.stonePos) {
    if (!std::isfinite(stone[0]) || !std::isfinite(stone[1])) fail("decision sees a coordinate");
  }
  out.vx = gameState.stonePos[s][0] * 1e30f;
  out.vy = std::sqrt(gameState.stonePos[s][1]);
  out.spin = gameState.whiteToMove;
}

}  // namespace varrowmere

using namespace varrowmere;

namespace {

// The lines the assembler must hand on: cut the stream at every CR and LF, and also at the end
// of every read that did not fill the block and at the end of input; keep the pieces that are
// not empty and not longer than MAX_LINE_LENGTH.
std::vector<std::string> modelLines(const uint8_t* data, std::size_t size, std::size_t block) {
  std::vector<std::string> lines;
  std::string piece;
  const auto cut = [&] {
    if (!piece.empty() && piece.size() <= MAX_LINE_LENGTH) lines.push_back(piece);
    piece.clear();
  };
  for (std::size_t start = 0; start < size; start += block) {
    const std::size_t count = std::min(block, size - start);
    for (std::size_t i = start; i < start + count; ++i) {
      const char c = static_cast<char>(data[i]);
      if (c == '\r' || c == '\n') {
        cut();
      } else {
        piece.push_back(c);
      }
    }
    if (count != READ_BLOCK_SIZE) cut();
  }
  cut();
  return lines;
}

// The first space-separated word of a line.
std::string firstWord(const char* line) {
  while (*line == ' ') ++line;
  const char* end = line;
  while (*end != '\0' && *end != ' ') ++end;
  return std::string(line, end);
}

// A BESTSHOT reply exactly as "BESTSHOT %f %f %d" prints finite numbers and a spin of 0 or 1.
bool wellFormedShot(const CommandReply& reply) {
  const std::string text(reply.text, reply.length);
  double vx = 0.0, vy = 0.0;
  int spin = -1, used = 0;
  if (std::sscanf(text.c_str(), "BESTSHOT %lf %lf %d%n", &vx, &vy, &spin, &used) != 3) return false;
  if (static_cast<std::size_t>(used) != text.size()) return false;
  if (!std::isfinite(vx) || !std::isfinite(vy) || (spin != 0 && spin != 1)) return false;
  char again[REPLY_CAPACITY];
  const int length = std::snprintf(again, sizeof(again), "BESTSHOT %f %f %d", vx, vy, spin);
  return length > 0 && text == std::string(again, static_cast<std::size_t>(length));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t block = 1 + std::size_t{data[0]} * (READ_BLOCK_SIZE - 1) / 255;
  ++data;
  --size;

  // Each input starts from a fresh process's state.
  gameState = GameState{};
  remainingTime = 0.0;

  const std::vector<std::string> expected = modelLines(data, size, block);
  std::size_t handled = 0;
  CommandReply reply;
  const LineAssembler::Handler handle = [&](char* line) {
    // A zero byte ends the text the dispatcher sees, so lines compare as C strings.
    if (handled >= expected.size() || std::strcmp(expected[handled].c_str(), line) != 0)
      fail("unexpected line", line);
    ++handled;
    const std::string word = firstWord(line);
    const int64_t before = decisions;
    dispatchCommand(line, reply);
    if (strcasecmp(word.c_str(), "GO") == 0) {
      if (decisions != before + 1) fail("GO without exactly one decision");
      if (!wellFormedShot(reply)) fail("malformed reply", std::string(reply.text, reply.length));
    } else if (strcasecmp(word.c_str(), "ISREADY") == 0) {
      if (std::string(reply.text, reply.length) != "READYOK") fail("ISREADY reply");
    } else if (reply.length != 0 || decisions != before) {
      fail("reply or decision for", word);
    }
  };

  LineAssembler assembler;
  for (std::size_t start = 0; start < size; start += block) {
    const std::size_t count = std::min(block, size - start);
    assembler.feed(reinterpret_cast<const char*>(data + start), count, count == READ_BLOCK_SIZE,
                   handle);
  }
  // End of input, as the reader thread signals it.
  assembler.feed(nullptr, 0, false, handle);
  if (handled != expected.size()) fail("lines lost");
  return 0;
}
