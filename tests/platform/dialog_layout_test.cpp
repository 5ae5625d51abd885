#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <cmath>
#include <iostream>
#include <string>
#include <vector>

#include "platform/dialog/dialog_builder.h"
#include "platform/dialog/dialog_units.h"
#include "platform/dialog/template_dialog.h"
#include "res/dialog_template.h"
#include "tests/support/modal_driver.h"

namespace {

using platform::TemplateDialog;

// Dialog units to pixels, worked out here from the font itself.
struct Expected {
  explicit Expected(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    horizontal = static_cast<int>(std::lround(letters / 52.0));
    // The cell height is pinned against the original's figures in DialogFontsAndUnits.
    vertical = platform::BaseUnitsOf(font).vertical;
  }
  int X(int dlu) const { return static_cast<int>(std::lround(dlu * horizontal / 4.0)); }
  int Y(int dlu) const { return static_cast<int>(std::lround(dlu * vertical / 8.0)); }
  QRect Rect(int x, int y, int w, int h) const { return QRect(X(x), Y(y), X(w), Y(h)); }
  int horizontal;
  int vertical;
};

TEST(DialogLayout, PanelControlsLieAtTheirConvertedRectangles) {
  TemplateDialog dialog(102);
  const Expected units(dialog.font());
  EXPECT_EQ(dialog.font().pixelSize(), 11);  // 8 points
  EXPECT_EQ(dialog.size(), QSize(units.X(423), units.Y(294)));
  EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint);

  // Rectangles as the panel's layout gives them, in dialog units.
  const std::pair<int, QRect> placed[] = {
      {1000, {309, 91, 105, 22}}, {1003, {7, 93, 294, 18}},   {1001, {309, 145, 105, 22}},
      {1004, {7, 147, 294, 18}},  {1005, {7, 79, 294, 11}},   {1006, {7, 133, 294, 11}},
      {1007, {7, 189, 409, 82}},  {1008, {315, 69, 100, 8}},  {1009, {7, 68, 157, 8}},
      {1010, {308, 274, 50, 13}}, {1011, {366, 274, 50, 13}},
  };
  for (const auto& [id, r] : placed) {
    const QWidget* widget = dialog.GetControl(id);
    ASSERT_NE(widget, nullptr) << id;
    EXPECT_EQ(widget->geometry(), units.Rect(r.x(), r.y(), r.width(), r.height())) << id;
  }
  // The banner's frame, the one control without an id.
  bool bannerFrame = false;
  for (const QLabel* label : dialog.findChildren<QLabel*>())
    bannerFrame |= label->geometry() == units.Rect(7, 7, 409, 58);
  EXPECT_TRUE(bannerFrame);
}

