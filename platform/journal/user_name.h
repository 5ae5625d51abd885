// The name of the user a program runs as, for what it records of its work.
//
//   EffectiveUserName   the effective user's login name; on POSIX its number when it has none,
//                       on Windows "unknown" (posix_user_name.cpp, win32_user_name.cpp)
#pragma once

#include <string>

namespace platform {

std::string EffectiveUserName();

}  // namespace platform
