// The system code page the settings cases run under, so that their second run in the Windows build
// cannot pass on Windows-1252 unnoticed: wine takes it from LC_ALL, and the test names it in
// CODEPANEL_CODE_PAGE.
#include <windows.h>

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

TEST(SystemCodePage, IsTheOneTheTestRunAsksFor) {
  const char* wanted = std::getenv("CODEPANEL_CODE_PAGE");
  if (wanted == nullptr)
    GTEST_SKIP() << "no CODEPANEL_CODE_PAGE: the system's code page is " << GetACP();
  EXPECT_EQ(std::to_string(GetACP()), wanted);
}
