#include "ui/configure_dialog.h"

#include <cstring>

#include "link/adapter_link.h"
#include "procedures/identify.h"
#include "ui/resource.h"

namespace torvane::ui {

namespace {
constexpr uint32_t PROGRESS_INITIAL_MAX = 100;
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
  view.SetIcon(IDI_APP);
  view.EnableControl(IDC_DOWNLOAD, false);
  view.EnableControl(IDC_BROWSE, true);
  view.EnableControl(IDC_FILE_PATH, true);
  view.EnableControl(IDC_PROGRESS, false);
  view.SetProgressRange(0, PROGRESS_INITIAL_MAX);
  IdentifyChain(dialog.state, view);
}

void OnCommand(ConfigureDialog& dialog, int controlId) {
  switch (controlId) {
    case IDC_DOWNLOAD: {
      DownloadFn run = nullptr;
      if (dialog.state.deviceMode == DEVICE_FPGA) {
        run = dialog.downloads.fpga;
      } else if (dialog.state.deviceMode == DEVICE_PROM) {
        run = dialog.downloads.prom;
      } else {
        // Before any identification has finished, or when it found no supported device.
        ReportError(dialog.view, MessageOwner::Dialog, INTERFACE_NOT_PRESENT);
        return;
      }
      if (run != nullptr) {
        run(dialog.state, dialog.view);
      }
      return;
    }
    case IDC_BROWSE:
      BrowseForFile(dialog);
      return;
    case IDC_FILE_PATH:
      OnPathEdited(dialog);
      return;
    case IDC_CONNECT:
      // Closed even when the last open failed: the driver answers for the stale handle.
      LinkClose(dialog.state.link);
      IdentifyChain(dialog.state, dialog.view);
      return;
    default:
      return;
  }
}

void OnClose(ConfigureDialog& dialog) { dialog.view.PostQuit(0); }

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
  // name another file. The edits themselves take no more than the buffer holds.
  if (!StorePath(dialog.state, dialog.view.GetControlText(IDC_FILE_PATH))) {
    dialog.state.path[0] = '\0';
  }
  dialog.view.EnableControl(IDC_DOWNLOAD, IsDownloadEnabled(dialog.state.path));
}

}  // namespace torvane::ui
