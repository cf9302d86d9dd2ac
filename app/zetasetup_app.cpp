#include "app/zetasetup_app.h"

#include "app/resource_ids.h"
#include "app/resource_strings.h"

namespace zl {

bool CZetasetupApp::StartApplication() {
  settings_.SetRegistryKey(kSettingsOrganisation, LoadResourceString(IDS_APP_TITLE));

  CZetasetupDlg dialog(environment_);
  dialog.m_nSpeed = settings_.ReadInt(kSettingsSection, kSettingBaudrate, 0);
  dialog.m_nPort = settings_.ReadInt(kSettingsSection, kSettingComPort, 0);
  dialog.m_strIp = settings_.ReadText(kSettingsSection, kSettingZetaIp, "111.111.111.111");
  dialog.m_strSubnet = settings_.ReadText(kSettingsSection, kSettingSubnet, "255.255.255.0");
  dialog.m_strGateway = settings_.ReadText(kSettingsSection, kSettingGateway, "255.255.255.255");

  lastEndCode_ = RunDialog(dialog, backend_);

  // Only an OK stores; the results of the writes are not looked at.
  if (lastEndCode_ == IDOK) {
    settings_.WriteInt(kSettingsSection, kSettingBaudrate, dialog.m_nSpeed);
    settings_.WriteInt(kSettingsSection, kSettingComPort, dialog.m_nPort);
    settings_.WriteText(kSettingsSection, kSettingZetaIp, dialog.m_strIp);
    settings_.WriteText(kSettingsSection, kSettingSubnet, dialog.m_strSubnet);
    settings_.WriteText(kSettingsSection, kSettingGateway, dialog.m_strGateway);
  }
  return false;
}

}  // namespace zl
