// The land-cover dialog's coaching in the program, offscreen: a full Landsat
// TM scene (7000 x 6000, six 8-bit bands) opened in an image window as a
// pupil opens it, four classes with their areas, and then one more area
// dragged with the mouse. Timed from the press to the lights and the pair
// table shown again (the statistics of the new area read from the bands,
// the separability of every pair, both tables filled and painted).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QColor>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTableWidget>
#include <filesystem>
#include <memory>

#include "bench/window_bench_support.h"
#include "gui/analysis/land_cover_dlg.h"
#include "gui/view/kiri_view.h"

namespace lumora::gui {
namespace {

// Names each new class "class N" in a colour of its own.
class CoachingUi : public BenchUi {
 public:
  CoachingUi() : BenchUi(288) {}
  QColor GetColor(QWidget*, const QColor&) override {
    return QColor::fromHsv(m_classes * 60, 200, 200);
  }
  int RunDialog(QDialog& dialog) override {
    if (auto* title = dialog.findChild<QLineEdit*>(QString::number(kIdClassTitle)))
      title->setText(QStringLiteral("class %1").arg(++m_classes));
    return BenchUi::RunDialog(dialog);
  }

 private:
  int m_classes = 0;
};

struct Program {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "lumora_coaching_bench";
  RecordingMessenger messenger;
  CoachingUi ui;
  std::unique_ptr<CKiriApp> app;
  CKiriView* view = nullptr;
  CLandCoverDlg* dialog = nullptr;

  Program() {
    const std::string inf = BenchScene((dir / "scene").string(), 777u, 0, {}, 6);
    app = std::make_unique<CKiriApp>(messenger, ui);
    if (inf.empty() || !app->InitInstance(BenchOptions(dir))) return;
    ui.scene = QString::fromStdString(inf);
    app->OnCommand(32778);
    view = app->ActiveView();
    if (!view) return;
    view->Frame()->resize(800, 700);
    QCoreApplication::processEvents();
    app->OnCommand(kCmdClassify);
    dialog = view->LandCoverDialog();
    if (!dialog) return;
    // Four classes, each with an area of about 40 x 30 screen pixels
    // (280 x 210 pixels of the scene at its 1/7 display).
    for (int c = 0; c < 4; ++c) {
      dialog->OnNew();
      Drag({20 + 150 * c, 40}, {60 + 150 * c, 70});
    }
  }

  void Mouse(QEvent::Type type, QPoint p) {
    QWidget* port = view->viewport();
    QMouseEvent e(type, QPointF(p), port->mapToGlobal(QPointF(p)),
                  type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                  Qt::NoModifier);
    QApplication::sendEvent(port, &e);
  }
  // An area for the selected class, dragged as a pupil drags it.
  void Drag(QPoint from, QPoint to) {
    dialog->OnArea();
    Mouse(QEvent::MouseButtonPress, from);
    for (int i = 1; i <= 4; ++i) Mouse(QEvent::MouseMove, from + (to - from) * i / 4);
    Mouse(QEvent::MouseButtonRelease, to);
  }
};

Program* g_program = nullptr;

// One more area for the last class, somewhere new each time (an area seen
// before keeps its statistics), then the dialog's tables painted.
void BM_CoachingAfterAnArea(benchmark::State& state) {
  Program& p = *g_program;
  if (!p.dialog) {
    state.SkipWithError("the scene or the dialog could not be opened");
    return;
  }
  state.counters["classes"] = static_cast<double>(p.dialog->List().Count());
  int step = 0;
  for (auto _ : state) {
    const QPoint at(30 + 7 * (step % 60), 200 + 5 * (step / 60 % 60));
    ++step;
    p.Drag(at, at + QPoint(40, 30));
    p.dialog->CoachTable()->repaint();
    p.dialog->PairTable()->repaint();
  }
  state.counters["pairs"] = static_cast<double>(p.dialog->Pairs().size());
  if (p.dialog->Pairs().size() != 6) state.SkipWithError("the classes did not get their areas");
}
BENCHMARK(BM_CoachingAfterAnArea)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lumora::gui

int main(int argc, char** argv) {
  return lumora::gui::RunWindowBenchmarks(argc, argv, lumora::gui::g_program);
}
