#include "soak_checks.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace varrowmere::soak {

namespace {

// Digits after the point that "%f" prints.
constexpr std::size_t FIXED_DECIMALS = 6;

// A number as "%f" prints a finite one: optional minus, digits, a point, six digits.
bool fixedNumber(const std::string& text, std::size_t& pos, float& value) {
  const std::size_t start = pos;
  if (pos < text.size() && text[pos] == '-') ++pos;
  const std::size_t digits = pos;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') ++pos;
  if (pos == digits || pos >= text.size() || text[pos] != '.') return false;
  ++pos;
  for (std::size_t d = 0; d < FIXED_DECIMALS; ++d, ++pos) {
    if (pos >= text.size() || text[pos] < '0' || text[pos] > '9') return false;
  }
  const double number = std::strtod(text.c_str() + start, nullptr);
  value = static_cast<float>(number);
  return std::isfinite(value);
}

bool literal(const std::string& text, std::size_t& pos, const char* word) {
  const std::string w(word);
  if (text.compare(pos, w.size(), w) != 0) return false;
  pos += w.size();
  return true;
}

}  // namespace

bool parseBestShot(const std::string& text, ShotVector& shot) {
  std::size_t pos = 0;
  ShotVector parsed;
  if (!literal(text, pos, "BESTSHOT ") || !fixedNumber(text, pos, parsed.vx) ||
      !literal(text, pos, " ") || !fixedNumber(text, pos, parsed.vy) || !literal(text, pos, " "))
    return false;
  if (pos + 1 != text.size() || (text[pos] != '0' && text[pos] != '1')) return false;
  parsed.spin = text[pos] == '1';
  shot = parsed;
  return true;
}

int64_t residentKb(const std::string& statusText) {
  std::istringstream lines(statusText);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("VmRSS:", 0) != 0) continue;
    char* end = nullptr;
    const long long kb = std::strtoll(line.c_str() + 6, &end, 10);
    if (end == line.c_str() + 6 || kb < 0) return -1;
    return kb;
  }
  return -1;
}

int64_t residentKbOf(pid_t pid) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/status");
  if (!file) return -1;
  std::stringstream text;
  text << file.rdbuf();
  return residentKb(text.str());
}

MemoryVerdict judgeMemory(const std::vector<int64_t>& samples, double tolerance) {
  MemoryVerdict verdict;
  if (samples.empty() || samples.front() <= 0) return verdict;
  verdict.baseline = samples.front();
  verdict.highest = *std::max_element(samples.begin(), samples.end());
  verdict.lowest = *std::min_element(samples.begin(), samples.end());
  const double limit = static_cast<double>(verdict.baseline) * (1.0 + tolerance);
  verdict.within = verdict.lowest > 0 && static_cast<double>(verdict.highest) <= limit;
  return verdict;
}

}  // namespace varrowmere::soak
