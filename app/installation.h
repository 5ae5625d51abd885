// What the system this codepanel was built for installs it as, and the --help lines that say so.
// One file per system, chosen by CMake: the Debian package puts the program in /usr/bin and its
// codes in the station's state folder (installation_posix.cpp); on Windows there is no installer,
// so the program always keeps config.dat beside itself (installation_win32.cpp).
//
//   InstalledLayout      the install folders; empty ones when the system has no installed layout
//   SettingsPlaceHelp    the --help lines on where the codes are kept
//   DefaultDevicesHelp   the --help words for what COM1..COM4 denote when nothing maps them
#pragma once

#include <string>

struct InstallLayout {
  std::string binFolder;    // where the package puts the program, ending with '/'
  std::string stateFolder;  // where the installed program keeps config.dat, ending with '/'
};

const InstallLayout& InstalledLayout();

// Whole lines, each ending with '\n'.
const char* SettingsPlaceHelp();
const char* DefaultDevicesHelp();
