#include "cable/cable_choice.h"

namespace torvane {

namespace {

const char* AccessText(CableAccess access) {
  switch (access) {
    case CableAccess::Free:
      return "can be opened";
    case CableAccess::Busy:
      return "busy: a driver or another program holds it (the kernel's serial driver, "
             "see torvane-cli(1))";
    case CableAccess::NoPermission:
      return "no permission: install the udev rule (see torvane-cli(1))";
    case CableAccess::Unknown:
      break;
  }
  return "not tried";
}

// What is attached, to follow a refusal.
std::string Attached(const std::vector<CableInfo>& cables) {
  return cables.empty() ? "; none is attached" : "; attached:\n" + CableTable(cables);
}

}  // namespace

std::string CableTable(const std::vector<CableInfo>& cables) {
  std::string table;
  for (const CableInfo& cable : cables) {
    table += "  \"" + (cable.description.empty() ? std::string("?") : cable.description) +
             "\"  serial " + (cable.serial.empty() ? std::string("?") : cable.serial) + "  " +
             AccessText(cable.access) + "\n";
  }
  return table;
}

CableDecision DecideCable(CableEnumerator& enumerator, const std::string& description,
                          const std::string& serial) {
  std::vector<CableInfo> cables;
  std::string error;
  CableDecision decision;
  if (!enumerator.List(&cables, &error)) {
    if (serial.empty()) return decision;
    decision.kind = CableDecision::Kind::BySerial;
    decision.serial = serial;
    return decision;
  }
  size_t matches = 0;
  for (const CableInfo& cable : cables) {
    matches += serial.empty() ? cable.description == description : cable.serial == serial;
  }
  if (!serial.empty() && matches == 1) {
    decision.kind = CableDecision::Kind::BySerial;
    decision.serial = serial;
  } else if (!serial.empty()) {
    decision.kind = CableDecision::Kind::Refuse;
    decision.message = (matches == 0 ? "no FT232R has the serial number '"
                                     : "more than one FT232R has the serial number '") +
                       serial + "'" + Attached(cables);
  } else if (matches > 1) {
    decision.kind = CableDecision::Kind::Refuse;
    decision.message = std::to_string(matches) + " FT232R chips have the description \"" +
                       description + "\": name one with --serial (a chip wired to something " +
                       "else could be damaged)" + Attached(cables);
  }
  if (!decision.message.empty() && decision.message.back() == '\n') decision.message.pop_back();
  return decision;
}

}  // namespace torvane
