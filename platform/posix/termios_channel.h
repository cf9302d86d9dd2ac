#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/port_names.h"
#include "platform/serial_channel.h"

namespace zl {

// The serial channel on a POSIX tty: raw 8N1, no flow control, DTR and RTS
// dropped, one-byte reads that give up after about 110 ms, writes that give
// up after 10 ms per byte plus 100 ms. Opened exclusively.
class TermiosChannel final : public SerialChannel {
 public:
  explicit TermiosChannel(PortOverrides overrides = {});
  ~TermiosChannel() override;
  TermiosChannel(const TermiosChannel&) = delete;
  TermiosChannel& operator=(const TermiosChannel&) = delete;

  bool Open(const std::string& device) override;
  bool Configure() override;
  bool SetSpeed(std::uint32_t bitsPerSecond) override;
  bool ReadByte(std::uint8_t& byte) override;
  bool Write(const std::uint8_t* data, std::size_t count, std::size_t& written) override;
  void PurgeInput() override;
  bool ClearError() override;
  void Close() override;
  OpenFailure LastOpenFailure() const override { return lastOpenFailure_; }

  // The descriptor while open, -1 otherwise (tests inspect the settings).
  int Descriptor() const { return fd_; }

  static constexpr int kReadTimeoutMs = 110;

 private:
  PortOverrides overrides_;
  int fd_ = -1;
  bool gone_ = false;  // the device hung up or vanished
  OpenFailure lastOpenFailure_ = OpenFailure::kNone;
};

}  // namespace zl
