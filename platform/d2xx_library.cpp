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

// The library's calls; false when it is not there (a library lacking calls leaves the
// table empty, which the backend takes as no driver).
bool LoadD2xxFunctions(const char* libraryName, D2xxFunctions* functions) {
  *functions = D2xxFunctions{};
  HMODULE library = LoadLibraryA(libraryName);
  if (library != nullptr && !ResolveD2xxFunctions(&LookUpExport, library, functions)) {
    FreeLibrary(library);
  }
  return library != nullptr;
}

}  // namespace

std::unique_ptr<D2xxAdapter> LoadD2xxAdapter(const char* libraryName) {
  D2xxFunctions functions;
  bool loaded = LoadD2xxFunctions(libraryName, &functions);
  return std::make_unique<D2xxAdapter>(loaded ? &functions : nullptr);
}

std::unique_ptr<D2xxCableList> LoadD2xxCableList(const char* libraryName, bool tryOpen) {
  D2xxFunctions functions;
  bool loaded = LoadD2xxFunctions(libraryName, &functions);
  return std::make_unique<D2xxCableList>(loaded ? &functions : nullptr, tryOpen);
}

}  // namespace torvane
