#include "cli/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace torvane::cli {

namespace {

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

// What a new file gets: the mode of the file it replaces, or the usual one under the umask.
void SetNewFileMode(int fd, const struct stat* existing) {
#ifdef _WIN32
  (void)fd;
  (void)existing;
#else
  mode_t mode = 0;
  if (existing) {
    mode = existing->st_mode & 07777;
  } else {
    mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  fchmod(fd, mode);
#endif
}

// A link is followed, so the file it names is replaced and the link stays.
std::string FinalName(const std::string& path) {
#ifdef _WIN32
  return path;
#else
  char resolved[PATH_MAX];
  if (realpath(path.c_str(), resolved)) return resolved;
  return path;
#endif
}

bool ReplaceFile(const std::string& from, const std::string& to) {
#ifdef _WIN32
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
  return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

}  // namespace

OutputFile::~OutputFile() { Discard(); }

bool OutputFile::Open(const std::string& path, const char* what, std::string* error) {
  what_ = what;
  if (path == "/dev/stdout" || path == "/dev/stderr") {
    stream_ = path == "/dev/stdout" ? stdout : stderr;
    return true;
  }
  struct stat info;
  bool exists = stat(path.c_str(), &info) == 0;
  if (exists && !S_ISREG(info.st_mode)) {
    *error = "the " + what_ + " " + Quoted(path) + " is " +
             (S_ISDIR(info.st_mode) ? "a directory" : "not a regular file (a FIFO or a device)") +
             ": name a file, /dev/stdout or /dev/stderr";
    return false;
  }
  target_ = FinalName(path);
  size_t slash = target_.find_last_of("/\\");
  std::string directory = slash == std::string::npos ? "" : target_.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? target_ : target_.substr(slash + 1);
  std::string pattern = directory + "." + base + ".XXXXXX";
  int fd = mkstemp(&pattern[0]);
  if (fd < 0) {
    *error = "cannot create the " + what_ + " " + Quoted(path) + " (" + std::strerror(errno) + ")";
    return false;
  }
  temporary_ = pattern;
  SetNewFileMode(fd, exists ? &info : nullptr);
  stream_ = fdopen(fd, "w");
  if (!stream_) {
    close(fd);
    Discard();
    *error = "cannot create the " + what_ + " " + Quoted(path);
    return false;
  }
  return true;
}

std::string OutputFile::WriteError() const {
  return "the " + what_ + " could not be written in full";
}

bool OutputFile::Flush(std::string* error) {
  if (stream_ && (std::fflush(stream_) != 0 || std::ferror(stream_))) {
    *error = WriteError();
    return false;
  }
  return true;
}

bool OutputFile::Commit(std::string* error) {
  if (!stream_) return true;
  if (temporary_.empty()) return Flush(error);  // a standard stream stays open
  bool good = std::fflush(stream_) == 0 && !std::ferror(stream_);
  good = std::fclose(stream_) == 0 && good;
  stream_ = nullptr;
  if (!good) {
    *error = WriteError();
    Discard();
    return false;
  }
  if (!ReplaceFile(temporary_, target_)) {
    *error = "the " + what_ + " " + Quoted(target_) + " could not be replaced (" +
             std::strerror(errno) + ")";
    Discard();
    return false;
  }
  temporary_.clear();
  return true;
}

void OutputFile::Discard() {
  if (stream_ && !temporary_.empty()) std::fclose(stream_);
  stream_ = nullptr;
  if (!temporary_.empty()) unlink(temporary_.c_str());
  temporary_.clear();
}

}  // namespace torvane::cli
