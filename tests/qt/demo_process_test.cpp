// The real `zetalink --demo` on the offscreen platform: it starts the
// emulated device, shows the dialog and, told to end, stops the emulator and
// exits in bounded time.

#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The children of a process, from /proc.
QList<qint64> ChildrenOf(qint64 pid) {
  QFile file(QStringLiteral("/proc/%1/task/%1/children").arg(pid));
  QList<qint64> children;
  if (!file.open(QIODevice::ReadOnly))
    return children;
  for (const QByteArray& field : file.readAll().split(' ')) {
    bool ok = false;
    const qint64 child = field.trimmed().toLongLong(&ok);
    if (ok)
      children << child;
  }
  return children;
}

// Gone, or a zombie no one has reaped yet.
bool ProcessEnded(qint64 pid) {
  QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!stat.open(QIODevice::ReadOnly))
    return true;
  const QByteArray text = stat.readAll();
  const qsizetype close = text.lastIndexOf(')');
  return close >= 0 && text.mid(close + 2, 1) == "Z";
}

TEST(DemoProcessTest, StartsTheEmulatorAndEndsWithItWithinBoundedTime) {
  QTemporaryDir home;
  ASSERT_TRUE(home.isValid());
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  environment.insert("HOME", home.path());
  environment.insert("XDG_CONFIG_HOME", home.filePath(".config"));
  environment.remove("ZETALINK_COM1");

  QProcess tool;
  tool.setProcessEnvironment(environment);
  tool.start(QStringLiteral(ZL_ZETALINK_PROGRAM), {"--demo"});
  ASSERT_TRUE(tool.waitForStarted(5000));

  QByteArray output;
  QElapsedTimer waited;
  waited.start();
  while (!output.contains("stands behind COM1") && waited.elapsed() < 15000 &&
         tool.state() == QProcess::Running) {
    tool.waitForReadyRead(200);
    output += tool.readAllStandardOutput();
  }
  ASSERT_TRUE(output.contains("stands behind COM1"))
      << output.toStdString() << tool.readAllStandardError().toStdString();
  EXPECT_TRUE(output.contains("/dev/pts/")) << output.toStdString();

  const QList<qint64> emulators = ChildrenOf(tool.processId());
  ASSERT_EQ(emulators.size(), 1);

  // Let the dialog come up before it is told to end.
  QTest::qWait(300);
  ASSERT_EQ(tool.state(), QProcess::Running) << tool.readAllStandardError().toStdString();
  tool.terminate();
  ASSERT_TRUE(tool.waitForFinished(10000)) << "zetalink did not end";
  EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(tool.exitCode(), 128 + SIGTERM);

  QElapsedTimer reaped;
  reaped.start();
  while (!ProcessEnded(emulators[0]) && reaped.elapsed() < 5000)
    QTest::qWait(20);
  EXPECT_TRUE(ProcessEnded(emulators[0])) << "the emulator outlived the tool";
  EXPECT_FALSE(QDir(home.path()).exists(".config/Korvell/zetaLink.conf"))
      << "an interrupted run stores nothing";
}

TEST(DemoProcessTest, ReportsAMissingEmulatorAndExits) {
  // A copy of the tool alone in a directory finds no emulator beside it.
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString copy = dir.filePath("zetalink");
  ASSERT_TRUE(QFile::copy(QStringLiteral(ZL_ZETALINK_PROGRAM), copy));
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  environment.insert("HOME", dir.path());

  QProcess tool;
  tool.setProcessEnvironment(environment);
  tool.start(copy, {"--demo"});
  ASSERT_TRUE(tool.waitForStarted(5000));
  // The failure box waits for an answer; a closed terminal request ends it.
  QByteArray error;
  QElapsedTimer waited;
  waited.start();
  while (!error.contains("zeta7-sim") && waited.elapsed() < 10000 &&
         tool.state() == QProcess::Running) {
    tool.waitForReadyRead(200);
    error += tool.readAllStandardError();
  }
  EXPECT_TRUE(error.contains("zeta7-sim")) << error.toStdString();
  if (tool.state() == QProcess::Running)
    tool.terminate();
  ASSERT_TRUE(tool.waitForFinished(10000));
  EXPECT_NE(tool.exitCode(), 0);
}

}  // namespace
