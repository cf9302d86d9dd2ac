#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "images/firmware_programming.h"
#include "link/loader_link.h"
#include "link/result_code.h"
#include "platform/clock.h"
#include "platform/dialog_framework.h"
#include "platform/serial_channel.h"

namespace zl {

// What the main dialog talks to: the serial channel behind the loader link
// and the tick count. The update files are looked for in ProgramDirectory()
// (platform/program_dir.h).
struct DeviceEnvironment {
  SerialChannel* channel = nullptr;
  Clock* clock = nullptr;
};

// The main dialog: the device's identity and versions, the newest update
// files, the network settings, and the buttons of the workflows. It owns the
// one loader link of the program.
class CZetasetupDlg : public Dialog {
 public:
  explicit CZetasetupDlg(const DeviceEnvironment& environment);
  ~CZetasetupDlg() override;

  bool InitialiseDialog() override;
  bool ExchangeFields(bool saving) override;
  void HandleOk() override;
  void HandleCancel() override;
  void HandleCommand(int controlId) override;
  void HandleSystemCommand(int commandId) override;

  // The button handlers.
  void OnConnect();
  void OnCurrent();
  void OnUpdate();
  void OnErase();
  void OnTransmit();

  // Opens the link on "\\.\COM<port index + 1>" at the speed of a list index.
  ResultCode LinkOpenByIndex(int portIndex, int speedIndex);
  // Reads the identity into the members and rebuilds the MAC text.
  ResultCode RefreshIdentity();
  // Enables Update unless both newest versions equal the device's.
  void ApplyUpdateRule();

  // The loader link (for a frame trace, and for tests).
  LoaderLink& Link() { return m_link; }

  // Members bound to controls, in exchange order.
  Button m_btnErase;
  Button m_btnTransmit;
  Button m_btnConnect;
  Button m_btnCurrent;
  int m_nPort = -1;
  int m_nSpeed = -1;
  Button m_btnUpdate;
  StaticText m_stLoaderVersion;
  StaticText m_stStatus;
  StaticText m_stLogicNewest;
  StaticText m_stLogicCurrent;
  StaticText m_stFirmwareNewest;
  StaticText m_stFirmwareCurrent;
  std::string m_strIp;
  std::string m_strSerial;
  std::string m_strSubnet;
  std::string m_strGateway;
  std::string m_strMac;
  int m_hIcon = 0;
  std::uint16_t m_nLoaderVersion = 0;
  std::uint16_t m_nFirmwareVersion = 0;
  std::uint16_t m_nLogicVersion = 0;
  std::uint16_t m_nNewestFirmware = 0;
  std::uint16_t m_nNewestLogic = 0;

 private:
  void ShowCurrentVersions();
  bool RunUpdateSteps(bool& logicModeEntered);
  void ReportError(const std::string& lead, const std::exception& error,
                   const std::string& caption);

  LoaderLink m_link;
  ProgressMemory m_progress;
};

// The MAC address text: "02F1A9" and the first six characters of the serial
// number text (all of it when shorter).
std::string MacFromSerial(const std::string& serial);

// The line speed of a speed list index; 9600 for any index outside the list.
std::uint32_t SpeedFromIndex(int speedIndex);

// The JEDEC file base name for a serial number text: "C32JED21" for ten
// characters ending in 'C', "C32JED20" otherwise.
std::string JedecBaseName(const std::string& serial);

}  // namespace zl
