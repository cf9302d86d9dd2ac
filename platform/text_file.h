#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace zl {

// Line-oriented reading of a text file with text-mode behaviour on every
// operating system: a CR LF line end arrives as a single '\n'.
class LineReader {
 public:
  virtual ~LineReader() = default;

  // Reads at most limit - 1 characters, up to and including the next '\n'.
  // Returns false at the end of the text when nothing was read. Throws
  // FileError when the underlying file cannot be read.
  virtual bool ReadLine(std::string& line, std::size_t limit) = 0;
};

// A text file on disk. Open fails for a missing or unreadable file and for a
// directory.
class TextFile final : public LineReader {
 public:
  TextFile() = default;
  ~TextFile() override;
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;

  bool Open(const std::string& path);
  bool ReadLine(std::string& line, std::size_t limit) override;
  void Close();

  // The file's length in bytes and the bytes consumed so far (a CR LF line
  // end counts as two bytes), for progress displays.
  std::uint64_t Length() const;
  std::uint64_t Position() const;

  bool IsOpen() const { return file_ != nullptr; }
  const std::string& Path() const { return path_; }

 private:
  std::FILE* file_ = nullptr;
  std::string path_;
};

// The same reading over text held in memory (tests and fuzzing).
class StringLineReader final : public LineReader {
 public:
  explicit StringLineReader(std::string text) : text_(std::move(text)) {}
  bool ReadLine(std::string& line, std::size_t limit) override;

 private:
  std::string text_;
  std::size_t pos_ = 0;
};

}  // namespace zl
