#include "app/panel_app.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "panel/qt/panel_dlg.h"
#include "platform/clock/clock.h"
#include "platform/dialog/qt_text.h"
#include "platform/serial/fake_serial.h"
#include "tests/support/modal_driver.h"
#include "tests/support/recording_processes.h"

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// The lines that begin with the program's name.
std::string LinesOfTheProgram(const std::string& text) {
  std::istringstream in(text);
  std::string lines;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("codepanel: ", 0) == 0)
      lines += line + "\n";
  }
  return lines;
}

void ClickButton(QDialog& dialog, const QString& text) {
  for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
    if (button->text() == text) {
      button->click();
      return;
    }
  }
  ADD_FAILURE() << "no button " << text.toStdString();
}

class PanelAppTest : public ::testing::Test {
 protected:
  PanelAppTest() {
    char pattern[] = "/tmp/codepanel-app-XXXXXX";
    folder = mkdtemp(pattern);
    app.m_strAppDir = folder.string() + "/";
  }
  ~PanelAppTest() override { fs::remove_all(folder); }

  fs::path Settings() const { return folder / "config.dat"; }

  // Runs the panel; `inPanel` runs once it is up, and must end the run.
  void RunPanel(const std::function<void(CPanelDlg&)>& inPanel) {
    test_support::ModalDriver driver(
        [&](QDialog& dialog) {
          if (auto* panel = dynamic_cast<CPanelDlg*>(&dialog); panel != nullptr && !ran) {
            ran = true;
            // From a timer of its own: the driver's timer does not fire again until this returns,
            // and the panel's boxes need it.
            QTimer::singleShot(0, panel, [&inPanel, panel] { inPanel(*panel); });
          } else if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
            boxTexts.push_back(platform::ToCp1252(box->text()));
            ClickButton(*box, answers.empty() ? QStringLiteral("OK") : answers.front());
            if (!answers.empty())
              answers.erase(answers.begin());
          }
        },
        std::chrono::seconds(10));
    app.RunPanel({devices, clock, processes});
    EXPECT_FALSE(driver.TimedOut());
    EXPECT_TRUE(ran);
  }

  static QLineEdit* Field(CPanelDlg& panel, int id) { return panel.GetControl<QLineEdit>(id); }

  fs::path folder;
  CPanelApp app;
  platform::SystemClock clock;
  platform::FakeSerialDevices devices{clock};
  RecordingProcesses processes;
  std::vector<QString> answers;
  std::vector<std::string> boxTexts;
  bool ran = false;
};

TEST_F(PanelAppTest, FirstStartIsEmptyAndEsciCreatesTheFileInOrder) {
  RunPanel([&](CPanelDlg& panel) {
    EXPECT_TRUE(Field(panel, 1003)->text().isEmpty());
    EXPECT_TRUE(Field(panel, 1004)->text().isEmpty());
    Field(panel, 1003)->setText(platform::ToQString("AST \xA3 1"));
    Field(panel, 1004)->setText(QStringLiteral("LET-2"));
    QTest::mouseClick(panel.GetControl(1010), Qt::LeftButton);
  });
  ASSERT_EQ(boxTexts.size(), 1u);
  EXPECT_EQ(boxTexts[0],
            "Questa operazione chiude l'applicazione e consente l'accesso a Windows !");
  EXPECT_EQ(ReadFile(Settings()), "[SETTING]\r\nLAST_CODE=AST \xA3 1\r\nLAST_AIC_CODE=LET-2\r\n");
}

TEST_F(PanelAppTest, StoredCodesComeBackUnchangedAndEmptyOnesStayAsKeys) {
  const std::string longCode = std::string(300, 'x');
  WriteFile(Settings(), "; station\r\n[setting]\r\nlast_code=\"  padded \"\r\nLAST_AIC_CODE=" +
                            longCode + "\r\n[OTHER]\r\nKEY=1\r\n");
  std::string shownCarton;
  std::string shownLeaflet;
  RunPanel([&](CPanelDlg& panel) {
    shownCarton = platform::ToCp1252(Field(panel, 1003)->text());
    shownLeaflet = platform::ToCp1252(Field(panel, 1004)->text());
    Field(panel, 1003)->clear();
    QTest::mouseClick(panel.GetControl(1010), Qt::LeftButton);
  });
  EXPECT_EQ(shownCarton, "  padded ");
  EXPECT_EQ(shownLeaflet, std::string(255, 'x'));
  EXPECT_EQ(ReadFile(Settings()), "; station\r\n[setting]\r\nlast_code=\r\nLAST_AIC_CODE=" +
                                      std::string(255, 'x') + "\r\n[OTHER]\r\nKEY=1\r\n");
  app.LoadSettings();
  EXPECT_EQ(app.m_strLastCode, "");
  EXPECT_EQ(app.m_strLastAicCode, std::string(255, 'x'));
}

