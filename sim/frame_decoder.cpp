#include "sim/frame_decoder.h"

namespace zl::sim {

namespace {
constexpr std::uint8_t kDle = 0x10;
constexpr std::uint8_t kStx = 0x02;
constexpr std::uint8_t kEtx = 0x03;
}  // namespace

void FrameDecoder::Reject() {
  ++rejected_;
  state_ = State::kHunt;
}

bool FrameDecoder::Feed(std::uint8_t byte) {
  switch (state_) {
    case State::kHunt:
      if (byte == kDle) {
        state_ = State::kHuntDle;
      }
      return false;
    case State::kHuntDle:
      if (byte == kStx) {
        payload_.clear();
        xor_ = 0;
        state_ = State::kPayload;
      } else {
        state_ = State::kHunt;
      }
      return false;
    case State::kPayload:
      if (byte == kDle) {
        state_ = State::kPayloadDle;
        return false;
      }
      break;
    case State::kPayloadDle:
      if (byte == kEtx) {
        state_ = State::kChecksum;
        return false;
      }
      if (byte != kDle) {
        // DLE STX inside a frame starts a new one: the sender gave up on the
        // old frame and began again.
        if (byte == kStx) {
          ++rejected_;
          payload_.clear();
          xor_ = 0;
          state_ = State::kPayload;
        } else {
          Reject();
        }
        return false;
      }
      state_ = State::kPayload;
      break;
    case State::kChecksum:
      if (byte == kDle) {
        state_ = State::kChecksumDle;
        return false;
      }
      state_ = State::kHunt;
      if (byte != xor_) {
        ++rejected_;
        return false;
      }
      return true;
    case State::kChecksumDle:
      state_ = State::kHunt;
      if (byte != kDle || xor_ != kDle) {
        ++rejected_;
        return false;
      }
      return true;
  }
  // A payload byte.
  if (payload_.size() >= kMaxPayload) {
    Reject();
    return false;
  }
  payload_.push_back(byte);
  xor_ ^= byte;
  return false;
}

}  // namespace zl::sim
