#include <unistd.h>

#include "cli/console.h"

namespace torvane::cli {

bool StderrIsTerminal() { return isatty(STDERR_FILENO) != 0; }

}  // namespace torvane::cli
