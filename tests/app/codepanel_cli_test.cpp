// The real codepanel program run as a child process, with no display to reach: only --help,
// usage errors, and one run that ends by itself after its first frame, with "Spegni" disarmed.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>
#include <string>

#include "tests/support/file_helpers.h"

namespace {

constexpr int kLimitMs = 30000;

struct ChildRun {
  int exitCode = -1;
  bool crashed = true;
  std::string out;
  std::string err;
};

ChildRun RunCodepanel(const QStringList& args,
                      const QString& program = QStringLiteral(CODEPANEL_EXE)) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
    environment.remove(QString::fromLatin1(name));
  QProcess process;
  process.setProcessEnvironment(environment);
  process.start(program, args);
  ChildRun run;
  if (!process.waitForFinished(kLimitMs)) {
    process.kill();
    process.waitForFinished(kLimitMs);
    ADD_FAILURE() << "codepanel did not end within " << kLimitMs << " ms";
    return run;
  }
  run.crashed = process.exitStatus() != QProcess::NormalExit;
  run.exitCode = process.exitCode();
  run.out = process.readAllStandardOutput().toStdString();
  run.err = process.readAllStandardError().toStdString();
  return run;
}

const std::string kUsage =
    "usage: codepanel [--port COMn=PATH]... [--ports-file PATH] [--no-power-off] [--journal] "
    "[--fit-screen] [--help] [Qt options]";

TEST(CodepanelProgram, HelpNeedsNoDisplay) {
  for (const QStringList& args :
       {QStringList{"--help"}, QStringList{"-platform", "offscreen", "--help"}}) {
    SCOPED_TRACE(args.join(' ').toStdString());
    const ChildRun run = RunCodepanel(args);
    EXPECT_FALSE(run.crashed);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out.substr(0, kUsage.size() + 1), kUsage + '\n');
    EXPECT_NE(run.out.find("--no-power-off  "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(CODEPANEL_STATE_DIR "/config.dat"), std::string::npos) << run.out;
    EXPECT_EQ(run.err, "");
  }
}

// Read before --help, so an unknown --journal would be a usage error here.
TEST(CodepanelProgram, JournalOptionIsAcceptedAndListed) {
  const ChildRun run = RunCodepanel({"--journal", "--help"});
  EXPECT_FALSE(run.crashed);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("\n  --journal  "), std::string::npos) << run.out;
  EXPECT_EQ(run.err, "");
}

TEST(CodepanelProgram, UsageErrorsNameTheArgumentThenTheUsage) {
  struct Case {
    QStringList args;
    std::string first;
  };
  const Case cases[] = {
      {{"--x"}, "codepanel: unknown option '--x'"},
      {{"--no-power-off", "foo"}, "codepanel: unexpected argument 'foo'"},
      {{"--port", "COM9=/dev/null"},
       "codepanel: bad --port value 'COM9=/dev/null': expected COMn=PATH with n 1..4"},
      {{"-platform", "offscreen", "--bogus"}, "codepanel: unknown option '--bogus'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    const ChildRun run = RunCodepanel(c.args);
    EXPECT_FALSE(run.crashed);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, c.first + '\n' + kUsage + '\n');
    EXPECT_EQ(run.out, "");
  }
}

