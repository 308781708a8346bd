// What a configuration file is for: what it says about itself (a .bit's header fields; a
// PROM file's or raw image's byte order and the IDCODE its stream writes), the checksum
// the vendor's PROM report gives for it, and what 'program' would do with it on each chain
// the tool loads.
#pragma once

#include <cstdio>

#include "bitfile/config_file.h"
#include "cli/json_writer.h"

namespace torvane::cli {

// As lines of text.
void PrintFileInfo(const ConfigFile& file, std::FILE* out);
// The same as JSON members: format; for a .bit design, part, date, time and
// declaredLength; for the others byteOrder, idcode and part; then dataLength,
// promChecksum (one member per PROM the data fits) and program (one member per chain).
JsonObject FileInfoJson(const ConfigFile& file);

}  // namespace torvane::cli
