#include "platform/d2xx_library.h"

#include <windows.h>

namespace torvane {

namespace {

void* LookUpExport(void* library, const char* name) {
  FARPROC address = GetProcAddress(static_cast<HMODULE>(library), name);
  void* plain = nullptr;
  static_assert(sizeof plain == sizeof address, "exports are found as plain addresses");
  CopyMemory(&plain, &address, sizeof plain);
  return plain;
}

}  // namespace

std::unique_ptr<D2xxAdapter> LoadD2xxAdapter(const char* libraryName) {
  HMODULE library = LoadLibraryA(libraryName);
  D2xxFunctions functions{};
  if (library != nullptr && !ResolveD2xxFunctions(&LookUpExport, library, &functions)) {
    FreeLibrary(library);
  }
  return std::make_unique<D2xxAdapter>(library != nullptr ? &functions : nullptr);
}

}  // namespace torvane
