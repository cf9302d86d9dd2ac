#pragma once

#include <cstdint>

namespace zl {

// 0 is success, a negative value one of the codes below. FrameReceive and
// LinkTransact return a byte count (0 or more) in the same integer.
using ResultCode = std::int32_t;

inline constexpr ResultCode kOk = 0;
inline constexpr ResultCode kErrPortOpen = -1001;          // open, configure, speed; speed message unanswered
inline constexpr ResultCode kErrTimeout = -1002;           // no byte within the timeout
inline constexpr ResultCode kErrPortState = -1003;         // clearing the port's error state failed
inline constexpr ResultCode kErrFrameMalformed = -1004;    // DLE followed by neither ETX nor DLE
inline constexpr ResultCode kErrFrameChecksum = -1005;     // checksum mismatch
inline constexpr ResultCode kErrFrameOverflow = -1006;     // payload longer than the buffer
inline constexpr ResultCode kErrWrite = -1007;             // write failed or incomplete
inline constexpr ResultCode kErrNoResponse = -3001;        // three attempts failed; no speed answered
inline constexpr ResultCode kErrRequestTooLong = -3002;    // request body above 1498 bytes
inline constexpr ResultCode kErrLinkClosed = -3003;        // loader connection not open
inline constexpr ResultCode kErrResponseTooLong = -3004;   // response body above the caller's buffer
inline constexpr ResultCode kErrNewSpeed = -3005;          // no answer at the new speed
inline constexpr ResultCode kErrImageFile = -4003;         // firmware file cannot be opened or is invalid
inline constexpr ResultCode kErrIdentifyEcho = -4004;      // the device echoed the 'r' request
inline constexpr ResultCode kErrBadResponse = -4005;       // unexpected length or command echo
inline constexpr ResultCode kErrEraseFailed = -4006;       // the loader reported a failed erase
inline constexpr ResultCode kErrProgramFailed = -4007;     // the loader reported failed programming
inline constexpr ResultCode kErrSetupVerify = -4008;       // setup block read back differs
inline constexpr ResultCode kErrSetupTooLong = -9999;      // assembled setup block above 104 bytes

}  // namespace zl
