#include "panel/qt/panel_dlg.h"

#include "panel/panel_dialog.h"

#include <QApplication>
#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <map>

#include "panel/qt/message_box.h"
#include "platform/dialog/dialog_units.h"
#include "platform/dialog/qt_text.h"
#include "platform/dialog/resources.h"

namespace {

std::map<int, platform::ControlFactory> TouchFields() {
  const platform::ControlFactory touch = [](QWidget* parent) -> QWidget* {
    return new CTouchEdit(parent);
  };
  return {{static_cast<int>(ControlId::CartonCode), touch},
          {static_cast<int>(ControlId::LeafletCode), touch}};
}

void SetTextColour(QWidget* widget, QPalette::ColorRole role, Rgb rgb) {
  const QColor colour(rgb.red, rgb.green, rgb.blue);
  QPalette palette = widget->palette();
  // Disabled controls keep the system's grey.
  palette.setColor(QPalette::Active, role, colour);
  palette.setColor(QPalette::Inactive, role, colour);
  widget->setPalette(palette);
}

}  // namespace

CPanelDlg::CPanelDlg(LastCodes codes, PanelServices services, QWidget* parent)
    : platform::TemplateDialog(res::kPanelTemplateId, parent, TouchFields()),
      m_hIcon(platform::ResourceIcon(kPanelIcon)),
      m_model(*this, codes, services) {
  DoDataExchange();
  // The tick is queued, so that it keeps arriving while an earlier tick's message box is open:
  // the finish step of a download runs inside that box.
  connect(
      &m_timer, &QTimer::timeout, this, [this] { m_model.OnTimer(); }, Qt::QueuedConnection);
  if (m_btnSendCarton == nullptr)
    return;  // no template: DoModal refuses to run
  connect(m_btnSendCarton, &QPushButton::clicked, this, [this] { m_model.OnSendCartonCode(); });
  connect(m_btnSendLeaflet, &QPushButton::clicked, this, [this] { m_model.OnSendLeafletCode(); });
  connect(m_btnExit, &QPushButton::clicked, this, [this] { m_model.OnExitToDesktop(); });
  connect(m_btnPowerOff, &QPushButton::clicked, this, [this] { m_model.OnPowerOff(); });
}

CPanelDlg::~CPanelDlg() = default;

void CPanelDlg::DoDataExchange() {
  m_editCartonCode = GetControl<CTouchEdit>(static_cast<int>(ControlId::CartonCode));
  m_editLeafletCode = GetControl<CTouchEdit>(static_cast<int>(ControlId::LeafletCode));
  m_btnSendCarton = GetControl<QPushButton>(static_cast<int>(ControlId::SendCarton));
  m_btnSendLeaflet = GetControl<QPushButton>(static_cast<int>(ControlId::SendLeaflet));
  m_listLog = GetControl<QListWidget>(kLogList);
  m_btnExit = GetControl<QPushButton>(static_cast<int>(ControlId::Exit));
  m_btnPowerOff = GetControl<QPushButton>(static_cast<int>(ControlId::PowerOff));
}

int CPanelDlg::DoModal() {
  const int result = platform::TemplateDialog::DoModal();
  m_model.OnDestroy();
  return result;
}

bool CPanelDlg::OnInitDialog() {
  platform::TemplateDialog::OnInitDialog();
  m_model.OnInitDialog();
  OnCtlColor();
  return true;  // the focus goes to the first tab stop, the upper send button
}

void CPanelDlg::OnCtlColor() {
  for (const ControlColour& colour : kPanelTextColours) {
    QWidget* control = GetControl(colour.id);
    if (control == nullptr)
      continue;
    // A label's text is its window text; an edit's and a list's, the text of their contents.
    const bool label = qobject_cast<QLabel*>(control) != nullptr;
    SetTextColour(control, label ? QPalette::WindowText : QPalette::Text, colour.text);
  }
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
  const IconOrigin origin = MinimisedIconOrigin(width(), height(), size, size);
  m_hIcon.paint(&painter, origin.x, origin.y, size, size);
}

void CPanelDlg::CreatePanelFont(const PanelFont& font) {
  const int weight = font.weight == kDialogFontWeight ? this->font().weight() : font.weight;
  auto made = std::make_unique<QFont>(
      platform::CellHeightFont(QString::fromLatin1(font.face), font.height, weight));
  for (const int id : font.controls) {
    if (QWidget* control = GetControl(id))
      control->setFont(*made);
  }
  (font.role == PanelFontRole::Label ? m_pLabelFont : m_pCodeFont) = std::move(made);
}

void CPanelDlg::DeleteFonts() {
  m_pCodeFont.reset();
  m_pLabelFont.reset();
}

void CPanelDlg::SetIcons() {
  setWindowIcon(m_hIcon);
}

TouchField& CPanelDlg::CodeField(CodeKind kind) {
  return kind == CodeKind::Carton ? *m_editCartonCode : *m_editLeafletCode;
}

std::string CPanelDlg::GetText(int id) {
  if (auto* edit = GetControl<QLineEdit>(id))
    return platform::ToCp1252(edit->text());
  if (auto* label = GetControl<QLabel>(id))
    return platform::ToCp1252(label->text());
  return {};
}

void CPanelDlg::SetText(int id, const std::string& text) {
  if (auto* edit = GetControl<QLineEdit>(id))
    edit->setText(platform::ToQString(text));
  else if (auto* label = GetControl<QLabel>(id))
    label->setText(platform::ToQString(text));
}

void CPanelDlg::EnableControl(int id, bool enable) {
  if (QWidget* widget = GetControl(id))
    widget->setEnabled(enable);
}

void CPanelDlg::SetFocus(int id) {
  if (QWidget* widget = GetControl(id))
    widget->setFocus(Qt::OtherFocusReason);
}

BoxResult CPanelDlg::ShowBox(const std::string& text, BoxIcon icon, BoxButtons buttons) {
  return ShowMessageBox(this, platform::ToQString(text), icon, buttons);
}

std::uint32_t CPanelDlg::SetTimer(std::uint32_t id, std::uint32_t periodMs) {
  m_timer.start(static_cast<int>(periodMs));
  return m_timer.isActive() ? id : 0;
}

void CPanelDlg::KillTimer(std::uint32_t /*id*/) {
  m_timer.stop();  // the panel has one timer
}

void CPanelDlg::ResetLog() {
  m_listLog->clear();
}

int CPanelDlg::LogCount() {
  return m_listLog->count();
}

void CPanelDlg::InsertLogLine(int index, const std::string& line) {
  m_listLog->insertItem(index, platform::ToQString(line));
}

void CPanelDlg::SetLogTopIndex(int index) {
  if (QListWidgetItem* item = m_listLog->item(index))
    m_listLog->scrollToItem(item, QAbstractItemView::PositionAtTop);
}

void CPanelDlg::EndDialog(int result) {
  platform::TemplateDialog::EndDialog(result);
}

void RunPanelDialog(LastCodes codes, const PanelServices& services) {
  CPanelDlg panel(codes, services);
  panel.DoModal();
}
