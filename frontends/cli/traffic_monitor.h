#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <map>
#include <vector>

#include "link/serial_port.h"
#include "platform/clock.h"

namespace zl {

// What crossed the line, as seen through the serial port's frame hook.
struct TrafficCounts {
  std::uint64_t framesSent = 0;
  std::uint64_t framesReceived = 0;
  std::uint64_t bytesSent = 0;             // frame bytes on the line
  std::uint64_t bytesReceived = 0;         // frame bytes on the line (re-encoded from the payload)
  std::uint64_t transactions = 0;          // loader commands, each counted once
  std::uint64_t retries = 0;               // repeated attempts of a command
  std::uint64_t flashBytesProgrammed = 0;  // data of program commands the loader accepted
  std::uint64_t logicRowsWritten = 0;      // EPLD rows written (answered)
  std::map<char, std::uint64_t> commands;  // transactions by command letter
};

// The payload of one encoded frame (DLE STX ... DLE ETX checksum); empty
// when the bytes hold no complete frame.
std::vector<std::uint8_t> DecodeFramePayload(const std::uint8_t* bytes, std::size_t count);

// Watches every frame of the loader link: counts the traffic and, when a
// trace stream is given, writes each frame in hex with a time stamp, "TX"
// for the bytes sent on the line and "RX" for the payload of a frame
// received.
class TrafficMonitor {
 public:
  TrafficMonitor(Clock& clock, std::FILE* trace) : clock_(clock), trace_(trace) {
    start_ = clock_.TickCount();
  }

  // The hook to install on the SerialPort; valid while this object lives.
  FrameTrace Hook();

  void OnFrame(TraceDirection direction, const std::uint8_t* data, std::size_t count);

  const TrafficCounts& Counts() const { return counts_; }

 private:
  void Trace(const char* label, const std::uint8_t* data, std::size_t count);

  Clock& clock_;
  std::FILE* trace_;
  std::uint32_t start_ = 0;
  TrafficCounts counts_;
  bool haveLastCommand_ = false;
  std::uint8_t lastHeader_ = 0;
  std::uint8_t lastCommand_ = 0;
  std::uint8_t pendingCommand_ = 0;
  std::uint32_t pendingProgramBytes_ = 0;
};

}  // namespace zl
