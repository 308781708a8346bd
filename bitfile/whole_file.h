// A regular file read whole into memory in one go, with the identity of the file that was
// read: what every loader of input files starts from.
#pragma once

#include <cstdint>
#include <vector>

#include "bitfile/file_identity.h"

namespace torvane {

enum class WholeFileError {
  None,
  NotFound,  // missing, not a regular file, or unreadable
  TooLarge,  // over the limit the caller gave; nothing is read
};

// Reads the file `path` names, up to the size it had when it was opened, into `bytes`.
WholeFileError ReadWholeFile(const char* path, uint64_t maxBytes, std::vector<uint8_t>* bytes,
                             FileIdentity* identity);

}  // namespace torvane
