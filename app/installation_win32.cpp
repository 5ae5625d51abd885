#include "app/installation.h"

// No installer puts codepanel anywhere in particular: wherever it runs from, config.dat is beside
// it, as on the stations it was written for.
const InstallLayout& InstalledLayout() {
  static const InstallLayout layout;
  return layout;
}

const char* SettingsPlaceHelp() {
  return "into the scanner on COM2, and keeps the last codes in config.dat beside the program.\n";
}

const char* DefaultDevicesHelp() {
  return "the devices COM1-4";
}
