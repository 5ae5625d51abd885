#include "platform/dialog/screen_fit.h"

#include <qdrawutil.h>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QProxyStyle>
#include <algorithm>
#include <cmath>

#include "platform/dialog/dialog_units.h"
#include "platform/dialog/template_dialog.h"

namespace platform {

namespace {

ScreenFit g_fit;

// A message box's spacing and icon at the kiosk's factor, as its font is: Qt sizes them in
// pixels of its own, which would otherwise stay desktop-sized around enlarged text.
class ScaledBoxStyle : public QProxyStyle {
 public:
  explicit ScaledBoxStyle(double scale) : m_scale(scale) {}

  int pixelMetric(PixelMetric metric, const QStyleOption* option,
                  const QWidget* widget) const override {
    const int pixels = QProxyStyle::pixelMetric(metric, option, widget);
    switch (metric) {
      case PM_MessageBoxIconSize:
      case PM_LayoutLeftMargin:
      case PM_LayoutTopMargin:
      case PM_LayoutRightMargin:
      case PM_LayoutBottomMargin:
      case PM_LayoutHorizontalSpacing:
      case PM_LayoutVerticalSpacing:
        return static_cast<int>(std::lround(pixels * m_scale));
      default:
        return pixels;
    }
  }

 private:
  double m_scale;
};

// A kiosk's compositor draws no title bars, and Qt's own (drawn by the program on Wayland) always
// has window buttons: in a kiosk a box draws its own caption bar, the title alone, and a raised
// edge around it, as the system draws a box's frame.
class KioskBoxFrame : public QObject {
 public:
  KioskBoxFrame(QMessageBox& box, int captionHeight)
      : QObject(&box), m_box(box), m_captionHeight(captionHeight) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    const bool moved = event->type() == QEvent::Move || event->type() == QEvent::Resize;
    if (watched == &m_box && moved && !m_painted) {
      // Qt's placement on showing reckons with a window frame that a frameless box has not; a
      // kiosk compositor centres the box by itself, others get it here, until it first shows.
      const QPoint centred = Centred(m_box.size(), OwnerFace()).topLeft();
      if (m_box.pos() != centred)
        m_box.move(centred);
    }
    if (watched == &m_box && event->type() == QEvent::Paint) {
      m_painted = true;
      QPainter painter(&m_box);
      const QRect frame = m_box.rect();
      const int edge = 2;
      const QRect caption(edge, edge, frame.width() - 2 * edge, m_captionHeight - edge);
      painter.fillRect(caption, m_box.palette().color(QPalette::Active, QPalette::Highlight));
      QFont font = m_box.font();
      font.setBold(true);
      painter.setFont(font);
      painter.setPen(m_box.palette().color(QPalette::Active, QPalette::HighlightedText));
      const int indent = QFontMetrics(font).averageCharWidth();
      painter.drawText(caption.adjusted(indent, 0, -indent, 0), Qt::AlignVCenter | Qt::AlignLeft,
                       m_box.windowTitle());
      qDrawWinPanel(&painter, frame, m_box.palette(), false);
    }
    return false;
  }

 private:
  QRect OwnerFace() const {
    const QWidget* owner = m_box.parentWidget();
    if (const auto* dialog = qobject_cast<const TemplateDialog*>(owner))
      return dialog->FaceGeometry();
    return owner != nullptr ? QRect(owner->mapToGlobal(QPoint(0, 0)), owner->size()) : g_fit.screen;
  }

  QMessageBox& m_box;
  int m_captionHeight;
  bool m_painted = false;
};

}  // namespace

void SetScreenFit(const ScreenFit& fit) {
  g_fit = fit;
}

const ScreenFit& CurrentScreenFit() {
  return g_fit;
}

double FitScale(QSize dialog, QSize screen) {
  if (dialog.width() <= 0 || dialog.height() <= 0 || screen.isEmpty())
    return 1.0;
  return std::min(static_cast<double>(screen.width()) / dialog.width(),
                  static_cast<double>(screen.height()) / dialog.height());
}

QSize TemplateSize(const res::DialogTemplate& dialog, double scale) {
  const QFont font =
      DialogFont(QString::fromLatin1(dialog.fontFace), dialog.pointSize, dialog.weight, 1.0);
  const BaseUnits units = BaseUnitsOf(font);
  return {ScaledPixels(dialog.width, units.horizontal, 4, scale),
          ScaledPixels(dialog.height, units.vertical, 8, scale)};
}

