#include "app/about_dlg.h"

#include "app/dialog_templates.h"
#include "app/resource_ids.h"

namespace zl {

CAboutDlg::CAboutDlg() : Dialog(AboutBoxTemplate()) {}

bool CAboutDlg::ExchangeFields(bool saving) {
  m_strVariant = "CPU32";
  FieldExchange fx(Host(), saving);
  fx.Text(IDC_VARIANT, m_strVariant);
  return !fx.Failed();
}

}  // namespace zl
