// The options the dialog layer's toolkit reads from the command line by itself (Qt's -platform
// NAME, -style NAME, ...). codepanel's own parser steps over them with their values and leaves them
// in argv for the toolkit; the usage line and --help name them. One definition per dialog layer,
// chosen by CMake (panel/qt/qt_options.cpp); a layer whose toolkit reads no options gives empty
// tables and empty texts, and then such an option is a usage error like any unknown one.
//
//   DialogToolkitOptions()   this layer's table and texts
#pragma once

#include <span>
#include <string_view>

struct ToolkitOption {
  std::string_view name;  // with one dash; the toolkit takes two dashes as well
  bool takesValue;
};

struct ToolkitOptions {
  std::span<const ToolkitOption> options;
  std::span<const std::string_view> attached;  // taken with the value attached: "-style="
  const char* usage;                           // appended to the usage line: " [Qt options]"
  const char* help;                            // whole lines for --help, each ending with '\n'
};

const ToolkitOptions& DialogToolkitOptions();
