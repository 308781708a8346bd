// Finds the vendor's driver library at run time: ftd2xx.dll from the program's directory
// or the system's, never linked. A missing library, or one lacking a call, leaves the
// backend without a driver: the dialog then shows the adapter as not connected, and the
// backend's open problem says the driver is missing. Shared by torvane.exe and
// torvane-cli.exe.
#pragma once

#include <memory>

#include "link/d2xx_adapter.h"

namespace torvane {

// `libraryName` is D2XX_LIBRARY_NAME for the programs; tests name a library that is absent.
// The library stays loaded for the life of the process.
std::unique_ptr<D2xxAdapter> LoadD2xxAdapter(const char* libraryName);

// The list of attached chips from the same library (see D2xxCableList).
std::unique_ptr<D2xxCableList> LoadD2xxCableList(const char* libraryName, bool tryOpen);

}  // namespace torvane
