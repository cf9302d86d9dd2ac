#include "frontends/qt/text_limit_validator.h"

#include <QLineEdit>

namespace zl::qt {

namespace {

// Characters as the user sees them, not UTF-16 code units.
qsizetype CharCount(const QString& text) {
  return text.toUcs4().size();
}

}  // namespace

TextLimitValidator::TextLimitValidator(QLineEdit* edit, int maxChars)
    : QValidator(edit), maxChars_(maxChars), currentLength_(CharCount(edit->text())) {
  // The field's own text is already replaced when validate() runs, so the
  // length before the edit is tracked here; program-set texts arrive too.
  connect(edit, &QLineEdit::textChanged, this,
          [this](const QString& text) { currentLength_ = CharCount(text); });
}

QValidator::State TextLimitValidator::validate(QString& input, int& /*pos*/) const {
  const qsizetype length = CharCount(input);
  if (length <= maxChars_)
    return Acceptable;
  // A text above the limit may only get shorter.
  return length < currentLength_ ? Acceptable : Invalid;
}

}  // namespace zl::qt
