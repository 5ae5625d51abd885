#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

#include "panel_fixture.h"
#include "platform/dialog/qt_text.h"

namespace {

const QString kYes = QString::fromUtf8("S\u00EC");
const std::string kCancelled = "La procedura di invio codice sar\xE0 annullata!";
const std::vector<bool> kAllEnabled(6, true);
const std::vector<bool> kAllDisabled(6, false);

std::string FieldText(QWidget* field) {
  return platform::ToCp1252(static_cast<QLineEdit*>(field)->text());
}

TEST_F(PanelTest, StartShowsTheStoredCodesInTheirColoursAndFonts) {
  leaflet = std::string(35, 'L') + "\xA3";  // longer than a download takes: shown whole
  Open();
  EXPECT_EQ(FieldText(Control(1003)), "CARTON-1");
  EXPECT_EQ(FieldText(Control(1004)), leaflet);
  EXPECT_EQ(static_cast<QLabel*>(Control(1008))->text(), QStringLiteral("rev. 1,0,0,3"));
  EXPECT_EQ(static_cast<QLabel*>(Control(1009))->text(), QStringLiteral("www.codepanel.example"));
  EXPECT_EQ(static_cast<QListWidget*>(Control(1007))->count(), 0);

  const QColor red(200, 0, 0);
  const QColor blue(0, 0, 200);
  for (const int id : {1003, 1004})
    EXPECT_EQ(Control(id)->palette().color(QPalette::Active, QPalette::Text), red) << id;
  for (const int id : {1005, 1006})
    EXPECT_EQ(Control(id)->palette().color(QPalette::Active, QPalette::WindowText), blue) << id;
  EXPECT_EQ(Control(1007)->palette().color(QPalette::Active, QPalette::Text), blue);
  EXPECT_NE(Control(1000)->palette().color(QPalette::Active, QPalette::ButtonText), red);

  for (const int id : {1003, 1004, 1000, 1001}) {
    EXPECT_EQ(Control(id)->font().weight(), QFont::Bold) << id;
    EXPECT_TRUE(QFontInfo(Control(id)->font()).bold()) << id;
    EXPECT_EQ(QFontInfo(Control(id)->font()).family(), QFontInfo(Control(1005)->font()).family());
  }
  EXPECT_GT(Control(1003)->font().pixelSize(), Control(1005)->font().pixelSize());
  EXPECT_EQ(Control(1005)->font().weight(), panel.font().weight());
  EXPECT_EQ(Control(1010)->font(), panel.font()) << "other controls keep the dialog font";

  bool bannerShown = false;
  for (const QLabel* label : panel.findChildren<QLabel*>())
    bannerShown |= label->pixmap().size() == QSize(638, 90);
  EXPECT_TRUE(bannerShown);
  EXPECT_FALSE(panel.windowIcon().isNull());

  const QString png = QStringLiteral(CODEPANEL_BINARY_DIR "/panel.png");
  EXPECT_TRUE(panel.grab().save(png));
}

TEST_F(PanelTest, FocusStartsOnTheUpperSendButtonAndEnterOrEscapeDoNothing) {
  int opened = -1;
  AnswerBoxes({});
  test_support::ModalDriver run(
      [&](QDialog& dialog) {
        if (&dialog != &panel)
          return;
        EXPECT_EQ(QApplication::focusWidget(), Control(1000));
        for (const int id : {1003, 1000, 1007, 1010, 1011}) {
          for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
            QTest::keyClick(Control(id), key);
        }
        QTest::keyClick(&panel, Qt::Key_Escape);
        opened = static_cast<int>(boxes.size());
        EXPECT_TRUE(panel.isVisible());
        panel.EndDialog(0);
      },
      std::chrono::seconds(10));
  panel.DoModal();
  EXPECT_EQ(opened, 0) << "no button was pressed";
  EXPECT_FALSE(run.TimedOut());
  // Left with the fields as they stood.
  EXPECT_EQ(carton, "CARTON-1");
  EXPECT_EQ(leaflet, "LEAF-2");
}

TEST_F(PanelTest, DownloadRunsFromTheSendButtonWithTheLogOnThePanel) {
  Open();
  static_cast<QLineEdit*>(Control(1003))->setText(platform::ToQString("AB\xA3"));
  AnswerBoxes({kYes, QStringLiteral("OK")});
  Click(1000);
  // The confirmation was answered inside the click; the download now runs.
  EXPECT_EQ(ControlsEnabled(), kAllDisabled);
  ASSERT_TRUE(WaitForLogLine("Procedura di scaricamento codice terminata correttamente."));
  // The finish step comes on the tick after the box, or inside it.
  ASSERT_TRUE(QTest::qWaitFor([&] { return ControlsEnabled() == kAllEnabled; }, 2000));

  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "Confermi invio codice di confronto astuccio 'AB\xA3' allo scanner ?");
  EXPECT_EQ(boxes[0].icon, QMessageBox::Question);
  EXPECT_EQ(boxes[0].buttons, (std::vector<QString>{kYes, QStringLiteral("No")}));
  EXPECT_EQ(boxes[0].defaultButton, QStringLiteral("No"));
  EXPECT_EQ(boxes[0].title, QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
  EXPECT_EQ(boxes[1].text, "Procedura di scaricamento codice terminata correttamente.");
  EXPECT_EQ(boxes[1].icon, QMessageBox::Information);

  // In the order written, never sorted: the separator and the start line stay on top.
  const auto log = Log();
  ASSERT_EQ(log.size(), 44u);
  EXPECT_EQ(log[0], std::string(68, '-'));
  EXPECT_EQ(log[1], "Invio codice controllo astuccio...");
  EXPECT_EQ(log[2], "TX: <ESC>[C");
  EXPECT_EQ(log[3], "RX: <ESC>H<CR><LF>");
  EXPECT_EQ(log[8], "TX: <ESC>NF\xA3");
  EXPECT_EQ(log[38], "TX: <ESC>NC#");
  EXPECT_EQ(com1.AllWritten().size(), 145u);
  EXPECT_EQ(devices.OpenHandles(), 0);

  // The panel hands its download's record to the recorder it was given.
  ASSERT_EQ(recorder.records.size(), 1u);
  EXPECT_EQ(recorder.records[0].kind, CodeKind::Carton);
  EXPECT_EQ(recorder.records[0].code, "AB\xA3");
  EXPECT_EQ(recorder.records[0].port, "COM1");
  EXPECT_EQ(recorder.records[0].outcome, boxes[1].text);
  EXPECT_TRUE(recorder.records[0].loaded);

  // The newest line is in view without the operator scrolling.
  auto* list = static_cast<QListWidget*>(Control(1007));
  const QRect last = list->visualItemRect(list->item(list->count() - 1));
  EXPECT_TRUE(list->viewport()->rect().contains(last)) << "last line out of view";
  EXPECT_GT(list->verticalScrollBar()->value(), 0);
}

TEST_F(PanelTest, FailedDownloadShowsItsBoxThenItsLines) {
  Open();
  static_cast<QListWidget*>(Control(1007))->addItem(QStringLiteral("old"));
  AnswerBoxes({kYes});
  Click(1001);  // no scanner on COM2
  ASSERT_TRUE(WaitForLogLine("Procedura di scaricamento codice NON completata !"));
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].text,
            "Impossibile aprire dispositivo di comunicazione seriale!\n" + kCancelled);
  EXPECT_EQ(boxes[1].icon, QMessageBox::Critical);
  EXPECT_EQ(Log(), (std::vector<std::string>{
                       std::string(68, '-'), "Invio codice controllo letteratura...",
                       "--> ERRORE: Impossibile aprire dispositivo di comunicazione seriale!",
                       "Procedura di scaricamento codice NON completata !"}));
  ASSERT_TRUE(QTest::qWaitFor([&] { return ControlsEnabled() == kAllEnabled; }, 2000));
  ASSERT_EQ(recorder.records.size(), 1u);
  EXPECT_EQ(recorder.records[0].kind, CodeKind::Leaflet);
  EXPECT_EQ(recorder.records[0].code, "LEAF-2");
  EXPECT_EQ(recorder.records[0].port, "COM2");
  EXPECT_EQ(recorder.records[0].outcomeText, 137u);
  EXPECT_FALSE(recorder.records[0].loaded);
}

