// Linked windows in the program, offscreen: two 7000 x 6000 scenes of one
// grid (three 8-bit bands each) opened as a pupil opens them, linked, both
// magnified to 400 % (every pixel shown), and one scrolled a step at a time:
// the other follows, and both windows are painted after each step.
#include <benchmark/benchmark.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QScrollBar>
#include <filesystem>
#include <memory>
#include <utility>
#include <vector>

#include "core/imagefile/band_io.h"
#include "core/shell/command_rules.h"
#include "core/support/messenger.h"
#include "gui/app/kiri_app.h"
#include "gui/view/kiri_view.h"
#include "gui/widgets/ui_seam.h"

namespace lumora::gui {
namespace {

constexpr int kW = 7000, kH = 6000;

// Two dates of one place, written once per machine with the program's band writer.
std::string SceneSettings(const std::filesystem::path& dir, int date) {
  const std::string base = (dir / ("scene" + std::to_string(date))).string();
  if (std::filesystem::exists(base + ".inf")) return base + ".inf";
  std::filesystem::create_directories(dir);
  RecordingMessenger messenger;
  std::vector<uint8_t> row(kW);
  uint32_t noise = 12345u + static_cast<uint32_t>(date);
  for (int band = 1; band <= 3; ++band) {
    BandWriter writer;
    if (!writer.Create(base + ".b0" + std::to_string(band))) return {};
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        noise = noise * 1664525u + 1013904223u;
        row[x] = static_cast<uint8_t>(30 + (x / 50 + y / 40 + band * 20 + date * 7) % 150 +
                                      (noise >> 29));
      }
      writer.Write(row.data(), row.size());
    }
    if (!writer.Close(messenger)) return {};
  }
  BandWriter settings;
  const std::string text =
      "LINE = 6000\nPIXEL = 7000\nSENSOR = 1\nLengthPerPixel = 0.030000\nLeftTop_Lon = "
      "139.500000\nLeftTop_Lat = 35.600000\nDate = 20" +
      std::string(date == 1 ? "04" : "24") + "-05-01\n";
  if (!settings.Create(base + ".inf") || !settings.Write(text.data(), text.size()) ||
      !settings.Close(messenger))
    return {};
  return base + ".inf";
}

// Opens the scenes and answers the welcome and composition dialogs with
// their first choice; nothing else is ever asked.
class BenchUi : public UiSeam {
 public:
  QString scene;
  QString GetOpenFileName(QWidget*, const QString&, const QString&) override {
    return std::exchange(scene, QString());
  }
  QString GetSaveFileName(QWidget*, const QString&, const QString&, const QString&) override {
    return {};
  }
  QStringList GetOpenFileNames(QWidget*, const QString&, const QString&) override { return {}; }
  QString GetExistingDirectory(QWidget*, const QString&) override { return {}; }
  int RunDialog(QDialog& dialog) override {
    if (m_dialogs++ == 0) return 289;  // the welcome dialog: junior mode
    if (auto* ok = dialog.findChild<QAbstractButton*>(QStringLiteral("1"))) ok->click();
    return dialog.result();
  }

 private:
  int m_dialogs = 0;
};

struct Program {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "lumora_linked_bench";
  RecordingMessenger messenger;
  BenchUi ui;
  std::unique_ptr<CKiriApp> app;
  CKiriView* first = nullptr;
  CKiriView* second = nullptr;

  Program() {
    const std::string a = SceneSettings(dir, 1), b = SceneSettings(dir, 2);
    StartupOptions o;
    o.lockFolder = QString::fromStdString((dir / "run").string());
    o.workFolder = QString::fromStdString((dir / "work/").string());
    o.homeFolder = QString::fromStdString((dir / "home").string());
    o.samplesFolder = QString::fromStdString(dir.string());
    o.splashMilliseconds = 0;
    o.showFrame = false;
    app = std::make_unique<CKiriApp>(messenger, ui);
    if (a.empty() || b.empty() || !app->InitInstance(o)) return;
    for (const std::string& inf : {a, b}) {
      ui.scene = QString::fromStdString(inf);
      app->OnCommand(32778);
      CKiriView* view = app->ActiveView();
      if (!view) return;
      view->Frame()->resize(1000, 700);
      (first ? second : first) = view;
    }
    app->OnCommand(kCmdLink);
    for (int i = 0; i < 2; ++i) app->OnCommand(kCmdEnlarge);  // 400 %
    QCoreApplication::processEvents();
  }
};

Program* g_program = nullptr;

// One scroll step of 64 window pixels in the active window: the linked one
// takes the same place, and both are painted (synchronously).
void BM_LinkedScrollStep(benchmark::State& state) {
  Program& p = *g_program;
  if (!p.second || !p.app->Linked()) {
    state.SkipWithError("the two windows could not be opened and linked");
    return;
  }
  QScrollBar* bar = p.second->horizontalScrollBar();
  int step = 0;
  for (auto _ : state) {
    bar->setValue(bar->minimum() + (step++ * 64) % std::max(1, bar->maximum() - bar->minimum()));
    p.second->viewport()->repaint();
    p.first->viewport()->repaint();
  }
  if (p.first->ScrollPosition() != p.second->ScrollPosition())
    state.SkipWithError("the linked window did not follow");
  state.counters["zoom_level"] = p.first->ZoomLevel();
}
BENCHMARK(BM_LinkedScrollStep)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lumora::gui

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qt(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  lumora::gui::Program program;
  lumora::gui::g_program = &program;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
