#include "panel/touch_field.h"

#include <algorithm>
#include <vector>

TouchField::~TouchField() {
  if (m_format.m_nKind == TE_TEXT)
    delete[] TextBuffer();
}

bool TouchField::ReadValue(const std::string& windowText) {
  if (m_format.m_nKind == TE_TEXT) {
    if (TextBuffer() == nullptr)
      return false;
    // A longer text (codes from the settings file are not checked) is cut to the buffer.
    StrCopyN(TextBuffer(), windowText.c_str(), kTouchTextBufferSize);
    return true;
  }
  return ParseNumber(windowText.c_str(), m_format, m_value);
}

bool TouchField::ShowValue(std::string& windowText) const {
  if (m_format.m_nKind == TE_TEXT) {
    if (TextBuffer() == nullptr)
      return false;
    windowText = TextBuffer();
    return true;
  }
  const int width = std::max(m_format.m_nMaxLen, 0);
  std::vector<char> scratch(static_cast<std::size_t>(width) + 1, '\0');
  if (!FormatNumber(m_value, m_format, scratch.data(), width))
    return false;
  windowText = scratch.data();
  return true;
}
