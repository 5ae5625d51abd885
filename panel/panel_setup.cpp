#include "panel/panel_setup.h"

#include "scanner/download_procedure.h"

static_assert(kCodeMaxLen == kMaxCodeLength, "a code field holds exactly what a download takes");

std::optional<Rgb> PanelTextColour(int id) {
  for (const ControlColour& colour : kPanelTextColours) {
    if (colour.id == id)
      return colour.text;
  }
  return std::nullopt;
}

void SetUpCodeField(TouchField& field) {
  field.m_bKeyboard = true;
  field.m_format.m_nMaxLen = kCodeMaxLen;
  field.m_format.m_cFill = kCodeFill;
  if (field.m_value == 0) {
    field.m_value = reinterpret_cast<TouchValue>(new char[kTouchTextBufferSize]{});
    field.m_format.m_nKind = TE_TEXT;
  }
}

IconOrigin MinimisedIconOrigin(int clientWidth, int clientHeight, int iconWidth, int iconHeight) {
  return {(clientWidth - iconWidth + 1) / 2, (clientHeight - iconHeight + 1) / 2};
}
