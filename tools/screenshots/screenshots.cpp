// Renders the program's main screens offscreen into PNG pictures for the
// README and the software centres' metainfo: every window on screen is drawn
// onto a plain desktop with a simple title bar. Run by tools/screenshots.sh:
//   lumora_screenshots OUTDIR SAMPLES_DIR
// A new screen is one more entry in kScreens: a file name, a caption and a
// function that brings the program into the state to show.
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <cstdlib>
#include <fstream>

#include "core/analysis/accuracy.h"
#include "core/analysis/land_cover.h"
#include "core/shell/command_rules.h"
#include "gui/analysis/land_cover_dlg.h"
#include "gui/app/qt_texts.h"
#include "gui/lessons/lesson_panel.h"
#include "gui/widgets/control_ids.h"
#include "gui/widgets/fonts.h"
#include "gui/windows/accuracy_dlg.h"
#include "gui/windows/compare_dlg.h"
#include "gui/windows/region_dlg.h"
#include "gui/windows/spectrum_dlg.h"
#include "tests/gui/gui_harness.h"

namespace lumora::gui::test {
namespace {

ClassItem Item(uint8_t r, uint8_t g, uint8_t b, int left, int top, int right, int bottom,
               const char* title) {
  ClassItem c;
  c.red = r, c.green = g, c.blue = b;
  c.left = left, c.top = top, c.right = right, c.bottom = bottom, c.title = title;
  return c;
}

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

class Screens : public GuiTest {
 protected:
  // Every visible top-level window, on a desktop as large as they need.
  QImage Desktop() {
    QCoreApplication::processEvents();
    constexpr int kBar = 26, kMargin = 16;
    QList<QWidget*> windows;
    QRect all;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (!w->isVisible()) continue;
      windows << w;
      all |= w->geometry().adjusted(0, -kBar, 0, 0);
    }
    // A window lies above the window that owns it, as on a real desktop.
    auto depth = [](QWidget* w) {
      int d = 0;
      for (QWidget* p = w->parentWidget(); p; p = p->parentWidget()) ++d;
      return d;
    };
    std::stable_sort(windows.begin(), windows.end(),
                     [&](QWidget* a, QWidget* b) { return depth(a) < depth(b); });
    all.adjust(-kMargin, -kMargin, kMargin, kMargin);
    QImage image(all.size(), QImage::Format_RGB32);
    image.fill(QColor(0x3c, 0x4f, 0x65));
    QPainter p(&image);
    p.translate(-all.topLeft());
    for (QWidget* w : windows) {
      const QRect g = w->geometry();
      const QRect bar(g.left(), g.top() - kBar, g.width(), kBar);
      p.fillRect(bar.adjusted(-1, -1, 1, 0), QColor(0x22, 0x2b, 0x36));
      p.setPen(Qt::white);
      p.drawText(bar.adjusted(8, 0, -8, 0), Qt::AlignVCenter | Qt::AlignLeft,
                 NeutralTitle(w->windowTitle()));
      p.drawPixmap(g.topLeft(), w->grab());
      p.setPen(QColor(0x22, 0x2b, 0x36));
      p.drawRect(g.adjusted(-1, -1, 0, 0));
    }
    return image;
  }

  // A title as on a pupil's computer: the run's temporary folder, where the
  // scenes lie, shown as a class folder in the home folder.
  QString NeutralTitle(QString title) const {
    return title.replace(QString::fromStdString(dir.path().string()),
                         QStringLiteral("/home/pupil/lumora"));
  }

  // Starts the program in processing mode with its main frame shown.
  void StartShown() {
    app = std::make_unique<CKiriApp>(messenger, ui);
    ui.dialogs.push_back(Answer(289));
    StartupOptions o = Options();
    o.showFrame = true;
    ASSERT_TRUE(app->InitInstance(o));
    Frame().move(40, 40);
  }

