#include "panel/panel_dlg.h"

#include <QApplication>
#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <map>

#include "app/shutdown.h"
#include "panel/message_box.h"
#include "platform/dialog/dialog_units.h"
#include "platform/dialog/qt_text.h"
#include "platform/dialog/resources.h"
#include "platform/process/process_control.h"

namespace {

constexpr int kCartonLabel = 1005;
constexpr int kLeafletLabel = 1006;
constexpr int kLog = 1007;
constexpr int kRevision = 1008;
constexpr int kPanelIcon = 128;

constexpr char kRevisionText[] = "rev. 1,0,0,3";
constexpr char kPanelFace[] = "Tahoma";
constexpr int kLabelCellHeight = 18;
constexpr int kCodeCellHeight = 20;
constexpr int kCodeWeight = 700;

// Longest code a download accepts, and the fill the fields use for numbers (never in text).
constexpr int kCodeMaxLen = 31;
constexpr char kCodeFill = '?';

const QColor kFieldTextColour(200, 0, 0);
const QColor kLabelTextColour(0, 0, 200);

std::map<int, platform::ControlFactory> TouchFields() {
  const platform::ControlFactory touch = [](QWidget* parent) -> QWidget* {
    return new CTouchEdit(parent);
  };
  return {{static_cast<int>(ControlId::CartonCode), touch},
          {static_cast<int>(ControlId::LeafletCode), touch}};
}

void SetTextColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
  QPalette palette = widget->palette();
  // Disabled controls keep the system's grey.
  palette.setColor(QPalette::Active, role, colour);
  palette.setColor(QPalette::Inactive, role, colour);
  widget->setPalette(palette);
}

}  // namespace

CPanelDlg::CPanelDlg(LastCodes codes, PanelServices services, QWidget* parent)
    : platform::TemplateDialog(res::kPanelTemplateId, parent, TouchFields()),
      m_codes(codes),
      m_processes(services.processes),
      m_hIcon(platform::ResourceIcon(kPanelIcon)),
      m_download(*this, services.devices, services.clock, services.recorder) {
  DoDataExchange();
  // The tick is queued, so that it keeps arriving while an earlier tick's message box is open:
  // the finish step of a download runs inside that box.
  connect(&m_timer, &QTimer::timeout, this, &CPanelDlg::OnTimer, Qt::QueuedConnection);
  if (m_btnSendCarton == nullptr)
    return;  // no template: DoModal refuses to run
  connect(m_btnSendCarton, &QPushButton::clicked, this, &CPanelDlg::OnSendCartonCode);
  connect(m_btnSendLeaflet, &QPushButton::clicked, this, &CPanelDlg::OnSendLeafletCode);
  connect(m_btnExit, &QPushButton::clicked, this, &CPanelDlg::OnExitToDesktop);
  connect(m_btnPowerOff, &QPushButton::clicked, this, &CPanelDlg::OnPowerOff);
}

CPanelDlg::~CPanelDlg() = default;

void CPanelDlg::DoDataExchange() {
  m_editCartonCode = GetControl<CTouchEdit>(static_cast<int>(ControlId::CartonCode));
  m_editLeafletCode = GetControl<CTouchEdit>(static_cast<int>(ControlId::LeafletCode));
  m_btnSendCarton = GetControl<QPushButton>(static_cast<int>(ControlId::SendCarton));
  m_btnSendLeaflet = GetControl<QPushButton>(static_cast<int>(ControlId::SendLeaflet));
  m_listLog = GetControl<QListWidget>(kLog);
  m_btnExit = GetControl<QPushButton>(static_cast<int>(ControlId::Exit));
  m_btnPowerOff = GetControl<QPushButton>(static_cast<int>(ControlId::PowerOff));
}

int CPanelDlg::DoModal() {
  const int result = platform::TemplateDialog::DoModal();
  OnDestroy();
  return result;
}

bool CPanelDlg::OnInitDialog() {
  platform::TemplateDialog::OnInitDialog();

  const QString face = QString::fromLatin1(kPanelFace);
  m_pLabelFont =
      std::make_unique<QFont>(platform::CellHeightFont(face, kLabelCellHeight, font().weight()));
  for (const int id : {kCartonLabel, kLeafletLabel})
    GetControl(id)->setFont(*m_pLabelFont);
  m_pCodeFont =
      std::make_unique<QFont>(platform::CellHeightFont(face, kCodeCellHeight, kCodeWeight));
  for (QWidget* control : std::initializer_list<QWidget*>{m_editCartonCode, m_btnSendCarton,
                                                          m_editLeafletCode, m_btnSendLeaflet})
    control->setFont(*m_pCodeFont);

  GetControl<QLabel>(kRevision)->setText(QString::fromLatin1(kRevisionText));
  setWindowIcon(m_hIcon);
  OnCtlColor();

  for (CTouchEdit* field : {m_editCartonCode, m_editLeafletCode}) {
    field->m_bKeyboard = true;
    field->m_format.m_nMaxLen = kCodeMaxLen;
    field->m_format.m_cFill = kCodeFill;
    if (field->m_value == 0) {
      field->m_value = reinterpret_cast<TouchValue>(new char[kTouchTextBufferSize]{});
      field->m_format.m_nKind = TE_TEXT;
    }
  }
  // As they stand: a stored code longer than a download takes is still shown whole.
  m_editCartonCode->setText(platform::ToQString(m_codes.carton));
  m_editLeafletCode->setText(platform::ToQString(m_codes.leaflet));
  return true;  // the focus goes to the first tab stop, the upper send button
}

