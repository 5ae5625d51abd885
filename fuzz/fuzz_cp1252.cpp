// Windows-1252 <-> UTF-8 on arbitrary bytes. The input is taken twice: as Windows-1252 text, which
// must survive the trip to UTF-8 and back; and as would-be UTF-8, which Utf8ToCp1252 must accept
// exactly when it is the UTF-8 form of some byte string, giving back that byte string.
//
// The judge of the second part parses the input with the 256 single-byte forms: UTF-8 is a prefix
// code, so at each place at most one byte's form fits, and the parse is unique.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "fuzz/fuzz_check.h"
#include "platform/text/cp1252.h"

namespace {

// Each byte's UTF-8 form, and the byte of each form.
struct Forms {
  std::array<std::string, 256> ofByte;
  std::unordered_map<std::string, char> byteOf;
};

const Forms& ByteForms() {
  static const Forms forms = [] {
    Forms table;
    for (int b = 0; b < 256; ++b) {
      const char byte = static_cast<char>(b);
      const std::string form = platform::Cp1252ToUtf8(std::string_view(&byte, 1));
      table.ofByte[static_cast<std::size_t>(b)] = form;
      table.byteOf[form] = byte;
    }
    FUZZ_CHECK(table.byteOf.size() == 256, "two bytes share one UTF-8 form");
    return table;
  }();
  return forms;
}

// The bytes whose forms make up the longest parsable start of the text; `complete` tells whether
// that start is the whole text.
std::string ParseForms(std::string_view text, bool& complete) {
  std::string bytes;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t length = 1;
    auto found = ByteForms().byteOf.end();
    for (; length <= 4 && at + length <= text.size(); ++length) {
      found = ByteForms().byteOf.find(std::string(text.substr(at, length)));
      if (found != ByteForms().byteOf.end())
        break;
    }
    if (found == ByteForms().byteOf.end())
      break;
    bytes.push_back(found->second);
    at += length;
  }
  complete = at == text.size();
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  const std::string utf8 = platform::Cp1252ToUtf8(input);
  FUZZ_CHECK(utf8.size() <= 3 * input.size(), "a byte took more than three UTF-8 bytes");
  std::string forms;
  for (const char c : input)
    forms += ByteForms().ofByte[static_cast<unsigned char>(c)];
  FUZZ_CHECK(utf8 == forms, "Cp1252ToUtf8 is not the concatenation of each byte's form");
  std::string back;
  FUZZ_CHECK(platform::Utf8ToCp1252(utf8, back), "Utf8ToCp1252 refused Cp1252ToUtf8's output");
  FUZZ_CHECK(back == input, "Windows-1252 bytes did not survive the trip to UTF-8 and back");

  bool parsable = false;
  const std::string parsed = ParseForms(input, parsable);
  std::string out;
  const bool accepted = platform::Utf8ToCp1252(input, out);
  FUZZ_CHECK(accepted == parsable, "Utf8ToCp1252 accepts other than what round-trips");
  FUZZ_CHECK(out == parsed, "Utf8ToCp1252 gave other bytes than those before the offending place");
  return 0;
}
