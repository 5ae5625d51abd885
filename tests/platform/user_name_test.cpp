// The name of the user a program runs as, on POSIX: the password database's, or the number.
#include "platform/journal/user_name.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace {

// The name the effective user has in the password database, or its number; the environment's
// USER and LOGNAME are left as a login set them.
TEST(EffectiveUserName, NamesTheUserTheProgramRunsAs) {
  if (::geteuid() != 0)
    GTEST_SKIP() << "changing the effective user needs root";
  EXPECT_EQ(platform::EffectiveUserName(), "root");
  const struct {
    uid_t uid;
    const char* name;
  } cases[] = {{65534, "nobody"}, {54321, "54321"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(pipeEnds[0]);
      const std::string name = ::seteuid(c.uid) == 0 ? platform::EffectiveUserName() : "?";
      (void)!::write(pipeEnds[1], name.data(), name.size());
      ::_exit(0);
    }
    ::close(pipeEnds[1]);
    char buffer[64];
    const ssize_t n = ::read(pipeEnds[0], buffer, sizeof buffer);
    ::close(pipeEnds[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0), c.name);
  }
}

}  // namespace
