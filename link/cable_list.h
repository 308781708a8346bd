// The FT232R chips attached to this computer, as a backend lists them for a user choosing
// a cable: what each says about itself and whether this program could open it now.
#pragma once

#include <string>
#include <vector>

namespace torvane {

enum class CableAccess {
  Free,          // it can be opened
  Busy,          // a driver or another program holds it
  NoPermission,  // the system refuses this user (its strings could not be read either)
  Unknown,       // it could not be tried
};

struct CableInfo {
  std::string description;  // the USB product string, "FT232R USB UART" unless reprogrammed
  std::string serial;       // the USB serial number
  CableAccess access = CableAccess::Unknown;
};

// Lists the attached chips; false with `error` set when the backend cannot list them.
class CableEnumerator {
 public:
  virtual ~CableEnumerator() = default;
  virtual bool List(std::vector<CableInfo>* cables, std::string* error) = 0;
};

}  // namespace torvane
