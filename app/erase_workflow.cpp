// The Erase workflow: the EPLD and the managed flash sectors.
#include "app/resource_ids.h"
#include "app/zetasetup_dlg.h"
#include "link/loader_commands.h"
#include "logic/logic_device_steps.h"

namespace zl {

namespace {

// Shown in the current-version fields after an erase, whatever its outcome.
constexpr const char* kErasedVersionText = "unknown";

}  // namespace

void CZetasetupDlg::OnErase() {
  if (Host().MessageBox("Erase Flash and EPLD?", "", BoxButtons::kYesNo, BoxIcon::kQuestion) !=
      kIdYes) {
    return;
  }
  WaitCursorScope wait(Host());
  Host().SetStatusText("Erasing Flash and EPLD ...");

  const bool logicOk = EnterLogicMode(Host(), m_link) && CheckLogicDevice(Host(), m_link) &&
                       EraseLogic(Host(), m_link);
  LeaveLogicMode(Host(), m_link);
  m_nLogicVersion = 0;

  Host().SetStatusText("Erasing all flash sectors ...");
  // The flash is erased even when the logic part failed.
  const ResultCode flash = LoaderEraseAllSectors(m_link);
  m_nFirmwareVersion = 0;

  if (flash == kOk && logicOk) {
    ExchangeFields(false);
    Host().SetStatusText("Erasing Flash and EPLD passed!");
    m_btnUpdate.EnableWindow(true);
  } else {
    Host().SetStatusText("Erasing Flash and EPLD failed!");
  }
  m_stFirmwareCurrent.SetWindowText(kErasedVersionText);
  m_stLogicCurrent.SetWindowText(kErasedVersionText);
}

}  // namespace zl
