#pragma once

#include "platform/ui_services.h"

namespace zl {

// Dialog templates.
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_MAIN = 102;

// Icon and strings.
inline constexpr int IDR_MAINFRAME = 128;  // the application icon
inline constexpr int IDS_ABOUTBOX = 101;
inline constexpr int IDS_APP_TITLE = 57344;

// Window-menu command of the About entry.
inline constexpr int IDM_ABOUTBOX = 0x0010;

// The framework's Help command.
inline constexpr int ID_HELP = 57670;

// Controls of IDD_MAIN.
inline constexpr int IDOK = kIdOk;
inline constexpr int IDCANCEL = kIdCancel;
inline constexpr int IDC_CURRENT = 105;
inline constexpr int IDC_FW_CURRENT = 106;
inline constexpr int IDC_FW_NEWEST = 107;
inline constexpr int IDC_LOGIC_CURRENT = 108;
inline constexpr int IDC_LOGIC_NEWEST = 109;
inline constexpr int IDC_UPDATE = 110;
inline constexpr int IDC_STATUS = 111;
inline constexpr int IDC_LOADER_VERSION = 112;
inline constexpr int IDC_IP = 113;
inline constexpr int IDC_TRANSMIT = 114;
inline constexpr int IDC_ERASE = 115;
inline constexpr int IDC_SERIAL = 118;
inline constexpr int IDC_SUBNET = 120;
inline constexpr int IDC_GATEWAY = 121;
inline constexpr int IDC_MAC = 122;
inline constexpr int IDC_CONNECT = 129;
inline constexpr int IDC_PORT = 130;
inline constexpr int IDC_SPEED = 131;

// Controls of IDD_ABOUTBOX.
inline constexpr int IDC_VARIANT = 1000;

}  // namespace zl
