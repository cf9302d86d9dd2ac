#include "frontends/cli/traffic_monitor.h"

#include "link/byte_order.h"
#include "link/frame_codec.h"

namespace zl {

namespace {

constexpr std::uint8_t kCommandFlag = 0x10;  // set in the header of command transactions
constexpr std::uint8_t kProgramMemory = 'h';
constexpr std::uint8_t kLogicWriteRow = 'l';

}  // namespace

std::vector<std::uint8_t> DecodeFramePayload(const std::uint8_t* bytes, std::size_t count) {
  std::vector<std::uint8_t> payload;
  std::size_t i = 0;
  while (i + 1 < count && !(bytes[i] == kDle && bytes[i + 1] == kStx))
    ++i;
  if (i + 1 >= count)
    return {};
  for (i += 2; i < count; ++i) {
    if (bytes[i] != kDle) {
      payload.push_back(bytes[i]);
      continue;
    }
    if (i + 1 >= count)
      return {};
    ++i;
    if (bytes[i] == kDle) {
      payload.push_back(kDle);
    } else if (bytes[i] == kEtx) {
      return payload;
    } else {
      return {};
    }
  }
  return {};
}

FrameTrace TrafficMonitor::Hook() {
  return [this](TraceDirection direction, const std::uint8_t* data, std::size_t count) {
    OnFrame(direction, data, count);
  };
}

void TrafficMonitor::OnFrame(TraceDirection direction, const std::uint8_t* data,
                             std::size_t count) {
  if (direction == TraceDirection::kSent) {
    Trace("TX", data, count);
    ++counts_.framesSent;
    counts_.bytesSent += count;
    const auto payload = DecodeFramePayload(data, count);
    if (payload.size() < 3 || (payload[0] & kCommandFlag) == 0)
      return;  // link control
    // A repeated attempt carries the same header (sequence number and
    // length); consecutive commands always differ in the sequence number.
    if (haveLastCommand_ && payload[0] == lastHeader_ && lastCommand_ == payload[2]) {
      ++counts_.retries;
    } else {
      ++counts_.transactions;
      ++counts_.commands[static_cast<char>(payload[2])];
    }
    haveLastCommand_ = true;
    lastHeader_ = payload[0];
    lastCommand_ = payload[2];
    pendingCommand_ = payload[2];
    pendingProgramBytes_ = 0;
    if (pendingCommand_ == kProgramMemory && payload.size() >= 9) {
      std::uint16_t length = 0;
      GetU16BE(payload.data(), 7, length);
      pendingProgramBytes_ = length;
    }
    return;
  }

  Trace("RX", data, count);
  ++counts_.framesReceived;
  counts_.bytesReceived += FrameEncode(data, count).size();
  if (count < 3 || pendingCommand_ == 0)
    return;
  const std::uint8_t* body = data + 2;
  const std::size_t bodyLength = count - 2;
  if (pendingCommand_ == kProgramMemory && body[0] == kProgramMemory && bodyLength >= 2 &&
      body[1] == 0) {
    counts_.flashBytesProgrammed += pendingProgramBytes_;
  } else if (pendingCommand_ == kLogicWriteRow) {
    ++counts_.logicRowsWritten;
  }
  pendingCommand_ = 0;  // one answer per command
}

void TrafficMonitor::Trace(const char* label, const std::uint8_t* data, std::size_t count) {
  if (trace_ == nullptr)
    return;
  const std::uint32_t ms = clock_.TickCount() - start_;
  std::fprintf(trace_, "[%6u.%03u] %s", static_cast<unsigned>(ms / 1000),
               static_cast<unsigned>(ms % 1000), label);
  for (std::size_t i = 0; i < count; ++i)
    std::fprintf(trace_, " %02X", data[i]);
  std::fputc('\n', trace_);
  std::fflush(trace_);
}

}  // namespace zl
