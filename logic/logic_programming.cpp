#include "logic/logic_programming.h"

#include <cstdint>

#include "link/loader_commands.h"
#include "logic/logic_messages.h"
#include "logic/progress_text.h"
#include "logic/ues_bits.h"

namespace zl {

bool ProgramLogic(UiServices& ui, LoaderLink& link, const FuseMap& fuses,
                  const std::string& uesText) {
  ui.SetStatusText(kStatusProgramming);
  WaitCursorScope cursor(ui);

  for (std::size_t row = 0; row < kFuseRowCount; ++row) {
    const ResultCode result = LoaderLogicWriteRow(link, static_cast<std::uint8_t>(row), fuses[row]);
    // The progress is shown before the result is tested, so a failed row
    // still shows its percentage.
    ui.SetStatusText(RowProgressText(kStatusProgramming, row));
    if (result != kOk) {
      cursor.End();
      ui.MessageBox(kMsgCommunicationFailed);
      return false;
    }
  }

  const ResultCode result = LoaderLogicWriteUes(link, UesToBitText(uesText));
  cursor.End();
  if (result != kOk) {
    ui.MessageBox(kMsgCommunicationFailed);
    return false;
  }
  return true;
}

}  // namespace zl
