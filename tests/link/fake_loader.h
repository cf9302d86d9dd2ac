#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/byte_order.h"
#include "link/frame_codec.h"
#include "tests/support/scripted_channel.h"

namespace zl::test {

using Bytes = std::vector<std::uint8_t>;

// Undoes the framing of one complete frame as the tool writes it. Returns
// false for anything that is not exactly one well-formed frame.
inline bool DecodeFrame(const Bytes& line, Bytes& payload) {
  payload.clear();
  if (line.size() < 5 || line[0] != kDle || line[1] != kStx)
    return false;
  std::uint8_t checksum = 0;
  std::size_t i = 2;
  for (;;) {
    if (i >= line.size())
      return false;
    if (line[i] == kDle) {
      if (i + 1 >= line.size())
        return false;
      if (line[i + 1] == kEtx)
        break;
      if (line[i + 1] != kDle)
        return false;
      ++i;
    }
    payload.push_back(line[i]);
    checksum ^= line[i];
    ++i;
  }
  i += 2;
  const Bytes tail(line.begin() + static_cast<std::ptrdiff_t>(i), line.end());
  return checksum == kDle ? tail == Bytes{kDle, kDle} : tail == Bytes{checksum};
}

inline Bytes Frame(const Bytes& payload) {
  return FrameEncode(payload.data(), payload.size());
}

inline Bytes ProbePayload() {
  return {0x00, 0x01, 0x01};
}

inline Bytes SpeedPayload(std::uint32_t speed) {
  Bytes p = {0x00, 0x05, 0x03, 0, 0, 0, 0};
  PutU32BE(p.data(), 3, speed);
  return p;
}

// The device end of the link, driven by the writes of a ScriptedChannel: it
// answers only at its own line speed, follows the speed message, and hands
// command bodies to `onCommand`.
struct FakeLoader {
  std::uint32_t speed = 9600;
  bool answerSpeedMessage = true;
  std::optional<std::uint32_t> answerSpeed;  // the speed it claims; default the requested one
  bool answerProbeAfterChange = true;
  bool speedChanged = false;
  int silentReadsBeforeAnswer = 0;

  // Returns the response body for a request body; nullopt sends nothing.
  std::function<std::optional<Bytes>(const Bytes& body)> onCommand;
  // Full response payloads (header included) to send instead, one per request.
  std::vector<Bytes> rawAnswers;

  std::vector<Bytes> requests;  // command payloads received, header included

  void Attach(ScriptedChannel& channel) {
    channel.responder = [this](ScriptedChannel& ch, const Bytes& written) { Handle(ch, written); };
  }

  void Answer(ScriptedChannel& ch, const Bytes& payload) const {
    ch.QueueSilence(silentReadsBeforeAnswer);
    ch.QueueBytes(Frame(payload));
  }

  void Handle(ScriptedChannel& ch, const Bytes& written) {
    Bytes payload;
    if (ch.speed != speed || !DecodeFrame(written, payload))
      return;
    if (payload == ProbePayload()) {
      if (!speedChanged || answerProbeAfterChange)
        Answer(ch, {0x00, 0x01, 0x01});
      return;
    }
    if (payload.size() == 7 && payload[0] == 0x00 && payload[1] == 0x05 && payload[2] == 0x03) {
      if (!answerSpeedMessage)
        return;
      std::uint32_t requested = 0;
      GetU32BE(payload.data(), 3, requested);
      const std::uint32_t next = answerSpeed.value_or(requested);
      Answer(ch, SpeedPayload(next));
      speed = next;
      speedChanged = true;
      return;
    }
    requests.push_back(payload);
    if (!rawAnswers.empty()) {
      Answer(ch, rawAnswers.front());
      rawAnswers.erase(rawAnswers.begin());
      return;
    }
    if (!onCommand)
      return;
    const std::optional<Bytes> body = onCommand(Bytes(payload.begin() + 2, payload.end()));
    if (!body)
      return;
    Bytes response = {static_cast<std::uint8_t>(0x10 | (body->size() >> 8)),
                      static_cast<std::uint8_t>(body->size())};
    response.insert(response.end(), body->begin(), body->end());
    Answer(ch, response);
  }
};

}  // namespace zl::test
