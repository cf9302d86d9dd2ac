#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zl {

// Why an open failed, so that front ends can tell the user more than
// "cannot open". The port operations themselves only report -1001.
enum class OpenFailure {
  kNone,
  kMissing,     // no such device
  kBusy,        // held by another program
  kPermission,  // not permitted (on Linux: not in the dialout group)
  kNotSerial,   // opened, but it does not accept serial settings
  kOther,
};

// The operating-system calls the serial port operations make. One backend per
// operating system (termios, Win32), an in-process wire to the emulated
// device, and a scripted fake for tests. Every call reports plain success or
// failure; the port operations turn that into result codes.
class SerialChannel {
 public:
  virtual ~SerialChannel() = default;

  // Opens the device exclusively for reading and writing. A device that is
  // already held by anyone, this program included, fails.
  virtual bool Open(const std::string& device) = 0;

  // Applies the line settings: raw 8 data bits, no parity, one stop bit, no
  // flow control of any kind, no character processing, DTR and RTS inactive,
  // 9600 bit/s, a receive queue of at least 1500 bytes, a one-byte read that
  // gives up after about 110 ms and writes that give up after 10 ms per byte
  // plus 100 ms.
  virtual bool Configure() = 0;

  // Changes the line speed and nothing else.
  virtual bool SetSpeed(std::uint32_t bitsPerSecond) = 0;

  // Reads one byte, waiting at most the platform read time-out (~110 ms).
  // True only when exactly one byte was delivered.
  virtual bool ReadByte(std::uint8_t& byte) = 0;

  // Writes the bytes in one call; `written` receives how many the driver took
  // before it gave up. False when the call itself failed.
  virtual bool Write(const std::uint8_t* data, std::size_t count, std::size_t& written) = 0;

  // Discards the receive queue.
  virtual void PurgeInput() = 0;

  // Clears a pending line error so that later reads and writes work again.
  // False when the device is gone (hang-up, unplugged adapter).
  virtual bool ClearError() = 0;

  virtual void Close() = 0;

  // Why the last Open failed.
  virtual OpenFailure LastOpenFailure() const { return OpenFailure::kOther; }
};

}  // namespace zl
