// The adapter the installed tool talks to: the libftdi backend when the build has it,
// otherwise none, and the dialog then reports the adapter as not connected.
#pragma once

#include <memory>

#include "link/adapter.h"

namespace torvane::ui {

std::unique_ptr<Adapter> MakeRealAdapter();

}  // namespace torvane::ui
