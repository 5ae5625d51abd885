#include "platform/settings/profile_encoding.h"

#include <cstdint>

#include "platform/text/cp1252.h"

namespace platform {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char32_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

std::string Utf16LeToWtf8(std::string_view bytes) {
  const std::size_t units = bytes.size() / 2;  // an odd last byte is dropped
  const auto unitAt = [bytes](std::size_t i) {
    return static_cast<char32_t>(static_cast<std::uint8_t>(bytes[2 * i]) |
                                 (static_cast<std::uint8_t>(bytes[2 * i + 1]) << 8));
  };
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < units; ++i) {
    char32_t ch = unitAt(i);
    if (IsHighSurrogate(ch) && i + 1 < units && IsLowSurrogate(unitAt(i + 1))) {
      ch = 0x10000 + ((ch - 0xD800) << 10) + (unitAt(i + 1) - 0xDC00);
      ++i;
    }
    AppendUtf8(ch, out);
  }
  return out;
}

void AppendUtf16Le(char32_t unit, std::string& out) {
  out += static_cast<char>(unit & 0xFF);
  out += static_cast<char>(unit >> 8);
}

std::string Wtf8ToUtf16Le(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  std::size_t pos = 0;
  while (pos < text.size()) {
    char32_t ch = 0;
    if (!DecodeUtf8(text, pos, ch, true)) {
      // The text comes from a UTF-16 file and from Windows-1252, so this cannot happen; should it,
      // the byte is a character that cannot be read, never a crash.
      ch = kReplacement;
      ++pos;
    }
    if (ch >= 0x10000) {
      AppendUtf16Le(0xD800 + ((ch - 0x10000) >> 10), out);
      AppendUtf16Le(0xDC00 + ((ch - 0x10000) & 0x3FF), out);
    } else {
      AppendUtf16Le(ch, out);
    }
  }
  return out;
}

}  // namespace

ProfileText DecodeProfile(std::string_view file) {
  if (file.starts_with(kUtf16LeMark))
    return {ProfileEncoding::kUtf16Le, Utf16LeToWtf8(file.substr(kUtf16LeMark.size()))};
  if (file.starts_with(kUtf8Mark))
    return {ProfileEncoding::kUtf8, std::string(file.substr(kUtf8Mark.size()))};
  return {ProfileEncoding::kWindows1252, std::string(file)};
}

std::string EncodeProfile(ProfileEncoding encoding, std::string_view text) {
  switch (encoding) {
    case ProfileEncoding::kUtf16Le:
      return std::string(kUtf16LeMark) + Wtf8ToUtf16Le(text);
    case ProfileEncoding::kUtf8:
      return std::string(kUtf8Mark) + std::string(text);
    case ProfileEncoding::kWindows1252:
      break;
  }
  return std::string(text);
}

std::string ToProfileText(ProfileEncoding encoding, std::string_view windows1252) {
  if (encoding == ProfileEncoding::kWindows1252)
    return std::string(windows1252);
  return Cp1252ToUtf8(windows1252);
}

std::string FromProfileText(ProfileEncoding encoding, std::string_view text) {
  if (encoding == ProfileEncoding::kWindows1252)
    return std::string(text);
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    char32_t ch = 0;
    if (!DecodeUtf8(text, pos, ch, true)) {
      out += '?';
      ++pos;
      continue;
    }
    const int byte = UnicodeToCp1252(ch);  // none for a surrogate
    out += byte < 0 ? '?' : static_cast<char>(byte);
  }
  return out;
}

}  // namespace platform
