// How a dialog's command runs a processing step on an image window: the
// dialog is shown as the tool dialog, the step runs with the progress window
// and the wait cursor, the result is painted before 61285 is asked over the
// image window, and after a No the image goes back and the dialog is shown
// again. A new step dialog's command is then:
//
//   RunStepCommand(app, view, [&]() -> std::optional<ImageSession::StepChoice> {
//     CMyDlg dialog(view.Frame());
//     if (!RunToolDialog(app, dialog)) return std::nullopt;
//     return ImageSession::StepChoice{MakeMyStep(dialog.Params()), {}};
//   });
#pragma once

#include "core/view/image_session.h"

class QDialog;

namespace lumora::gui {

class CKiriApp;
class CKiriView;

// Shows the dialog as the application's tool dialog; true when accepted.
bool RunToolDialog(CKiriApp& app, QDialog& dialog);

// Runs ImageSession::RunStepDialog on the view's image; nothing happens while
// another tool dialog is open.
// A kept step is reported to the lesson panel by its kind ("ndvi", "math",
// "filter", "classify", "dem").
ImageSession::StepOutcome RunStepCommand(CKiriApp& app, CKiriView& view, const char* kind,
                                         const ImageSession::StepChooser& choose);

}  // namespace lumora::gui
