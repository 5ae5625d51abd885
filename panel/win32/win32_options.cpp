// The system's dialog manager reads no options from the command line: every option is
// codepanel's own, and any other is a usage error.
#include "app/toolkit_options.h"

const ToolkitOptions& DialogToolkitOptions() {
  static const ToolkitOptions options{{}, {}, "", ""};
  return options;
}
