// The one JSON object --json writes on standard output: members added in order, strings
// escaped so that any byte of a header field still gives valid JSON.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace torvane::cli {

// `text` as a JSON string; bytes past ASCII are read as Latin-1.
std::string JsonString(const std::string& text);
std::string JsonArray(const std::vector<std::string>& items);  // items already JSON

class JsonObject {
 public:
  JsonObject& Text(const char* key, const std::string& value);
  JsonObject& TextOrNull(const char* key, const std::string& value);  // null when empty
  JsonObject& Number(const char* key, uint64_t value);
  JsonObject& Seconds(const char* key, double value);  // to the millisecond
  JsonObject& Json(const char* key, const std::string& value);  // already JSON
  JsonObject& Members(const JsonObject& other);                 // all of other's, in order
  std::string str() const { return "{" + body_ + "}"; }

 private:
  std::string body_;
};

}  // namespace torvane::cli
