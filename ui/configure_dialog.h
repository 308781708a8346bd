// The rules of the configuration dialog, written once for every toolkit: what the dialog
// shows when it opens, which control is enabled when, and which command runs what.
// A toolkit forwards its events here and implements DialogView.
#pragma once

#include <string>

#include "procedures/app_state.h"
#include "ui/dialog_view.h"

namespace torvane::ui {

struct ConfigureDialog {
  AppState& state;
  DialogView& view;
  // True while a command runs. A command that reaches the dialog meanwhile (a click the
  // loop of a box or of the open-file dialog handles) is dropped: none runs inside another.
  bool working = false;
};

constexpr const char* BROWSE_TITLE = "File Browser";
constexpr const char* BROWSE_FILTER_NAME = "Bit Files(*.bit)";
constexpr const char* BROWSE_PATTERN = "*.bit";
constexpr int PATH_MAX_CHARS = PATH_CAPACITY - 1;  // the terminator takes the last place
// What the path edit holds: far more than the buffer, so a longer path typed or pasted
// reaches OnPathEdited whole and is refused, instead of being cut by the edit to one
// that fits and may name another file.
constexpr int PATH_EDIT_LIMIT = 32767;
static_assert(PATH_EDIT_LIMIT > PATH_MAX_CHARS, "an over-long path must be seen as one");

// Initial states (Download disabled, Browse and the path edit enabled, the progress bar
// disabled with the range 0..100), then the first identification.
void OnInitDialog(ConfigureDialog& dialog);

// One command from a control. Any identifier the dialog does not know does nothing.
// Edits of the path are taken even while another command works, so the edit and the
// selected path never disagree.
void OnCommand(ConfigureDialog& dialog, int controlId);

// The close box: the application ends with exit code 0. Refused (false) while a command
// works; the dialog stays open.
bool OnClose(ConfigureDialog& dialog);

// Empties the path, asks for a file and shows the choice; Cancel leaves the path empty.
void BrowseForFile(ConfigureDialog& dialog);

// Takes the path edit's text as the selected path.
void OnPathEdited(ConfigureDialog& dialog);

// Download is possible exactly when a path is selected, whatever the device status.
bool IsDownloadEnabled(const char* path);

// Copies `text` into the path buffer. A text longer than the buffer holds is cut to
// PATH_MAX_CHARS; returns false in that case.
bool StorePath(AppState& state, const std::string& text);

}  // namespace torvane::ui
