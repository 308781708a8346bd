#include <io.h>

#include <cstdio>

#include "cli/console.h"

namespace torvane::cli {

bool StderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

}  // namespace torvane::cli
