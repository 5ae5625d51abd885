// The encodings a private-profile file comes in, and its text as the profile parser reads it.
//
// Windows' profile calls read and write a file that starts with a byte-order mark in that
// encoding: FF FE for UTF-16LE (Notepad's "Unicode"), EF BB BF for UTF-8. Any other file is
// Windows-1252 bytes and goes through untouched. The parser works on bytes and all its syntax is
// ASCII, so a marked file is handed to it as UTF-8, and names and values cross between the
// program's Windows-1252 bytes and UTF-8 at the edge, with '?' for a character Windows-1252 lacks
// (as Windows' own ANSI calls have it).
//
// UTF-16 text becomes UTF-8 without loss: a surrogate without its partner, which Notepad saves as
// it finds it, is kept as the three bytes UTF-8 would give its value (WTF-8), so a line holding
// one goes back to the file unchanged. An odd last byte of a UTF-16 file is half a character that
// nothing can read: it is dropped, so a file written back is whole UTF-16 again.
//
//   DecodeProfile    the file's encoding and its text after the mark
//   EncodeProfile    the mark and the text in that encoding, the file's bytes
//   ToProfileText    Windows-1252 bytes as text of that encoding
//   FromProfileText  text of that encoding as Windows-1252 bytes
#pragma once

#include <string>
#include <string_view>

namespace platform {

enum class ProfileEncoding {
  kWindows1252,  // no mark: the text is the file's bytes
  kUtf8,         // EF BB BF
  kUtf16Le,      // FF FE
};

struct ProfileText {
  ProfileEncoding encoding = ProfileEncoding::kWindows1252;
  std::string text;  // after the mark; UTF-8 (WTF-8 for UTF-16) for a marked file
};

ProfileText DecodeProfile(std::string_view file);
std::string EncodeProfile(ProfileEncoding encoding, std::string_view text);

// Lossless: every Windows-1252 byte has a character.
std::string ToProfileText(ProfileEncoding encoding, std::string_view windows1252);
// '?' for a character without a Windows-1252 byte, a lone surrogate, and each byte that starts no
// character (malformed UTF-8 in a UTF-8 file).
std::string FromProfileText(ProfileEncoding encoding, std::string_view text);

}  // namespace platform
