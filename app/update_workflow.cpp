// The Update workflow: firmware, then logic, each only when the newest file
// differs from what the device reports, then the identity read back.
#include "app/resource_ids.h"
#include "app/zetasetup_dlg.h"
#include "images/image_files.h"
#include "logic/fuse_map.h"
#include "logic/jedec_reader.h"
#include "logic/logic_device_steps.h"
#include "logic/logic_programming.h"
#include "logic/logic_verification.h"
#include "platform/errors.h"

namespace zl {

namespace {

constexpr const char* kUesPrefix = "B6001E0";
constexpr std::size_t kVariantSerialLength = 10;

}  // namespace

std::string JedecBaseName(const std::string& serial) {
  if (serial.size() == kVariantSerialLength && serial.back() == 'C')
    return kLogicVariantBaseName;
  return kLogicBaseName;
}

// Firmware and logic steps; true when both ended well. Sets logicModeEntered
// as soon as the logic mode may be on, so that a caller can leave it.
bool CZetasetupDlg::RunUpdateSteps(bool& logicModeEntered) {
  if (m_nNewestFirmware != m_nFirmwareVersion) {
    if (ProgramFirmware(m_link, m_nNewestFirmware, Host(), m_progress) != kOk) {
      Host().MessageBox("Firmware update failed!");
      return false;
    }
  }
  if (m_nNewestLogic == m_nLogicVersion)
    return true;

  FuseMap fuses{};
  const std::string ues = kUesPrefix + FormatVersion3(m_nNewestLogic);
  const std::string path = ImageFilePath(JedecBaseName(m_strSerial), m_nNewestLogic);
  bool ok = ReadJedecFile(Host(), path, fuses);
  if (ok) {
    logicModeEntered = true;
    ok = EnterLogicMode(Host(), m_link) && CheckLogicDevice(Host(), m_link) &&
         EraseLogic(Host(), m_link) && ProgramLogic(Host(), m_link, fuses, ues) &&
         VerifyLogic(Host(), m_link, fuses, ues);
  }
  // Left in every case, also when the file could not be read.
  logicModeEntered = false;
  LeaveLogicMode(Host(), m_link);
  return ok;
}

void CZetasetupDlg::OnUpdate() {
  WaitCursorScope wait(Host());
  const int depth = Host().WaitCursorDepth();
  bool ok = false;
  bool logicModeEntered = false;
  // An unreadable file or invalid update data ends the run on its failure
  // path, with the inner wait cursors wound back before the box.
  const auto reportAbort = [&](const std::exception& error) {
    while (Host().WaitCursorDepth() > depth)
      Host().EndWaitCursor();
    ReportError("Updating firmware and logic failed!", error, "");
  };
  try {
    ok = RunUpdateSteps(logicModeEntered);
  } catch (const FileError& error) {
    reportAbort(error);
  } catch (const InvalidArgumentError& error) {
    reportAbort(error);
  }
  if (logicModeEntered)
    LeaveLogicMode(Host(), m_link);

  if (ok && RefreshIdentity() == kOk) {
    ExchangeFields(false);
    Host().SetStatusText("Updating firmware and logic passed!");
    ApplyUpdateRule();
  } else {
    Host().SetStatusText("Updating firmware and logic failed!");
    m_nFirmwareVersion = 0;
    m_nLogicVersion = 0;
  }
  m_stFirmwareCurrent.SetWindowText(FormatVersion(m_nFirmwareVersion));
  m_stLogicCurrent.SetWindowText(FormatVersion(m_nLogicVersion));
}

}  // namespace zl
