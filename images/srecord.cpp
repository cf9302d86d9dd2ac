#include "images/srecord.h"

#include "images/checked_text.h"

namespace zl {

namespace {

// Value of one hex digit of an upper-cased line. ':' to '@' lie between '9'
// and 'A' and count as 0; so does every other character outside '0' to 'F',
// which no well-formed record holds.
int HexValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return 0;
}

std::uint8_t ByteAt(const std::string& line, std::size_t position) {
  return static_cast<std::uint8_t>(16 * HexValue(CharAt(line, position)) +
                                   HexValue(CharAt(line, position + 1)));
}

}  // namespace

int ParseSRecord(std::string line, std::uint32_t& address, SRecordData& data) {
  for (char& c : line) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
    }
  }
  if (line.empty()) {
    return -1;
  }
  const std::size_t start = line.find('S');
  if (start == std::string::npos) {
    return -1;
  }

  const char type = CharAt(line, start + 1);
  const int count = ByteAt(line, start + 2);
  if (line.size() != start + 5 + 2 * static_cast<std::size_t>(count)) {
    return -1;
  }

  int addressLength = 0;
  switch (type) {
    case '1':
      addressLength = 2;
      break;
    case '2':
      addressLength = 3;
      break;
    case '3':
      addressLength = 4;
      break;
    default:
      return 0;  // header, count and start records carry no data
  }

  std::size_t position = start + 4;
  std::uint8_t sum = static_cast<std::uint8_t>(count);
  address = 0;
  for (int i = 0; i < addressLength; ++i, position += 2) {
    const std::uint8_t byte = ByteAt(line, position);
    address = address * 256 + byte;
    sum = static_cast<std::uint8_t>(sum + byte);
  }
  const int dataLength = count - addressLength - 1;
  for (int i = 0; i < dataLength; ++i, position += 2) {
    const std::uint8_t byte = ByteAt(line, position);
    data[static_cast<std::size_t>(i)] = byte;
    sum = static_cast<std::uint8_t>(sum + byte);
  }
  sum = static_cast<std::uint8_t>(sum + ByteAt(line, position));
  if (sum != 0xFF) {
    return -1;
  }
  // A count equal to the address length leaves no room for the checksum and
  // gives -1 here even when the line end happened to complete the sum.
  return dataLength;
}

}  // namespace zl
