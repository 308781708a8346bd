#include "procedures/dialog_host.h"

namespace torvane {

void ReportError(DialogHost& host, MessageOwner owner, const char* text) {
  host.ShowMessage(owner, text, "Error", MessageIcon::Error);
}

}  // namespace torvane
