// Which FT232R to open when a user may name one. Bit-banging a chip wired to something
// else can damage that thing, so more than one candidate and none named is a refusal,
// never a guess.
#pragma once

#include <string>
#include <vector>

#include "link/cable_list.h"

namespace torvane {

struct CableDecision {
  enum class Kind {
    ByDescription,  // one candidate or none: open as ever, and the open says what it found
    BySerial,       // open the chip with `serial`
    Refuse,         // `message` says why and lists the chips
  } kind = Kind::ByDescription;
  std::string serial;
  std::string message;
};

// `serial` empty: the chips whose description is `description` are the candidates; with
// a serial, the chip with that serial number whatever its description. A backend that
// cannot list leaves the choice to the open, unless a serial was asked for.
CableDecision DecideCable(CableEnumerator& enumerator, const std::string& description,
                          const std::string& serial);

// One line per chip: description, serial, and whether it can be opened.
std::string CableTable(const std::vector<CableInfo>& cables);

}  // namespace torvane