TEST(DialogLayout, KeyboardControlsLieAtTheirConvertedRectangles) {
  TemplateDialog dialog(129);
  const Expected units(dialog.font());
  EXPECT_EQ(dialog.Units().horizontal, units.horizontal);
  EXPECT_EQ(dialog.Units().vertical, units.vertical);
  EXPECT_EQ(dialog.size(), QSize(units.X(371), units.Y(134)));

  const res::DialogTemplate& keyboard = res::kKeyboardTemplate;
  ASSERT_EQ(keyboard.controls.size(), 4u + 26u + 20u);
  for (const res::ControlTemplate& control : keyboard.controls) {
    const QWidget* widget = dialog.GetControl(control.id);
    ASSERT_NE(widget, nullptr) << control.id;
    EXPECT_EQ(widget->geometry(), units.Rect(control.x, control.y, control.width, control.height))
        << control.id;
  }

  // The rectangles of the layout, checked against the template data.
  struct Placed {
    int id;
    QRect dlu;
  };
  std::vector<Placed> placed = {
      {1048, {14, 7, 348, 11}},   {1051, {10, 114, 45, 11}},  {1043, {7, 88, 40, 17}},
      {1041, {7, 66, 30, 17}},    {1032, {12, 23, 28, 17}},   {1042, {332, 23, 28, 17}},
      {1050, {336, 44, 28, 17}},  {1045, {328, 66, 28, 17}},  {1029, {273, 88, 28, 17}},
      {1044, {336, 88, 28, 17}},  {1049, {60, 110, 40, 17}},  {1021, {105, 110, 173, 17}},
      {1047, {281, 110, 40, 17}}, {1046, {324, 110, 40, 17}},
  };
  const struct {
    const char* letters;
    int firstId, x, y;
  } rows[] = {{"QWERTYUIOP", 1002, 17, 44}, {"ASDFGHJKL", 1012, 40, 66}, {"ZXCVBNM", 1022, 49, 88}};
  for (const auto& row : rows) {
    for (int k = 0; row.letters[k] != '\0'; ++k)
      placed.push_back({row.firstId + k, {row.x + 32 * k, row.y, 28, 17}});
  }
  for (const Placed& p : placed) {
    const QRect& r = p.dlu;
    EXPECT_EQ(dialog.GetControl(p.id)->geometry(), units.Rect(r.x(), r.y(), r.width(), r.height()))
        << p.id;
  }

  // Keys never overlap one another, and all lie inside the dialog.
  std::vector<const QPushButton*> keys;
  for (const res::ControlTemplate& control : keyboard.controls) {
    if (const auto* key = dialog.GetControl<QPushButton>(control.id))
      keys.push_back(key);
  }
  ASSERT_EQ(keys.size(), 48u);
  for (std::size_t i = 0; i < keys.size(); ++i) {
    EXPECT_TRUE(dialog.rect().contains(keys[i]->geometry())) << keys[i]->text().toStdString();
    for (std::size_t j = i + 1; j < keys.size(); ++j)
      EXPECT_FALSE(keys[i]->geometry().intersects(keys[j]->geometry()))
          << keys[i]->text().toStdString() << " / " << keys[j]->text().toStdString();
  }
}

TEST(DialogLayout, KeyboardCaptionsAndControlKinds) {
  TemplateDialog dialog(129);
  const struct {
    int id;
    QString caption;
  } captions[] = {
      {1002, QStringLiteral("Q")},       {1028, QStringLiteral("M")},
      {1033, QStringLiteral("2 (\")")},  {1034, QString::fromUtf8("3 (\xC2\xA3)")},
      {1037, QStringLiteral("6 (&&)")},  {1039, QStringLiteral("8 (()")},
      {1042, QStringLiteral("' (?)")},   {1045, QStringLiteral("+ ( * )")},
      {1029, QStringLiteral(", ( ; )")}, {1030, QStringLiteral(". ( : )")},
      {1044, QStringLiteral("- ( _ )")}, {1050, QStringLiteral("INV")},
      {1049, QStringLiteral("BACK")},    {1021, QString()},
      {1047, QStringLiteral("ESC")},     {1046, QStringLiteral("ENTER")},
      {1043, QStringLiteral("SHIFT")},   {1041, QStringLiteral("CAPS")},
  };
  for (const auto& c : captions) {
    const auto* key = dialog.GetControl<QPushButton>(c.id);
    ASSERT_NE(key, nullptr) << c.id;
    EXPECT_EQ(key->text(), c.caption) << c.id;
    // "&&" shows one '&' and makes no mnemonic; no key is a default button.
    EXPECT_TRUE(key->shortcut().isEmpty()) << c.id;
    EXPECT_FALSE(key->isDefault() || key->autoDefault()) << c.id;
    EXPECT_EQ(key->isCheckable(), c.id == 1043 || c.id == 1041) << c.id;
  }

  const auto* text = dialog.GetControl<QLabel>(1048);
  const auto* state = dialog.GetControl<QLabel>(1051);
  ASSERT_NE(text, nullptr);
  ASSERT_NE(state, nullptr);
  EXPECT_TRUE(text->alignment() & Qt::AlignRight);
  EXPECT_EQ(text->frameShape(), QFrame::NoFrame);
  EXPECT_TRUE(state->alignment() & Qt::AlignHCenter);
  EXPECT_EQ(state->frameShape(), QFrame::Box);
  EXPECT_EQ(state->lineWidth(), 1);

  EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(dialog.isModal());
}

