// CPanelDlg: the operator panel in Qt, the program's only main window. It builds template 102 (the
// two touch code fields with their "Invia a scanner" buttons, the communication log and the two
// ways out) and routes its messages to the panel's rules (panel/panel_model.h), which host the
// code download procedure: the procedure's tick, boxes, controls and log are the panel's.
#pragma once

#include <QIcon>
#include <QTimer>
#include <memory>
#include <string>

#include "panel/panel_model.h"
#include "panel/qt/touch_edit.h"
#include "platform/dialog/template_dialog.h"

class QFont;
class QListWidget;
class QPushButton;

class CPanelDlg : public platform::TemplateDialog, private PanelView {
  Q_OBJECT

 public:
  CPanelDlg(LastCodes codes, PanelServices services, QWidget* parent = nullptr);
  ~CPanelDlg() override;

  // Runs the panel modally, then its destroy handler.
  int DoModal();
  // Ends the modal run with `result`, as the base does; also what the shared rules call.
  void EndDialog(int result) override;

  // The log operations on list 1007.
  void ClearLog() { m_model.ClearLog(); }
  void AppendLog(const std::string& text) { m_model.AppendLog(text); }
  void AppendLog(unsigned stringId) { m_model.AppendLog(stringId); }

  const CDownloadProcedure& Download() const { return m_model.Download(); }

 protected:
  bool OnInitDialog() override;
  bool PreTranslateKey(QKeyEvent& event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void DoDataExchange();
  void OnCtlColor();
  QIcon OnQueryDragIcon() const { return m_hIcon; }

  // PanelView
  void CreatePanelFont(const PanelFont& font) override;
  void DeleteFonts() override;
  void SetIcons() override;
  TouchField& CodeField(CodeKind kind) override;
  std::string GetText(int id) override;
  void SetText(int id, const std::string& text) override;
  void EnableControl(int id, bool enable) override;
  void SetFocus(int id) override;
  BoxResult ShowBox(const std::string& text, BoxIcon icon, BoxButtons buttons) override;
  std::uint32_t SetTimer(std::uint32_t id, std::uint32_t periodMs) override;
  void KillTimer(std::uint32_t id) override;
  void ResetLog() override;
  int LogCount() override;
  void InsertLogLine(int index, const std::string& line) override;
  void SetLogTopIndex(int index) override;

  QIcon m_hIcon;
  PanelModel m_model;  // the download's state, step and serial port among the panel's rules
  QTimer m_timer;
  std::unique_ptr<QFont> m_pCodeFont;
  std::unique_ptr<QFont> m_pLabelFont;
  CTouchEdit* m_editCartonCode = nullptr;
  CTouchEdit* m_editLeafletCode = nullptr;
  QPushButton* m_btnSendCarton = nullptr;
  QPushButton* m_btnSendLeaflet = nullptr;
  QListWidget* m_listLog = nullptr;
  QPushButton* m_btnExit = nullptr;
  QPushButton* m_btnPowerOff = nullptr;
};
