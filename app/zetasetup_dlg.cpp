#include "app/zetasetup_dlg.h"

#include "app/about_dlg.h"
#include "app/dialog_templates.h"
#include "app/resource_ids.h"
#include "app/resource_strings.h"
#include "images/image_files.h"
#include "images/ip_address.h"
#include "platform/errors.h"

namespace zl {

namespace {

// The longest text the three address fields take.
constexpr int kAddressMaxChars = 15;

}  // namespace

CZetasetupDlg::CZetasetupDlg(const DeviceEnvironment& environment)
    : Dialog(MainDialogTemplate()), m_hIcon(IDR_MAINFRAME) {
  m_link.port.channel = environment.channel;
  m_link.port.clock = environment.clock;
}

CZetasetupDlg::~CZetasetupDlg() {
  LinkClose(m_link);
}

bool CZetasetupDlg::ExchangeFields(bool saving) {
  FieldExchange fx(Host(), saving);
  fx.Control(IDC_ERASE, m_btnErase);
  fx.Control(IDC_TRANSMIT, m_btnTransmit);
  fx.Control(IDC_CONNECT, m_btnConnect);
  fx.Control(IDC_CURRENT, m_btnCurrent);
  fx.ListIndex(IDC_PORT, m_nPort);
  fx.ListIndex(IDC_SPEED, m_nSpeed);
  fx.Control(IDC_UPDATE, m_btnUpdate);
  fx.Control(IDC_LOADER_VERSION, m_stLoaderVersion);
  fx.Control(IDC_STATUS, m_stStatus);
  fx.Control(IDC_LOGIC_NEWEST, m_stLogicNewest);
  fx.Control(IDC_LOGIC_CURRENT, m_stLogicCurrent);
  fx.Control(IDC_FW_NEWEST, m_stFirmwareNewest);
  fx.Control(IDC_FW_CURRENT, m_stFirmwareCurrent);
  fx.Text(IDC_IP, m_strIp);
  fx.MaxChars(IDC_IP, m_strIp, kAddressMaxChars);
  fx.Text(IDC_SERIAL, m_strSerial);
  fx.Text(IDC_SUBNET, m_strSubnet);
  fx.MaxChars(IDC_SUBNET, m_strSubnet, kAddressMaxChars);
  fx.Text(IDC_GATEWAY, m_strGateway);
  fx.MaxChars(IDC_GATEWAY, m_strGateway, kAddressMaxChars);
  fx.Text(IDC_MAC, m_strMac);
  if (saving && !fx.Failed() && ParseIpAddress(m_strIp) == kInvalidIpAddress) {
    Host().MessageBox("Invalid IP address!", "", BoxButtons::kOk, BoxIcon::kExclamation);
    fx.Fail(IDC_IP);
  }
  return !fx.Failed();
}

bool CZetasetupDlg::InitialiseDialog() {
  if (!Dialog::InitialiseDialog())
    return false;

  if (Host().HasSystemMenu()) {
    const std::string about = LoadResourceString(IDS_ABOUTBOX);
    if (!about.empty()) {
      Host().AppendSystemMenuSeparator();
      Host().AppendSystemMenuItem(IDM_ABOUTBOX, about);
    }
  }
  Host().SetDialogIcon(m_hIcon);
  Host().SetStatusText("");

  m_nLoaderVersion = 0;
  m_nFirmwareVersion = 0;
  m_nLogicVersion = 0;
  // Only the base variant's files count for the newest logic version.
  m_nNewestFirmware = FindNewestVersion(kFirmwareBaseName);
  m_nNewestLogic = FindNewestVersion(kLogicBaseName);
  m_stFirmwareNewest.SetWindowText(FormatVersion(m_nNewestFirmware));
  m_stLogicNewest.SetWindowText(FormatVersion(m_nNewestLogic));

  m_btnConnect.EnableWindow(true);
  m_btnCurrent.EnableWindow(false);
  m_btnTransmit.EnableWindow(false);
  m_btnUpdate.EnableWindow(false);
  m_btnErase.EnableWindow(false);
  return true;
}

void CZetasetupDlg::ApplyUpdateRule() {
  const bool upToDate =
      m_nNewestFirmware == m_nFirmwareVersion && m_nNewestLogic == m_nLogicVersion;
  m_btnUpdate.EnableWindow(!upToDate);
}

void CZetasetupDlg::ShowCurrentVersions() {
  m_stLoaderVersion.SetWindowText(FormatVersion(m_nLoaderVersion));
  m_stFirmwareCurrent.SetWindowText(FormatVersion(m_nFirmwareVersion));
  m_stLogicCurrent.SetWindowText(FormatVersion(m_nLogicVersion));
}

void CZetasetupDlg::ReportError(const std::string& lead, const std::exception& error,
                                const std::string& caption) {
  std::string text = lead + "\n\n";
  if (const auto* fileError = dynamic_cast<const FileError*>(&error)) {
    const std::string what = fileError->what();
    text += what.find(fileError->Path()) != std::string::npos
                ? what
                : "Cannot read " + fileError->Path() + ": " + what;
  } else {
    text += "The update data is not valid (" + std::string(error.what()) + ").";
  }
  Host().MessageBox(text, caption, BoxButtons::kOk, BoxIcon::kExclamation);
}

void CZetasetupDlg::HandleCommand(int controlId) {
  switch (controlId) {
    case IDC_CONNECT:
      OnConnect();
      break;
    case IDC_TRANSMIT:
      OnTransmit();
      break;
    case IDC_CURRENT:
      OnCurrent();
      break;
    case IDC_UPDATE:
      OnUpdate();
      break;
    case IDC_ERASE:
      OnErase();
      break;
    default:
      Dialog::HandleCommand(controlId);
      break;
  }
}

void CZetasetupDlg::HandleSystemCommand(int commandId) {
  if ((commandId & 0xFFF0) == IDM_ABOUTBOX) {
    CAboutDlg about;
    Host().RunModal(about);
  } else {
    Dialog::HandleSystemCommand(commandId);
  }
}

}  // namespace zl
