// What every benchmark shares: a dialog host that shows nothing, the test .bit files
// written once per process, and an application state bound to an adapter and identified.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "link/null_adapter.h"
#include "procedures/app_state.h"
#include "procedures/dialog_host.h"

namespace torvane::bench {

// Progress and message boxes cost nothing here, so the figures are the procedures' own.
class SilentHost : public DialogHost {
 public:
  void SetStatusLine(StatusLine, const char*) override {}
  void SetProgressRange(uint32_t, uint32_t) override {}
  void SetProgressPos(uint32_t) override {}
  void ShowError(MessageOwner, const char* text) override { lastMessage = text; }
  void ShowVerdict(DownloadResult result) override { lastMessage = VerdictText(result); }
  const char* lastMessage = nullptr;  // the verdict, to tell a run that went wrong
};

// The discarding adapter with one answer from a device: an exchange's samples end as a
// status scan of a cleared FPGA alone reads (INIT high, DONE low), so the clear before a
// load passes and the figures are the load's own.
class ClearedFpgaNullAdapter : public NullAdapter {
 public:
  int Exchange(AdapterHandle handle, const uint8_t* data, uint32_t count, uint8_t* samples,
               uint32_t boundMs, uint32_t* written, uint32_t* read) override;
};

// The full PROM: 512 blocks of 512 bytes.
constexpr size_t PROM_IMAGE_BYTES = 262144;

enum class BenchFile { Xc3s200, Xc3s400, PromImage };

// The data bytes the file carries after its header.
size_t BenchDataBytes(BenchFile which);

// Writes the file on first use into a scratch directory that is removed at exit; "" when
// it cannot be written.
std::string BenchFilePath(BenchFile which);

// Binds the state to `adapter`, selects `path` and identifies the chain, as the dialog
// does before the first Download.
void PrepareState(AppState& state, Adapter& adapter, const std::string& path, DialogHost& host);

}  // namespace torvane::bench