  // Runs lumora-cli with the arguments; false when it fails.
  static bool Cli(const std::string& args) {
    return std::system((Env("LUMORA_CLI") + " " + args + " >/dev/null").c_str()) == 0;
  }

  // Opens an image whose file state composes it without asking.
  void OpenMade(const std::string& inf) {
    ui.dialogs.push_back([](QDialog& d) { return Click(d, 1); });
    ASSERT_TRUE(Open(inf));
    ui.dialogs.clear();
  }

  // Paths relative to the test's folder, where "samples" leads to the sample
  // scenes: window titles show short paths, as when opened from a class folder.
  std::string Sample(const std::string& name) const {
    std::error_code ec;
    std::filesystem::create_directory_symlink(Env("LUMORA_SAMPLES"), dir / "samples", ec);
    QDir::setCurrent(QString::fromStdString(dir.path().string()));
    return "samples/" + name;
  }

 public:
  // The screens, each from a fresh start of the program.

  QImage Welcome() {
    QImage shot;
    app = std::make_unique<CKiriApp>(messenger, ui);
    ui.dialogs.push_back([&](QDialog& d) {
      d.move(40, 40);
      d.show();
      shot = Desktop();
      return 289;
    });
    EXPECT_TRUE(app->InitInstance(Options()));
    return shot;
  }

  QImage Palette() {
    StartShown();
    return Desktop();
  }

  void OpenLakes() {
    StartShown();
    EXPECT_TRUE(Open(Sample("tm/lakes.inf"), [](QDialog& d) {
      Find<QAbstractButton>(d, 305)->click();
      return Click(d, 1);
    }));
  }

  QImage Natural() {
    StartShown();
    EXPECT_TRUE(Open(Sample("tm/lakes.inf"), [](QDialog& d) {
      Find<QAbstractButton>(d, 305)->click();
      return Click(d, 1);
    }));
    return Desktop();
  }

  // The program started with the lakes scene's vegetation index in rainbow
  // colours open.
  void OpenVegetation() {
    StartShown();
    const std::string out = "ndvi/lakes.inf";
    std::filesystem::create_directories(dir / "ndvi");
    EXPECT_TRUE(
        Cli("ndvi '" + Sample("tm/lakes.inf") + "' --x 4 --y 3 --rainbow -o '" + out + "'"));
    OpenMade(out);
  }

  // The lakes scene's water index in blue, white and green with its legend.
  QImage Water() {
    StartShown();
    const std::string out = "math/lakes.inf";
    std::filesystem::create_directories(dir / "math");
    EXPECT_TRUE(Cli("math '" + Sample("tm/lakes.inf") + "' --preset ndwi --colours diverging -o '" +
                    out + "'"));
    OpenMade(out);
    return Desktop();
  }

  QImage Vegetation() {
    OpenVegetation();
    return Desktop();
  }

  // Four classes trained on areas of the lakes scene: shallow and deep lake
  // water together, the wooded
  // hills, the field mosaic and the grey town patch south of the lakes.
  QImage LandCover() {
    StartShown();
    const std::vector<ClassItem> classes = {
        Item(40, 90, 220, 120, 490, 200, 545, "水域"),
        Item(20, 120, 40, 520, 80, 600, 160, "森林"),
        Item(235, 205, 90, 600, 420, 680, 500, "畑"),
        Item(210, 60, 60, 490, 725, 555, 775, "市街地"),
    };
    ::lumora::test::WriteFile(dir / "classes.mlk",
                              FormatLandCoverFile({1, 2, 3, 4, 5, 7}, classes));
    const std::string out = "classified/lakes.inf";
    std::filesystem::create_directories(dir / "classified");
    EXPECT_TRUE(Cli("classify '" + Sample("tm/lakes.inf") + "' --classes '" + dir / "classes.mlk" +
                    "' -o '" + out + "'"));
    OpenMade(out);
    // The lakes, fields and town south of the volcano.
    View()->horizontalScrollBar()->setValue(120);
    View()->verticalScrollBar()->setValue(470);
    return Desktop();
  }

