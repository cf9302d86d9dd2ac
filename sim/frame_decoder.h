#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zl::sim {

// The device's receiver: hunts for DLE STX, undoes the DLE doubling and
// checks the XOR checksum, one byte at a time. A frame that breaks the rules
// is dropped silently and the hunt starts again, as a loader does.
class FrameDecoder {
 public:
  static constexpr std::size_t kMaxPayload = 1500;

  // Feeds one byte. True when it completed a valid frame, whose payload is
  // then in Payload() until the next call.
  bool Feed(std::uint8_t byte);

  const std::vector<std::uint8_t>& Payload() const { return payload_; }

  // Frames dropped for a bad escape, checksum or length.
  std::uint32_t Rejected() const { return rejected_; }

 private:
  enum class State { kHunt, kHuntDle, kPayload, kPayloadDle, kChecksum, kChecksumDle };
  void Reject();

  State state_ = State::kHunt;
  std::vector<std::uint8_t> payload_;
  std::uint8_t xor_ = 0;
  std::uint32_t rejected_ = 0;
};

}  // namespace zl::sim
