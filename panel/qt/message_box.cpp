#include "panel/qt/message_box.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

QString ApplicationTitle() {
  return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

namespace {

QMessageBox::Icon IconOf(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::Error:
      return QMessageBox::Critical;
    case BoxIcon::Information:
      return QMessageBox::Information;
    case BoxIcon::Question:
      return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

BoxResult ShowMessageBox(QWidget* owner, const QString& text, BoxIcon icon, BoxButtons buttons) {
  QMessageBox box(IconOf(icon), ApplicationTitle(), text, QMessageBox::NoButton, owner);
  box.setTextFormat(Qt::PlainText);  // a code in the text is never read as markup
  box.setWindowModality(Qt::ApplicationModal);
  switch (buttons) {
    case BoxButtons::Ok:
      box.setStandardButtons(QMessageBox::Ok);
      box.setDefaultButton(QMessageBox::Ok);
      break;
    case BoxButtons::YesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.button(QMessageBox::Yes)->setText(QString::fromUtf8("S\u00EC"));
      box.button(QMessageBox::No)->setText(QStringLiteral("No"));
      box.setDefaultButton(QMessageBox::No);
      box.setEscapeButton(QMessageBox::No);
      break;
    case BoxButtons::OkCancel:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      box.button(QMessageBox::Cancel)->setText(QStringLiteral("Annulla"));
      box.setDefaultButton(QMessageBox::Cancel);
      box.setEscapeButton(QMessageBox::Cancel);
      break;
  }
  if (QAbstractButton* ok = box.button(QMessageBox::Ok))
    ok->setText(QStringLiteral("OK"));
  switch (box.exec()) {
    case QMessageBox::Ok:
      return BoxResult::Ok;
    case QMessageBox::Yes:
      return BoxResult::Yes;
    case QMessageBox::No:
      return BoxResult::No;
    default:  // closed some other way: the escape answer
      if (buttons == BoxButtons::Ok)
        return BoxResult::Ok;
      return buttons == BoxButtons::YesNo ? BoxResult::No : BoxResult::Cancel;
  }
}
