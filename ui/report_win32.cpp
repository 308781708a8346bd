// The reporting routines' platform half on Windows: the thread's last error, its system
// message text, and the event log under the source "Torvane".
#include <windows.h>

#include "ui/system_log.h"

namespace torvane::ui {

int LastSystemError() { return static_cast<int>(GetLastError()); }

std::string SystemErrorText(int code) {
  char* buffer = nullptr;
  DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
      reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text;
  if (length > 0 && buffer != nullptr) {
    text.assign(buffer, length);
  } else {
    // A code the system has no text for still deserves a report the user can quote.
    text = "System error " + std::to_string(static_cast<unsigned long>(code));
  }
  if (buffer != nullptr) {
    LocalFree(buffer);
  }
  return text;
}

SystemLogResult WriteSystemLog(EventType type, const char* text) {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExA(&version)) {
    return SystemLogResult::VersionQueryFailed;
  }
  // Only the NT family keeps an event log.
  if (version.dwPlatformId != VER_PLATFORM_WIN32_NT) {
    return SystemLogResult::NotAvailable;
  }
  HANDLE log = RegisterEventSourceA(nullptr, LOG_SOURCE);
  if (log == nullptr) {
    return SystemLogResult::OpenFailed;
  }
  const char* strings[] = {text};
  BOOL written = ReportEventA(log, static_cast<WORD>(type), 0, 0, nullptr, 1, 0, strings, nullptr);
  DeregisterEventSource(log);
  return written ? SystemLogResult::Written : SystemLogResult::WriteFailed;
}

}  // namespace torvane::ui
