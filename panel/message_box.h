// The panel's message boxes: modal, owned by the panel, captioned with the application's title,
// with the buttons an Italian station shows ("Sì"/"No", "OK"/"Annulla").
//
//   ApplicationTitle()   the executable's file name without folder and extension
//   ShowMessageBox(...)  runs the box; the button pressed, or the escape answer when it is closed
#pragma once

#include <QString>

class QWidget;

enum class MessageIcon { Error, Information, Question };
enum class MessageButtons { Ok, YesNo, OkCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

QString ApplicationTitle();

// YesNo boxes default to No and OkCancel boxes to Cancel; only Yes or OK proceeds anywhere.
MessageAnswer ShowMessageBox(QWidget* owner, const QString& text, MessageIcon icon,
                             MessageButtons buttons);
