#include "panel/message_box.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

QString ApplicationTitle() {
  return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

namespace {

QMessageBox::Icon IconOf(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Error:
      return QMessageBox::Critical;
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::Question:
      return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

MessageAnswer ShowMessageBox(QWidget* owner, const QString& text, MessageIcon icon,
                             MessageButtons buttons) {
  QMessageBox box(IconOf(icon), ApplicationTitle(), text, QMessageBox::NoButton, owner);
  box.setTextFormat(Qt::PlainText);  // a code in the text is never read as markup
  box.setWindowModality(Qt::ApplicationModal);
  switch (buttons) {
    case MessageButtons::Ok:
      box.setStandardButtons(QMessageBox::Ok);
      box.setDefaultButton(QMessageBox::Ok);
      break;
    case MessageButtons::YesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.button(QMessageBox::Yes)->setText(QString::fromUtf8("S\u00EC"));
      box.button(QMessageBox::No)->setText(QStringLiteral("No"));
      box.setDefaultButton(QMessageBox::No);
      box.setEscapeButton(QMessageBox::No);
      break;
    case MessageButtons::OkCancel:
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
      return MessageAnswer::Ok;
    case QMessageBox::Yes:
      return MessageAnswer::Yes;
    case QMessageBox::No:
      return MessageAnswer::No;
    default:  // closed some other way: the escape answer
      if (buttons == MessageButtons::Ok)
        return MessageAnswer::Ok;
      return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Cancel;
  }
}
