#include "sim/dll/board_choice.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace torvane::sim {

namespace {
constexpr const char* LATENCY_WORD = "latency=";
}  // namespace

bool ParseBoardChoice(const std::string& text, BoardChoice* choice) {
  *choice = BoardChoice{};
  std::istringstream words(text);
  std::string word;
  if (!(words >> word)) return true;
  if (!ParseBoardName(word, &choice->kind)) return false;
  // Later words are notes, but for the driver's latency timer.
  while (words >> word) {
    if (word.rfind(LATENCY_WORD, 0) != 0) continue;
    const char* digits = word.c_str() + std::char_traits<char>::length(LATENCY_WORD);
    char* end = nullptr;
    long milliseconds = std::strtol(digits, &end, 10);
    if (end != digits && *end == '\0' && milliseconds >= 1 && milliseconds <= 255) {
      choice->driverLatencyMs = static_cast<uint8_t>(milliseconds);
    }
  }
  return true;
}

bool ReadBoardChoice(const std::string& directory, BoardChoice* choice) {
  std::ifstream file(directory + BOARD_FILE_NAME, std::ios::binary);
  if (!file) {
    *choice = BoardChoice{};
    return true;
  }
  std::ostringstream text;
  text << file.rdbuf();
  return ParseBoardChoice(text.str(), choice);
}

}  // namespace torvane::sim
