// The panel's message boxes: modal, owned by the panel, captioned with the application's title,
// with the buttons an Italian station shows ("Sì"/"No", "OK"/"Annulla").
//
//   ApplicationTitle()   the executable's file name without folder and extension
//   ShowMessageBox(...)  runs the box; the button pressed, or the escape answer when it is closed
#pragma once

#include <QString>

#include "scanner/download_host.h"

class QWidget;

QString ApplicationTitle();

// YesNo boxes default to No and OkCancel boxes to Cancel; only Yes or OK proceeds anywhere.
BoxResult ShowMessageBox(QWidget* owner, const QString& text, BoxIcon icon, BoxButtons buttons);
