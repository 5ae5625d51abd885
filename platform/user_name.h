// The name of the user a program runs as, for what it records of its work.
//
//   EffectiveUserName   the effective user's login name; its number when it has none
#pragma once

#include <string>

namespace platform {

std::string EffectiveUserName();

}  // namespace platform