  // The land-cover dialog coaching while areas are drawn: lake water, forest
  // and town are green; a second water class drawn over the lake shore
  // looks like the lake, and a class without an area is red.
  QImage Coaching() {
    StartShown();
    const std::string scene = Sample("tm/lakes.inf");
    std::filesystem::create_directories(dir / "coaching");
    for (const char* ext : {".inf", ".b01", ".b02", ".b03", ".b04", ".b05", ".b06", ".b07"})
      std::filesystem::copy_file(dir / ("samples/tm/lakes" + std::string(ext)),
                                 dir / ("coaching/lakes" + std::string(ext)));
    ::lumora::test::WriteFile(
        dir / "coaching/lakes.mlk",
        FormatLandCoverFile({1, 2, 3, 4, 5, 7}, {Item(40, 90, 220, 120, 490, 200, 545, "水域"),
                                                 Item(20, 120, 40, 520, 80, 600, 160, "森林"),
                                                 Item(210, 60, 60, 490, 725, 555, 775, "市街地"),
                                                 Item(60, 140, 230, 150, 500, 230, 540, "みずうみ"),
                                                 Item(235, 205, 90, 0, 0, 0, 0, "畑")}));
    OpenMade("coaching/lakes.inf");
    View()->horizontalScrollBar()->setValue(120);
    View()->verticalScrollBar()->setValue(470);
    app->OnCommand(kCmdClassify);
    if (QWidget* dlg = View()->LandCoverDialog()) {
      dlg->resize(620, 520);
      dlg->move(Frame().geometry().right() - 300, 120);
    }
    return Desktop();
  }

  // The accuracy window after classifying the lakes scene, measured on check
  // areas beside the training areas.
  QImage AccuracyWindowShot() {
    const std::vector<ClassItem> classes = {
        Item(40, 90, 220, 120, 490, 200, 545, "水域"),
        Item(20, 120, 40, 520, 80, 600, 160, "森林"),
        Item(235, 205, 90, 600, 420, 680, 500, "畑"),
        Item(210, 60, 60, 490, 725, 555, 775, "市街地"),
    };
    // Each check area beside its training area, on the same land cover.
    std::vector<ClassItem> checks;
    for (ClassItem c : classes) {
      const int dx = (c.right - c.left) / 2, dy = (c.bottom - c.top) / 2;
      c.left += dx, c.right += dx / 2, c.top += dy, c.bottom += dy / 2;
      checks.push_back(c);
    }
    LandCover();
    RecordingMessenger m;
    Accuracy accuracy;
    const std::string scene = Sample("tm/lakes");
    EXPECT_TRUE(CheckAccuracy({1, 2, 3, 4, 5, 7}, classes, checks, scene, 1024, 1024, accuracy, m));
    // Right of every window shown, so that it covers none.
    int right = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->isVisible()) right = std::max(right, w->geometry().right());
    CAccuracyDlg* window = ShowAccuracyWindow(*app, *View(), accuracy);
    window->move(right + 30, 80);
    return Desktop();
  }

  // The vegetation index on the map page with a title, a grid every 5', a
  // scale bar, the north mark and its legend.
  QImage MapPage() {
    OpenVegetation();
    ui.dialogs.push_back([this](QDialog& d) {
      for (int id : {kIdTitleShown, kIdGridShown, kIdScaleShown, kIdNorthShown, kIdLegendShown})
        Find<QCheckBox>(d, id)->setChecked(true);
      Find<QComboBox>(d, kIdGridStep)->setCurrentIndex(4);  // every 5'
      ui.dialogs.push_back([](QDialog& title) {
        Find<QPlainTextEdit>(title, kIdTitleEdit)->setPlainText(QStringLiteral("植生指数"));
        return QDialog::Accepted;
      });
      Click(d, kIdTitleText);
      return QDialog::Accepted;
    });
    app->OnCommand(32845);
    // A window as tall as the screen shows the page large enough to read.
    View()->window()->resize(760, 940);
    EXPECT_TRUE(View()->Session().AnnotationsShown());
    return Desktop();
  }

