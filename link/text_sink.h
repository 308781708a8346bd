// Buffered text output for the recorder and the waveform writer: lines are gathered in
// memory and written in large pieces, and a failed write is remembered rather than lost.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace torvane {

class TextSink {
 public:
  // `out` is not owned and may be null: then nothing is kept or written. What is gathered
  // goes out once it passes `drainBytes`, or at Drain(true).
  TextSink(std::FILE* out, size_t drainBytes);
  TextSink(const TextSink&) = delete;
  TextSink& operator=(const TextSink&) = delete;

  bool enabled() const { return out_ != nullptr; }
  void Put(const char* text);
  void PutNumber(uint64_t value);
  void PutHex(const uint8_t* data, size_t count);  // upper-case pairs, no spaces
  // Writes out what is gathered once past the threshold, or always when `force`; a forced
  // drain also flushes the stream. False once any write to the file has failed.
  bool Drain(bool force);
  bool good() const { return good_; }

 private:
  std::FILE* out_;
  size_t drainBytes_;
  std::string text_;
  bool good_ = true;
};

}  // namespace torvane
