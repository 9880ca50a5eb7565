#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <filesystem>
#include <map>

#include "core/analysis/kmeans.h"
#include "core/support/file_set.h"
#include "core/support/string_table.h"
#include "core/support/text.h"
#include "gui/analysis/land_cover_dlg.h"
#include "gui/windows/accuracy_dlg.h"
#include "gui/windows/scatter_dlg.h"
#include "tests/gui/gui_harness.h"

namespace lumora::gui::test {
namespace {

namespace fs = std::filesystem;

class LandCoverTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    ASSERT_TRUE(Start());
    source = dir / "tm.inf";
    ASSERT_TRUE(TmSample(source, "96x80", 1));
    fs::create_directory(dir / "cli");
  }
  // The classification dialog, the source opened first when no image is.
  CLandCoverDlg* OpenDialog() {
    if (!View() && OpenComposed(source)) View()->Frame()->resize(320, 240);
    app->OnCommand(kCmdClassify);
    return View() ? View()->LandCoverDialog() : nullptr;
  }
  // A new class through the class item dialog, with the colour chooser answering.
  void AddClass(CLandCoverDlg& dlg, QColor colour, const QString& title) {
    ui.colours.push_back(colour);
    ui.dialogs.push_back([title](QDialog& d) {
      EXPECT_EQ(d.focusWidget(), Find<QLineEdit>(d, kIdClassTitle));  // ready for the name
      Find<CColourFrame>(d, kIdClassColour)->Choose();
      Find<QLineEdit>(d, kIdClassTitle)->setText(title);
      return Click(d, 1);
    });
    Click(dlg, kIdClassNew);
  }
  // A training area (or, with kIdClassCheckArea, a check area) dragged on the image.
  void DragArea(CLandCoverDlg& dlg, QPoint from, QPoint to, int button = kIdClassArea) {
    Click(dlg, button);
    mouse.Stroke(from, to);
  }
  CClassLegendDlg* Legend() { return dynamic_cast<CClassLegendDlg*>(View()->LegendWindow()); }
  // lumora-cli classify of the source with options, writing cli/name.inf.
  void Classify(const std::string& options, const std::string& name) {
    Cli("classify '" + source + "' " + options + " -o '" + (dir / ("cli/" + name)) + ".inf'");
  }
  // The accuracy window's table is the end of lumora-cli's report.
  void ExpectReportEnds(const CAccuracyDlg& window) {
    const std::string report = ::lumora::test::ReadFile(dir / "r.csv");
    ASSERT_GT(report.size(), window.Csv().size());
    EXPECT_EQ(report.substr(report.size() - window.Csv().size()), window.Csv());
  }
  // Water on the bay (9 x 16 pixels) and forest (14 x 10 pixels).
  void WaterAndForest(CLandCoverDlg& dlg) {
    AddClass(dlg, QColor(0, 0, 255), QStringLiteral("みず"));
    DragArea(dlg, {1, 62}, {10, 78});
    AddClass(dlg, QColor(200, 0, 0), QStringLiteral("もり"));
    DragArea(dlg, {8, 45}, {22, 55});
  }
  // Three classes, the last dragged at 200 %.
  void BuildClasses(CLandCoverDlg& dlg) {
    AddClass(dlg, QColor(255, 0, 128), QStringLiteral("もり"));
    DragArea(dlg, {4, 4}, {24, 20});
    AddClass(dlg, QColor(0, 0, 255), QStringLiteral("water area"));
    DragArea(dlg, {40, 30}, {60, 50});
    app->OnZoomBox(2);
    AddClass(dlg, QColor(200, 200, 0), QStringLiteral("まち"));
    DragArea(dlg, {100, 20}, {140, 60});  // pixels 50..70, 10..30
  }

