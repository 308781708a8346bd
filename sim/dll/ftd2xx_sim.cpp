// The stand-in driver library: each exported call goes to one simulated board, attached
// through one FT232R with the serial number SIM_CABLE_SERIAL, whose samples the driver
// reads all the time into its buffer, as the vendor's does. The board file beside the
// DLL is read at every open and every listing made while no handle is open, as plugging
// in another board between two connections would; "none", or a name no board has, is an
// unplugged cable.
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "link/adapter.h"
#include "link/adapter_link.h"
#include "sim/board.h"
#include "sim/dll/board_choice.h"

namespace {

using torvane::sim::Board;
using torvane::sim::BoardKind;

std::unique_ptr<Board> board;

// The directory this DLL was loaded from, with its trailing separator.
std::string OwnDirectory() {
  HMODULE self = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&OwnDirectory), &self);
  char path[MAX_PATH] = {};
  DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
  std::string directory(path, length);
  size_t slash = directory.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : directory.substr(0, slash + 1);
}

// The board the next open talks to, or null when the board file names none.
Board* PluggedBoard() {
  if (board && board->isOpen()) {
    return board.get();
  }
  torvane::sim::BoardChoice choice;
  if (!torvane::sim::ReadBoardChoice(OwnDirectory(), &choice)) {
    choice.kind = BoardKind::None;
  }
  if (!board || board->kind() != choice.kind) {
    board = torvane::sim::MakeBoard(choice.kind);
    board->SetSampleDrain(torvane::sim::SampleDrain::Continuous);
  }
  board->SetDriverLatency(choice.driverLatencyMs);
  return board.get();
}

// The board's time follows the wall clock between calls: the driver's callers wait by
// sleeping, and the chip's latency timer and the FPGA's clearing run on in the meantime.
std::chrono::steady_clock::time_point synced = std::chrono::steady_clock::now();

Board* Live() {
  auto now = std::chrono::steady_clock::now();
  auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - synced);
  synced += elapsed;
  if (board && elapsed.count() > 0) board->Wait(static_cast<uint32_t>(elapsed.count()));
  return board.get();
}

uint32_t Status(int status) { return static_cast<uint32_t>(status); }

// Calls on a handle before any open: the driver knows no such handle.
constexpr uint32_t NO_BOARD = torvane::ADAPTER_INVALID_HANDLE;

// What the listing says of the chip: its driver type, USB vendor and product, and a port.
constexpr const char* SERIAL = torvane::sim::SIM_CABLE_SERIAL;
constexpr uint32_t OPENED = 1;
constexpr uint32_t FT232R = 5;
constexpr uint32_t USB_ID = 0x04036001;
constexpr uint32_t LOCATION = 0x0111;

}  // namespace

extern "C" {

__declspec(dllexport) uint32_t FT_OpenEx(void* argument, uint32_t flags, void** handle) {
  if (handle == nullptr) return Status(torvane::ADAPTER_INVALID_PARAMETER);
  *handle = nullptr;
  if (argument == nullptr) return Status(torvane::ADAPTER_DEVICE_NOT_FOUND);
  const char* named = static_cast<const char*>(argument);
  if (flags == torvane::OPEN_BY_DESCRIPTION) return Status(PluggedBoard()->Open(named, handle));
  // The chip's serial number finds it whatever its description; a location finds nothing.
  if (flags == torvane::OPEN_BY_SERIAL_NUMBER && std::strcmp(named, SERIAL) == 0) {
    return Status(PluggedBoard()->Open(torvane::ADAPTER_DESCRIPTION, handle));
  }
  return Status(torvane::ADAPTER_DEVICE_NOT_FOUND);
}

// The list has the one chip while a board is plugged in, and nothing for the board "none".
__declspec(dllexport) uint32_t FT_CreateDeviceInfoList(uint32_t* count) {
  if (count == nullptr) return Status(torvane::ADAPTER_INVALID_PARAMETER);
  *count = PluggedBoard()->kind() == BoardKind::None ? 0 : 1;
  return Status(torvane::ADAPTER_OK);
}

__declspec(dllexport) uint32_t FT_GetDeviceInfoDetail(uint32_t index, uint32_t* flags,
                                                      uint32_t* type, uint32_t* id,
                                                      uint32_t* locationId, char* serial,
                                                      char* description, void** handle) {
  if (index != 0 || !board || board->kind() == BoardKind::None) {
    return Status(torvane::ADAPTER_DEVICE_NOT_FOUND);
  }
  // A chip open elsewhere shows the flag alone, as the driver has nothing else to say.
  bool held = board->isOpen();
  if (flags) *flags = held ? OPENED : 0;
  if (type) *type = held ? 0 : FT232R;
  if (id) *id = held ? 0 : USB_ID;
  if (locationId) *locationId = held ? 0 : LOCATION;
  if (serial) std::strcpy(serial, held ? "" : SERIAL);
  if (description) std::strcpy(description, held ? "" : torvane::ADAPTER_DESCRIPTION);
  if (handle) *handle = nullptr;
  return Status(torvane::ADAPTER_OK);
}

__declspec(dllexport) uint32_t FT_SetUSBParameters(void* handle, uint32_t in, uint32_t out) {
  return Live() ? Status(board->SetUsbParameters(handle, in, out)) : NO_BOARD;
}

__declspec(dllexport) uint32_t FT_SetBitMode(void* handle, uint8_t mask, uint8_t mode) {
  return Live() ? Status(board->SetBitMode(handle, mask, mode)) : NO_BOARD;
}

__declspec(dllexport) uint32_t FT_SetBaudRate(void* handle, uint32_t baud) {
  return Live() ? Status(board->SetBaudRate(handle, baud)) : NO_BOARD;
}

__declspec(dllexport) uint32_t FT_Purge(void* handle, uint32_t mask) {
  return Live() ? Status(board->Purge(handle, mask)) : NO_BOARD;
}

__declspec(dllexport) uint32_t FT_SetLatencyTimer(void* handle, uint8_t milliseconds) {
  return Live() ? Status(board->SetLatencyTimer(handle, milliseconds)) : NO_BOARD;
}

__declspec(dllexport) uint32_t FT_Write(void* handle, void* data, uint32_t count,
                                        uint32_t* written) {
  if (written == nullptr) return Status(torvane::ADAPTER_INVALID_PARAMETER);
  *written = 0;
  return Live() ? Status(board->Write(handle, static_cast<const uint8_t*>(data), count, written))
               : NO_BOARD;
}

__declspec(dllexport) uint32_t FT_GetStatus(void* handle, uint32_t* rxQueued,
                                            uint32_t* txQueued, uint32_t* eventStatus) {
  if (rxQueued == nullptr || txQueued == nullptr || eventStatus == nullptr) {
    return Status(torvane::ADAPTER_INVALID_PARAMETER);
  }
  *rxQueued = *txQueued = *eventStatus = 0;
  return Live() ? Status(board->GetStatus(handle, rxQueued, txQueued, eventStatus)) : NO_BOARD;
}

__declspec(dllexport) uint32_t FT_Read(void* handle, void* buffer, uint32_t count,
                                       uint32_t* read) {
  if (read == nullptr) return Status(torvane::ADAPTER_INVALID_PARAMETER);
  *read = 0;
  return Live() ? Status(board->Read(handle, static_cast<uint8_t*>(buffer), count, read))
               : NO_BOARD;
}

__declspec(dllexport) uint32_t FT_Close(void* handle) {
  return Live() ? Status(board->Close(handle)) : NO_BOARD;
}

}  // extern "C"
