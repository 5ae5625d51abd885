#include "platform/dialog/template_dialog.h"

#include <qdrawutil.h>
#include <QApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QPointer>
#include <QScreen>

#include "platform/dialog/resources.h"
#include "platform/dialog/screen_fit.h"

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
  m_scale = DialogScaleFor(*m_template);
  const ScreenFit& fit = CurrentScreenFit();
  if (fit.fullScreen) {
    m_face = new QWidget(this);
    m_built = m_builder.Build(*m_template, *this, *m_face, m_scale);
    setFixedSize(fit.screen.size());
    m_face->move(Centred(m_face->size(), rect()).topLeft());
  } else {
    m_built = m_builder.Build(*m_template, *this, *this, m_scale);
  }
  installEventFilter(this);
  for (QWidget* child : findChildren<QWidget*>())
    child->installEventFilter(this);
}

int TemplateDialog::DoModal() {
  if (!m_built)
    return -1;
  if (OnInitDialog())
    FocusFirstTabStop();
  if (CurrentScreenFit().fullScreen)
    PlaceOnScreen();
  else if (m_besideField)
    move(PlacedFace(screen()->availableGeometry()).topLeft());
  else
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
  QPainter painter(this);
  const QRect face = m_face == this ? rect() : m_face->geometry();
  if (m_face != this) {
    // The screen around the face: black, as the compositor leaves an empty screen, or nothing at
    // all over another dialog, which stays in sight.
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), testAttribute(Qt::WA_TranslucentBackground) ? QColor(Qt::transparent)
                                                                         : QColor(Qt::black));
    painter.fillRect(face, palette().window());
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  }
  const unsigned framed = res::kDialogModalFrame | res::kDialogNoTitleBar;
  if (m_built && (m_template->style & framed) == framed)
    qDrawWinPanel(&painter, face, palette(), false);
}

QRect TemplateDialog::FaceGeometry() const {
  return QRect(m_face->mapToGlobal(QPoint(0, 0)), m_face->size());
}

void TemplateDialog::PlaceBeside(const QWidget& field) {
  const QWidget* owner = field.window();
  const auto* ownerDialog = qobject_cast<const TemplateDialog*>(owner);
  m_ownerFace = ownerDialog != nullptr ? ownerDialog->FaceGeometry()
                                       : QRect(owner->mapToGlobal(QPoint(0, 0)), owner->size());
  m_field = QRect(field.mapToGlobal(QPoint(0, 0)), field.size());
  m_besideField = true;
}

QRect TemplateDialog::PlacedFace(const QRect& screen) const {
  const QSize size = m_face->size();
  return m_besideField ? KeyboardRect(size, m_ownerFace, m_field, screen) : Centred(size, screen);
}

// The window covers the screen; the face goes where a dialog of its own would stand. Over another
// window (the keyboard over the panel) the rest of the window is see-through.
void TemplateDialog::PlaceOnScreen() {
  const QRect screen = CurrentScreenFit().screen;
  bool overAnother = false;
  for (const QWidget* other : QApplication::topLevelWidgets())
    overAnother = overAnother || (other != this && other->isVisible());
  if (overAnother && !testAttribute(Qt::WA_WState_Created))
    setAttribute(Qt::WA_TranslucentBackground);
  move(screen.topLeft());
  m_face->move(PlacedFace(screen).topLeft() - screen.topLeft());
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
