#include "link/text_sink.h"

namespace torvane {

namespace {

struct HexTable {
  char pairs[512];
  constexpr HexTable() : pairs() {
    const char digits[] = "0123456789ABCDEF";
    for (int i = 0; i < 256; ++i) {
      pairs[2 * i] = digits[i >> 4];
      pairs[2 * i + 1] = digits[i & 0x0F];
    }
  }
};
constexpr HexTable HEX;

}  // namespace

TextSink::TextSink(std::FILE* out, size_t drainBytes) : out_(out), drainBytes_(drainBytes) {
  if (out_) text_.reserve(drainBytes_);
}

void TextSink::Put(const char* text) {
  if (out_) text_ += text;
}

void TextSink::PutNumber(uint64_t value) {
  char digits[24];
  char* p = digits + sizeof(digits);
  *--p = '\0';
  do {
    *--p = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  Put(p);
}

void TextSink::PutHex(const uint8_t* data, size_t count) {
  if (!out_ || !data) return;
  size_t at = text_.size();
  text_.resize(at + 2 * count);
  for (size_t i = 0; i < count; ++i) {
    text_[at + 2 * i] = HEX.pairs[2 * data[i]];
    text_[at + 2 * i + 1] = HEX.pairs[2 * data[i] + 1];
  }
}

bool TextSink::Drain(bool force) {
  if (!out_) return good_;
  if (text_.size() >= drainBytes_ || (force && !text_.empty())) {
    if (std::fwrite(text_.data(), 1, text_.size(), out_) != text_.size()) good_ = false;
    text_.clear();
  }
  if (force && std::fflush(out_) != 0) good_ = false;
  return good_;
}

}  // namespace torvane
