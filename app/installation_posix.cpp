#include "app/installation.h"

const InstallLayout& InstalledLayout() {
  static const InstallLayout layout = {CODEPANEL_INSTALLED_BINDIR "/", CODEPANEL_STATE_DIR "/"};
  return layout;
}

const char* SettingsPlaceHelp() {
  return "into the scanner on COM2, and keeps the last codes in config.dat beside the program.\n"
         "Installed in " CODEPANEL_INSTALLED_BINDIR ", it keeps them in " CODEPANEL_STATE_DIR
         "/config.dat,\n"
         "which members of the group " CODEPANEL_GROUP " may write.\n";
}

const char* DefaultDevicesHelp() {
  return "/dev/ttyS0-3";
}
