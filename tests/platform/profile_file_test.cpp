#include "platform/settings/posix_profile_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/file_helpers.h"

namespace {

namespace fs = std::filesystem;
using platform::GetProfileString;
using platform::WriteProfileString;

using test_support::PermissionBits;
using test_support::ReadBytes;
using test_support::ScopedUmask;
using test_support::WriteBytes;

using ProfileFileTest = test_support::ConfigFolderTest;

// Every write waits for the disk twice; tests making hundreds of them run on a memory file system
// where there is one.
class ProfileFileInMemoryTest : public ProfileFileTest {
 protected:
  fs::path BaseFolder() const override {
    std::error_code ignored;
    return fs::is_directory("/dev/shm", ignored) ? fs::path("/dev/shm")
                                                 : ProfileFileTest::BaseFolder();
  }
};

TEST_F(ProfileFileTest, ReadsDefaultWhenFileSectionOrKeyIsMissing) {
  struct Case {
    const char* name;
    std::optional<std::string> content;  // none: no file at all
  };
  const Case cases[] = {
      {"no file", std::nullopt},
      {"empty file", ""},
      {"other section only", "[OTHER]\r\nLAST_CODE=x\r\n"},
      {"section without the key", "[SETTING]\r\nLAST_AIC_CODE=x\r\n"},
      {"key in the next section", "[SETTING]\r\nA=1\r\n[OTHER]\r\nLAST_CODE=x\r\n"},
      {"key before any section", "LAST_CODE=x\r\n[SETTING]\r\nA=1\r\n"},
      {"key commented out", "[SETTING]\r\n;LAST_CODE=x\r\n \t; LAST_CODE=y\r\n"},
      {"key only in a repeated section", "[SETTING]\r\nA=1\r\n[setting]\r\nLAST_CODE=x\r\n"},
      {"longer and shorter names", "[SETTING]\r\nLAST_CODE_OLD=x\r\nLAST_COD=y\r\n"},
      {"section name prefix", "[SETTINGS]\r\nLAST_CODE=x\r\n[SETT]\r\nLAST_CODE=y\r\n"},
      {"no '=' on the line", "[SETTING]\r\nLAST_CODE\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(m_path);
    if (c.content)
      WriteBytes(m_path, *c.content);
    EXPECT_EQ(GetProfileString(m_path, "SETTING", "LAST_CODE", "dflt"), "dflt");
  }
  // A folder where the file should be reads like a missing file.
  EXPECT_EQ(GetProfileString(m_dir, "SETTING", "LAST_CODE", "dflt"), "dflt");
}

TEST_F(ProfileFileTest, ReadsValuesAsWindowsDoes) {
  struct Case {
    const char* name;
    std::string content;
    std::string key;
    std::string expected;
  };
  const Case cases[] = {
      {"CRLF", "[SETTING]\r\nLAST_CODE=ABC123\r\nLAST_AIC_CODE=X-42\r\n", "LAST_AIC_CODE", "X-42"},
      {"LF only", "[SETTING]\nLAST_AIC_CODE=X\nLAST_CODE=ABC\n", "LAST_CODE", "ABC"},
      {"CR only", "[SETTING]\rLAST_AIC_CODE=X\rLAST_CODE=ABC\r", "LAST_CODE", "ABC"},
      {"mixed ends", "[SETTING]\rA=1\nLAST_CODE=ABC\r\nB=2", "LAST_CODE", "ABC"},
      {"no final line end", "[SETTING]\r\nLAST_CODE=ABC", "LAST_CODE", "ABC"},
      {"no final line end, empty", "[SETTING]\r\nLAST_CODE=", "LAST_CODE", ""},
      {"names in any case", "[setting]\r\nlast_code=abc\r\n", "Last_Code", "abc"},
      {"blanks around everything", " \t[ SETTING \t]  \r\n \t LAST_CODE \t=\t A B \t\r\n",
       "LAST_CODE", "A B"},
      {"text after the header", "[SETTING] ; carton codes\r\nLAST_CODE=x\r\n", "LAST_CODE", "x"},
      {"'[' without ']' is no header", "[SETTING]\r\n[broken\r\nLAST_CODE=x\r\n", "LAST_CODE", "x"},
      {"comment above", "[SETTING]\r\n; LAST_CODE=old\r\nLAST_CODE=new\r\n", "LAST_CODE", "new"},
      {"';' inside a value", "[SETTING]\r\nLAST_CODE=A;B ;c\r\n", "LAST_CODE", "A;B ;c"},
      {"key ends at the first '='", "[SETTING]\r\nLAST_CODE = =a=b\r\n", "LAST_CODE", "=a=b"},
      {"free text ignored", "[SETTING]\r\nsome note\r\nLAST_CODE=x\r\n", "LAST_CODE", "x"},
      {"first key wins", "[SETTING]\r\nLAST_CODE=1\r\nlast_code=2\r\n", "LAST_CODE", "1"},
      {"first section wins", "[SETTING]\r\nLAST_CODE=1\r\n[SETTING]\r\nLAST_CODE=2\r\n",
       "LAST_CODE", "1"},
      {"empty value is no default", "[SETTING]\r\nLAST_CODE=\r\n", "LAST_CODE", ""},
      {"double quotes", "[SETTING]\r\nLAST_CODE=\"ABC\"\r\n", "LAST_CODE", "ABC"},
      {"single quotes", "[SETTING]\r\nLAST_CODE='ABC'\r\n", "LAST_CODE", "ABC"},
      {"quoted blanks kept", "[SETTING]\r\nLAST_CODE= \" A \" \r\n", "LAST_CODE", " A "},
      {"only the outer pair", "[SETTING]\r\nLAST_CODE=\"\"A\"\"\r\n", "LAST_CODE", "\"A\""},
      {"other quote inside", "[SETTING]\r\nLAST_CODE=\"'x'\"\r\n", "LAST_CODE", "'x'"},
      {"empty quotes", "[SETTING]\r\nLAST_CODE=''\r\n", "LAST_CODE", ""},
      {"unmatched quotes", "[SETTING]\r\nLAST_CODE=\"ABC'\r\n", "LAST_CODE", "\"ABC'"},
      {"one quote", "[SETTING]\r\nLAST_CODE=\"\r\n", "LAST_CODE", "\""},
      {"opening quote only", "[SETTING]\r\nLAST_CODE=\"AB\r\n", "LAST_CODE", "\"AB"},
      // Only ASCII letters fold; a Windows-1252 letter matches itself only.
      {"no folding above 0x7F", "[SETTING]\r\n\xC0=upper\r\n\xE0=lower\r\n", "\xE0", "lower"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(m_path, c.content);
    EXPECT_EQ(GetProfileString(m_path, "SETTING", c.key, "dflt"), c.expected);
  }
}

TEST_F(ProfileFileTest, ReadsAtMostBufferSizeLessOneCharacters) {
  std::string digits;
  for (int i = 0; i < 300; ++i)
    digits.push_back(static_cast<char>('0' + i % 10));

  WriteBytes(m_path, "[SETTING]\r\nLAST_CODE=" + digits + "\r\nQUOTED=\"" + digits +
                         "\"\r\nEXACT=" + digits.substr(0, 255) + "\r\n");
  EXPECT_EQ(GetProfileString(m_path, "SETTING", "LAST_CODE", ""), digits.substr(0, 255));
  EXPECT_EQ(GetProfileString(m_path, "SETTING", "QUOTED", ""), digits.substr(0, 255));
  EXPECT_EQ(GetProfileString(m_path, "SETTING", "EXACT", ""), digits.substr(0, 255));
  EXPECT_EQ(GetProfileString(m_path, "SETTING", "LAST_CODE", "", 5), "0123");
  EXPECT_EQ(GetProfileString(m_path, "SETTING", "LAST_CODE", "", 1), "");
  EXPECT_EQ(GetProfileString(m_path, "SETTING", "LAST_CODE", "", 0), "");
  // The default fills the same buffer.
  EXPECT_EQ(GetProfileString(m_path, "SETTING", "MISSING", digits), digits.substr(0, 255));
  EXPECT_EQ(GetProfileString(m_path, "SETTING", "MISSING", "abcdef", 4), "abc");
}

TEST_F(ProfileFileTest, EndsAValueAtItsFirstNulAndMatchesNoNameHoldingOne) {
  using namespace std::string_literals;  // "..."s keeps the NULs
  struct Case {
    const char* name;
    std::string content;
    std::string key;
    std::string expected;
  };
  const Case cases[] = {
      {"value cut", "[SETTING]\r\nLAST_CODE=AB\0CD\r\n"s, "LAST_CODE", "AB"},
      {"blanks before the NUL", "[SETTING]\r\nLAST_CODE=AB \t\0CD\r\n"s, "LAST_CODE", "AB"},
      {"quotes before the NUL", "[SETTING]\r\nLAST_CODE=\"AB\"\0CD\r\n"s, "LAST_CODE", "AB"},
      {"quote closed after the NUL", "[SETTING]\r\nLAST_CODE=\"A \0B\"\r\n"s, "LAST_CODE", "\"A"},
      {"NUL first", "[SETTING]\r\nLAST_CODE=\0CD\r\n"s, "LAST_CODE", ""},
      {"NULs to the end of the file", "[SETTING]\r\nLAST_CODE=AB\0\0\0"s, "LAST_CODE", "AB"},
      {"next line unaffected", "[SETTING]\r\nA=\0\r\nLAST_CODE=x\0\r\n"s, "LAST_CODE", "x"},
      {"key with a NUL is no key", "[SETTING]\r\nLAST\0_CODE=x\r\nLAST=y\r\nLAST_CODE=z\r\n"s,
       "LAST", "y"},
      {"key ending in a NUL", "[SETTING]\r\nLAST_CODE\0=x\r\nLAST_CODE=y\r\n"s, "LAST_CODE", "y"},
      {"NUL after the header's ']'", "[SETTING]\0junk\r\nLAST_CODE=x\r\n"s, "LAST_CODE", "x"},
      {"section with a NUL matches nothing", "[SETT\0ING]\r\nLAST_CODE=x\r\n"s, "LAST_CODE",
       "dflt"},
      {"its keys stay out of the section above",
       "[SETTING]\r\nA=1\r\n[OT\0HER]\r\nLAST_CODE=x\r\n"s, "LAST_CODE", "dflt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(m_path, c.content);
    EXPECT_EQ(GetProfileString(m_path, "SETTING", c.key, "dflt"), c.expected);
  }
  WriteBytes(m_path, "[SETT\0ING]\r\nLAST_CODE=x\r\n[SETTING\0]\r\nLAST_CODE\0x=y\r\n"s);
  EXPECT_EQ(GetProfileString(m_path, "SETT", "LAST_CODE", "dflt"), "dflt");
  // A name asked for with a NUL in it matches nothing either, not even the same bytes.
  EXPECT_EQ(GetProfileString(m_path, "SETT\0ING"s, "LAST_CODE", "dflt"), "dflt");
  EXPECT_EQ(GetProfileString(m_path, "SETTING\0"s, "LAST_CODE\0x"s, "dflt"), "dflt");

  // The buffer counts from the start of the value, and a default ends at its NUL like a value.
  WriteBytes(m_path, "[SETTING]\r\nLAST_CODE=" + std::string(300, 'x') + "\0" + "y\r\n");
  EXPECT_EQ(GetProfileString(m_path, "SETTING", "LAST_CODE", ""), std::string(255, 'x'));
  EXPECT_EQ(GetProfileString(m_path, "SETTING", "MISSING", "d\0ef"s), "d");

  // A write replaces the whole line of the key, what follows its NUL included; the line of a key
  // with a NUL in its name is kept as it is.
  WriteBytes(m_path, "[SETTING]\r\nLAST\0_CODE=k\r\nLAST_CODE=AB\0CD\r\nLAST_AIC_CODE=z\r\n"s);
  ASSERT_TRUE(WriteProfileString(m_path, "SETTING", "LAST_CODE", "NEW"));
  EXPECT_EQ(ReadBytes(m_path),
            "[SETTING]\r\nLAST\0_CODE=k\r\nLAST_CODE=NEW\r\nLAST_AIC_CODE=z\r\n"s);
}

TEST_F(ProfileFileTest, ReadsAndKeepsWindows1252BytesExactly) {
  const std::string file =
      "[SETTING]\r\nLAST_CODE=\xA3"
      "12.50\r\nLAST_AIC_CODE=caf\xE0\r\n";
  WriteBytes(m_path, file);
  EXPECT_EQ(GetProfileString(m_path, "SETTING", "LAST_CODE", ""),
            "\xA3"
            "12.50");
  EXPECT_EQ(GetProfileString(m_path, "SETTING", "LAST_AIC_CODE", ""), "caf\xE0");

  ASSERT_TRUE(WriteProfileString(m_path, "SETTING", "LAST_CODE", "\xA3\xE0"));
  EXPECT_EQ(ReadBytes(m_path), "[SETTING]\r\nLAST_CODE=\xA3\xE0\r\nLAST_AIC_CODE=caf\xE0\r\n");
}

TEST_F(ProfileFileTest, CreatesAMissingFileWithTheKeysInWriteOrder) {
  // The new file's bits are 0644 whatever the umask says.
  const ScopedUmask umask(077);
  ASSERT_TRUE(WriteProfileString(m_path, "SETTING", "LAST_CODE", "ABC123"));
  ASSERT_TRUE(WriteProfileString(m_path, "SETTING", "LAST_AIC_CODE", "X-42"));
  EXPECT_EQ(ReadBytes(m_path), "[SETTING]\r\nLAST_CODE=ABC123\r\nLAST_AIC_CODE=X-42\r\n");
  EXPECT_EQ(PermissionBits(m_path), 0644u);
  EXPECT_EQ(Entries(), std::vector<std::string>{"config.dat"});

  // Leaving with both fields empty still writes both keys.
  fs::remove(m_path);
  ASSERT_TRUE(WriteProfileString(m_path, "SETTING", "LAST_CODE", ""));
  ASSERT_TRUE(WriteProfileString(m_path, "SETTING", "LAST_AIC_CODE", ""));
  EXPECT_EQ(ReadBytes(m_path), "[SETTING]\r\nLAST_CODE=\r\nLAST_AIC_CODE=\r\n");
  EXPECT_EQ(GetProfileString(m_path, "SETTING", "LAST_CODE", "dflt"), "");
}

TEST_F(ProfileFileTest, ChangesOnlyTheLineOfTheKey) {
  struct Case {
    const char* name;
    std::string before;
    std::string key;
    std::string after;  // after writing "NEW" to key in SETTING
  };
  const Case cases[] = {
      {"replaced in place, file spelling kept, other bytes and LF kept",
       "; codepanel\n\n[Setting]\n  last_code = old \nLAST_AIC_CODE=X-42\n\n[OTHER]\nK=v\n",
       "LAST_CODE",
       "; codepanel\n\n[Setting]\nlast_code=NEW\r\nLAST_AIC_CODE=X-42\n\n[OTHER]\nK=v\n"},
      {"text before the first section kept", "LAST_CODE=loose\r\n[SETTING]\r\nLAST_CODE=a\r\n",
       "LAST_CODE", "LAST_CODE=loose\r\n[SETTING]\r\nLAST_CODE=NEW\r\n"},
      {"first of duplicate keys", "[SETTING]\r\nLAST_CODE=1\r\nLAST_CODE=2\r\n", "LAST_CODE",
       "[SETTING]\r\nLAST_CODE=NEW\r\nLAST_CODE=2\r\n"},
      {"first of duplicate sections", "[SETTING]\r\nA=1\r\n[SETTING]\r\nLAST_CODE=2\r\n",
       "LAST_CODE", "[SETTING]\r\nA=1\r\nLAST_CODE=NEW\r\n[SETTING]\r\nLAST_CODE=2\r\n"},
      {"last line without line end", "[SETTING]\r\nLAST_CODE=1", "LAST_CODE",
       "[SETTING]\r\nLAST_CODE=NEW\r\n"},
      {"CR only", "[SETTING]\rLAST_CODE=1\rLAST_AIC_CODE=2\r", "LAST_AIC_CODE",
       "[SETTING]\rLAST_CODE=1\rLAST_AIC_CODE=NEW\r\n"},
      {"new key before trailing comments and blanks",
       "[SETTING]\r\nLAST_CODE=1\r\n; note\r\n\r\n; next\r\n[OTHER]\r\nK=v\r\n", "LAST_AIC_CODE",
       "[SETTING]\r\nLAST_CODE=1\r\nLAST_AIC_CODE=NEW\r\n; note\r\n\r\n; "
       "next\r\n[OTHER]\r\nK=v\r\n"},
      {"new key after free text of the section", "[SETTING]\nLAST_CODE=1\nnote\n\n[OTHER]\n",
       "LAST_AIC_CODE", "[SETTING]\nLAST_CODE=1\nnote\nLAST_AIC_CODE=NEW\r\n\n[OTHER]\n"},
      {"new key in an empty section", "[SETTING]\r\n\r\n[OTHER]\r\nK=v\r\n", "LAST_CODE",
       "[SETTING]\r\nLAST_CODE=NEW\r\n\r\n[OTHER]\r\nK=v\r\n"},
      {"new key after an unterminated last line", "[OTHER]\r\n[SETTING]\r\nLAST_CODE=1",
       "LAST_AIC_CODE", "[OTHER]\r\n[SETTING]\r\nLAST_CODE=1\r\nLAST_AIC_CODE=NEW\r\n"},
      {"new key under an unterminated header", "[SETTING]", "LAST_CODE",
       "[SETTING]\r\nLAST_CODE=NEW\r\n"},
      {"new section at the end", "[OTHER]\r\nK=v\r\n\r\n", "LAST_CODE",
       "[OTHER]\r\nK=v\r\n\r\n[SETTING]\r\nLAST_CODE=NEW\r\n"},
      {"new section after an unterminated last line", "; only a comment", "LAST_CODE",
       "; only a comment\r\n[SETTING]\r\nLAST_CODE=NEW\r\n"},
      {"new section after a CR", "[OTHER]\rK=v\r", "LAST_CODE",
       "[OTHER]\rK=v\r[SETTING]\r\nLAST_CODE=NEW\r\n"},
      {"empty file", "", "LAST_CODE", "[SETTING]\r\nLAST_CODE=NEW\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(m_path, c.before);
    ASSERT_TRUE(WriteProfileString(m_path, "SETTING", c.key, "NEW"));
    EXPECT_EQ(ReadBytes(m_path), c.after);
    EXPECT_EQ(GetProfileString(m_path, "SETTING", c.key, "dflt"), "NEW");
  }
}

TEST_F(ProfileFileTest, QuotesExactlyTheValuesTheReaderWouldChange) {
  struct Case {
    std::string value;
    std::string stored;  // the text after "LAST_CODE="
  };
  const Case cases[] = {
      {"ABC123", "ABC123"},
      {"", ""},
      {" AB", "\" AB\""},
      {"AB ", "\"AB \""},
      {"\tAB", "\"\tAB\""},
      {" ", "\" \""},
      {"\"AB\"", "\"\"AB\"\""},
      {"'x'", "\"'x'\""},
      {"''", "\"''\""},
      {"\"", "\""},
      {"'", "'"},
      {"\"AB", "\"AB"},
      {"AB'", "AB'"},
      {"\"'", "\"'"},
      {"\xA3"
       "12.50",
       "\xA3"
       "12.50"},
      {"a=b", "a=b"},
      {";x", ";x"},
      {"[x]", "[x]"},
      {"A B", "A B"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("value <" + c.value + ">");
    fs::remove(m_path);
    ASSERT_TRUE(WriteProfileString(m_path, "SETTING", "LAST_CODE", c.value));
    EXPECT_EQ(ReadBytes(m_path), "[SETTING]\r\nLAST_CODE=" + c.stored + "\r\n");
    EXPECT_EQ(GetProfileString(m_path, "SETTING", "LAST_CODE", "dflt"), c.value);
  }
}

TEST_F(ProfileFileInMemoryTest, EveryTypedCharacterReadsBackAtEitherEnd) {
  ASSERT_TRUE(WriteProfileString(m_path, "SETTING", "LAST_CODE", "first"));
  ASSERT_TRUE(WriteProfileString(m_path, "SETTING", "LAST_AIC_CODE", "kept"));
  std::vector<char> typed;
  for (int c = 0x20; c <= 0x7E; ++c)
    typed.push_back(static_cast<char>(c));
  typed.push_back('\xA3');
  for (const char c : typed) {
    const std::string one(1, c);
    for (const std::string& value : {one + "AB", "AB" + one, one + "A" + one}) {
      SCOPED_TRACE("value <" + value + ">");
      ASSERT_TRUE(WriteProfileString(m_path, "SETTING", "LAST_CODE", value));
      EXPECT_EQ(GetProfileString(m_path, "SETTING", "LAST_CODE", "dflt"), value);
    }
  }
  EXPECT_EQ(GetProfileString(m_path, "SETTING", "LAST_AIC_CODE", "dflt"), "kept");

  // Quotes added around a full-length value do not cost any of its 255 characters.
  const std::string longest = " " + std::string(253, 'x') + " ";
  ASSERT_TRUE(WriteProfileString(m_path, "SETTING", "LAST_CODE", longest));
  EXPECT_EQ(GetProfileString(m_path, "SETTING", "LAST_CODE", "dflt"), longest);
}

TEST_F(ProfileFileTest, RefusesWhatWouldNotReadBack) {
  struct Case {
    std::string section;
    std::string key;
    std::string value;
  };
  const Case cases[] = {
      {"SETTING", "LAST_CODE", "A\rB"},
      {"SETTING", "LAST_CODE", "A\nB"},
      {"SETTING", "LAST_CODE", "AB\r\n"},
      {"SETTING", "LAST_CODE", std::string("A\0B", 3)},
      {"", "LAST_CODE", "x"},
      {" SETTING", "LAST_CODE", "x"},
      {"SETTING\t", "LAST_CODE", "x"},
      {"SET\nTING", "LAST_CODE", "x"},
      {"SETTING", "", "x"},
      {"SETTING", "LAST=CODE", "x"},
      {"SETTING", ";LAST_CODE", "x"},
      {"SETTING", "[LAST_CODE", "x"},
      {"SETTING", "LAST_CODE ", "x"},
      {"SETTING", "LAST\r_CODE", "x"},
  };
  const std::string before = "[SETTING]\r\nLAST_CODE=old\r\n";
  const std::string missing = m_dir + "/missing.dat";
  for (const Case& c : cases) {
    SCOPED_TRACE("[" + c.section + "] <" + c.key + "> <" + c.value + ">");
    WriteBytes(m_path, before);
    platform::WriteStatus status;
    EXPECT_FALSE(WriteProfileString(m_path, c.section, c.key, c.value, status));
    EXPECT_EQ(status.error, EINVAL);
    EXPECT_EQ(ReadBytes(m_path), before);
    EXPECT_FALSE(WriteProfileString(missing, c.section, c.key, c.value));
    EXPECT_EQ(Entries(), std::vector<std::string>{"config.dat"});
  }
}

TEST_F(ProfileFileTest, FailsQuietlyWhereItCannotReadOrWrite) {
  const std::string plainFile = m_dir + "/plain";
  WriteBytes(plainFile, "not a folder");
  const std::string folder = m_dir + "/folder";
  ASSERT_TRUE(fs::create_directory(folder));
  const std::vector<std::string> entries = Entries();

  // A folder on the way that is a file, or a folder in place of the file, fails the read; a
  // missing folder fails the replacement. Each says why.
  const std::pair<std::string, int> cases[] = {
      {m_dir + "/missing/config.dat", ENOENT},
      {plainFile + "/config.dat", ENOTDIR},
      {folder, EISDIR},
      {"/dev/null", EINVAL},
  };
  for (const auto& [path, error] : cases) {
    SCOPED_TRACE(path);
    platform::WriteStatus status;
    EXPECT_FALSE(WriteProfileString(path, "SETTING", "LAST_CODE", "x", status));
    EXPECT_EQ(status.error, error);
    EXPECT_FALSE(WriteProfileString(path, "SETTING", "LAST_CODE", "x"));
    EXPECT_EQ(Entries(), entries);
    EXPECT_TRUE(fs::is_empty(folder));
  }
  EXPECT_EQ(ReadBytes(plainFile), "not a folder");

  // A file that cannot be read is not replaced by one that lacks its content. Permission bits
  // stop reads only for an unprivileged user; as root (CI) there is nothing more to check.
  const std::string before = "[SETTING]\r\nLAST_CODE=old\r\n";
  WriteBytes(m_path, before);
  ASSERT_EQ(::chmod(m_path.c_str(), 0), 0);
  const int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    ::close(fd);
    return;
  }
  platform::WriteStatus status;
  EXPECT_FALSE(WriteProfileString(m_path, "SETTING", "LAST_CODE", "new", status));
  EXPECT_EQ(status.error, EACCES);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"config.dat", "folder", "plain"}));
  ASSERT_EQ(::chmod(m_path.c_str(), 0644), 0);
  EXPECT_EQ(ReadBytes(m_path), before);
}

TEST_F(ProfileFileTest, ReadsThroughALinkAndReplacesItByTheEditedFile) {
  const std::string target = m_dir + "/target.dat";
  const std::string before = "[SETTING]\r\nLAST_CODE=old\r\nLAST_AIC_CODE=aic\r\n";
  WriteBytes(target, before);
  fs::create_symlink(target, m_path);
  EXPECT_EQ(GetProfileString(m_path, "SETTING", "LAST_AIC_CODE", "dflt"), "aic");
  ASSERT_TRUE(WriteProfileString(m_path, "SETTING", "LAST_CODE", "new"));
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(m_path)));
  EXPECT_EQ(ReadBytes(m_path), "[SETTING]\r\nLAST_CODE=new\r\nLAST_AIC_CODE=aic\r\n");
  EXPECT_EQ(ReadBytes(target), before);
}

