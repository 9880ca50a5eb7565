#include "core/radiometry/brightness.h"

#include <QLineEdit>
#include <QSet>
#include <QTest>

#include "gui/radiometry/brightness_dlg.h"
#include "tests/gui/gui_harness.h"
#include "tests/support/radiometry_reference.h"

namespace lumora::gui::test {
namespace {

using ::lumora::test::ReferenceStretch;

// The picture a window shows for a display image (top row first, BGR).
QImage PictureOf(const Dib& dib) {
  QImage image(dib.width, dib.height, QImage::Format_BGR888);
  for (int y = 0; y < dib.height; ++y)
    std::memcpy(image.scanLine(y), dib.TopRow(y), size_t(dib.width) * 3);
  return image;
}

QImage Mapped(const Dib& dib, const std::array<std::array<uint8_t, 256>, 3>& tables) {
  QImage image = PictureOf(dib);
  for (int y = 0; y < image.height(); ++y) {
    uint8_t* row = image.scanLine(y);
    for (int i = 0; i < image.width() * 3; ++i) row[i] = tables[size_t(i % 3)][row[i]];
  }
  return image;
}

std::array<uint8_t, 256> Identity() { return ReferenceStretch(255, 0, 255, 0); }

class BrightnessTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    ASSERT_TRUE(Start());
    inf = WriteScene(dir, "b", 70, 50, 3, 1);
    ASSERT_TRUE(OpenComposed(inf));
    original = View()->Session().Display();
  }
  static void Type(QDialog& d, int id, const QString& text) {
    auto* edit = Find<QLineEdit>(d, id);
    edit->setText(text);
    emit edit->editingFinished();
  }
  // Drags the marker at level `from` to level `to`, as a finger would.
  static void Drag(CBrightnessDlg& d, int from, int to, bool output) {
    QWidget* strip = Find<QWidget>(d, kMarkerStrip);
    QTest::mousePress(strip, Qt::LeftButton, {}, d.StripPointOf(from, output));
    const QPoint end = d.StripPointOf(to, output);
    QMouseEvent move(QEvent::MouseMove, end, strip->mapToGlobal(end), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(strip, &move);
    QTest::mouseRelease(strip, Qt::LeftButton, {}, end);
  }
  std::string inf;
  Dib original;
};

TEST_F(BrightnessTest, EditsAndMarkersPreviewAndOkKeepsWhatWasShown) {
  ASSERT_TRUE(app->IsEnabled(32791));
  ui.dialogs.push_back([this](QDialog& d) {
    auto& dialog = dynamic_cast<CBrightnessDlg&>(d);
    EXPECT_EQ(app->ToolDialog(), &d);
    EXPECT_FALSE(app->IsEnabled(32812));
    // Blue by its edits: input 40..200.
    Type(d, kInputLowEdit, QStringLiteral("40"));
    Type(d, kInputHighEdit, QStringLiteral("200"));
    EXPECT_EQ(View()->Picture(),
              Mapped(original, {ReferenceStretch(200, 40, 255, 0), Identity(), Identity()}));
    // Green by its output high marker, dragged from 255 down to 180, and
    // its input low marker past the high one (it stops there).
    Click(d, kGreenButton);
    EXPECT_EQ(Find<QLineEdit>(d, kInputLowEdit)->text(), QStringLiteral("0"));
    Drag(dialog, 255, 180, true);
    EXPECT_EQ(Find<QLineEdit>(d, kOutputHighEdit)->text(), QStringLiteral("180"));
    Drag(dialog, 0, 100, false);
    EXPECT_EQ(Find<QLineEdit>(d, kInputLowEdit)->text(), QStringLiteral("100"));
    const auto expected = Mapped(original, {ReferenceStretch(200, 40, 255, 0),
                                            ReferenceStretch(255, 100, 180, 0), Identity()});
    EXPECT_EQ(View()->Picture(), expected);
    // The display image itself is untouched until OK.
    EXPECT_EQ(View()->Session().Display().bits, original.bits);
    return Click(d, 1);
  });
  app->OnCommand(32791);
  const auto tables =
      std::array{ReferenceStretch(200, 40, 255, 0), ReferenceStretch(255, 100, 180, 0), Identity()};
  EXPECT_EQ(PictureOf(View()->Session().Display()), Mapped(original, tables));
  EXPECT_EQ(View()->Picture(), Mapped(original, tables));
  EXPECT_EQ(app->ToolDialog(), nullptr);
  EXPECT_EQ(View()->Session().StretchApplied()[1], (StretchValues{255, 100, 180, 0}));
  EXPECT_EQ(View()->Session().StretchStart()[1], StretchValues{});

  // Undo gives back the very bitmap and the values to start from.
  ASSERT_TRUE(app->IsEnabled(57643));
  const QSize frameSize = View()->Frame()->size();
  app->OnCommand(57643);
  EXPECT_EQ(View()->Session().Display().bits, original.bits);
  EXPECT_EQ(View()->Picture(), PictureOf(original));
  EXPECT_EQ(View()->Session().StretchStart()[1], (StretchValues{255, 100, 180, 0}));
  EXPECT_EQ(View()->Frame()->size(), frameSize);
}

// Cancel, invalid values and the all-colours markers leave the image as it
// was; a single band has no colour buttons and one table for all channels.
TEST_F(BrightnessTest, CancelInvalidValuesAndAllColoursLeaveTheImageAsItWas) {
  // Messages concern the image window, or the dialog open over it.
  EXPECT_EQ(app->MessageParent(), View()->Frame());
  ui.dialogs.push_back([this](QDialog& d) {
    d.show();
    EXPECT_EQ(app->MessageParent(), &d);
    Type(d, kOutputLowEdit, QStringLiteral("200"));
    Type(d, kOutputHighEdit, QStringLiteral("100"));
    // Output low above output high: every entry is the low value.
    std::array<uint8_t, 256> flat;
    flat.fill(200);
    EXPECT_EQ(View()->Picture(), Mapped(original, {flat, Identity(), Identity()}));
    // Not a value: OK is refused with the prompt and the dialog stays.
    Find<QLineEdit>(d, kInputHighEdit)->setText(QStringLiteral("300"));
    messenger.entries.clear();
    EXPECT_EQ(Click(d, 1), int(QDialog::Rejected));
    EXPECT_FALSE(messenger.entries.empty());
    EXPECT_EQ(messenger.entries.back().text, "0 から 255 までの整数を入力してください．");
    Find<QLineEdit>(d, kInputHighEdit)->setText(QString());
    EXPECT_EQ(Click(d, kRedButton), int(QDialog::Rejected));
    EXPECT_EQ(messenger.entries.size(), 2u);
    Find<QLineEdit>(d, kInputHighEdit)->setText(QStringLiteral("255"));
    // The green channel's colour bar runs from black through every green.
    auto& dialog = dynamic_cast<CBrightnessDlg&>(d);
    Click(d, kGreenButton);
    const QImage shown = d.grab().toImage();
    QSet<int> greens;
    for (int y = 0; y < shown.height(); ++y)
      for (int x = 0; x < shown.width(); ++x) {
        const QRgb c = shown.pixel(x, y);
        if (qRed(c) == 0 && qBlue(c) == 0) greens.insert(qGreen(c));
      }
    EXPECT_GT(greens.size(), 100);
    Click(d, kAllColoursButton);
    EXPECT_FALSE(Find<QLineEdit>(d, kInputLowEdit)->isEnabled());
    Drag(dialog, 0, 120, false);
    EXPECT_EQ(dialog.State().Edits(), StretchValues{});
    return Click(d, 2);
  });
  app->OnCommand(32791);
  EXPECT_EQ(View()->Picture(), PictureOf(original));
  EXPECT_EQ(View()->Session().Display().bits, original.bits);
  EXPECT_FALSE(app->IsEnabled(57643));  // nothing to undo
  EXPECT_EQ(app->ToolDialog(), nullptr);

  const std::string grey = WriteScene(dir, "g", 20, 10, 1, 1);
  ASSERT_TRUE(OpenComposed(grey));
  ASSERT_TRUE(View()->Session().State().m_bSingleBand);
  ui.dialogs.push_back([](QDialog& d) {
    for (int id : {kRedButton, kGreenButton, kBlueButton, kAllColoursButton})
      EXPECT_FALSE(Find<QWidget>(d, id)->isVisibleTo(&d)) << id;
    auto& dialog = dynamic_cast<CBrightnessDlg&>(d);
    Drag(dialog, 255, 128, false);
    return Click(d, 1);
  });
  const Dib before = View()->Session().Display();
  app->OnCommand(32791);
  // One table for all three channels.
  const auto t = ReferenceStretch(128, 0, 255, 0);
  EXPECT_EQ(PictureOf(View()->Session().Display()), Mapped(before, {t, t, t}));
}

}  // namespace
}  // namespace lumora::gui::test
