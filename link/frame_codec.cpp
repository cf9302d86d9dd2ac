#include "link/frame_codec.h"

namespace zl {

std::vector<std::uint8_t> FrameEncode(const std::uint8_t* payload, std::size_t length) {
  std::vector<std::uint8_t> frame;
  frame.reserve(2 * length + 6);
  frame.push_back(kDle);
  frame.push_back(kStx);
  std::uint8_t checksum = 0;
  for (std::size_t i = 0; i < length; ++i) {
    const std::uint8_t byte = payload[i];
    frame.push_back(byte);
    if (byte == kDle) {
      frame.push_back(kDle);
    }
    checksum ^= byte;
  }
  frame.push_back(kDle);
  frame.push_back(kEtx);
  frame.push_back(checksum);
  if (checksum == kDle) {
    frame.push_back(kDle);
  }
  return frame;
}

ResultCode FrameSend(SerialPort& port, const std::uint8_t* payload, std::size_t length) {
  const std::vector<std::uint8_t> frame = FrameEncode(payload, length);
  if (port.trace) {
    port.trace(TraceDirection::kSent, frame.data(), frame.size());
  }
  return PortWrite(port, frame.data(), frame.size());
}

namespace {

enum class State { kHunt, kHuntDle, kPayload, kPayloadDle, kChecksum };

}  // namespace

ResultCode FrameReceive(SerialPort& port, std::size_t capacity, std::uint8_t* buffer,
                        std::uint32_t timeoutMs) {
  // The hunt for a frame start is bounded by the per-byte timeout as a
  // whole, so that a line that keeps delivering stray bytes cannot hold the
  // caller forever. Once a frame has started, every byte has its own timeout.
  const std::uint32_t huntStart = port.clock->TickCount();
  const auto huntExpired = [&] {
    return static_cast<std::uint32_t>(port.clock->TickCount() - huntStart) > timeoutMs;
  };

  State state = State::kHunt;
  std::size_t count = 0;
  std::uint8_t checksum = 0;

  const auto store = [&](std::uint8_t byte) {
    if (count == capacity) {
      return false;
    }
    checksum ^= byte;
    buffer[count++] = byte;
    return true;
  };

  for (;;) {
    std::uint8_t byte = 0;
    const ResultCode read = PortReadByte(port, byte, timeoutMs);
    // A port whose error state can no longer be cleared (device gone) fails
    // every read at once, so -1003 ends the call in every state.
    if (read != kOk) {
      return read;
    }
    switch (state) {
      case State::kHunt:
        if (byte == kDle) {
          state = State::kHuntDle;
        } else if (huntExpired()) {
          return kErrTimeout;
        }
        break;
      case State::kHuntDle:
        if (byte == kStx) {
          count = 0;
          checksum = 0;
          state = State::kPayload;
        } else {
          // The byte after a DLE is consumed here and never taken as a DLE.
          if (huntExpired()) {
            return kErrTimeout;
          }
          state = State::kHunt;
        }
        break;
      case State::kPayload:
        if (byte == kDle) {
          state = State::kPayloadDle;
        } else if (!store(byte)) {
          return kErrFrameOverflow;
        }
        break;
      case State::kPayloadDle:
        if (byte == kEtx) {
          state = State::kChecksum;
        } else if (byte == kDle) {
          if (!store(kDle)) {
            return kErrFrameOverflow;
          }
          state = State::kPayload;
        } else {
          return kErrFrameMalformed;
        }
        break;
      case State::kChecksum: {
        std::uint8_t received = byte;
        if (byte == kDle) {
          const ResultCode second = PortReadByte(port, byte, timeoutMs);
          if (second != kOk) {
            return second;
          }
          if (byte != kDle) {
            return kErrFrameMalformed;
          }
          received = kDle;
        }
        if (received != checksum) {
          return kErrFrameChecksum;
        }
        if (port.trace) {
          port.trace(TraceDirection::kReceived, buffer, count);
        }
        return static_cast<ResultCode>(count);
      }
    }
  }
}

}  // namespace zl
