#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/zetasetup_dlg.h"
#include "frontends/qt/dialog_window.h"
#include "platform/program_dir.h"
#include "sim/sample_content.h"
#include "tests/qt/modal_answerer.h"
#include "tests/support/fake_clock.h"
#include "tests/support/virtual_wire.h"

namespace zl::test {

// Writes the sample update files of a version into a directory.
inline void WriteSampleFiles(const QString& directory, std::uint16_t version) {
  for (const sim::SampleFile& file : sim::SampleFiles(version)) {
    QFile out(directory + QLatin1Char('/') + QString::fromStdString(file.name));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(file.content.data(), static_cast<qint64>(file.content.size()));
  }
}

// The main dialog on the Qt backend, talking to a factory-fresh emulated
// device over the in-process wire, with the sample update files (newer than
// the device's) as the program directory. Modal boxes are answered by
// `answerer`.
class QtDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(images_.isValid());
    WriteSampleFiles(images_.path(), sim::kSampleVersion);
    SetProgramDirectory(images_.path().toStdString());
    dialog_.m_nPort = 0;
    dialog_.m_nSpeed = 4;
    dialog_.m_strIp = "192.168.1.10";
    dialog_.m_strSubnet = "255.255.255.0";
    dialog_.m_strGateway = "192.168.1.1";
  }

  void TearDown() override { SetProgramDirectory(""); }

  // Builds, initialises and shows the dialog.
  qt::DialogWindow& Open() {
    window_.reset();  // the old window detaches from the dialog first
    window_ = std::make_unique<qt::DialogWindow>(dialog_);
    EXPECT_TRUE(window_->Start());
    window_->Show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    return *window_;
  }

  template <typename Widget>
  Widget* Control(int controlId) const {
    return dynamic_cast<Widget*>(window_->ControlWidget(controlId));
  }

  // Clicks a button of the dialog as the user does; the workflow behind it
  // runs to its end before this returns.
  void Click(int controlId) const {
    QWidget* button = window_->ControlWidget(controlId);
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
  }

  QTemporaryDir images_;
  FakeClock clock_;
  VirtualWire wire_{clock_};
  DeviceEnvironment environment_{&wire_, &clock_};
  CZetasetupDlg dialog_{environment_};
  std::unique_ptr<qt::DialogWindow> window_;
  ModalAnswerer answerer_;
};

}  // namespace zl::test
