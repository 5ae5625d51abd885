#include "platform/dialog/dialog_builder.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <string_view>

#include "platform/dialog/qt_text.h"

namespace platform {

namespace {

using res::ControlKind;
using res::ControlTemplate;

Qt::Alignment HorizontalAlignment(unsigned style, Qt::Alignment kindDefault) {
  if (style & res::kStyleAlignRight)
    return Qt::AlignRight;
  if (style & res::kStyleAlignCenter)
    return Qt::AlignHCenter;
  if (style & res::kStyleAlignLeft)
    return Qt::AlignLeft;
  return kindDefault;
}

// Static text treats '&' as a button does, where a label without a buddy would show it as it is:
// "&&" shows one '&', and a single '&' marks the next character (shown without the marker).
std::string StaticCaption(std::string_view caption) {
  std::string shown;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size())
      ++i;
    shown += caption[i];
  }
  return shown;
}

QPushButton* CreateButton(const ControlTemplate& control, QWidget* parent, bool checkable) {
  auto* button = new QPushButton(ToQString(control.caption), parent);
  // Enter and Escape never press a button of these dialogs: there is no default button.
  button->setAutoDefault(false);
  button->setDefault(false);
  button->setCheckable(checkable);
  return button;
}

QLabel* CreateStaticText(const ControlTemplate& control, QWidget* parent) {
  auto* label = new QLabel(ToQString(StaticCaption(control.caption)), parent);
  label->setTextFormat(Qt::PlainText);  // never interpret operator text as markup
  label->setAlignment(HorizontalAlignment(control.style, Qt::AlignLeft) | Qt::AlignTop);
  if (control.style & res::kStyleBorder) {
    label->setFrameShape(QFrame::Box);
    label->setLineWidth(1);
  }
  return label;
}

QLabel* CreatePicture(const ControlTemplate& control, QWidget* parent, const BitmapSource& bitmaps,
                      double scale) {
  auto* picture = new QLabel(parent);
  if (control.style & res::kStyleCenterImage)
    picture->setAlignment(Qt::AlignCenter);
  if (control.style & res::kStyleSunken) {
    picture->setFrameShape(QFrame::Panel);
    picture->setFrameShadow(QFrame::Sunken);
    picture->setLineWidth(1);
  }
  if (bitmaps && control.bitmapId != 0) {
    QPixmap bitmap = bitmaps(control.bitmapId);
    if (scale != 1.0 && !bitmap.isNull())
      bitmap =
          bitmap.scaled(bitmap.size() * scale, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    picture->setPixmap(bitmap);
  }
  return picture;
}

QListWidget* CreateListBox(const ControlTemplate& control, QWidget* parent) {
  auto* list = new QListWidget(parent);
  if (control.style & res::kStyleNoSelection)
    list->setSelectionMode(QAbstractItemView::NoSelection);
  if (!(control.style & res::kStyleBorder))
    list->setFrameShape(QFrame::NoFrame);
  // The sorted-list style is not applied: lines are always inserted at an explicit position.
  return list;
}

// Settings of an edit control; also applied to a factory's QLineEdit subclass.
void SetUpEdit(QLineEdit& edit, const ControlTemplate& control) {
  edit.setText(ToQString(control.caption));
  edit.setAlignment(HorizontalAlignment(control.style, Qt::AlignLeft) | Qt::AlignVCenter);
  edit.setFrame((control.style & res::kStyleBorder) != 0);
}

// Only tab-stop controls take the focus by Tab; the others keep their click focus.
void SetFocusPolicy(QWidget& widget, unsigned style) {
  if (style & res::kStyleTabStop)
    widget.setFocusPolicy(Qt::StrongFocus);
  else if (widget.focusPolicy() & Qt::TabFocus)
    widget.setFocusPolicy(Qt::ClickFocus);
}

}  // namespace

void DialogBuilder::OverrideControl(int id, ControlFactory factory) {
  m_factories[id] = std::move(factory);
}

void DialogBuilder::SetBitmapSource(BitmapSource source) {
  m_bitmaps = std::move(source);
}

bool DialogBuilder::Build(const res::DialogTemplate& dialogTemplate, QDialog& dialog) {
  return Build(dialogTemplate, dialog, dialog, 1.0);
}

bool DialogBuilder::Build(const res::DialogTemplate& dialogTemplate, QDialog& dialog, QWidget& face,
                          double scale) {
  if (dialogTemplate.controls.empty())
    return false;
  const QString fontFace = QString::fromLatin1(dialogTemplate.fontFace);
  dialog.setFont(DialogFont(fontFace, dialogTemplate.pointSize, dialogTemplate.weight, scale));
  dialog.setWindowTitle(ToQString(dialogTemplate.title));
  if (dialogTemplate.style & res::kDialogNoTitleBar)
    dialog.setWindowFlag(Qt::FramelessWindowHint, true);
  // The units of the font at 96 dpi, so that the enlarged layout keeps the template's proportions
  // whatever the enlarged font's rounding.
  m_units = BaseUnitsOf(DialogFont(fontFace, dialogTemplate.pointSize, dialogTemplate.weight, 1.0));
  m_scale = scale;
  const auto x = [this](int dlu) { return ScaledPixels(dlu, m_units.horizontal, 4, m_scale); };
  const auto y = [this](int dlu) { return ScaledPixels(dlu, m_units.vertical, 8, m_scale); };
  face.setFixedSize(x(dialogTemplate.width), y(dialogTemplate.height));

  m_controls.clear();
  for (const ControlTemplate& control : dialogTemplate.controls) {
    QWidget* widget = CreateControl(control, face);
    SetFocusPolicy(*widget, control.style);
    widget->setGeometry(x(control.x), y(control.y), x(control.width), y(control.height));
    if (control.id != -1)
      m_controls[control.id] = widget;
  }
  return true;
}

QWidget* DialogBuilder::Control(int id) const {
  const auto it = m_controls.find(id);
  return it == m_controls.end() ? nullptr : it->second;
}

QWidget* DialogBuilder::CreateControl(const ControlTemplate& control, QWidget& face) const {
  QWidget* const parent = &face;
  const auto factory = m_factories.find(control.id);
  if (factory != m_factories.end() && factory->second) {
    QWidget* widget = factory->second(parent);
    widget->setParent(parent);
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
      SetUpEdit(*edit, control);
    return widget;
  }
  switch (control.kind) {
    case ControlKind::kPushButton:
      return CreateButton(control, parent, false);
    case ControlKind::kPushLikeCheckBox:
      return CreateButton(control, parent, true);
    case ControlKind::kStaticText:
      return CreateStaticText(control, parent);
    case ControlKind::kEdit: {
      auto* edit = new QLineEdit(parent);
      SetUpEdit(*edit, control);
      return edit;
    }
    case ControlKind::kPicture:
      return CreatePicture(control, parent, m_bitmaps, m_scale);
    case ControlKind::kListBox:
      return CreateListBox(control, parent);
  }
  return new QWidget(parent);  // unreachable with a valid kind
}

}  // namespace platform
