// The program's numbered texts (Windows-1252 bytes, as the operator sees them).
#pragma once

#include <string>

namespace res {

// The text of a string-table entry, or an empty text when there is none.
std::string LoadString(unsigned id);

}  // namespace res
