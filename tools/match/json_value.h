#pragma once
// A small JSON reader for the referee's own files (the match log read back by --replay):
// one value per call, parsed into a tree. Malformed text, nesting deeper than JSON_MAX_DEPTH
// and anything after the value are refused with a message; nothing is thrown.

#include <string>
#include <string_view>
#include <vector>

namespace varrowmere::match {

// Deepest nesting of arrays and objects accepted (the log needs 4).
inline constexpr int JSON_MAX_DEPTH = 32;

struct JsonMember;

struct JsonValue {
  enum class Kind { NUL, BOOLEAN, NUMBER, STRING, ARRAY, OBJECT };
  Kind kind = Kind::NUL;
  bool boolean = false;
  double number = 0.0;
  std::string text;                                        // a string's value (UTF-8)
  std::vector<JsonValue> items;                            // an array's elements
  std::vector<JsonMember> members;                         // an object's, in order

  // The member named key of an object, or nullptr.
  const JsonValue* find(std::string_view key) const;
};

// One member of an object. (A pair would need JsonValue complete where it is declared.)
struct JsonMember {
  std::string name;
  JsonValue value;
};

// Parses text as exactly one JSON value. Returns false with a message for a person.
bool parseJson(std::string_view text, JsonValue& value, std::string& error);

}  // namespace varrowmere::match