  // Names and colours a group in the result's legend; keep answers the step's
  // question. Returns the legend shown afterwards.
  CClassLegendDlg* NameGroup(CClassLegendDlg* legend, int row, QColor colour, const QString& title,
                             bool keep) {
    ui.colours.push_back(colour);
    ui.dialogs.push_back([title](QDialog& d) {
      Find<CColourFrame>(d, kIdClassColour)->Choose();
      Find<QLineEdit>(d, kIdClassTitle)->setText(title);
      return Click(d, 1);
    });
    messenger.answers = {keep};
    legend->List()->setCurrentRow(row);
    QTest::mouseClick(Find<QPushButton>(*legend, kIdGroupRename), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return Legend();
  }
  std::string source;
};

TEST_F(LandCoverTest, ResultIsWhatTheCommandLineWritesWithTheDialogsClasses) {
  CLandCoverDlg* dlg = OpenDialog();
  ASSERT_NE(dlg, nullptr);
  EXPECT_TRUE(app->DialogAllowsMainWindow());
  BuildClasses(*dlg);
  const auto& classes = dlg->List().Classes();
  ASSERT_EQ(classes.size(), 3u);
  EXPECT_EQ(AreaText(classes[0]), "(   5,   5)-(  25,  21)");
  EXPECT_EQ(AreaText(classes[2]), "(  51,  11)-(  71,  31)");
  // No keeps the dialog with its classes and runs nothing.
  messenger.answers = {false};
  Click(*dlg, 1);
  ASSERT_EQ(View()->LandCoverDialog(), dlg);
  EXPECT_EQ(dlg->List().Count(), 3);
  EXPECT_EQ(app->ToolDialog(), dlg);
  EXPECT_EQ(View()->Session().State().m_nFileState, 0);
  EXPECT_EQ(View()->Session().CurrentPath(), source);

  messenger.answers = {true};
  Click(*dlg, 1);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(View()->LandCoverDialog(), nullptr);
  EXPECT_EQ(app->ToolDialog(), nullptr);
  EXPECT_FALSE(app->DialogAllowsMainWindow());
  EXPECT_EQ(View()->Session().State().m_nFileState, 2);
  auto* legend = Legend();
  ASSERT_NE(legend, nullptr);
  ASSERT_EQ(legend->Items().size(), 3u);
  EXPECT_EQ(legend->Items()[1].title, "water area");
  EXPECT_FALSE(Find<QPushButton>(*legend, kIdGroupsAsClasses)->isEnabled());  // no groups found
  // Three short rows fit: no scroll bars. Each swatch has a dark frame, so a
  // light class shows against the white rows.
  EXPECT_FALSE(legend->List()->verticalScrollBar()->isVisible());
  EXPECT_FALSE(legend->List()->horizontalScrollBar()->isVisible());
  const QImage rows = legend->List()->viewport()->grab().toImage();
  const int middle = legend->List()->visualItemRect(legend->List()->item(0)).center().y();
  EXPECT_EQ(rows.pixelColor(20, middle), QColor(64, 64, 64));
  EXPECT_EQ(rows.pixelColor(39, middle), QColor(64, 64, 64));
  EXPECT_EQ(rows.pixelColor(30, middle), QColor(255, 0, 128));
  // On the page the swatch is framed the same way.
  QImage page(400, 300, QImage::Format_RGB32);
  page.fill(Qt::white);
  {
    QPainter p(&page);
    RecordingMessenger quiet;
    ASSERT_TRUE(legend->DrawOnPage(p, LegendPagePlacement{50, 20, 3, 1.0}, quiet));
  }
  QRect swatch;
  for (int y = 0; y < page.height(); ++y)
    for (int x = 0; x < page.width(); ++x)
      if (page.pixelColor(x, y) == QColor(255, 0, 128)) swatch |= QRect(x, y, 1, 1);
  ASSERT_FALSE(swatch.isEmpty());
  for (const QPoint at : {QPoint(swatch.left() - 1, swatch.center().y()),
                          QPoint(swatch.right() + 1, swatch.center().y()),
                          QPoint(swatch.center().x(), swatch.top() - 1),
                          QPoint(swatch.center().x(), swatch.bottom() + 1)})
    EXPECT_EQ(page.pixelColor(at), QColor(64, 64, 64)) << at.x() << "," << at.y();

  // Each class's pixels, area and share, as lumora-cli reports them.
  Find<QCheckBox>(*legend, kIdClassAreasShown)->setChecked(true);
  std::vector<ClassArea> areas;
  RecordingMessenger quiet;
  ASSERT_TRUE(ComputeClassAreas(View()->Session().CurrentPath(), areas, quiet));
  EXPECT_EQ(legend->List()->item(1)->text(),
            QStringLiteral("water area   ") + ToQ(ClassAreaText(areas[1])));
  EXPECT_NE(areas[1].pixels, 0);
  Find<QCheckBox>(*legend, kIdClassAreasShown)->setChecked(false);
  EXPECT_EQ(legend->List()->item(1)->text(), QStringLiteral("water area"));
  // The map page's legend shows them under each class too: the program's
  // page is the one lumora-cli writes with --legend-areas, not the one without.
  Find<QCheckBox>(*legend, kIdClassAreasShown)->setChecked(true);
  ShowLegendOnPage("place3");
  ASSERT_TRUE(View()->Session().AnnotationsShown());
  ui.saveNames.push_back(QString::fromStdString(dir / "program.jpg"));
  ui.dialogs.push_back([](QDialog& d) { return Click(d, kIdOk); });
  app->OnCommand(kCmdExport);
  const auto cliPage = [&](const std::string& extra, const std::string& out) {
    Cli("page '" + View()->Session().CurrentPath() + "' --legend --legend-position top-left" +
        extra + " -o '" + (dir / out) + "'");
    return ::lumora::test::ReadFile(dir / out);
  };
  const std::string bytes = ::lumora::test::ReadFile(dir / "program.jpg");
  EXPECT_GT(bytes.size(), 1000u);
  EXPECT_TRUE(bytes == cliPage(" --legend-areas", "cli.jpg"));
  EXPECT_FALSE(bytes == cliPage("", "plain.jpg"));

  // The classes' mean spectra over the image they were drawn on, each line
  // in its class colour with its spread shaded.
  QTest::mouseClick(Find<QPushButton>(*legend, kIdClassSpectra), Qt::LeftButton);
  QWidget* spectra = legend->SpectraWindow();
  ASSERT_NE(spectra, nullptr);
  EXPECT_TRUE(spectra->isVisible());
  const QImage chart = spectra->findChild<QLabel*>(QStringLiteral("chart"))->pixmap().toImage();
  int classPixels = 0;
  for (int y = 0; y < chart.height(); ++y)
    for (int x = 0; x < chart.width(); ++x)
      classPixels += chart.pixelColor(x, y) == QColor(255, 0, 128);
  EXPECT_GT(classPixels, 20);

  const std::string ours = StripExtension(View()->Session().CurrentPath());
  Classify("--classes '" + ours + ".mlk'", "out");
  const auto mine = SetFiles(ours);
  EXPECT_EQ(mine.size(), 10u);  // inf, mlk, dem, lev, three bands and their descriptions
  EXPECT_EQ(mine, SetFiles(dir / "cli/out"));
}

// The lights follow each area as it is drawn; OK with a red light asks first.
TEST_F(LandCoverTest, CoachingLightsFollowTheAreasAsTheyAreDrawn) {
  CLandCoverDlg* dlg = OpenDialog();
  // The lights of a table's rows, red, yellow or green.
  const auto lightsOf = [](QTableWidget* table) {
    std::string seen;
    for (int r = 0; r < table->rowCount(); ++r)
      seen += "RYG"[2 - table->item(r, 0)->data(Qt::UserRole).toInt()];
    return seen;
  };
  const auto lights = [&] { return lightsOf(dlg->CoachTable()); };
  const auto pairs = [&] { return lightsOf(dlg->PairTable()); };
  AddClass(*dlg, QColor(0, 0, 255), QStringLiteral("みず"));
  EXPECT_EQ(lights(), "R");
  EXPECT_EQ(dlg->Advice()[0].message, kMsgCoachEmpty);
  DragArea(*dlg, {10, 10}, {13, 12});  // 6 pixels: not more than 6 bands + 1
  EXPECT_EQ(lights(), "R");
  EXPECT_EQ(dlg->Advice()[0].message, kMsgCoachTooFew);
  // Run all the same, it is refused before it starts, naming the class.
  messenger.answers = {true};
  Click(*dlg, 1);
  EXPECT_NE(messenger.entries.back().text.find("みず"), std::string::npos);
  EXPECT_EQ(View()->Session().State().m_nFileState, 0);
  DragArea(*dlg, {10, 10}, {18, 15});  // 40 pixels: fewer than 10 x 6 bands
  EXPECT_EQ(lights(), "Y");
  EXPECT_EQ(dlg->Advice()[0].message, kMsgCoachFew);
  DragArea(*dlg, {1, 62}, {10, 78});  // the bay
  EXPECT_EQ(lights(), "G");
  EXPECT_EQ(pairs(), "");
  AddClass(*dlg, QColor(200, 0, 0), QStringLiteral("もり"));
  DragArea(*dlg, {8, 45}, {22, 55});
  AddClass(*dlg, QColor(0, 200, 200), QStringLiteral("みずうみ"));
  DragArea(*dlg, {40, 30}, {60, 44});
  AddClass(*dlg, QColor(0, 100, 200), QStringLiteral("みずうみのふち"));
  DragArea(*dlg, {48, 40}, {64, 48});  // half over the lake: the two look alike
  EXPECT_EQ(lights(), "GGGG");
  EXPECT_EQ(pairs(), "GGGGGR");
  EXPECT_EQ(dlg->Pairs()[5].first, 2);
  EXPECT_LT(dlg->Pairs()[5].jm, 1.0);
  const QString sentence = Find<QLabel>(*dlg, kIdClassSentence)->text();
  EXPECT_TRUE(sentence.contains(QStringLiteral("「みずうみ」と「みずうみのふち」はよく似ていて")))
      << sentence.toStdString();
  // A name twice: both say so.
  AddClass(*dlg, QColor(9, 9, 9), QStringLiteral("もり"));
  EXPECT_EQ(lights(), "GYGGR");
  EXPECT_EQ(dlg->Advice()[1].message, kMsgCoachSameName);

  // OK with a red light asks first; No keeps the dialog and runs nothing.
  messenger.answers = {false};
  const size_t before = messenger.entries.size();
  Click(*dlg, 1);
  ASSERT_EQ(messenger.entries.size(), before + 1);
  EXPECT_NE(messenger.entries.back().text.find("赤の信号があります"), std::string::npos);
  EXPECT_EQ(View()->LandCoverDialog(), dlg);
  EXPECT_EQ(View()->Session().State().m_nFileState, 0);
  // Without the empty class the pair is still red: Yes runs the classification.
  dlg->ClassList()->setCurrentRow(4);
  Click(*dlg, kIdClassDelete);
  EXPECT_EQ(lights(), "GGGG");
  messenger.answers = {true, true};
  Click(*dlg, 1);
  EXPECT_EQ(View()->Session().State().m_nFileState, 2);
}

// Groups the computer finds run as a processing step: No leaves the image,
// Yes writes what lumora-cli writes for the same number and seed; groups the
// pupil names become training classes.
TEST_F(LandCoverTest, GroupsTheComputerFindsAreAStepAndNamedOnesBecomeClasses) {
  CLandCoverDlg* dlg = OpenDialog();
  Click(*dlg, kIdClassNamedGroups);  // no result of groups open yet
  EXPECT_EQ(messenger.entries.back().text, MessageText(kMsgNoNamedGroups));
  const auto choose = [this](int k, int seed) {
    ui.dialogs.push_back([k, seed](QDialog& d) {
      EXPECT_EQ(Find<QSpinBox>(d, kIdGroupSeed)->value(), 1);  // shown before it is changed
      Find<QSpinBox>(d, kIdGroupCount)->setValue(k);
      Find<QSpinBox>(d, kIdGroupSeed)->setValue(seed);
      return Click(d, 1);
    });
  };
  choose(3, 5);
  messenger.answers = {false};
  Click(*dlg, kIdClassGroups);
  EXPECT_EQ(View()->Session().State().m_nFileState, 0);
  ASSERT_EQ(View()->LandCoverDialog(), dlg);
  choose(3, 5);
  messenger.answers = {true};
  Click(*dlg, kIdClassGroups);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(View()->LandCoverDialog(), nullptr);
  EXPECT_EQ(View()->Session().State().m_nFileState, 2);
  auto* legend = Legend();
  ASSERT_NE(legend, nullptr);
  ASSERT_EQ(legend->Items().size(), 3u);
  EXPECT_EQ(legend->Items()[0].title, "グループ1");
  EXPECT_EQ(legend->Items()[2].red, 255);
  const std::string ours = StripExtension(View()->Session().CurrentPath());
  Classify("--kmeans 3 --seed 5", "out");
  EXPECT_EQ(SetFiles(ours), SetFiles(dir / "cli/out"));

  // "What is this? water": the pupil names and colours group 1 in the legend.
  // No keeps the result as it was; Yes repaints the group and names it.
  legend = NameGroup(legend, 1, QColor(0, 0, 255), QStringLiteral("みず"), false);
  ASSERT_NE(legend, nullptr);
  EXPECT_EQ(legend->Items()[1].title, "グループ2");
  EXPECT_EQ(StripExtension(View()->Session().CurrentPath()), ours);
  legend = NameGroup(legend, 1, QColor(0, 0, 255), QStringLiteral("みず"), true);
  ASSERT_NE(legend, nullptr);
  ASSERT_EQ(legend->Items().size(), 3u);
  EXPECT_EQ(legend->Items()[1].title, "みず");
  EXPECT_EQ(legend->Items()[1].blue, 255);
  EXPECT_EQ(legend->Items()[1].red, 0);
  const std::string named = StripExtension(View()->Session().CurrentPath());
  EXPECT_NE(named, ours);
  const std::string groupTwo = ::lumora::test::ReadFile(ours + ".b01");
  const std::string blue = ::lumora::test::ReadFile(named + ".b01");
  const std::string red = ::lumora::test::ReadFile(named + ".b03");
  const char grey2 = char(GroupGrey(1, 3));
  ASSERT_EQ(blue.size(), groupTwo.size());
  for (size_t i = 0; i < blue.size(); ++i) {
    ASSERT_EQ(blue[i], groupTwo[i] == grey2 ? '\xff' : groupTwo[i]) << i;
    ASSERT_EQ(red[i], groupTwo[i] == grey2 ? '\0' : groupTwo[i]) << i;
  }

  // Group 2 goes into the water: the files lumora-cli writes for --merge 1,2.
  Cli("classify '" + named + ".inf' --merge 1,2 -o '" + (dir / "cli/merged.inf") + "'");
  ui.dialogs.push_back([](QDialog& d) {
    EXPECT_EQ(Find<QComboBox>(d, kIdGroupMergeOther)->currentIndex(), 1);  // the selected group
    Find<QComboBox>(d, kIdGroupMergeOther)->setCurrentIndex(2);
    Find<QComboBox>(d, kIdGroupMergeInto)->setCurrentIndex(1);
    return Click(d, 1);
  });
  messenger.answers = {true};
  legend->List()->setCurrentRow(1);
  QTest::mouseClick(Find<QPushButton>(*legend, kIdGroupMerge), Qt::LeftButton);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  legend = Legend();
  ASSERT_NE(legend, nullptr);
  ASSERT_EQ(legend->Items().size(), 2u);
  EXPECT_EQ(legend->Items()[1].title, "みず");
  auto files = SetFiles(StripExtension(View()->Session().CurrentPath()));
  EXPECT_EQ(files.count("kmc"), 1u);
  EXPECT_EQ(files, SetFiles(dir / "cli/merged"));
  // Undo brings the three groups back, the water named.
  app->OnCommand(kCmdUndo);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  legend = Legend();
  ASSERT_NE(legend, nullptr);
  EXPECT_EQ(legend->Items().size(), 3u);

  // The legend's button opens the picture again, its dialog holding the
  // named group as a training class: title and colour from the legend, and
  // as area the largest square of the group's pixels in one piece.
  ASSERT_TRUE(Find<QPushButton>(*legend, kIdGroupsAsClasses)->isEnabled());
  Find<QPushButton>(*legend, kIdGroupsAsClasses)->click();
  ASSERT_EQ(app->Views().size(), 2u);
  EXPECT_EQ(View()->Session().CurrentPath(), source);
  dlg = View()->LandCoverDialog();
  ASSERT_NE(dlg, nullptr);
  ASSERT_EQ(dlg->List().Count(), 1);
  const ClassItem c = dlg->List().Classes()[0];
  EXPECT_EQ(c.title, "みず");
  EXPECT_EQ(QColor(c.red, c.green, c.blue), QColor(0, 0, 255));
  // Every pixel of the square is the group's, and no square one larger is.
  const int w = 96, h = 80, side = c.right - c.left;
  ASSERT_EQ(red.size(), size_t(w * h));
  ASSERT_EQ(c.bottom - c.top, side);
  const auto whole = [&](int top, int left, int n) {
    for (int y = top; y < top + n; ++y)
      for (int x = left; x < left + n; ++x)
        if (blue[size_t(y * w + x)] != '\xff' || red[size_t(y * w + x)] != '\0') return false;
    return true;
  };
  EXPECT_GE(side, 2);
  EXPECT_TRUE(whole(c.top, c.left, side));
  for (int y = 0; y + side < h; ++y)
    for (int x = 0; x + side < w; ++x) ASSERT_FALSE(whole(y, x, side + 1)) << x << "," << y;
  // The coaching judges it like any class, and the run takes it.
  EXPECT_EQ(dlg->CoachTable()->rowCount(), 1);
  messenger.answers = {true, true};
  Click(*dlg, 1);
  EXPECT_EQ(View()->Session().State().m_nFileState, 2);
}

// Check areas, kept apart from the training areas, give the accuracy window
// after the run: the numbers lumora-cli reports for the same areas.
TEST_F(LandCoverTest, CheckAreasOrHalfThePixelsGiveTheAccuracyWindowAndTheScatterPlotTheClasses) {
  CLandCoverDlg* dlg = OpenDialog();
  WaterAndForest(*dlg);
  AddClass(*dlg, QColor(9, 9, 9), QStringLiteral("はたけ"));
  // The scatter plot draws each class of the open dialog as its mean ± 2
  // standard deviations in the two bands shown, in the class colour; a class without an area has
  // none.
  ui.dialogs.push_back([&](QDialog& d) {
    Find<QComboBox>(d, kIdScatterX)->setCurrentIndex(2);  // bands 3 and 4
    Find<QComboBox>(d, kIdScatterY)->setCurrentIndex(3);
    Click(d, kIdScatterShow);
    auto* plot = Find<CScatterPlot>(d, kIdScatterPlot);
    EXPECT_EQ(plot->Ellipses().size(), 2u);
    if (plot->Ellipses().empty()) return Click(d, kIdOk);
    const CScatterPlot::Ellipse& e = plot->Ellipses()[0];
    const ClassStatistics& s = dlg->Stats()[0];  // bands 1, 2, 3, 4, 5, 7
    EXPECT_EQ(e.x, s.mean[2]);
    EXPECT_EQ(e.ry, 2 * s.deviation[3]);
    // The ellipse's rightmost point, one band value to the right of the cell
    // of mean + 2 sd, is drawn in the class colour; a class without an area has none.
    const int k = CScatterPlot::kSize;
    const CellRect edge =
        ScreenCell(int(std::lround(e.x + e.rx)), int(std::lround(e.y)), 0, k, k, k);
    const QImage picture = plot->grab().toImage();
    bool blue = false;
    for (int dx = -2; dx <= 2; ++dx)
      for (int dy = -2; dy <= 2; ++dy)
        blue |=
            picture.pixelColor(edge.left + edge.width / 2 + dx, edge.top + dy) == QColor(0, 0, 255);
    EXPECT_TRUE(blue);
    return Click(d, kIdOk);
  });
  ShowScatterPlot(*app, *View());
  const auto checkArea = [&](int row, QPoint from, QPoint to) {
    dlg->ClassList()->setCurrentRow(row);
    DragArea(*dlg, from, to, kIdClassCheckArea);
  };
  checkArea(0, {2, 64}, {9, 76});
  checkArea(1, {10, 46}, {20, 54});
  ASSERT_EQ(dlg->CheckAreas().size(), 2u);
  EXPECT_EQ(dlg->List().Classes()[0].right, 10);  // the training area stays
  EXPECT_EQ(Find<QLabel>(*dlg, kIdClassChecks)->text(), QStringLiteral("チェックエリア：2か所"));
  // A check area of a class without a training area is refused before the run.
  checkArea(2, {60, 10}, {70, 20});
  messenger.answers = {true};
  Click(*dlg, 1);
  EXPECT_EQ(messenger.entries.back().text, Format(MessageText(kMsgCheckNoTraining), "はたけ"));
  EXPECT_EQ(View()->Session().State().m_nFileState, 0);
  ASSERT_EQ(View()->LandCoverDialog(), dlg);
  dlg->ClassList()->setCurrentRow(2);
  Click(*dlg, kIdClassDelete);
  const std::vector<ClassItem> checks = {dlg->CheckAreas()[0], dlg->CheckAreas()[1]};
  ::lumora::test::WriteFile(dir / "checks.mlk", FormatLandCoverFile({1}, checks));
  ::lumora::test::WriteFile(dir / "classes.mlk", FormatLandCoverFile({1}, dlg->List().Classes()));
  // The third check area has no class any more: the run says so.
  messenger.answers = {true, true};
  Click(*dlg, 1);
  EXPECT_EQ(messenger.entries.back().text, Format(MessageText(kMsgCheckNoTraining), "はたけ"));
  ASSERT_EQ(View()->LandCoverDialog(), dlg);
  Click(*dlg, 2);

  // Every second training pixel held back checks the result instead of check
  // areas: 9 x 16 and 14 x 10 pixels give 72 + 70 held back. The numbers and
  // the result are what lumora-cli --check-half gives.
  dlg = OpenDialog();
  ASSERT_EQ(dlg->List().Count(), 0);  // nothing was saved
  WaterAndForest(*dlg);
  Find<QCheckBox>(*dlg, kIdClassCheckHalf)->setChecked(true);
  messenger.answers = {true, true};
  Click(*dlg, 1);
  ASSERT_EQ(View()->Session().State().m_nFileState, 2);
  CAccuracyDlg* half = AccuracyWindow(*app);
  ASSERT_NE(half, nullptr);
  EXPECT_EQ(half->Shown().total, 72 + 70);
  Classify(
      "--classes '" + (dir / "classes.mlk") + "' --report '" + (dir / "r.csv") + "' --check-half",
      "out");
  ExpectReportEnds(*half);
  auto ours = SetFiles(StripExtension(View()->Session().CurrentPath()));
  auto theirs = SetFiles(dir / "cli/out");
  // The legend files carry the areas as each side drew them; the planes must agree.
  for (const char* plane : {"b01", "b02", "b03"}) EXPECT_EQ(ours[plane], theirs[plane]) << plane;
  app->OnCommand(kCmdUndo);

  // Check areas instead.
  dlg = OpenDialog();
  WaterAndForest(*dlg);
  checkArea(0, {2, 64}, {9, 76});
  checkArea(1, {10, 46}, {20, 54});
  // The check areas are saved beside the classes, in their form.
  const std::string saved = FormatLandCoverFile(dlg->List().Bands(), dlg->CheckAreas());
  messenger.answers = {true, true};
  Click(*dlg, 1);
  EXPECT_EQ(View()->Session().State().m_nFileState, 2);
  EXPECT_EQ(::lumora::test::ReadFile(StripExtension(View()->Session().CurrentPath()) + ".mck"),
            saved);
  CAccuracyDlg* window = AccuracyWindow(*app);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->Shown().total, 7 * 12 + 10 * 8);
  EXPECT_EQ(window->Table()->rowCount(), 3);  // two classes and the users' accuracy
  Classify("--classes '" + (dir / "classes.mlk") + "' --report '" + (dir / "r.csv") +
               "' --check '" + (dir / "checks.mlk") + "'",
           "out");
  ExpectReportEnds(*window);
}