// A ports file that is wrong stops the start before any display is needed, with the file and
// the line named and no usage line: the command line was right.
TEST(CodepanelProgram, AWrongPortsFileStopsTheStart) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const std::string bad = folder.filePath(QStringLiteral("bad")).toStdString();
  const std::string twice = folder.filePath(QStringLiteral("twice")).toStdString();
  const std::string missing = folder.filePath(QStringLiteral("missing")).toStdString();
  test_support::WriteBytes(bad, "COM1=/dev/ttyUSB0\n\nCOM5=/dev/ttyS4 # spare\n");
  test_support::WriteBytes(twice, "COM1=/dev/ttyUSB0\nCOM2=/dev/ttyUSB0\n");
  struct Case {
    QStringList args;
    std::string err;
  };
  const Case cases[] = {
      {{"--ports-file", QString::fromStdString(bad)},
       "codepanel: " + bad + ":3: expected COMn=PATH with n 1-4, got 'COM5=/dev/ttyS4'\n"},
      {{"-platform", "offscreen", "--ports-file=" + QString::fromStdString(twice)},
       "codepanel: " + twice + ":2: lines 1 and 2 map COM1 and COM2 to the same device\n"},
      {{"--ports-file", QString::fromStdString(missing), "--no-power-off"},
       "codepanel: cannot read " + missing + ": no such file or directory\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    const ChildRun run = RunCodepanel(c.args);
    EXPECT_FALSE(run.crashed);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(run.out, "");
  }
}

// Qt's options reach Qt: with no display anywhere the panel comes up only because -platform
// offscreen got through, in either spelling. A copy in a temporary folder keeps the settings file
// it writes beside itself out of the build.
TEST(CodepanelProgram, QtOptionsPassThroughToQt) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString copy = folder.filePath(QStringLiteral("codepanel"));
  ASSERT_TRUE(QFile::copy(QStringLiteral(CODEPANEL_EXE), copy));
  for (const QStringList& args :
       {QStringList{"-platform", "offscreen", "-style", "fusion", "-reverse"},
        QStringList{"--platform", "offscreen", "-qwindowgeometry", "700x500+10+10"}}) {
    SCOPED_TRACE(args.join(' ').toStdString());
    const ChildRun run =
        RunCodepanel(args + QStringList{"--no-power-off", "--exit-after-first-frame"}, copy);
    EXPECT_FALSE(run.crashed) << run.err;
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("first frame: "), std::string::npos) << run.out;
  }
}

// The desktop's panel keeps its template's size; the kiosk's covers the screen (offscreen's,
// whatever its size), the panel centred on it.
TEST(CodepanelProgram, FitScreenMakesThePanelCoverTheScreen) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString copy = folder.filePath(QStringLiteral("codepanel"));
  ASSERT_TRUE(QFile::copy(QStringLiteral(CODEPANEL_EXE), copy));
  const QStringList common{"-platform", "offscreen",      "--ports-file",
                           "/dev/null", "--no-power-off", "--exit-after-first-frame"};
  const ChildRun desktop = RunCodepanel(common, copy);
  EXPECT_EQ(desktop.exitCode, 0) << desktop.err;
  EXPECT_NE(desktop.out.find("first frame: 635x478"), std::string::npos) << desktop.out;
  const ChildRun kiosk = RunCodepanel(common + QStringList{"--fit-screen"}, copy);
  EXPECT_EQ(kiosk.exitCode, 0) << kiosk.err;
  EXPECT_EQ(kiosk.out.find("first frame: 635x478"), std::string::npos) << kiosk.out;
  EXPECT_NE(kiosk.out.find("first frame: "), std::string::npos) << kiosk.out;
}

// A good ports file, with a comment and CRLF lines as an editor on another system may leave them,
// lets the panel come up.
TEST(CodepanelProgram, AGoodPortsFileLetsThePanelStart) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString copy = folder.filePath(QStringLiteral("codepanel"));
  ASSERT_TRUE(QFile::copy(QStringLiteral(CODEPANEL_EXE), copy));
  const QString ports = folder.filePath(QStringLiteral("ports"));
  test_support::WriteBytes(ports.toStdString(),
                           "# station\r\nCOM1=/dev/null\r\nCOM2=/dev/zero\r\n");
  const ChildRun run = RunCodepanel({"-platform", "offscreen", "--ports-file", ports,
                                     "--no-power-off", "--exit-after-first-frame"},
                                    copy);
  EXPECT_FALSE(run.crashed) << run.err;
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("first frame: "), std::string::npos) << run.out;
}

}  // namespace
