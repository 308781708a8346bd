#include "ui/configure_dialog.h"

#include <cstring>
#include <string>

#include "cable/cable.h"
#include "procedures/identify.h"
#include "procedures/session.h"
#include "ui/report.h"
#include "ui/resource.h"

namespace torvane::ui {

namespace {
constexpr uint32_t PROGRESS_INITIAL_MAX = 100;

// The status line keeps its fixed text; why the cable would not open, and what to do
// about it, goes to the system log, where whoever looks after the machine finds it.
void LogOpenProblem(ConfigureDialog& dialog, const IdentifyResult& found) {
  const Adapter* adapter = dialog.state.link.adapter;
  if (found.openStatus == ADAPTER_OK || adapter == nullptr) return;
  const char* problem = adapter->LastOpenProblem();
  if (problem[0] == '\0') return;
  std::string entry = std::string("The FT232R cable could not be opened: ") + problem;
  const char* remedy = CableRemedy(adapter->LastOpenProblemKind());
  if (remedy) entry += std::string(" (") + remedy + ")";
  LogEvent(dialog.view, EventType::Warning, entry.c_str());
}
}  // namespace

bool IsDownloadEnabled(const char* path) { return path[0] != '\0'; }

bool StorePath(AppState& state, const std::string& text) {
  size_t length = text.size() < PATH_MAX_CHARS ? text.size() : PATH_MAX_CHARS;
  std::memcpy(state.path, text.data(), length);
  state.path[length] = '\0';
  return length == text.size();
}

void OnInitDialog(ConfigureDialog& dialog) {
  DialogView& view = dialog.view;
  view.EnableControl(IDC_DOWNLOAD, false);
  view.EnableControl(IDC_BROWSE, true);
  view.EnableControl(IDC_FILE_PATH, true);
  view.EnableControl(IDC_PROGRESS, false);
  view.SetProgressRange(0, PROGRESS_INITIAL_MAX);
  LogOpenProblem(dialog, IdentifyChain(dialog.state, view));
}

void OnCommand(ConfigureDialog& dialog, int controlId) {
  if (controlId == IDC_FILE_PATH) {
    OnPathEdited(dialog);
    return;
  }
  if (dialog.working) return;
  dialog.working = true;
  switch (controlId) {
    case IDC_DOWNLOAD:
      // The procedures show their own progress and verdict: the dialog needs nothing back.
      DownloadIdentified(dialog.state, dialog.view);
      break;
    case IDC_BROWSE:
      BrowseForFile(dialog);
      break;
    case IDC_CONNECT:
      LogOpenProblem(dialog, Reconnect(dialog.state, dialog.view));
      break;
    default:
      break;
  }
  dialog.working = false;
}

bool OnClose(ConfigureDialog& dialog) {
  if (dialog.working) return false;
  dialog.view.PostQuit(0);
  return true;
}

void BrowseForFile(ConfigureDialog& dialog) {
  AppState& state = dialog.state;
  state.path[0] = '\0';
  std::string chosen =
      dialog.view.ShowOpenFileDialog({BROWSE_TITLE, BROWSE_FILTER_NAME, BROWSE_PATTERN});
  // A path the buffer cannot hold whole counts as no choice: cut short, it would name
  // another file, or one that does not exist.
  if (chosen.size() <= PATH_MAX_CHARS) {
    StorePath(state, chosen);
  }
  dialog.view.SetControlText(IDC_FILE_PATH, state.path);
  dialog.view.EnableControl(IDC_DOWNLOAD, IsDownloadEnabled(state.path));
}

void OnPathEdited(ConfigureDialog& dialog) {
  // As with Browse, a path the buffer cannot hold whole is no path: cut short it could
  // name another file.
  if (!StorePath(dialog.state, dialog.view.GetControlText(IDC_FILE_PATH))) {
    dialog.state.path[0] = '\0';
  }
  dialog.view.EnableControl(IDC_DOWNLOAD, IsDownloadEnabled(dialog.state.path));
}

}  // namespace torvane::ui
