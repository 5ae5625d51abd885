// The finish step of a download (close the port, stop the tick, enable the six controls) runs
// while the success or failure box is still open: the queued tick keeps arriving inside the box.
#include <QLineEdit>

#include "panel_fixture.h"
#include "platform/dialog/qt_text.h"

namespace {

const QString kYes = QString::fromUtf8("S\u00EC");

// Counts the ticks the panel receives: each queued timeout reaches it as a posted meta-call.
class TickCounter : public QObject {
 public:
  explicit TickCounter(const QObject& panel) : m_panel(panel) { qApp->installEventFilter(this); }
  ~TickCounter() override { qApp->removeEventFilter(this); }
  TickCounter(const TickCounter&) = delete;
  TickCounter& operator=(const TickCounter&) = delete;

  int count = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &m_panel && event->type() == QEvent::MetaCall)
      ++count;
    return false;
  }

 private:
  const QObject& m_panel;
};

// What the panel looked like from inside the result box, after the finish step had time to run.
struct InsideTheBox {
  std::string text;
  int openHandles = -1;
  bool busy = true;
  std::int32_t state = 0;
  std::vector<bool> enabled;
  int ticksAfterFinish = -1;
};

TEST_F(PanelTest, FinishStepRunsInsideTheResultBox) {
  struct Case {
    const char* name;
    int button;
    std::string box;
  };
  const Case cases[] = {
      {"success", 1000, "Procedura di scaricamento codice terminata correttamente."},
      {"time-out", 1001,
       "Timeout risposta da scanner!\nLa procedura di invio codice sar\xE0 annullata!"},
  };
  devices.Add("COM2");  // a leaflet scanner that never answers
  Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<InsideTheBox> seen;
    TickCounter ticks(panel);
    test_support::ModalDriver boxDriver(
        [&](QDialog& dialog) {
          auto* box = qobject_cast<QMessageBox*>(&dialog);
          if (box == nullptr)
            return;
          if (box->icon() == QMessageBox::Question) {
            box->button(QMessageBox::Yes)->click();
            return;
          }
          InsideTheBox inside;
          inside.text = platform::ToCp1252(box->text());
          // A few tick periods at least; on a slow build up to a second.
          QTest::qWait(3 * kTickPeriodMs);
          (void)QTest::qWaitFor([&] { return ControlsEnabled() == std::vector<bool>(6, true); },
                                1000);
          inside.openHandles = devices.OpenHandles();
          inside.busy = panel.Download().IsBusy();
          inside.state = panel.Download().m_nState;
          inside.enabled = ControlsEnabled();
          QTest::qWait(2 * kTickPeriodMs);  // a tick already posted when the timer stopped
          ticks.count = 0;
          QTest::qWait(5 * kTickPeriodMs);
          inside.ticksAfterFinish = ticks.count;
          seen.push_back(inside);
          box->button(QMessageBox::Ok)->click();
        },
        std::chrono::seconds(20));
    Click(c.button);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !seen.empty(); }, 8000));
    EXPECT_FALSE(boxDriver.TimedOut());
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, c.box);
    EXPECT_EQ(seen[0].openHandles, 0) << "the port is closed inside the box";
    EXPECT_FALSE(seen[0].busy);
    EXPECT_EQ(seen[0].state, StateFinish);
    EXPECT_EQ(seen[0].enabled, std::vector<bool>(6, true));
    EXPECT_EQ(seen[0].ticksAfterFinish, 0) << "the tick is stopped inside the box";
  }
  EXPECT_FALSE(devices.Find("COM2")->Writes().empty()) << "the time-out came on an open port";
}

}  // namespace
