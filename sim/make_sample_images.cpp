// Writes the sample update files (firmware image and the two fuse maps) into
// each directory named on the command line.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <system_error>

#include "sim/sample_content.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: make-sample-images DIR...\n";
    return 2;
  }
  const auto files = zl::sim::SampleFiles(zl::sim::kSampleVersion);
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path dir = argv[i];
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) {
      std::cerr << "make-sample-images: cannot create " << dir.string() << ": " << error.message()
                << "\n";
      return 1;
    }
    for (const auto& file : files) {
      const auto path = dir / file.name;
      std::ofstream out(path, std::ios::binary | std::ios::trunc);
      out << file.content;
      out.close();
      if (!out) {
        std::cerr << "make-sample-images: cannot write " << path.string() << "\n";
        return 1;
      }
    }
  }
  return 0;
}
