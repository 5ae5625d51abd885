// CPanelApp: the application object. Its start-up is the whole life of the program: find the
// program's own folder (or, installed, the station's state folder), read the last two codes from
// the settings file there, run the panel modally, write the two codes back.
#pragma once

#include <string>
#include <vector>

#include "platform/serial/port_map.h"

struct PanelServices;

// The settings file, in the program's own folder or, installed, in the state folder.
extern const char kSettingsFileName[];

// How this run reaches the outside: where the COM ports lead, whether "Spegni" may really end
// processes and power the machine off, and whether every download is recorded in the journal.
struct AppOptions {
  std::vector<platform::PortMapping> ports;
  bool noPowerOff = false;
  bool journal = false;
};

class CPanelApp {
 public:
  // Runs the panel to its end; always false, as nothing follows it.
  bool InitInstance(const AppOptions& options);
  // Reads the settings from m_strAppDir, runs the panel modally on these services and writes the
  // settings back.
  void RunPanel(const PanelServices& services);
  void LoadSettings();
  void SaveSettings();

  std::string m_strLastCode;     // carton code, key LAST_CODE
  std::string m_strLastAicCode;  // leaflet code, key LAST_AIC_CODE
  std::string m_strAppDir;       // the folder of config.dat (settings_folder.h), ending with '/'

 private:
  std::string SettingsPath() const { return m_strAppDir + kSettingsFileName; }
};

// The folder of the running executable with a trailing separator, whatever the working folder;
// one file per system (executable_folder_posix.cpp, executable_folder_win32.cpp).
std::string ExecutableFolder();
