#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/program_dir.h"

namespace zl::test {

// A fresh directory that stands in for the program directory while the
// object lives; removed with its content afterwards.
class TempProgramDir {
 public:
  TempProgramDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zl-images-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
    SetProgramDirectory(path_.string());
  }
  ~TempProgramDir() {
    SetProgramDirectory("");
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempProgramDir(const TempProgramDir&) = delete;
  TempProgramDir& operator=(const TempProgramDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }

  // Writes `content` byte for byte into the file `name`.
  std::string Write(const std::string& name, const std::string& content) const {
    const std::filesystem::path file = path_ / name;
    std::ofstream(file, std::ios::binary) << content;
    return file.string();
  }

 private:
  std::filesystem::path path_;
};

}  // namespace zl::test
