// Qt's documented options of QGuiApplication, QApplication and the X11 platform: QApplication
// takes them out of argv and applies them itself.
#include "app/toolkit_options.h"

namespace {

constexpr ToolkitOption kQtOptions[] = {
    {"-platform", true},     {"-platformpluginpath", true}, {"-platformtheme", true},
    {"-plugin", true},       {"-qwindowgeometry", true},    {"-qwindowicon", true},
    {"-qwindowtitle", true}, {"-reverse", false},           {"-session", true},
    {"-display", true},      {"-geometry", true},           {"-style", true},
    {"-stylesheet", true},   {"-widgetcount", false},
};
constexpr std::string_view kQtAttachedOptions[] = {"-style=", "-stylesheet=", "-qmljsdebugger="};

}  // namespace

const ToolkitOptions& DialogToolkitOptions() {
  static const ToolkitOptions options{
      kQtOptions, kQtAttachedOptions, " [Qt options]",
      "Qt options go to Qt: -platform NAME, -style NAME, -stylesheet FILE, -display HOST:N,\n"
      "-geometry WxH+X+Y, -qwindowgeometry WxH+X+Y, -qwindowtitle TITLE, -qwindowicon FILE,\n"
      "-platformtheme NAME, -platformpluginpath PATH, -plugin NAME, -session ID, -reverse,\n"
      "-widgetcount, -qmljsdebugger=...\n"};
  return options;
}
