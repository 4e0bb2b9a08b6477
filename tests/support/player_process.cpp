#include "support/player_process.h"

#include <cctype>

namespace varrowmere::testing {

namespace {

// Digits, a point and exactly six decimals, optionally signed: one "%f" of a finite number.
std::optional<std::size_t> matchFixed(const std::string& text, std::size_t pos) {
  if (pos < text.size() && text[pos] == '-') ++pos;
  const std::size_t digitsStart = pos;
  while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) ++pos;
  if (pos == digitsStart || pos >= text.size() || text[pos] != '.') return std::nullopt;
  ++pos;
  for (int i = 0; i < 6; ++i, ++pos) {
    if (pos >= text.size() || !std::isdigit(static_cast<unsigned char>(text[pos])))
      return std::nullopt;
  }
  return pos;
}

}  // namespace

PlayerProcess::PlayerProcess(bool nonBlocking) {
  std::string failure;
  startProgram(VARROWMERE_PLAYER_PATH, failure, nonBlocking);
}

const std::string& PlayerProcess::readAtLeast(std::size_t count,
                                              std::chrono::milliseconds deadline) {
  const auto enough = [count](const std::string& output) { return output.size() >= count; };
  readUntil(enough, process::Clock::now() + deadline);
  return output();
}

bool PlayerProcess::readToEnd(std::chrono::milliseconds deadline) {
  const auto never = [](const std::string&) { return false; };
  return readUntil(never, process::Clock::now() + deadline) == process::ReadResult::Ended;
}

std::optional<std::size_t> matchBestShot(const std::string& text, std::size_t pos) {
  static const std::string head = "BESTSHOT ";
  if (text.compare(pos, head.size(), head) != 0) return std::nullopt;
  auto next = matchFixed(text, pos + head.size());
  if (!next || *next >= text.size() || text[*next] != ' ') return std::nullopt;
  next = matchFixed(text, *next + 1);
  if (!next || *next >= text.size() || text[*next] != ' ') return std::nullopt;
  const std::size_t spin = *next + 1;
  if (spin >= text.size() || (text[spin] != '0' && text[spin] != '1')) return std::nullopt;
  // "%d" of 0 or 1 is one digit: a further digit would be a different number.
  if (spin + 1 < text.size() && std::isdigit(static_cast<unsigned char>(text[spin + 1])))
    return std::nullopt;
  return spin + 1;
}

}  // namespace varrowmere::testing
