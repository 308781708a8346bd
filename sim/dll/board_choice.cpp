#include "sim/dll/board_choice.h"

#include <fstream>
#include <sstream>

namespace torvane::sim {

bool ParseBoardChoice(const std::string& text, BoardKind* kind) {
  std::istringstream words(text);
  std::string name;
  if (!(words >> name)) {
    *kind = DEFAULT_BOARD;
    return true;
  }
  return ParseBoardName(name, kind);
}

bool ReadBoardChoice(const std::string& directory, BoardKind* kind) {
  std::ifstream file(directory + BOARD_FILE_NAME, std::ios::binary);
  if (!file) {
    *kind = DEFAULT_BOARD;
    return true;
  }
  std::ostringstream text;
  text << file.rdbuf();
  return ParseBoardChoice(text.str(), kind);
}

}  // namespace torvane::sim
