#pragma once

#include <string>

#include "platform/dialog_framework.h"

namespace zl {

// The About box: version line and the device variant.
class CAboutDlg : public Dialog {
 public:
  CAboutDlg();
  bool ExchangeFields(bool saving) override;

  std::string m_strVariant;
};

}  // namespace zl
