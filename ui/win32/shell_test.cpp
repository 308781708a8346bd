// torvane.exe as a process: the hidden main window, the dialog it shows on the stand-in
// driver and with no driver beside it, and the exit code after the close box.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "ui/win32/dialog_driver_test.h"

namespace torvane::ui::testing {
namespace {

struct Found {
  DWORD process;
  const char* className;
  HWND window;
};

HWND WaitForProcessWindow(DWORD process, const char* className) {
  for (int attempt = 0; attempt < 2000; ++attempt) {
    Found search{process, className, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
          auto* search = reinterpret_cast<Found*>(data);
          DWORD owner = 0;
          GetWindowThreadProcessId(window, &owner);
          char name[64] = {};
          GetClassNameA(window, name, sizeof name);
          // The dialog becomes visible once its initialisation, identification included, is done.
          bool ready = std::string(search->className) != "#32770" || IsWindowVisible(window);
          if (owner == search->process && std::string(name) == search->className && ready) {
            search->window = window;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.window != nullptr) return search.window;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return nullptr;
}

std::string ControlText(HWND dialog, int id) {
  char text[256] = {};
  SendMessageA(GetDlgItem(dialog, id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

// Starts `program`, reads the two status lines, closes the dialog through its system
// menu and returns the exit code.
DWORD RunAndClose(const std::string& program, std::string* usb, std::string* device) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::string commandLine = "\"" + program + "\"";
  if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    ADD_FAILURE() << "cannot start " << program;
    return 0xFFFFFFFF;
  }
  HWND dialog = WaitForProcessWindow(process.dwProcessId, "#32770");
  HWND main = WaitForProcessWindow(process.dwProcessId, "TORVANE");
  EXPECT_NE(dialog, nullptr);
  EXPECT_NE(main, nullptr);
  if (main != nullptr) {
    EXPECT_FALSE(IsWindowVisible(main)) << "the main window stays hidden";
    EXPECT_EQ(GetClassLongPtrA(main, GCL_STYLE), static_cast<ULONG_PTR>(CS_HREDRAW | CS_VREDRAW));
  }
  DWORD code = 0xFFFFFFFF;
  if (dialog != nullptr) {
    *usb = ControlText(dialog, IDC_USB_STATUS);
    *device = ControlText(dialog, IDC_DEVICE_STATUS);
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 20000), WAIT_OBJECT_0);
    GetExitCodeProcess(process.hProcess, &code);
  } else {
    TerminateProcess(process.hProcess, 1);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

TEST(Win32Shell, RunsTheDialogOnTheDriverBesideItAndExitsWithZero) {
  ChooseBoard("xc3s200");
  std::string usb, device;
  EXPECT_EQ(RunAndClose(TestDirectory() + "torvane.exe", &usb, &device), 0u);
  EXPECT_EQ(usb, "USB : Connected");
  EXPECT_EQ(device, "Download FPGA XC3S200");
  ChooseBoard(nullptr);
}

TEST(Win32Shell, WithNoDriverBesideItTheAdapterIsNotConnected) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  std::string dir = std::string(temp) + "torvane-no-driver-" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(dir.c_str(), nullptr);
  std::string program = dir + "\\torvane.exe";
  ASSERT_TRUE(CopyFileA((TestDirectory() + "torvane.exe").c_str(), program.c_str(), FALSE));

  std::string usb, device;
  EXPECT_EQ(RunAndClose(program, &usb, &device), 0u);
  EXPECT_EQ(usb, "USB : Not Connected");
  EXPECT_EQ(device, "JTAG : not found (0)");
  DeleteFileA(program.c_str());
  RemoveDirectoryA(dir.c_str());
}

}  // namespace
}  // namespace torvane::ui::testing