  // The first lesson at its question, beside the lakes scene in false colour.
  QImage Lesson() {
    StartShown();
    const std::string scene = Sample("tm/lakes.inf");
    const auto open = [&](int preset) {
      EXPECT_TRUE(Open(scene, [preset](QDialog& d) {
        Find<QAbstractButton>(d, preset)->click();
        return Click(d, 1);
      }));
    };
    open(307);  // true colour
    ui.dialogs.push_back([](QDialog& d) {
      d.findChild<QListWidget*>(QStringLiteral("list"))->setCurrentRow(0);
      d.accept();
      return d.result();
    });
    app->OnCommand(kCmdLessons);
    CLessonPanel* panel = app->LessonPanel();
    EXPECT_NE(panel, nullptr);
    if (!panel) return {};
    auto* next = Find<QAbstractButton>(*panel, kLessonNext);
    next->click();  // the scene is open
    next->click();  // in true colour
    app->OnCommand(kCmdClose);
    open(306);  // false colour
    next->click();
    // Two pinned spectra: the forest and the lake.
    app->OnCommand(kCmdSpectrum);
    CSpectrumDlg* spectrum = SpectrumWindow(*app);
    EXPECT_TRUE(spectrum->AddPin(*View(), 184, 74));
    EXPECT_TRUE(spectrum->AddPin(*View(), 44, 424));
    View()->Pins()[0].name = QStringLiteral("森");
    View()->Pins()[1].name = QStringLiteral("湖");
    spectrum->RefreshPins();
    next->click();
    Find<QLineEdit>(*panel, kLessonPupil)->setText(QStringLiteral("さくら"));
    Find<QAbstractButton>(*panel, kLessonChoiceFirst)->click();
    Find<QAbstractButton>(*panel, kLessonCheck)->click();
    View()->window()->move(40, 300);
    View()->window()->resize(700, 560);
    panel->move(760, 40);
    spectrum->resize(spectrum->sizeHint());
    spectrum->move(760, panel->frameGeometry().bottom() + 40);
    return Desktop();
  }

  // The lakes scene in false colour with the spectra of three pinned
  // places: water dark in the infrared, plants bright in it.
  QImage Spectrum() {
    OpenLakes();
    app->OnCommand(kCmdSpectrum);
    CSpectrumDlg* window = SpectrumWindow(*app);
    const struct {
      int x, y;
      const char* name;
    } pins[] = {{44, 424, "湖"}, {184, 74, "森"}, {664, 324, "畑"}};
    for (const auto& pin : pins) {
      EXPECT_TRUE(window->AddPin(*View(), pin.x, pin.y));
      View()->Pins().back().name = QString::fromUtf8(pin.name);
    }
    window->RefreshPins();
    window->resize(window->sizeHint());
    window->move(View()->window()->geometry().right() + 24, 280);
    return Desktop();
  }

  // The statistics of a polygon drawn round the bare ground of the volcano.
  QImage RegionStatistics() {
    OpenLakes();
    ::lumora::Region region;
    for (const auto& [x, y] : {std::pair{350, 130}, {470, 160}, {490, 300}, {390, 340}, {330, 240}})
      region.corners.push_back({double(x), double(y)});
    EXPECT_TRUE(ShowRegionWindow(*app, *View(), region));
    CRegionDlg* window = RegionWindow(*app);
    window->move(View()->window()->geometry().right() + 24, 280);
    return Desktop();
  }

  // What changed between the lakes and their later date: the vegetation
  // index's difference in red, white and green, the areas in the legend.
  QImage Change() {
    StartShown();
    const std::string out = "change/lakes.inf";
    std::filesystem::create_directories(dir / "change");
    EXPECT_TRUE(Cli("change '" + Sample("tm/lakes.inf") + "' '" + Sample("tm/lakes-later.inf") +
                    "' --index ndvi -o '" + out + "'"));
    OpenMade(out);
    return Desktop();
  }

