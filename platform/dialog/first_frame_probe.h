// FirstFrameProbe: for benchmarks, ends a program's dialog once its first frame is on screen.
//
// Installed on the application, it waits for the first Paint of a dialog window and queues a call
// behind it, so the call runs once that frame has been drawn and flushed. The call prints
// "first frame: WxH" on stdout (a benchmark reads the moment that line arrives) and ends the
// dialog's run as an ordinary close would. codepanel and the benchmark's bare dialog share it, so
// both are measured over the same stretch.
#pragma once

#include <QObject>

namespace platform {

class FirstFrameProbe : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool m_seen = false;
};

}  // namespace platform
