#include "app/dialog_templates.h"

#include <string>
#include <vector>

#include "app/resource_ids.h"

namespace zl {

namespace {

ControlTemplate Frame(const char* text, DluRect rect) {
  ControlTemplate c;
  c.kind = ControlKind::kGroupBox;
  c.text = text;
  c.rect = rect;
  return c;
}

ControlTemplate Label(int id, const char* text, DluRect rect, TextAlign align) {
  ControlTemplate c;
  c.id = id;
  c.kind = ControlKind::kStatic;
  c.text = text;
  c.rect = rect;
  c.align = align;
  return c;
}

ControlTemplate PushButton(int id, const char* text, DluRect rect, bool isDefault = false) {
  ControlTemplate c;
  c.id = id;
  c.kind = isDefault ? ControlKind::kDefPushButton : ControlKind::kPushButton;
  c.text = text;
  c.rect = rect;
  return c;
}

ControlTemplate Edit(int id, DluRect rect) {
  ControlTemplate c;
  c.id = id;
  c.kind = ControlKind::kEdit;
  c.rect = rect;
  c.border = true;
  c.autoHScroll = true;
  return c;
}

ControlTemplate DropDown(int id, DluRect rect, std::vector<std::string> items) {
  ControlTemplate c;
  c.id = id;
  c.kind = ControlKind::kDropDownList;
  c.rect = rect;
  c.verticalScroll = true;
  c.initialItems = std::move(items);
  return c;
}

std::vector<std::string> PortNames() {
  std::vector<std::string> names;
  for (int number = 1; number <= 19; ++number)
    names.push_back("COM" + std::to_string(number));
  return names;
}

DialogTemplate BuildMain() {
  constexpr auto kLeft = TextAlign::kLeft;
  constexpr auto kCentre = TextAlign::kCentre;
  constexpr auto kRight = TextAlign::kRight;
  DialogTemplate t;
  t.id = IDD_MAIN;
  t.title = "Zeta7 Update/Setup";
  t.rect = {30, 35, 219, 255};
  t.fontName = "MS Sans Serif";
  t.fontPoints = 8;
  t.centred = true;
  t.statusControl = IDC_STATUS;
  t.controls = {
      Frame("Connect Zeta7 Loader", {5, 5, 205, 75}),
      Frame("Channel", {10, 15, 105, 60}),
      Label(kIdStatic, "SN:", {134, 20, 13, 8}, kRight),
      Label(IDC_SERIAL, "unknown", {150, 20, 55, 8}, kCentre),
      PushButton(IDC_CONNECT, "&Connect", {130, 60, 75, 14}),
      Frame("Zeta7 Firmware / Logic", {5, 85, 205, 60}),
      Label(kIdStatic, "Version:", {124, 48, 25, 8}, kRight),
      Label(IDC_LOADER_VERSION, "", {160, 48, 35, 8}, kCentre),
      Label(IDC_FW_CURRENT, "unknown", {60, 115, 35, 8}, kCentre),
      Label(IDC_FW_NEWEST, "unknown", {105, 115, 35, 8}, kCentre),
      PushButton(IDC_CURRENT, "Current", {145, 94, 60, 14}),
      PushButton(IDC_UPDATE, "Update", {145, 126, 60, 14}),
      Frame("Configuration", {5, 150, 205, 85}),
      Label(kIdStatic, "ZETA IP Address", {10, 167, 90, 10}, kLeft),
      Edit(IDC_IP, {115, 165, 90, 13}),
      Label(kIdStatic, "Subnet Mask", {10, 182, 90, 10}, kLeft),
      Edit(IDC_SUBNET, {115, 180, 90, 13}),
      Label(kIdStatic, "Default Gateway", {10, 197, 90, 10}, kLeft),
      Edit(IDC_GATEWAY, {115, 195, 90, 13}),
      PushButton(IDC_TRANSMIT, "&Transmit", {125, 215, 75, 14}),
      PushButton(IDOK, "Ok", {70, 215, 50, 14}, true),
      PushButton(IDCANCEL, "Cancel", {10, 215, 50, 14}),
      Label(IDC_STATUS, "Loading firmware, please wait", {5, 240, 205, 8}, kCentre),
      Label(kIdStatic, "MAC:", {130, 34, 18, 8}, kRight),
      Label(IDC_MAC, "unknown", {150, 34, 55, 8}, kCentre),
      DropDown(IDC_PORT, {50, 30, 55, 55}, PortNames()),
      Label(kIdStatic, "Port", {20, 32, 25, 8}, kLeft),
      DropDown(IDC_SPEED, {50, 50, 55, 90}, {"9600", "19200", "38400", "57600", "115200"}),
      Label(kIdStatic, "Speed", {20, 52, 25, 8}, kLeft),
      PushButton(IDC_ERASE, "Erase", {145, 110, 60, 14}),
      Label(kIdStatic, "Firmware", {15, 115, 35, 8}, kLeft),
      Label(kIdStatic, "Logic", {15, 125, 35, 8}, kLeft),
      Label(kIdStatic, "Current", {60, 100, 35, 8}, kCentre),
      Label(kIdStatic, "Newest", {105, 100, 35, 8}, kCentre),
      Label(IDC_LOGIC_CURRENT, "unknown", {60, 125, 35, 8}, kCentre),
      Label(IDC_LOGIC_NEWEST, "unknown", {105, 125, 35, 8}, kCentre),
  };
  return t;
}

DialogTemplate BuildAbout() {
  DialogTemplate t;
  t.id = IDD_ABOUTBOX;
  t.title = "About zetaLink Setup";
  t.rect = {30, 35, 221, 48};
  t.fontName = "MS Sans Serif";
  t.fontPoints = 8;
  ControlTemplate icon;
  icon.kind = ControlKind::kIcon;
  icon.rect = {10, 10, 20, 20};
  icon.iconResource = IDR_MAINFRAME;
  t.controls = {
      icon,
      Label(kIdStatic, "Zeta7 Setup Version 1.02", {40, 10, 165, 8}, TextAlign::kCentre),
      Label(IDC_VARIANT, "???", {40, 21, 165, 8}, TextAlign::kCentre),
  };
  return t;
}

}  // namespace

const DialogTemplate& MainDialogTemplate() {
  static const DialogTemplate main = BuildMain();
  return main;
}

const DialogTemplate& AboutBoxTemplate() {
  static const DialogTemplate about = BuildAbout();
  return about;
}

}  // namespace zl
