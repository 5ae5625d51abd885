// The settings file's interface on this system's backend: the same cases run against the Linux
// backend and, in the Windows build under wine, against the Windows one, there also on a system
// whose code page is not Windows-1252.
// The bytes a write leaves are compared with what the other system's backend writes, so that a
// config.dat either one wrote reads the same on the other.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "platform/settings/profile_file.h"

namespace {

namespace fs = std::filesystem;
using platform::GetProfileString;
using platform::WriteProfileString;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// Every Windows-1252 byte above ASCII, in order: a code of 128 bytes.
std::string HighBytes() {
  std::string bytes;
  for (int byte = 0x80; byte <= 0xFF; ++byte)
    bytes.push_back(static_cast<char>(byte));
  return bytes;
}

// A fresh folder per test, with full paths in it: the Windows calls look for a bare name in the
// Windows folder.
class ProfileBackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    m_dir = fs::temp_directory_path() /
            ("codepanel_profile_" + std::to_string(random()) + "_" + std::to_string(random()));
    ASSERT_TRUE(fs::create_directory(m_dir));
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(m_dir, ignored);
  }
  // A new file name for each use, so that no backend can answer from what it read before.
  std::string Path(const std::string& name) const { return (m_dir / name).string(); }

  fs::path m_dir;
};

TEST_F(ProfileBackendTest, KeepsWindows1252BytesExactly) {
  const std::string path = Path("config.dat");
  const std::string accents = "\xE0\xE8\xA7";
  const std::string high = HighBytes();
  ASSERT_EQ(high.size(), 128u);
  ASSERT_TRUE(WriteProfileString(path, "SETTING", "LAST_CODE", accents));
  ASSERT_TRUE(WriteProfileString(path, "SETTING", "LAST_AIC_CODE", high));

  EXPECT_EQ(GetProfileString(path, "SETTING", "LAST_CODE", "none"), accents);
  EXPECT_EQ(GetProfileString(path, "SETTING", "LAST_AIC_CODE", "none"), high);
  // Byte for byte what the other system's backend writes: CRLF, "[SECTION]", "KEY=value", the
  // keys in the order written, the bytes never re-encoded.
  EXPECT_EQ(ReadBytes(path),
            "[SETTING]\r\nLAST_CODE=" + accents + "\r\nLAST_AIC_CODE=" + high + "\r\n");

  // And a file holding those bytes, as the other system wrote it, reads them back.
  const std::string other = Path("other.dat");
  WriteBytes(other, "[SETTING]\r\nLAST_CODE=" + high + "\r\nLAST_AIC_CODE=" + accents + "\r\n");
  EXPECT_EQ(GetProfileString(other, "SETTING", "LAST_CODE", "none"), high);
  EXPECT_EQ(GetProfileString(other, "SETTING", "LAST_AIC_CODE", "none"), accents);
}

TEST_F(ProfileBackendTest, WritingAKeyKeepsEveryOtherOne) {
  const std::string path = Path("config.dat");
  ASSERT_TRUE(WriteProfileString(path, "SETTING", "LAST_CODE", "ABC123"));
  ASSERT_TRUE(WriteProfileString(path, "SETTING", "LAST_AIC_CODE", "XYZ"));
  ASSERT_TRUE(WriteProfileString(path, "OTHER", "LAST_CODE", "elsewhere"));
  ASSERT_TRUE(WriteProfileString(path, "SETTING", "LAST_CODE", "DEF"));
  ASSERT_TRUE(WriteProfileString(path, "SETTING", "LAST_AIC_CODE", ""));

  EXPECT_EQ(GetProfileString(path, "SETTING", "LAST_CODE", "none"), "DEF");
  EXPECT_EQ(GetProfileString(path, "SETTING", "LAST_AIC_CODE", "none"), "");
  EXPECT_EQ(GetProfileString(path, "OTHER", "LAST_CODE", "none"), "elsewhere");
  EXPECT_EQ(ReadBytes(path),
            "[SETTING]\r\nLAST_CODE=DEF\r\nLAST_AIC_CODE=\r\n[OTHER]\r\nLAST_CODE=elsewhere\r\n");
}

TEST_F(ProfileBackendTest, MatchesNamesWithoutRegardToAsciiCase) {
  const std::string path = Path("config.dat");
  WriteBytes(path, "[Setting]\r\nLast_Code=abc\r\n");
  EXPECT_EQ(GetProfileString(path, "SETTING", "LAST_CODE", "none"), "abc");
  EXPECT_EQ(GetProfileString(path, "setting", "last_code", "none"), "abc");

  // A write in other letters changes the file's own line, spelled as the file spells it.
  ASSERT_TRUE(WriteProfileString(path, "SETTING", "LAST_CODE", "xyz"));
  ASSERT_TRUE(WriteProfileString(path, "setting", "LAST_AIC_CODE", "q"));
  EXPECT_EQ(ReadBytes(path), "[Setting]\r\nLast_Code=xyz\r\nLAST_AIC_CODE=q\r\n");
  EXPECT_EQ(GetProfileString(path, "sEtTiNg", "last_aic_code", "none"), "q");
}

