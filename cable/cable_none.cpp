#include "cable/cable.h"

namespace torvane {

namespace {

class NoCables : public CableEnumerator {
 public:
  bool List(std::vector<CableInfo>*, std::string* error) override {
    *error = "this build has no USB backend";
    return false;
  }
};

}  // namespace

std::unique_ptr<CableEnumerator> MakeCableList(bool) { return std::make_unique<NoCables>(); }

std::unique_ptr<Adapter> MakeCable(std::string* error, const std::string&) {
  *error = "this build has no USB backend (libftdi1 was not found when it was built)";
  return nullptr;
}

const char* CableRemedy(OpenProblem) { return nullptr; }

}  // namespace torvane
