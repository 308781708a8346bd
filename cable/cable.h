// The real cable, for the CLI and both dialogs, on the backend this build was made with:
// one source file per backend (cable_libftdi.cpp, cable_d2xx.cpp, cable_none.cpp), chosen
// by CMake.
#pragma once

#include <memory>
#include <string>

#include "link/adapter.h"
#include "link/cable_list.h"

namespace torvane {

// The cable's adapter; null with `error` set when this build has no USB backend. With a
// serial number, its opens take that chip.
std::unique_ptr<Adapter> MakeCable(std::string* error, const std::string& serial = "");

// The lister of attached chips on this build's backend; `tryOpen`: each chip is opened for
// a moment to tell whether it could be used.
std::unique_ptr<CableEnumerator> MakeCableList(bool tryOpen);

// What a user can do about `problem` on this backend; null when there is nothing to add.
const char* CableRemedy(OpenProblem problem);

}  // namespace torvane
