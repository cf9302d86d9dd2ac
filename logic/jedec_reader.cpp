#include "logic/jedec_reader.h"

#include <cstddef>

#include "logic/logic_messages.h"

namespace zl {
namespace {

// A read takes at most 80 characters (a line buffer of 81 with its NUL), so
// a line of 80 or more characters takes more than one read.
constexpr std::size_t kReadLimit = 81;
constexpr std::size_t kReadsPerRow = 4;

// The header line must be alone on its line: nothing before or after it.
constexpr const char* kHeaderRead = "*L00000\n";

// Length of the leading run of '0'/'1' characters of a read.
std::size_t FuseRunLength(const std::string& read) {
  std::size_t length = 0;
  while (length < read.size() && (read[length] == '0' || read[length] == '1')) {
    ++length;
  }
  return length;
}

// Skips reads up to and including the first header read.
bool FindHeader(LineReader& reader) {
  std::string read;
  while (reader.ReadLine(read, kReadLimit)) {
    if (read == kHeaderRead) {
      return true;
    }
  }
  return false;
}

// Fills every row from exactly four reads each. Past the end of the text a
// read yields nothing, so a short file ends with a short row.
bool ReadRows(UiServices& ui, LineReader& reader, FuseMap& fuses) {
  std::string read;
  for (std::string& row : fuses) {
    row.clear();
    for (std::size_t i = 0; i < kReadsPerRow; ++i) {
      if (!reader.ReadLine(read, kReadLimit)) {
        read.clear();
      }
      row.append(read, 0, FuseRunLength(read));
    }
    if (row.size() != kFuseRowChars) {
      // The box comes up while the wait cursor is still on; the cursor ends
      // after it, when the scope in the caller is left.
      ui.MessageBox(kMsgJedecBadRow);
      return false;
    }
  }
  return true;
}

void ResetFuseMap(FuseMap& fuses) {
  for (std::string& row : fuses) {
    row.clear();
  }
}

bool ReadFuseList(UiServices& ui, LineReader& reader, FuseMap& fuses) {
  if (!FindHeader(reader)) {
    ui.MessageBox(kMsgJedecNoHeader);
    return false;
  }
  WaitCursorScope cursor(ui);
  return ReadRows(ui, reader, fuses);
}

}  // namespace

bool ReadJedecFile(UiServices& ui, LineReader& reader, FuseMap& fuses) {
  ui.SetStatusText(kStatusReadingJedec);
  ResetFuseMap(fuses);
  return ReadFuseList(ui, reader, fuses);
}

bool ReadJedecFile(UiServices& ui, const std::string& path, FuseMap& fuses) {
  ui.SetStatusText(kStatusReadingJedec);
  ResetFuseMap(fuses);
  TextFile file;  // closed on every path, exceptions included
  if (!file.Open(path)) {
    ui.MessageBox(kMsgJedecCannotOpen);
    return false;
  }
  return ReadFuseList(ui, file, fuses);
}

}  // namespace zl
