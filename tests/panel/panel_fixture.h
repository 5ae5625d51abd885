// The panel on the offscreen platform, with a scripted scanner on COM1, a process stand-in that
// never ends anything or powers anything off, and a recorder for the downloads' records. Message
// boxes are answered as they open.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "panel/qt/panel_dlg.h"
#include "platform/clock/clock.h"
#include "platform/serial/fake_serial.h"
#include "tests/support/modal_driver.h"
#include "tests/support/recording_processes.h"
#include "tests/support/recording_recorder.h"

struct SeenBox {
  std::string text;  // Windows-1252, as the procedure wrote it
  QMessageBox::Icon icon;
  QString title;
  std::vector<QString> buttons;
  QString defaultButton;
};

// Opens the panel's dialog without its modal run, so a test can click it and wait.
class TestPanel : public CPanelDlg {
 public:
  using CPanelDlg::CPanelDlg;
  using CPanelDlg::OnInitDialog;
};

class PanelTest : public ::testing::Test {
 protected:
  PanelTest();

  // Shows the panel as its modal run would, without the run.
  void Open();
  // From now on answers each message box that opens with the next of these buttons, then "OK".
  void AnswerBoxes(std::vector<QString> answers);
  void Click(int id) { QTest::mouseClick(Control(id), Qt::LeftButton); }
  bool WaitForLogLine(const std::string& line, int ms = 8000);
  std::vector<std::string> Log() const;
  QWidget* Control(int id) const { return panel.GetControl(id); }
  std::vector<bool> ControlsEnabled() const;

  std::string carton = "CARTON-1";
  std::string leaflet = "LEAF-2";
  platform::SystemClock clock;
  platform::FakeSerialDevices devices{clock};
  platform::FakeDevice& com1 = devices.Add("COM1");
  RecordingProcesses processes;
  RecordingRecorder recorder;
  TestPanel panel{{carton, leaflet}, {devices, clock, processes, &recorder}};
  std::vector<SeenBox> boxes;
  std::vector<QString> answers;
  std::unique_ptr<test_support::ModalDriver> driver;
};
