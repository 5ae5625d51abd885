// The effective user's name from the password database (files, LDAP, whatever NSS is set to).
#include <pwd.h>
#include <unistd.h>

#include <vector>

#include "platform/journal/user_name.h"

namespace platform {

std::string EffectiveUserName() {
  const uid_t uid = ::geteuid();
  const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 4096);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      found->pw_name != nullptr && found->pw_name[0] != '\0') {
    return found->pw_name;
  }
  return std::to_string(uid);
}

}  // namespace platform
