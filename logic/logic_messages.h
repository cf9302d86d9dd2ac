#pragma once

namespace zl {

// Texts the EPLD operations show to the user.
inline constexpr const char* kMsgCommunicationFailed = "Communication with ZETA failed!";
inline constexpr const char* kMsgJedecCannotOpen = "Logic: Cannot open JEDEC file!";
inline constexpr const char* kMsgJedecNoHeader = "Logic: Illegal JEDEC file format!";
inline constexpr const char* kMsgJedecBadRow = "Illegal JEDEC file format!";
inline constexpr const char* kMsgUnknownDevice = "Logic: Unknown ispLSI device type!";
inline constexpr const char* kMsgProgrammedVerifyFailed =
    "Logic: Fuse map programmed verification failed!";
inline constexpr const char* kMsgErasedVerifyFailed = "Logic: Fuse map erased verification failed!";
inline constexpr const char* kMsgUesVerifyFailed = "Logic: UES verify failed!";

inline constexpr const char* kStatusReadingJedec = "Logic: Reading JEDEC File ...";
inline constexpr const char* kStatusProgramming = "Logic: Programming ...";
inline constexpr const char* kStatusVerifying = "Logic: Verifying ...";
inline constexpr const char* kStatusErasing = "Logic: Erasing ...";

}  // namespace zl
