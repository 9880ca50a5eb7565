#include "gui/view/step_command.h"

#include <QDialog>
#include <optional>

#include "gui/app/kiri_app.h"
#include "gui/view/kiri_view.h"
#include "gui/widgets/progress_dlg.h"
#include "gui/widgets/ui_seam.h"

namespace lumora::gui {

bool RunToolDialog(CKiriApp& app, QDialog& dialog) {
  app.SetToolDialog(&dialog);
  const int result = app.Ui().RunDialog(dialog);
  app.SetToolDialog(nullptr);
  return result == QDialog::Accepted;
}

ImageSession::StepOutcome RunStepCommand(CKiriApp& app, CKiriView& view, const char* kind,
                                         const ImageSession::StepChooser& choose) {
  CProgressDlg progressDialog(view.Frame());
  Progress progress(&progressDialog);
  std::optional<WaitCursor> wait;
  auto chooseStep = [&]() -> std::optional<ImageSession::StepChoice> {
    app.SetToolDialog(nullptr);
    auto choice = choose();
    if (choice) wait.emplace();
    return choice;
  };
  // A result of another size (the bird's-eye view) gets a window of its
  // size; when it is taken back the window gets its old size again.
  std::optional<QSize> keptFrame;
  // The question is asked over the image window, which stays the tool
  // dialog meanwhile so that no other command starts.
  auto displayChanged = [&] {
    wait.reset();
    progress.Close();
    const QSize shownBefore = view.Picture().size();
    view.DisplayChanged();
    if (view.Session().StepPending()) {
      keptFrame = view.Frame()->size();
      if (view.Picture().size() != shownBefore) view.FitFrame();
    } else if (keptFrame) {
      view.Frame()->resize(*keptFrame);
      keptFrame.reset();
    }
    app.SetToolDialog(view.Frame());
  };
  if (app.ToolDialog()) return ImageSession::StepOutcome::kCancelled;
  const auto outcome =
      view.Session().RunStepDialog(chooseStep, app.Msg(), progress, displayChanged);
  wait.reset();
  if (outcome == ImageSession::StepOutcome::kKept)
    view.KeepFrameForUndo(keptFrame.value_or(QSize()));
  app.SetToolDialog(nullptr);
  if (outcome == ImageSession::StepOutcome::kKept) {
    lessons::Action kept;
    kept.kind = lessons::Action::kStepKept;
    kept.name = QString::fromLatin1(kind);
    app.NoteLessonAction(kept);
  }
  return outcome;
}

}  // namespace lumora::gui