TEST_F(PanelTest, EmptyFieldIsRefusedWithoutTouchingTheLog) {
  Open();
  static_cast<QListWidget*>(Control(1007))->addItem(QStringLiteral("kept"));
  static_cast<QLineEdit*>(Control(1003))->clear();
  AnswerBoxes({});
  Click(1000);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Numero caratteri codice errato (richiesti [1..31]) !\n" + kCancelled);
  EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
  EXPECT_EQ(Log(), std::vector<std::string>{"kept"});
  EXPECT_TRUE(com1.Writes().empty());
  EXPECT_EQ(ControlsEnabled(), kAllEnabled);
}

TEST_F(PanelTest, ExitAndPowerOffAskFirstAndOnlyOkProceeds) {
  Open();
  AnswerBoxes({QStringLiteral("Annulla"), QStringLiteral("Annulla")});
  Click(1010);
  Click(1011);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text,
            "Questa operazione chiude l'applicazione e consente l'accesso a Windows !");
  EXPECT_EQ(boxes[1].text, "Questa operazione chiude l'applicazione e spegne il sistema !");
  for (const SeenBox& box : boxes) {
    EXPECT_EQ(box.icon, QMessageBox::Question);
    EXPECT_EQ(box.buttons, (std::vector<QString>{QStringLiteral("OK"), QStringLiteral("Annulla")}));
    EXPECT_EQ(box.defaultButton, QStringLiteral("Annulla"));
  }
  EXPECT_TRUE(panel.isVisible());
  EXPECT_TRUE(processes.requests.empty());

  // OK on "Spegni": a forced power-off is asked for, and the panel stays as it was.
  AnswerBoxes({QStringLiteral("OK")});
  Click(1011);
  EXPECT_EQ(processes.requests, std::vector<std::uint32_t>{5});
  EXPECT_EQ(processes.ended, 0);
  EXPECT_TRUE(panel.isVisible());
  EXPECT_EQ(panel.result(), 0);
}

}  // namespace
