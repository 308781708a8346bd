#include "ui/qt/real_adapter.h"

namespace torvane::ui {

// Built without a USB backend: the open finds no device.
std::unique_ptr<Adapter> MakeRealAdapter() { return nullptr; }

}  // namespace torvane::ui