TEST(DialogLayout, DialogFontsAndUnits) {
  const QFont keyboard = platform::DialogFont(QStringLiteral("MS Shell Dlg"), 9, 400);
  const QFont panel = platform::DialogFont(QStringLiteral("MS Shell Dlg"), 8, 400);
  const QFont bold = platform::DialogFont(QStringLiteral("Tahoma"), 8, 700);
  EXPECT_EQ(keyboard.pixelSize(), 12);
  EXPECT_EQ(panel.pixelSize(), 11);
  EXPECT_EQ(bold.weight(), QFont::Bold);
  const QString family = QFile::exists(QStringLiteral("/usr/share/wine/fonts/tahoma.ttf"))
                             ? QStringLiteral("Tahoma")
                             : QStringLiteral("DejaVu Sans");
  EXPECT_EQ(QFontInfo(keyboard).family(), family);
  EXPECT_EQ(QFontInfo(bold).family(), family);
  if (family == QStringLiteral("Tahoma")) {
    // The base units the original platform gives these fonts: cell heights from the Windows
    // ascent and descent, not from Qt's typographic height.
    EXPECT_EQ(platform::BaseUnitsOf(panel).horizontal, 6);
    EXPECT_EQ(platform::BaseUnitsOf(panel).vertical, 13);
    EXPECT_EQ(platform::BaseUnitsOf(keyboard).vertical, 14);
    // Positive font heights ask for the cell: 18 and 20 pixels give Tahoma at 15 and 17.
    EXPECT_EQ(platform::CellHeightFont(QStringLiteral("Tahoma"), 18, 400).pixelSize(), 15);
    EXPECT_EQ(platform::CellHeightFont(QStringLiteral("Tahoma"), 20, 700).pixelSize(), 17);
  }
  std::cout << "dialog font: " << QFontInfo(keyboard).family().toStdString() << ", base units "
            << platform::BaseUnitsOf(keyboard).horizontal << " x "
            << platform::BaseUnitsOf(keyboard).vertical << " (9 pt), "
            << platform::BaseUnitsOf(panel).horizontal << " x "
            << platform::BaseUnitsOf(panel).vertical << " (8 pt)\n";

  // Rounded to the nearest, halves away from zero.
  const struct {
    int number, numerator, denominator, result;
  } cases[] = {{3, 6, 4, 5},   {-3, 6, 4, -5}, {5, 1, 2, 3},     {7, 13, 8, 11},
               {9, 15, 8, 17}, {1, 1, 4, 0},   {371, 6, 4, 557}, {134, 15, 8, 251}};
  for (const auto& c : cases)
    EXPECT_EQ(platform::MulDiv(c.number, c.numerator, c.denominator), c.result)
        << c.number << "*" << c.numerator << "/" << c.denominator;
}

TEST(DialogLayout, BuilderAppliesStylesAndFactoryOverrides) {
  constexpr res::ControlTemplate controls[] = {
      {10, res::ControlKind::kStaticText, "A && B &x", res::kStyleAlignRight | res::kStyleGroup, 5,
       5, 100, 10},
      {11, res::ControlKind::kEdit, "code", res::kStyleBorder | res::kStyleTabStop, 5, 20, 100, 12},
      {12, res::ControlKind::kEdit, "", res::kStyleTabStop | res::kStyleAlignRight, 5, 35, 100, 12},
      {13, res::ControlKind::kListBox, "", res::kStyleNoSelection | res::kStyleBorder, 5, 50, 100,
       40},
      {-1, res::ControlKind::kPicture, "", res::kStyleCenterImage | res::kStyleSunken, 110, 5, 40,
       40, 135},
  };
  const res::DialogTemplate tmpl = {900, 160,     100, "MS Shell Dlg", 8, 400, res::kDialogPopup,
                                    "",  controls};

  class MarkedEdit : public QLineEdit {
   public:
    using QLineEdit::QLineEdit;
  };
  QDialog dialog;
  platform::DialogBuilder builder;
  int created = 0;
  builder.OverrideControl(12, [&](QWidget* parent) {
    ++created;
    return new MarkedEdit(parent);
  });
  QSize bitmapAsked;
  builder.SetBitmapSource([&](int id) {
    bitmapAsked = QSize(id, id);
    return QPixmap(8, 8);
  });
  ASSERT_TRUE(builder.Build(tmpl, dialog));

  const auto* label = qobject_cast<QLabel*>(builder.Control(10));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->text(), QStringLiteral("A & B x"));
  EXPECT_EQ(label->textFormat(), Qt::PlainText);
  EXPECT_TRUE(label->alignment() & Qt::AlignRight);

  const auto* edit = qobject_cast<QLineEdit*>(builder.Control(11));
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->text(), QStringLiteral("code"));
  EXPECT_TRUE(edit->hasFrame());
  EXPECT_EQ(edit->focusPolicy(), Qt::StrongFocus);

  EXPECT_EQ(created, 1);
  const auto* marked = dynamic_cast<MarkedEdit*>(builder.Control(12));
  ASSERT_NE(marked, nullptr) << "created by the factory";
  EXPECT_EQ(marked->parentWidget(), &dialog);
  EXPECT_FALSE(marked->hasFrame());
  EXPECT_TRUE(marked->alignment() & Qt::AlignRight);
  const Expected units(dialog.font());
  EXPECT_EQ(marked->geometry(), units.Rect(5, 35, 100, 12));

  const auto* list = qobject_cast<QListWidget*>(builder.Control(13));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->selectionMode(), QAbstractItemView::NoSelection);

  EXPECT_EQ(bitmapAsked, QSize(135, 135)) << "the picture without an id still gets its bitmap";
  EXPECT_EQ(builder.Control(-1), nullptr);
  EXPECT_EQ(builder.Control(99), nullptr);
}

