#include "frontends/qt/dialog_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

#include "frontends/qt/app_icon.h"
#include "frontends/qt/group_frame.h"
#include "frontends/qt/native_system_menu.h"
#include "frontends/qt/text_limit_validator.h"

namespace zl::qt {

namespace {

QString ToQt(const std::string& text) {
  return QString::fromStdString(text);
}

Qt::Alignment LabelAlignment(TextAlign align) {
  switch (align) {
    case TextAlign::kCentre:
      return Qt::AlignHCenter | Qt::AlignTop;
    case TextAlign::kRight:
      return Qt::AlignRight | Qt::AlignTop;
    case TextAlign::kLeft:
      break;
  }
  return Qt::AlignLeft | Qt::AlignTop;
}

QMessageBox::Icon BoxIconOf(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::kExclamation:
      return QMessageBox::Warning;
    case BoxIcon::kQuestion:
      return QMessageBox::Question;
    case BoxIcon::kInformation:
      return QMessageBox::Information;
    case BoxIcon::kStop:
      return QMessageBox::Critical;
    case BoxIcon::kNone:
      break;
  }
  return QMessageBox::NoIcon;
}

// Property that carries a control's template id on its widget.
constexpr const char* kControlIdProperty = "zlControlId";

}  // namespace

DialogWindow::DialogWindow(Dialog& dialog, QWidget* parent) : QDialog(parent), dialog_(dialog) {
  Build();
}

DialogWindow::~DialogWindow() {
  while (waitDepth_ > 0)
    EndWaitCursor();
  if (started_)
    FinishDialog(dialog_);
}

void DialogWindow::Build() {
  const DialogTemplate& t = dialog_.Template();
  font_ = TemplateFont(ToQt(t.fontName), t.fontPoints);
  setFont(font_);
  units_ = MeasureBaseUnits(font_);

  Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint;
  if (t.caption)
    flags |= Qt::WindowTitleHint;
  if (t.systemMenu)
    flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if (t.minimiseBox)
    flags |= Qt::WindowMinimizeButtonHint;
  if (t.maximiseBox)
    flags |= Qt::WindowMaximizeButtonHint;
  setWindowFlags(flags);
  setWindowTitle(ToQt(t.title));
  setFixedSize(DluToPixelsX(t.rect.width, units_), DluToPixelsY(t.rect.height, units_));

  // Widgets created in template order get the template's tab order, and the
  // frames, created first, stay below the controls they frame.
  for (const ControlTemplate& control : t.controls) {
    QWidget* widget = CreateControl(control);
    if (widget == nullptr)
      continue;
    widget->setProperty(kControlIdProperty, control.id);
    if (control.id != kIdStatic)
      controls_.emplace(control.id, widget);
  }
}

QWidget* DialogWindow::CreateControl(const ControlTemplate& control) {
  const QRect rect = DluRectToPixels(control.rect.x, control.rect.y, control.rect.width,
                                     control.rect.height, units_);
  const QString text = ToQt(control.text);
  switch (control.kind) {
    case ControlKind::kGroupBox: {
      auto* frame = new GroupFrame(text, this);
      frame->setGeometry(rect);
      return frame;
    }
    case ControlKind::kStatic: {
      auto* label = new QLabel(this);
      label->setTextFormat(Qt::PlainText);
      label->setAlignment(LabelAlignment(control.align));
      label->setText(text);
      label->setGeometry(rect);
      return label;
    }
    case ControlKind::kPushButton:
    case ControlKind::kDefPushButton: {
      auto* button = new QPushButton(text, this);
      button->setGeometry(rect);
      button->setDefault(control.kind == ControlKind::kDefPushButton);
      const int id = control.id;
      connect(button, &QPushButton::clicked, this, [this, id] { OnCommand(id); });
      return button;
    }
    case ControlKind::kEdit: {
      auto* edit = new QLineEdit(this);
      edit->setFrame(control.border);
      edit->setGeometry(rect);
      return edit;
    }
    case ControlKind::kDropDownList: {
      auto* list = new QComboBox(this);
      list->setEditable(false);
      // The template height includes the open list; the closed list is as
      // high as the style makes it.
      const int closedHeight = std::min(list->sizeHint().height(), rect.height());
      list->setGeometry(rect.x(), rect.y(), rect.width(), closedHeight);
      const int itemHeight = std::max(1, list->fontMetrics().height());
      list->setMaxVisibleItems(std::max(1, (rect.height() - closedHeight) / itemHeight));
      return list;
    }
    case ControlKind::kIcon: {
      auto* label = new QLabel(this);
      // Windows draws icons in templates at the system icon size; here the
      // icon fills the square that fits its rectangle.
      const int side = std::min(rect.width(), rect.height());
      label->setPixmap(IconResource(control.iconResource).pixmap(side, side));
      label->setGeometry(rect.x(), rect.y(), side, side);
      return label;
    }
  }
  return nullptr;
}

