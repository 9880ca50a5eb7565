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

#include "bench/window_bench_support.h"
#include "core/imagefile/band_io.h"
#include "core/shell/command_rules.h"
#include "core/support/messenger.h"
#include "gui/app/kiri_app.h"
#include "gui/view/kiri_view.h"
#include "gui/widgets/ui_seam.h"

namespace lumora::gui {
namespace {

struct Program {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "lumora_linked_bench";
  RecordingMessenger messenger;
  BenchUi ui{289};
  std::unique_ptr<CKiriApp> app;
  CKiriView* first = nullptr;
  CKiriView* second = nullptr;

  Program() {
    std::string dated[2];
    for (int date = 1; date <= 2; ++date)
      dated[date - 1] =
          BenchScene((dir / ("scene" + std::to_string(date))).string(), 12345u + date, date * 7,
                     "LengthPerPixel = 0.030000\nLeftTop_Lon = 139.500000\n"
                     "LeftTop_Lat = 35.600000\nDate = 20" +
                         std::string(date == 1 ? "04" : "24") + "-05-01\n");
    const std::string &a = dated[0], &b = dated[1];
    const StartupOptions o = BenchOptions(dir);
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
  return lumora::gui::RunWindowBenchmarks(argc, argv, lumora::gui::g_program);
}
