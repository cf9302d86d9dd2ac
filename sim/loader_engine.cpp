#include "sim/loader_engine.h"

#include <algorithm>
#include <cstdio>

#include "link/frame_codec.h"
#include "sim/line_speed.h"

namespace zl::sim {

namespace {

constexpr std::uint8_t kWakeFirst = 0xDB;
constexpr std::uint8_t kWakeSecond = 0xDE;
constexpr std::uint8_t kHeaderFlag = 0x10;
constexpr std::uint8_t kAck = 0x06;
constexpr std::uint8_t kNak = 0x15;
constexpr std::uint8_t kStatusOff = 0xFF;  // logic command while the mode is off
constexpr std::uint32_t kSetupBlockLength = 104;
constexpr std::uint16_t kMaxReadLength = 1491;

// Stray bytes a noisy line puts before a frame; the receiver's hunt skips
// them (a doubled DLE included).
constexpr std::uint8_t kNoise[] = {0x00, 0x55, 0x10, 0x10, 0x03, 0xFF, 0xAA, 0x02};

bool IsLinkSpeed(std::uint32_t speed) {
  return speed == 9600 || speed == 19200 || speed == 38400 || speed == 57600 || speed == 115200;
}

std::uint32_t U32At(const std::vector<std::uint8_t>& b, std::size_t at) {
  return (static_cast<std::uint32_t>(b[at]) << 24) | (static_cast<std::uint32_t>(b[at + 1]) << 16) |
         (static_cast<std::uint32_t>(b[at + 2]) << 8) | b[at + 3];
}

std::uint16_t U16At(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint16_t>((b[at] << 8) | b[at + 1]);
}

void PushU16(std::vector<std::uint8_t>& b, std::uint16_t v) {
  b.push_back(static_cast<std::uint8_t>(v >> 8));
  b.push_back(static_cast<std::uint8_t>(v));
}

void PushU32(std::vector<std::uint8_t>& b, std::uint32_t v) {
  PushU16(b, static_cast<std::uint16_t>(v >> 16));
  PushU16(b, static_cast<std::uint16_t>(v));
}

std::vector<std::uint8_t> Encode(const std::vector<std::uint8_t>& payload) {
  return FrameEncode(payload.data(), payload.size());
}

// The same frame with a checksum that does not match its payload.
std::vector<std::uint8_t> EncodeWithBadChecksum(const std::vector<std::uint8_t>& payload) {
  std::uint8_t sum = 0;
  for (auto b : payload) {
    sum ^= b;
  }
  std::vector<std::uint8_t> frame = Encode(payload);
  frame.resize(frame.size() - (sum == kDle ? 2 : 1));
  std::uint8_t wrong = static_cast<std::uint8_t>(sum ^ 0x01);
  if (wrong == kDle) {
    wrong = static_cast<std::uint8_t>(sum ^ 0x03);
  }
  frame.push_back(wrong);
  return frame;
}

std::string Hex32(std::uint32_t v) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%07X", v);
  return text;
}

}  // namespace

LoaderEngine::LoaderEngine(Device device, DeviceFaults faults)
    : device_(std::move(device)), faults_(std::move(faults)), speed_(device_.config.startSpeed) {}

void LoaderEngine::Replug() {
  hungUp_ = false;
  received_ = 0;
  faults_.hangUpAfterBytes.reset();
  firmwareRunning_ = false;
  speed_ = device_.config.startSpeed;
  decoder_ = FrameDecoder();
}

std::uint32_t LoaderEngine::CommandCount(char code) const {
  const auto it = commandCounts_.find(code);
  return it == commandCounts_.end() ? 0 : it->second;
}

void LoaderEngine::Log(const std::string& line) {
  if (log_) {
    log_(line);
  }
}

void LoaderEngine::Receive(std::uint8_t byte, std::uint32_t hostSpeed, std::vector<Emission>& out) {
  if (hungUp_) {
    return;
  }
  ++received_;
  if (faults_.hangUpAfterBytes && received_ >= *faults_.hangUpAfterBytes) {
    hungUp_ = true;
    Log("line hung up");
    return;
  }
  if (hostSpeed != speed_) {
    byte = GarbleByte(byte);
  }
  const bool wakeUp = previous_ == kWakeFirst && byte == kWakeSecond;
  previous_ = byte;
  if (firmwareRunning_) {
    if (wakeUp) {
      firmwareRunning_ = false;
      speed_ = device_.config.startSpeed;
      decoder_ = FrameDecoder();
      Log("wake-up: loader restarted at " + std::to_string(speed_));
    }
    return;
  }
  if (decoder_.Feed(byte)) {
    HandleFrame(decoder_.Payload(), out);
  }
}