void CPanelDlg::OnCtlColor() {
  for (CTouchEdit* field : {m_editCartonCode, m_editLeafletCode})
    SetTextColour(field, QPalette::Text, kFieldTextColour);
  for (const int id : {kCartonLabel, kLeafletLabel})
    SetTextColour(GetControl(id), QPalette::WindowText, kLabelTextColour);
  SetTextColour(m_listLog, QPalette::Text, kLabelTextColour);
}

// Enter and Escape never press a button and never end the panel, whatever has the focus.
bool CPanelDlg::PreTranslateKey(QKeyEvent& event) {
  if (event.type() != QEvent::KeyPress)
    return false;
  return event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter ||
         event.key() == Qt::Key_Escape;
}

void CPanelDlg::paintEvent(QPaintEvent* event) {
  if (!isMinimized()) {
    platform::TemplateDialog::paintEvent(event);
    return;
  }
  // Minimised where the window system still paints the client area: the icon in its middle.
  QPainter painter(this);
  const int size = style()->pixelMetric(QStyle::PM_LargeIconSize);
  const int x = (width() - size + 1) / 2;
  const int y = (height() - size + 1) / 2;
  m_hIcon.paint(&painter, x, y, size, size);
}

void CPanelDlg::OnDestroy() {
  m_codes.carton = platform::ToCp1252(m_editCartonCode->text());
  m_codes.leaflet = platform::ToCp1252(m_editLeafletCode->text());
  m_pCodeFont.reset();
  m_pLabelFont.reset();
}

void CPanelDlg::OnExitToDesktop() {
  if (ShowMessageBox(this, platform::LoadText(147), BoxIcon::Question, BoxButtons::OkCancel) ==
      BoxResult::Ok)
    EndDialog(0);
}

// The panel stays open and the settings are not written: the system ends the program.
void CPanelDlg::OnPowerOff() {
  if (ShowMessageBox(this, platform::LoadText(148), BoxIcon::Question, BoxButtons::OkCancel) ==
      BoxResult::Ok)
    ShutdownSystem(platform::EWX_SHUTDOWN | platform::EWX_FORCE, m_processes);
}

std::string CPanelDlg::CodeFieldText(CodeKind kind) {
  const CTouchEdit* field = kind == CodeKind::Carton ? m_editCartonCode : m_editLeafletCode;
  return platform::ToCp1252(field->text());
}

BoxResult CPanelDlg::MessageBox(const std::string& text, BoxIcon icon, BoxButtons buttons) {
  return ShowMessageBox(this, platform::ToQString(text), icon, buttons);
}

std::uint32_t CPanelDlg::StartTimer(std::uint32_t id, std::uint32_t periodMs) {
  m_timer.start(static_cast<int>(periodMs));
  if (!m_timer.isActive())
    return 0;
  if (!m_fineTimer)
    m_fineTimer.emplace();
  return id;
}

void CPanelDlg::StopTimer(std::uint32_t /*timerId*/) {
  m_timer.stop();  // the panel has one timer
  m_fineTimer.reset();
}

void CPanelDlg::EnableControl(ControlId control, bool enable) {
  if (QWidget* widget = GetControl(static_cast<int>(control)))
    widget->setEnabled(enable);
}

void CPanelDlg::SetFocus(ControlId control) {
  if (QWidget* widget = GetControl(static_cast<int>(control)))
    widget->setFocus(Qt::OtherFocusReason);
}

void CPanelDlg::ClearLog() {
  m_listLog->clear();
}

// Inserted at an explicit position after the last line, never sorted, and brought to the top of
// the view as far as the list scrolls, so the newest line is always in sight.
void CPanelDlg::AppendLog(const std::string& text) {
  const int row = m_listLog->count();
  m_listLog->insertItem(row, platform::ToQString(text));
  m_listLog->scrollToItem(m_listLog->item(row), QAbstractItemView::PositionAtTop);
}
