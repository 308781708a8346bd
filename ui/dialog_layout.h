// The layout of the configuration dialog: caption, size, font and every control in
// resource order (which is also the creation and tab order), positions in dialog units.
// The Qt dialog builds its window from this table; the Win32 dialog is made from the
// resource script, which a test holds to the table control by control.
#pragma once

#include <cstddef>
#include <cstdint>

namespace torvane::ui {

constexpr const char* DIALOG_CAPTION = "Configure Device ( Spartan - 3)";
constexpr const char* DIALOG_FONT = "MS Sans Serif";
constexpr int DIALOG_FONT_POINTS = 8;
constexpr int DIALOG_WIDTH_DU = 222;
constexpr int DIALOG_HEIGHT_DU = 180;

enum class ControlKind { GroupBox, PushButton, Edit, ProgressBar };

// Control styles, named after what they do rather than after one toolkit's flags.
constexpr uint32_t STYLE_TAB_STOP = 1u << 0;
constexpr uint32_t STYLE_DISABLED = 1u << 1;
constexpr uint32_t STYLE_CENTRED = 1u << 2;
constexpr uint32_t STYLE_BORDER = 1u << 3;
constexpr uint32_t STYLE_AUTO_HSCROLL = 1u << 4;
constexpr uint32_t STYLE_AUTO_VSCROLL = 1u << 5;
constexpr uint32_t STYLE_MULTILINE = 1u << 6;
constexpr uint32_t STYLE_RTL_READING = 1u << 7;
constexpr uint32_t STYLE_DEFAULT_BUTTON = 1u << 8;
constexpr uint32_t STYLE_SMOOTH = 1u << 9;

constexpr int NO_CONTROL_ID = -1;  // group boxes: static, never addressed

struct ControlSpec {
  ControlKind kind;
  int id;            // an IDC_* value, or NO_CONTROL_ID
  const char* text;  // the initial text; empty for edits and the progress bar
  int x, y, width, height;  // dialog units
  uint32_t styles;
};

extern const ControlSpec CONFIGURE_CONTROLS[];
extern const size_t CONFIGURE_CONTROL_COUNT;

// The entry for a control identifier, or null.
const ControlSpec* FindControl(int id);

}  // namespace torvane::ui