// A dialog that counts the keys it sees and takes them all.
class KeyCounter : public TemplateDialog {
 public:
  KeyCounter() : TemplateDialog(129) {}
  int presses = 0;
  bool initialised = false;

 protected:
  bool OnInitDialog() override {
    initialised = true;
    return TemplateDialog::OnInitDialog();
  }
  bool PreTranslateKey(QKeyEvent& event) override {
    if (event.type() == QEvent::KeyPress)
      ++presses;
    return true;
  }
};

TEST(TemplateDialog, RunsModallyCentredAndSeesEveryKeyFirst) {
  KeyCounter dialog;
  EXPECT_FALSE(dialog.initialised) << "OnInitDialog belongs to the modal run";
  int clicks = 0;
  auto* key = dialog.GetControl<QPushButton>(1002);
  ASSERT_NE(key, nullptr);
  QObject::connect(key, &QPushButton::clicked, [&] { ++clicks; });

  QRect shownAt;
  QWidget* firstFocus = nullptr;
  bool modal = false;
  test_support::ModalDriver driver([&](QDialog& open) {
    shownAt = open.geometry();
    firstFocus = QApplication::focusWidget();
    modal = QApplication::activeModalWidget() == &open;
    key->setFocus();
    QTest::keyClick(key, Qt::Key_Space);
    QTest::keyClick(key, Qt::Key_Return);
    QTest::keyClick(&open, Qt::Key_Escape);
    dialog.EndDialog(7);
  });
  EXPECT_EQ(dialog.DoModal(), 7);
  EXPECT_FALSE(driver.TimedOut());
  EXPECT_TRUE(dialog.initialised);
  EXPECT_TRUE(modal);
  EXPECT_EQ(dialog.presses, 3);
  EXPECT_EQ(clicks, 0) << "a consumed Space or Return presses no button";
  EXPECT_EQ(firstFocus, dialog.GetControl(1043)) << "the first tab stop of the template";
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_EQ(shownAt.center(), screen.center());
}

TEST(TemplateDialog, AcceptAndRejectEndWithIdokAndIdcancel) {
  TemplateDialog plain(129);
  {
    test_support::ModalDriver accept([](QDialog& open) { open.accept(); });
    EXPECT_EQ(plain.DoModal(), platform::IDOK);
  }
  {
    test_support::ModalDriver reject([](QDialog& open) { open.reject(); });
    EXPECT_EQ(plain.DoModal(), platform::IDCANCEL);
  }

  // An unknown template cannot be shown.
  TemplateDialog unknown(4711);
  EXPECT_EQ(unknown.DoModal(), -1);
  EXPECT_EQ(unknown.GetControl(1002), nullptr);
}

}  // namespace
