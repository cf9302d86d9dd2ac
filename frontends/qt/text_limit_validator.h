#pragma once

#include <QValidator>

class QLineEdit;

namespace zl::qt {

// Refuses an edit that makes the text longer than the limit. Unlike
// QLineEdit::setMaxLength it never cuts a longer text that the program set:
// such a text is shown in full and may be shortened, but not lengthened.
class TextLimitValidator final : public QValidator {
 public:
  TextLimitValidator(QLineEdit* edit, int maxChars);

  // Called with the text an edit would produce, before the field takes it.
  State validate(QString& input, int& pos) const override;

  int MaxChars() const { return maxChars_; }

 private:
  int maxChars_;
  qsizetype currentLength_ = 0;  // the length of the text the field now shows
};

}  // namespace zl::qt
