// torvane-bitgen: writes a test ".bit" file from the generator, for trying the tool on
// the simulated board or on a bench without vendor files.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tools/make_bitstream.h"

namespace {

// The parts line is filled in from the part table.
constexpr const char* USAGE =
    "usage: torvane-bitgen [options] OUT.bit\n"
    "  --part NAME              target part (default xc3s200), one of:\n"
    "                           %s\n"
    "  --seed N                 seed of the frame data (default 1)\n"
    "  --size BYTES             data length instead of the part's whole configuration\n"
    "  --raw                    pseudo-random bytes instead of configuration packets\n"
    "  --design NAME            design name in field a\n"
    "  --defect KIND            bad-preamble, missing-key, swapped-keys,\n"
    "                           truncated-header or short-length\n";

struct DefectName {
  const char* name;
  torvane::BitDefect defect;
};

constexpr DefectName DEFECTS[] = {
    {"bad-preamble", torvane::BitDefect::BadPreamble},
    {"missing-key", torvane::BitDefect::MissingKey},
    {"swapped-keys", torvane::BitDefect::SwappedKeys},
    {"truncated-header", torvane::BitDefect::TruncatedHeader},
    {"short-length", torvane::BitDefect::ShortDataLength},
};

bool ParseNumber(const char* text, unsigned long long* value) {
  char* end = nullptr;
  *value = std::strtoull(text, &end, 0);
  return text[0] != '\0' && text[0] != '-' && *end == '\0';
}

bool ParseDefect(const char* text, torvane::BitDefect* defect) {
  for (const DefectName& entry : DEFECTS) {
    if (std::strcmp(text, entry.name) == 0) {
      *defect = entry.defect;
      return true;
    }
  }
  return false;
}

void PrintUsage(std::FILE* out) { std::fprintf(out, USAGE, torvane::PartNames().c_str()); }

int Fail(const char* what, const char* value) {
  std::fprintf(stderr, "torvane-bitgen: %s: %s\n", what, value);
  PrintUsage(stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  torvane::BitstreamOptions options;
  const char* outPath = nullptr;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    unsigned long long number = 0;
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      PrintUsage(stdout);
      return 0;
    }
    if (std::strcmp(arg, "--raw") == 0) {
      options.rawBody = true;
      continue;
    }
    if (arg[0] != '-') {
      if (outPath != nullptr) {
        return Fail("more than one output file", arg);
      }
      outPath = arg;
      continue;
    }
    if (value == nullptr) {
      return Fail("missing value for", arg);
    }
    ++i;
    if (std::strcmp(arg, "--part") == 0) {
      if (!torvane::ParsePartName(value, &options.part)) {
        return Fail("unknown part", value);
      }
    } else if (std::strcmp(arg, "--seed") == 0) {
      if (!ParseNumber(value, &number) || number > 0xFFFFFFFFull) {
        return Fail("bad seed", value);
      }
      options.seed = static_cast<uint32_t>(number);
    } else if (std::strcmp(arg, "--size") == 0) {
      if (!ParseNumber(value, &number) || number > 0xFFFFFFFFull) {
        return Fail("bad size", value);
      }
      options.dataSize = static_cast<size_t>(number);
    } else if (std::strcmp(arg, "--design") == 0) {
      options.designName = value;
    } else if (std::strcmp(arg, "--defect") == 0) {
      if (!ParseDefect(value, &options.defect)) {
        return Fail("unknown defect", value);
      }
    } else {
      return Fail("unknown option", arg);
    }
  }
  if (outPath == nullptr) {
    PrintUsage(stderr);
    return 2;
  }
  if (!torvane::WriteBitFile(outPath, options)) {
    std::fprintf(stderr, "torvane-bitgen: cannot write %s\n", outPath);
    return 1;
  }
  return 0;
}
