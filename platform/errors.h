#pragma once

#include <stdexcept>
#include <string>

namespace zl {

// A text accessed beyond its end: a malformed S-record line, a serial number
// too short for the setup block, a fuse row or signature too short.
class InvalidArgumentError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// A read error of an update file.
class FileError : public std::runtime_error {
 public:
  FileError(const std::string& path, const std::string& what)
      : std::runtime_error(what), path_(path) {}
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace zl
