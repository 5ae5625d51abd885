#include "platform/dialog/first_frame_probe.h"

#include <QDialog>
#include <QEvent>
#include <cstdio>

namespace platform {

bool FirstFrameProbe::eventFilter(QObject* watched, QEvent* event) {
  auto* dialog = qobject_cast<QDialog*>(watched);
  if (m_seen || event->type() != QEvent::Paint || dialog == nullptr || !dialog->isWindow())
    return false;
  m_seen = true;
  QMetaObject::invokeMethod(
      dialog,
      [dialog] {
        std::printf("first frame: %dx%d\n", dialog->width(), dialog->height());
        std::fflush(stdout);
        dialog->done(0);
      },
      Qt::QueuedConnection);
  return false;
}

}  // namespace platform