void LoaderEngine::HandleFrame(const std::vector<std::uint8_t>& payload,
                               std::vector<Emission>& out) {
  if (payload.size() < 2) {
    return;
  }
  const std::size_t length = static_cast<std::size_t>(((payload[0] & 0x07u) << 8) | payload[1]);
  if (length != payload.size() - 2) {
    Log("frame ignored: header length " + std::to_string(length) + ", body " +
        std::to_string(payload.size() - 2));
    return;
  }
  const std::vector<std::uint8_t> body(payload.begin() + 2, payload.end());
  if ((payload[0] & kHeaderFlag) == 0) {
    HandleLinkControl(body, out);
    return;
  }
  if (body.empty()) {
    return;
  }
  std::uint32_t busyMs = 0;
  std::string note;
  const char code = static_cast<char>(body[0]);
  ++commandCounts_[code];
  const std::vector<std::uint8_t> answer = HandleCommand(body, busyMs, note);
  const std::uint32_t number = ++responses_;

  std::vector<std::uint8_t> reply;
  reply.push_back(static_cast<std::uint8_t>((payload[0] & 0xC0u) | kHeaderFlag |
                                            ((answer.size() >> 8) & 0x07u)));
  reply.push_back(static_cast<std::uint8_t>(answer.size()));
  reply.insert(reply.end(), answer.begin(), answer.end());

  std::string line = "'" + std::string(1, code) + "'";
  if (!note.empty()) {
    line += " " + note;
  }
  if (faults_.dropResponses.count(number) != 0) {
    Log(line + " (response " + std::to_string(number) + " dropped)");
    return;
  }
  Emission emission;
  emission.delayMs = busyMs;
  emission.speed = speed_;
  if (const auto late = faults_.lateResponses.find(number); late != faults_.lateResponses.end()) {
    emission.delayMs += late->second;
  }
  if (faults_.noiseBeforeResponses.count(number) != 0) {
    emission.bytes.assign(std::begin(kNoise), std::end(kNoise));
  }
  const auto frame = faults_.corruptChecksumResponses.count(number) != 0
                         ? EncodeWithBadChecksum(reply)
                         : Encode(reply);
  emission.bytes.insert(emission.bytes.end(), frame.begin(), frame.end());
  out.push_back(std::move(emission));
  Log(line);
  if (code == 'q' && FirmwareVersionOf(device_.flash) != 0) {
    firmwareRunning_ = true;
    Log("firmware started");
  }
}

void LoaderEngine::HandleLinkControl(const std::vector<std::uint8_t>& body,
                                     std::vector<Emission>& out) {
  if (body.size() == 1 && body[0] == 0x01) {
    out.push_back({0, Encode({0x00, 0x01, 0x01}), speed_});
    Log("probe at " + std::to_string(speed_));
    return;
  }
  if (body.size() == 5 && body[0] == 0x03) {
    const std::uint32_t requested = U32At(body, 1);
    if (faults_.refuseSpeedAbove && requested > *faults_.refuseSpeedAbove) {
      Log("speed " + std::to_string(requested) + " refused");
      return;
    }
    std::uint32_t next = IsLinkSpeed(requested) ? requested : speed_;
    if (faults_.answerSpeed) {
      next = *faults_.answerSpeed;
    }
    std::vector<std::uint8_t> answer = {0x00, 0x05, 0x03};
    PushU32(answer, next);
    out.push_back({0, Encode(answer), speed_});
    Log("speed " + std::to_string(requested) + " requested, now " + std::to_string(next));
    speed_ = next;
  }
}