bool DialogWindow::Start() {
  started_ = StartDialog(dialog_, *this);
  if (!started_) {
    ended_ = true;
    endCode_ = -1;
    return false;
  }
  // The first control that takes the focus gets it, as in a dialog whose
  // initialisation leaves the focus to the framework.
  for (QWidget* widget = nextInFocusChain(); widget != nullptr && widget != this;
       widget = widget->nextInFocusChain()) {
    if ((widget->focusPolicy() & Qt::TabFocus) && widget->isEnabledTo(this)) {
      widget->setFocus(Qt::TabFocusReason);
      break;
    }
  }
  return true;
}

void DialogWindow::Place() {
  const DialogTemplate& t = dialog_.Template();
  QScreen* screen =
      parentWidget() != nullptr ? parentWidget()->screen() : QGuiApplication::primaryScreen();
  if (t.centred && screen != nullptr) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  } else {
    const QPoint offset(DluToPixelsX(t.rect.x, units_), DluToPixelsY(t.rect.y, units_));
    if (parentWidget() != nullptr) {
      move(parentWidget()->mapToGlobal(QPoint(0, 0)) + offset);
    } else if (screen != nullptr) {
      move(screen->availableGeometry().topLeft() + offset);
    }
  }
}

void DialogWindow::Show() {
  Place();
  show();
}

int DialogWindow::Run() {
  if (!started_)
    return -1;
  if (!ended_) {
    // exec() shows the window itself: a window already visible would not
    // become modal.
    Place();
    exec();
  }
  // A loop that ended without the dialog ending (the application quit) is
  // no OK.
  return ended_ ? endCode_ : kIdCancel;
}

QWidget* DialogWindow::ControlWidget(int controlId) const {
  const auto it = controls_.find(controlId);
  return it == controls_.end() ? nullptr : it->second;
}

void DialogWindow::OnCommand(int controlId) {
  if (ended_)
    return;
  ++dispatchDepth_;
  DispatchCommand(dialog_, controlId);
  --dispatchDepth_;
  EndPendingDialog();
}

void DialogWindow::OnSystemCommand(int commandId) {
  if (ended_)
    return;
  ++dispatchDepth_;
  DispatchSystemCommand(dialog_, commandId);
  --dispatchDepth_;
  EndPendingDialog();
}

void DialogWindow::EndDialog(int endCode) {
  pendingEnd_ = endCode;
  EndPendingDialog();
}

void DialogWindow::EndPendingDialog() {
  // The end takes effect once the handler that asked for it has returned.
  if (!pendingEnd_ || dispatchDepth_ > 0 || ended_)
    return;
  ended_ = true;
  endCode_ = *pendingEnd_;
  pendingEnd_.reset();
  QDialog::done(endCode_);
}

void DialogWindow::reject() {
  OnCommand(kIdCancel);
}

void DialogWindow::accept() {
  OnCommand(kIdOk);
}

void DialogWindow::contextMenuEvent(QContextMenuEvent* event) {
  if (windowMenu_.empty()) {
    QDialog::contextMenuEvent(event);
    return;
  }
  QMenu menu(this);
  for (const MenuItem& item : windowMenu_) {
    if (item.commandId == 0) {
      menu.addSeparator();
    } else {
      menu.addAction(item.text)->setData(item.commandId);
    }
  }
  // The command runs after the menu has closed.
  QAction* chosen = menu.exec(event->globalPos());
  if (chosen != nullptr)
    OnSystemCommand(chosen->data().toInt());
}

void DialogWindow::SetStatusText(const std::string& text) {
  const int id = dialog_.Template().statusControl;
  if (id != kIdStatic)
    SetControlText(id, text);
}

int DialogWindow::MessageBox(const std::string& text, const std::string& caption,
                             BoxButtons buttons, BoxIcon icon) {
  QMessageBox box(this);
  box.setWindowTitle(ToQt(caption.empty() ? std::string(kAppTitle) : caption));
  box.setTextFormat(Qt::PlainText);
  box.setText(ToQt(text));
  box.setIcon(BoxIconOf(icon));
  QAbstractButton* yes = nullptr;
  if (buttons == BoxButtons::kYesNo) {
    yes = box.addButton(QMessageBox::Yes);
    QAbstractButton* no = box.addButton(QMessageBox::No);
    box.setDefaultButton(static_cast<QPushButton*>(yes));
    box.setEscapeButton(no);
  } else {
    QPushButton* ok = box.addButton(QMessageBox::Ok);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
  }
  box.exec();
  if (buttons == BoxButtons::kYesNo)
    return box.clickedButton() == yes && yes != nullptr ? kIdYes : kIdNo;
  return kIdOk;
}

