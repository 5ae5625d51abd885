// Runs a check as an account without privileges, for tests of what such an account may see.
#pragma once

#include <grp.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace test_support {

// In this process when it has no privileges, otherwise in a forked child that gives up root
// first. Whatever the child returns or does, it is reaped here.
inline bool RunUnprivileged(const std::function<bool()>& check) {
  if (::geteuid() != 0)
    return check();
  const pid_t child = ::fork();
  if (child == 0) {
    constexpr uid_t kNobody = 65534;
    const bool dropped =
        ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
    ::_exit(dropped && check() ? 0 : 1);
  }
  int status = 0;
  return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

}  // namespace test_support
