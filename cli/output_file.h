// A file the user names for the program to write (a trace, a waveform, a read-back
// image). It is written to a temporary file beside it and renamed into place once
// complete, so nobody sees it half written and two runs naming one file leave one whole
// file (the last one wins). /dev/stdout and /dev/stderr are written directly.
#pragma once

#include <cstdio>
#include <string>

namespace torvane::cli {

class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();  // Discard(), unless committed
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // `what` names the file in messages ("trace file"). Accepts a regular file, a new name
  // in an existing directory, /dev/stdout and /dev/stderr; refuses anything else (FIFOs,
  // devices, directories) without opening it, because opening a FIFO for writing blocks.
  // False with `error` set.
  bool Open(const std::string& path, const char* what, std::string* error);
  std::FILE* stream() const { return stream_; }
  // Pushes what is buffered to the file: false, with `error` set, once a write failed.
  bool Flush(std::string* error);
  // Closes the file and renames it into place. False, with `error` set and the named file
  // untouched, when anything could not be written.
  bool Commit(std::string* error);
  // Closes and removes the temporary file; the named file is untouched.
  void Discard();

 private:
  std::string WriteError() const;

  std::string what_;
  std::string target_;     // the name renamed to
  std::string temporary_;  // empty when written directly
  std::FILE* stream_ = nullptr;
};

}  // namespace torvane::cli
