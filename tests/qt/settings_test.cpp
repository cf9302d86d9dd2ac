// The per-user settings through QSettings, and the application storing them
// only when the dialog ends with OK.

#include <QComboBox>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>

#include "app/resource_ids.h"
#include "app/zetasetup_app.h"
#include "frontends/qt/demo_settings.h"
#include "frontends/qt/qt_dialog_backend.h"
#include "frontends/qt/qt_settings.h"
#include "tests/qt/dialog_fixture.h"

namespace zl::test {
namespace {

// Points the user's settings at a fresh temporary directory for one test.
class TemporarySettings {
 public:
  TemporarySettings() {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
  }
  QString File() const { return dir_.filePath("Korvell/zetaLink.conf"); }
  QSettings Open() const { return QSettings(File(), QSettings::IniFormat); }

 private:
  QTemporaryDir dir_;
};

TEST(QtSettingsStoreTest, LivesInTheOrganisationsFileOfTheUser) {
  TemporarySettings temporary;
  qt::QtSettingsStore store;
  EXPECT_FALSE(store.WriteInt("Zeta7 CPU32", "ComPort", 3)) << "no place before the key is set";
  store.SetRegistryKey("Korvell", "zetaLink");
  EXPECT_EQ(QString::fromStdString(store.Location()), temporary.File());
  EXPECT_TRUE(store.WriteInt("Zeta7 CPU32", "ComPort", 3));
  EXPECT_TRUE(store.WriteText("Zeta7 CPU32", "ZetaIP", "10.0.0.1"));
  QSettings file = temporary.Open();
  EXPECT_EQ(file.value("Zeta7 CPU32/ComPort").toInt(), 3);
  EXPECT_EQ(file.value("Zeta7 CPU32/ZetaIP").toString(), "10.0.0.1");
}

TEST(QtSettingsStoreTest, ReadsStoredValuesOrTheDefault) {
  TemporarySettings temporary;
  {
    QSettings file = temporary.Open();
    file.setValue("Zeta7 CPU32/Baudrate", "four");
    file.setValue("Zeta7 CPU32/ComPort", -1);
    file.setValue("Other/Subnet", "1.2.3.4");
  }
  {
    // A hand-edited file: an unquoted text with commas reads as a list.
    QFile raw(temporary.File());
    ASSERT_TRUE(raw.open(QIODevice::Append | QIODevice::Text));
    raw.write("\n[Hand]\nGateway=1,2,3\n");
  }
  qt::QtSettingsStore store;
  store.SetRegistryKey("Korvell", "zetaLink");
  struct IntCase {
    const char* name;
    int expected;
  };
  for (const IntCase& c : {IntCase{"Baudrate", 0}, IntCase{"ComPort", -1}, IntCase{"Missing", 0}}) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(store.ReadInt("Zeta7 CPU32", c.name, 0), c.expected);
  }
  EXPECT_EQ(store.ReadText("Zeta7 CPU32", "Subnet", "255.255.255.0"), "255.255.255.0");
  EXPECT_EQ(store.ReadText("Other", "Subnet", ""), "1.2.3.4");
  EXPECT_EQ(store.ReadText("Hand", "Gateway", ""), "1,2,3");

  // Texts written by the tool come back unchanged, commas and all.
  for (const char* text : {"a,b", "", " 10.0.0.1 ", "255.255.255.255.255"}) {
    ASSERT_TRUE(store.WriteText("Zeta7 CPU32", "ZetaIP", text));
    EXPECT_EQ(store.ReadText("Zeta7 CPU32", "ZetaIP", "x"), text);
  }
}

TEST(QtSettingsStoreTest, PortsSectionNamesTheDevicesBehindComNumbers) {
  TemporarySettings temporary;
  {
    QSettings file = temporary.Open();
    file.setValue("Ports/COM1", "/dev/ttyUSB0");
    file.setValue("Ports/COM19", "/dev/ttyACM1");
    file.setValue("Ports/COM20", "/dev/ttyS9");
  }
  const PortOverrides overrides = qt::ReadPortOverrides("Korvell", "zetaLink");
  EXPECT_EQ(overrides, (PortOverrides{{"COM1", "/dev/ttyUSB0"}, {"COM19", "/dev/ttyACM1"}}));
}

TEST(DemoSettingsStoreTest, StartsOnComOneAndLeavesTheStoredSettingsAlone) {
  TemporarySettings temporary;
  {
    QSettings file = temporary.Open();
    file.setValue("Zeta7 CPU32/ComPort", 4);
    file.setValue("Zeta7 CPU32/Baudrate", 3);
    file.setValue("Zeta7 CPU32/ZetaIP", "10.0.0.7");
  }
  qt::QtSettingsStore stored;
  qt::DemoSettingsStore demo(stored);
  demo.SetRegistryKey("Korvell", "zetaLink");
  EXPECT_EQ(demo.ReadInt("Zeta7 CPU32", "ComPort", 9), 0);
  EXPECT_EQ(demo.ReadInt("Zeta7 CPU32", "Baudrate", 0), 3);
  EXPECT_EQ(demo.ReadText("Zeta7 CPU32", "ZetaIP", ""), "10.0.0.7");
  demo.WriteInt("Zeta7 CPU32", "ComPort", 0);
  demo.WriteText("Zeta7 CPU32", "ZetaIP", "1.2.3.4");
  QSettings file = temporary.Open();
  EXPECT_EQ(file.value("Zeta7 CPU32/ComPort").toInt(), 4);
  EXPECT_EQ(file.value("Zeta7 CPU32/ZetaIP").toString(), "10.0.0.7");
}

// The application on the Qt backend: the dialog is driven from inside its
// modal loop.
class ApplicationSettingsTest : public QtDialogTest {
 protected:
  // Runs the application; `drive` acts on the running dialog and must end it.
  int Run(const std::function<void(qt::DialogWindow&)>& drive) {
    qt::QtDialogBackend backend;
    backend.SetShownHook([&](qt::DialogWindow& window) {
      drive(window);
      if (!window.Ended())
        QTest::keyClick(&window, Qt::Key_Escape);  // never leave the test hanging
    });
    qt::QtSettingsStore store;
    CZetasetupApp app(store, backend, environment_);
    EXPECT_FALSE(app.StartApplication());
    return app.LastEndCode();
  }

