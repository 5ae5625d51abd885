#include "panel_fixture.h"

#include <QListWidget>
#include <QPushButton>

#include "platform/dialog/qt_text.h"

PanelTest::PanelTest() {
  for (const auto& [command, reply] :
       std::vector<std::pair<std::string, std::string>>{{"\x1B[C", "\x1BH\r\n"},
                                                        {"\x1B[B", "\x1BP\r\n"},
                                                        {"\x1BIA ", "\x1BK\r\n"},
                                                        {"\x1B[A", "\x1BX\r\n"}}) {
    com1.ReplyTo(command, {{0, reply}});
  }
}

void PanelTest::Open() {
  panel.OnInitDialog();
  panel.show();
  panel.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
}

void PanelTest::AnswerBoxes(std::vector<QString> next) {
  answers = std::move(next);
  driver = std::make_unique<test_support::ModalDriver>(
      [this](QDialog& dialog) {
        auto* box = qobject_cast<QMessageBox*>(&dialog);
        if (box == nullptr)
          return;
        SeenBox seen{platform::ToCp1252(box->text()), box->icon(), box->windowTitle(), {}, {}};
        for (QAbstractButton* button : box->buttons())
          seen.buttons.push_back(button->text());
        if (box->defaultButton() != nullptr)
          seen.defaultButton = box->defaultButton()->text();
        boxes.push_back(seen);
        QString answer = QStringLiteral("OK");
        if (!answers.empty()) {
          answer = answers.front();
          answers.erase(answers.begin());
        }
        for (QAbstractButton* button : box->buttons()) {
          if (button->text() == answer) {
            button->click();
            return;
          }
        }
        ADD_FAILURE() << "no button " << answer.toStdString();
        box->done(QMessageBox::Cancel);
      },
      std::chrono::seconds(20));
}

bool PanelTest::WaitForLogLine(const std::string& line, int ms) {
  return QTest::qWaitFor(
      [&] {
        const auto log = Log();
        return !log.empty() && log.back() == line;
      },
      ms);
}

std::vector<std::string> PanelTest::Log() const {
  const auto* list = static_cast<QListWidget*>(Control(1007));
  std::vector<std::string> lines;
  for (int row = 0; row < list->count(); ++row)
    lines.push_back(platform::ToCp1252(list->item(row)->text()));
  return lines;
}

std::vector<bool> PanelTest::ControlsEnabled() const {
  std::vector<bool> enabled;
  for (const int id : {1003, 1004, 1000, 1001, 1010, 1011})
    enabled.push_back(Control(id)->isEnabled());
  return enabled;
}