std::vector<std::uint8_t> LoaderEngine::HandleCommand(const std::vector<std::uint8_t>& body,
                                                      std::uint32_t& busyMs, std::string& note) {
  const std::uint8_t code = body[0];
  const DeviceConfig& config = device_.config;
  std::vector<std::uint8_t> answer = {code};

  if (code >= 'j' && code <= 'p' && !device_.logicMode) {
    answer.push_back(kStatusOff);
    note = "refused: logic programming mode is off";
    return answer;
  }

  switch (code) {
    case 'r':
      if (echoedIdentify_ < faults_.echoIdentifyCount) {
        ++echoedIdentify_;
        note = "echoed";
        return answer;
      }
      return {kAck};

    case 'd': {
      const std::uint16_t loader = faults_.identifyZeroLoader ? 0 : config.loaderVersion;
      PushU16(answer, loader);
      PushU16(answer, FirmwareVersionOf(device_.flash));
      PushU16(answer, LogicVersionOf(device_.epld));
      answer.insert(answer.end(), config.serialNumber.begin(), config.serialNumber.end());
      if (faults_.identifyWrongLength) {
        answer.push_back(0);
      }
      note = config.serialNumber;
      return answer;
    }

    case 'e': {
      if (body.size() != 7) {
        answer.push_back(1);
        return answer;
      }
      const std::uint32_t address = U32At(body, 1);
      const std::uint16_t length = U16At(body, 5);
      note = Hex32(address) + " " + std::to_string(length);
      std::vector<std::uint8_t> data(length);
      if (length > kMaxReadLength || !device_.flash.Read(address, data.data(), length)) {
        answer.push_back(1);
        note += " refused";
        return answer;
      }
      if (faults_.corruptSetupBlock && address < kSetupBlockAddress + kSetupBlockLength &&
          address + length > kSetupBlockAddress) {
        const std::uint32_t first = std::max(address, kSetupBlockAddress);
        data[first - address] ^= 0x01;
      }
      PushU32(answer, address);
      PushU16(answer, length);
      answer.insert(answer.end(), data.begin(), data.end());
      return answer;
    }

    case 'g': {
      std::uint8_t status = 1;
      if (body.size() == 5) {
        const std::uint32_t address = U32At(body, 1);
        note = Hex32(address);
        if (faults_.failEraseSectors.count(address) == 0 && device_.flash.EraseSector(address)) {
          status = 0;
          dirty_ = true;
        }
      }
      busyMs = config.sectorEraseMs;
      answer.push_back(status);
      note += " -> " + std::to_string(status);
      return answer;
    }

    case 'h': {
      std::uint8_t status = 2;  // malformed request
      std::uint32_t sum = 0;
      if (body.size() >= 7) {
        const std::uint32_t address = U32At(body, 1);
        const std::uint16_t length = U16At(body, 5);
        note = Hex32(address) + " " + std::to_string(length);
        if (body.size() == 7u + length) {
          const std::uint8_t* data = body.data() + 7;
          const bool covered = faults_.failProgramAddress &&
                               *faults_.failProgramAddress >= address &&
                               *faults_.failProgramAddress - address < length;
          status = 1;
          if (!faults_.failProgram && !covered && device_.flash.Program(address, data, length)) {
            status = 0;
            dirty_ = true;
          }
          for (std::size_t i = 0; i < length; ++i) {
            sum += data[i];
          }
        }
      }
      busyMs = config.programMs;
      answer.push_back(status);
      PushU32(answer, sum);  // the sum of the data bytes received
      note += " -> " + std::to_string(status);
      return answer;
    }

    case 'i':
      device_.logicMode = body.size() >= 2 && body[1] != 0;
      answer.push_back(0);
      note = device_.logicMode ? "on" : "off";
      return answer;

    case 'j':
      answer.push_back(config.logicDeviceType);
      return answer;

    case 'k': {
      if (body.size() != 2 || body[1] >= EpldModel::kRows) {
        answer.push_back(1);
        return answer;
      }
      const std::size_t row = body[1];
      note = std::to_string(row);
      std::string programmed = device_.epld.Row(row);
      std::string erased = programmed;
      if (faults_.corruptRowProgrammed == row) {
        programmed[0] = programmed[0] == '0' ? '1' : '0';
      }
      if (faults_.corruptRowErased == row) {
        erased[0] = erased[0] == '0' ? '1' : '0';
      }
      answer.insert(answer.end(), programmed.begin(), programmed.end());
      answer.insert(answer.end(), erased.begin(), erased.end());
      return answer;
    }

    case 'l': {
      std::uint8_t status = 2;
      if (body.size() == 2 + EpldModel::kRowLength) {
        const std::string fuses(body.begin() + 2, body.end());
        note = std::to_string(body[1]);
        status = device_.epld.WriteRow(body[1], fuses) ? 0 : 1;
        dirty_ = dirty_ || status == 0;
      }
      busyMs = config.logicRowMs;
      answer.push_back(status);
      note += " -> " + std::to_string(status);
      return answer;
    }

    case 'm': {
      std::string ues = device_.epld.Ues();
      if (faults_.corruptUes) {
        ues.back() = ues.back() == '0' ? '1' : '0';
      }
      answer.insert(answer.end(), ues.begin(), ues.end());
      return answer;
    }

    case 'n': {
      std::uint8_t status = 2;
      if (body.size() == 1 + EpldModel::kUesLength) {
        status = device_.epld.WriteUes(std::string(body.begin() + 1, body.end())) ? 0 : 1;
        dirty_ = dirty_ || status == 0;
      }
      busyMs = config.logicRowMs;
      answer.push_back(status);
      note = "-> " + std::to_string(status);
      return answer;
    }

    case 'p':
      device_.epld.BulkErase();
      dirty_ = true;
      busyMs = config.logicEraseMs;
      answer.push_back(0);
      return answer;

    case 'q':
      answer.push_back(0);
      return answer;

    default:
      note = "unknown command";
      return {kNak};
  }
}

}  // namespace zl::sim
