#include "logic/logic_device_steps.h"

#include <cstdint>

#include "link/loader_commands.h"
#include "logic/logic_messages.h"

namespace zl {
namespace {

// Runs one loader command under the wait cursor and reports a failure after
// the cursor has ended.
template <typename Command>
bool RunUnderWaitCursor(UiServices& ui, Command command) {
  ResultCode result = kOk;
  {
    WaitCursorScope cursor(ui);
    result = command();
  }
  if (result != kOk) {
    ui.MessageBox(kMsgCommunicationFailed);
    return false;
  }
  return true;
}

}  // namespace

bool EnterLogicMode(UiServices& ui, LoaderLink& link) {
  return RunUnderWaitCursor(ui, [&] { return LoaderLogicMode(link, true); });
}

bool LeaveLogicMode(UiServices& ui, LoaderLink& link) {
  return RunUnderWaitCursor(ui, [&] { return LoaderLogicMode(link, false); });
}

bool CheckLogicDevice(UiServices& ui, LoaderLink& link) {
  std::uint8_t deviceType = 0;
  if (!RunUnderWaitCursor(ui, [&] { return LoaderLogicReadId(link, deviceType); })) {
    return false;
  }
  if (deviceType != kLogicDeviceType) {
    ui.MessageBox(kMsgUnknownDevice);
    return false;
  }
  return true;
}

bool EraseLogic(UiServices& ui, LoaderLink& link) {
  ui.SetStatusText(kStatusErasing);
  return RunUnderWaitCursor(ui, [&] { return LoaderLogicErase(link); });
}

}  // namespace zl