TEST_F(ProfileFileTest, HandsTheWholeEditedFileToTheReplaceHook) {
  const std::string before = "; keep\r\n[SETTING]\r\nLAST_CODE=old\r\n";
  WriteBytes(m_path, before);

  int calls = 0;
  std::string tempPath;
  std::string tempContent;
  const auto abandon = [&](const std::string& path) {
    ++calls;
    tempPath = path;
    tempContent = ReadBytes(path);
    return false;
  };
  platform::WriteStatus status;
  EXPECT_FALSE(
      WriteProfileString(m_path, "SETTING", "LAST_CODE", "new", status, {abandon, nullptr}));
  EXPECT_EQ(status.error, ECANCELED);
  EXPECT_FALSE(WriteProfileString(m_path, "SETTING", "LAST_CODE", "new", abandon));
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(fs::path(tempPath).parent_path(), fs::path(m_dir));
  EXPECT_EQ(tempContent, "; keep\r\n[SETTING]\r\nLAST_CODE=new\r\n");
  EXPECT_EQ(ReadBytes(m_path), before);
  EXPECT_EQ(Entries(), std::vector<std::string>{"config.dat"});

  const auto throwing = [](const std::string&) -> bool { throw std::runtime_error("hook"); };
  EXPECT_FALSE(WriteProfileString(m_path, "SETTING", "LAST_CODE", "new", throwing));
  EXPECT_EQ(ReadBytes(m_path), before);
  EXPECT_EQ(Entries(), std::vector<std::string>{"config.dat"});
}

