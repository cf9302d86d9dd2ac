#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zl::sim {

// The in-system programmable logic device: 134 rows of 240 fuses and a
// 120-bit user electronic signature (UES), kept as the characters '0' and
// '1' in which the loader commands carry them. A bulk erase sets every fuse
// and UES bit to '1'; writing can only turn a '1' into a '0', like the flash.
class EpldModel {
 public:
  static constexpr std::size_t kRows = 134;
  static constexpr std::size_t kRowLength = 240;
  static constexpr std::size_t kUesLength = 120;

  EpldModel();

  void BulkErase();

  // False (and the row unchanged) for a row number above 133, a text that is
  // not 240 characters '0'/'1', or a fuse that would have to go from '0'
  // back to '1'.
  bool WriteRow(std::size_t row, const std::string& fuses);

  // False (and the UES unchanged) under the same rules, for 120 bits.
  bool WriteUes(const std::string& bits);

  // Replaces a row or the UES without the write rules: device set-up and
  // the state file.
  void SetRow(std::size_t row, const std::string& fuses) { rows_.at(row) = fuses; }
  void SetUes(const std::string& bits) { ues_ = bits; }

  const std::string& Row(std::size_t row) const { return rows_.at(row); }
  const std::string& Ues() const { return ues_; }

 private:
  std::vector<std::string> rows_;
  std::string ues_;
};

// True when `text` has `length` characters, each '0' or '1'.
bool IsBitText(const std::string& text, std::size_t length);

}  // namespace zl::sim
