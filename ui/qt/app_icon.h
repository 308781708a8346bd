// The application icon IDI_APP, drawn rather than loaded: one 35 x 35 image.
#pragma once

#include <QIcon>

namespace torvane::ui {

QIcon AppIcon();

}  // namespace torvane::ui
