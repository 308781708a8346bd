#include "cli/json_writer.h"

#include <cstdio>

namespace torvane::cli {

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte >= 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04X", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string JsonArray(const std::vector<std::string>& items) {
  std::string out = "[";
  for (size_t i = 0; i < items.size(); ++i) out += (i ? "," : "") + items[i];
  return out + "]";
}

JsonObject& JsonObject::Json(const char* key, const std::string& value) {
  body_ += (body_.empty() ? "" : ",") + JsonString(key) + ":" + value;
  return *this;
}

JsonObject& JsonObject::Members(const JsonObject& other) {
  if (!other.body_.empty()) body_ += (body_.empty() ? "" : ",") + other.body_;
  return *this;
}

JsonObject& JsonObject::Text(const char* key, const std::string& value) {
  return Json(key, JsonString(value));
}

JsonObject& JsonObject::TextOrNull(const char* key, const std::string& value) {
  return Json(key, value.empty() ? "null" : JsonString(value));
}

JsonObject& JsonObject::Number(const char* key, uint64_t value) {
  return Json(key, std::to_string(value));
}

JsonObject& JsonObject::Seconds(const char* key, double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", value);
  return Json(key, text);
}

}  // namespace torvane::cli
