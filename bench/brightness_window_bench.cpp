// The brightness dialog in the program, offscreen: a full Landsat TM scene
// (7000 x 6000, three 8-bit bands) opened in an image window as a pupil
// opens it, the dialog opened over it, and a marker dragged with the window
// redrawn after each move.
#include <benchmark/benchmark.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <filesystem>
#include <memory>
#include <utility>
#include <vector>

#include "bench/window_bench_support.h"
#include "core/imagefile/band_io.h"
#include "core/support/messenger.h"
#include "gui/app/kiri_app.h"
#include "gui/radiometry/brightness_dlg.h"
#include "gui/view/kiri_view.h"
#include "gui/widgets/ui_seam.h"

namespace lumora::gui {
namespace {

// Counts the paint events of the widgets it watches, so that a benchmark
// can show that what it times was painted.
class PaintCounter : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    paints += e->type() == QEvent::Paint;
    return false;
  }
};

// The program with the scene open in one image window big enough to show
// the whole display image (1000 x 857 at step 7).
struct Program {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "lumora_window_bench";
  RecordingMessenger messenger;
  BenchUi ui{288};
  std::unique_ptr<CKiriApp> app;
  CKiriView* view = nullptr;

  Program() {
    const std::string inf = BenchScene((dir / "scene").string(), 12345u, 0);
    const StartupOptions o = BenchOptions(dir);
    app = std::make_unique<CKiriApp>(messenger, ui);
    if (inf.empty() || !app->InitInstance(o)) return;
    ui.scene = QString::fromStdString(inf);
    app->OnCommand(32778);
    view = app->ActiveView();
    if (!view) return;
    view->Frame()->resize(view->Picture().width() + 40, view->Picture().height() + 40);
    QCoreApplication::processEvents();
  }

  std::unique_ptr<CBrightnessDlg> OpenDialog(QObject* paintCounter) {
    ImageSession& session = view->Session();
    CKiriView* v = view;
    auto dialog = std::make_unique<CBrightnessDlg>(
        session.Display(), session.State().m_bSingleBand, session.StretchStart(), messenger,
        [v](const LookupTables& tables) { v->ShowThroughTables(tables); }, view->Frame());
    for (QWidget* w : dialog->findChildren<QWidget*>()) w->installEventFilter(paintCounter);
    dialog->installEventFilter(paintCounter);
    dialog->show();
    QCoreApplication::processEvents();  // the window system shows and paints it
    return dialog;
  }
};

// Made in main, between the application object and its end.
Program* g_program = nullptr;

Program& TheProgram(benchmark::State& state) {
  if (!g_program->view) state.SkipWithError("the scene could not be opened");
  return *g_program;
}

// Opening the dialog: its histogram of the shown image, its controls, and
// its first paint.
void BM_BrightnessWindowOpen(benchmark::State& state) {
  Program& program = TheProgram(state);
  if (!program.view) return;
  state.counters["shown_w"] = program.view->Picture().width();
  state.counters["shown_h"] = program.view->Picture().height();
  PaintCounter counter;
  for (auto _ : state) {
    auto dialog = program.OpenDialog(&counter);
    benchmark::DoNotOptimize(dialog.get());
    state.PauseTiming();
    dialog.reset();
    QCoreApplication::processEvents();
    state.ResumeTiming();
  }
  state.counters["paints"] = benchmark::Counter(counter.paints, benchmark::Counter::kAvgIterations);
}
// The first opening in a run (styles and fonts still to be loaded) once,
// then the openings after it.
BENCHMARK(BM_BrightnessWindowOpen)
    ->Name("BM_BrightnessWindowOpen/first")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BrightnessWindowOpen)->Unit(benchmark::kMillisecond);

// One marker move by the mouse: the dialog's tables, the shown picture
// mapped through them, and the image window painted again (synchronously,
// so the paint is counted), then the dialog's own repaint.
void BM_BrightnessWindowMarkerMove(benchmark::State& state) {
  Program& program = TheProgram(state);
  if (!program.view) return;
  PaintCounter counter;
  auto dialog = program.OpenDialog(&counter);
  QWidget* strip = dialog->findChild<QWidget*>(QString::number(kMarkerStrip));
  QWidget* port = program.view->viewport();
  state.counters["window_w"] = port->width();
  state.counters["window_h"] = port->height();
  QTest::mousePress(strip, Qt::LeftButton, {}, dialog->StripPointOf(255, true));
  port->installEventFilter(&counter);
  counter.paints = 0;
  int step = 0;
  for (auto _ : state) {
    const QPoint to = dialog->StripPointOf(130 + step++ % 100, true);
    QMouseEvent move(QEvent::MouseMove, to, strip->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(strip, &move);
    port->repaint();
    QCoreApplication::processEvents();
  }
  QTest::mouseRelease(strip, Qt::LeftButton, {}, dialog->StripPointOf(130 + step % 100, true));
  state.counters["paints"] = benchmark::Counter(counter.paints, benchmark::Counter::kAvgIterations);
  if (dialog->State().Edits() == StretchValues{}) state.SkipWithError("the marker did not move");
}
BENCHMARK(BM_BrightnessWindowMarkerMove)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lumora::gui

int main(int argc, char** argv) {
  return lumora::gui::RunWindowBenchmarks(argc, argv, lumora::gui::g_program);
}
