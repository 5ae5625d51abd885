// The name of the account the program runs as, from GetUserNameA.
#include <windows.h>

#include "platform/journal/user_name.h"

namespace platform {

std::string EffectiveUserName() {
  // UNLEN (256) and the NUL.
  char name[257] = {};
  DWORD size = sizeof name;
  if (GetUserNameA(name, &size) && name[0] != '\0')
    return name;
  return "unknown";
}

}  // namespace platform
