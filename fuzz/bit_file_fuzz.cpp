// Any bytes as a .bit file: the reader must never read out of bounds, must load from the
// file exactly what it parses from the same bytes in memory, and must keep exactly the
// bytes after the header as the data.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bitfile/bit_file.h"
#include "fuzz/fuzz_support.h"

using namespace torvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string path = fuzz::WriteInput(data, size);
  if (path.empty()) return 0;
  BitFile loaded;
  BitFileError error = LoadBitFile(path.c_str(), &loaded);
  if (error == BitFileError::NotFound) std::abort();  // a regular file is always found
  BitFile parsed;
  if (ParseBitFile(data, size, &parsed) != error) std::abort();
  if (error != BitFileError::None) {
    // A refused file leaves nothing half-filled behind.
    if (!loaded.data.empty() || !loaded.designName.empty() || loaded.dataOffset != 0) {
      std::abort();
    }
    return 0;
  }
  if (loaded.data != parsed.data || loaded.dataOffset != parsed.dataOffset ||
      loaded.designName != parsed.designName || loaded.time != parsed.time) {
    std::abort();
  }
  if (loaded.dataOffset > size || TotalSize(loaded) != size) std::abort();
  if (!PathNamesFile(path, loaded.identity)) std::abort();  // it knows which file it read
  if (loaded.declaredLength > loaded.data.size() || loaded.data.size() > MAX_DATA_BYTES) {
    std::abort();
  }
  if (!loaded.data.empty() &&
      std::memcmp(loaded.data.data(), data + loaded.dataOffset, loaded.data.size()) != 0) {
    std::abort();
  }
  for (const std::string* text :
       {&loaded.designName, &loaded.partName, &loaded.date, &loaded.time}) {
    if (text->size() > 0xFFFF || text->find('\0') != std::string::npos) std::abort();
  }
  return 0;
}
