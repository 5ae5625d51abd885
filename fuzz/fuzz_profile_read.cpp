// The settings-file reader on arbitrary file bytes: the input is the whole file. A value read is
// what a C buffer of the given size would hold: at most size - 1 bytes, and never a NUL or a line
// break. Names match without regard to ASCII case, and a smaller buffer holds the start of what a
// larger one holds.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "fuzz/scratch_folder.h"
#include "platform/settings/profile_file.h"

namespace {

const std::string kDefault = "-";

std::string Read(const std::string& section, const std::string& key, std::size_t bufferSize) {
  const std::string value =
      platform::GetProfileString(fuzz::ScratchFile(), section, key, kDefault, bufferSize);
  FUZZ_CHECK(value.size() + 1 <= (bufferSize == 0 ? 1 : bufferSize),
             "a value longer than its buffer can hold");
  FUZZ_CHECK(value.find_first_of(std::string_view("\0\r\n", 3)) == std::string::npos,
             "a value holding a NUL, CR or LF");
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view file(reinterpret_cast<const char*>(data), size);
  FUZZ_CHECK(fuzz::PutFile(fuzz::ScratchFile(), file), "cannot write the scratch file");

  const std::string code = Read("SETTING", "LAST_CODE", 256);
  Read("SETTING", "LAST_AIC_CODE", 256);

  // The input's length picks the small buffer, so every size from 0 to 33 comes up.
  const std::size_t small = size % 34;
  const std::string start = Read("setting", "Last_Code", small);
  FUZZ_CHECK(start == code.substr(0, small == 0 ? 0 : small - 1),
             "another spelling of the names or a smaller buffer gave another value");
  return 0;
}
