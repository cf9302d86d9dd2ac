#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>

namespace zl::sim {

// Faults the emulated device can be told to show. Responses are counted
// from 1 over the answers to command frames (the answers of the speed
// negotiation are not counted).
struct DeviceFaults {
  std::set<std::uint32_t> dropResponses;                 // never sent
  std::set<std::uint32_t> corruptChecksumResponses;      // sent with a wrong checksum
  std::map<std::uint32_t, std::uint32_t> lateResponses;  // response -> extra delay in ms
  std::set<std::uint32_t> noiseBeforeResponses;          // stray bytes before the frame

  std::uint32_t echoIdentifyCount = 0;  // the first N 'r' requests are echoed
  bool identifyWrongLength = false;     // 'd' answered with 16 bytes
  bool identifyZeroLoader = false;      // 'd' reports loader version 0

  std::set<std::uint32_t> failEraseSectors;         // erase reports failure
  bool failProgram = false;                         // every program request fails
  std::optional<std::uint32_t> failProgramAddress;  // requests covering it fail

  std::optional<std::size_t> corruptRowProgrammed;  // row whose programmed reading is wrong
  std::optional<std::size_t> corruptRowErased;      // row whose erased reading is wrong
  bool corruptUes = false;                          // UES read back with its last bit wrong
  bool corruptSetupBlock = false;  // reads of the setup block return one byte wrong

  std::optional<std::uint32_t> answerSpeed;       // the speed message is answered with this speed
  std::optional<std::uint32_t> refuseSpeedAbove;  // higher requested speeds get no answer

  std::optional<std::uint64_t> hangUpAfterBytes;  // the line dies after N received bytes
};

}  // namespace zl::sim
