#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSlider>

#include "gui/output/export_command.h"
#include "gui/radiometry/filter_dlg.h"
#include "gui/widgets/language.h"
#include "tests/gui/gui_harness.h"

namespace lumora::gui::test {
namespace {

class ViewTest : public StartedTest {
 protected:
  // Chooses filter index in the filter dialog.
  static DialogScript ChooseFilter(int index) {
    return [index](QDialog& d) {
      Find<QComboBox>(d, 351)->setCurrentIndex(index);
      return Click(d, 1);
    };
  }
};

TEST_F(ViewTest, ZoomStepsLimitsTheBoxAndTheCentre) {
  OpenScene(1024, 64);
  CKiriView& v = *View();
  // 1024 pixels wide stops at 16 times.
  for (int i = 0; i < 7; ++i) app->OnCommand(101);
  EXPECT_EQ(v.ZoomLevel(), 5);
  EXPECT_EQ(Frame().ZoomBox()->currentText(), QStringLiteral("1600%"));
  for (int i = 0; i < 12; ++i) app->OnCommand(102);
  EXPECT_EQ(v.ZoomLevel(), -4);
  EXPECT_EQ(Frame().ZoomBox()->currentText(), QStringLiteral("3.125%"));

  Frame().ZoomBox()->setCurrentIndex(5);
  emit Frame().ZoomBox()->activated(5);
  EXPECT_EQ(v.ZoomLevel(), 1);
  Frame().ZoomBox()->setCurrentIndex(9);
  emit Frame().ZoomBox()->activated(9);
  EXPECT_EQ(v.ZoomLevel(), -3);
  EXPECT_FLOAT_EQ(v.Session().Zoom(), 1.0f / 16);
  // Shown whole at every zoom: the status bar has nothing to say about it,
  // and its pane leaves the room to the messages.
  EXPECT_EQ(Frame().StatusText(3), QString());
  EXPECT_FALSE(Frame().findChild<QWidget*>(QStringLiteral("pane3"))->isVisibleTo(&Frame()));

  // The centre stays (taken 1-based and placed as if 0-based: give or take a
  // pixel), and at 200 % every display pixel covers 2 x 2 screen pixels,
  // starting at the display pixel the scroll position falls in.
  SetZoom(1, {300, 0});
  const ScrollPoint centre = v.CentrePoint();
  app->OnCommand(101);
  EXPECT_NEAR(v.CentrePoint().x, centre.x, 1);  // the picture is lower than the window
  QImage shot(v.viewport()->size(), QImage::Format_RGB32);
  v.viewport()->render(&shot);
  const QPoint s = v.ScrollPosition();
  EXPECT_GT(s.x(), 0);
  for (QPoint p : {QPoint(0, 0), QPoint(37, 21), QPoint(120, 90)}) {
    const QPoint source(s.x() / 2 + p.x() / 2, s.y() / 2 + p.y() / 2);
    EXPECT_EQ(shot.pixelColor(p), v.Picture().pixelColor(source)) << p.x() << "," << p.y();
  }
}

TEST_F(ViewTest, FilterAnsweredNoReopensTheDialogAndRestoresAndClicksBeepUnderATool) {
  OpenScene(40, 30);
  const QImage original = View()->Picture();
  const std::string title = View()->Frame()->windowTitle().toStdString();
  const int filesBefore = WorkFiles();
  bool reopenedEmpty = false;
  ui.dialogs.push_back(ChooseFilter(0));
  ui.dialogs.push_back([&](QDialog& d) {
    auto& f = static_cast<CFilterDlg&>(d);
    reopenedEmpty = f.Combo()->currentIndex() == -1 && f.SelectedIndex() == -1 &&
                    f.Summary() == QStringLiteral("希望のフィルタを選択してください．");
    return Click(d, 1);  // OK without a choice: cancel
  });
  messenger.answers = {false};
  app->OnCommand(32798);
  EXPECT_TRUE(reopenedEmpty);
  EXPECT_EQ(View()->Picture(), original);
  EXPECT_EQ(View()->Frame()->windowTitle().toStdString(), title);
  EXPECT_EQ(WorkFiles(), filesBefore);
  EXPECT_EQ(View()->Session().State().m_nFileState, 0);
  EXPECT_FALSE(Frame().Action(57643)->isEnabled());

  // Clicks on the frame only beep while a tool dialog is open.
  QDialog tool;
  app->SetToolDialog(&tool);
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&Frame(), &press);
  EXPECT_EQ(ui.beeps, 1);
  app->SetToolDialog(nullptr);
  QApplication::sendEvent(&Frame(), &press);
  EXPECT_EQ(ui.beeps, 1);
}

TEST_F(ViewTest, ExportJpegAndTiffThroughTheSeamAndTheQualitySlider) {
  OpenScene(30, 20);
  // Any letter case of .jpg asks for the compression.
  for (const char* name : {"a.jpg", "b.JPG", "c.Jpg"}) {
    ui.saveNames.push_back(QString::fromStdString(dir / name));
    ui.dialogs.push_back([](QDialog& d) {
      EXPECT_EQ(static_cast<CJpegQualityDlg&>(d).Ratio(), 1.0f);
      return Click(d, 1);
    });
    app->OnCommand(32830);
    const std::string bytes = ::lumora::test::ReadFile(dir / name);
    ASSERT_GE(bytes.size(), 4u) << name;
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xD8");
  }
  EXPECT_EQ(ui.dialogNames.filter("396").size(), 3);
  ui.saveNames.push_back(QString::fromStdString(dir / "d.tif"));
  app->OnCommand(32830);
  EXPECT_EQ(ui.dialogNames.filter("396").size(), 3);
  const std::string tiff = ::lumora::test::ReadFile(dir / "d.tif");
  ASSERT_EQ(tiff.size(), 192u + 30 * 20 * 3);
  // The top-left pixel, red first, as the display shows it.
  const QColor c = View()->Picture().pixelColor(0, 0);
  EXPECT_EQ(uint8_t(tiff[192]), c.red());
  EXPECT_EQ(uint8_t(tiff[193]), c.green());
  EXPECT_EQ(uint8_t(tiff[194]), c.blue());
  // Cancelling the quality dialog writes nothing.
  ui.saveNames.push_back(QString::fromStdString(dir / "e.jpg"));
  ui.dialogs.push_back(Answer(QDialog::Rejected));
  app->OnCommand(32830);
  EXPECT_FALSE(::lumora::test::FileExists(dir / "e.jpg"));

  // The quality slider gives the ratio.
  CJpegQualityDlg d(QStringLiteral("/x/y.jpg"));
  EXPECT_EQ(Find<QLabel>(d, 372)->text(), QStringLiteral("100"));
  d.Slider()->triggerAction(QAbstractSlider::SliderPageStepSub);
  EXPECT_EQ(Find<QLabel>(d, 372)->text(), QStringLiteral(" 90%"));
  EXPECT_FLOAT_EQ(d.Ratio(), 0.9f);
}

// A scene too wide for its display image (shown at 1/3): zoomed to 400 %
// the window draws every pixel, the one under each device pixel's centre of
// lumora-cli's full-resolution picture (on a screen of two device pixels per
// pixel, as gui_hidpi runs it, already at 100 %); the export at full
// resolution writes lumora-cli's files byte for byte.
TEST_F(ViewTest, ZoomShowsEveryPixelOfTheFullResolutionPicture) {
  const std::string inf = dir / "big.inf", full = dir / "full.tif";
  ASSERT_TRUE(OpenTmSample(inf, "3000x1300", 5));
  CKiriView& v = *View();
  v.Frame()->resize(320, 240);
  ASSERT_EQ(v.Session().State().m_nStep, 3);
  const std::string compose = "compose '" + inf + "' --rgb 3,2,1 --step 1 -o ";
  Cli(compose + "'" + full + "'");
  const std::string tiff = ::lumora::test::ReadFile(full);
  ASSERT_EQ(tiff.size(), 192u + 3000 * 1300 * 3);
  // Device pixel (x, y) of the window at zoom z scrolled to (sx, sy) shows
  // image pixel ((sx d + x + 0.5) 3 / (z d), (sy d + y + 0.5) 3 / (z d)).
  const int d = qRound(v.viewport()->devicePixelRatioF());
  const auto differing = [&](int zoom, int sx, int sy) {
    const QImage shown = v.viewport()->grab().toImage();
    int differ = 0;
    for (int y = 0; y < shown.height(); y += 7) {
      for (int x = 0; x < shown.width(); x += 5) {
        const int col = (2 * (sx * d + x) + 1) * 3 / (2 * zoom * d);
        const int row = (2 * (sy * d + y) + 1) * 3 / (2 * zoom * d);
        const size_t at = 192 + (size_t(row) * 3000 + col) * 3;
        const QColor c = shown.pixelColor(x, y);
        differ += c != QColor(uint8_t(tiff[at]), uint8_t(tiff[at + 1]), uint8_t(tiff[at + 2]));
      }
    }
    return differ;
  };
  const QString reduced = translate("CKiriView", "1/%1 に縮小して表示").arg(3);
  const QString every = translate("CKiriView", "全画素で表示");
  if (d > 1) {
    EXPECT_EQ(differing(1, v.horizontalScrollBar()->value(), v.verticalScrollBar()->value()), 0);
    EXPECT_EQ(Frame().StatusText(3), every);
  } else {
    EXPECT_EQ(Frame().StatusText(3), reduced);
  }

  SetZoom(3, {2000, 1200});  // 400 %
  EXPECT_EQ(differing(4, 2000, 1200), 0);
  EXPECT_EQ(Frame().StatusText(3), every);
  EXPECT_TRUE(Frame().findChild<QWidget*>(QStringLiteral("pane3"))->isVisibleTo(&Frame()));

  for (const char* name : {"every.tif", "every.jpg"}) {
    ui.saveNames.push_back(QString::fromStdString(dir / name));
    if (std::string(name).ends_with(".jpg")) ui.dialogs.push_back(Answer(QDialog::Accepted));
    app->OnCommand(kCmdExportFull);
    Cli(compose + "'" + (dir / (std::string("cli-") + name)) + "'");
    EXPECT_TRUE(::lumora::test::ReadFile(dir / name) ==
                ::lumora::test::ReadFile(dir / (std::string("cli-") + name)))
        << name;
  }
  EXPECT_TRUE(messenger.entries.empty());
}

}  // namespace
}  // namespace lumora::gui::test
