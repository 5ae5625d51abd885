#include "panel/panel_model.h"

#include "app/shutdown.h"
#include "platform/process/process_control.h"
#include "res/string_table.h"

namespace {

constexpr unsigned kExitQuestion = 147;
constexpr unsigned kPowerOffQuestion = 148;

int FieldId(CodeKind kind) {
  return static_cast<int>(kind == CodeKind::Carton ? ControlId::CartonCode
                                                   : ControlId::LeafletCode);
}

}  // namespace

PanelModel::PanelModel(PanelView& view, LastCodes codes, PanelServices services)
    : m_view(view),
      m_codes(codes),
      m_processes(services.processes),
      m_download(*this, services.devices, services.clock, services.recorder) {}

void PanelModel::OnInitDialog() {
  m_view.CreatePanelFont(kLabelFont);
  m_view.CreatePanelFont(kCodeFont);
  m_view.SetText(kRevisionLabel, kRevisionText);
  m_view.SetIcons();
  for (const CodeKind kind : {CodeKind::Carton, CodeKind::Leaflet})
    SetUpCodeField(m_view.CodeField(kind));
  // As they stand: a stored code longer than a download takes is still shown whole.
  m_view.SetText(FieldId(CodeKind::Carton), m_codes.carton);
  m_view.SetText(FieldId(CodeKind::Leaflet), m_codes.leaflet);
}

void PanelModel::OnDestroy() {
  m_codes.carton = m_view.GetText(FieldId(CodeKind::Carton));
  m_codes.leaflet = m_view.GetText(FieldId(CodeKind::Leaflet));
  m_view.DeleteFonts();
}

void PanelModel::OnExitToDesktop() {
  if (m_view.ShowBox(res::LoadString(kExitQuestion), BoxIcon::Question, BoxButtons::OkCancel) ==
      BoxResult::Ok)
    m_view.EndDialog(0);
}

// The panel stays open and the settings are not written: the system ends the program.
void PanelModel::OnPowerOff() {
  if (m_view.ShowBox(res::LoadString(kPowerOffQuestion), BoxIcon::Question, BoxButtons::OkCancel) ==
      BoxResult::Ok)
    ShutdownSystem(platform::EWX_SHUTDOWN | platform::EWX_FORCE, m_processes);
}

std::string PanelModel::CodeFieldText(CodeKind kind) {
  return m_view.GetText(FieldId(kind));
}

BoxResult PanelModel::MessageBox(const std::string& text, BoxIcon icon, BoxButtons buttons) {
  return m_view.ShowBox(text, icon, buttons);
}

std::uint32_t PanelModel::StartTimer(std::uint32_t id, std::uint32_t periodMs) {
  const std::uint32_t timer = m_view.SetTimer(id, periodMs);
  if (timer != 0 && !m_fineTimer)
    m_fineTimer.emplace();
  return timer;
}

void PanelModel::StopTimer(std::uint32_t timerId) {
  m_view.KillTimer(timerId);
  m_fineTimer.reset();
}

void PanelModel::EnableControl(ControlId control, bool enable) {
  m_view.EnableControl(static_cast<int>(control), enable);
}

void PanelModel::SetFocus(ControlId control) {
  m_view.SetFocus(static_cast<int>(control));
}

void PanelModel::ClearLog() {
  m_view.ResetLog();
}

// Inserted at an explicit position after the last line, never sorted, and brought to the top of
// the view as far as the list scrolls, so the newest line is always in sight.
void PanelModel::AppendLog(const std::string& line) {
  const int row = m_view.LogCount();
  m_view.InsertLogLine(row, line);
  m_view.SetLogTopIndex(row);
}