TEST_F(ProfileBackendTest, GivesTheDefaultForAMissingFileSectionOrKey) {
  const std::string path = Path("config.dat");
  EXPECT_EQ(GetProfileString(Path("missing.dat"), "SETTING", "LAST_CODE", "dflt"), "dflt");
  EXPECT_EQ(GetProfileString((m_dir / "no folder" / "config.dat").string(), "SETTING", "LAST_CODE",
                             "dflt"),
            "dflt");
  WriteBytes(path, "[OTHER]\r\nLAST_CODE=x\r\n[SETTING]\r\nLAST_AIC_CODE=y\r\n");
  EXPECT_EQ(GetProfileString(path, "MISSING", "LAST_CODE", "dflt"), "dflt");
  EXPECT_EQ(GetProfileString(path, "SETTING", "LAST_CODE", "dflt"), "dflt");
  EXPECT_EQ(GetProfileString(path, "SETTING", "LAST_CODE", ""), "");
  EXPECT_EQ(GetProfileString(path, "SETTING", "LAST_AIC_CODE", "dflt"), "y");
  // A name holding a NUL is none a caller could ask for: it must not match the name before it.
  EXPECT_EQ(GetProfileString(path, std::string("SETTING\0X", 9), "LAST_AIC_CODE", "dflt"), "dflt");
  EXPECT_EQ(GetProfileString(path, "SETTING", std::string("LAST_AIC_CODE\0X", 15), "dflt"), "dflt");
}

TEST_F(ProfileBackendTest, CutsAValueOrTheDefaultToBufferSizeLessOne) {
  const std::string path = Path("config.dat");
  const std::string code(40, 'C');
  ASSERT_TRUE(WriteProfileString(path, "SETTING", "LAST_CODE", code));
  const std::pair<std::size_t, std::size_t> cases[] = {{41, 40}, {40, 39}, {10, 9}, {2, 1}, {1, 0}};
  for (const auto& [bufferSize, length] : cases) {
    SCOPED_TRACE(bufferSize);
    EXPECT_EQ(GetProfileString(path, "SETTING", "LAST_CODE", "none", bufferSize),
              code.substr(0, length));
    EXPECT_EQ(GetProfileString(path, "SETTING", "MISSING", code, bufferSize),
              code.substr(0, length));
  }
  // The callers' buffer: 256, so a 255-byte code is whole and a longer one is cut.
  const std::string longCode(300, 'L');
  ASSERT_TRUE(WriteProfileString(path, "SETTING", "LAST_AIC_CODE", longCode));
  EXPECT_EQ(GetProfileString(path, "SETTING", "LAST_AIC_CODE", "", 256), longCode.substr(0, 255));
}

TEST_F(ProfileBackendTest, KeepsBlanksAndQuotesAtTheEndsOfAValue) {
  const std::string path = Path("config.dat");
  const std::string values[] = {" lead", "trail\t", "\"quoted\"", "'single'", "\"", "a\"b"};
  for (const std::string& value : values) {
    SCOPED_TRACE("<" + value + ">");
    ASSERT_TRUE(WriteProfileString(path, "SETTING", "LAST_CODE", value));
    EXPECT_EQ(GetProfileString(path, "SETTING", "LAST_CODE", "none"), value);
  }
}

TEST_F(ProfileBackendTest, RefusesWhatCannotBeStoredOrWritten) {
  const std::string path = Path("config.dat");
  WriteBytes(path, "[SETTING]\r\nLAST_CODE=old\r\n");
  struct Case {
    std::string section;
    std::string key;
    std::string value;
  };
  const Case refused[] = {
      {"SETTING", "LAST_CODE", "A\r\nB"},
      {"SETTING", "LAST_CODE", std::string("A\0B", 3)},
      {"", "LAST_CODE", "x"},
      {"SETTING", "LAST=CODE", "x"},
      {"SETTING", " LAST_CODE", "x"},
  };
  for (const Case& c : refused) {
    SCOPED_TRACE("[" + c.section + "] <" + c.key + ">");
    platform::WriteStatus status;
    EXPECT_FALSE(WriteProfileString(path, c.section, c.key, c.value, status));
    EXPECT_EQ(status.error, EINVAL);
  }
  EXPECT_EQ(ReadBytes(path), "[SETTING]\r\nLAST_CODE=old\r\n");

  // A missing folder, and a folder where the file should be, each with the cause the callers name.
  const std::pair<std::string, int> unwritable[] = {
      {(m_dir / "missing" / "config.dat").string(), ENOENT},
      {m_dir.string(), EISDIR},
  };
  for (const auto& [where, error] : unwritable) {
    SCOPED_TRACE(where);
    platform::WriteStatus status;
    EXPECT_FALSE(WriteProfileString(where, "SETTING", "LAST_CODE", "x", status));
    EXPECT_EQ(status.error, error);
  }
  EXPECT_FALSE(fs::exists(m_dir / "missing"));

  platform::WriteStatus status;
  EXPECT_TRUE(WriteProfileString(path, "SETTING", "LAST_CODE", "new", status));
  EXPECT_TRUE(status.ok());
}

}  // namespace
