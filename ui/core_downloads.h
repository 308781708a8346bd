// The download procedures of the core, as the dialog's Download command reaches them.
#pragma once

#include "ui/configure_dialog.h"

namespace torvane::ui {

DownloadProcedures CoreDownloadProcedures();

}  // namespace torvane::ui
