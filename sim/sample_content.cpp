#include "sim/sample_content.h"

#include <cstdio>

#include "sim/device.h"

namespace zl::sim {

namespace {

// A small linear congruential generator: the same bytes on every machine.
class Pattern {
 public:
  explicit Pattern(std::uint32_t seed) : state_(seed * 2654435761u + 12345u) {}
  std::uint32_t Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return state_ >> 8;
  }

 private:
  std::uint32_t state_;
};

std::string Hex2(unsigned value) {
  char text[3];
  std::snprintf(text, sizeof text, "%02X", value & 0xFFu);
  return text;
}

std::string Record(char type, const std::vector<std::uint8_t>& addressAndData) {
  const unsigned count = static_cast<unsigned>(addressAndData.size() + 1);
  unsigned sum = count;
  std::string line = "S";
  line += type;
  line += Hex2(count);
  for (auto b : addressAndData) {
    line += Hex2(b);
    sum += b;
  }
  line += Hex2(~sum);
  line += '\n';
  return line;
}

std::string VersionDigits(std::uint16_t version) {
  char text[8];
  std::snprintf(text, sizeof text, "%03u", static_cast<unsigned>(version % 1000));
  return text;
}

}  // namespace

std::vector<std::uint8_t> FirmwareContent(std::uint16_t version) {
  std::vector<std::uint8_t> bytes = {static_cast<std::uint8_t>(version >> 8),
                                     static_cast<std::uint8_t>(version)};
  char banner[64];
  std::snprintf(banner, sizeof banner, "Zeta7 sample firmware %u.%02u", version / 100u,
                version % 100u);
  for (const char* c = banner; *c != '\0'; ++c) {
    bytes.push_back(static_cast<std::uint8_t>(*c));
  }
  bytes.push_back(0);
  Pattern pattern(version);
  while (bytes.size() < 4096) {
    bytes.push_back(static_cast<std::uint8_t>(pattern.Next()));
  }
  return bytes;
}

int LogicVariantFor(const std::string& serialNumber) {
  return serialNumber.size() == 10 && serialNumber[9] == 'C' ? 21 : 20;
}

std::vector<std::string> FuseRows(int variant, std::uint16_t version) {
  Pattern pattern(static_cast<std::uint32_t>(variant) * 1000u + version);
  std::vector<std::string> rows;
  for (std::size_t r = 0; r < EpldModel::kRows; ++r) {
    std::string row;
    for (std::size_t f = 0; f < EpldModel::kRowLength; ++f) {
      row.push_back((pattern.Next() & 0x10u) != 0 ? '1' : '0');
    }
    rows.push_back(row);
  }
  return rows;
}

std::string SRecordText(std::uint32_t address, const std::vector<std::uint8_t>& data,
                        const std::string& header) {
  std::vector<std::uint8_t> s0 = {0, 0};
  s0.insert(s0.end(), header.begin(), header.end());
  std::string text = Record('0', s0);
  for (std::size_t at = 0; at < data.size(); at += 32) {
    const std::uint32_t a = address + static_cast<std::uint32_t>(at);
    std::vector<std::uint8_t> body = {
        static_cast<std::uint8_t>(a >> 24), static_cast<std::uint8_t>(a >> 16),
        static_cast<std::uint8_t>(a >> 8), static_cast<std::uint8_t>(a)};
    const std::size_t n = data.size() - at < 32 ? data.size() - at : 32;
    body.insert(body.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                data.begin() + static_cast<std::ptrdiff_t>(at + n));
    text += Record('3', body);
  }
  text += Record('7', {0, 0, 0, 0});
  return text;
}

std::string JedecText(const std::vector<std::string>& rows, const std::string& note) {
  std::string fuses;
  for (const auto& row : rows) {
    fuses += row;
  }
  // The fuse checksum: the 16-bit sum of the fuse list taken as 8-bit words,
  // fuse 0 in the least significant bit of the first word.
  unsigned checksum = 0;
  for (std::size_t i = 0; i < fuses.size(); i += 8) {
    unsigned word = 0;
    for (std::size_t b = 0; b < 8 && i + b < fuses.size(); ++b) {
      if (fuses[i + b] == '1') {
        word |= 1u << b;
      }
    }
    checksum = (checksum + word) & 0xFFFFu;
  }
  std::string text = "\x02\n";
  text += "N " + note + "*\n";
  text += "QF" + std::to_string(fuses.size()) + "*\n";
  text += "QV0*\nF0*\nG0*\n";
  text += "*L00000\n";
  for (std::size_t i = 0; i < fuses.size(); i += 60) {
    text += fuses.substr(i, 60) + "\n";
  }
  char tail[32];
  std::snprintf(tail, sizeof tail, "*C%04X\n*\x03", checksum);
  text += tail;
  text += "0000\n";
  return text;
}

std::vector<SampleFile> SampleFiles(std::uint16_t version) {
  const std::string digits = VersionDigits(version);
  const auto content = FirmwareContent(version);
  std::vector<SampleFile> files;
  files.push_back(
      {"ZT7C32FW." + digits, SRecordText(kFirmwareVersionAddress, content, "ZT7C32FW." + digits)});
  for (int variant : {20, 21}) {
    const std::string name = "C32JED" + std::to_string(variant) + "." + digits;
    files.push_back({name, JedecText(FuseRows(variant, version), "zetaLink sample logic " + name)});
  }
  return files;
}

}  // namespace zl::sim