ScreenFit FitToScreen(const res::DialogTemplate& mainTemplate, const QRect& screen) {
  if (screen.isEmpty())
    return {};  // no screen to fit: the desktop's dialogs rather than windows of no size
  return {FitScale(TemplateSize(mainTemplate, 1.0), screen.size()), true, screen};
}

double DialogScaleFor(const res::DialogTemplate& dialog) {
  if (!g_fit.fullScreen)
    return g_fit.scale;
  return std::min(g_fit.scale, FitScale(TemplateSize(dialog, 1.0), g_fit.screen.size()));
}

int ScaledPixels(int dlu, int baseUnit, int unitsPerBase, double scale) {
  if (scale == 1.0)
    return MulDiv(dlu, baseUnit, unitsPerBase);  // exactly the desktop's conversion
  return static_cast<int>(std::lround(static_cast<double>(dlu) * baseUnit * scale / unitsPerBase));
}

QRect Centred(QSize size, const QRect& within) {
  QRect rect(QPoint(0, 0), size);
  rect.moveCenter(within.center());
  return rect;
}

// The field stays in sight, and the keyboard as near the operator's hand as the panel allows:
// across the panel's lower edge, or across its upper edge when the field is down there.
QRect KeyboardRect(QSize keyboard, const QRect& panel, const QRect& field, const QRect& screen) {
  QRect rect(QPoint(0, 0), keyboard);
  rect.moveLeft(panel.center().x() - keyboard.width() / 2);
  const int roomBelow = panel.bottom() - field.bottom();
  const int roomAbove = field.top() - panel.top();
  if (keyboard.height() <= roomBelow) {
    rect.moveBottom(panel.bottom());
  } else if (keyboard.height() <= roomAbove) {
    rect.moveTop(panel.top());
  } else if (screen.bottom() - field.bottom() >= field.top() - screen.top()) {
    rect.moveTop(field.bottom() + 1);
  } else {
    rect.moveBottom(field.top() - 1);
  }
  // Never off the screen: a keyboard wider or taller than the screen keeps its top left corner.
  rect.moveLeft(std::max(screen.left(), std::min(rect.left(), screen.right() - rect.width() + 1)));
  rect.moveTop(std::max(screen.top(), std::min(rect.top(), screen.bottom() - rect.height() + 1)));
  return rect;
}

void FitMessageBox(QMessageBox& box) {
  // A caption and nothing else in the title bar: the original's boxes have no window buttons.
  Qt::WindowFlags flags = box.windowFlags();
  flags &= ~(Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint |
             Qt::WindowContextHelpButtonHint);
  box.setWindowFlags(flags | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  const double scale = g_fit.scale;
  if (scale != 1.0) {
    QFont font = box.font();
    if (font.pixelSize() > 0)
      font.setPixelSize(static_cast<int>(std::lround(font.pixelSize() * scale)));
    else
      font.setPointSizeF(font.pointSizeF() * scale);
    box.setFont(font);
    auto* style = new ScaledBoxStyle(scale);
    style->setParent(&box);
    box.setStyle(style);
    box.setIcon(box.icon());  // its picture again, at the enlarged size
    // Qt wraps a box's text beyond 500 pixels whatever the font, which would break enlarged
    // lines that stand whole on the desktop: the text may be as wide as the box's own limit on
    // this screen allows (Qt's: the screen's width up to 1024, else 480 less, at most 1000),
    // room kept for the icon and the margins.
    if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        label != nullptr && !g_fit.screen.isEmpty()) {
      int widest = 0;
      const QFontMetrics metrics(font);
      for (const QString& line : box.text().split(QLatin1Char('\n')))
        widest = std::max(widest, metrics.horizontalAdvance(line));
      const int screenWidth = g_fit.screen.width();
      const int boxLimit = screenWidth <= 1024 ? screenWidth : std::min(screenWidth - 480, 1000);
      label->setMinimumWidth(std::min(widest, boxLimit * 2 / 3));
    }
    // The style's pictures stop at the sizes they have: enlarged as the banner is.
    const int iconSize = style->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &box);
    if (auto* icon = box.findChild<QLabel*>(QStringLiteral("qt_msgboxex_icon_label"))) {
      const QPixmap picture = icon->pixmap();
      if (!picture.isNull() && picture.width() < iconSize)
        icon->setPixmap(
            picture.scaled(iconSize, iconSize, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
  }
  if (g_fit.fullScreen) {
    box.setWindowFlag(Qt::FramelessWindowHint, true);
    const int captionHeight = QFontMetrics(box.font()).height() * 3 / 2;
    box.setContentsMargins(2, captionHeight, 2, 2);
    box.installEventFilter(new KioskBoxFrame(box, captionHeight));
  }
}

}  // namespace platform