  // The two dates in the compare window, the handle half way across.
  QImage Compare() {
    StartShown();
    for (const char* name : {"tm/lakes-later.inf", "tm/lakes.inf"})
      EXPECT_TRUE(Open(Sample(name), [](QDialog& d) {
        Find<QAbstractButton>(d, 305)->click();
        return Click(d, 1);
      }));
    app->OnCommand(kCmdCompare);
    auto* window = Frame().findChild<CCompareDlg*>();
    EXPECT_NE(window, nullptr);
    if (!window) return {};
    window->resize(760, 640);
    window->move(120, 150);
    window->Canvas()->SetSplit(0.45);
    return Desktop();
  }

  QImage BirdsEye() {
    StartShown();
    const std::string out = "birdseye/volcano.inf";
    std::filesystem::create_directories(dir / "birdseye");
    EXPECT_TRUE(Cli("dem '" + Sample("aster/volcano.inf") +
                    "' --kind birdseye --view-elevation 30 --exaggeration 2 --rgb 3,2,1 -o '" +
                    out + "'"));
    OpenMade(out);
    return Desktop();
  }
};

struct Screen {
  const char* file;
  const char* caption;
  QImage (Screens::*shoot)();
};

// In the order the README and the metainfo show them; the first is the default.
const Screen kScreens[] = {
    {"natural.png", "A sample scene in natural colours", &Screens::Natural},
    {"welcome.png", "Choosing how to use the program: looking at pictures or processing them",
     &Screens::Welcome},
    {"palette.png", "The main window with the operation palette", &Screens::Palette},
    {"vegetation.png", "The vegetation index in rainbow colours with its legend",
     &Screens::Vegetation},
    {"water.png",
     "The water index (green and near infrared) in blue, white and green with its legend",
     &Screens::Water},
    {"landcover.png", "Land cover classified into water, forest, fields and town, with its legend",
     &Screens::LandCover},
    {"coaching.png",
     "Coaching while training areas are drawn: a light and its reason for each class and pair",
     &Screens::Coaching},
    {"accuracy.png",
     "How right the classification is on check areas: the confusion matrix, accuracy and kappa",
     &Screens::AccuracyWindowShot},
    {"mappage.png",
     "A map page of the vegetation index with a title, grid, scale bar, north mark and legend",
     &Screens::MapPage},
    {"birdseye.png", "A bird's-eye view of a volcano from its elevation model", &Screens::BirdsEye},
    {"lesson.png", "A lesson beside the picture: the pupil answers why plants turn red",
     &Screens::Lesson},
    {"spectrum.png", "The spectra of a lake, a forest and a field pinned on the image",
     &Screens::Spectrum},
    {"region.png", "Statistics, area and perimeter of a polygon drawn round the volcano",
     &Screens::RegionStatistics},
    {"compare.png", "The lakes in 1989 and 2009 in one window, a handle to swipe between them",
     &Screens::Compare},
    {"change.png",
     "What changed: plants lost in red and gained in green, with the areas in the legend",
     &Screens::Change},
};

TEST_F(Screens, RenderEveryScreen) {
  InstallJapaneseFonts();
  InstallJapaneseQtTexts();
  const std::string out = Env("LUMORA_SCREENSHOT_DIR");
  ASSERT_FALSE(out.empty());
  std::ofstream list(out + "/screens.txt");
  for (const Screen& s : kScreens) {
    const QImage image = (this->*s.shoot)();
    ASSERT_FALSE(image.isNull()) << s.file;
    ASSERT_TRUE(image.save(QString::fromStdString(out + "/" + s.file))) << s.file;
    list << s.file << ' ' << s.caption << '\n';
    app.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

}  // namespace
}  // namespace lumora::gui::test
