// A strict reader of one JSON value, for tests that check what a program wrote: the
// whole text must be that value (whitespace around it aside), or the parse fails.
#pragma once

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace torvane::testing {

struct JsonValue {
  enum class Kind { Null, Bool, Number, String, Array, Object } kind = Kind::Null;
  bool boolean = false;
  double number = 0;
  std::string text;
  std::vector<JsonValue> items;
  std::vector<std::pair<std::string, JsonValue>> members;

  // The member named `key`; a Null value when there is none.
  const JsonValue& operator[](const std::string& key) const {
    static const JsonValue missing;
    for (const auto& [name, value] : members) {
      if (name == key) return value;
    }
    return missing;
  }
};

class JsonReader {
 public:
  explicit JsonReader(const std::string& text) : text_(text) {}

  bool ReadWhole(JsonValue* out) {
    bool ok = Value(out);
    Space();
    return ok && at_ == text_.size();
  }

 private:
  void Space() {
    while (at_ < text_.size() && std::string(" \t\r\n").find(text_[at_]) != std::string::npos) {
      ++at_;
    }
  }
  bool Literal(const char* word) {
    std::string w(word);
    if (text_.compare(at_, w.size(), w) != 0) return false;
    at_ += w.size();
    return true;
  }
  bool String(std::string* out) {
    if (at_ >= text_.size() || text_[at_] != '"') return false;
    for (++at_; at_ < text_.size(); ++at_) {
      char c = text_[at_];
      if (c == '"') {
        ++at_;
        return true;
      }
      if (static_cast<unsigned char>(c) < 0x20) return false;
      if (c != '\\') {
        *out += c;
        continue;
      }
      if (++at_ >= text_.size()) return false;
      char e = text_[at_];
      if (e == 'u') {
        if (at_ + 4 >= text_.size()) return false;
        unsigned long code = std::strtoul(text_.substr(at_ + 1, 4).c_str(), nullptr, 16);
        *out += static_cast<char>(code < 0x80 ? code : '?');
        at_ += 4;
      } else if (std::string("\"\\/").find(e) != std::string::npos) {
        *out += e;
      } else if (std::string("bfnrt").find(e) != std::string::npos) {
        *out += ' ';
      } else {
        return false;
      }
    }
    return false;
  }
  bool Value(JsonValue* out) {
    Space();
    if (at_ >= text_.size()) return false;
    char c = text_[at_];
    if (c == '{') return Object(out);
    if (c == '[') return Array(out);
    if (c == '"') {
      out->kind = JsonValue::Kind::String;
      return String(&out->text);
    }
    if (Literal("null")) return true;
    if (Literal("true") || Literal("false")) {
      out->kind = JsonValue::Kind::Bool;
      out->boolean = text_[at_ - 1] == 'e' && text_[at_ - 2] == 'u';
      return true;
    }
    const char* start = text_.c_str() + at_;
    char* end = nullptr;
    out->number = std::strtod(start, &end);
    if (end == start || !(c == '-' || (c >= '0' && c <= '9'))) return false;
    out->kind = JsonValue::Kind::Number;
    at_ += static_cast<size_t>(end - start);
    return true;
  }
  bool Array(JsonValue* out) {
    out->kind = JsonValue::Kind::Array;
    ++at_;
    Space();
    if (at_ < text_.size() && text_[at_] == ']') return ++at_, true;
    for (;;) {
      out->items.emplace_back();
      if (!Value(&out->items.back())) return false;
      Space();
      if (at_ >= text_.size()) return false;
      if (text_[at_++] == ']') return true;
      if (text_[at_ - 1] != ',') return false;
    }
  }
  bool Object(JsonValue* out) {
    out->kind = JsonValue::Kind::Object;
    ++at_;
    Space();
    if (at_ < text_.size() && text_[at_] == '}') return ++at_, true;
    for (;;) {
      Space();
      std::string key;
      if (!String(&key)) return false;
      Space();
      if (at_ >= text_.size() || text_[at_++] != ':') return false;
      out->members.emplace_back(key, JsonValue{});
      if (!Value(&out->members.back().second)) return false;
      Space();
      if (at_ >= text_.size()) return false;
      if (text_[at_++] == '}') return true;
      if (text_[at_ - 1] != ',') return false;
    }
  }

  const std::string& text_;
  size_t at_ = 0;
};

}  // namespace torvane::testing
