// The Connect and Current workflows and the identity refresh they share.
#include "app/resource_ids.h"
#include "app/zetasetup_dlg.h"
#include "images/image_files.h"
#include "link/loader_commands.h"

namespace zl {

namespace {

constexpr int kConnectAttempts = 10;
constexpr const char* kMacPrefixText = "02F1A9";

}  // namespace

std::string MacFromSerial(const std::string& serial) {
  return kMacPrefixText + serial.substr(0, 6);
}

std::uint32_t SpeedFromIndex(int speedIndex) {
  if (speedIndex < 0 || speedIndex >= static_cast<int>(kLinkSpeedTable.size())) {
    return kLinkSpeedTable[0];
  }
  return kLinkSpeedTable[static_cast<std::size_t>(speedIndex)];
}

ResultCode CZetasetupDlg::LinkOpenByIndex(int portIndex, int speedIndex) {
  return LinkOpen(m_link, ComDeviceName(portIndex + 1), SpeedFromIndex(speedIndex));
}

ResultCode CZetasetupDlg::RefreshIdentity() {
  DeviceIdentity identity;
  identity.loaderVersion = m_nLoaderVersion;
  identity.firmwareVersion = m_nFirmwareVersion;
  identity.logicVersion = m_nLogicVersion;
  identity.serialNumber = m_strSerial;
  const ResultCode result = LoaderIdentify(m_link, identity);
  m_nLoaderVersion = identity.loaderVersion;
  m_nFirmwareVersion = identity.firmwareVersion;
  m_nLogicVersion = identity.logicVersion;
  m_strSerial = identity.serialNumber;
  m_strMac = MacFromSerial(m_strSerial);
  return result;
}

void CZetasetupDlg::OnConnect() {
  if (!ExchangeFields(true))
    return;

  ResultCode result = kErrPortOpen;
  {
    WaitCursorScope wait(Host());
    Host().SetStatusText("Connecting to ZETA Loader ...");
    for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
      result = LinkOpenByIndex(m_nPort, m_nSpeed);
      if (result == kOk)
        result = RefreshIdentity();
      if (result == kOk) {
        ExchangeFields(false);
        ShowCurrentVersions();
        break;
      }
      LinkClose(m_link);
    }
  }

  if (result != kOk || m_nLoaderVersion == 0) {
    LinkClose(m_link);
    Host().MessageBox(result != kOk ? "Cannot connect to ZETA loader!"
                                    : "There is no Zeta7 connected!");
    Host().SetStatusText("Connecting to ZETA loader failed!");
    return;
  }
  Host().SetStatusText("Connecting to ZETA Loader passed!");
  ShowCurrentVersions();
  m_btnConnect.EnableWindow(false);
  m_btnCurrent.EnableWindow(true);
  m_btnErase.EnableWindow(true);
  m_btnTransmit.EnableWindow(true);
  ApplyUpdateRule();
}

void CZetasetupDlg::OnCurrent() {
  ResultCode result = kOk;
  {
    WaitCursorScope wait(Host());
    Host().SetStatusText("Reading current versions, please wait.");
    result = RefreshIdentity();
    if (result == kOk) {
      ExchangeFields(false);
      ShowCurrentVersions();
    }
  }
  if (result != kOk) {
    Host().MessageBox("Communication with ZETA failed!");
    Host().SetStatusText("Reading current versions failed!");
    return;
  }
  Host().SetStatusText("Reading current versions passed!");
  ApplyUpdateRule();
}

}  // namespace zl
