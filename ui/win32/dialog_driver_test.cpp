#include "ui/win32/dialog_driver_test.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace torvane::ui::testing {

namespace {

constexpr auto PATIENCE = std::chrono::seconds(20);
constexpr UINT SYNC_MARKER = WM_APP + 0x5A;
constexpr int MSGBOX_TEXT_ID = 0xFFFF;
constexpr int MSGBOX_ICON_IDS[] = {0x0440, 0x0014};  // Wine's and Windows' icon control
constexpr int FILE_NAME_COMBO = 0x047C;              // cmb13
constexpr int FILE_NAME_EDIT = 0x0480;               // edt1
constexpr int FILE_TYPE_COMBO = 0x0470;              // cmb1

std::atomic<int> markersSeen{0};

// Counts the sync markers as the dialog's thread retrieves them, in whichever of its
// message loops (the dialog's, a message box's) is running.
LRESULT CALLBACK MarkerHook(int code, WPARAM wParam, LPARAM lParam) {
  const MSG* message = reinterpret_cast<const MSG*>(lParam);
  if (code == HC_ACTION && wParam == PM_REMOVE && message->message == SYNC_MARKER) {
    ++markersSeen;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

std::string WindowText(HWND window) {
  char text[1024] = {};
  SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

template <typename Condition>
bool WaitUntil(Condition condition) {
  auto deadline = std::chrono::steady_clock::now() + PATIENCE;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

struct ThreadDialogs {
  HWND exclude;
  std::vector<HWND> found;
};

// The visible dialog-class windows of one thread other than the configuration dialog.
std::vector<HWND> OtherDialogs(DWORD thread, HWND exclude) {
  ThreadDialogs search{exclude, {}};
  EnumThreadWindows(
      thread,
      [](HWND window, LPARAM data) -> BOOL {
        auto* search = reinterpret_cast<ThreadDialogs*>(data);
        char className[32] = {};
        GetClassNameA(window, className, sizeof className);
        if (window != search->exclude && IsWindowVisible(window) &&
            std::string(className) == "#32770") {
          search->found.push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForDialog(DWORD thread, HWND exclude, const char* title) {
  HWND found = nullptr;
  WaitUntil([&] {
    for (HWND window : OtherDialogs(thread, exclude)) {
      if (title == nullptr || WindowText(window) == title) {
        found = window;
        return true;
      }
    }
    return false;
  });
  return found;
}

}  // namespace

std::string DialogDriver::Text(int id) const { return WindowText(Control(id)); }

int DialogDriver::ProgressPos() const {
  return static_cast<int>(SendMessageA(Control(IDC_PROGRESS), PBM_GETPOS, 0, 0));
}

int DialogDriver::ProgressMax() const {
  return static_cast<int>(SendMessageA(Control(IDC_PROGRESS), PBM_GETRANGE, FALSE, 0));
}

void DialogDriver::Click(int id) { PostMessageA(Control(id), BM_CLICK, 0, 0); }

void DialogDriver::Type(int id, const std::string& text) {
  for (char c : text) {
    PostMessageA(Control(id), WM_CHAR, static_cast<unsigned char>(c), 1);
  }
}

void DialogDriver::Key(int id, UINT virtualKey) {
  UINT scan = MapVirtualKeyA(virtualKey, 0);
  PostMessageA(Control(id), WM_KEYDOWN, virtualKey, 1 | (scan << 16));
  PostMessageA(Control(id), WM_KEYUP, virtualKey, 1 | (scan << 16) | 0xC0000000u);
}

void DialogDriver::Paste(int id, const std::string& text) {
  SendMessageA(Control(id), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

bool DialogDriver::Sync() {
  // Twice: handling a key can post its character behind the first marker.
  for (int round = 0; round < 2; ++round) {
    int target = markersSeen + 1;
    if (!PostMessageA(dialog_, SYNC_MARKER, 0, 0)) return false;
    if (!WaitUntil([&] { return markersSeen >= target; })) return false;
  }
  return true;
}

bool DialogDriver::BoxOpen() const { return !OtherDialogs(thread_, dialog_).empty(); }

bool DialogDriver::AnswerMessageBox(MessageBoxSeen* seen) {
  HWND box = WaitForDialog(thread_, dialog_, nullptr);
  if (box == nullptr) return false;
  seen->caption = WindowText(box);
  seen->text = WindowText(GetDlgItem(box, MSGBOX_TEXT_ID));
  HICON shown = nullptr;
  for (int id : MSGBOX_ICON_IDS) {
    if (GetDlgItem(box, id) != nullptr) {
      shown = reinterpret_cast<HICON>(SendDlgItemMessageA(box, id, STM_GETICON, 0, 0));
      break;
    }
  }
  seen->errorIcon = shown != nullptr && shown == LoadIconA(nullptr, IDI_HAND);
  seen->informationIcon = shown != nullptr && shown == LoadIconA(nullptr, IDI_ASTERISK);
  PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  return WaitUntil([&] { return !IsWindow(box); });
}

bool DialogDriver::AnswerOpenFile(const std::string& file, std::string* title,
                                  std::string* filter) {
  HWND browser = WaitForDialog(thread_, dialog_, nullptr);
  if (browser == nullptr) return false;
  *title = WindowText(browser);
  char type[256] = {};
  SendDlgItemMessageA(browser, FILE_TYPE_COMBO, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(type));
  *filter = type;
  if (!file.empty()) {
    HWND name = GetDlgItem(browser, FILE_NAME_EDIT);
    HWND combo = GetDlgItem(browser, FILE_NAME_COMBO);
    if (name == nullptr && combo != nullptr) name = FindWindowExA(combo, nullptr, "Edit", nullptr);
    if (name == nullptr) name = combo;
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file.c_str()));
  }
  PostMessageA(GetDlgItem(browser, file.empty() ? IDCANCEL : IDOK), BM_CLICK, 0, 0);
  return WaitUntil([&] { return !IsWindow(browser); });
}

void RunDialog(const DialogSession& session, const std::function<void(DialogDriver&)>& script) {
  DWORD thread = GetCurrentThreadId();
  HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, &MarkerHook, nullptr, thread);
  ASSERT_NE(hook, nullptr);

  std::thread driver([&] {
    HWND dialog = nullptr;
    bool up = WaitUntil([&] {
      dialog = FindWindowA("#32770", "Configure Device ( Spartan - 3)");
      return dialog != nullptr && GetWindowThreadProcessId(dialog, nullptr) == thread &&
             IsWindowVisible(dialog);
    });
    EXPECT_TRUE(up) << "the dialog did not come up";
    if (!up) return;
    DialogDriver run(dialog, thread);
    script(run);
    // A box the script left open would keep the close from being handled.
    MessageBoxSeen leftOver;
    while (!OtherDialogs(thread, dialog).empty()) {
      ADD_FAILURE() << "a window was left open";
      run.AnswerMessageBox(&leftOver);
    }
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
  });
  bool shown = ShowConfigureDialog(session);
  driver.join();
  UnhookWindowsHookEx(hook);
  EXPECT_TRUE(shown);
  // The modal loop leaves the quit message for the outer loop: take it here.
  MSG message;
  bool quit = false;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      quit = true;
      EXPECT_EQ(message.wParam, 0u);
    }
  }
  EXPECT_TRUE(quit) << "closing the dialog posts the quit message";
}

std::string TestDirectory() {
  char path[MAX_PATH] = {};
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string directory(path, length);
  return directory.substr(0, directory.find_last_of("\\/") + 1);
}

void ChooseBoard(const char* name) {
  std::string file = TestDirectory() + "ftd2xx-board.txt";
  if (name == nullptr) {
    DeleteFileA(file.c_str());
    return;
  }
  FILE* out = std::fopen(file.c_str(), "w");
  ASSERT_NE(out, nullptr);
  std::fprintf(out, "%s\n", name);
  std::fclose(out);
}

}  // namespace torvane::ui::testing
