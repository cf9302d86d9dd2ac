#include "link/loader_commands.h"

#include <cstring>

#include "link/byte_order.h"
#include "platform/errors.h"

namespace zl {

namespace {

constexpr std::uint8_t kCmdIdentify = 'r';
constexpr std::uint8_t kCmdDescribe = 'd';
constexpr std::uint8_t kCmdReadMemory = 'e';
constexpr std::uint8_t kCmdEraseSector = 'g';
constexpr std::uint8_t kCmdProgram = 'h';
constexpr std::uint8_t kCmdLogicMode = 'i';
constexpr std::uint8_t kCmdLogicReadId = 'j';
constexpr std::uint8_t kCmdLogicReadRow = 'k';
constexpr std::uint8_t kCmdLogicWriteRow = 'l';
constexpr std::uint8_t kCmdLogicReadUes = 'm';
constexpr std::uint8_t kCmdLogicWriteUes = 'n';
constexpr std::uint8_t kCmdLogicErase = 'p';
constexpr std::uint8_t kCmdStartFirmware = 'q';

constexpr std::uint32_t kEchoPauseMs = 1000;
constexpr std::size_t kRowAnswerLength = 1 + 2 * kFuseRowLength;
constexpr std::size_t kUesAnswerLength = 1 + kUesBitLength;

// One transaction with the request built in the shared request buffer; the
// answer lands in the shared response buffer.
ResultCode Transact(LoaderLink& link, std::size_t length, std::uint32_t extraTimeMs) {
  return LinkTransact(link, static_cast<std::uint32_t>(length), link.request.data(),
                      link.response.size(), link.response.data(), extraTimeMs);
}

// Copies the first `length` characters of a text into the request. A text
// one character short sends its terminating zero in the last position; a
// shorter one is a caller error.
std::size_t PutText(std::uint8_t* buffer, std::size_t pos, const std::string& text,
                    std::size_t length, const char* what) {
  if (text.size() + 1 < length) {
    throw InvalidArgumentError(std::string(what) + " is shorter than " + std::to_string(length) +
                               " characters");
  }
  const std::size_t copied = text.size() < length ? text.size() : length;
  std::memcpy(buffer + pos, text.data(), copied);
  if (copied < length) {
    buffer[pos + copied] = 0;
  }
  return pos + length;
}

std::string TextFrom(const std::uint8_t* bytes, std::size_t length) {
  return std::string(reinterpret_cast<const char*>(bytes), length);
}

}  // namespace

ResultCode LoaderIdentify(LoaderLink& link, DeviceIdentity& identity) {
  PutU8(link.request.data(), 0, kCmdIdentify);
  const ResultCode first = Transact(link, 1, 10);
  if (first < 0) {
    return first;
  }
  // Only an answer that holds a byte can echo the request; an empty answer
  // leaves an earlier response in the buffer, which must not be looked at.
  if (first >= 1 && link.response[0] == kCmdIdentify) {
    BusyWait(*link.port.clock, kEchoPauseMs);
    return kErrIdentifyEcho;
  }

  PutU8(link.request.data(), 0, kCmdDescribe);
  const ResultCode n = Transact(link, 1, 1000);
  if (n < 0) {
    return n;
  }
  if (n != 15 && n != 17) {
    identity.loaderVersion = 0;
    identity.firmwareVersion = 0;
    identity.logicVersion = 0;
    return kOk;
  }
  const std::uint8_t* answer = link.response.data();
  if (answer[0] != kCmdDescribe) {
    return kErrBadResponse;
  }
  std::uint16_t loader = 0;
  std::uint16_t firmware = 0;
  std::uint16_t logic = 0;
  std::size_t pos = GetU16BE(answer, 1, loader);
  pos = GetU16BE(answer, pos, firmware);
  pos = GetU16BE(answer, pos, logic);
  identity.serialNumber = TextFrom(answer + pos, static_cast<std::size_t>(n) - pos);

  // Firmware versions 0xC000 to 0xFFFF stand for 0 to 0x3FFF.
  if (firmware >= 0xC000) {
    firmware = static_cast<std::uint16_t>(firmware + 0x4000);
  }
  if (firmware > 255) {
    firmware = 0;
  }
  if (logic > 999) {
    logic = 0;
  }
  identity.loaderVersion = loader;
  identity.firmwareVersion = firmware;
  identity.logicVersion = logic;
  return kOk;
}

ResultCode LoaderReadMemory(LoaderLink& link, std::uint32_t address, std::uint16_t length,
                            std::uint8_t* destination) {
  std::size_t pos = PutU8(link.request.data(), 0, kCmdReadMemory);
  pos = PutU32BE(link.request.data(), pos, address);
  pos = PutU16BE(link.request.data(), pos, length);
  const ResultCode n = Transact(link, pos, 10);
  if (n < 0) {
    return n;
  }
  if (static_cast<std::size_t>(n) != std::size_t{length} + 7 ||
      link.response[0] != kCmdReadMemory) {
    return kErrBadResponse;
  }
  if (length > 0) {
    std::memcpy(destination, link.response.data() + 7, length);
  }
  return kOk;
}

ResultCode LoaderEraseSector(LoaderLink& link, std::uint32_t sectorAddress) {
  std::size_t pos = PutU8(link.request.data(), 0, kCmdEraseSector);
  pos = PutU32BE(link.request.data(), pos, sectorAddress);
  const ResultCode n = Transact(link, pos, 10000);
  if (n < 0) {
    return n;
  }
  if (n != 2 || link.response[0] != kCmdEraseSector) {
    return kErrBadResponse;
  }
  return link.response[1] != 0 ? kErrEraseFailed : kOk;
}

ResultCode LoaderProgramMemory(LoaderLink& link, std::uint32_t address, std::uint16_t length,
                               const std::uint8_t* data, std::uint32_t& value) {
  const std::size_t requestLength = std::size_t{length} + 7;
  if (requestLength > kMaxRequestBody) {
    // Too long for one request: the link refuses it (or reports that it is
    // closed) without the request buffer being overrun.
    return LinkTransact(link, static_cast<std::uint32_t>(requestLength), link.request.data(),
                        link.response.size(), link.response.data(), 1000);
  }
  std::size_t pos = PutU8(link.request.data(), 0, kCmdProgram);
  pos = PutU32BE(link.request.data(), pos, address);
  pos = PutU16BE(link.request.data(), pos, length);
  if (length > 0) {
    std::memcpy(link.request.data() + pos, data, length);
  }
  const ResultCode n = Transact(link, requestLength, 1000);
  if (n < 0) {
    return n;
  }
  if (n != 6 || link.response[0] != kCmdProgram) {
    return kErrBadResponse;
  }
  std::uint8_t status = 0;
  GetU32BE(link.response.data(), GetU8(link.response.data(), 1, status), value);
  return status != 0 ? kErrProgramFailed : kOk;
}

ResultCode LoaderLogicMode(LoaderLink& link, bool on) {
  std::size_t pos = PutU8(link.request.data(), 0, kCmdLogicMode);
  pos = PutU8(link.request.data(), pos, on ? 1 : 0);
  const ResultCode n = Transact(link, pos, 100);
  return n < 0 ? n : kOk;
}

ResultCode LoaderLogicReadId(LoaderLink& link, std::uint8_t& deviceType) {
  PutU8(link.request.data(), 0, kCmdLogicReadId);
  const ResultCode n = Transact(link, 1, 100);
  if (n < 0) {
    return n;
  }
  // The type is byte 1; a shorter answer does not carry one.
  if (n < 2) {
    return kErrBadResponse;
  }
  deviceType = link.response[1];
  return kOk;
}

ResultCode LoaderLogicReadRow(LoaderLink& link, std::uint8_t row, std::string& programmed,
                              std::string& erased) {
  std::size_t pos = PutU8(link.request.data(), 0, kCmdLogicReadRow);
  pos = PutU8(link.request.data(), pos, row);
  const ResultCode n = Transact(link, pos, 100);
  if (n < 0) {
    return n;
  }
  if (static_cast<std::size_t>(n) != kRowAnswerLength) {
    return kErrBadResponse;
  }
  programmed = TextFrom(link.response.data() + 1, kFuseRowLength);
  erased = TextFrom(link.response.data() + 1 + kFuseRowLength, kFuseRowLength);
  return kOk;
}

ResultCode LoaderLogicWriteRow(LoaderLink& link, std::uint8_t row, const std::string& fuseRow) {
  std::size_t pos = PutU8(link.request.data(), 0, kCmdLogicWriteRow);
  pos = PutU8(link.request.data(), pos, row);
  pos = PutText(link.request.data(), pos, fuseRow, kFuseRowLength, "fuse row");
  const ResultCode n = Transact(link, pos, 300);
  return n < 0 ? n : kOk;
}

ResultCode LoaderLogicReadUes(LoaderLink& link, std::string& signature) {
  PutU8(link.request.data(), 0, kCmdLogicReadUes);
  const ResultCode n = Transact(link, 1, 100);
  if (n < 0) {
    return n;
  }
  if (static_cast<std::size_t>(n) != kUesAnswerLength) {
    return kErrBadResponse;
  }
  signature = TextFrom(link.response.data() + 1, kUesBitLength);
  return kOk;
}

ResultCode LoaderLogicWriteUes(LoaderLink& link, const std::string& uesBits) {
  std::size_t pos = PutU8(link.request.data(), 0, kCmdLogicWriteUes);
  pos = PutText(link.request.data(), pos, uesBits, kUesBitLength, "UES bit text");
  const ResultCode n = Transact(link, pos, 300);
  return n < 0 ? n : kOk;
}

ResultCode LoaderLogicErase(LoaderLink& link) {
  PutU8(link.request.data(), 0, kCmdLogicErase);
  const ResultCode n = Transact(link, 1, 600);
  return n < 0 ? n : kOk;
}

ResultCode LoaderStartFirmware(LoaderLink& link) {
  PutU8(link.request.data(), 0, kCmdStartFirmware);
  const ResultCode n = Transact(link, 1, 200);
  return n < 0 ? n : kOk;
}

ResultCode LoaderEraseAllSectors(LoaderLink& link) {
  for (const std::uint32_t sector : kSectors) {
    const ResultCode result = LoaderEraseSector(link, sector);
    if (result != kOk) {
      return result;
    }
  }
  return kOk;
}

}  // namespace zl
