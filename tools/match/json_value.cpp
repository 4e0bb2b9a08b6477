#include "json_value.h"

#include <cstdint>
#include <cstdlib>
#include <utility>

namespace varrowmere::match {

namespace {

class JsonParser {
 public:
  explicit JsonParser(std::string_view text) : text_m(text) {}

  bool parse(JsonValue& value, std::string& error) {
    if (!parseValue(value, 0) || (skipSpace(), at_m != text_m.size())) {
      if (error_m.empty()) error_m = "unexpected text";
      error = error_m + " at column " + std::to_string(at_m + 1);
      return false;
    }
    return true;
  }

 private:
  bool fail(const char* what) {
    error_m = what;
    return false;
  }

  void skipSpace() {
    while (at_m < text_m.size() && (text_m[at_m] == ' ' || text_m[at_m] == '\t' ||
                                    text_m[at_m] == '\n' || text_m[at_m] == '\r'))
      ++at_m;
  }

  bool take(char c) {
    skipSpace();
    if (at_m < text_m.size() && text_m[at_m] == c) {
      ++at_m;
      return true;
    }
    return false;
  }

  bool word(std::string_view w) {
    if (text_m.substr(at_m, w.size()) != w) return fail("unknown word");
    at_m += w.size();
    return true;
  }

  bool parseValue(JsonValue& value, int depth) {
    skipSpace();
    if (at_m >= text_m.size()) return fail("value missing");
    const char c = text_m[at_m];
    if (c == '{' || c == '[') {
      if (depth >= JSON_MAX_DEPTH) return fail("nested too deeply");
      return c == '{' ? parseObject(value, depth + 1) : parseArray(value, depth + 1);
    }
    if (c == '"') {
      value.kind = JsonValue::Kind::STRING;
      return parseString(value.text);
    }
    if (c == 't' || c == 'f') {
      value.kind = JsonValue::Kind::BOOLEAN;
      value.boolean = c == 't';
      return word(c == 't' ? "true" : "false");
    }
    if (c == 'n') return word("null");
    value.kind = JsonValue::Kind::NUMBER;
    return parseNumber(value.number);
  }

  bool parseObject(JsonValue& value, int depth) {
    value.kind = JsonValue::Kind::OBJECT;
    ++at_m;
    if (take('}')) return true;
    do {
      JsonMember member;
      skipSpace();
      if (at_m >= text_m.size() || text_m[at_m] != '"') return fail("member name expected");
      if (!parseString(member.name)) return false;
      if (!take(':')) return fail("':' expected");
      if (!parseValue(member.value, depth)) return false;
      value.members.push_back(std::move(member));
    } while (take(','));
    return take('}') || fail("',' or '}' expected");
  }

  bool parseArray(JsonValue& value, int depth) {
    value.kind = JsonValue::Kind::ARRAY;
    ++at_m;
    if (take(']')) return true;
    do {
      value.items.emplace_back();
      if (!parseValue(value.items.back(), depth)) return false;
    } while (take(','));
    return take(']') || fail("',' or ']' expected");
  }

  // Four hex digits after "\u"; false if they are not.
  bool hex4(uint32_t& code) {
    if (at_m + 4 > text_m.size()) return false;
    code = 0;
    for (int i = 0; i < 4; ++i) {
      const char h = text_m[at_m++];
      const int digit = h >= '0' && h <= '9'   ? h - '0'
                        : h >= 'a' && h <= 'f' ? h - 'a' + 10
                        : h >= 'A' && h <= 'F' ? h - 'A' + 10
                                               : -1;
      if (digit < 0) return false;
      code = code * 16 + uint32_t(digit);
    }
    return true;
  }

  static void appendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
      out += char(code);
    } else if (code < 0x800) {
      out += char(0xC0 | (code >> 6));
      out += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += char(0xE0 | (code >> 12));
      out += char(0x80 | ((code >> 6) & 0x3F));
      out += char(0x80 | (code & 0x3F));
    } else {
      out += char(0xF0 | (code >> 18));
      out += char(0x80 | ((code >> 12) & 0x3F));
      out += char(0x80 | ((code >> 6) & 0x3F));
      out += char(0x80 | (code & 0x3F));
    }
  }

  bool parseString(std::string& out) {
    ++at_m;
    while (at_m < text_m.size()) {
      const unsigned char c = static_cast<unsigned char>(text_m[at_m++]);
      if (c == '"') return true;
      if (c < 0x20) return fail("control character in a string");
      if (c != '\\') {
        out += char(c);
        continue;
      }
      if (at_m >= text_m.size()) break;
      const char e = text_m[at_m++];
      const std::string_view plain = "\"\\/bfnrt", meaning = "\"\\/\b\f\n\r\t";
      if (const std::size_t k = plain.find(e); k != std::string_view::npos) {
        out += meaning[k];
        continue;
      }
      uint32_t code = 0;
      if (e != 'u' || !hex4(code)) return fail("bad escape in a string");
      // A surrogate pair makes one character; a lone surrogate becomes U+FFFD.
      if (code >= 0xD800 && code < 0xDC00 && text_m.substr(at_m, 2) == "\\u") {
        at_m += 2;
        uint32_t low = 0;
        if (!hex4(low)) return fail("bad escape in a string");
        code = low >= 0xDC00 && low < 0xE000 ? 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00)
                                             : 0xFFFD;
      } else if (code >= 0xD800 && code < 0xE000) {
        code = 0xFFFD;
      }
      appendUtf8(out, code);
    }
    return fail("string not closed");
  }

  // JSON's number grammar, then strtod on exactly that span.
  bool parseNumber(double& number) {
    const std::size_t start = at_m;
    const auto digits = [this] {
      const std::size_t from = at_m;
      while (at_m < text_m.size() && text_m[at_m] >= '0' && text_m[at_m] <= '9') ++at_m;
      return at_m > from;
    };
    if (at_m < text_m.size() && text_m[at_m] == '-') ++at_m;
    if (!digits()) return fail("value expected");
    if (at_m < text_m.size() && text_m[at_m] == '.') {
      ++at_m;
      if (!digits()) return fail("digits expected after '.'");
    }
    if (at_m < text_m.size() && (text_m[at_m] == 'e' || text_m[at_m] == 'E')) {
      ++at_m;
      if (at_m < text_m.size() && (text_m[at_m] == '+' || text_m[at_m] == '-')) ++at_m;
      if (!digits()) return fail("digits expected in the exponent");
    }
    const std::string span(text_m.substr(start, at_m - start));
    number = std::strtod(span.c_str(), nullptr);
    return true;
  }

  std::string_view text_m;
  std::size_t at_m = 0;
  std::string error_m;
};

}  // namespace

const JsonValue* JsonValue::find(std::string_view key) const {
  for (const auto& [name, value] : members)
    if (name == key) return &value;
  return nullptr;
}

bool parseJson(std::string_view text, JsonValue& value, std::string& error) {
  value = JsonValue{};
  return JsonParser(text).parse(value, error);
}

}  // namespace varrowmere::match
