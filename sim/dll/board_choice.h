// Which simulated board the stand-in driver library plays: named in a text file beside
// the DLL, so that no option of the tool is needed to pick one, with the driver's own
// latency timer when a user is to have changed it.
#pragma once

#include <cstdint>
#include <string>

#include "sim/board.h"

namespace torvane::sim {

constexpr const char* BOARD_FILE_NAME = "ftd2xx-board.txt";
constexpr BoardKind DEFAULT_BOARD = BoardKind::Prom200;
// The serial number of the one FT232R the library lists while a board is plugged in.
constexpr const char* SIM_CABLE_SERIAL = "TVSIM001";

struct BoardChoice {
  BoardKind kind = DEFAULT_BOARD;
  uint8_t driverLatencyMs = Board::DEFAULT_LATENCY_MS;
};

// The board named by the first word of `text` (a name of sim::Boards(): "xc3s200",
// "prom", "prom-stuck", ...), the default board for an empty text; a later word
// "latency=MS" (1 to 255) is the driver's latency timer, other words are ignored. False
// for a name no board has.
bool ParseBoardChoice(const std::string& text, BoardChoice* choice);

// Reads the board file in `directory` (with its trailing separator); a missing file
// chooses the default board.
bool ReadBoardChoice(const std::string& directory, BoardChoice* choice);

}  // namespace torvane::sim
