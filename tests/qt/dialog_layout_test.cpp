// The main dialog as the Qt backend builds it from its template.

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <set>

#include "app/dialog_templates.h"
#include "app/resource_ids.h"
#include "frontends/qt/dialog_units.h"
#include "tests/qt/dialog_fixture.h"

namespace zl::test {
namespace {

using qt::DialogBaseUnits;

TEST(DialogUnitsTest, ConvertsByQuartersOfTheWidthAndEighthsOfTheHeight) {
  struct Case {
    int dlu;
    DialogBaseUnits units;
    int x;
    int y;
  };
  const Case cases[] = {
      {0, {6, 13}, 0, 0},       {4, {6, 13}, 6, 7},        // 6.5 rounds up
      {219, {6, 13}, 329, 356}, {255, {7, 13}, 446, 414},  // 446.25, 414.375
      {1, {7, 13}, 2, 2},       {-4, {7, 16}, -7, -8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dlu);
    EXPECT_EQ(qt::DluToPixelsX(c.dlu, c.units), c.x);
    EXPECT_EQ(qt::DluToPixelsY(c.dlu, c.units), c.y);
  }
}

TEST(DialogUnitsTest, NeighboursThatTouchInDialogUnitsTouchInPixels) {
  const DialogBaseUnits units{7, 13};
  // Odd sizes would drift apart if width and height were rounded alone.
  const QRect left = qt::DluRectToPixels(1, 1, 2, 1, units);
  const QRect right = qt::DluRectToPixels(3, 2, 2, 1, units);
  EXPECT_EQ(left.right() + 1, right.left());
  EXPECT_EQ(left.bottom() + 1, right.top());
}

TEST(DialogUnitsTest, BaseUnitsFollowTheFont) {
  QFont small = QApplication::font();
  small.setPixelSize(10);
  QFont large = small;
  large.setPixelSize(20);
  const DialogBaseUnits a = qt::MeasureBaseUnits(small);
  const DialogBaseUnits b = qt::MeasureBaseUnits(large);
  EXPECT_GT(a.charWidth, 0);
  EXPECT_GT(b.charWidth, a.charWidth);
  EXPECT_GT(b.charHeight, a.charHeight);
}

using DialogLayoutTest = QtDialogTest;

TEST_F(DialogLayoutTest, EveryAddressedControlHasItsWidgetKindAndPlace) {
  const qt::DialogWindow& window = Open();
  const DialogTemplate& t = MainDialogTemplate();
  for (const ControlTemplate& control : t.controls) {
    if (control.id == kIdStatic)
      continue;
    SCOPED_TRACE(control.id);
    QWidget* widget = window.ControlWidget(control.id);
    ASSERT_NE(widget, nullptr);
    switch (control.kind) {
      case ControlKind::kPushButton:
      case ControlKind::kDefPushButton:
        EXPECT_NE(dynamic_cast<QPushButton*>(widget), nullptr);
        break;
      case ControlKind::kEdit:
        EXPECT_NE(dynamic_cast<QLineEdit*>(widget), nullptr);
        break;
      case ControlKind::kDropDownList:
        EXPECT_NE(dynamic_cast<QComboBox*>(widget), nullptr);
        break;
      default:
        EXPECT_NE(dynamic_cast<QLabel*>(widget), nullptr);
        break;
    }
    const QRect expected = qt::DluRectToPixels(control.rect.x, control.rect.y, control.rect.width,
                                               control.rect.height, window.BaseUnits());
    EXPECT_EQ(widget->pos(), expected.topLeft());
    EXPECT_EQ(widget->width(), expected.width());
    if (control.kind != ControlKind::kDropDownList) {
      EXPECT_EQ(widget->height(), expected.height());
    } else {
      // Closed, a list is shorter than its template height, which includes
      // the open list.
      EXPECT_LT(widget->height(), expected.height());
    }
    EXPECT_TRUE(window.rect().contains(widget->geometry())) << "outside the client area";
  }
  EXPECT_EQ(window.ControlWidget(kIdStatic), nullptr);
  EXPECT_EQ(window.ControlWidget(999), nullptr);
}

TEST_F(DialogLayoutTest, ControlsStandWhereTheTemplatePutsThemRelativeToEachOther) {
  Open();
  auto geometry = [this](int id) { return window_->ControlWidget(id)->geometry(); };
  // The bottom row: Cancel, Ok, Transmit from left to right, on one line.
  EXPECT_LT(geometry(IDCANCEL).right(), geometry(IDOK).left());
  EXPECT_LT(geometry(IDOK).right(), geometry(IDC_TRANSMIT).left());
  EXPECT_EQ(geometry(IDCANCEL).top(), geometry(IDC_TRANSMIT).top());
  // The address fields stacked in one column, the status line below all.
  EXPECT_EQ(geometry(IDC_IP).left(), geometry(IDC_GATEWAY).left());
  EXPECT_LT(geometry(IDC_IP).bottom(), geometry(IDC_SUBNET).top());
  EXPECT_LT(geometry(IDC_SUBNET).bottom(), geometry(IDC_GATEWAY).top());
  EXPECT_LT(geometry(IDC_TRANSMIT).bottom(), geometry(IDC_STATUS).top());
  // Port above speed; the version table's Current column left of Newest.
  EXPECT_LT(geometry(IDC_PORT).bottom(), geometry(IDC_SPEED).top());
  EXPECT_LT(geometry(IDC_FW_CURRENT).right(), geometry(IDC_FW_NEWEST).left());
  EXPECT_LT(geometry(IDC_FW_CURRENT).bottom(), geometry(IDC_LOGIC_CURRENT).top() + 1);
  // Serial number above MAC above the loader version, above Connect.
  EXPECT_LT(geometry(IDC_SERIAL).top(), geometry(IDC_MAC).top());
  EXPECT_LT(geometry(IDC_MAC).top(), geometry(IDC_LOADER_VERSION).top());
  EXPECT_LT(geometry(IDC_LOADER_VERSION).bottom(), geometry(IDC_CONNECT).top());
}

TEST_F(DialogLayoutTest, WindowIsAFixedSizeDialogWithTitleAndIcon) {
  qt::DialogWindow& window = Open();
  const DialogTemplate& t = MainDialogTemplate();
  EXPECT_EQ(window.windowTitle(), "Zeta7 Update/Setup");
  const QSize size(qt::DluToPixelsX(t.rect.width, window.BaseUnits()),
                   qt::DluToPixelsY(t.rect.height, window.BaseUnits()));
  EXPECT_EQ(window.size(), size);
  EXPECT_EQ(window.minimumSize(), size);
  EXPECT_EQ(window.maximumSize(), size);
  const Qt::WindowFlags flags = window.windowFlags();
  EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
  EXPECT_FALSE(window.windowIcon().isNull());
}

TEST_F(DialogLayoutTest, StartsWithTheInitialTextsSelectionsAndEnables) {
  dialog_.m_nSpeed = 2;
  Open();
  struct Expected {
    int id;
    const char* text;
  };
  // Serial number and MAC are blank (not the template's "unknown"), the
  // status line is cleared and the newest versions are those of the files.
  const Expected texts[] = {
      {IDC_SERIAL, ""},
      {IDC_MAC, ""},
      {IDC_STATUS, ""},
      {IDC_LOADER_VERSION, ""},
      {IDC_FW_CURRENT, "unknown"},
      {IDC_LOGIC_CURRENT, "unknown"},
      {IDC_FW_NEWEST, "1.02"},
      {IDC_LOGIC_NEWEST, "1.02"},
      {IDC_IP, "192.168.1.10"},
      {IDC_SUBNET, "255.255.255.0"},
      {IDC_GATEWAY, "192.168.1.1"},
      {IDC_CONNECT, "&Connect"},
      {IDOK, "Ok"},
      {IDC_TRANSMIT, "&Transmit"},
  };
  for (const Expected& e : texts) {
    SCOPED_TRACE(e.id);
    EXPECT_EQ(window_->ControlText(e.id), e.text);
  }

  const std::pair<int, bool> enables[] = {
      {IDC_CONNECT, true}, {IDC_CURRENT, false}, {IDC_ERASE, false}, {IDC_TRANSMIT, false},
      {IDC_UPDATE, false}, {IDOK, true},         {IDCANCEL, true},
  };
  for (const auto& [id, enabled] : enables) {
    SCOPED_TRACE(id);
    EXPECT_EQ(window_->ControlWidget(id)->isEnabled(), enabled);
  }

  auto* port = Control<QComboBox>(IDC_PORT);
  auto* speed = Control<QComboBox>(IDC_SPEED);
  ASSERT_EQ(port->count(), 19);
  EXPECT_EQ(port->itemText(0), "COM1");
  EXPECT_EQ(port->itemText(18), "COM19");
  EXPECT_EQ(port->currentIndex(), 0);
  ASSERT_EQ(speed->count(), 5);
  EXPECT_EQ(speed->itemText(4), "115200");
  EXPECT_EQ(speed->currentText(), "38400");
}

TEST_F(DialogLayoutTest, IndexOutsideTheListLeavesItWithoutSelection) {
  for (int stored : {19, 25, -1}) {
    SCOPED_TRACE(stored);
    dialog_.m_nPort = stored;
    Open();
    EXPECT_EQ(Control<QComboBox>(IDC_PORT)->currentIndex(), -1);
    EXPECT_EQ(Control<QComboBox>(IDC_PORT)->currentText(), "");
    EXPECT_TRUE(dialog_.ExchangeFields(true));
    EXPECT_EQ(dialog_.m_nPort, -1);
    window_.reset();
  }
}

TEST_F(DialogLayoutTest, TabOrderIsTemplateOrderAndOkIsTheOnlyDefault) {
  Open();
  std::vector<QWidget*> expected;
  for (const ControlTemplate& control : MainDialogTemplate().controls) {
    QWidget* widget = window_->ControlWidget(control.id);
    if (widget != nullptr && (widget->focusPolicy() & Qt::TabFocus))
      expected.push_back(widget);
  }
  ASSERT_GE(expected.size(), 10u);
  std::vector<QWidget*> chain;
  for (QWidget* w = window_->nextInFocusChain(); w != window_.get(); w = w->nextInFocusChain()) {
    if ((w->focusPolicy() & Qt::TabFocus) && w->parentWidget() == window_.get())
      chain.push_back(w);
  }
  EXPECT_EQ(chain, expected);

  // The focus starts on the first control that takes it: Connect.
  EXPECT_EQ(window_->focusWidget(), window_->ControlWidget(IDC_CONNECT));

  // Enter in an edit field presses the default button: Ok, and only Ok.
  // (A focused push button is the default while it has the focus.)
  window_->ControlWidget(IDC_IP)->setFocus();
  int defaults = 0;
  for (QPushButton* button : window_->findChildren<QPushButton*>())
    defaults += button->isDefault() ? 1 : 0;
  EXPECT_EQ(defaults, 1);
  EXPECT_TRUE(Control<QPushButton>(IDOK)->isDefault());
}

TEST_F(DialogLayoutTest, ScreenshotIntoTheBuildTree) {
  Open();
  const QPixmap shot = window_->grab();
  const QString path = QDir(QStringLiteral(ZL_QT_SCREENSHOT_DIR)).filePath("zetalink-dialog.png");
  ASSERT_TRUE(shot.save(path));
  QImage saved(path);
  EXPECT_EQ(saved.size(), window_->size() * window_->devicePixelRatio());
}

}  // namespace
}  // namespace zl::test
