// Where config.dat lives. An unpacked build keeps it beside the executable, as the station always
// has. An installed codepanel cannot write its program folder (/usr/bin), so a program that runs
// from the folder it was installed into keeps it in the station's state folder instead
// (/var/lib/codepanel/), which the station group may write.
//
//   SettingsFolder(exe, layout)   the folder for config.dat, ending with '/'
#pragma once

#include <string>

#include "app/installation.h"

// executableFolder ends with '/'. A program started through a link into binFolder still runs
// from its real folder, which is what executableFolder names.
std::string SettingsFolder(const std::string& executableFolder, const InstallLayout& layout);