TEST_F(LandCoverTest, SavedClassesComeBackAndTheListWorksFromTheKeyboard) {
  ::lumora::test::WriteFile(dir / "tm.mlk",
                            "1\n2\n3\n2\n1\n2\n2\n255   0 128    10    60    80    20 forest one\n"
                            "  0   0 255     1     9     9     1 lake\n");
  ::lumora::test::WriteFile(dir / "tm.mck",
                            "1\n2\n3\n2\n1\n2\n1\n  0   0   0    20    30    40    30 lake\n");
  CLandCoverDlg* dlg = OpenDialog();
  ASSERT_EQ(dlg->List().Count(), 2);
  ASSERT_EQ(dlg->CheckAreas().size(), 1u);
  EXPECT_EQ(AreaText(dlg->CheckAreas()[0]), "(  31,  21)-(  41,  31)");
  EXPECT_EQ(Find<QLabel>(*dlg, kIdClassChecks)->text(), QStringLiteral("チェックエリア：1か所"));
  EXPECT_EQ(dlg->List().Classes()[0].title, "forest one");
  EXPECT_EQ(dlg->List().Classes()[1].right, 9);
  // The selected class's area is outlined on the image in exclusive-or
  // with RGB(0, 255, 255), like the rubber rectangle that drew it.
  const QImage before = View()->viewport()->grab().toImage();
  dlg->ClassList()->setCurrentRow(1);
  const QImage after = View()->viewport()->grab().toImage();
  const QColor under = before.pixelColor(1, 5), edge = after.pixelColor(1, 5);
  EXPECT_EQ(edge.red(), under.red());
  EXPECT_EQ(edge.green(), under.green() ^ 255);
  EXPECT_EQ(edge.blue(), under.blue() ^ 255);
  // The list works from the keyboard: Insert adds a class, Return edits the
  // one selected, Delete takes it away.
  ui.dialogs.push_back([](QDialog& d) {
    Find<QLineEdit>(d, kIdClassTitle)->setText(QStringLiteral("a"));
    return Click(d, 1);
  });
  QTest::keyClick(dlg->ClassList(), Qt::Key_Insert);
  ui.dialogs.push_back([](QDialog& d) {
    EXPECT_EQ(Find<QLineEdit>(d, kIdClassTitle)->text(), QStringLiteral("a"));
    Find<QLineEdit>(d, kIdClassTitle)->setText(QStringLiteral("b"));
    return Click(d, 1);
  });
  QTest::keyClick(dlg->ClassList(), Qt::Key_Return);
  ASSERT_EQ(dlg->List().Count(), 3);
  EXPECT_EQ(dlg->List().Classes()[2].title, "b");
  QTest::keyClick(dlg->ClassList(), Qt::Key_Delete);
  EXPECT_EQ(dlg->List().Count(), 2);
  Click(*dlg, 2);
}

}  // namespace
}  // namespace lumora::gui::test
