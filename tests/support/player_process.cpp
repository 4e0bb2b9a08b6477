#include "support/player_process.h"

#include <regex>

namespace varrowmere::testing {

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
  // "%f" of a finite number: digits, a point and six decimals, maybe a minus before them; "%d"
  // of 0 or 1 is one digit, so a further digit would make another number.
  static const std::regex reply(R"(BESTSHOT -?\d+\.\d{6} -?\d+\.\d{6} [01](?!\d))");
  std::smatch match;
  if (pos > text.size() || !std::regex_search(text.begin() + std::ptrdiff_t(pos), text.end(), match,
                                              reply, std::regex_constants::match_continuous))
    return std::nullopt;
  return pos + std::size_t(match.length());
}

}  // namespace varrowmere::testing
