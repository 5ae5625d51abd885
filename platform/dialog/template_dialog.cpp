#include "platform/dialog/template_dialog.h"

#include <qdrawutil.h>
#include <QApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QPointer>
#include <QScreen>

#include "platform/dialog/resources.h"

namespace platform {

TemplateDialog::TemplateDialog(int templateId, QWidget* parent,
                               const std::map<int, ControlFactory>& overrides)
    : QDialog(parent), m_template(res::FindDialogTemplate(templateId)) {
  setModal(true);
  if (m_template == nullptr)
    return;
  for (const auto& [id, factory] : overrides)
    m_builder.OverrideControl(id, factory);
  m_builder.SetBitmapSource(ResourceBitmap);
  m_built = m_builder.Build(*m_template, *this);
  installEventFilter(this);
  for (QWidget* child : findChildren<QWidget*>())
    child->installEventFilter(this);
}

int TemplateDialog::DoModal() {
  if (!m_built)
    return -1;
  if (OnInitDialog())
    FocusFirstTabStop();
  CenterOnScreen();
  // The window that was active owns the modal run, as the application's main window does when
  // no parent is given: it is active again when the dialog ends, whatever the platform does.
  const QPointer<QWidget> owner =
      parentWidget() != nullptr ? window() : QApplication::activeWindow();
  const int result = exec();
  if (owner != nullptr && owner->isVisible())
    owner->activateWindow();
  return result;
}

void TemplateDialog::EndDialog(int result) {
  done(result);
}

void TemplateDialog::accept() {
  EndDialog(IDOK);
}

void TemplateDialog::reject() {
  EndDialog(IDCANCEL);
}

bool TemplateDialog::OnInitDialog() {
  return true;
}

bool TemplateDialog::PreTranslateKey(QKeyEvent& /*event*/) {
  return false;
}

bool TemplateDialog::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ShortcutOverride:
      // Claim the key for the focused control, so that it arrives as a key press (which the hook
      // sees) and never fires a shortcut behind the hook's back.
      event->accept();
      return true;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
      return PreTranslateKey(static_cast<QKeyEvent&>(*event));
    default:
      return QDialog::eventFilter(watched, event);
  }
}

void TemplateDialog::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  const unsigned framed = res::kDialogModalFrame | res::kDialogNoTitleBar;
  if (m_built && (m_template->style & framed) == framed) {
    QPainter painter(this);
    qDrawWinPanel(&painter, rect(), palette(), false);
  }
}

void TemplateDialog::FocusFirstTabStop() {
  for (const res::ControlTemplate& control : m_template->controls) {
    QWidget* widget = GetControl(control.id);
    if ((control.style & res::kStyleTabStop) && widget != nullptr && widget->isEnabled()) {
      widget->setFocus(Qt::TabFocusReason);
      return;
    }
  }
}

void TemplateDialog::CenterOnScreen() {
  const QScreen* screen =
      parentWidget() != nullptr ? parentWidget()->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr)
    return;
  QRect frame(QPoint(0, 0), size());
  frame.moveCenter(screen->availableGeometry().center());
  move(frame.topLeft());
}

}  // namespace platform
