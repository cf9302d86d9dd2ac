#include "logic/logic_verification.h"

#include <cstdint>

#include "link/loader_commands.h"
#include "logic/logic_messages.h"
#include "logic/progress_text.h"
#include "logic/ues_bits.h"

namespace zl {
namespace {

bool Fail(UiServices& ui, WaitCursorScope& cursor, const char* message) {
  cursor.End();
  ui.MessageBox(message);
  return false;
}

}  // namespace

bool VerifyLogic(UiServices& ui, LoaderLink& link, const FuseMap& fuses,
                 const std::string& uesText) {
  ui.SetStatusText(kStatusVerifying);
  WaitCursorScope cursor(ui);

  std::string programmed;
  std::string erased;
  for (std::size_t row = 0; row < kFuseRowCount; ++row) {
    const ResultCode result =
        LoaderLogicReadRow(link, static_cast<std::uint8_t>(row), programmed, erased);
    ui.SetStatusText(RowProgressText(kStatusVerifying, row));
    if (result != kOk) {
      return Fail(ui, cursor, kMsgCommunicationFailed);
    }
    // The programmed reading is judged first: a row wrong in both readings
    // is a programmed-verification failure.
    if (programmed != fuses[row]) {
      return Fail(ui, cursor, kMsgProgrammedVerifyFailed);
    }
    if (erased != fuses[row]) {
      return Fail(ui, cursor, kMsgErasedVerifyFailed);
    }
  }

  std::string signature;
  if (LoaderLogicReadUes(link, signature) != kOk) {
    return Fail(ui, cursor, kMsgCommunicationFailed);
  }
  // All 120 characters count, the clear trailing bits included.
  const bool matches = signature == UesToBitText(uesText);
  cursor.End();
  if (!matches) {
    ui.MessageBox(kMsgUesVerifyFailed);
    return false;
  }
  return true;
}

}  // namespace zl
