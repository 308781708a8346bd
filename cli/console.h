// What the CLI asks of the operating system's console: one source file per system
// (console_posix.cpp, console_win32.cpp), chosen by CMake.
#pragma once

namespace torvane::cli {

// True when standard error is a terminal, where the progress bar is redrawn in place.
bool StderrIsTerminal();

}  // namespace torvane::cli
