#include "link/loader_link.h"

#include <algorithm>
#include <cstring>

#include "link/byte_order.h"
#include "link/frame_codec.h"

namespace zl {

namespace {

constexpr std::uint32_t kNegotiationTimeoutMs = 200;
constexpr std::uint32_t kWakeUpPauseMs = 300;
constexpr std::size_t kProbeAnswerLength = 3;
constexpr std::size_t kSpeedAnswerLength = 7;
constexpr std::uint8_t kWakeUp[] = {0xDB, 0xDE};
constexpr std::uint8_t kProbe[] = {0x00, 0x01, 0x01};

// Sends the probe and tells whether a frame with a 3-byte payload came back.
bool ProbeAnswered(SerialPort& port, std::uint8_t* receive) {
  if (FrameSend(port, kProbe, sizeof kProbe) != kOk) {
    return false;
  }
  return FrameReceive(port, kLinkPayloadSize, receive, kNegotiationTimeoutMs) ==
         static_cast<ResultCode>(kProbeAnswerLength);
}

// One try at a speed: set it, wake the loader, pause, probe.
bool TrySpeed(SerialPort& port, std::uint32_t speed, std::uint8_t* receive) {
  bool ready = PortSetSpeed(port, speed) == kOk;
  if (ready) {
    ready = PortWrite(port, kWakeUp, sizeof kWakeUp) == kOk;
  }
  BusyWait(*port.clock, kWakeUpPauseMs);
  return ready && ProbeAnswered(port, receive);
}

}  // namespace

ResultCode LinkNegotiateSpeed(SerialPort& port, std::uint32_t speed, std::uint8_t* receive) {
  std::size_t top = kLinkSpeedTable.size() - 1;
  if (PortSetSpeed(port, kLinkSpeedTable[top]) != kOk) {
    top = kLinkSpeedTable.size() - 2;
  }
  speed = std::min(speed, kLinkSpeedTable[top]);

  if (TrySpeed(port, speed, receive)) {
    return kOk;
  }

  bool found = false;
  for (std::size_t index = 0; index <= top && !found; ++index) {
    found = TrySpeed(port, kLinkSpeedTable[index], receive);
  }
  if (!found) {
    return kErrNoResponse;
  }

  std::uint8_t message[7] = {0x00, 0x05, 0x03};
  PutU32BE(message, 3, speed);
  if (FrameSend(port, message, sizeof message) != kOk ||
      FrameReceive(port, kLinkPayloadSize, receive, kNegotiationTimeoutMs) !=
          static_cast<ResultCode>(kSpeedAnswerLength)) {
    return kErrPortOpen;
  }
  BusyWait(*port.clock, kWakeUpPauseMs);

  std::uint32_t answered = 0;
  GetU32BE(receive, 3, answered);
  // A speed of 0 would hang up a real line and cannot time a response.
  if (answered == 0 || PortSetSpeed(port, answered) != kOk) {
    return kErrNewSpeed;
  }
  return ProbeAnswered(port, receive) ? kOk : kErrNewSpeed;
}

ResultCode LinkOpen(LoaderLink& link, const std::string& deviceName, std::uint32_t speed) {
  // The open link holds its port; a second open is refused and leaves it as
  // it was, whichever port it names.
  if (link.open) {
    return kErrPortOpen;
  }
  const ResultCode opened = PortOpen(link.port, deviceName);
  if (opened != kOk) {
    return opened;
  }
  const ResultCode negotiated = LinkNegotiateSpeed(link.port, speed, link.receive.data());
  if (negotiated != kOk) {
    PortClose(link.port);
    return negotiated;
  }
  link.open = true;
  link.sequence = 0;
  link.headerFlag = 0x10;
  link.echoesSequence = false;
  return kOk;
}

void LinkClose(LoaderLink& link) {
  if (link.open) {
    PortClose(link.port);
    link.open = false;
  }
}

std::uint32_t LinkResponseTimeout(std::uint32_t bodyLength, std::uint32_t speed,
                                  std::uint32_t extraTimeMs) {
  // The request and a full response at 10 bits per byte, the command's own
  // time and a margin. A speed of 0 never reaches an open link; should one
  // appear, time it as the slowest table speed rather than divide by zero.
  const std::uint32_t divisor = speed == 0 ? kLinkSpeedTable[0] : speed;
  const std::uint32_t lineTime =
      (bodyLength + 2 + static_cast<std::uint32_t>(kLinkPayloadSize)) * 10000u / divisor;
  return lineTime + extraTimeMs + 200;
}

namespace {

constexpr std::uint8_t kSequenceBits = 0xC0;
// Earlier requests whose answers may still be on their way: the attempts of
// the transaction before, at most.
constexpr int kMaxStaleAnswers = 3;

// Whether an answer's header shows it belongs to another request. Learns
// whether the loader numbers its answers at all.
bool IsStaleAnswer(LoaderLink& link, std::uint8_t sentHeader, std::uint8_t answerHeader) {
  const std::uint8_t sent = sentHeader & kSequenceBits;
  const std::uint8_t answered = answerHeader & kSequenceBits;
  if (sent == answered) {
    if (sent != 0) {
      link.echoesSequence = true;
    }
    return false;
  }
  return link.echoesSequence;
}

}  // namespace

ResultCode LinkTransact(LoaderLink& link, std::uint32_t bodyLength, const std::uint8_t* body,
                        std::size_t capacity, std::uint8_t* response, std::uint32_t extraTimeMs) {
  if (!link.open) {
    return kErrLinkClosed;
  }
  if (bodyLength > kMaxRequestBody) {
    return kErrRequestTooLong;
  }
  link.transmit[0] =
      static_cast<std::uint8_t>((bodyLength >> 8) | (link.sequence << 6) | link.headerFlag);
  link.transmit[1] = static_cast<std::uint8_t>(bodyLength);
  if (bodyLength > 0) {
    std::memcpy(link.transmit.data() + 2, body, bodyLength);
  }
  ++link.sequence;

  const std::size_t payloadLength = bodyLength + 2;
  ResultCode received = -1;
  bool success = false;
  for (int attempt = 0; attempt < 3 && !success; ++attempt) {
    PortPurgeInput(link.port);
    if (FrameSend(link.port, link.transmit.data(), payloadLength) != kOk) {
      continue;
    }
    const std::uint32_t timeout = LinkResponseTimeout(bodyLength, link.port.speed, extraTimeMs);
    received = FrameReceive(link.port, kLinkPayloadSize, link.receive.data(), timeout);
    // An answer that arrives after its request was given up (or after a
    // retry was already answered) would otherwise be taken for this
    // request's, and every later answer for its predecessor's. A loader
    // that numbers its answers lets such answers be passed over; one that
    // does not is taken at its word, as before.
    for (int stale = 0; stale < kMaxStaleAnswers && received >= 2 &&
                        IsStaleAnswer(link, link.transmit[0], link.receive[0]);
         ++stale) {
      received = FrameReceive(link.port, kLinkPayloadSize, link.receive.data(), timeout);
    }
    if (received >= 2) {
      const std::uint32_t length = ((link.receive[0] & 0x07u) << 8) | link.receive[1];
      success = static_cast<std::uint32_t>(received - 2) == length;
    }
  }
  if (!success) {
    return kErrNoResponse;
  }
  const std::size_t n = static_cast<std::size_t>(received - 2);
  if (n > capacity) {
    return kErrResponseTooLong;
  }
  if (n > 0) {
    std::memcpy(response, link.receive.data() + 2, n);
  }
  return static_cast<ResultCode>(n);
}

std::string ComDeviceName(int portNumber) {
  return "\\\\.\\COM" + std::to_string(portNumber);
}

}  // namespace zl
