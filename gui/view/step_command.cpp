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

ImageSession::StepOutcome RunStepCommand(CKiriApp& app, CKiriView& view,
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
  // The question is asked over the image window, which stays the tool
  // dialog meanwhile so that no other command starts.
  auto displayChanged = [&] {
    wait.reset();
    progress.Close();
    view.DisplayChanged();
    app.SetToolDialog(view.Frame());
  };
  if (app.ToolDialog()) return ImageSession::StepOutcome::kCancelled;
  const auto outcome =
      view.Session().RunStepDialog(chooseStep, app.Msg(), progress, displayChanged);
  wait.reset();
  app.SetToolDialog(nullptr);
  return outcome;
}

}  // namespace lumora::gui
