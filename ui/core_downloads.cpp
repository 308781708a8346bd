#include "ui/core_downloads.h"

namespace torvane::ui {

// The FPGA and PROM procedures are wired here as they join the core; until then
// Download in that mode runs nothing.
DownloadProcedures CoreDownloadProcedures() { return DownloadProcedures{}; }

}  // namespace torvane::ui
