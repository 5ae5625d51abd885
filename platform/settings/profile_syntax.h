// The rules of a private-profile line that every backend of profile_file.h applies alike: which
// names and values can be stored so that they read back as the same, and how a value is stored so
// that the reader's trimming and unquoting give it back unchanged. Blanks are space and tab; a
// quoted value is one of two or more characters with the same quote (" or ') at both ends.
//
//   IsBlank / Trim          the blanks the reader drops around names and values
//   Unquote                 the value inside one pair of matching quotes, as the reader takes it
//   IsStorableSectionName   non-empty, no blank at either end, no CR, LF or NUL
//   IsStorableKey           the same, and no '=', no leading ';' or '['
//   IsStorableValue         no CR, LF or NUL
//   StoredValue             the value as written: in double quotes exactly when the reader would
//                           otherwise change it
#pragma once

#include <string>
#include <string_view>

// In a namespace of their own: other readers in platform/ have blanks and trims of their own.
namespace platform::profile {

bool IsBlank(char c);
std::string_view Trim(std::string_view text);
std::string_view Unquote(std::string_view value);

bool IsStorableSectionName(std::string_view name);
bool IsStorableKey(std::string_view key);
bool IsStorableValue(std::string_view value);

std::string StoredValue(std::string_view value);

}  // namespace platform::profile
