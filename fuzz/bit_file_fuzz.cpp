// Any bytes as a .bit file: the reader must never read out of bounds, never report a data
// offset past the file, and must deliver exactly the bytes after the header.
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
  fuzz::CountingHost host;
  BitFile file;
  if (!OpenBitFile(path.c_str(), host, &file)) std::abort();  // a regular file always opens
  if (file.totalSize != size) std::abort();

  bool parsed = SkipBitHeader(file, host);
  if (host.messages != (parsed ? 0 : 1)) std::abort();  // one box for a bad header, none otherwise
  if (parsed) {
    if (file.dataOffset > size || DataLength(file) != size - file.dataOffset) std::abort();
    if (file.declaredLength > DataLength(file)) std::abort();
    // The data comes back whole and unchanged, in chunks as the downloads read it.
    uint8_t chunk[512];
    uint64_t offset = file.dataOffset;
    while (!AtEndOfData(file)) {
      size_t n = ReadDataChunk(file, chunk, sizeof chunk);
      if (n > sizeof chunk || offset + n > size) std::abort();
      if (n > 0 && std::memcmp(chunk, data + offset, n) != 0) std::abort();
      offset += n;
      if (CurrentOffset(file) != offset) std::abort();
    }
    if (offset != size) std::abort();
  }
  CloseBitFile(file);
  CloseBitFile(file);  // closing twice is allowed
  return 0;
}
