#include "cli/cable.h"

namespace torvane::cli {

std::unique_ptr<Adapter> MakeCable(std::string* error) {
  *error = "this build has no USB backend (libftdi1 was not found when it was built)";
  return nullptr;
}

const char* CableRemedy(OpenProblem) { return nullptr; }

}  // namespace torvane::cli