void DialogWindow::BeginWaitCursor() {
  ++waitDepth_;
  QApplication::setOverrideCursor(Qt::WaitCursor);
}

void DialogWindow::EndWaitCursor() {
  if (waitDepth_ == 0)
    return;
  --waitDepth_;
  QApplication::restoreOverrideCursor();
}

std::string DialogWindow::ControlText(int controlId) const {
  QWidget* widget = ControlWidget(controlId);
  if (auto* label = qobject_cast<QLabel*>(widget))
    return label->text().toStdString();
  if (auto* edit = qobject_cast<QLineEdit*>(widget))
    return edit->text().toStdString();
  if (auto* button = qobject_cast<QAbstractButton*>(widget))
    return button->text().toStdString();
  if (auto* list = qobject_cast<QComboBox*>(widget))
    return list->currentText().toStdString();
  if (auto* box = qobject_cast<QGroupBox*>(widget))
    return box->title().toStdString();
  return "";
}

void DialogWindow::SetControlText(int controlId, const std::string& text) {
  QWidget* widget = ControlWidget(controlId);
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setText(ToQt(text));
    // Paint now: a workflow keeps the UI thread busy and the user must see
    // its progress texts as they are written.
    if (label->isVisible())
      label->repaint();
  } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    edit->setText(ToQt(text));
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    button->setText(ToQt(text));
  } else if (auto* box = qobject_cast<QGroupBox*>(widget)) {
    box->setTitle(ToQt(text));
  }
}

void DialogWindow::EnableControl(int controlId, bool enabled) {
  if (QWidget* widget = ControlWidget(controlId))
    widget->setEnabled(enabled);
}

bool DialogWindow::IsControlEnabled(int controlId) const {
  QWidget* widget = ControlWidget(controlId);
  return widget != nullptr && widget->isEnabledTo(const_cast<DialogWindow*>(this));
}

void DialogWindow::SetListItems(int controlId, const std::vector<std::string>& items) {
  auto* list = qobject_cast<QComboBox*>(ControlWidget(controlId));
  if (list == nullptr)
    return;
  list->clear();
  for (const std::string& item : items)
    list->addItem(ToQt(item));
  list->setCurrentIndex(-1);
}

int DialogWindow::ListSelection(int controlId) const {
  auto* list = qobject_cast<QComboBox*>(ControlWidget(controlId));
  return list == nullptr ? -1 : list->currentIndex();
}

void DialogWindow::SetListSelection(int controlId, int index) {
  auto* list = qobject_cast<QComboBox*>(ControlWidget(controlId));
  if (list == nullptr)
    return;
  list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

void DialogWindow::LimitText(int controlId, int maxChars) {
  auto* edit = qobject_cast<QLineEdit*>(ControlWidget(controlId));
  if (edit == nullptr)
    return;
  // Every loading exchange sets the limit again; a changed limit replaces
  // the earlier one.
  const auto* old = dynamic_cast<const TextLimitValidator*>(edit->validator());
  if (old != nullptr && old->MaxChars() == maxChars)
    return;
  const QValidator* replaced = edit->validator();
  edit->setValidator(new TextLimitValidator(edit, maxChars));
  delete replaced;
}

void DialogWindow::FocusAndSelect(int controlId) {
  QWidget* widget = ControlWidget(controlId);
  if (widget == nullptr)
    return;
  widget->setFocus(Qt::OtherFocusReason);
  if (auto* edit = qobject_cast<QLineEdit*>(widget))
    edit->selectAll();
}

bool DialogWindow::HasSystemMenu() const {
  return dialog_.Template().systemMenu;
}

void DialogWindow::AppendSystemMenuSeparator() {
  if (!AppendToNativeSystemMenu(*this, 0, QString()))
    windowMenu_.push_back({0, QString()});
}

void DialogWindow::AppendSystemMenuItem(int commandId, const std::string& text) {
  if (!AppendToNativeSystemMenu(*this, commandId, ToQt(text)))
    windowMenu_.push_back({commandId, ToQt(text)});
}

bool DialogWindow::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
  const int command = NativeSystemCommand(eventType, message);
  if (command == 0)
    return QDialog::nativeEvent(eventType, message, result);
  OnSystemCommand(command);
  *result = 0;
  return true;
}

void DialogWindow::SetDialogIcon(int iconResource) {
  setWindowIcon(IconResource(iconResource));
}

int DialogWindow::RunModal(Dialog& child) {
  DialogWindow window(child, this);
  if (!window.Start())
    return -1;
  return window.Run();
}

}  // namespace zl::qt
