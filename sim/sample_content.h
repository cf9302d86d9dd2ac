#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zl::sim {

// The versions a factory-fresh emulated device carries, and those of the
// update files the build generates (newer, so that an Update has work).
inline constexpr std::uint16_t kFactoryVersion = 100;
inline constexpr std::uint16_t kSampleVersion = 102;

// The firmware's bytes from just after the validity marker on: its 16-bit
// version (big-endian), a readable banner and a deterministic body.
std::vector<std::uint8_t> FirmwareContent(std::uint16_t version);

// The logic variant a serial number selects: 21 for ten characters ending in
// 'C', 20 otherwise.
int LogicVariantFor(const std::string& serialNumber);

// 134 deterministic fuse rows of 240 characters '0'/'1' for a variant and
// version.
std::vector<std::string> FuseRows(int variant, std::uint16_t version);

// S-record text: an S0 header, S3 records of up to 32 data bytes from
// `address` on, and an S7 end record; lines end with a newline.
std::string SRecordText(std::uint32_t address, const std::vector<std::uint8_t>& data,
                        const std::string& header);

// A JEDEC fuse-map text of the rows: a few fields, the fuse list from fuse 0
// in lines of 60 fuses (four per row), the fuse checksum and the end.
std::string JedecText(const std::vector<std::string>& rows, const std::string& note);

// The update files of a version as name and content: ZT7C32FW.nnn,
// C32JED20.nnn and C32JED21.nnn.
struct SampleFile {
  std::string name;
  std::string content;
};
std::vector<SampleFile> SampleFiles(std::uint16_t version);

}  // namespace zl::sim
