#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace zl {

// Room for the data bytes of any record: a count byte of at most 255 less a
// two-byte address and the checksum.
inline constexpr std::size_t kSRecordDataCapacity = 256;

using SRecordData = std::array<std::uint8_t, kSRecordDataCapacity>;

// Decodes one line of a Motorola S-record file, as a line read delivers it
// (with its final '\n'). Letters may be lower case; characters before the
// first 'S' are skipped but count in the length check, which requires
// exactly one character after the checksum.
//
// Returns the number of data bytes (> 0) of an S1, S2 or S3 record with a
// correct checksum, with `address` and `data` set; 0 for a well-formed line
// of any other type (checksum not verified, outputs untouched) or a data
// record without data; -1 for a line that is not a valid record. Throws
// InvalidArgumentError when a field it must read lies past the end of the
// line (an 'S' with fewer than two characters after it, or a data record
// whose count is smaller than its address length).
int ParseSRecord(std::string line, std::uint32_t& address, SRecordData& data);

}  // namespace zl
