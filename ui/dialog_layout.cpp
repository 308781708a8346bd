#include "ui/dialog_layout.h"

#include <iterator>

#include "ui/resource.h"

namespace torvane::ui {

namespace {
constexpr uint32_t STATUS_LINE =
    STYLE_DISABLED | STYLE_CENTRED | STYLE_AUTO_HSCROLL | STYLE_BORDER | STYLE_TAB_STOP;
}  // namespace

// Resource order. The group boxes sit among the controls they frame; they never take
// input, so their place in the order only matters for drawing.
const ControlSpec CONFIGURE_CONTROLS[] = {
    {ControlKind::GroupBox, NO_CONTROL_ID, "Select File", 16, 98, 170, 52, 0},
    {ControlKind::PushButton, IDC_BROWSE, "Browse ...", 129, 111, 50, 14, STYLE_TAB_STOP},
    {ControlKind::Edit, IDC_FILE_PATH, "", 22, 131, 157, 13,
     STYLE_MULTILINE | STYLE_AUTO_HSCROLL | STYLE_AUTO_VSCROLL | STYLE_BORDER | STYLE_TAB_STOP |
         STYLE_RTL_READING},
    {ControlKind::PushButton, IDC_DOWNLOAD, "Download", 16, 73, 51, 17, STYLE_TAB_STOP},
    {ControlKind::Edit, IDC_USB_STATUS, "", 81, 18, 117, 12, STATUS_LINE},
    {ControlKind::GroupBox, NO_CONTROL_ID, "Configure", 10, 62, 201, 114, 0},
    {ControlKind::PushButton, IDC_CONNECT, "Connect", 17, 17, 51, 12,
     STYLE_DEFAULT_BUTTON | STYLE_TAB_STOP},
    {ControlKind::Edit, IDC_DEVICE_STATUS, "", 81, 38, 117, 12, STATUS_LINE},
    {ControlKind::GroupBox, NO_CONTROL_ID, "Connection", 9, 3, 201, 56, 0},
    {ControlKind::ProgressBar, IDC_PROGRESS, "", 16, 158, 170, 7, STYLE_SMOOTH | STYLE_BORDER},
};

const size_t CONFIGURE_CONTROL_COUNT = std::size(CONFIGURE_CONTROLS);

const ControlSpec* FindControl(int id) {
  for (size_t i = 0; i < CONFIGURE_CONTROL_COUNT; ++i) {
    if (CONFIGURE_CONTROLS[i].id == id && id != NO_CONTROL_ID) {
      return &CONFIGURE_CONTROLS[i];
    }
  }
  return nullptr;
}

}  // namespace torvane::ui
