#include "scanner/comm_log.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Render(const std::string& bytes) {
  return RenderBytes(reinterpret_cast<const std::uint8_t*>(bytes.c_str()));
}

TEST(CommLog, ByteNamesCoverEveryAsciiByte) {
  const char* controls[] = {"<NUL>", "<SOH>", "<STX>", "<ETX>", "<EOT>",  "<ENQ>", "<ACK>",
                            "<BEL>", "<BS>",  "<TAB>", "<LF>",  "<VT>",   "<FF>",  "<CR>",
                            "<SO>",  "<SI>",  "<DLE>", "<DC1>", "<DC2>",  "<DC3>", "<DC4>",
                            "<NAK>", "<SYN>", "<ETB>", "<CAN>", "<EM>",   "<SUB>", "<ESC>",
                            "<FS>",  "<GS>",  "<RS>",  "<US>",  "<SPACE>"};
  for (int b = 0; b <= 32; ++b)
    EXPECT_STREQ(kByteNames[b], controls[b]) << b;
  for (int b = 33; b <= 126; ++b)
    EXPECT_EQ(std::string(kByteNames[b]), std::string(1, char(b)));
  EXPECT_STREQ(kByteNames[127], "<DEL>");
}

TEST(CommLog, RenderingJoinsNamesAndStopsAtTheFirstNul) {
  EXPECT_EQ(Render("\x1B[C"), "<ESC>[C");
  EXPECT_EQ(Render("\x1BH\r\n"), "<ESC>H<CR><LF>");
  EXPECT_EQ(Render("\r\n\x1BH\r\n"), "<CR><LF><ESC>H<CR><LF>");
  EXPECT_EQ(Render("\x1BNi\x7F"), "<ESC>Ni<DEL>");
  EXPECT_EQ(Render("\x1BNC("), "<ESC>NC(");
  EXPECT_EQ(Render("\x1BIA "), "<ESC>IA<SPACE>");
  // "<CR>" typed as four characters and the byte 0D look the same.
  EXPECT_EQ(Render("<CR>"), Render("\r"));
  EXPECT_EQ(Render(std::string("AB\0CD", 5)), "AB");
  EXPECT_EQ(Render(""), "");
}

TEST(CommLog, HighBytesShowAsTheirCharacterOrTheirValue) {
  EXPECT_EQ(Render("\x1BND\xA3"), "<ESC>ND\xA3");  // the pound sign as itself
  EXPECT_EQ(Render("\x80\xE0\xFF"), "\x80\xE0\xFF");
  EXPECT_EQ(Render("\x81\x8D\x8F\x90\x9D"), "<81><8D><8F><90><9D>");
  EXPECT_EQ(Render("\xA0\xAD"), "<A0><AD>");
}

}  // namespace
