#include "support/player_process.h"

#include <cctype>
#include <cstdlib>
#include <string_view>

namespace varrowmere::testing {

PlayerProcess::PlayerProcess(bool nonBlocking) {
  std::string failure;
  // Another build of the player, as a shell command: the Windows stage runs the Windows
  // programs under wine through the same tests.
  const char* command = std::getenv("VARROWMERE_TEST_PLAYER");
  if (command != nullptr && *command != '\0') {
    startShell(command, failure, nonBlocking);
  } else {
    startProgram(VARROWMERE_PLAYER_PATH, failure, nonBlocking);
  }
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

int runShell(const std::string& command, std::chrono::seconds deadline, std::string* output) {
  process::ProcessDriver child;
  std::string failure;
  if (!child.startShell(command, failure)) return -1;
  child.closeInput();
  const auto until = process::Clock::now() + deadline;
  const auto never = [](const std::string&) { return false; };
  while (child.readUntil(never, until) != process::ReadResult::Ended) {
    if (process::Clock::now() >= until) return -1;
  }
  if (output != nullptr) *output += child.output();
  return child.waitExit(std::chrono::duration_cast<process::Clock::duration>(until -
                                                                             process::Clock::now()))
      .value_or(-1);
}

std::optional<std::size_t> matchBestShot(const std::string& text, std::size_t pos) {
  const auto isDigit = [&](std::size_t i) {
    return i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]));
  };
  // "%f" of a finite number: maybe a minus, digits, a point and six decimals.
  const auto number = [&](std::size_t& i) {
    if (i < text.size() && text[i] == '-') ++i;
    const std::size_t digits = i;
    while (isDigit(i)) ++i;
    if (i == digits || i >= text.size() || text[i++] != '.') return false;
    for (int decimal = 0; decimal < 6; ++decimal, ++i)
      if (!isDigit(i)) return false;
    return true;
  };
  const auto literal = [&](std::size_t& i, std::string_view word) {
    if (text.compare(i, word.size(), word) != 0) return false;
    i += word.size();
    return true;
  };
  std::size_t i = pos;
  if (pos > text.size() || !literal(i, "BESTSHOT ") || !number(i) || !literal(i, " ") ||
      !number(i) || !literal(i, " "))
    return std::nullopt;
  // "%d" of 0 or 1 is one digit: a further digit would make another number.
  if (i >= text.size() || (text[i] != '0' && text[i] != '1') || isDigit(i + 1)) return std::nullopt;
  return i + 1;
}

}  // namespace varrowmere::testing