TEST_F(PanelAppTest, CancelKeepsThePanelAndPowerOffWritesNothing) {
  WriteFile(Settings(), "[SETTING]\r\nLAST_CODE=OLD\r\nLAST_AIC_CODE=OLD2\r\n");
  answers = {QStringLiteral("Annulla"), QStringLiteral("Annulla"), QStringLiteral("OK")};
  std::string fileAfterPowerOff;
  bool openAfterPowerOff = false;
  RunPanel([&](CPanelDlg& panel) {
    Field(panel, 1003)->setText(QStringLiteral("EDITED"));
    QTest::mouseClick(panel.GetControl(1010), Qt::LeftButton);
    QTest::mouseClick(panel.GetControl(1011), Qt::LeftButton);
    QTest::mouseClick(panel.GetControl(1011), Qt::LeftButton);  // OK this time
    openAfterPowerOff = panel.isVisible();
    fileAfterPowerOff = ReadFile(Settings());
    panel.EndDialog(0);
  });
  EXPECT_EQ(boxTexts.size(), 3u);
  EXPECT_TRUE(openAfterPowerOff);
  EXPECT_EQ(processes.requests, std::vector<std::uint32_t>{5});
  EXPECT_EQ(fileAfterPowerOff, "[SETTING]\r\nLAST_CODE=OLD\r\nLAST_AIC_CODE=OLD2\r\n");
}

TEST_F(PanelAppTest, AValueEndsAtItsFirstNulOnThePanelToo) {
  using namespace std::string_literals;  // "..."s keeps the NULs
  WriteFile(Settings(), "[SETTING]\r\nLAST_CODE=AB\0CD\r\nLAST_AIC_CODE=L\0\r\n"s);
  std::string shownCarton;
  std::string shownLeaflet;
  RunPanel([&](CPanelDlg& panel) {
    shownCarton = platform::ToCp1252(Field(panel, 1003)->text());
    shownLeaflet = platform::ToCp1252(Field(panel, 1004)->text());
    QTest::mouseClick(panel.GetControl(1010), Qt::LeftButton);
  });
  EXPECT_EQ(shownCarton, "AB");
  EXPECT_EQ(shownLeaflet, "L");
  EXPECT_EQ(ReadFile(Settings()), "[SETTING]\r\nLAST_CODE=AB\r\nLAST_AIC_CODE=L\r\n");
}

TEST_F(PanelAppTest, AFailedSaveNamesTheFileAndTheCauseOnceOnStderr) {
  // Esci in a folder that is gone: no box beyond the confirmation, one line for both keys.
  const std::string gone = folder.string() + "/gone/";
  app.m_strAppDir = gone;
  testing::internal::CaptureStderr();
  RunPanel([&](CPanelDlg& panel) { QTest::mouseClick(panel.GetControl(1010), Qt::LeftButton); });
  // Qt may add warnings of its own; only the program's lines count.
  EXPECT_EQ(LinesOfTheProgram(testing::internal::GetCapturedStderr()),
            "codepanel: cannot save " + gone + "config.dat: no such file or directory\n");
  EXPECT_EQ(boxTexts.size(), 1u);

  struct Case {
    const char* name;
    std::string appDir;
    std::string cartonCode;
    std::string expected;
  };
  const std::string here = folder.string() + "/";
  fs::create_directories(folder / "dir" / "config.dat");
  const Case cases[] = {
      {"saved", here, "A1", ""},
      {"a folder in place of the file", here + "dir/", "A1",
       "codepanel: cannot save " + here + "dir/config.dat: is a directory\n"},
      // The leaflet code is saved all the same.
      {"a code that cannot be stored", here, std::string("A\0B", 3),
       "codepanel: cannot save " + here + "config.dat: invalid argument\n"},
      // Two causes, two lines.
      {"two causes", gone, "A\nB",
       "codepanel: cannot save " + gone +
           "config.dat: invalid argument\n"
           "codepanel: cannot save " +
           gone + "config.dat: no such file or directory\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    app.m_strAppDir = c.appDir;
    app.m_strLastCode = c.cartonCode;
    app.m_strLastAicCode = "L1";
    testing::internal::CaptureStderr();
    app.SaveSettings();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.expected);
  }
  EXPECT_EQ(ReadFile(Settings()), "[SETTING]\r\nLAST_CODE=A1\r\nLAST_AIC_CODE=L1\r\n");
}

TEST(ExecutableFolder, IsTheProgramsFolderWhateverTheWorkingFolder) {
  const fs::path self = fs::read_symlink("/proc/self/exe");
  const fs::path before = fs::current_path();
  fs::current_path("/");
  const std::string folder = ExecutableFolder();
  fs::current_path(before);
  EXPECT_EQ(folder, self.parent_path().string() + "/");
}

}  // namespace
