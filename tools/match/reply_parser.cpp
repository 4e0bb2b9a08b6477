#include "reply_parser.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace varrowmere::match {

namespace {

// Longest text shown in a message about a bad reply (bytes).
constexpr std::size_t SHOWN_REPLY_LENGTH = 80;
// A reply longer than this is garbage whatever it holds (bytes).
constexpr std::size_t MAX_REPLY_LENGTH = 256;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

struct Words {
  std::vector<std::string> list;
  bool lastTerminated = false;  // a blank follows the last word
};

Words splitWords(const std::string& text) {
  Words words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && isBlank(text[i])) ++i;
    if (i == text.size()) break;
    const std::size_t start = i;
    while (i < text.size() && !isBlank(text[i])) ++i;
    words.list.push_back(text.substr(start, i - start));
  }
  words.lastTerminated = !text.empty() && isBlank(text.back());
  return words;
}

bool parseFinite(const std::string& word, double* value) {
  char* end = nullptr;
  *value = std::strtod(word.c_str(), &end);
  return end != word.c_str() && *end == '\0' && std::isfinite(*value);
}

// A word that is a strict beginning of a number: a sign, digits and at most one point,
// possibly an exponent in progress. Only used to tell "may still grow" from garbage.
bool mayBecomeNumber(const std::string& word) {
  static const char allowed[] = "+-.0123456789eE";
  for (char c : word)
    if (std::strchr(allowed, c) == nullptr) return false;
  return true;
}

}  // namespace

ReplyState parseShotReply(const std::string& received, ShotVector* shot) {
  if (received.size() > MAX_REPLY_LENGTH) return ReplyState::Garbage;
  const Words words = splitWords(received);
  const std::vector<std::string>& w = words.list;
  if (w.empty()) return ReplyState::Partial;
  const std::string keyword = SHOT_REPLY;
  if (w.size() == 1 && !words.lastTerminated)
    return keyword.compare(0, w[0].size(), w[0]) == 0 ? ReplyState::Partial : ReplyState::Garbage;
  if (w[0] != keyword || w.size() > 4) return ReplyState::Garbage;

  double values[3] = {};
  for (std::size_t i = 1; i < w.size(); ++i) {
    const bool growing = i + 1 == w.size() && !words.lastTerminated;
    if (!parseFinite(w[i], &values[i - 1])) {
      if (growing && mayBecomeNumber(w[i])) return ReplyState::Partial;
      return ReplyState::Garbage;
    }
  }
  if (w.size() < 4) return ReplyState::Partial;
  const double spin = values[2];
  if (spin != 0.0 && spin != 1.0) {
    // "1" may still be followed by more digits; anything else is final.
    return words.lastTerminated ? ReplyState::Garbage : ReplyState::Partial;
  }
  // A float that overflows is not a finite shot either.
  const float vx = float(values[0]), vy = float(values[1]);
  if (!std::isfinite(vx) || !std::isfinite(vy)) return ReplyState::Garbage;
  if (shot != nullptr) *shot = ShotVector{vx, vy, spin == 1.0};
  return words.lastTerminated ? ReplyState::Complete : ReplyState::Tentative;
}

ReplyState parseReadyReply(const std::string& received) {
  const Words words = splitWords(received);
  if (words.list.empty()) return ReplyState::Partial;
  if (words.list.size() > 1) return ReplyState::Garbage;
  const std::string keyword = READY_REPLY;
  const std::string& word = words.list[0];
  if (word == keyword) return ReplyState::Complete;
  if (!words.lastTerminated && keyword.compare(0, word.size(), word) == 0)
    return ReplyState::Partial;
  return ReplyState::Garbage;
}

std::string printable(const std::string& received) {
  std::string out;
  for (std::size_t i = 0; i < received.size() && i < SHOWN_REPLY_LENGTH; ++i) {
    const unsigned char c = static_cast<unsigned char>(received[i]);
    if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\') {
      out += char(c);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof(escaped), "\\x%02x", c);
      out += escaped;
    }
  }
  if (received.size() > SHOWN_REPLY_LENGTH) out += "...";
  return out;
}

}  // namespace varrowmere::match