TEST_F(ProfileFileTest, RewritesTheFileInPlaceWhereTheFolderRefusesTheTemporaryFile) {
  // Root writes in any folder, so the refusal comes through the seam; the real permissions are
  // tried in atomic_file_test.
  const std::string before = "; keep\r\n[SETTING]\r\nLAST_CODE=old\r\n";
  WriteBytes(m_path, before);
  ASSERT_EQ(::chmod(m_path.c_str(), 0600), 0);
  struct stat was {};
  ASSERT_EQ(::stat(m_path.c_str(), &was), 0);
  const platform::ReplaceHooks refused{nullptr, [](std::string&) {
                                         errno = EACCES;
                                         return -1;
                                       }};
  platform::WriteStatus status;
  ASSERT_TRUE(WriteProfileString(m_path, "SETTING", "LAST_CODE", "new", status, refused));
  EXPECT_EQ(status.error, 0);
  EXPECT_EQ(ReadBytes(m_path), "; keep\r\n[SETTING]\r\nLAST_CODE=new\r\n");
  struct stat now {};
  ASSERT_EQ(::stat(m_path.c_str(), &now), 0);
  EXPECT_EQ(now.st_ino, was.st_ino);
  EXPECT_EQ(PermissionBits(m_path), 0600u);
  EXPECT_EQ(Entries(), std::vector<std::string>{"config.dat"});
}

TEST_F(ProfileFileTest, IgnoresATemporaryFileLeftByACrash) {
  // What a crash just before the rename leaves: the old file whole, the new one beside it.
  WriteBytes(m_path, "[SETTING]\r\nLAST_CODE=old\r\nLAST_AIC_CODE=aic\r\n");
  const std::string stray = m_path + ".Xq3k9Z";
  const std::string strayContent = "[SETTING]\r\nLAST_CODE=new\r\nLAST_AIC_CODE=aic\r\n";
  WriteBytes(stray, strayContent);

  // The next start reads the old code and the next write goes through, beside the stray file.
  EXPECT_EQ(GetProfileString(m_path, "SETTING", "LAST_CODE", "dflt"), "old");
  ASSERT_TRUE(WriteProfileString(m_path, "SETTING", "LAST_CODE", "newer"));
  EXPECT_EQ(ReadBytes(m_path), "[SETTING]\r\nLAST_CODE=newer\r\nLAST_AIC_CODE=aic\r\n");
  EXPECT_EQ(ReadBytes(stray), strayContent);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"config.dat", "config.dat.Xq3k9Z"}));
}

}  // namespace
