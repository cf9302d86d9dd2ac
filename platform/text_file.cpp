#include "platform/text_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "platform/errors.h"

namespace zl {

namespace {

// Appends characters from `next` (which returns the next character or EOF)
// to `line` with text-mode reading: a CR directly followed by LF arrives as
// one '\n'; at most limit - 1 characters are taken, the '\n' included.
// `unget` gives back a character that was looked at but not taken.
template <typename Next, typename Unget>
bool ReadTextLine(std::string& line, std::size_t limit, Next next, Unget unget) {
  line.clear();
  if (limit < 2) {
    return false;
  }
  while (line.size() < limit - 1) {
    int c = next();
    if (c == EOF) {
      break;
    }
    if (c == '\r') {
      const int following = next();
      if (following == '\n') {
        c = '\n';
      } else if (following != EOF) {
        unget(following);
      }
    }
    line.push_back(static_cast<char>(c));
    if (c == '\n') {
      break;
    }
  }
  return !line.empty();
}

}  // namespace

TextFile::~TextFile() {
  Close();
}

bool TextFile::Open(const std::string& path) {
  Close();
  if (path.empty()) {
    return false;
  }
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    return false;
  }
  // fopen accepts a directory on Linux and only the reads fail, so look at
  // what was opened: only regular files are text files here.
  struct stat info {};
  if (fstat(fileno(file), &info) != 0 || (info.st_mode & S_IFMT) != S_IFREG) {
    std::fclose(file);
    return false;
  }
  file_ = file;
  path_ = path;
  return true;
}

bool TextFile::ReadLine(std::string& line, std::size_t limit) {
  if (file_ == nullptr) {
    line.clear();
    return false;
  }
  std::FILE* file = file_;
  const bool got = ReadTextLine(
      line, limit, [file] { return std::getc(file); }, [file](int c) { std::ungetc(c, file); });
  if (std::ferror(file) != 0) {
    const int error = errno;
    throw FileError(path_, "Cannot read " + path_ + ": " + std::strerror(error));
  }
  return got;
}

std::uint64_t TextFile::Length() const {
  struct stat info {};
  if (file_ == nullptr || fstat(fileno(file_), &info) != 0) {
    return 0;
  }
  return static_cast<std::uint64_t>(info.st_size);
}

std::uint64_t TextFile::Position() const {
  if (file_ == nullptr) {
    return 0;
  }
  const long position = std::ftell(file_);
  return position < 0 ? 0 : static_cast<std::uint64_t>(position);
}

void TextFile::Close() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
  path_.clear();
}

bool StringLineReader::ReadLine(std::string& line, std::size_t limit) {
  return ReadTextLine(
      line, limit,
      [this]() -> int {
        return pos_ < text_.size() ? static_cast<unsigned char>(text_[pos_++]) : EOF;
      },
      [this](int) { --pos_; });
}

}  // namespace zl
