// The panel of the dialog layer this program was built with, run by the application's start-up
// (app/panel_app.h). One definition per layer, chosen by CMake: panel/qt/panel_dlg.cpp; the Win32
// layer will bring its own.
//
//   RunPanelDialog(codes, services)   builds the panel without a parent, runs it modally to its
//                                     end and then its destroy handler, which copies both code
//                                     fields into `codes`
#pragma once

#include "panel/panel_model.h"

void RunPanelDialog(LastCodes codes, const PanelServices& services);
