#include "link/libftdi_adapter.h"
#include "ui/qt/real_adapter.h"

namespace torvane::ui {

std::unique_ptr<Adapter> MakeRealAdapter() { return std::make_unique<LibftdiAdapter>(); }

}  // namespace torvane::ui