  TemporarySettings settings_;
};

TEST_F(ApplicationSettingsTest, FirstStartShowsTheDefaultsAndOkStoresAllFive) {
  const int endCode = Run([&](qt::DialogWindow& window) {
    auto* port = dynamic_cast<QComboBox*>(window.ControlWidget(IDC_PORT));
    auto* speed = dynamic_cast<QComboBox*>(window.ControlWidget(IDC_SPEED));
    EXPECT_EQ(port->currentText(), "COM1");
    EXPECT_EQ(speed->currentText(), "9600");
    EXPECT_EQ(window.ControlText(IDC_IP), "111.111.111.111");
    EXPECT_EQ(window.ControlText(IDC_SUBNET), "255.255.255.0");
    EXPECT_EQ(window.ControlText(IDC_GATEWAY), "255.255.255.255");

    port->setCurrentIndex(2);
    speed->setCurrentIndex(4);
    QTest::mouseClick(window.ControlWidget(IDOK), Qt::LeftButton);
  });
  EXPECT_EQ(endCode, kIdOk);
  QSettings file = settings_.Open();
  EXPECT_EQ(file.value("Zeta7 CPU32/ComPort").toInt(), 2);
  EXPECT_EQ(file.value("Zeta7 CPU32/Baudrate").toInt(), 4);
  EXPECT_EQ(file.value("Zeta7 CPU32/ZetaIP").toString(), "111.111.111.111");
  EXPECT_EQ(file.value("Zeta7 CPU32/Subnet").toString(), "255.255.255.0");
  EXPECT_EQ(file.value("Zeta7 CPU32/Gateway").toString(), "255.255.255.255");
}

TEST_F(ApplicationSettingsTest, CancelEscAndCloseBoxStoreNothing) {
  for (int way = 0; way < 3; ++way) {
    SCOPED_TRACE(way);
    const int endCode = Run([&](qt::DialogWindow& window) {
      auto* ip = dynamic_cast<QLineEdit*>(window.ControlWidget(IDC_IP));
      ip->selectAll();
      QTest::keyClicks(ip, "10.9.8.7");
      if (way == 0)
        QTest::mouseClick(window.ControlWidget(IDCANCEL), Qt::LeftButton);
      else if (way == 1)
        QTest::keyClick(&window, Qt::Key_Escape);
      else
        window.close();
    });
    EXPECT_EQ(endCode, kIdCancel);
    EXPECT_FALSE(QFile::exists(settings_.File()));
  }
}

TEST_F(ApplicationSettingsTest, InvalidIpKeepsTheDialogOpenUntilCorrected) {
  {
    QSettings file = settings_.Open();
    file.setValue("Zeta7 CPU32/ComPort", 25);
    file.setValue("Zeta7 CPU32/ZetaIP", "255.255.255.255");
  }
  const int endCode = Run([&](qt::DialogWindow& window) {
    QTest::mouseClick(window.ControlWidget(IDOK), Qt::LeftButton);
    EXPECT_FALSE(window.Ended());
    EXPECT_EQ(answerer_.Texts(), QStringList({"Invalid IP address!"}));
    EXPECT_EQ(settings_.Open().value("Zeta7 CPU32/ComPort").toInt(), 25) << "nothing stored yet";

    auto* ip = dynamic_cast<QLineEdit*>(window.ControlWidget(IDC_IP));
    ip->selectAll();
    QTest::keyClicks(ip, "192.168.0.2");
    QTest::mouseClick(window.ControlWidget(IDOK), Qt::LeftButton);
  });
  EXPECT_EQ(endCode, kIdOk);
  QSettings file = settings_.Open();
  EXPECT_EQ(file.value("Zeta7 CPU32/ZetaIP").toString(), "192.168.0.2");
  EXPECT_EQ(file.value("Zeta7 CPU32/ComPort").toInt(), -1) << "a list without selection stores -1";
}

}  // namespace
}  // namespace zl::test
