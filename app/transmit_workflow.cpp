// Transmit of the network settings, and the OK and Cancel endings that start
// the device's firmware.
#include "app/resource_ids.h"
#include "app/zetasetup_dlg.h"
#include "images/ip_address.h"
#include "images/setup_block.h"
#include "link/loader_commands.h"
#include "platform/errors.h"

namespace zl {

namespace {

constexpr const char* kAllOnesAddress = "255.255.255.255";

// Whether a text is a dotted address at all. ParseIpAddress gives the same
// value for a rejected text and for the one valid text that means all ones.
bool IsAddressText(const std::string& text) {
  return ParseIpAddress(text) != kInvalidIpAddress || text == kAllOnesAddress;
}

}  // namespace

void CZetasetupDlg::OnTransmit() {
  if (!ExchangeFields(true))
    return;
  // A mistyped mask or gateway would be stored as all ones and reported as
  // written; refuse it before anything is sent.
  if (!IsAddressText(m_strSubnet)) {
    Host().MessageBox("Invalid subnet mask!", "", BoxButtons::kOk, BoxIcon::kExclamation);
    Host().FocusAndSelect(IDC_SUBNET);
    return;
  }
  if (!IsAddressText(m_strGateway)) {
    Host().MessageBox("Invalid default gateway!", "", BoxButtons::kOk, BoxIcon::kExclamation);
    Host().FocusAndSelect(IDC_GATEWAY);
    return;
  }

  ResultCode result = kOk;
  std::string problem;
  {
    WaitCursorScope wait(Host());
    Host().SetStatusText("Writing setup data ....");
    try {
      result = WriteSetupBlock(m_link, m_strIp, m_strSubnet, m_strGateway, kAllOnesAddress, "");
    } catch (const InvalidArgumentError&) {
      // The block carries part of the serial number the device reports.
      problem =
          "The device did not report a usable serial number, so the setup data cannot be built.";
    }
  }
  if (result == kOk && problem.empty()) {
    Host().SetStatusText("Writing setup data passed");
    return;
  }
  Host().SetStatusText("Writing setup data failed!");
  std::string text = "Transfer failed!";
  if (!problem.empty())
    text += "\n\n" + problem;
  Host().MessageBox(text, "Error", BoxButtons::kOk, BoxIcon::kExclamation);
}

void CZetasetupDlg::HandleOk() {
  {
    WaitCursorScope wait(Host());
    Host().SetStatusText("Starting firmware please wait....");
    LoaderStartFirmware(m_link);
    LinkClose(m_link);
  }
  Dialog::HandleOk();
}

void CZetasetupDlg::HandleCancel() {
  {
    WaitCursorScope wait(Host());
    Host().SetStatusText("Starting firmware please wait....");
    LoaderStartFirmware(m_link);
    LinkClose(m_link);
  }
  Dialog::HandleCancel();
}

}  // namespace zl
