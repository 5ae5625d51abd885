// Drives modal dialogs from inside their own modal loop, for widget tests.
//
// Arm a ModalDriver, then start whatever opens a dialog modally (DoModal, a click on a touch
// field). Each time a new modal dialog is shown and active, `actions` runs on it from a timer in
// that dialog's loop. A dialog still open when the time limit runs out is ended with
// kTimedOut, so no test ever blocks.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <functional>
#include <utility>

namespace test_support {

class ModalDriver {
 public:
  static constexpr int kTimedOut = -99;

  explicit ModalDriver(std::function<void(QDialog&)> actions,
                       std::chrono::milliseconds limit = std::chrono::seconds(5))
      : m_actions(std::move(actions)) {
    QObject::connect(&m_poll, &QTimer::timeout, [this] { Poll(); });
    m_poll.start(5);
    m_limit.setSingleShot(true);
    QObject::connect(&m_limit, &QTimer::timeout, [this] { EndEverything(); });
    m_limit.start(limit);
  }

  int Opened() const { return m_opened; }
  bool TimedOut() const { return m_timedOut; }

 private:
  void Poll() {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    // Keys typed in `actions` go to the focused window: wait until the dialog has become it.
    if (dialog == nullptr || !dialog->isActiveWindow() || dialog == m_current)
      return;
    m_current = dialog;
    ++m_opened;
    m_actions(*dialog);
  }

  void EndEverything() {
    m_poll.stop();
    while (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      m_timedOut = true;
      dialog->done(kTimedOut);
    }
  }

  std::function<void(QDialog&)> m_actions;
  QTimer m_poll;
  QTimer m_limit;
  QPointer<QDialog> m_current;
  int m_opened = 0;
  bool m_timedOut = false;
};

}  // namespace test_support
