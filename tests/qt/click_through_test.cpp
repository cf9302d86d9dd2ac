// The real widgets clicked through the workflows against the emulated
// device on the in-process wire.

#include <QDir>
#include <QLabel>
#include <QLineEdit>

#include "app/resource_ids.h"
#include "images/setup_block.h"
#include "tests/qt/dialog_fixture.h"

namespace zl::test {
namespace {

// Records every text the status line shows on screen.
class StatusPaints : public QObject {
 public:
  explicit StatusPaints(QLabel* label) : label_(label) { label->installEventFilter(this); }
  QStringList texts;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == label_ && event->type() == QEvent::Paint &&
        (texts.isEmpty() || texts.last() != label_->text()))
      texts << label_->text();
    return false;
  }

 private:
  QLabel* label_;
};

using ClickThroughTest = QtDialogTest;

TEST_F(ClickThroughTest, ConnectUpdateTransmitOk) {
  Open();
  StatusPaints status(Control<QLabel>(IDC_STATUS));

  Click(IDC_CONNECT);
  EXPECT_TRUE(answerer_.boxes.empty()) << answerer_.Texts().join("; ").toStdString();
  EXPECT_EQ(window_->ControlText(IDC_STATUS), "Connecting to ZETA Loader passed!");
  EXPECT_EQ(window_->ControlText(IDC_SERIAL), "12345678");
  EXPECT_EQ(window_->ControlText(IDC_MAC), "02F1A9123456");
  EXPECT_EQ(window_->ControlText(IDC_LOADER_VERSION), "1.10");
  EXPECT_EQ(window_->ControlText(IDC_FW_CURRENT), "1.00");
  EXPECT_EQ(window_->ControlText(IDC_LOGIC_CURRENT), "1.00");
  EXPECT_FALSE(window_->ControlWidget(IDC_CONNECT)->isEnabled());
  for (int id : {IDC_CURRENT, IDC_ERASE, IDC_TRANSMIT, IDC_UPDATE})
    EXPECT_TRUE(window_->ControlWidget(id)->isEnabled()) << id;
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  status.texts.clear();
  Click(IDC_UPDATE);
  EXPECT_TRUE(answerer_.boxes.empty()) << answerer_.Texts().join("; ").toStdString();
  EXPECT_EQ(window_->ControlText(IDC_FW_CURRENT), "1.02");
  EXPECT_EQ(window_->ControlText(IDC_LOGIC_CURRENT), "1.02");
  EXPECT_FALSE(window_->ControlWidget(IDC_UPDATE)->isEnabled());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  // The progress reached the screen while the click was still running.
  ASSERT_GE(status.texts.size(), 4);
  EXPECT_EQ(status.texts.first(), "Firmware: Erasing Flash ...");
  EXPECT_TRUE(status.texts.contains("Logic: Erasing ..."));
  EXPECT_EQ(status.texts.last(), "Updating firmware and logic passed!");

  auto* ip = Control<QLineEdit>(IDC_IP);
  ip->selectAll();
  QTest::keyClicks(ip, "10.1.2.3");
  Click(IDC_TRANSMIT);
  EXPECT_TRUE(answerer_.boxes.empty()) << answerer_.Texts().join("; ").toStdString();
  EXPECT_EQ(window_->ControlText(IDC_STATUS), "Writing setup data passed");
  const SetupBlock expected = BuildSetupBlock("12345678", "10.1.2.3", "255.255.255.0",
                                              "192.168.1.1", "255.255.255.255", "");
  SetupBlock written{};
  ASSERT_TRUE(wire_.device().flash.Read(kSetupBlockAddress, written.data(), written.size()));
  EXPECT_EQ(written, expected);

  QTest::qWait(1);
  const QPixmap shot = window_->grab();
  EXPECT_TRUE(
      shot.save(QDir(QStringLiteral(ZL_QT_SCREENSHOT_DIR)).filePath("zetalink-updated.png")));

  Click(IDOK);
  EXPECT_TRUE(window_->Ended());
  EXPECT_EQ(window_->EndCode(), kIdOk);
  EXPECT_FALSE(wire_.IsOpen()) << "the connection is closed when the dialog ends";
  EXPECT_EQ(dialog_.m_strIp, "10.1.2.3");
}

TEST_F(ClickThroughTest, EraseAsksFirstAndDoesNothingOnNo) {
  Open();
  Click(IDC_CONNECT);
  ASSERT_EQ(window_->ControlText(IDC_STATUS), "Connecting to ZETA Loader passed!");

  answerer_.answers = {QMessageBox::No};
  Click(IDC_ERASE);
  ASSERT_EQ(answerer_.boxes.size(), 1u);
  EXPECT_EQ(answerer_.boxes[0].text, "Erase Flash and EPLD?");
  EXPECT_EQ(answerer_.boxes[0].title, "zetaLink");
  EXPECT_EQ(answerer_.boxes[0].icon, QMessageBox::Question);
  EXPECT_EQ(answerer_.boxes[0].defaultButton, QMessageBox::Yes);
  EXPECT_EQ(window_->ControlText(IDC_FW_CURRENT), "1.00");
  EXPECT_EQ(sim::FirmwareVersionOf(wire_.device().flash), 100);

  answerer_.answers = {ModalAnswerer::kPressReturn};  // Yes is the default
  Click(IDC_ERASE);
  EXPECT_EQ(answerer_.boxes.size(), 2u);
  EXPECT_EQ(window_->ControlText(IDC_STATUS), "Erasing Flash and EPLD passed!");
  EXPECT_EQ(window_->ControlText(IDC_FW_CURRENT), "unknown");
  EXPECT_EQ(window_->ControlText(IDC_LOGIC_CURRENT), "unknown");
  EXPECT_EQ(sim::FirmwareVersionOf(wire_.device().flash), 0);
  EXPECT_TRUE(window_->ControlWidget(IDC_UPDATE)->isEnabled());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ClickThroughTest, FailuresAreReportedInBoxesWithTheCursorRestored) {
  Open();
  wire_.Unplug();
  Click(IDC_CONNECT);
  EXPECT_EQ(answerer_.Texts(), QStringList({"Cannot connect to ZETA loader!"}));
  EXPECT_FALSE(answerer_.boxes[0].overrideCursorShown) << "the wait cursor ends before the box";
  EXPECT_EQ(window_->ControlText(IDC_STATUS), "Connecting to ZETA loader failed!");
  EXPECT_TRUE(window_->ControlWidget(IDC_CONNECT)->isEnabled());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  wire_.Replug();
  Click(IDC_CONNECT);
  ASSERT_EQ(window_->ControlText(IDC_STATUS), "Connecting to ZETA Loader passed!");

  // A subnet mask that is not an address stops Transmit before anything is
  // sent.
  const std::size_t writtenBefore = wire_.Written().size();
  auto* subnet = Control<QLineEdit>(IDC_SUBNET);
  subnet->selectAll();
  QTest::keyClicks(subnet, "255.255.0");
  Click(IDC_TRANSMIT);
  ASSERT_EQ(answerer_.boxes.size(), 2u);
  EXPECT_EQ(answerer_.boxes[1].text, "Invalid subnet mask!");
  EXPECT_EQ(answerer_.boxes[1].icon, QMessageBox::Warning);
  EXPECT_EQ(wire_.Written().size(), writtenBefore);
}

}  // namespace
}  // namespace zl::test
